// Every key, the button and the minimise event in every screen of the game,
// with the screen each one leads to and the exact sounds it plays.
#include <functional>

#include "FlowTestWorld.h"

namespace {

enum class Input { Space, I, P, Esc, Click, Minimise };

const char* inputName(Input i) {
    switch (i) {
        case Input::Space: return "SPACE";
        case Input::I: return "I";
        case Input::P: return "P";
        case Input::Esc: return "ESC";
        case Input::Click: return "click";
        case Input::Minimise: return "minimise";
    }
    return "?";
}

using S = Screen;
constexpr int64_t kClickX = 600, kClickY = 300;

const SoundCall kStopTitle = stopCall(SoundTitle);
const SoundCall kStartAlert = playCall(SoundAlert, 0, 65);
const SoundCall kPause = playCall(SoundPause);
const SoundCall kHighScore = playCall(SoundHighScore);
// A click accepted for a launch: the title tune is stopped, then the site
// fires with its throttled launch sound.
const SoundCall kLaunch = playCall(SoundLaunch, PlayExtra, 70);

struct Row {
    S from;
    Input input;
    S to;
    std::vector<SoundCall> calls;
    bool recordsScore = false;  // the Hall of Fame check ran (empty table: it asks for a name)
};

const std::vector<Row> kRows = {
    // SPACE
    {S::Title, Input::Space, S::SectorPanel, {kStopTitle, kStartAlert}},
    {S::Intel, Input::Space, S::Title, {}},
    {S::SectorPanel, Input::Space, S::Playing, {stopCall(SoundAlert)}},
    {S::Playing, Input::Space, S::Playing, {}},
    {S::Paused, Input::Space, S::Paused, {}},
    {S::GameOver, Input::Space, S::SectorPanel, {kHighScore}, true},
    // I
    {S::Title, Input::I, S::Intel, {kStopTitle, playCall(SoundInfo)}},
    {S::Intel, Input::I, S::Title, {playCall(SoundTitle)}},
    {S::SectorPanel, Input::I, S::SectorPanel, {}},
    {S::Playing, Input::I, S::Playing, {}},
    {S::Paused, Input::I, S::Paused, {}},
    {S::GameOver, Input::I, S::GameOver, {}},
    // P
    {S::Title, Input::P, S::Title, {}},
    {S::Intel, Input::P, S::Intel, {}},
    {S::SectorPanel, Input::P, S::SectorPanel, {kPause}},
    {S::Playing, Input::P, S::Paused, {kPause}},
    {S::Paused, Input::P, S::Playing, {}},
    {S::GameOver, Input::P, S::GameOver, {}},
    // ESC
    {S::Title, Input::Esc, S::Title, {}},
    {S::Intel, Input::Esc, S::Intel, {}},
    {S::SectorPanel, Input::Esc, S::SectorPanel, {}},
    {S::Playing, Input::Esc, S::GameOver, {}},
    {S::Paused, Input::Esc, S::Paused, {}},
    {S::GameOver, Input::Esc, S::GameOver, {}},
    // left click
    {S::Title, Input::Click, S::Title, {}},
    {S::Intel, Input::Click, S::Intel, {}},
    {S::SectorPanel, Input::Click, S::SectorPanel, {kStopTitle, kLaunch}},
    {S::Playing, Input::Click, S::Playing, {kStopTitle, kLaunch}},
    {S::Paused, Input::Click, S::Paused, {}},
    {S::GameOver, Input::Click, S::SectorPanel, {kHighScore, kStartAlert}, true},
    // minimise
    {S::Title, Input::Minimise, S::Title, {}},
    {S::Intel, Input::Minimise, S::Intel, {}},
    {S::SectorPanel, Input::Minimise, S::SectorPanel, {kPause}},
    {S::Playing, Input::Minimise, S::Paused, {kPause}},
    {S::Paused, Input::Minimise, S::Paused, {kPause}},
    {S::GameOver, Input::Minimise, S::GameOver, {}},
};

class FlowStatesTest : public FlowTestWorld {
protected:
    void reach(S s) {
        switch (s) {
            case S::Title: break;
            case S::Intel: toIntel(); break;
            case S::SectorPanel: toSectorPanel(); break;
            case S::Playing: toPlaying(); break;
            case S::Paused: toPaused(); break;
            case S::GameOver: toGameOver(); break;
        }
        ASSERT_EQ(screen(), s);
    }
    void give(Input i) {
        switch (i) {
            case Input::Space: key(KeySpace); break;
            case Input::I: key(KeyI); break;
            case Input::P: key(KeyP); break;
            case Input::Esc: key(KeyEscape); break;
            case Input::Click: click(kClickX, kClickY); break;
            case Input::Minimise: minimise(); break;
        }
    }
};

TEST_F(FlowStatesTest, EveryInputInEveryScreen) {
    for (const Row& row : kRows) {
        SCOPED_TRACE(std::string(screenName(row.from)) + " + " + inputName(row.input));
        restartWorld();

        reach(row.from);
        const int64_t levelBefore = game.state.level;
        const size_t interceptorsBefore = game.state.interceptors.size();
        sound.clearLog();
        give(row.input);

        EXPECT_EQ(screen(), row.to);
        EXPECT_EQ(sounds(), row.calls);
        EXPECT_EQ(nameBoxes(), row.recordsScore ? 1u : 0u);
        const bool launched = row.calls.size() == 2 && row.calls[1] == kLaunch;
        EXPECT_EQ(game.state.interceptors.size(), interceptorsBefore + (launched ? 1u : 0u));
        if (row.to == S::SectorPanel && row.from != S::SectorPanel) {
            // Every way into a game shows the panel of sector 1 on a fresh board.
            EXPECT_EQ(game.state.level, 1);
            EXPECT_EQ(game.state.score, 0);
            EXPECT_EQ(game.state.sites.size(), 6u);
            EXPECT_EQ(game.state.countdown, 120);
            EXPECT_EQ(game.state.paused, 0);
        } else {
            EXPECT_EQ(game.state.level, levelBefore);
        }
    }
}

// Which screens let the battle move.
TEST_F(FlowStatesTest, BattleRunsOnlyWhilePlayingOrAfterTheGameEnded) {
    const std::vector<std::pair<S, bool>> expected = {
        {S::Title, false}, {S::Intel, false},  {S::SectorPanel, false},
        {S::Playing, true}, {S::Paused, false}, {S::GameOver, true},
    };
    for (const auto& [s, runs] : expected) {
        SCOPED_TRACE(screenName(s));
        restartWorld();
        reach(s);
        EXPECT_EQ(battleRuns(game.state), runs);
    }
}

TEST_F(FlowStatesTest, ScreenFollowsTheFlagsInTheirOrder) {
    GameState& s = game.state;
    EXPECT_EQ(screen(), S::Title);
    s.intelShown = 1;
    s.inGame = 1;
    s.intermission = 1;
    s.gameOver = 1;
    s.paused = 1;
    EXPECT_EQ(screen(), S::Intel);  // the intel screen covers everything
    s.intelShown = 0;
    EXPECT_EQ(screen(), S::SectorPanel);
    s.intermission = 0;
    EXPECT_EQ(screen(), S::GameOver);
    s.gameOver = 0;
    EXPECT_EQ(screen(), S::Paused);
    s.paused = 0;
    EXPECT_EQ(screen(), S::Playing);
    s.inGame = 0;
    EXPECT_EQ(screen(), S::Title);
}

}  // namespace

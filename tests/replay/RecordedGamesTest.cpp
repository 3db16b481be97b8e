// Games recorded as they are played, and played again from their replays:
// a whole game of 100 waves comes out exactly the same, dialogs are answered
// from the recording, the best replay follows first place in the Hall of
// Fame, and a replay whose events do not lead to its score is told so.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "Defender.h"
#include "ReplayTestWorld.h"
#include "records/HighScores.h"

namespace {

// Compares two states field by field where it matters to a player, and then
// in whole through their fingerprints.
void expectSameGame(const GameState& a, const GameState& b) {
    EXPECT_EQ(a.score, b.score);
    EXPECT_EQ(a.level, b.level);
    EXPECT_EQ(a.gameOver, b.gameOver);
    ASSERT_EQ(a.sites.size(), b.sites.size());
    for (size_t i = 0; i < a.sites.size(); ++i) {
        EXPECT_EQ(a.sites[i].alive, b.sites[i].alive) << i;
        EXPECT_EQ(a.sites[i].ammo, b.sites[i].ammo) << i;
        EXPECT_EQ(a.sites[i].buildings.size(), b.sites[i].buildings.size()) << i;
    }
    EXPECT_EQ(a.warheads.size(), b.warheads.size());
    EXPECT_EQ(a.interceptors.size(), b.interceptors.size());
    EXPECT_EQ(a.explosions.size(), b.explosions.size());
    EXPECT_EQ(fingerprint(a), fingerprint(b));
}

// Plays until the game has gone back to the title, at most `limit` frames.
void playToTheTitle(RecordedWorld& w, int64_t limit) {
    int64_t frame = 0;
    while (w.game.state.inGame != 0 && frame++ < limit) w.step();
    ASSERT_EQ(w.game.state.inGame, 0) << "the game did not end";
}

}  // namespace

TEST(RecordedGames, AHundredWaveGameIsRecordedAndPlaysAgainExactly) {
    RecordedWorld w(20240602);
    w.platform.queueMenu(MenuHard);  // a new game at once, on Hard
    w.step();
    w.platform.queueKey(KeySpace);  // the first sector panel waits for SPACE
    w.step();
    defence::Defender defender;
    int64_t frame = 0;
    while (w.game.state.inGame != 0) {
        ASSERT_LT(++frame, 2'000'000);
        int64_t x = 0, y = 0;
        if (defender.choose(w.game.state, frame, x, y)) w.platform.queueClick(x, y);
        w.step();
    }
    ASSERT_FALSE(w.recorder.lastReplay().empty());
    const Replay replay = parsed(w.recorder.lastReplay());
    EXPECT_EQ(replay.end.level, 100);
    EXPECT_GT(replay.end.score, 1'000'000);
    EXPECT_EQ(replay.difficulty(), 2);
    std::printf("a game of %lld frames, %lld clicks, level %lld, score %lld: a replay of %zu bytes\n",
                static_cast<long long>(replay.end.frames), static_cast<long long>(defender.clicks),
                static_cast<long long>(replay.end.level), static_cast<long long>(replay.end.score),
                w.recorder.lastReplay().size());

    const Verification v = verifyReplay(replay);
    EXPECT_TRUE(v.matches);
    EXPECT_EQ(v.outcome.end.frames, replay.end.frames);
    expectSameGame(v.outcome.finalState, w.recorder.lastEndState());

    // Kept beside the Hall of Fame: the last game, and (first in an empty
    // table) the best.
    EXPECT_EQ(fileBytes(w.last()), w.recorder.lastReplay());
    EXPECT_EQ(fileBytes(w.best()), w.recorder.lastReplay());
}

TEST(RecordedGames, DialogsAreAnsweredFromTheRecordingAndADifficultyChangeEndsAGame) {
    RecordedWorld w(7);
    // A game from the title, the About box answered with its second button,
    // Clear High Scores answered No, a few clicks, then Easy from the menu:
    // the first game ends there and a second one starts.
    w.startPlaying();
    w.platform.aboutAnswers.push_back(AlertSecond);
    w.platform.queueMenu(MenuAbout);  // posts the box's own event for a later frame
    w.steps(3);
    w.platform.yesNoAnswers.push_back(false);
    w.platform.queueMenu(MenuClearHighScores);
    w.steps(40);
    w.platform.queueClick(300, 400);
    w.steps(20);
    w.platform.queueClick(900, 200);
    w.steps(60);
    w.platform.queueMenu(MenuEasy);
    w.step();
    const std::string first = w.recorder.lastReplay();
    ASSERT_FALSE(first.empty());
    const GameState firstEnd = w.recorder.lastEndState();

    // The second game: ESC at once; with the sky empty the game is over in
    // that frame and the Hall of Fame asks for a name.
    w.platform.queueKey(KeySpace);
    w.step();
    w.platform.textAnswers.push_back("Grace");
    w.platform.queueKey(KeyEscape);
    w.step();
    playToTheTitle(w, 2000);
    const std::string second = w.recorder.lastReplay();
    ASSERT_NE(second, first);
    ASSERT_EQ(w.game.state.highScores.size(), 1u);
    EXPECT_EQ(w.game.state.highScores[0].name, "Grace");

    const size_t opened = w.platform.openedAddresses.size();
    const size_t boxes = w.platform.log.size();
    for (const std::string& bytes : {first, second}) {
        const Replay replay = parsed(bytes);
        const Verification v = verifyReplay(replay);
        EXPECT_TRUE(v.matches);
        EXPECT_EQ(v.outcome.end.score, replay.end.score);
    }
    expectSameGame(verifyReplay(parsed(first)).outcome.finalState, firstEnd);
    // Played again, nothing was shown, asked or opened on the real desktop.
    EXPECT_EQ(w.platform.openedAddresses.size(), opened);
    EXPECT_EQ(w.platform.log.size(), boxes);
    EXPECT_EQ(parsed(first).difficulty(), 1);
    EXPECT_EQ(parsed(second).difficulty(), 0);
}

TEST(RecordedGames, TheBestReplayFollowsFirstPlaceAndGoesWithTheHallOfFame) {
    RecordedWorld w(11);
    // Each game: SPACE, SPACE, the score set to its value, ESC, and back to
    // the title, where the name box stores the score.
    auto game = [&](int64_t score) {
        w.startPlaying();
        w.game.state.score = score;
        w.platform.queueKey(KeyEscape);
        w.step();
        playToTheTitle(w, 2000);
        return w.recorder.lastReplay();
    };
    const std::string first = game(500);
    EXPECT_EQ(fileBytes(w.best()), first);
    const std::string lower = game(300);  // second place: the best stays
    EXPECT_EQ(fileBytes(w.best()), first);
    EXPECT_EQ(fileBytes(w.last()), lower);
    const std::string higher = game(900);  // first place: the best is replaced
    EXPECT_EQ(fileBytes(w.best()), higher);
    const std::string tie = game(900);  // an equal score goes below: the best stays
    EXPECT_EQ(fileBytes(w.best()), higher);
    EXPECT_EQ(fileBytes(w.last()), tie);
    // Each holds the name its score went into the Hall of Fame under.
    w.platform.textAnswers.push_back("Zoë\nAda");
    EXPECT_EQ(parsed(game(100)).name, "Zoë Ada");

    // A save that fails (a folder where the table's file was): the table on
    // disk never showed the new first place, so the best stays as it was.
    std::filesystem::remove(w.game.state.highScorePath);
    std::filesystem::create_directory(w.game.state.highScorePath);
    const std::string unsaved = game(5000);
    EXPECT_FALSE(w.platform.logged("messageBox:Score Not Saved").empty());
    EXPECT_EQ(fileBytes(w.last()), unsaved);
    EXPECT_EQ(fileBytes(w.best()), higher);
    std::filesystem::remove(w.game.state.highScorePath);

    // Clearing the Hall of Fame clears its replays.
    w.platform.yesNoAnswers.push_back(true);
    w.platform.queueMenu(MenuClearHighScores);
    w.step();
    EXPECT_FALSE(readReplayFile(w.best()).ok);
    EXPECT_FALSE(readReplayFile(w.last()).ok);
    EXPECT_TRUE(w.game.state.highScores.empty());
}

TEST(RecordedGames, AGameEndedByQuittingOrClosingIsRecordedToItsLastFrame) {
    for (WindowEvent end : {WindowEvent{EventMenu, MenuQuit}, WindowEvent{EventClose}}) {
        RecordedWorld w(13);
        w.startPlaying();
        w.steps(89);
        w.platform.queueEvent(end);
        w.step();
        shutDown(w.game);  // the program ends with its game
        const Replay replay = parsed(w.recorder.lastReplay());
        EXPECT_EQ(replay.end.frames, 91);
        EXPECT_TRUE(verifyReplay(replay).matches);
    }
}

TEST(RecordedGames, AReplayWhoseEventsDoNotLeadToItsScoreIsToldSo) {
    RecordedWorld w(17);
    w.startPlaying();
    w.steps(29);
    w.platform.queueKey(KeyEscape);
    w.step();
    playToTheTitle(w, 2000);
    const Replay honest = parsed(w.recorder.lastReplay());
    ASSERT_TRUE(verifyReplay(honest).matches);

    // The same start and events, claiming another score.
    Replay claimed = honest;
    claimed.end.score += 1000;
    EXPECT_FALSE(verifyReplay(claimed).matches);
    // The same claim with events that never end the game.
    Replay cut = honest;
    cut.body = std::string(1, char(0x7f));  // no frame at all
    cut.end.frames = 0;
    const Verification v = verifyReplay(cut);
    EXPECT_FALSE(v.matches);
    EXPECT_FALSE(v.outcome.ended);
}

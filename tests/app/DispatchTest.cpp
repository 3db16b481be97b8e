// How one window event reaches the game: the pointer, the keys the game
// knows and the ones it ignores, the launch request, and every menu id.
#include <tuple>

#include "FlowTestWorld.h"
#include "records/HighScores.h"

namespace {

using S = Screen;

class DispatchTest : public FlowTestWorld {
protected:
    // The flags that make up the screen, for "nothing changed" checks.
    std::tuple<int64_t, int64_t, int64_t, int64_t, int64_t, int64_t, int64_t> flags() const {
        const GameState& s = game.state;
        return {s.inGame, s.intelShown, s.intermission, s.paused, s.gameOver, s.level, s.score};
    }
};

TEST_F(DispatchTest, EveryCanvasEventMovesThePointerAndOnlyPressAndKeyAct) {
    toPlaying();
    const auto before = flags();
    sound.clearLog();
    for (int64_t type : {int64_t{CanvasLeftUp}, int64_t{CanvasMoved}, int64_t{CanvasOther}, int64_t{0}}) {
        SCOPED_TRACE(type);
        WindowEvent e;
        e.code = EventCanvas;
        e.canvasType = CanvasEventType(type);
        e.x = 300 + type % 7;
        e.y = 40 + type % 5;
        e.key = KeyEscape;  // only a key event carries a key
        EXPECT_TRUE(send(e));
        EXPECT_EQ(game.state.event, EventCanvas);
        EXPECT_EQ(game.state.mouseX, e.x);
        EXPECT_EQ(game.state.mouseY, e.y);
    }
    EXPECT_EQ(flags(), before);
    EXPECT_TRUE(game.state.interceptors.empty());
    EXPECT_TRUE(sound.calls.empty());
}

TEST_F(DispatchTest, OtherEventsKeepThePointerAndChangeNothingButTheEventCode) {
    click(321, 123);
    const auto before = flags();
    for (int64_t code : {int64_t{EventNone}, int64_t{EventClose}, int64_t{4}, int64_t{7}, int64_t{13}, int64_t{-1}}) {
        SCOPED_TRACE(code);
        WindowEvent e;
        e.code = WindowEventCode(code);
        e.x = 5;
        e.y = 6;
        EXPECT_TRUE(send(e));  // the close button ends the loop only after its frame
        EXPECT_EQ(game.state.event, code);
        EXPECT_EQ(game.state.mouseX, 321);
        EXPECT_EQ(game.state.mouseY, 123);
    }
    minimise();
    menu(MenuPreferences);
    EXPECT_EQ(game.state.mouseX, 321);
    EXPECT_EQ(flags(), before);
    EXPECT_TRUE(sound.calls.empty());
}

TEST_F(DispatchTest, KeysOutsideTheFourDoNothing) {
    for (int stage = 0; stage < 2; ++stage) {
        SCOPED_TRACE(stage);
        restartWorld();
        if (stage == 1) toPlaying();
        const auto before = flags();
        sound.clearLog();
        for (int64_t k : {int64_t{0}, int64_t{13}, int64_t{'a'}, int64_t{'q'}, int64_t{'I'}, int64_t{'P'},
                          int64_t{'i' + 256}, int64_t{-32}})
            key(k);
        EXPECT_EQ(flags(), before);
        EXPECT_TRUE(sound.calls.empty());
    }
}

TEST_F(DispatchTest, HeldPTogglesThePauseWithEveryRepeat) {
    toPlaying();
    sound.clearLog();
    std::vector<int64_t> pausedAfter;
    for (int i = 0; i < 5; ++i) {
        key(KeyP);
        pausedAfter.push_back(game.state.paused);
    }
    EXPECT_EQ(pausedAfter, (std::vector<int64_t>{1, 0, 1, 0, 1}));
    EXPECT_EQ(sound.playsOf(SoundPause).size(), 3u);  // only pausing makes a sound
}

TEST_F(DispatchTest, AClickLaunchesFromTheNearestSiteAtThePoint) {
    toPlaying();
    click(100, 400);
    ASSERT_EQ(game.state.interceptors.size(), 1u);
    EXPECT_EQ(game.state.sites[0].ammo, 9);
    EXPECT_EQ(game.state.interceptors[0].targetX, 100.0f);
    EXPECT_EQ(game.state.interceptors[0].targetY, 400.0f);

    // Any point of the canvas is a target, even below the launchers.
    click(1279, 767);
    ASSERT_EQ(game.state.interceptors.size(), 2u);
    EXPECT_EQ(game.state.sites[5].ammo, 9);
}

TEST_F(DispatchTest, AClickWithNoMissilesLeftStillStopsTheTitleTune) {
    toPlaying();
    for (size_t i = 0; i < game.state.sites.size(); ++i) game.state.sites[i].ammo = 0;
    sound.clearLog();
    click(640, 300);
    EXPECT_TRUE(game.state.interceptors.empty());
    EXPECT_EQ(sounds(), std::vector<SoundCall>{stop(SoundTitle)});
}

TEST_F(DispatchTest, AboutItemPostsTheBoxForALaterFrame) {
    platform.queueKey(KeyI);  // already waiting: taken first
    EXPECT_TRUE(menu(MenuAbout));
    EXPECT_TRUE(platform.logged("aboutAlert:").empty());
    ASSERT_EQ(platform.events.size(), 2u);
    EXPECT_EQ(platform.events[1].code, EventMenu);
    EXPECT_EQ(platform.events[1].menuId, MenuAboutBox);

    send(platform.pollEvent());
    EXPECT_EQ(screen(), S::Intel);
    EXPECT_TRUE(platform.logged("aboutAlert:").empty());
    send(platform.pollEvent());
    EXPECT_EQ(platform.logged("aboutAlert:").size(), 1u);
    EXPECT_TRUE(platform.events.empty());
}

TEST_F(DispatchTest, OnlyQuitStopsTheLoop) {
    EXPECT_FALSE(menu(MenuQuit));
    EXPECT_EQ(game.state.event, EventMenu);
    EXPECT_FALSE(handleMenu(game, MenuQuit));
    for (int64_t id : {1, 2, 3, 4, 5, 6, -3, -2, 0, 7, 99, -1, -5})
        EXPECT_TRUE(handleMenu(game, MenuId(id))) << id;
}

TEST_F(DispatchTest, UnknownMenuIdsDoNothing) {
    toPlaying();
    const auto before = flags();
    sound.clearLog();
    platform.log.clear();
    for (int64_t id : {int64_t{MenuPreferences}, int64_t{0}, int64_t{7}, int64_t{99}, int64_t{-1}, int64_t{-5}})
        menu(MenuId(id));
    EXPECT_EQ(flags(), before);
    EXPECT_TRUE(sound.calls.empty());
    EXPECT_TRUE(platform.log.empty());
    EXPECT_TRUE(platform.events.empty());
}

TEST_F(DispatchTest, ShowHighScoresOnlyOutsideAGame) {
    menu(MenuShowHighScores);
    EXPECT_EQ(platform.logged("messageBox:ZARVEX Hall of Fame").size(), 1u);
    toIntel();
    menu(MenuShowHighScores);  // the intel screen is outside a game too
    EXPECT_EQ(platform.logged("messageBox:ZARVEX Hall of Fame").size(), 2u);
    key(KeyI);

    for (int stage = 0; stage < 2; ++stage) {
        SCOPED_TRACE(stage);
        restartWorld();
        if (stage == 0) toSectorPanel();
        if (stage == 1) toPlaying();
        sound.clearLog();
        menu(MenuShowHighScores);
        EXPECT_TRUE(platform.logged("messageBox:").empty());
        EXPECT_TRUE(sound.calls.empty());
    }
    restartWorld();
    toGameOver();
    menu(MenuShowHighScores);
    EXPECT_TRUE(platform.logged("messageBox:").empty());
}

TEST_F(DispatchTest, ClearHighScoresWorksDuringAGame) {
    key(KeySpace);
    key(KeyEscape);
    platform.textAnswers.push_back("ACE");
    key(KeySpace);  // records ACE with 0 points
    loadHighScores(game);
    ASSERT_EQ(game.state.highScores.size(), 1u);

    toPlaying();
    platform.yesNoAnswers.push_back(false);
    menu(MenuClearHighScores);
    EXPECT_TRUE(hallOfFameFileExists());
    platform.yesNoAnswers.push_back(true);
    menu(MenuClearHighScores);
    EXPECT_EQ(platform.logged("yesNoBox:Confirm|Delete High Scores?").size(), 2u);
    EXPECT_FALSE(hallOfFameFileExists());
    EXPECT_TRUE(game.state.highScores.empty());
    EXPECT_EQ(screen(), S::Playing);  // the game goes on
}

}  // namespace

// Start-up in its fixed order and the frame loop over the scripted
// platform: one event per frame, the two ways out, and what a frame runs.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "ScriptedPlatform.h"
#include "ScriptedRandom.h"
#include "SoundRecorder.h"
#include "app/App.h"
#include "core/Game.h"
#include "core/Platform.h"
#include "render/DrawSurface.h"

namespace {
class AppFrame : public ::testing::Test {
protected:
    AppFrame() : random(7), game(platform, sound, random), surface(platform.text, &platform) {}
    void SetUp() override {
        char pattern[] = "/tmp/zarvex-app-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        platform.supportDir = folder;  // no trailing slash: start-up adds one
        platform.exePath = "/opt/zarvex/lib/zarvex/bin/zarvex";
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }
    size_t indexOf(const std::string& line) const {
        const auto it = std::find(platform.log.begin(), platform.log.end(), line);
        return size_t(it - platform.log.begin());
    }

    std::string folder;
    ScriptedPlatform platform;
    SoundRecorder sound;
    SeededRandom random;
    Game game;
    DrawSurface surface;
};
}  // namespace

TEST(AppPaths, SupportFolderAndResourceFolder) {
    EXPECT_EQ(withTrailingSlash("/home/a/.local/share"), "/home/a/.local/share/");
    EXPECT_EQ(withTrailingSlash("/x/"), "/x/");
    EXPECT_EQ(resourceDirFor("/usr/lib/zarvex/bin/zarvex"), "/usr/lib/zarvex/bin/../Resources/");
    EXPECT_EQ(resourceDirFor("zarvex"), "../Resources/");
    EXPECT_EQ(executableName("/usr/lib/zarvex/bin/zarvex"), "zarvex");
}

TEST_F(AppFrame, StartUpRunsInItsFixedOrder) {
    startUp(game, surface);
    const GameState& gs = game.state;
    EXPECT_EQ(gs.highScorePath, folder + "/zvx_highscores.dat");
    EXPECT_EQ(gs.resourceDir, "/opt/zarvex/lib/zarvex/bin/../Resources/");
    EXPECT_EQ(gs.level, 1);
    EXPECT_EQ(gs.waveSize, 10);
    EXPECT_EQ(gs.inGame, 0);
    EXPECT_TRUE(gs.sites.empty());  // the board waits for the first game

    // Fonts: the big bold title font, then the small one.
    ASSERT_EQ(platform.text.fonts.size(), 2u);
    EXPECT_EQ(platform.text.fonts[0].size, 104);
    EXPECT_EQ(platform.text.fonts[0].style, FontBold);
    EXPECT_EQ(platform.text.fonts[1].size, 16);
    EXPECT_EQ(platform.text.fonts[1].style, 0);
    EXPECT_NE(gs.bigFont, gs.smallFont);

    // Sounds: the device, then the fifteen files in the loading order.
    ASSERT_EQ(sound.calls.size(), 16u);
    EXPECT_EQ(sound.calls[0].kind, SoundCall::Init);
    const int64_t order[] = {0, 1, 2, 4, 3, 5, 9, 8, 6, 10, 11, 7, 12, 13, 14};
    for (int i = 0; i < 15; ++i) {
        EXPECT_EQ(sound.calls[size_t(i) + 1].kind, SoundCall::Load);
        EXPECT_EQ(sound.calls[size_t(i) + 1].slot, order[i]);
        EXPECT_EQ(sound.calls[size_t(i) + 1].path, gs.resourceDir + kSoundFiles[order[i]]);
    }

    // The desktop: foreground first, activation before the window, then
    // menus, the hidden pointer and the focus.
    EXPECT_EQ(platform.log.front(), "becomeForegroundApp");
    const size_t open = indexOf("openWindow:ZARVEX v1.01|1280x768");
    ASSERT_LT(open, platform.log.size());
    EXPECT_EQ(platform.log[open - 1], "activateApp");
    EXPECT_EQ(platform.log[open + 1], "buildMenus");
    EXPECT_EQ(platform.log[open + 2], "hideCursor");
    EXPECT_EQ(platform.log[open + 3], "focusCanvas");
    ASSERT_FALSE(platform.menus.empty());
    EXPECT_TRUE(platform.menus[0].applicationMenu);
    EXPECT_EQ(platform.menus[0].title, "zarvex");
}

TEST_F(AppFrame, StartUpLoadsTheHallOfFameBeforeTheWindowOpens) {
    // ACE 700 in the file format: the title's best line comes from it.
    {
        std::FILE* f = std::fopen((folder + "/zvx_highscores.dat").c_str(), "wb");
        ASSERT_NE(f, nullptr);
        const unsigned char bytes[] = {0x41, 0x43, 0x45, 0x0A, 0xBC, 0x02, 0, 0, 0, 0, 0, 0};
        std::fwrite(bytes, 1, sizeof bytes, f);
        std::fclose(f);
    }
    startUp(game, surface);
    ASSERT_EQ(game.state.highScores.size(), 1u);
    EXPECT_EQ(game.state.highScores[0].name, "ACE");
    EXPECT_EQ(game.state.highScores[0].score, 700);
}

// Temporary files that saves killed in an earlier run left beside the table
// are gone after start-up; other files stay.
TEST_F(AppFrame, StartUpClearsLeftoversOfKilledSaves) {
    const pid_t dead = fork();
    if (dead == 0) _exit(0);
    waitpid(dead, nullptr, 0);
    const std::string leftover = folder + "/zvx_highscores.dat.tmp." + std::to_string(dead) + ".0";
    for (const std::string& name : {leftover, folder + "/notes.txt"}) std::fclose(std::fopen(name.c_str(), "wb"));
    startUp(game, surface);
    EXPECT_FALSE(std::filesystem::exists(leftover));
    EXPECT_TRUE(std::filesystem::exists(folder + "/notes.txt"));
}

// With no home folder the platform has no data folder: the game runs, keeps
// its table in memory and says at the save that the score is not stored.
TEST_F(AppFrame, WithoutADataFolderTheGameRunsAndSaysScoresAreNotSaved) {
    platform.supportDir = "";
    const auto before = std::filesystem::current_path();
    std::filesystem::current_path(folder);  // where a relative path would land
    startUp(game, surface);
    EXPECT_EQ(game.state.highScorePath, "");

    GameState& gs = game.state;
    gs.inGame = 1;
    gs.gameOver = 1;
    gs.score = 4200;
    platform.queueKey(KeySpace);  // leave the finished game: the name is asked, then the save
    platform.queueKey(KeySpace);
    for (int i = 0; i < 30; ++i) ASSERT_EQ(runFrame(game, surface), FrameEnd::Continue);
    std::filesystem::current_path(before);

    EXPECT_EQ(platform.logged("textInputBox:").size(), 1u);
    EXPECT_EQ(platform.logged("messageBox:"),
              (std::vector<std::string>{
                  "messageBox:Score Not Saved|Your score could not be saved to zvx_highscores.dat: no home folder"}));
    EXPECT_EQ(gs.gameOver, 0);  // the new game goes on
    EXPECT_EQ(gs.intermission, 0);
    EXPECT_GT(gs.spawned, 0);
    ASSERT_EQ(gs.highScores.size(), 1u);  // the title's best line still shows it in this run
    EXPECT_EQ(gs.highScores[0].score, 4200);
    EXPECT_TRUE(std::filesystem::is_empty(folder));
}

TEST_F(AppFrame, OneEventPerFrameAndTheCloseButtonFinishesItsFrame) {
    startUp(game, surface);
    platform.queueKey(KeyI);      // the intel screen
    platform.queueKey(KeySpace);  // back to the title
    platform.queueClose();
    const int presentedBefore = platform.presented;

    EXPECT_EQ(runFrame(game, surface), FrameEnd::Continue);
    EXPECT_EQ(game.state.intelShown, 1);
    EXPECT_EQ(platform.events.size(), 2u);  // the others wait
    EXPECT_EQ(runFrame(game, surface), FrameEnd::Continue);
    EXPECT_EQ(game.state.intelShown, 0);
    const int64_t slept = platform.sleptMicros;
    EXPECT_EQ(runFrame(game, surface), FrameEnd::Close);
    // The closing frame was drawn and waited like any other: a 60th of a
    // second from its start.
    EXPECT_EQ(platform.presented, presentedBefore + 3);
    EXPECT_EQ(platform.sleptMicros, slept + 16667);
    EXPECT_EQ(game.state.event, EventClose);
    // An empty queue is a frame without event.
    EXPECT_EQ(runFrame(game, surface), FrameEnd::Continue);
    EXPECT_EQ(game.state.event, EventNone);
}

TEST_F(AppFrame, QuitLeavesAtOnceWithoutDrawingOrRecording) {
    startUp(game, surface);
    platform.queueKey(KeySpace);  // a game
    platform.queueKey(KeySpace);  // play
    runFrame(game, surface);
    runFrame(game, surface);
    ASSERT_EQ(game.state.inGame, 1);
    game.state.score = 12345;
    platform.queueMenu(MenuQuit);
    const int presented = platform.presented;
    const int64_t slept = platform.sleptMicros;
    EXPECT_EQ(runFrame(game, surface), FrameEnd::Quit);
    EXPECT_EQ(platform.presented, presented);
    EXPECT_EQ(platform.sleptMicros, slept);
    shutDown(game);
    EXPECT_FALSE(std::filesystem::exists(folder + "/zvx_highscores.dat"));
    EXPECT_TRUE(platform.logged("textInputBox").empty());
    EXPECT_EQ(platform.log.back(), "closeWindow");
}

TEST_F(AppFrame, TheBattleMovesOnlyInAnUnpausedGameOutsideTheSectorPanel) {
    startUp(game, surface);
    platform.queueKey(KeySpace);
    runFrame(game, surface);  // the sector panel of level 1
    ASSERT_EQ(game.state.intermission, 1);
    for (int i = 0; i < 5; ++i) runFrame(game, surface);
    EXPECT_EQ(game.state.spawned, 0);  // halted under the panel
    platform.queueKey(KeySpace);
    runFrame(game, surface);  // the panel closes and the first step runs
    EXPECT_EQ(game.state.spawned, 1);
    platform.queueKey(KeyP);
    runFrame(game, surface);
    EXPECT_EQ(game.state.paused, 1);
    for (int i = 0; i < 5; ++i) runFrame(game, surface);
    EXPECT_EQ(game.state.spawned, 1);
    platform.queueKey(KeyP);
    runFrame(game, surface);
    EXPECT_EQ(game.state.spawned, 2);
}

TEST_F(AppFrame, WithoutAnySoundTheGameRunsTheSame) {
    sound.deviceOpen = false;
    sound.loaded.fill(false);
    startUp(game, surface);
    platform.queueKey(KeySpace);
    platform.queueKey(KeySpace);
    for (int i = 0; i < 300; ++i) runFrame(game, surface);
    EXPECT_EQ(game.state.inGame, 1);
    EXPECT_GT(game.state.spawned, 0);
}

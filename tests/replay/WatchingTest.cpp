// Watching a recorded game in the window: File > Watch Best Game on the
// title plays it with its sounds and a REPLAY mark, any key or click ends it,
// and the game is left as it was; a replay that cannot be played is told in
// a box.
#include <gtest/gtest.h>

#include <fstream>

#include "ReplayTestWorld.h"
#include "render/DrawSurface.h"

namespace {

// A short recorded game (three clicks, then ESC) now kept as the best one;
// the world is back on its title screen.
void recordABestGame(RecordedWorld& w) {
    w.startPlaying();
    w.steps(59);
    for (int64_t x : {200, 640, 1000}) {
        w.platform.queueClick(x, 300);
        w.steps(30);
    }
    w.platform.queueKey(KeyEscape);
    for (int i = 0; i < 600 && w.game.state.inGame != 0; ++i) w.step();
    ASSERT_EQ(w.game.state.inGame, 0);
    ASSERT_TRUE(readReplayFile(w.best()).ok);
}

size_t countText(const ScriptedPlatform& p, const std::string& text) {
    size_t n = 0;
    for (const auto& call : p.text.drawn) n += call.text == text;
    return n;
}

}  // namespace

TEST(WatchingReplays, TheBestGamePlaysWithItsMarkAndAnyKeyReturnsToTheTitleUnchanged) {
    RecordedWorld w(23);
    recordABestGame(w);
    DrawSurface surface(w.platform.text, &w.platform);
    const uint64_t before = fingerprint(w.game.state);
    const size_t entries = w.game.state.highScores.size();
    const int64_t difficulty = w.game.state.difficulty;

    // Forty frames of the replay, then a key.
    for (int i = 0; i < 40; ++i) w.platform.queueEvent(WindowEvent{});
    w.platform.queueKey('x');
    w.sound.clearLog();
    w.platform.text.drawn.clear();
    EXPECT_EQ(watchReplayFile(w.game, surface, w.best()), WatchEnd::Stopped);

    EXPECT_EQ(countText(w.platform, "REPLAY"), 40u);
    EXPECT_GE(countText(w.platform, ">>> SECTOR 1 STATUS: SECURED <<<"), 1u);  // the recorded game's first panel
    EXPECT_FALSE(w.sound.playsOf(SoundAlert).empty());  // with its sounds
    EXPECT_TRUE(w.platform.events.empty());              // the key ended it
    // Back on the title, the game as it was.
    EXPECT_EQ(fingerprint(w.game.state), before);
    EXPECT_EQ(w.game.state.inGame, 0);
    EXPECT_EQ(w.game.state.highScores.size(), entries);
    EXPECT_EQ(w.game.state.difficulty, difficulty);
}

TEST(WatchingReplays, AReplayPlaysToItsEndAndOnlyOnTheTitle) {
    RecordedWorld w(29);
    recordABestGame(w);
    DrawSurface surface(w.platform.text, &w.platform);
    const Replay replay = parsed(fileBytes(w.best()));
    w.platform.text.drawn.clear();
    EXPECT_EQ(watchReplay(w.game, surface, replay), WatchEnd::Played);
    // Every frame of the recording and the one it began in, each marked.
    EXPECT_EQ(countText(w.platform, "REPLAY"), size_t(replay.end.frames + 1));

    // The menu item on the title shows it, and the frame goes on with the
    // title's own picture.
    w.platform.queueMenu(MenuWatchBestGame);
    for (int i = 0; i < 5; ++i) w.platform.queueEvent(WindowEvent{});
    w.platform.queueKey('x');
    w.platform.text.drawn.clear();
    EXPECT_EQ(runFrame(w.game, surface), FrameEnd::Continue);
    EXPECT_EQ(countText(w.platform, "REPLAY"), 5u);
    const auto& drawn = w.platform.text.drawn;
    size_t lastMark = 0;
    for (size_t i = 0; i < drawn.size(); ++i)
        if (drawn[i].text == "REPLAY") lastMark = i;
    bool titleAfter = false;
    for (size_t i = lastMark; i < drawn.size(); ++i) titleAfter = titleAfter || drawn[i].text == "PRESS SPACE TO PLAY";
    EXPECT_TRUE(titleAfter);

    // During a game the item does nothing.
    w.platform.queueKey(KeySpace);
    w.step();
    w.platform.text.drawn.clear();
    w.platform.queueMenu(MenuWatchBestGame);
    runFrame(w.game, surface);
    EXPECT_EQ(countText(w.platform, "REPLAY"), 0u);
}

TEST(WatchingReplays, CloseAndQuitWhileWatchingEndTheProgram) {
    RecordedWorld w(31);
    recordABestGame(w);
    DrawSurface surface(w.platform.text, &w.platform);
    w.platform.queueMenu(MenuWatchBestGame);
    w.platform.queueEvent(WindowEvent{});
    w.platform.queueClose();
    EXPECT_EQ(runFrame(w.game, surface), FrameEnd::Close);
    w.platform.queueMenu(MenuWatchBestGame);
    w.platform.queueMenu(MenuQuit);
    EXPECT_EQ(runFrame(w.game, surface), FrameEnd::Quit);
}

TEST(WatchingReplays, AMissingDamagedOrForeignReplayIsToldInABox) {
    RecordedWorld w(37);
    DrawSurface surface(w.platform.text, &w.platform);
    auto told = [&] {
        const auto boxes = w.platform.logged("messageBox:Replay|");
        return boxes.empty() ? std::string() : boxes.back();
    };
    EXPECT_EQ(watchReplayFile(w.game, surface, w.best()), WatchEnd::Stopped);
    EXPECT_EQ(told(), "messageBox:Replay|The replay " + w.best() + " cannot be played: there is none yet.");

    recordABestGame(w);
    std::string bytes = fileBytes(w.best());
    bytes[bytes.size() / 2] ^= 0x40;
    std::ofstream(w.best(), std::ios::binary | std::ios::trunc) << bytes;
    watchReplayFile(w.game, surface, w.best());
    EXPECT_NE(told().find("cannot be played: the file is damaged"), std::string::npos) << told();

    std::ofstream(w.best(), std::ios::binary | std::ios::trunc) << "ACE\n\x01\x02";
    watchReplayFile(w.game, surface, w.best());
    EXPECT_NE(told().find("cannot be played: it is not a ZARVEX replay"), std::string::npos) << told();

    ReplayWriter other;  // another version's game
    other.start(ReplayStart{}, {1, 2, 3, 4}, 0, "1.02");
    std::ofstream(w.best(), std::ios::binary | std::ios::trunc) << other.finish({});
    w.platform.text.drawn.clear();
    watchReplayFile(w.game, surface, w.best());
    EXPECT_EQ(told(), "messageBox:Replay|The replay " + w.best() +
                          " cannot be played: it was recorded by ZARVEX 1.02, and this is ZARVEX 1.01.");
    EXPECT_EQ(countText(w.platform, "REPLAY"), 0u);
}

TEST(WatchingReplays, AReplayKeepsTheGamesPaceWhenShowingIsSlow) {
    RecordedWorld w(31);
    recordABestGame(w);
    DrawSurface surface(w.platform.text, &w.platform);
    const Replay replay = parsed(fileBytes(w.best()));
    w.platform.presentMicros = 30'000;  // two steps' time to show a picture
    w.platform.text.drawn.clear();
    const int64_t began = w.platform.clockMicros();
    EXPECT_EQ(watchReplay(w.game, surface, replay), WatchEnd::Played);
    // Every recorded step at 60 a second, a picture every 30 ms.
    const double seconds = double(replay.end.frames + 1) / 60.0;
    EXPECT_NEAR(double(w.platform.clockMicros() - began) / 1e6, seconds, 0.05);
    EXPECT_NEAR(double(countText(w.platform, "REPLAY")), seconds * 1000.0 / 30.0, 3.0);
}

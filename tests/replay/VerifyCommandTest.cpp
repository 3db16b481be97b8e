// zarvex --verify FILE, the real program without a window: a replay that
// holds, one whose events do not lead to its score, and files that are no
// replays, each with its answer and exit status.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <fstream>

#include "ReplayTestWorld.h"

namespace {

struct Outcome {
    int status = -1;
    std::string out;
};

Outcome run(const std::string& args) {
    Outcome r;
    // No display at all: verifying must not need one.
    const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=none '" +
                                std::string(ZARVEX_GAME_BINARY) + "' " + args + " 2>&1";
    FILE* p = popen(command.c_str(), "r");
    if (!p) return r;
    std::array<char, 256> buf{};
    while (fgets(buf.data(), int(buf.size()), p)) r.out += buf.data();
    const int status = pclose(p);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

// The same replay, re-recorded to claim another score.
std::string claiming(const Replay& honest, int64_t score) {
    ReplayWriter w;
    w.start(honest.start, honest.random, honest.recordedAt, honest.gameVersion);
    ReplayFrames frames(honest);
    ReplayFrame f;
    while (frames.next(f)) {
        w.frame(f.event);
        for (const ReplayAnswer& a : f.answers) w.answer(a);
    }
    ReplayEnd end = honest.end;
    end.score = score;
    return w.finish(end);
}

}  // namespace

TEST(VerifyCommand, TellsWhetherAReplayHoldsWithoutAWindow) {
    RecordedWorld w(41);
    w.startPlaying();
    w.steps(199);
    w.platform.queueClick(640, 300);
    w.steps(100);
    w.platform.queueKey(KeyEscape);
    for (int i = 0; i < 600 && w.game.state.inGame != 0; ++i) w.step();
    const std::string good = w.folder + "/good.zvxr";
    std::ofstream(good, std::ios::binary) << w.recorder.lastReplay();
    const Replay replay = parsed(w.recorder.lastReplay());

    Outcome r = run("--verify '" + good + "'");
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(r.out, good + ": verified: level " + std::to_string(replay.end.level) + ", score " +
                         std::to_string(replay.end.score) + "\n");

    const std::string wrong = w.folder + "/wrong.zvxr";
    std::ofstream(wrong, std::ios::binary) << claiming(replay, replay.end.score + 5000);
    r = run("--verify '" + wrong + "'");
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_NE(r.out.find("its events do not lead to its recorded score"), std::string::npos) << r.out;

    const std::string text = w.folder + "/notes.txt";
    std::ofstream(text) << "not a replay at all\n";
    r = run("--verify '" + text + "'");
    EXPECT_EQ(r.status, 2) << r.out;
    EXPECT_NE(r.out.find("it is not a ZARVEX replay"), std::string::npos) << r.out;

    r = run("--verify '" + w.folder + "/missing.zvxr'");
    EXPECT_EQ(r.status, 2) << r.out;
    EXPECT_NE(r.out.find("there is none yet"), std::string::npos) << r.out;

    r = run("--verify");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.out.find("usage: zarvex"), std::string::npos);
    r = run("--help");
    EXPECT_EQ(r.status, 0);
}

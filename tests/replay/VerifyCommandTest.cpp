// zarvex --verify FILE, the real program without a window: a replay that
// holds, one whose events do not lead to its score, and files that are no
// replays, each with its answer and exit status.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "ReplayTestWorld.h"

namespace {

struct Outcome {
    int status = -1;
    std::string out;  // the verdict
    std::string err;  // what went wrong
};

// The game with `args`, its Hall of Fame in `dataHome`.
Outcome run(const std::string& args, const std::string& dataHome = "/nonexistent") {
    Outcome r;
    const std::string errFile = std::string(ZARVEX_BUILD_DIR) + "/verify-stderr.txt";
    // No display at all: verifying must not need one.
    const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=none XDG_DATA_HOME='" + dataHome +
                                "' '" + std::string(ZARVEX_GAME_BINARY) + "' " + args + " 2>'" + errFile + "'";
    FILE* p = popen(command.c_str(), "r");
    if (!p) return r;
    std::array<char, 256> buf{};
    while (fgets(buf.data(), int(buf.size()), p)) r.out += buf.data();
    const int status = pclose(p);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream in(errFile);
    r.err.assign(std::istreambuf_iterator<char>(in), {});
    return r;
}

// The same replay, re-recorded to claim another end; `extraFrames` quiet
// frames added after its own.
std::string claiming(const Replay& honest, int64_t score, int extraFrames = 0) {
    ReplayWriter w;
    w.start(honest.start, honest.random, honest.recordedAt, honest.gameVersion);
    ReplayFrames frames(honest);
    ReplayFrame f;
    while (frames.next(f)) {
        w.frame(f.event);
        for (const ReplayAnswer& a : f.answers) w.answer(a);
    }
    for (int i = 0; i < extraFrames; ++i) w.frame(WindowEvent{});
    ReplayEnd end = honest.end;
    end.score = score;
    return w.finish(end, honest.name);
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

    // The game's name box answered with the player's name; with the Hall
    // of Fame that holds it, the verdict says so.
    Outcome r = run("--verify '" + good + "'", w.folder);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.rfind(good + ": verified\ndifficulty: Normal\ngame version: 1.01\nrecorded: 20", 0), 0u) << r.out;
    EXPECT_NE(r.out.find(" UTC\nname: Test Player\nlevel: 1\nscore: 0\nHall of Fame: this game's entry, place 1\n"),
              std::string::npos)
        << r.out;
    EXPECT_EQ(r.err, "");

    const std::string wrong = w.folder + "/wrong.zvxr";
    std::ofstream(wrong, std::ios::binary) << claiming(replay, replay.end.score + 5000);
    r = run("--verify '" + wrong + "'");
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_NE(r.out.find("its events do not lead to its recorded score"), std::string::npos) << r.out;
    std::ofstream(wrong, std::ios::binary | std::ios::trunc) << claiming(replay, replay.end.score, 25);
    r = run("--verify '" + wrong + "'");
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_EQ(r.out, wrong + ": not verified: its events lead to its recorded level and score, but its game ends after " +
                         std::to_string(replay.end.frames) + " frames, not after the " +
                         std::to_string(replay.end.frames + 25) + " it records\n");

    // Files that cannot be played: told on the error stream, nothing on the
    // verdict's.
    const std::string text = w.folder + "/notes.txt";
    std::ofstream(text) << "not a replay at all\n";
    const std::string foreign = w.folder + "/foreign.zvxr";
    ReplayWriter other;
    other.start(replay.start, replay.random, 0, "9.99");
    std::ofstream(foreign, std::ios::binary) << other.finish({});
    for (const auto& [file, why] : std::vector<std::pair<std::string, std::string>>{
             {text, "it is not a ZARVEX replay"},
             {w.folder + "/missing.zvxr", "there is none yet"},
             {foreign, "it was recorded by ZARVEX 9.99, and this is ZARVEX 1.01"}}) {
        r = run("--verify '" + file + "'");
        EXPECT_EQ(r.status, 2) << r.err;
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find(why), std::string::npos) << r.err;
    }

    r = run("--verify");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("usage: zarvex"), std::string::npos);
    r = run("--help");
    EXPECT_EQ(r.status, 0);
}

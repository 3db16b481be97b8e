// What recording costs the game, and how fast a replay is verified:
//  - one frame's recording: the event taken, told to the recorder and
//    written (the player's frame pays this on top of its own work),
//  - verifying the replay of a whole game of 100 waves on Hard, headless.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "Defender.h"
#include "RecordedWorld.h"
#include "app/Replayer.h"

namespace {

void BM_RecordOneFrame(benchmark::State& state) {
    RecordedWorld r(1, false);
    r.platform.queueMenu(MenuNormal);
    r.step();  // a game on: the recorder writes
    WindowEvent move;
    move.code = EventCanvas;
    move.canvasType = CanvasMoved;
    int64_t i = 0;
    for (auto _ : state) {
        // Half the frames move the pointer, the others take no event.
        if (++i % 2 == 0) {
            move.x = 600 + i % 40;
            move.y = 300 + i % 17;
            r.platform.queueEvent(move);
        }
        benchmark::DoNotOptimize(r.recording.pollEvent());
    }
    state.SetLabel(r.recorder.recording() ? "recording" : "NOT recording");
}
BENCHMARK(BM_RecordOneFrame);

// The defender's game of 100 waves, recorded once.
std::string hundredWaveReplay() {
    RecordedWorld r(20240602, false);
    r.platform.queueMenu(MenuHard);
    r.step();
    r.platform.queueKey(KeySpace);
    r.step();
    defence::Defender defender;
    int64_t frame = 0;
    while (r.game.state.inGame != 0 && ++frame < 2'000'000) {
        int64_t x = 0, y = 0;
        if (defender.choose(r.game.state, frame, x, y)) r.platform.queueClick(x, y);
        r.step();
    }
    return r.recorder.lastReplay();
}

void BM_VerifyHundredWaveGame(benchmark::State& state) {
    static const std::string bytes = hundredWaveReplay();
    const Replay replay = std::get<Replay>(parseReplay(bytes));
    bool holds = true;
    for (auto _ : state) holds = holds && verifyReplay(replay).matches;
    state.SetLabel(std::to_string(replay.end.frames) + " frames, level " + std::to_string(replay.end.level) +
                   (holds ? ", holds" : ", DOES NOT HOLD"));
}
BENCHMARK(BM_VerifyHundredWaveGame)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

// One simulation step at the heaviest load the rules allow: wave 100 on
// Hard with the full 33 warheads in flight (19 of them THROBBERs, each with
// interceptors climbing just below it and explosions beside it), 40
// interceptors and 120 explosions. No warhead sits inside a blast, so every
// blast test runs through the whole explosion list.
//
// A step changes the state it runs on, so each timed step gets a freshly
// built game; the games of a batch are built with the clock stopped.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

#include "ScriptedPlatform.h"
#include "SoundRecorder.h"
#include "battle/Board.h"
#include "battle/Simulation.h"
#include "core/Game.h"
#include "core/Numeric.h"
#include "HeavyStates.h"

namespace {
using heavy::buildHeavyBattle;

struct Batch {
    ScriptedPlatform platform;
    SoundRecorder sound;
    SeededRandom random{2024};
    std::vector<std::unique_ptr<Game>> games;

    void rebuild(size_t n) {
        sound.clearLog();
        games.clear();
        for (size_t i = 0; i < n; ++i) {
            games.push_back(std::make_unique<Game>(platform, sound, random));
            buildHeavyBattle(*games.back());
        }
    }
};

void BM_SimulationStepHeaviestLoad(benchmark::State& state) {
    constexpr size_t kBatch = 256;
    Batch batch;
    batch.rebuild(kBatch);
    size_t next = 0;
    for (auto _ : state) {
        if (next == kBatch) {
            state.PauseTiming();
            batch.rebuild(kBatch);
            next = 0;
            state.ResumeTiming();
        }
        Game& game = *batch.games[next++];
        simulationStep(game);
        benchmark::DoNotOptimize(game.state.score);
    }
    // The load the step met (checked on a fresh copy, outside the timing).
    Batch check;
    check.rebuild(1);
    GameState& st = check.games[0]->state;
    state.counters["warheads"] = static_cast<double>(st.warheads.size());
    state.counters["interceptors"] = static_cast<double>(st.interceptors.size());
    state.counters["explosions"] = static_cast<double>(st.explosions.size());
    simulationStep(*check.games[0]);
    state.counters["warheads_after"] = static_cast<double>(st.warheads.size());
}
BENCHMARK(BM_SimulationStepHeaviestLoad)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();

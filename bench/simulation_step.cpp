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

namespace {

constexpr int kThrobbers = 19;
constexpr int kWarheads = 33;
constexpr int kInterceptors = 40;
constexpr int kExplosions = 120;

Explosion& addBlast(GameState& st, float x, float y, float radius) {
    st.explosions.last();
    Explosion& e = st.explosions.add();
    e.x = x;
    e.y = y;
    e.radius = radius;
    e.maxRadius = 95;
    e.red = 255;
    e.green = 160;
    e.alpha = 255;
    e.growing = 1;
    e.fade = 14;
    return e;
}

// An interceptor on its way from the nearest site to (tx, ty), `left` px
// short of it.
void addFlight(GameState& st, float tx, float ty, float left) {
    float sx = kSiteX[0];
    for (float x : kSiteX)
        if (std::fabs(x - tx) < std::fabs(sx - tx)) sx = x;
    st.interceptors.last();
    Interceptor& i = st.interceptors.add();
    i.startX = sx;
    i.startY = 703;
    i.targetX = tx;
    i.targetY = ty;
    i.speed = 14;
    i.distance = toF32(std::hypot(static_cast<double>(tx) - sx, static_cast<double>(ty) - 703.0));
    i.travelled = i.distance - left;
    const double f = static_cast<double>(i.travelled) / i.distance;
    i.x = toF32(sx + (static_cast<double>(tx) - sx) * f);
    i.y = toF32(703.0 + (static_cast<double>(ty) - 703.0) * f);
}

void buildHeavyBattle(Game& game) {
    GameState& st = game.state;
    setInitialValues(st);
    st.difficulty = 2;
    st.speedFactor = 1.8f;
    newBoard(game);
    st.level = 100;
    st.inGame = 1;
    st.waveSize = 80;
    st.spawned = 40;  // launches go on, but the limit in flight holds them
    st.score = 1'000'000;
    st.nextRepairScore = 5'000'000;
    st.sites.forEach([](Site& s) { s.ammo = 30; });

    const float speed = baseSpeedFor(100, 1.8f);
    for (int i = 0; i < kThrobbers; ++i) {
        const float x = 80.0f + 60.0f * static_cast<float>(i);
        st.warheads.last();
        Warhead& w = st.warheads.add();
        w.startX = w.x = x;
        w.y = 300;
        w.targetX = x;
        w.speed = toF32(static_cast<double>(speed) * 4.6);  // (L * 0.04 + 0.6) x base
        w.evasive = 1;
        w.splitY = -1;
        w.driftX = (i % 2) ? 0.5f : -0.5f;
        // Explosions within its dodge zone but not over it, and two
        // interceptors climbing towards it from below.
        addBlast(st, x + 30, 300, 20);
        addBlast(st, x + 30, 335, 20);
        addFlight(st, x + 15, 250, 90);
        addFlight(st, x - 15, 250, 110);
    }
    for (int i = kThrobbers; i < kWarheads; ++i) {
        const float x = 40.0f + 85.0f * static_cast<float>(i - kThrobbers);
        st.warheads.last();
        Warhead& w = st.warheads.add();
        w.startX = w.x = x;
        w.y = 100.0f + 5.0f * static_cast<float>(i);
        w.targetX = 1280.0f - x;
        w.splitY = -1;
        w.speed = toF32(static_cast<double>(speed) * 1.3);
        switch (i % 4) {
            case 0: w.zigzag = 1; w.zigPhase = 1.5f; break;
            case 1: w.seeker = 1; w.targetX = 728; break;
            case 2: w.splitY = 250; break;  // a MIRV still above its split height
            default: break;
        }
    }
    for (int i = static_cast<int>(st.interceptors.size()); i < kInterceptors; ++i)
        addFlight(st, 300.0f + 400.0f * static_cast<float>(i % 2), 150, 300);
    for (int i = static_cast<int>(st.explosions.size()); i < kExplosions; ++i) {
        const int j = i - 2 * kThrobbers;
        addBlast(st, 30.0f + 30.0f * static_cast<float>(j % 41), 560.0f + 45.0f * static_cast<float>(j / 41), 20);
    }
}

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

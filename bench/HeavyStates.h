#pragma once
// The heaviest states the game can be in, shared by the benchmarks: the
// simulation's worst step and the drawing's worst picture.
#include <cmath>
#include <cstdint>

#include "Scene.h"
#include "battle/Board.h"
#include "core/Game.h"
#include "core/Numeric.h"

namespace heavy {

// Wave 100 on Hard with the full 33 warheads in flight (19 of them
// THROBBERs, each with interceptors climbing just below it and explosions
// beside it), 40 interceptors and 120 explosions. No warhead sits inside a
// blast, so every blast test runs through the whole explosion list.
constexpr int kThrobbers = 19;
constexpr int kWarheads = 33;
constexpr int kInterceptors = 40;
constexpr int kExplosions = 120;

// A burst 95 px wide at its fullest, grown to `radius`.
inline Explosion& addBlast(GameState& st, float x, float y, float radius) {
    Explosion& e = scene::addExplosion(st, x, y, radius, 255, 160, 0);
    e.maxRadius = 95;
    return e;
}

// An interceptor on its way from the nearest site to (tx, ty), `left` px
// short of it.
inline void addFlight(GameState& st, float tx, float ty, float left) {
    float sx = field::kSiteX[0];
    for (float x : field::kSiteX)
        if (std::fabs(x - tx) < std::fabs(sx - tx)) sx = x;
    scene::addFlight(st, sx, tx, ty, left);
}

inline void buildHeavyBattle(Game& game) {
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
        Warhead& w = scene::addFallingWarhead(st, x, 300, toF32(static_cast<double>(speed) * 4.6));  // (L * 0.04 + 0.6) x base
        w.evasive = 1;
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
        Warhead& w = scene::addFallingWarhead(st, x, 100.0f + 5.0f * static_cast<float>(i),
                                              toF32(static_cast<double>(speed) * 1.3));
        w.targetX = 1280.0f - x;
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


constexpr int64_t kForever = int64_t(1) << 40;  // timers that never run out here

// A battle at level 57 with every site standing and the pointer mid-screen.
inline void buildQuietBattle(Game& game) {

        GameState& gs = game.state;
        gs.inGame = 1;
        gs.level = 57;
        gs.score = 9876543;
        newBoard(game);
        setupWave(game, gs.level);
        gs.intermission = 0;
        gs.mouseX = 640;
        gs.mouseY = 400;
}

// The heaviest picture: a full wave of every kind of warhead, the sites'
// whole supply in the air, a sky full of bursts, the game-over flash at full
// size, static, every label and both overlays.
inline void buildHeaviestPicture(Game& game) {

        buildQuietBattle(game);
        GameState& gs = game.state;
        // Every site standing with a full skyline and both labels.
        for (size_t i = 0; i < gs.sites.size(); ++i) {
            Site& s = gs.sites[i];
            s.ammo = int64_t(i) * 5;
            s.repairTimer = kForever;
            s.buildings.clear();
            for (int b = 0; b < 4; ++b) scene::addBuilding(s, -50 + 26 * b, 15 + 3 * b, 40 + 12 * b);
        }
        for (int i = 0; i < 33; ++i) {
            Warhead& w = scene::addWarhead(gs, float(40 + i * 37), 0, float(60 + (i * 53) % 1160),
                                           float(60 + (i * 97) % 600));
            w.pulse = 0.3f * float(i);
            switch (i % 6) {
                case 0: break;                     // ICBM
                case 1: w.splitY = 120; break;     // MIRV
                case 2: w.fragment = 1; break;     // fragment
                case 3: w.seeker = 1; break;       // SEEKER
                case 4: w.zigzag = 1; break;       // ZIG-ZAGER
                case 5: w.evasive = 1; break;      // THROBBER
            }
        }
        gs.alarmPhase = 1.0f;
        for (int i = 0; i < 40; ++i)
            scene::addInterceptor(gs, float(182 * (1 + i % 6)), float(30 + (i * 71) % 1220), float(80 + (i * 43) % 600));
        for (int i = 0; i < 120; ++i) {
            // Radii 1 .. 97, the interceptor bursts' range; every other one fading.
            const bool growing = i % 2 != 0;
            scene::addExplosion(gs, float(20 + (i * 89) % 1240), float(40 + (i * 61) % 680), float(1 + 6 * (i % 17)),
                                255, 120 + (i * 13) % 100, 0, growing, growing ? 255 : 255 - (i * 14) % 250);
        }
        // The game-over flash at its full size, fading over everything.
        Explosion& flash = scene::addExplosion(gs, 640, 384, 1603, 255, 255, 255, false, 130);
        flash.maxRadius = 1600;

        gs.shakeTimer = kForever;
        gs.staticTimer = kForever;
        gs.gameOver = 1;
        gs.paused = 1;
}

}  // namespace heavy

#pragma once
// The heaviest states the game can be in, shared by the benchmarks: the
// simulation's worst step and the drawing's worst picture.
#include <cmath>
#include <cstdint>

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

inline Explosion& addBlast(GameState& st, float x, float y, float radius) {
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
inline void addFlight(GameState& st, float tx, float ty, float left) {
    float sx = field::kSiteX[0];
    for (float x : field::kSiteX)
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
            for (int b = 0; b < 4; ++b) {
                s.buildings.last();
                Building& bd = s.buildings.add();
                bd.width = 15 + 3 * b;
                bd.height = 40 + 12 * b;
                bd.offsetX = -50 + 26 * b;
            }
        }
        for (int i = 0; i < 33; ++i) {
            gs.warheads.last();
            Warhead& w = gs.warheads.add();
            w.startX = float(40 + i * 37);
            w.startY = 0;
            w.x = float(60 + (i * 53) % 1160);
            w.y = float(60 + (i * 97) % 600);
            w.splitY = -1;
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
        for (int i = 0; i < 40; ++i) {
            gs.interceptors.last();
            Interceptor& it = gs.interceptors.add();
            it.startX = float(182 * (1 + i % 6));
            it.startY = 703;
            it.x = float(30 + (i * 71) % 1220);
            it.y = float(80 + (i * 43) % 600);
        }
        for (int i = 0; i < 120; ++i) {
            gs.explosions.last();
            Explosion& e = gs.explosions.add();
            e.x = float(20 + (i * 89) % 1240);
            e.y = float(40 + (i * 61) % 680);
            e.radius = float(1 + 6 * (i % 17));  // 1 .. 97, the interceptor bursts' range
            e.maxRadius = e.radius;
            e.red = 255;
            e.green = 120 + (i * 13) % 100;
            e.blue = 0;
            e.growing = i % 2;
            e.alpha = e.growing ? 255 : 255 - (i * 14) % 250;
            e.fade = 14;
        }
        // The game-over flash at its full size, fading over everything.
        gs.explosions.last();
        Explosion& flash = gs.explosions.add();
        flash.x = 640;
        flash.y = 384;
        flash.radius = 1603;
        flash.maxRadius = 1600;
        flash.red = flash.green = flash.blue = 255;
        flash.alpha = 130;
        flash.growing = 0;
        flash.fade = 14;

        gs.shakeTimer = kForever;
        gs.staticTimer = kForever;
        gs.gameOver = 1;
        gs.paused = 1;
}

}  // namespace heavy

#pragma once
// A game in progress against scripted surroundings: a scripted platform
// (fake clock, logged dialogs), a sound recorder and a scripted random
// source. Helpers place warheads, interceptors and explosions by hand.
#include <gtest/gtest.h>

#include <string>

#include "Scene.h"
#include "ScriptedPlatform.h"
#include "ScriptedRandom.h"
#include "SoundRecorder.h"
#include "battle/Board.h"
#include "core/Game.h"
#include "core/Numeric.h"

// Where the Hall of Fame would go: a folder that does not exist, so that a
// recorded score is never written anywhere by the battle tests.
inline constexpr const char* kNoHighScoreFile = "/nonexistent-zarvex-battle-tests/zvx_highscores.dat";

struct BattleFixture : ::testing::Test {
    ScriptedPlatform platform;
    SoundRecorder sound;
    ScriptedRandom random;
    Game game{platform, sound, random};
    GameState& st = game.state;

    BattleFixture() {
        setInitialValues(st);
        st.highScorePath = kNoHighScoreFile;
        newBoard(game);  // draws run out at once: every building 15 x 40, two per site
        st.inGame = 1;
        st.level = 1;
        st.waveSize = 8;
        random.requests.clear();
    }

    // Appends a warhead falling straight down at x (an ICBM unless changed).
    Warhead& addWarhead(float x, float y, float speed = 1.0f) { return scene::addFallingWarhead(st, x, y, speed); }

    // Appends an explosion already grown to `radius`, still growing.
    Explosion& addBlast(float x, float y, float radius, float maxRadius = 200.0f) {
        Explosion& e = scene::addExplosion(st, x, y, radius, 0, 0, 0);
        e.maxRadius = maxRadius;
        return e;
    }

    Site& site(size_t i) { return st.sites[i]; }

    void killSite(size_t i) { site(i).alive = 0; }

    int aliveCount() {
        int n = 0;
        st.sites.forEach([&](const Site& s) { n += s.alive != 0; });
        return n;
    }

    static SoundCall play(int64_t slot, int64_t flags, int64_t volume) {
        return {SoundCall::Play, slot, flags, volume, {}};
    }
    static SoundCall stop(int64_t slot) { return {SoundCall::Stop, slot, 0, 0, {}}; }
    static SoundCall pan(int64_t slot, int64_t value) { return {SoundCall::Pan, slot, 0, value, {}}; }
};

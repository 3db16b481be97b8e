#pragma once
// What every procedure of the game works on: the state, and the game's own
// interfaces to the outside world.
#include "core/SoundOutput.h"
#include "core/GameState.h"
#include "core/Random.h"
#include "core/Platform.h"

struct Game {
    Game(Platform& p, SoundOutput& s, RandomSource& r) : platform(p), sound(s), random(r) {}
    GameState state;
    Platform& platform;
    SoundOutput& sound;
    RandomSource& random;
};

#pragma once
// What every procedure of the game works on: the state, and the game's own
// interfaces to the outside world.
#include "core/SoundOutput.h"
#include "core/GameState.h"
#include "core/Journal.h"
#include "core/Random.h"
#include "core/Platform.h"

struct Game {
    Game(Platform& p, SoundOutput& s, RandomSource& r) : platform(p), sound(s), random(r) {}
    GameState state;
    Platform& platform;
    SoundOutput& sound;
    RandomSource& random;
    // Told where games begin and end when they are recorded; none otherwise.
    GameJournal* journal = nullptr;
};

// The moments a journal hears of, for the code where they happen.
inline void noteGameStarting(Game& game) {
    if (game.journal) game.journal->gameStarting(game.state);
}
inline void noteGameEnding(Game& game) {
    if (game.journal) game.journal->gameEnding(game.state);
}
inline void noteScoreStored(Game& game, std::size_t place, bool saved) {
    if (game.journal) game.journal->scoreStored(place, saved);
}

#pragma once
// What a recorder of games hears from the game itself: where a game begins,
// where it is left, and where its score went in the Hall of Fame. (The
// events of every frame and the answers given to dialogs pass through the
// platform, which a recorder wraps.) The game runs the same with or without
// one listening.
#include <cstddef>

#include "core/GameState.h"

class GameJournal {
public:
    virtual ~GameJournal() = default;
    // A new game is about to be set up: its board is not drawn yet, and the
    // random source is where the new game takes it from.
    virtual void gameStarting(const GameState& state) = 0;
    // A game is left: for the title, for a new game, or because the program
    // ends. The state is the finished game's, before anything is reset.
    virtual void gameEnding(const GameState& state) = 0;
    // The finished game's score entered the Hall of Fame at this place
    // (0 is the best), and the table's file was saved (`saved`) or could
    // not be: told after the save, and not at all when there is no data
    // folder to save it in.
    virtual void scoreStored(std::size_t place, bool saved) = 0;
};

#pragma once
// The end of a wave and the end of the game: the survival bonus and the next
// wave, the loss of the last city with its flash, the victory after the last
// wave, and the game-over sequence that returns to the title.
#include "core/Game.h"

// The loss of the last site starts the game-over sequence with a white
// flash over the whole playfield.
void gameOverCheck(Game& game);

// Counts the game-over sequence down and, once its time is up and the
// playfield has burnt out, records the score and returns to the title with
// a new board. True when it returned to the title (the step ends there).
bool gameOverSequence(Game& game);

// When the wave's warheads are all launched and gone and nothing burns any
// more: the survival bonus, then the next wave, or victory after the last.
void waveEndCheck(Game& game);

// The victory message after the last wave, by the number of cities saved.
inline constexpr const char* kTotalVictoryTitle = "Total Victory!";
inline constexpr const char* kTotalVictoryText = "You saved the world with minimal casualties! You are a hero.\n";
inline constexpr const char* kPyrrhicVictoryTitle = "Pyrrhic Victory!";
inline constexpr const char* kPyrrhicVictoryText =
    "The war is over, but the cost was very high.\n\rMost cities are smoldering ruins.\n";

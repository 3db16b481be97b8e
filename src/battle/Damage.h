#pragma once
// The consequences of the battle: kills and their points, struck sites,
// ground bursts, city repair, the mid-wave resupply, the survival bonus and
// the end of a wave, and the end of the game by defeat or victory.
#include "core/Game.h"

// A warhead caught by a blast: 50 points (200 for a THROBBER). An unsplit
// MIRV first releases one warhead from the top edge above it, added right
// after it so the same pass moves it. `warhead` must be the current element
// of `warheads`; the cursor is left on it for the caller to remove it.
void destroyWarhead(Game& game, Warhead& warhead);

// The first standing site (left to right) whose strike point (x, 733) lies
// less than 45 px from the warhead, or none.
Site* siteTest(Game& game, const Warhead& warhead);

// A site struck by a warhead: the city falls, the screen shakes harder the
// fewer cities are left, fire and a flash rise from it and its sound comes
// from its side. The caller removes the warhead.
void destroySite(Game& game, Site& site);

// A warhead that reached the ground: a grey burst, a small shake, the
// ground-hit sound from the left. The caller removes the warhead.
void groundImpact(Game& game, const Warhead& warhead);

// Once the score reaches the threshold, rebuilds the first destroyed city
// (that has not been repaired and lost again since the last new board) and
// raises the threshold. At most one city per step.
void repairCheck(Game& game);

// From wave 5 on, halfway through the wave's launches: 5 more interceptors
// for every standing site, never more than 30 in all.
void resupply(Game& game);

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

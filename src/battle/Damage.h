#pragma once
// What the battle does to both sides: kills and their points, struck sites,
// ground bursts, city repair and the mid-wave resupply. The end of a wave
// and of the game is in WaveEnd.h.
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

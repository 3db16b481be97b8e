#pragma once
// The board and the set-up of each wave: six sites with their skylines, the
// size of every wave, its colours and the interceptors each site starts it
// with. The few numbers the difficulty setting changes are gathered here too.
#include <cstdint>

#include "battle/Field.h"
#include "core/Game.h"

inline constexpr int64_t kLastLevel = 100;

// Empties `sites` and builds the six sites, each with 10 interceptors and a
// fresh skyline; the repair threshold starts again at 10000.
void newBoard(Game& game);

// The sites still standing.
int64_t aliveSites(const GameState& state);

// Replaces the site's buildings with 2 to 4 new ones, 28 px apart.
void buildSkyline(Game& game, Site& site);

// Prepares wave `level`: empties everything in flight, sets the wave size,
// draws the wave's colours, reloads and rebuilds the standing sites and
// raises the sector panel.
void setupWave(Game& game, int64_t level);

// --- the rules behind the set-up, by level and difficulty ---

// Warheads launched in a wave: 2L + 6 up to wave 9, then 3L + 8, at most 80.
int64_t waveSizeFor(int64_t level);

// Interceptors of every standing site at the start of a wave: L / 5 + 10,
// at most 30.
int64_t waveAmmoFor(int64_t level);

// The wave's base speed of every warhead, (L * 0.012 + 0.8) * speedFactor.
float baseSpeedFor(int64_t level, float speedFactor);

// Percent chance (compared with a draw 0..100) that a launch is a THROBBER;
// none before wave 7.
float throbberChanceFor(int64_t level, int64_t difficulty);

// How hard a THROBBER pushes away from threats, at most 2.5.
float dodgeStrengthFor(int64_t level, float speedFactor);

// Survival bonus one standing site adds at the end of a wave (not yet
// rounded: the sum is rounded at each addition).
double siteBonusFor(int64_t level, float speedFactor);

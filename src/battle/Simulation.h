#pragma once
// One step of the battle, run once per frame while a game is in progress and
// neither paused nor halted by the sector panel.
#include "core/Game.h"

// The step's order is fixed: city repair, spawning (with the mid-wave
// resupply), the warheads, the interceptors, the explosions, the alarm
// pulse, the game-over check and sequence, and the wave end. A game-over
// sequence that returns to the title ends the step before the wave end.
void simulationStep(Game& game);

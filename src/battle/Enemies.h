#pragma once
// The attacker: launching the wave's warheads one by one, moving each kind
// by its own rule, splitting MIRVs, and handing every warhead to the blast,
// site and ground tests that decide its end.
#include "core/Game.h"

// Launches at most one warhead (while the wave's quota is not reached and
// fewer than level / 4 + 8 warheads are in flight), then runs the mid-wave
// resupply check.
void spawnStep(Game& game);

// Moves every warhead in list order and settles its fate: a MIRV at its
// split height splits; any other warhead meets the blast test, then the
// site test, then the ground test. Warheads added during the pass (MIRV
// fragments, released warheads) are moved later in the same pass.
void warheadPass(Game& game);

// Splits the MIRV `mirv` into 1, 2 or 3 fragments (by wave) with a split
// flash, and removes it. `mirv` must be the current element of `warheads`
// (as it is inside warheadPass); afterwards the cursor sits before the first
// fragment, so the pass goes on with the fragments.
void splitMirv(Game& game, Warhead& mirv);

// True when a THROBBER went through its evasion in the latest warheadPass of
// this game.
bool throbberMovedInLastPass(const Game& game);

// The sky's red alarm pulse: grows by 0.16 after a pass in which a THROBBER
// moved, and drops to 0 otherwise.
void updateAlarmPhase(Game& game);

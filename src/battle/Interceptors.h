#pragma once
// The player's weapon and everything that burns on the playfield: launching
// an interceptor from the nearest site that can fire, flying it to the
// clicked point, the life of every explosion, and the one hit test.
#include <cstdint>

#include "core/Game.h"

// Launches towards (mouseX, mouseY) from the nearest (horizontally) alive
// site with interceptors; the left site wins ties and range is unlimited.
// Always stops the title tune first. Leaves the choice in launchSite and
// launchDistance (none / 10000 when no site can fire).
void launchInterceptor(Game& game);

// Flies every interceptor 14 px along its line; one that has covered its
// distance bursts at its target into an explosion.
void interceptorPass(Game& game);

// Grows every explosion by 6 px per step up to its maximum radius, then
// fades it by its fade per step and removes it once invisible.
void explosionPass(Game& game);

// The one way to make an explosion: radius 1, fully opaque, growing. It
// goes right after the current element of `explosions`.
void addExplosion(Game& game, double x, double y, double maxRadius, int64_t red, int64_t green,
                  int64_t blue, int64_t fade);

// True when some explosion, growing or fading, of whatever kind, contains
// the warhead's point (the edge counts as inside).
bool blastTest(Game& game, const Warhead& warhead);

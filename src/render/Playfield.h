#pragma once
// The battle picture of a running game: ground, HUD line, the sites with
// their skylines and ammunition counts, the crosshair, every kind of
// warhead, the interceptors, the explosions and the screen static.
//
// Everything on the battlefield moves with the frame's shake offset; the
// HUD and the crosshair do not. Real coordinates are rounded half to even
// just before they reach a primitive.
#include <cstdint>
#include <string>

#include "core/GameState.h"
#include "core/Platform.h"
#include "render/DrawSurface.h"
#include "render/Frame.h"

// The whole battle picture in its drawing order, panels excluded.
void drawBattlePicture(const GameState& state, const FramePicture& picture, const Platform& platform,
                       DrawSurface& surface);

// "LEVEL 3 • SCORE: 12,500"
std::string hudText(const GameState& state, const Platform& platform);
// "M = 7", and its colour: red when the site is nearly empty (3 or fewer),
// yellow for 4 to 6, green from 7 on.
std::string ammoLabel(int64_t ammo);
Colour ammoColour(int64_t ammo);
// How far the SEEKER chevron swings out at clock time t (ms): 0 to 4
// pixels, about every 314 ms. The battle chevron reaches 6 more than this.
int64_t seekerSwing(int64_t clockMs);
// Extra radius of a THROBBER's rings at its pulse phase: 0 to 6 pixels.
int64_t throbberSwell(float pulse);

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

#include "core/Game.h"
#include "render/DrawSurface.h"

// The shake offset of one frame, in whole pixels.
struct FrameShake {
    int64_t x = 0;
    int64_t y = 0;
};

// Colours of the battlefield.
namespace palette {
inline constexpr int64_t White = 0xffffff;
inline constexpr int64_t Red = 0xff;
inline constexpr int64_t Green = 0xff00;
inline constexpr int64_t Yellow = 0xffff;
inline constexpr int64_t Cyan = 0xffff00;
inline constexpr int64_t IcbmTrail = rgb(230, 40, 40);
inline constexpr int64_t IcbmHead = rgb(255, 100, 100);
inline constexpr int64_t FragmentHead = rgb(255, 255, 0);
inline constexpr int64_t SeekerTrail = rgb(255, 100, 0);
inline constexpr int64_t SeekerChevron = rgb(255, 150, 0);
inline constexpr int64_t ZigZager = rgb(255, 130, 0);
inline constexpr int64_t Throbber = rgb(220, 50, 255);
inline constexpr int64_t Crosshair = rgb(0, 255, 255);
}  // namespace palette

// The whole battle picture in its drawing order, overlays excluded.
void drawBattlePicture(Game& game, DrawSurface& surface, const FrameShake& shake);

// The pieces, in the order drawBattlePicture draws them.
void drawGround(Game& game, DrawSurface& surface, const FrameShake& shake);
void drawHud(Game& game, DrawSurface& surface);
void drawSites(Game& game, DrawSurface& surface, const FrameShake& shake);
void drawCrosshair(Game& game, DrawSurface& surface);
void drawWarheads(Game& game, DrawSurface& surface, const FrameShake& shake);
void drawInterceptors(Game& game, DrawSurface& surface, const FrameShake& shake);
void drawExplosions(Game& game, DrawSurface& surface, const FrameShake& shake);
void drawStatic(Game& game, DrawSurface& surface);

// "LEVEL 3 • SCORE: 12,500"
std::string hudText(Game& game);
// "M = 7", and its colour: red when the site is nearly empty (3 or fewer),
// yellow for 4 to 6, green from 7 on.
std::string ammoLabel(int64_t ammo);
int64_t ammoColour(int64_t ammo);
// How far the SEEKER chevron swings out at clock time t (ms): 0 to 4
// pixels, about every 314 ms. The battle chevron reaches 6 more than this.
int64_t seekerSwing(int64_t clockMs);
// Extra radius of a THROBBER's rings at its pulse phase: 0 to 6 pixels.
int64_t throbberSwell(float pulse);

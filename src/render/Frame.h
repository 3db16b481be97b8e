#pragma once
// One frame of the game: the frame preparation (screen shake, static
// countdown, sky colour), then one drawing pass that paints the sky and the
// screen the game is in: the intel screen, the title, the sector panel or
// the battle picture with its overlays.
#include <cstdint>

#include "core/Game.h"
#include "render/DrawSurface.h"
#include "render/Playfield.h"

// What the preparation fixes for the whole frame.
struct FrameSetup {
    FrameShake shake;
    int64_t skyColour = 0;
};

// Draws the shake offsets (counting down shakeTimer and staticTimer) and
// picks the sky colour. Runs on every frame, whatever the screen.
FrameSetup prepareFrame(Game& game);

// The sky reddens as the levels go by (up to red 100 from level 63 on) and
// pulses redder while a THROBBER sounds the alarm.
int64_t skyColour(int64_t level, float alarmPhase);

// The whole frame, from beginFrame to endFrame.
void drawFrame(Game& game, DrawSurface& surface);

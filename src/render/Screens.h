#pragma once
// The screens that replace the battle picture (title, intel, sector panel)
// and the two panels drawn on top of it (game over, paused). Each is drawn
// once per frame by drawFrame, after the sky has been painted. The title's
// tune, its colour cycle and the sector panel's countdown are moved by the
// frame's tick before the picture is drawn.
#include <cstdint>
#include <string>

#include "core/GameState.h"
#include "core/Platform.h"
#include "render/DrawSurface.h"

void drawTitleScreen(const GameState& state, const Platform& platform, DrawSurface& surface);
// The SEEKER's icon pulses with the clock (ms), as it does in battle.
void drawIntelScreen(const GameState& state, int64_t clockMs, DrawSurface& surface);
void drawSectorPanel(const GameState& state, const Platform& platform, DrawSurface& surface);
void drawGameOverOverlay(const GameState& state, DrawSurface& surface);
void drawPauseOverlay(DrawSurface& surface);

// Draws `text` centred in the `width` pixels that start at `left`, measured
// in the current font; drawText truncates the position.
void drawCentred(DrawSurface& surface, const std::string& text, double width, double left, double y,
                 Colour colour);

// The colours of the title at colour-cycle phase f.
struct TitleColours {
    Colour title = 0;   // "ZARVEX"
    Colour prompt = 0;  // the pulsing "PRESS SPACE TO PLAY"
};
TitleColours titleColours(float phase);

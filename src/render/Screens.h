#pragma once
// The screens that replace the battle picture (title, intel, sector panel)
// and the two overlays drawn on top of it (game over, paused). Each is drawn
// once per frame by drawFrame, after the sky has been painted.
//
// Two of them carry a little game flow: the title keeps its tune looping,
// and the sector panel between waves counts down and closes itself.
#include <cstdint>
#include <string>

#include "core/Game.h"
#include "render/DrawSurface.h"

void drawTitleScreen(Game& game, DrawSurface& surface);
void drawIntelScreen(Game& game, DrawSurface& surface);
void drawSectorPanel(Game& game, DrawSurface& surface);
void drawGameOverOverlay(Game& game, DrawSurface& surface);
void drawPauseOverlay(Game& game, DrawSurface& surface);

// Draws `text` centred in the `width` pixels that start at `left`, measured
// in the current font; drawText truncates the position.
void drawCentred(DrawSurface& surface, const std::string& text, double width, double left, double y,
                 int64_t colour);

// The colours of the title at colour-cycle phase f.
struct TitleColours {
    int64_t title = 0;   // "ZARVEX"
    int64_t prompt = 0;  // the pulsing "PRESS SPACE TO PLAY"
};
TitleColours titleColours(float phase);

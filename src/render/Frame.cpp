#include "render/Frame.h"

#include <algorithm>
#include <cmath>

#include "battle/Field.h"
#include "core/Numeric.h"
#include "render/Playfield.h"
#include "render/Screens.h"

Colour skyColour(int64_t level, float alarmPhase) {
    int64_t red = roundHalfEven(double(level) * 1.5 + 5);
    if (red >= 100) red = 100;
    if (alarmPhase > 0) red = roundHalfEven(double(red) + std::fabs(std::sin(double(alarmPhase)) * 55));
    // Levels run from 1, so red is at least 6; never let a stray value
    // bleed into the other channels.
    red = std::clamp<int64_t>(red, 0, 255);
    return rgb(red, 5, 15);
}

void drawReplayMark(const GameState& state, DrawSurface& surface) {
    const std::string mark = "REPLAY";
    surface.setMode(Transparent);
    surface.setFont(state.smallFont);
    surface.drawText(double(field::kWidth) - 20 - surface.textWidth(mark), 20, mark, palette::ReplayMark);
    surface.setFont(defaultFont);
}

void drawFrame(const GameState& state, const FramePicture& picture, const Platform& platform,
               DrawSurface& surface) {
    surface.beginFrame();
    surface.box(0, 0, field::kWidth, field::kHeight, skyColour(state.level, state.alarmPhase));
    switch (picture.screen) {
        case Screen::Intel:
            drawIntelScreen(state, picture.clockMs, surface);
            break;
        case Screen::Title:
            drawTitleScreen(state, platform, surface);
            break;
        case Screen::SectorPanel:
            drawSectorPanel(state, platform, surface);
            break;
        case Screen::Playing:
        case Screen::Paused:
        case Screen::GameOver:
            drawBattlePicture(state, picture, platform, surface);
            if (state.gameOver != 0) drawGameOverOverlay(state, surface);
            if (state.paused != 0) drawPauseOverlay(surface);
            break;
    }
    if (picture.replayMark) drawReplayMark(state, surface);
    surface.endFrame();
}

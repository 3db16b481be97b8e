#include "render/Frame.h"

#include <algorithm>
#include <cmath>

#include "core/Numeric.h"
#include "render/Screens.h"

int64_t skyColour(int64_t level, float alarmPhase) {
    int64_t red = roundHalfEven(double(level) * 1.5 + 5);
    if (red >= 100) red = 100;
    if (alarmPhase > 0) red = roundHalfEven(double(red) + std::fabs(std::sin(double(alarmPhase)) * 55));
    // Levels run from 1, so red is at least 6; never let a stray value
    // bleed into the other channels.
    red = std::clamp<int64_t>(red, 0, 255);
    return rgb(red, 5, 15);
}

FrameSetup prepareFrame(Game& game) {
    GameState& gs = game.state;
    FrameSetup f;
    if (gs.shakeTimer >= 1) {
        f.shake.x = game.random.range(0, 16) - 8;
        f.shake.y = game.random.range(0, 16) - 8;
        --gs.shakeTimer;
    }
    if (gs.staticTimer >= 1) {
        // Interference jolts the picture further, more to the right than
        // to the left.
        f.shake.x += game.random.range(0, 28) - 12;
        f.shake.y += game.random.range(0, 16) - 8;
        --gs.staticTimer;
    }
    f.skyColour = skyColour(gs.level, gs.alarmPhase);
    return f;
}

void drawFrame(Game& game, DrawSurface& surface) {
    const FrameSetup f = prepareFrame(game);
    GameState& gs = game.state;

    surface.beginFrame();
    surface.box(0, 0, DrawSurface::kWidth, DrawSurface::kHeight, f.skyColour);
    if (gs.intelShown != 0) {
        drawIntelScreen(game, surface);
    } else if (gs.inGame == 0) {
        drawTitleScreen(game, surface);
    } else if (gs.intermission != 0) {
        drawSectorPanel(game, surface);
    } else {
        drawBattlePicture(game, surface, f.shake);
        if (gs.gameOver != 0) drawGameOverOverlay(game, surface);
        if (gs.paused != 0) drawPauseOverlay(game, surface);
    }
    surface.endFrame();
}

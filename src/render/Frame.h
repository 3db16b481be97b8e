#pragma once
// One picture of the game: the sky, then the screen the frame shows (the
// intel screen, the title, the sector panel, or the battle picture with its
// panels). Drawing reads the game state and changes nothing: whatever moves
// with time (the shake, the static, the countdowns, the title's colours) was
// moved by the frame's tick, which hands the picture what it needs here.
#include <array>
#include <cstdint>

#include "core/Colour.h"
#include "core/GameState.h"
#include "core/Platform.h"
#include "core/Screen.h"
#include "render/DrawSurface.h"

// The shake offset of one frame, in whole pixels. Everything on the
// battlefield moves with it; the HUD and the crosshair do not.
struct FrameShake {
    int64_t x = 0;
    int64_t y = 0;
};

// One box of screen static: a full-width grey band or a short light streak.
struct StaticBand {
    int64_t x = 0, y = 0, w = 0, h = 0;
    Colour colour = 0;
};

// The static over one frame of the battle: nine bands, and on some frames
// 21 streaks after them. Empty when the frame shows none.
struct ScreenStatic {
    static constexpr int kMaxBands = 9 + 21;
    std::array<StaticBand, kMaxBands> bands{};
    int count = 0;
};

// What the tick of a frame hands its picture.
struct FramePicture {
    Screen screen = Screen::Title;
    FrameShake shake;
    // The millisecond clock: the SEEKER chevrons pulse with it.
    int64_t clockMs = 0;
    // Bit i set: site i of the list shows its "* REPAIRED *" label.
    uint64_t repairLabels = 0;
    ScreenStatic noise;
    // A recorded game being watched: "REPLAY" in the top right corner.
    bool replayMark = false;
};

// The sky reddens as the levels go by (up to red 100 from level 63 on) and
// pulses redder while a THROBBER sounds the alarm.
Colour skyColour(int64_t level, float alarmPhase);

// The mark over a recorded game being watched.
void drawReplayMark(const GameState& state, DrawSurface& surface);

// The whole frame, from beginFrame to endFrame. The platform groups the
// digits of the scores.
void drawFrame(const GameState& state, const FramePicture& picture, const Platform& platform,
               DrawSurface& surface);

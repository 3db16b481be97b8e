#include "app/Tick.h"

#include "app/Flow.h"
#include "battle/Field.h"
#include "core/Numeric.h"
#include "core/Screen.h"

namespace {

// One step of the title's colour cycle: about 126 frames for all the hues.
void advanceTitleColours(GameState& state) { state.titlePhase = toF32(double(state.titlePhase) + 0.05); }

// Counts down the label of every standing site that shows one; the label
// shows in the frame in which its timer is still at least 1.
uint64_t countDownRepairLabels(GameState& state) {
    uint64_t shown = 0;
    size_t index = 0;
    state.sites.forEach([&](Site& site) {
        if (site.alive != 0 && site.repairTimer >= 1) {
            if (index < 64) shown |= uint64_t(1) << index;
            --site.repairTimer;
        }
        ++index;
    });
    return shown;
}

// Full-width grey bands, and on 3 frames in 11 a shower of short light
// streaks; each value drawn in the order given.
ScreenStatic drawStaticNoise(RandomSource& rnd) {
    ScreenStatic noise;
    auto add = [&](int64_t x, int64_t y, int64_t w, int64_t h, Colour c) {
        noise.bands[size_t(noise.count++)] = {x, y, w, h, c};
    };
    for (int i = 0; i < 9; ++i) {
        const int64_t y = rnd.range(0, field::kRandomYMax);
        const int64_t h = rnd.range(1, 5);
        const int64_t v = rnd.range(50, 200);
        add(0, y, field::kWidth, h, rgb(v, v, v));
    }
    if (rnd.range(0, 10) >= 8) {
        for (int i = 0; i < 21; ++i) {
            const int64_t h = rnd.range(1, 4);
            const int64_t w = rnd.range(20, 100);
            const int64_t y = rnd.range(0, field::kRandomYMax);
            const int64_t x = rnd.range(0, field::kRandomXMax);
            add(x, y, w, h, palette::StaticStreak);
        }
    }
    return noise;
}

}  // namespace

FrameShake shakeFrame(Game& game) {
    GameState& gs = game.state;
    FrameShake shake;
    if (gs.shakeTimer >= 1) {
        shake.x = game.random.range(0, 16) - 8;
        shake.y = game.random.range(0, 16) - 8;
        --gs.shakeTimer;
    }
    if (gs.staticTimer >= 1) {
        // Interference jolts the picture further, more to the right than
        // to the left.
        shake.x += game.random.range(0, 28) - 12;
        shake.y += game.random.range(0, 16) - 8;
        --gs.staticTimer;
    }
    return shake;
}

FramePicture tickFrame(Game& game) {
    GameState& gs = game.state;
    FramePicture picture;
    // The screen is decided before anything moves: the panel whose
    // countdown runs out is still shown in this frame.
    picture.screen = screenOf(gs);
    picture.clockMs = game.platform.clockMs();
    picture.shake = shakeFrame(game);
    switch (picture.screen) {
        case Screen::Title:
            keepTitleMusic(game);
            advanceTitleColours(gs);
            break;
        case Screen::Intel:
            break;
        case Screen::SectorPanel:
            countDownSectorPanel(gs);
            break;
        case Screen::Playing:
        case Screen::Paused:
        case Screen::GameOver:
            picture.repairLabels = countDownRepairLabels(gs);
            // With n frames of static set, the picture shakes on n frames
            // and shows the static on the first n - 1 of them.
            if (gs.staticTimer >= 1) picture.noise = drawStaticNoise(game.random);
            break;
    }
    return picture;
}

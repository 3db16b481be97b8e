// How a controller moves the crosshair and which events its buttons make,
// without SDL and without Qt.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <tuple>
#include <utility>

#include "platform/Controllers.h"

namespace {
double speedOf(const PadMotion& m) { return std::hypot(m.dx, m.dy); }

// Where the aim is after `frames` frames of the same motion from `from`.
CanvasPoint after(int frames, CanvasPoint from, PadMotion m) {
    ControllerAim aim;
    for (int i = 0; i < frames; ++i) from = aim.move(from, m);
    return from;
}
}  // namespace

TEST(StickCurve, AtRestAndInsideTheDeadZoneTheStickDoesNotMove) {
    EXPECT_EQ(speedOf(stickMotion(0, 0)), 0);
    EXPECT_EQ(speedOf(stickMotion(0.2, 0)), 0);
    EXPECT_EQ(speedOf(stickMotion(0, -0.19)), 0);
    EXPECT_EQ(speedOf(stickMotion(0.14, 0.14)), 0);  // round, not square
    EXPECT_EQ(speedOf(stickMotion(std::nan(""), 0)), 0);
    EXPECT_GT(speedOf(stickMotion(0.15, 0.15)), 0);
    EXPECT_LT(speedOf(stickMotion(0.21, 0)), 0.01);  // leaving the dead zone there is no jump
}

TEST(StickCurve, SpeedGrowsWithTheSquareOfTheDeflectionUpToOneCanvasWidthPerSecond) {
    // Half way: 0.3 of the 0.75 between the dead zone and full deflection,
    // squared.
    EXPECT_NEAR(stickMotion(0.5, 0).dx, 1280.0 / 60.0 * 0.16, 1e-9);
    EXPECT_NEAR(stickMotion(0.95, 0).dx, 1280.0 / 60.0, 1e-9);
    EXPECT_NEAR(stickMotion(1, 0).dx, 1280.0 / 60.0, 1e-9);
    EXPECT_NEAR(stickMotion(0, -1).dy, -1280.0 / 60.0, 1e-9);
    // A square gate's corner is full speed along the diagonal, no faster.
    const PadMotion corner = stickMotion(1, 1);
    EXPECT_NEAR(speedOf(corner), 1280.0 / 60.0, 1e-9);
    EXPECT_NEAR(corner.dx, corner.dy, 1e-12);
    // The direction is the stick's.
    const PadMotion m = stickMotion(-0.48, 0.64);
    EXPECT_NEAR(m.dx / speedOf(m), -0.6, 1e-12);
    EXPECT_NEAR(m.dy / speedOf(m), 0.8, 1e-12);
    double last = 0;
    for (double d = 0.2; d <= 1.0; d += 0.01) {
        EXPECT_GE(speedOf(stickMotion(d, 0)), last) << d;
        last = speedOf(stickMotion(d, 0));
    }

    EXPECT_EQ(axisFraction(32767), 1.0);
    EXPECT_EQ(axisFraction(-32768), -1.0);
    EXPECT_EQ(axisFraction(0), 0.0);
}

TEST(Aim, StaysOnTheCanvasWhateverTheMotion) {
    for (const auto& [m, x, y] : {std::tuple{PadMotion{-1e9, -1e9}, 0, 0}, std::tuple{PadMotion{1e9, 1e9}, 1279, 767},
                                  std::tuple{PadMotion{-1e9, 1e9}, 0, 767}}) {
        const CanvasPoint p = after(1, {640, 384, true}, m);
        EXPECT_EQ(p.x, x);
        EXPECT_EQ(p.y, y);
    }
    const double inf = std::numeric_limits<double>::infinity();
    const CanvasPoint odd = after(3, {10, 20, true}, {inf, std::nan("")});
    EXPECT_EQ(odd.x, 10);
    EXPECT_EQ(odd.y, 20);
}

TEST(Aim, KeepsFractionsSoThatASlowStickCreepsAlong) {
    // A quarter of a pixel per frame, from the middle of pixel 100: one
    // pixel every four frames, the first after two.
    EXPECT_EQ(after(1, {100, 100, true}, {0.25, 0}).x, 100);
    EXPECT_EQ(after(2, {100, 100, true}, {0.25, 0}).x, 101);
    EXPECT_EQ(after(5, {100, 100, true}, {0.25, 0}).x, 101);
    EXPECT_EQ(after(6, {100, 100, true}, {0.25, 0}).x, 102);
    EXPECT_EQ(after(40, {100, 100, true}, {0.25, -0.125}).x, 110);
    EXPECT_EQ(after(40, {100, 100, true}, {0.25, -0.125}).y, 95);
}

TEST(Aim, StartsAgainFromWhereverTheMouseHasPutThePointer) {
    ControllerAim aim;
    CanvasPoint p = aim.move({100, 100, true}, {0.75, 0});
    EXPECT_EQ(p.x, 101);  // 100.5 + 0.75
    // The mouse moves the pointer to (500, 300); the next frame of the
    // stick starts from there, at the middle of that pixel.
    p = aim.move({500, 300, true}, {0.75, 0.25});
    EXPECT_EQ(p.x, 501);
    EXPECT_EQ(p.y, 300);
    p = aim.move(p, {0.0, 0.25});
    EXPECT_EQ(p.y, 301);
}

TEST(Trigger, FiresOncePerPullPastHalfWay) {
    TriggerSwitch t;
    EXPECT_FALSE(t.pressedBy(0.2));
    EXPECT_FALSE(t.pressedBy(0.49));
    EXPECT_TRUE(t.pressedBy(0.5));
    EXPECT_FALSE(t.pressedBy(1.0));   // held
    EXPECT_FALSE(t.pressedBy(0.3));   // not let go far enough
    EXPECT_FALSE(t.pressedBy(0.9));
    EXPECT_FALSE(t.pressedBy(0.1));   // let go
    EXPECT_TRUE(t.pressedBy(0.8));

    // Pulled already when the controller came: it must be let go first.
    TriggerSwitch pulled(1.0);
    EXPECT_FALSE(pulled.pressedBy(1.0));
    EXPECT_FALSE(pulled.pressedBy(0.0));
    EXPECT_TRUE(pulled.pressedBy(1.0));
}

TEST(PadButtons, MakeTheGamesClickAndKeysAtTheCrosshair) {
    const CanvasPoint at{321, 123, true};
    for (PadButton fire : {PadButton::South, PadButton::RightTrigger}) {
        const auto e = gameEventOf(fire, at);
        ASSERT_TRUE(e);
        EXPECT_EQ(e->code, EventCanvas);
        EXPECT_EQ(e->canvasType, CanvasLeftDown);
        EXPECT_EQ(e->x, 321);
        EXPECT_EQ(e->y, 123);
    }
    for (const auto& [button, key] :
         {std::pair{PadButton::Start, KeySpace}, std::pair{PadButton::North, KeyI}, std::pair{PadButton::Back, KeyP}}) {
        const auto e = gameEventOf(button, at);
        ASSERT_TRUE(e);
        EXPECT_EQ(e->canvasType, CanvasKeyDown);
        EXPECT_EQ(e->key, key);
        EXPECT_EQ(e->x, 321);
    }
    EXPECT_FALSE(gameEventOf(PadButton::East, at));
}

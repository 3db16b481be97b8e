// Showing the 1280 x 768 canvas in any area: the fit, and pointer positions
// mapped back to canvas pixels.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/CanvasFit.h"

namespace {

// The device position of the middle of canvas pixel (x, y).
std::pair<double, double> middleOf(const CanvasFit& f, int64_t x, int64_t y) {
    return {double(f.x) + (double(x) + 0.5) * double(f.width) / 1280.0,
            double(f.y) + (double(y) + 0.5) * double(f.height) / 768.0};
}

}  // namespace

TEST(CanvasFit, KeepsTheShapeCentredWithBarsWhereTheShapesDiffer) {
    struct Case {
        int64_t w, h;        // the area
        int64_t x, y, cw, ch;  // where the canvas goes
        bool whole;
    };
    const Case cases[] = {
        {1280, 768, 0, 0, 1280, 768, true},
        {2560, 1536, 0, 0, 2560, 1536, true},
        {1920, 1080, 60, 0, 1800, 1080, false},   // bars left and right
        {1000, 600, 0, 0, 1000, 600, false},      // the same shape, smaller
        {2560, 1600, 0, 32, 2560, 1536, true},    // bars above and below, twice the size
        {2560, 1440, 80, 0, 2400, 1440, false},   // full screen on a 16:9 screen
        {1366, 724, 0, 0, 1207, 724, false},      // a laptop's screen under a menu bar
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h));
        const CanvasFit f = fitCanvas(c.w, c.h);
        EXPECT_EQ(f.width, c.cw);
        EXPECT_EQ(f.height, c.ch);
        EXPECT_EQ(f.y, c.y);
        if (c.cw == c.w) {
            EXPECT_EQ(f.x, 0);
        } else {
            EXPECT_EQ(f.x, (c.w - c.cw) / 2);
        }
        EXPECT_EQ(f.wholeScale, c.whole);
        // Never outside the area.
        EXPECT_GE(f.x, 0);
        EXPECT_LE(f.x + f.width, c.w);
        EXPECT_LE(f.y + f.height, c.h);
    }
    // A degenerate area still gets a canvas of at least one pixel.
    const CanvasFit tiny = fitCanvas(0, -5);
    EXPECT_GE(tiny.width, 1);
    EXPECT_GE(tiny.height, 1);
}

TEST(CanvasFit, EveryCanvasPixelMapsBackToItselfAtAnyScale) {
    for (double scale : {0.7, 1.0, 1.5, 2.0, 0.37, 2.875}) {
        SCOPED_TRACE(scale);
        const CanvasFit f = fitCanvas(std::llround(1280 * scale) + 90, std::llround(768 * scale));
        for (int64_t x = 0; x < 1280; x += 7)
            for (int64_t y : {int64_t(0), int64_t(383), int64_t(703), int64_t(767)}) {
                const auto [dx, dy] = middleOf(f, x, y);
                const CanvasPoint p = canvasPointAt(f, dx, dy);
                ASSERT_TRUE(p.inside) << x << "," << y;
                ASSERT_EQ(p.x, x);
                ASSERT_EQ(p.y, y);
            }
    }
}

TEST(CanvasFit, PointsInTheBarsArePinnedToTheEdgeAndAreNotOnTheCanvas) {
    const CanvasFit f = fitCanvas(1920, 1080);  // the canvas spans x 60 .. 1859
    CanvasPoint p = canvasPointAt(f, 10, 500);
    EXPECT_FALSE(p.inside);
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, std::floor(500 * 768.0 / 1080.0));
    p = canvasPointAt(f, 1900, -40);
    EXPECT_FALSE(p.inside);
    EXPECT_EQ(p.x, 1279);
    EXPECT_EQ(p.y, 0);
    p = canvasPointAt(f, 60, 1079.9);  // the first column and the last row are on it
    EXPECT_TRUE(p.inside);
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, 767);
    p = canvasPointAt(f, 1860, 0);  // one past the last column is not
    EXPECT_FALSE(p.inside);
    EXPECT_EQ(p.x, 1279);
    p = canvasPointAt(f, std::nan(""), 1e300);
    EXPECT_FALSE(p.inside);
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, 767);
}

TEST(CanvasFit, TheLargestScaleKeepsTheShapeAndItsCap) {
    EXPECT_DOUBLE_EQ(largestScale(1366, 768 - 19 - 24, 1.0), (768.0 - 19 - 24) / 768.0);
    EXPECT_DOUBLE_EQ(largestScale(2560, 1440, 1.0), 1.0);  // never above 100 %
    EXPECT_DOUBLE_EQ(largestScale(2560, 1440, 4.0), 1.875);
    EXPECT_DOUBLE_EQ(largestScale(-10, 500, 1.0), 0.0);
}

// Lines: integer Bresenham through both end points, the same pixels in
// either direction, clipped exactly for any end points.
#include <limits>
#include <random>

#include "DrawSurfaceTest.h"

namespace {

constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
constexpr int64_t kWhite = 0xffffff;

using u128 = unsigned __int128;

// The textbook Bresenham on an unbounded grid: a shallow line is walked
// from its left end, a steep one from its top end, with the decision value
// D = 2 dy - dx stepping the minor axis when D > 0. Only points inside the
// window [wx0, wx1] x [wy0, wy1] are kept.
struct Window {
    int64_t x0 = 0, y0 = 0, x1 = kW - 1, y1 = kH - 1;
};

void plotLow(int64_t x0, int64_t y0, int64_t x1, int64_t y1, const Window& w, PixelSet& out) {
    int64_t dx = x1 - x0, dy = y1 - y0, yi = 1;
    if (dy < 0) {
        yi = -1;
        dy = -dy;
    }
    int64_t d = 2 * dy - dx, y = y0;
    for (int64_t x = x0; x <= x1; ++x) {
        if (x >= w.x0 && x <= w.x1 && y >= w.y0 && y <= w.y1) out.insert({x, y});
        if (d > 0) {
            y += yi;
            d += 2 * (dy - dx);
        } else {
            d += 2 * dy;
        }
    }
}

void plotHigh(int64_t x0, int64_t y0, int64_t x1, int64_t y1, const Window& w, PixelSet& out) {
    int64_t dx = x1 - x0, dy = y1 - y0, xi = 1;
    if (dx < 0) {
        xi = -1;
        dx = -dx;
    }
    int64_t d = 2 * dx - dy, x = x0;
    for (int64_t y = y0; y <= y1; ++y) {
        if (x >= w.x0 && x <= w.x1 && y >= w.y0 && y <= w.y1) out.insert({x, y});
        if (d > 0) {
            x += xi;
            d += 2 * (dx - dy);
        } else {
            d += 2 * dx;
        }
    }
}

PixelSet referenceLine(int64_t x0, int64_t y0, int64_t x1, int64_t y1, const Window& w = {}) {
    PixelSet out;
    if (std::abs(y1 - y0) < std::abs(x1 - x0)) {
        if (x0 > x1)
            plotLow(x1, y1, x0, y0, w, out);
        else
            plotLow(x0, y0, x1, y1, w, out);
    } else {
        if (y0 > y1)
            plotHigh(x1, y1, x0, y0, w, out);
        else
            plotHigh(x0, y0, x1, y1, w, out);
    }
    return out;
}

// For end points too far apart to walk: the minor offset of step i is
// i * a / d rounded to the nearest with ties towards the start,
// floor((i a + floor((d - 1) / 2)) / d), evaluated in 128 bits.
PixelSet closedFormLine(int64_t x0, int64_t y0, int64_t x1, int64_t y1) {
    const __int128 dx = __int128(x1) - x0, dy = __int128(y1) - y0;
    const bool shallow = (dx < 0 ? -dx : dx) >= (dy < 0 ? -dy : dy);
    if (shallow ? dx < 0 : dy < 0) {
        std::swap(x0, x1);
        std::swap(y0, y1);
    }
    const __int128 ux = shallow ? x0 : y0, vx = shallow ? y0 : x0;
    const __int128 du = shallow ? __int128(x1) - x0 : __int128(y1) - y0;
    const __int128 dv = shallow ? __int128(y1) - y0 : __int128(x1) - x0;
    const u128 a = u128(dv < 0 ? -dv : dv);
    PixelSet out;
    const int64_t uLimit = shallow ? kW : kH;
    for (int64_t u = 0; u < uLimit; ++u) {
        const __int128 i = u - ux;
        if (i < 0 || i > du) continue;
        const u128 k = (u128(i) * a + (u128(du) - 1) / 2) / u128(du);
        const __int128 v = dv < 0 ? vx - __int128(k) : vx + __int128(k);
        const int64_t vLimit = shallow ? kH : kW;
        if (v < 0 || v >= vLimit) continue;
        out.insert(shallow ? Pixel{u, int64_t(v)} : Pixel{int64_t(v), u});
    }
    return out;
}

class SurfaceLineTest : public DrawSurfaceFixture {
protected:
    Mask draw(int64_t x0, int64_t y0, int64_t x1, int64_t y1) {
        clear(0);
        surface.line(x0, y0, x1, y1, kWhite);
        return changed(0);
    }
};

TEST_F(SurfaceLineTest, BothEndsAreIncludedAndTiesKeepTheStartsRow) {
    // 4 x 1: step 2 lies exactly halfway and stays on the left end's row,
    // whichever way the line is given.
    const PixelSet expected{{0, 0}, {1, 0}, {2, 0}, {3, 1}, {4, 1}};
    EXPECT_EQ(draw(0, 0, 4, 1), expected);
    EXPECT_EQ(draw(4, 1, 0, 0), expected);
    const PixelSet steep{{0, 0}, {0, 1}, {0, 2}, {1, 3}, {1, 4}};
    EXPECT_EQ(draw(0, 0, 1, 4), steep);
    EXPECT_EQ(draw(1, 4, 0, 0), steep);
    EXPECT_EQ(draw(5, 5, 9, 9), (PixelSet{{5, 5}, {6, 6}, {7, 7}, {8, 8}, {9, 9}}));
    EXPECT_EQ(draw(3, 7, 3, 7), (PixelSet{{3, 7}}));  // coinciding ends: one pixel
    EXPECT_TRUE(draw(-3, 7, -3, 7).empty());
    EXPECT_EQ(draw(10, 3, 14, 3), rectangle(10, 3, 14, 3));
    EXPECT_EQ(draw(10, 8, 10, 3), rectangle(10, 3, 10, 8));
}

TEST_F(SurfaceLineTest, RandomLinesMatchTheReferenceInBothDirections) {
    std::mt19937_64 rng(11);
    std::uniform_int_distribution<int64_t> xs(-200, 1480), ys(-200, 968), small(-12, 12);
    for (int i = 0; i < 150; ++i) {
        int64_t x0 = xs(rng), y0 = ys(rng), x1, y1;
        if (i % 3 == 0) {  // short lines, every octant and many ties
            x1 = x0 + small(rng);
            y1 = y0 + small(rng);
        } else {
            x1 = xs(rng);
            y1 = ys(rng);
        }
        const Mask forward = draw(x0, y0, x1, y1);
        ASSERT_EQ(forward, referenceLine(x0, y0, x1, y1)) << x0 << "," << y0 << " " << x1 << "," << y1;
        ASSERT_EQ(draw(x1, y1, x0, y0), forward) << x0 << "," << y0 << " " << x1 << "," << y1;
    }
}

TEST_F(SurfaceLineTest, LongLinesAreClippedToThePixelsOfTheWholeLine) {
    std::mt19937_64 rng(12);
    std::uniform_int_distribution<int64_t> far(-100000, 100000), onX(0, kW - 1), onY(0, kH - 1);
    for (int i = 0; i < 40; ++i) {
        // Through a point of the canvas, or anywhere.
        int64_t x0 = far(rng), y0 = far(rng), x1, y1;
        if (i % 4 == 3) {
            x1 = far(rng);
            y1 = far(rng);
        } else {
            const int64_t px = onX(rng), py = onY(rng);
            x1 = 2 * px - x0 + (i % 5) - 2;
            y1 = 2 * py - y0;
        }
        const PixelSet expected = referenceLine(x0, y0, x1, y1);
        ASSERT_EQ(draw(x0, y0, x1, y1), expected) << x0 << "," << y0 << " " << x1 << "," << y1;
        ASSERT_EQ(draw(x1, y1, x0, y0), expected) << x0 << "," << y0 << " " << x1 << "," << y1;
    }
}

TEST_F(SurfaceLineTest, LinesOffTheCanvasDrawNothing) {
    surface.line(-10, -10, -1, 500, kWhite);
    surface.line(1280, 0, 5000, 767, kWhite);
    surface.line(-100, -1, 200, -2, kWhite);  // passes above the canvas
    surface.line(0, 800, 1279, 768, kWhite);
    surface.line(-1000, 500, 500, -1001, kWhite);  // x + y = -500 and -501
    surface.line(-10, 5, 5, -10, kWhite);          // x + y = -5: misses the corner
    surface.line(1300, 100, 1290, 100000, kWhite);
    EXPECT_TRUE(changed(0).empty());
}

TEST_F(SurfaceLineTest, HugeEndPointsMatchTheExactLine) {
    std::mt19937_64 rng(13);
    const int64_t big = int64_t(1) << 61;
    std::uniform_int_distribution<int64_t> far(-big, big), onX(0, kW - 1), onY(0, kH - 1);
    for (int i = 0; i < 30; ++i) {
        const int64_t x0 = far(rng), y0 = far(rng);
        // Mirror through a canvas point so that the line crosses the canvas.
        const int64_t x1 = 2 * onX(rng) - x0 + (i % 3), y1 = 2 * onY(rng) - y0 - (i % 2);
        const PixelSet expected = closedFormLine(x0, y0, x1, y1);
        ASSERT_FALSE(expected.empty());
        ASSERT_EQ(draw(x0, y0, x1, y1), expected) << x0 << "," << y0 << " " << x1 << "," << y1;
        ASSERT_EQ(draw(x1, y1, x0, y0), expected);
    }
    // The closed form itself agrees with the walked reference where both work.
    for (int i = 0; i < 20; ++i) {
        std::uniform_int_distribution<int64_t> mid(-50000, 50000);
        const int64_t x0 = mid(rng), y0 = mid(rng), x1 = 2 * onX(rng) - x0, y1 = 2 * onY(rng) - y0;
        ASSERT_EQ(closedFormLine(x0, y0, x1, y1), referenceLine(x0, y0, x1, y1));
    }
}

TEST_F(SurfaceLineTest, ExtremeEndPointsClipWithoutOverflow) {
    EXPECT_EQ(draw(kMin, 5, kMax, 5), rectangle(0, 5, kW - 1, 5));
    EXPECT_EQ(draw(kMax, 5, kMin, 5), rectangle(0, 5, kW - 1, 5));
    EXPECT_EQ(draw(7, kMin, 7, kMax), rectangle(7, 0, 7, kH - 1));
    PixelSet diagonal;
    for (int64_t t = 0; t < kH; ++t) diagonal.insert({t, t});
    EXPECT_EQ(draw(kMin, kMin, kMax, kMax), diagonal);
    EXPECT_EQ(draw(kMax, kMax, kMin, kMin), diagonal);
    // An exact anti-diagonal with x + y = 999 on its whole length.
    PixelSet anti;
    for (int64_t x = 232; x <= 999; ++x) anti.insert({x, 999 - x});
    EXPECT_EQ(draw(kMin + 1000, kMax, kMax, kMin + 1000), anti);
    EXPECT_TRUE(draw(kMin, kMax, kMax, kMin).empty());  // x + y = -1
    // Slopes that are no multiple of 45 degrees, over the full range.
    const int64_t q = int64_t(1) << 62;
    const int64_t ends[][4] = {{kMin, -q, kMax, q + 600}, {kMin, 300, kMax, 301}, {-q, kMin, q + 1000, kMax},
                               {kMin, kMin / 3, kMax, kMax / 3}, {5, kMin, 6, kMax}};
    for (const auto& e : ends) {
        const Mask got = draw(e[0], e[1], e[2], e[3]);
        EXPECT_GT(got.size(), 700u);
        EXPECT_EQ(got, closedFormLine(e[0], e[1], e[2], e[3])) << e[0] << "," << e[1] << " " << e[2] << "," << e[3];
        EXPECT_EQ(draw(e[2], e[3], e[0], e[1]), got);
    }
    EXPECT_EQ(draw(kMin, 300, kMax, 301).size(), size_t(kW));
}

}  // namespace

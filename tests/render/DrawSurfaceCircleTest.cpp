// Circles: the pixel set of the midpoint ellipse algorithm with equal radii,
// filled and outlined, clipped, for any radius and centre.
#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <random>
#include <string>

#include "DrawSurfaceTest.h"
#include "render/RasterCircle.h"

namespace {

constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
constexpr int64_t kWhite = 0xffffff;

// The textbook midpoint ellipse (Hearn and Baker) for radii rx, ry, with
// its fractional decision values scaled by 4 and kept in 128 bits, calling
// `point` for every first-quadrant point it plots (duplicates included).
template <typename F>
void referenceEllipse(int64_t rx, int64_t ry, F&& point) {
    using I = __int128;
    const I rx2 = I(rx) * rx, ry2 = I(ry) * ry;
    I x = 0, y = ry;
    I p = 4 * ry2 - 4 * rx2 * ry + rx2;  // 4 (ry^2 - rx^2 ry + rx^2 / 4)
    while (2 * ry2 * x < 2 * rx2 * y) {
        point(int64_t(x), int64_t(y));
        if (p < 0) {
            x += 1;
            p += 4 * (2 * ry2 * x + ry2);
        } else {
            x += 1;
            y -= 1;
            p += 4 * (2 * ry2 * x - 2 * rx2 * y + ry2);
        }
    }
    // 4 (ry^2 (x + 1/2)^2 + rx^2 (y - 1)^2 - rx^2 ry^2)
    p = ry2 * (2 * x + 1) * (2 * x + 1) + 4 * rx2 * (y - 1) * (y - 1) - 4 * rx2 * ry2;
    while (y >= 0) {
        point(int64_t(x), int64_t(y));
        if (p > 0) {
            y -= 1;
            p += 4 * (rx2 - 2 * rx2 * y);
        } else {
            y -= 1;
            x += 1;
            p += 4 * (2 * ry2 * x - 2 * rx2 * y + rx2);
        }
    }
}

// The reference outline of a circle centred on (cx, cy): all four mirror
// images of every plotted point.
PixelSet referenceOutline(int64_t cx, int64_t cy, int64_t r) {
    PixelSet out;
    if (r < 0) return out;
    referenceEllipse(r, r, [&](int64_t x, int64_t y) {
        out.insert({cx + x, cy + y});
        out.insert({cx - x, cy + y});
        out.insert({cx + x, cy - y});
        out.insert({cx - x, cy - y});
    });
    return out;
}

// The reference disc on the canvas: in every row, everything between the
// outline's leftmost and rightmost points.
Mask referenceDisc(int64_t cx, int64_t cy, int64_t r) {
    const PixelSet outline = referenceOutline(cx, cy, r);
    std::map<int64_t, std::pair<int64_t, int64_t>> rows;
    for (const auto& [x, y] : outline) {
        auto it = rows.find(y);
        if (it == rows.end())
            rows[y] = {x, x};
        else
            it->second = {std::min(it->second.first, x), std::max(it->second.second, x)};
    }
    Mask out;
    for (const auto& [y, span] : rows)
        for (int64_t x = std::max<int64_t>(span.first, 0); x <= std::min<int64_t>(span.second, kW - 1); ++x)
            out.insert(x, y);
    return out;
}

// Per-row facts of the first quadrant of a large reference circle, without
// storing its points: the rightmost point and the run of points of each row.
struct ReferenceRows {
    std::vector<int64_t> right, left, count;
    explicit ReferenceRows(int64_t r)
        : right(size_t(r) + 1, -1), left(size_t(r) + 1, kMax), count(size_t(r) + 1, 0) {
        int64_t lastX = -1, lastY = -1;
        referenceEllipse(r, r, [&](int64_t x, int64_t y) {
            if (x == lastX && y == lastY) return;  // the hand-over point may repeat
            lastX = x;
            lastY = y;
            right[size_t(y)] = std::max(right[size_t(y)], x);
            left[size_t(y)] = std::min(left[size_t(y)], x);
            ++count[size_t(y)];
        });
    }
};

std::string picture(const Mask& s, int64_t x0, int64_t y0, int64_t x1, int64_t y1) {
    std::string out;
    for (int64_t y = y0; y <= y1; ++y) {
        for (int64_t x = x0; x <= x1; ++x) out += s.has(x, y) ? '#' : '.';
        out += '\n';
    }
    return out;
}

class SurfaceCircleTest : public DrawSurfaceFixture {
protected:
    Mask draw(int64_t mode, int64_t x, int64_t y, int64_t r) {
        clear(0);
        surface.setMode(DrawMode(mode));
        surface.circle(x, y, r, kWhite);
        return changed(0);
    }
};

TEST_F(SurfaceCircleTest, SmallRadiiHaveTheClassicPixels) {
    EXPECT_EQ(draw(Default, 10, 10, 0), (PixelSet{{10, 10}}));
    EXPECT_EQ(draw(Outlined, 10, 10, 0), (PixelSet{{10, 10}}));
    EXPECT_TRUE(draw(Default, 10, 10, -1).empty());
    EXPECT_TRUE(draw(Outlined, 10, 10, -1).empty());
    EXPECT_TRUE(draw(Default, 10, 10, kMin).empty());

    EXPECT_EQ(picture(draw(Outlined, 10, 10, 1), 9, 9, 11, 11), ".#.\n#.#\n.#.\n");
    EXPECT_EQ(picture(draw(Default, 10, 10, 1), 9, 9, 11, 11), ".#.\n###\n.#.\n");
    EXPECT_EQ(picture(draw(Outlined, 10, 10, 2), 8, 8, 12, 12), ".###.\n#...#\n#...#\n#...#\n.###.\n");
    EXPECT_EQ(picture(draw(Default, 10, 10, 2), 8, 8, 12, 12), ".###.\n#####\n#####\n#####\n.###.\n");
    EXPECT_EQ(picture(draw(Outlined, 10, 10, 3), 7, 7, 13, 13),
              "..###..\n.#...#.\n#.....#\n#.....#\n#.....#\n.#...#.\n..###..\n");
    EXPECT_EQ(picture(draw(Default, 10, 10, 3), 7, 7, 13, 13),
              "..###..\n.#####.\n#######\n#######\n#######\n.#####.\n..###..\n");
    EXPECT_EQ(picture(draw(Outlined, 10, 10, 4), 6, 6, 14, 14),
              "...###...\n.##...##.\n.#.....#.\n#.......#\n#.......#\n#.......#\n.#.....#.\n.##...##.\n...###...\n");
}

TEST_F(SurfaceCircleTest, MatchesTheReferenceAlgorithmFilledAndOutlined) {
    for (int64_t r = 0; r <= 130; ++r) {
        ASSERT_EQ(draw(Default, 640, 384, r), referenceDisc(640, 384, r)) << "r=" << r;
        ASSERT_EQ(draw(Outlined, 640, 384, r), referenceOutline(640, 384, r)) << "r=" << r;
    }
    for (int64_t r : {200, 255, 383}) {
        EXPECT_EQ(draw(Default, 640, 384, r), referenceDisc(640, 384, r)) << "r=" << r;
        EXPECT_EQ(draw(Outlined, 640, 384, r), referenceOutline(640, 384, r)) << "r=" << r;
    }
}

TEST_F(SurfaceCircleTest, OutlineIsTheBoundaryOfTheDiscAndBothAreSymmetric) {
    for (int64_t r = 1; r <= 300; r += 7) {
        const Mask disc = draw(Default, 640, 384, r);
        const Mask ring = draw(Outlined, 640, 384, r);
        for (int64_t y = 384 - r; y <= 384 + r; ++y)
            for (int64_t x = 640 - r; x <= 640 + r; ++x) {
                ASSERT_TRUE(!ring.has(x, y) || disc.has(x, y)) << "r=" << r << " at " << x << "," << y;
                // Every disc pixel with a neighbour outside the disc (the
                // ends of each row among them) is an outline pixel.
                const bool edge = !disc.has(x - 1, y) || !disc.has(x + 1, y) || !disc.has(x, y - 1) ||
                                  !disc.has(x, y + 1);
                if (disc.has(x, y) && edge) {
                    ASSERT_TRUE(ring.has(x, y)) << "r=" << r << " at " << x << "," << y;
                }
                // Equal radii: both sets are the same after swapping the axes.
                const int64_t sx = 640 + (y - 384), sy = 384 + (x - 640);
                ASSERT_EQ(disc.has(x, y), disc.has(sx, sy)) << r;
                ASSERT_EQ(ring.has(x, y), ring.has(sx, sy)) << r;
            }
    }
}

TEST_F(SurfaceCircleTest, HalfOutsideCirclesDrawTheirVisiblePart) {
    const struct { int64_t x, y, r; } cases[] = {
        {0, 384, 50},   {1279, 384, 50}, {640, 0, 50},    {640, 767, 50}, {-30, -30, 50},
        {1300, 780, 40}, {-49, 10, 50},   {640, 384, 900}, {-500, 384, 700},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(draw(Default, c.x, c.y, c.r), referenceDisc(c.x, c.y, c.r)) << c.x << "," << c.y;
        EXPECT_EQ(draw(Outlined, c.x, c.y, c.r), referenceOutline(c.x, c.y, c.r)) << c.x << "," << c.y;
    }
}

TEST_F(SurfaceCircleTest, WhollyOutsideCirclesDrawNothing) {
    for (int64_t mode : {Default, Outlined, AlphaBlend}) {
        const int64_t c = rgba(255, 255, 255, 100);
        surface.setMode(DrawMode(mode));
        surface.circle(-51, 100, 50, c);
        surface.circle(1330, 100, 50, c);
        surface.circle(100, -51, 50, c);
        surface.circle(100, 818, 50, c);
        surface.circle(-1000000, 384, 999999, c);
        surface.circle(kMin, kMin, kMax, c);
        surface.circle(kMax, kMax, 1000, c);
        surface.circle(kMin, 384, kMax, c);  // rightmost column -1
    }
    EXPECT_TRUE(changed(0).empty());
    // A large ring around the canvas leaves it untouched.
    EXPECT_TRUE(draw(Outlined, 640, 384, 1000).empty());
    EXPECT_TRUE(draw(Outlined, 640, 384, 5000).empty());
}

TEST_F(SurfaceCircleTest, DirectRowsAgreeWithTheAlgorithmForEveryRadiusItWalks) {
    std::vector<int64_t> walked;
    for (int64_t r = 0; r <= raster::kIterativeRadius; ++r) {
        raster::midpointHalfWidths(r, walked);
        const raster::CircleRows rows(r);
        ASSERT_EQ(walked[size_t(r) + 1], -1);
        for (int64_t k = 0; k <= r; ++k) ASSERT_EQ(rows.halfWidth(k), walked[size_t(k)]) << "r=" << r << " k=" << k;
    }
}

TEST_F(SurfaceCircleTest, DirectRowsAgreeWithTheReferenceForLargeRadii) {
    std::mt19937_64 rng(7);
    std::vector<int64_t> radii = {4097, 65535, 65536, 1000000, 1048576, 2000003};
    for (int i = 0; i < 8; ++i) radii.push_back(int64_t(5000 + rng() % 1500000));
    for (int64_t r : radii) {
        const ReferenceRows ref(r);
        const raster::CircleRows rows(r);
        for (int64_t k = 0; k <= r; ++k) {
            ASSERT_EQ(rows.halfWidth(k), ref.right[size_t(k)]) << "r=" << r << " k=" << k;
            // The plotted points of each row form one run ending at the
            // half-width and starting where the row further out ended.
            const int64_t outer = k < r ? ref.right[size_t(k) + 1] : -1;
            ASSERT_EQ(ref.left[size_t(k)], raster::outlineInner(ref.right[size_t(k)], outer)) << r << " " << k;
            ASSERT_EQ(ref.count[size_t(k)], ref.right[size_t(k)] - ref.left[size_t(k)] + 1) << r << " " << k;
        }
    }
}

TEST_F(SurfaceCircleTest, LargeCirclesCrossingTheCanvasAreExact) {
    // Radius beyond the walked range: the top of the circle, and the
    // 45-degree hand-over between the algorithm's two regions.
    const int64_t r = 1000003;
    const ReferenceRows ref(r);
    auto expected = [&](int64_t cx, int64_t cy, bool outline) {
        Mask out;
        for (int64_t y = 0; y < kH; ++y) {
            const int64_t k = std::abs(y - cy);
            if (k > r) continue;
            const int64_t h = ref.right[size_t(k)];
            const int64_t inner = outline ? ref.left[size_t(k)] : 0;
            for (int64_t x = 0; x < kW; ++x) {
                const int64_t d = std::abs(x - cx);
                if (d >= inner && d <= h) out.insert(x, y);
            }
        }
        return out;
    };
    const int64_t diag = int64_t(double(r) / std::sqrt(2.0));
    const Pixel centres[] = {{640, r + 300}, {640, -r + 400}, {640 - diag, 384 + diag}, {640 + diag, 384 - diag},
                             {-r + 10, 300}};
    for (const auto& [cx, cy] : centres) {
        EXPECT_EQ(draw(Default, cx, cy, r), expected(cx, cy, false)) << cx << "," << cy;
        EXPECT_EQ(draw(Outlined, cx, cy, r), expected(cx, cy, true)) << cx << "," << cy;
    }
}

TEST_F(SurfaceCircleTest, ExtremeRadiiClipExactly) {
    const Mask all = rectangle(0, 0, kW - 1, kH - 1);
    // The canvas deep inside: filled everywhere, no outline to be seen.
    EXPECT_EQ(draw(Default, 0, 0, kMax), all);
    EXPECT_EQ(draw(Default, 640, 384, 1000000000000000000), all);
    EXPECT_TRUE(draw(Outlined, 0, 0, kMax).empty());
    EXPECT_TRUE(draw(Outlined, kMin / 2, kMax / 2, kMax).empty());
    // The leftmost column of a circle of radius kMax centred kMax to the
    // right: (x - 1/2)^2 + k^2 < r^2 holds for x = r while k^2 < r, so every
    // visible row reaches exactly column 0: the ring shows as that column.
    const Mask column0 = rectangle(0, 0, 0, kH - 1);
    EXPECT_EQ(draw(Default, kMax, 0, kMax), all);
    EXPECT_EQ(draw(Outlined, kMax, 0, kMax), column0);
    // Mirrored: the rightmost column is 0.
    EXPECT_EQ(draw(Default, kMin + 1, 100, kMax), column0);
    EXPECT_EQ(draw(Outlined, kMin + 1, 100, kMax), column0);
    // Its top row 0 spans isqrt(r - 1) = 3037000499 columns each way, and
    // the outline of row 1 starts beyond that: only row 0 of the ring shows.
    EXPECT_EQ(draw(Default, 640, kMax, kMax), all);
    EXPECT_EQ(draw(Outlined, 640, kMax, kMax), rectangle(0, 0, kW - 1, 0));
}

TEST_F(SurfaceCircleTest, HugeCirclesKeepTheirShapeUnderShiftAndMirror) {
    const int64_t r = 1000000000000000000;  // 1e18
    // Centres that put the curve across the canvas at various angles.
    const int64_t d = int64_t(double(r) / std::sqrt(2.0));
    const Pixel centres[] = {{640, r + 300}, {-r + 600, 384}, {600 - d, 384 + d}, {700 + d, 400 - d}};
    for (int64_t mode : {Default, Outlined}) {
        for (const auto& [cx, cy] : centres) {
            const Mask base = draw(mode, cx, cy, r);
            ASSERT_FALSE(base.empty());
            ASSERT_LT(base.size(), size_t(kW) * kH);
            const Mask moved = draw(mode, cx + 5, cy - 3, r);
            const Mask mirrored = draw(mode, kW - 1 - cx, kH - 1 - cy, r);
            for (int64_t y = 0; y < kH; ++y)
                for (int64_t x = 0; x < kW; ++x) {
                    // Moved by (5, -3): the same pixels, moved.
                    if (x >= 5 && y < kH - 3) {
                        ASSERT_EQ(moved.has(x, y), base.has(x - 5, y + 3)) << x << "," << y;
                    }
                    // Mirrored about the canvas's centre.
                    ASSERT_EQ(mirrored.has(kW - 1 - x, kH - 1 - y), base.has(x, y)) << x << "," << y;
                }
        }
    }
}

}  // namespace

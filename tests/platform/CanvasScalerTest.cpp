// The software scaling of the canvas and the frame-rate figures: hard
// edges at whole-number scales, crisp pixels with blended borders at
// others, parts that match the whole, and what a changed pixel reaches.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/qt/CanvasScaler.h"
#include "platform/qt/FrameRate.h"

namespace {

std::vector<uint32_t> noise(int w, int h, uint32_t seed) {
    std::vector<uint32_t> px(size_t(w) * size_t(h));
    for (auto& p : px) {
        seed = seed * 1664525u + 1013904223u;
        p = 0xFF000000u | (seed >> 8);
    }
    return px;
}

int channel(uint32_t p, int c) { return int((p >> (8 * c)) & 0xFF); }

}  // namespace

TEST(CanvasScaler, WholeScalesRepeatPixelsOthersBlendOnlyNeighbours) {
    constexpr int sw = 64, sh = 40;
    const std::vector<uint32_t> src = noise(sw, sh, 7);
    struct Size {
        int w, h;
        bool whole;
    };
    for (const Size s : {Size{64, 40, true}, {128, 80, true}, {192, 120, true}, {96, 60, false},
                         {180, 112, false}, {45, 28, false}}) {
        SCOPED_TRACE(testing::Message() << s.w << "x" << s.h);
        std::vector<uint32_t> out(size_t(s.w) * size_t(s.h), 0);
        CanvasScaler scaler;
        scaler.scale(src.data(), sw, sh, sw, out.data(), s.w, s.h, s.w);
        for (int y = 0; y < s.h; ++y)
            for (int x = 0; x < s.w; ++x) {
                const uint32_t got = out[size_t(y) * size_t(s.w) + size_t(x)];
                // The source pixel under the output pixel's centre.
                const int sx = (2 * x + 1) * sw / (2 * s.w), sy = (2 * y + 1) * sh / (2 * s.h);
                if (s.whole) {
                    ASSERT_EQ(got, src[size_t(sy) * sw + size_t(sx)]) << x << "," << y;
                    continue;
                }
                // Every channel lies within the 3 x 3 source pixels around.
                for (int c = 0; c < 4; ++c) {
                    int lo = 255, hi = 0;
                    for (int dy = -1; dy <= 1; ++dy)
                        for (int dx = -1; dx <= 1; ++dx) {
                            const int v = channel(src[size_t(std::clamp(sy + dy, 0, sh - 1)) * sw +
                                                      size_t(std::clamp(sx + dx, 0, sw - 1))],
                                                  c);
                            lo = std::min(lo, v), hi = std::max(hi, v);
                        }
                    ASSERT_GE(channel(got, c), lo) << x << "," << y;
                    ASSERT_LE(channel(got, c), hi) << x << "," << y;
                }
            }
        // Sharp bilinear keeps an enlarged pixel's middle exactly its colour.
        if (!s.whole && s.w >= 2 * sw) {
            const CanvasScaler::Axis a = CanvasScaler::axis(sw, s.w);
            const auto exact = std::count(a.weight.begin(), a.weight.end(), 0);
            EXPECT_GE(exact, s.w / 3) << "most columns are a single source pixel's";
        }
    }
}

TEST(CanvasScaler, APartIsThatPartOfTheWholeAndAChangeStaysWithinItsReach) {
    constexpr int sw = 64, sh = 40, dw = 180, dh = 112;
    std::vector<uint32_t> src = noise(sw, sh, 11);
    CanvasScaler scaler;
    std::vector<uint32_t> whole(size_t(dw) * dh), part(size_t(dw) * dh, 0);
    scaler.scale(src.data(), sw, sh, sw, whole.data(), dw, dh, dw);
    const CanvasScaler::Part p{37, 21, 101, 77};
    scaler.scalePart(src.data(), sw, sh, sw, part.data(), dw, dh, dw, p);
    for (int y = 0; y < dh; ++y)
        for (int x = 0; x < dw; ++x) {
            const bool inside = x >= p.x0 && x < p.x1 && y >= p.y0 && y < p.y1;
            ASSERT_EQ(part[size_t(y) * dw + size_t(x)], inside ? whole[size_t(y) * dw + size_t(x)] : 0u)
                << x << "," << y;
        }

    // Change one source pixel: every output pixel that changes is within
    // the reach of that pixel.
    for (const auto& [cx, cy] : {std::pair{0, 0}, {63, 39}, {30, 17}}) {
        std::vector<uint32_t> changed = src;
        changed[size_t(cy) * sw + size_t(cx)] ^= 0x00FFFFFFu;
        std::vector<uint32_t> after(size_t(dw) * dh);
        scaler.scale(changed.data(), sw, sh, sw, after.data(), dw, dh, dw);
        const CanvasScaler::Part r = scaler.reach(sw, sh, dw, dh, {cx, cy, cx + 1, cy + 1});
        int differing = 0;
        for (int y = 0; y < dh; ++y)
            for (int x = 0; x < dw; ++x)
                if (after[size_t(y) * dw + size_t(x)] != whole[size_t(y) * dw + size_t(x)]) {
                    ++differing;
                    ASSERT_TRUE(x >= r.x0 && x < r.x1 && y >= r.y0 && y < r.y1) << x << "," << y;
                }
        EXPECT_GT(differing, 0);
    }
}

// One rule, however the picture is made: the whole picture (streamed past
// the cache when it is large), a part of it, or bands written to a buffer
// of their own, with the processor's widest instructions or without, all
// equal the rule worked out pixel by pixel from the sampling of each axis.
TEST(CanvasScaler, EveryWayOfScalingGivesThePixelsOfTheRule) {
    const auto blend = [](uint32_t p, uint32_t q, uint32_t w) {
        uint32_t out = 0;
        for (int c = 0; c < 4; ++c)
            out |= uint32_t((channel(p, c) * int(256 - w) + channel(q, c) * int(w)) >> 8) << (8 * c);
        return out;
    };
    struct Case {
        int sw, sh, dw, dh;
    };
    // 1.875 (a plain blend), 2.8125 (a doubling, then a blend), odd widths
    // that leave tails after the wide loops, and one above the streaming size.
    for (const Case k : {Case{128, 77, 240, 144}, {128, 77, 360, 216}, {61, 37, 117, 71}, {61, 37, 203, 123},
                         {128, 77, 2400, 1440}}) {
        SCOPED_TRACE(testing::Message() << k.dw << "x" << k.dh);
        const std::vector<uint32_t> src = noise(k.sw, k.sh, 23);
        const CanvasScaler::Axis ax = CanvasScaler::axis(k.sw, k.dw), ay = CanvasScaler::axis(k.sh, k.dh);
        const auto across = [&](int y, int x) {
            const uint32_t* row = src.data() + size_t(y) * size_t(k.sw);
            const int32_t j = ax.index[size_t(x)];
            return ax.weight[size_t(x)] == 0 ? row[j] : blend(row[j], row[j + 1], ax.weight[size_t(x)]);
        };
        std::vector<uint32_t> rule(size_t(k.dw) * size_t(k.dh));
        for (int y = 0; y < k.dh; ++y)
            for (int x = 0; x < k.dw; ++x) {
                const int j = ay.index[size_t(y)];
                const uint32_t w = ay.weight[size_t(y)];
                rule[size_t(y) * size_t(k.dw) + size_t(x)] =
                    w == 0 ? across(j, x) : w == 256 ? across(j + 1, x) : blend(across(j, x), across(j + 1, x), w);
            }
        CanvasScaler scaler;
        std::vector<uint32_t> whole(rule.size());
        scaler.scale(src.data(), k.sw, k.sh, k.sw, whole.data(), k.dw, k.dh, k.dw);
        ASSERT_TRUE(whole == rule) << "the whole picture";
        // Bands of 7 rows over an odd run of columns, in a buffer each.
        const int x0 = 3, x1 = k.dw - 2, n = x1 - x0;
        std::vector<uint32_t> band(size_t(n) * 7);
        for (int y0 = 0; y0 < k.dh; y0 += 7) {
            const int y1 = std::min(k.dh, y0 + 7);
            scaler.scaleBand(src.data(), k.sw, k.sh, k.sw, k.dw, k.dh, {x0, y0, x1, y1}, band.data());
            for (int y = y0; y < y1; ++y)
                ASSERT_TRUE(std::equal(band.begin() + std::ptrdiff_t(y - y0) * n, band.begin() + std::ptrdiff_t(y - y0 + 1) * n,
                                       rule.begin() + std::ptrdiff_t(y) * k.dw + x0))
                    << "band row " << y;
        }
    }
}

TEST(FrameRateMeter, CountsStepsPicturesAndTheHeaviestFrameOfEachSecond) {
    FrameRateMeter meter;
    EXPECT_EQ(meter.text(), "");
    // Two seconds of 50 steps, every other one shown; showing takes 3 ms,
    // once 20 ms, in the first second only. A frame runs from the first
    // step after a picture to the end of the next picture.
    for (int step = 0; step <= 100; ++step) {
        const double t = step * 20.0;
        meter.stepStarted(t);
        if (step % 2 == 0) meter.frameShown(t + (step == 30 ? 20 : 3));
        if (step == 50) {
            EXPECT_EQ(meter.text(), "50 steps/s  25 frames/s  40.0 ms");
        }
    }
    EXPECT_EQ(meter.text(), "50 steps/s  25 frames/s  23.0 ms");
}

// AlphaBlend: (a * source + (255 - a) * canvas) / 255 per channel with
// integer division, exactly, in every kernel and every primitive.
#include <random>

#include "DrawSurfaceTest.h"
#include "render/RasterBlend.h"

namespace {

// The formula, spelt out channel by channel on the game's packing.
int64_t blended(int64_t src, int64_t dst, int64_t a) {
    int64_t out = 0;
    for (int shift : {0, 8, 16}) {
        const int64_t s = (src >> shift) & 0xff, d = (dst >> shift) & 0xff;
        out |= ((a * s + (255 - a) * d) / 255) << shift;
    }
    return out;
}

uint32_t raw(int64_t c) { return raster::canvasPixel(c); }

using Kernel = bool (*)(uint32_t*, size_t, const raster::Blend&);

bool scalarKernel(uint32_t* p, size_t n, const raster::Blend& b) {
    raster::blendRowScalar(p, n, b);
    return true;
}
bool dispatchedKernel(uint32_t* p, size_t n, const raster::Blend& b) {
    raster::blendRow(p, n, b);
    return true;
}

const struct {
    const char* name;
    Kernel run;
} kKernels[] = {{"scalar", scalarKernel},
                {"sse2", raster::blendRowSse2},
                {"avx2", raster::blendRowAvx2},
                {"dispatched", dispatchedKernel}};

TEST(SurfaceBlendKernel, DivisionBy255IsExactForEveryBlendSum) {
    for (uint32_t v = 0; v <= 65535; ++v) ASSERT_EQ(raster::div255(v), v / 255) << v;
}

TEST(SurfaceBlendKernel, EveryKernelIsExactForAllAlphasSourcesAndCanvasValues) {
    // Each channel sees every (alpha, source, canvas) triple: the canvas row
    // holds all 256 values, shuffled differently per channel.
    std::vector<uint32_t> row(256), initial(256);
    for (uint32_t d = 0; d < 256; ++d)
        initial[d] = 0xff000000u | (d << 16) | (((d * 7 + 3) & 0xff) << 8) | (255 - d);
    for (const auto& k : kKernels) {
        if (!k.run(row.data(), 0, raster::makeBlend(0))) {
            GTEST_LOG_(INFO) << k.name << " kernel not available here";
            continue;
        }
        for (int64_t a = 0; a <= 255; ++a) {
            for (int64_t s = 0; s <= 255; ++s) {
                const int64_t src = rgba(s, (s * 5 + 1) & 0xff, 255 - s, a);
                row = initial;
                k.run(row.data(), row.size(), raster::makeBlend(src));
                for (size_t i = 0; i < row.size(); ++i)
                    ASSERT_EQ(row[i], raw(blended(src, raster::gameColour(initial[i]), a)))
                        << k.name << " a=" << a << " s=" << s << " i=" << i;
            }
        }
    }
}

TEST(SurfaceBlendKernel, KernelsTouchExactlyTheirSpan) {
    std::mt19937 rng(5);
    const raster::Blend b = raster::makeBlend(rgba(200, 10, 99, 77));
    for (const auto& k : kKernels) {
        for (size_t offset = 0; offset < 9; ++offset)
            for (size_t n = 0; n < 41; ++n) {
                std::vector<uint32_t> row(64);
                for (auto& p : row) p = 0xff000000u | (rng() & 0xffffffu);
                const std::vector<uint32_t> before = row;
                if (!k.run(row.data() + offset, n, b)) break;
                for (size_t i = 0; i < row.size(); ++i) {
                    const bool inside = i >= offset && i < offset + n;
                    ASSERT_EQ(row[i], inside ? b.apply(before[i]) : before[i]) << k.name << " " << offset << " " << n;
                }
            }
    }
}

TEST(SurfaceBlendKernel, FillTouchesExactlyItsSpan) {
    for (size_t offset = 0; offset < 9; ++offset)
        for (size_t n = 0; n < 80; ++n) {
            std::vector<uint32_t> row(100, 0xff010203u);
            raster::fillRow(row.data() + offset, n, 0xffabcdefu);
            for (size_t i = 0; i < row.size(); ++i)
                ASSERT_EQ(row[i], i >= offset && i < offset + n ? 0xffabcdefu : 0xff010203u) << offset << " " << n;
        }
}

class SurfaceBlendTest : public DrawSurfaceFixture {
protected:
    // A canvas with a different colour in every pixel of the area used.
    void texture() {
        Canvas& c = surface.canvas();
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x)
                c.pixels[y * c.stride + x] = 0xff000000u | uint32_t((x * 13 + y) & 0xff) << 16 |
                                             uint32_t((x + y * 7) & 0xff) << 8 | uint32_t((x ^ y) & 0xff);
    }
    std::vector<int64_t> snapshot() const {
        std::vector<int64_t> out;
        out.reserve(size_t(kW) * kH);
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) out.push_back(surface.pixel(x, y));
        return out;
    }
    // Every pixel of `covered` must be the blend of its old value, every
    // other pixel unchanged.
    void expectBlendedExactly(const std::vector<int64_t>& before, const Mask& covered, int64_t src) {
        const int64_t a = (src >> 24) & 0xff;
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) {
                const int64_t old = before[size_t(y) * kW + x];
                const int64_t want = covered.has(x, y) ? blended(src, old, a) : old;
                ASSERT_EQ(surface.pixel(x, y), want) << x << "," << y;
            }
    }
    Mask shapeOf(void (*draw)(DrawSurface&), int64_t mode) {
        FixedText t;
        DrawSurface s(t);
        s.setMode(DrawMode(mode));
        draw(s);
        Mask out;
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x)
                if (s.pixel(x, y) != 0) out.insert(x, y);
        return out;
    }
};

TEST_F(SurfaceBlendTest, AlphaZeroLeavesTheCanvasAndAlpha255PaintsTheColour) {
    clear(rgb(0, 128, 255));
    surface.setMode(AlphaBlend);
    surface.circle(640, 384, 50, rgba(255, 0, 0, 0));
    surface.box(0, 0, kW, kH, rgba(255, 0, 0, 0));
    surface.line(0, 0, 1279, 767, rgba(255, 0, 0, 0));
    surface.plot(5, 5, rgba(255, 0, 0, 0));
    EXPECT_TRUE(changed(rgb(0, 128, 255)).empty());
    surface.circle(640, 384, 50, rgba(255, 0, 0, 255));
    EXPECT_EQ(surface.pixel(640, 384), rgb(255, 0, 0));
    FixedText t;
    DrawSurface opaque(t);
    opaque.box(0, 0, kW, kH, rgb(0, 128, 255));
    opaque.circle(640, 384, 50, rgb(255, 0, 0));
    for (int y = 300; y < 470; ++y)
        for (int x = 560; x < 720; ++x) ASSERT_EQ(surface.pixel(x, y), opaque.pixel(x, y)) << x << "," << y;
}

TEST_F(SurfaceBlendTest, EveryPrimitiveBlendsEachCoveredPixelOnce) {
    struct Case {
        const char* name;
        void (*draw)(DrawSurface&);
    };
    const int64_t src = rgba(250, 40, 120, 90);
    static const Case cases[] = {
        {"box", [](DrawSurface& s) { s.box(100, 100, 37, 20, rgba(250, 40, 120, 90)); }},
        {"thin box", [](DrawSurface& s) { s.box(1270, 5, 30, 1, rgba(250, 40, 120, 90)); }},
        {"disc", [](DrawSurface& s) { s.circle(300, 200, 45, rgba(250, 40, 120, 90)); }},
        {"clipped disc", [](DrawSurface& s) { s.circle(10, 760, 30, rgba(250, 40, 120, 90)); }},
        {"line", [](DrawSurface& s) { s.line(-20, 10, 1400, 700, rgba(250, 40, 120, 90)); }},
        {"steep line", [](DrawSurface& s) { s.line(400, 767, 380, 0, rgba(250, 40, 120, 90)); }},
        {"point", [](DrawSurface& s) { s.plot(7, 9, rgba(250, 40, 120, 90)); }},
    };
    for (const auto& c : cases) {
        // The shape drawn opaquely on an empty canvas tells which pixels it
        // covers; AlphaBlend fills shapes, like Default.
        const Mask covered = shapeOf(c.draw, Default);
        ASSERT_FALSE(covered.empty()) << c.name;
        texture();
        const auto before = snapshot();
        surface.setMode(AlphaBlend);
        c.draw(surface);
        expectBlendedExactly(before, covered, src);
        surface.setMode(Default);
    }
}

TEST_F(SurfaceBlendTest, BlendingRowsOfOneColourMatchesBlendingRealPixels) {
    // A full-width fill leaves rows of one colour; blends over them must
    // give the same pixels as over a canvas written pixel by pixel.
    FixedText t;
    DrawSurface ref(t);
    Canvas& rc = ref.canvas();
    surface.box(0, 0, kW, kH, rgb(30, 60, 90));
    surface.box(0, 100, kW, 3, rgb(200, 200, 200));  // a band
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) rc.pixels[y * kW + x] = raw(y >= 100 && y < 103 ? rgb(200, 200, 200) : rgb(30, 60, 90));
    for (DrawSurface* s : {&surface, &ref}) {
        s->setMode(AlphaBlend);
        s->circle(640, 384, 800, rgba(255, 255, 255, 241));  // covers every row fully
        s->circle(640, 384, 300, rgba(10, 200, 30, 100));     // partial rows
        s->box(0, 50, kW, 60, rgba(0, 0, 255, 3));           // full rows again
        s->line(0, 0, 1279, 767, rgba(255, 0, 0, 128));
        s->setMode(Default);
        s->box(0, 700, kW, 5, rgb(1, 2, 3));
        s->setMode(AlphaBlend);
        s->box(600, 698, 10, 10, rgba(90, 90, 90, 200));
        s->plot(3, 701, rgba(255, 255, 255, 100));
        s->setMode(Outlined);
        s->circle(0, 702, 5, rgb(9, 9, 9));
    }
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) ASSERT_EQ(surface.pixel(x, y), ref.pixel(x, y)) << x << "," << y;
    const Canvas& c = surface.canvas();
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) ASSERT_EQ(c.pixels[y * kW + x], rc.pixels[y * kW + x]) << x << "," << y;
}

TEST_F(SurfaceBlendTest, SampledChannelValuesThroughTheSurface) {
    // Every alpha over a sample of canvas and source values, through box().
    const int64_t samples[] = {0, 1, 2, 64, 127, 128, 129, 200, 254, 255};
    for (int64_t a = 0; a <= 255; ++a)
        for (int64_t d : samples)
            for (int64_t s : samples) {
                surface.setMode(Default);
                surface.box(0, 0, 3, 1, rgb(d, 255 - d, d / 2));
                surface.setMode(AlphaBlend);
                const int64_t src = rgba(s, s / 3, 255 - s, a);
                surface.box(0, 0, 3, 1, src);
                ASSERT_EQ(surface.pixel(1, 0), blended(src, rgb(d, 255 - d, d / 2), a)) << a << " " << d << " " << s;
            }
}

}  // namespace

// Boxes, points, the frame and the pixel packing of the drawing surface.
#include <limits>

#include "DrawSurfaceTest.h"

namespace {

constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
constexpr int64_t kRed = 0xff, kGreen = 0xff00, kWhite = 0xffffff;

class SurfaceBoxTest : public DrawSurfaceFixture {};

struct RecordingPresenter final : FramePresenter {
    int presented = 0;
    const uint32_t* pixels = nullptr;
    uint32_t first = 0;
    void present(const Canvas& canvas) override {
        ++presented;
        pixels = canvas.pixels;
        first = canvas.pixels[0];
    }
};

TEST_F(SurfaceBoxTest, CanvasIsRgb32AndPixelReturnsTheGamePacking) {
    EXPECT_EQ(surface.canvas().width, 1280);
    EXPECT_EQ(surface.canvas().height, 768);
    EXPECT_EQ(surface.canvas().stride, 1280);
    EXPECT_EQ(surface.canvas().pixels[0], 0xff000000u);  // starts black
    surface.plot(3, 4, rgb(0x12, 0x34, 0x56));
    EXPECT_EQ(surface.canvas().pixels[4 * 1280 + 3], 0xff123456u);
    EXPECT_EQ(surface.pixel(3, 4), rgb(0x12, 0x34, 0x56));
    // Outside the canvas pixel() answers 0 rather than reading astray.
    EXPECT_EQ(surface.pixel(-1, 0), 0);
    EXPECT_EQ(surface.pixel(1280, 0), 0);
    EXPECT_EQ(surface.pixel(0, 768), 0);
}

TEST_F(SurfaceBoxTest, AlphaBitsAreIgnoredOutsideAlphaBlend) {
    surface.box(0, 0, 2, 2, rgba(10, 20, 30, 7));
    EXPECT_EQ(surface.pixel(1, 1), rgb(10, 20, 30));
    EXPECT_EQ(surface.canvas().pixels[0], 0xff0a141eu);
}

TEST_F(SurfaceBoxTest, FilledBoxCoversItsColumnsAndRows) {
    surface.box(10, 20, 3, 2, kRed);
    EXPECT_EQ(changed(0), rectangle(10, 20, 12, 21));
}

TEST_F(SurfaceBoxTest, NegativeSizesExtendLeftAndUp) {
    surface.box(100, 50, -10, 1, kRed);
    EXPECT_EQ(changed(0), rectangle(90, 50, 99, 50));
    clear(0);
    surface.box(100, 50, 2, -3, kRed);
    EXPECT_EQ(changed(0), rectangle(100, 47, 101, 49));
    clear(0);
    surface.box(100, 50, -2, -2, kRed);
    EXPECT_EQ(changed(0), rectangle(98, 48, 99, 49));
}

TEST_F(SurfaceBoxTest, ZeroSizeDrawsNothingInAnyMode) {
    for (int64_t mode : {Default, Transparent, Outlined, AlphaBlend}) {
        surface.setMode(DrawMode(mode));
        surface.box(10, 10, 0, 5, rgba(255, 0, 0, 255));
        surface.box(10, 10, 5, 0, rgba(255, 0, 0, 255));
    }
    EXPECT_TRUE(changed(0).empty());
}

TEST_F(SurfaceBoxTest, OutlineLiesInsideTheBox) {
    surface.setMode(Outlined);
    surface.box(10, 10, 5, 4, kGreen);
    Mask expected = rectangle(10, 10, 14, 10);
    expected |= rectangle(10, 13, 14, 13);
    for (int64_t y = 11; y <= 12; ++y) {
        expected.insert(10, y);
        expected.insert(14, y);
    }
    EXPECT_EQ(changed(0), expected);
}

TEST_F(SurfaceBoxTest, OutlineOfThinBoxes) {
    surface.setMode(Outlined);
    surface.box(10, 10, 6, 1, kGreen);  // height 1: just the row
    EXPECT_EQ(changed(0), rectangle(10, 10, 15, 10));
    clear(0);
    surface.box(10, 10, 6, 2, kGreen);  // height 2: top and bottom, no sides
    EXPECT_EQ(changed(0), rectangle(10, 10, 15, 11));
    clear(0);
    surface.box(10, 10, 1, 5, kGreen);  // width 1: one column
    EXPECT_EQ(changed(0), rectangle(10, 10, 10, 14));
    clear(0);
    surface.box(10, 10, 2, 5, kGreen);  // width 2: both columns
    EXPECT_EQ(changed(0), rectangle(10, 10, 11, 14));
    clear(0);
    surface.box(10, 10, -3, -3, kGreen);  // negative sizes outline the same way
    Mask ring = rectangle(7, 7, 9, 9);
    ring.erase(8, 8);
    EXPECT_EQ(changed(0), ring);
}

TEST_F(SurfaceBoxTest, ThinOutlinesBlendEachPixelOnce) {
    clear(rgb(100, 100, 100));
    surface.setMode(Outlined | AlphaBlend);
    surface.box(10, 10, 1, 6, rgba(200, 200, 200, 128));
    surface.box(20, 10, 6, 1, rgba(200, 200, 200, 128));
    const int64_t once = rgb(150, 150, 150);  // (128*200 + 127*100) / 255
    EXPECT_EQ(withColour(once).size(), 12u);
    EXPECT_EQ(changed(rgb(100, 100, 100)).size(), 12u);
}

TEST_F(SurfaceBoxTest, HalfOutsideBoxesDrawTheirVisiblePart) {
    surface.box(-5, -5, 10, 10, kRed);
    surface.box(1275, 763, 10, 10, kGreen);
    Mask expected = rectangle(0, 0, 4, 4);
    expected |= rectangle(1275, 763, 1279, 767);
    EXPECT_EQ(changed(0), expected);
    EXPECT_EQ(surface.pixel(1279, 767), kGreen);

    // An outline whose sides are off the canvas draws only what is on it.
    clear(0);
    surface.setMode(Outlined);
    surface.box(-3, 5, 10, 4, kWhite);  // left column at x = -3: invisible
    Mask outline = rectangle(0, 5, 6, 5);
    outline |= rectangle(0, 8, 6, 8);
    outline.insert(6, 6);
    outline.insert(6, 7);
    EXPECT_EQ(changed(0), outline);
}

TEST_F(SurfaceBoxTest, WhollyOutsideBoxesDrawNothing) {
    for (int64_t mode : {Default, Outlined, AlphaBlend}) {
        surface.setMode(DrawMode(mode));
        const int64_t c = rgba(255, 255, 255, 200);
        surface.box(-10, 0, 10, 10, c);   // ends at column -1
        surface.box(1280, 0, 10, 10, c);  // starts past the right edge
        surface.box(0, -10, 10, 10, c);
        surface.box(0, 768, 10, 10, c);
        surface.box(0, 0, -10, 10, c);  // columns -10 .. -1
    }
    EXPECT_TRUE(changed(0).empty());
}

TEST_F(SurfaceBoxTest, HugeBoxesClipWithoutOverflow) {
    surface.box(kMin, kMin, kMax, kMax, kRed);  // ends at -2, -2
    EXPECT_TRUE(changed(0).empty());
    surface.box(kMax, kMax, kMin, kMin, kRed);  // from -1, -1 to kMax - 1
    EXPECT_EQ(changed(0).size(), size_t(kW) * kH);
    clear(0);
    surface.box(kMin, 3, kMax, 2, kGreen);
    surface.box(kMax, 3, kMax, 2, kGreen);
    surface.box(kMin + 5, 0, -10, 10, kGreen);
    EXPECT_TRUE(changed(0).empty());
    surface.box(-5, 3, kMax, 2, kGreen);  // columns -5 .. kMax - 6
    EXPECT_EQ(changed(0), rectangle(0, 3, 1279, 4));
    clear(0);
    surface.setMode(Outlined);
    surface.box(kMin / 2, kMin / 2, kMax, kMax, kWhite);  // right and bottom edges far away
    surface.box(kMin, kMin, kMax, kMax, kWhite);
    EXPECT_TRUE(changed(0).empty());
    surface.box(-1, -1, kMax, 1282, kWhite);  // every edge just off the canvas
    EXPECT_TRUE(changed(0).empty());
    surface.box(-1, 0, 1282, kMax, kWhite);  // top row 0, sides -1 and 1280
    EXPECT_EQ(changed(0), rectangle(0, 0, 1279, 0));
}

TEST_F(SurfaceBoxTest, PlotSetsOnePixelAndIgnoresPointsOffTheCanvas) {
    surface.plot(0, 0, kRed);
    surface.plot(1279, 767, kRed);
    for (int64_t v : {int64_t(-1), int64_t(1280), kMin, kMax}) {
        surface.plot(v, 5, kRed);
        surface.plot(5, v, kRed);
    }
    EXPECT_EQ(changed(0), (PixelSet{{0, 0}, {1279, 767}}));
}

TEST_F(SurfaceBoxTest, LaterPrimitivesPaintOverEarlierOnes) {
    surface.box(0, 0, kW, kH, kRed);
    surface.box(0, 10, kW, 1, kGreen);
    surface.box(5, 10, 2, 1, kWhite);
    surface.plot(100, 10, 0x123456);
    surface.box(0, 11, 10, 1, kGreen);
    EXPECT_EQ(surface.pixel(4, 10), kGreen);
    EXPECT_EQ(surface.pixel(5, 10), kWhite);
    EXPECT_EQ(surface.pixel(7, 10), kGreen);
    EXPECT_EQ(surface.pixel(100, 10), 0x123456);
    EXPECT_EQ(surface.pixel(9, 11), kGreen);
    EXPECT_EQ(surface.pixel(10, 11), kRed);
    EXPECT_EQ(surface.pixel(640, 500), kRed);
    // The raw canvas agrees with pixel() everywhere.
    const Canvas& c = surface.canvas();
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; x += 7) {
            const uint32_t px = c.pixels[y * c.stride + x];
            ASSERT_EQ(px >> 24, 0xffu);
            ASSERT_EQ(int64_t(((px >> 16) & 0xff) | (px & 0xff00) | ((px & 0xff) << 16)), surface.pixel(x, y));
        }
}

TEST_F(SurfaceBoxTest, BeginFrameResetsTheDrawingStateAndEndFramePresents) {
    RecordingPresenter presenter;
    DrawSurface s(text, &presenter);
    s.setMode(Outlined);
    s.setFont(3);
    EXPECT_FALSE(s.inFrame());
    s.beginFrame();
    EXPECT_TRUE(s.inFrame());
    EXPECT_EQ(s.mode(), Default);
    EXPECT_EQ(s.font(), defaultFont);
    s.box(0, 0, kW, kH, kRed);
    EXPECT_EQ(presenter.presented, 0);
    s.endFrame();
    EXPECT_FALSE(s.inFrame());
    EXPECT_EQ(presenter.presented, 1);
    EXPECT_EQ(presenter.pixels, s.canvas().pixels);
    EXPECT_EQ(presenter.first, 0xffff0000u);  // the presenter sees the new pixels

    // Drawing outside a pass still works; endFrame without a presenter is fine.
    DrawSurface bare(text);
    bare.box(0, 0, 1, 1, kRed);
    bare.endFrame();
    EXPECT_EQ(bare.pixel(0, 0), kRed);
}

}  // namespace

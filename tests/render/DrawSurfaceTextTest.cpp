// Text on the drawing surface: truncated positions, the back-colour box,
// fonts and metrics passed through to the text renderer.
#include <cmath>
#include <limits>

#include "DrawSurfaceTest.h"

namespace {

constexpr int64_t kWhite = 0xffffff, kRed = 0xff;

class SurfaceTextTest : public DrawSurfaceFixture {};

TEST_F(SurfaceTextTest, PositionIsTruncatedTowardZero) {
    surface.setMode(Transparent);
    surface.drawText(639.75, 10.5, "A", kWhite);
    surface.drawText(-0.5, -0.99, "B", kWhite);
    surface.drawText(-1.5, 2.999, "C", kWhite);
    surface.drawText(std::nan(""), 1e300, "D", kWhite);
    surface.drawText(-std::numeric_limits<double>::infinity(), -1e19, "E", kWhite);
    ASSERT_EQ(text.drawn.size(), 5u);
    EXPECT_EQ(text.drawn[0].x, 639);
    EXPECT_EQ(text.drawn[0].y, 10);
    EXPECT_EQ(text.drawn[1].x, 0);
    EXPECT_EQ(text.drawn[1].y, 0);
    EXPECT_EQ(text.drawn[2].x, -1);
    EXPECT_EQ(text.drawn[2].y, 2);
    EXPECT_EQ(text.drawn[3].x, 0);  // NaN
    EXPECT_GT(text.drawn[3].y, int64_t(1) << 62);
    EXPECT_LT(text.drawn[4].x, -(int64_t(1) << 62));
    EXPECT_EQ(text.drawn[0].text, "A");
    EXPECT_EQ(text.drawn[0].colour, kWhite);
    EXPECT_EQ(text.drawn[0].font, defaultFont);
    EXPECT_TRUE(changed(0).empty());  // Transparent: no box
}

TEST_F(SurfaceTextTest, DefaultModeDrawsTheLineBoxInTheBackColour) {
    clear(kWhite);
    // Default font 12: 6 px per character, 15 px high.
    surface.drawText(10.25, 20.75, "abc", kRed);
    EXPECT_EQ(changed(kWhite), rectangle(10, 20, 27, 34));
    EXPECT_EQ(surface.pixel(10, 20), 0);  // black
    // The five-argument form uses its back colour for that call only.
    clear(kWhite);
    surface.drawText(100, 100, "ab", kRed, rgb(0, 0, 200));
    EXPECT_EQ(withColour(rgb(0, 0, 200)), rectangle(100, 100, 111, 114));
    surface.drawText(200, 100, "ab", kRed);
    EXPECT_EQ(withColour(0), rectangle(200, 100, 211, 114));
    // Outlined and AlphaBlend have no Transparent flag either: the box is
    // filled, opaquely.
    for (int64_t mode : {Outlined, AlphaBlend}) {
        clear(kWhite);
        surface.setMode(DrawMode(mode));
        surface.drawText(0, 0, "a", kRed, rgb(5, 6, 7));
        EXPECT_EQ(withColour(rgb(5, 6, 7)), rectangle(0, 0, 5, 14));
    }
    ASSERT_EQ(text.drawn.size(), 5u);
    EXPECT_EQ(text.drawn[0].x, 10);
    EXPECT_EQ(text.drawn[0].y, 20);
}

TEST_F(SurfaceTextTest, BoxSizeRoundsTheMeasuredSizeHalfToEven) {
    const FontHandle tiny = surface.loadFont("Any", 5, 0);  // 2.5 px per character, 6.25 high
    surface.setFont(tiny);
    clear(kWhite);
    surface.drawText(0, 0, "a", kRed);  // 2.5 -> 2
    EXPECT_EQ(changed(kWhite), rectangle(0, 0, 1, 5));
    clear(kWhite);
    surface.drawText(0, 0, "abc", kRed);  // 7.5 -> 8
    EXPECT_EQ(changed(kWhite), rectangle(0, 0, 7, 5));
    clear(kWhite);
    surface.drawText(1275.9, 765, "abcdef", kRed);  // clipped at the corner
    EXPECT_EQ(changed(kWhite), rectangle(1275, 765, 1279, 767));
    clear(kWhite);
    surface.drawText(-1e300, 1e300, "abcdef", kRed);
    surface.drawText(std::numeric_limits<double>::max(), 5, "abcdef", kRed);
    EXPECT_TRUE(changed(kWhite).empty());
}

TEST_F(SurfaceTextTest, GlyphsAreDrawnOverTheFinishedPixels) {
    text.paintBoxes = true;
    surface.box(0, 0, kW, kH, rgb(0, 0, 80));  // a background box
    surface.setMode(Transparent);
    surface.drawText(50, 60, "hi", kWhite);
    const Canvas& c = surface.canvas();
    EXPECT_EQ(c.pixels[60 * kW + 50], 0xffffffffu);
    EXPECT_EQ(c.pixels[60 * kW + 62], 0xff000050u);
    EXPECT_EQ(c.pixels[0], 0xff000050u);
    EXPECT_EQ(c.pixels[kW * kH - 1], 0xff000050u);
}

TEST_F(SurfaceTextTest, TextAmongRowsOfOneColourKeepsEveryPixelRight) {
    // Text makes real only the rows its glyphs can reach; the picture must
    // come out the same as on a canvas whose rows were all real from the
    // start.
    text.paintBoxes = true;
    FixedText otherText;
    otherText.paintBoxes = true;
    DrawSurface ref(otherText);
    for (DrawSurface* s : {&surface, &ref}) {
        s->box(0, 0, kW, kH, rgb(0, 0, 80));
        if (s == &ref) s->canvas();  // every row real pixels
        s->setMode(Transparent);
        s->drawText(20, 20, "SCORE", kWhite);
        s->drawText(600, 740, "10", rgb(255, 255, 0));
        s->drawText(-3, -10, "x", kRed);  // partly above the canvas
        s->setMode(AlphaBlend);
        s->circle(640, 384, 800, rgba(255, 255, 255, 100));
        s->setMode(Default);
        s->circle(100, 700, 60, rgb(0, 200, 0));
    }
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) ASSERT_EQ(surface.pixel(x, y), ref.pixel(x, y)) << x << "," << y;
    const Canvas& a = surface.canvas();
    const Canvas& b = ref.canvas();
    for (int i = 0; i < kW * kH; ++i) ASSERT_EQ(a.pixels[i], b.pixels[i]) << i;
    // The glyph boxes survived: white blended over by the flash.
    EXPECT_EQ(surface.pixel(20, 20), rgb(255, 255, 255));
    EXPECT_NE(surface.pixel(19, 20), surface.pixel(20, 20));
}

TEST_F(SurfaceTextTest, FontsAndMetricsPassThroughTheCurrentFont) {
    const FontHandle big = surface.loadFont(".AppleSystemUIFont", 104, FontBold);
    const FontHandle small = surface.loadFont(".AppleSystemUIFont", 16, 0);
    ASSERT_EQ(text.fonts.size(), 2u);
    EXPECT_EQ(text.fonts[0].family, ".AppleSystemUIFont");
    EXPECT_EQ(text.fonts[0].size, 104);
    EXPECT_EQ(text.fonts[0].style, FontBold);
    EXPECT_DOUBLE_EQ(surface.textWidth("SCORE"), 30.0);
    EXPECT_DOUBLE_EQ(surface.textHeight("SCORE"), 15.0);
    surface.setFont(big);
    EXPECT_EQ(surface.font(), big);
    EXPECT_DOUBLE_EQ(surface.textWidth("SCORE"), 260.0);
    EXPECT_DOUBLE_EQ(surface.textHeight("SCORE"), 130.0);
    surface.setFont(small);
    EXPECT_DOUBLE_EQ(surface.textWidth("SCORE"), 40.0);
    surface.setMode(Transparent);
    surface.drawText(1, 2, "x", kWhite);
    EXPECT_EQ(text.drawn.back().font, small);
    // A new pass starts with the default font, Default mode and black back.
    surface.beginFrame();
    EXPECT_EQ(surface.font(), defaultFont);
    EXPECT_EQ(surface.mode(), Default);
    clear(kWhite);
    surface.drawText(0, 0, "x", kWhite);
    EXPECT_EQ(surface.pixel(0, 0), 0);
    EXPECT_EQ(text.drawn.back().font, defaultFont);
}

}  // namespace

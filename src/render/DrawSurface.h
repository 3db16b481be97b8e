#pragma once
// The drawing surface: one 1280 x 768 canvas, one drawing pass per frame,
// five primitives (box, circle, line, point, text), text measurement, three
// fonts and four drawing modes. Shapes are rasterized here, exactly and with
// clipping; glyphs come from the TextRenderer.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "battle/Field.h"
#include "core/Colour.h"
#include "core/TextRenderer.h"
#include "render/RasterBlend.h"

// The drawing modes are bits that combine: Outlined | AlphaBlend blends
// the outline only.
enum DrawMode : int64_t {
    Default = 0,      // filled shapes; text on a box of the back colour
    Transparent = 1,  // as Default, text without its box
    Outlined = 4,     // box and circle draw only their 1-pixel outline
    AlphaBlend = 16,  // filled, every pixel blended by the colour's alpha
};
constexpr DrawMode operator|(DrawMode a, DrawMode b) { return DrawMode(int64_t(a) | int64_t(b)); }

class DrawSurface {
public:
    // The canvas is the playfield.
    static constexpr int kWidth = int(field::kWidth);
    static constexpr int kHeight = int(field::kHeight);

    explicit DrawSurface(TextRenderer& text, FramePresenter* presenter = nullptr);

    void beginFrame();
    void endFrame();

    void box(int64_t x, int64_t y, int64_t w, int64_t h, Colour colour);
    void circle(int64_t x, int64_t y, int64_t r, Colour colour);
    void line(int64_t x1, int64_t y1, int64_t x2, int64_t y2, Colour colour);
    void plot(int64_t x, int64_t y, Colour colour);
    void drawText(double x, double y, const std::string& text, Colour colour);
    void drawText(double x, double y, const std::string& text, Colour colour, Colour back);
    double textWidth(const std::string& text);
    double textHeight(const std::string& text);
    void setFont(FontHandle font);
    void setMode(DrawMode mode);
    FontHandle loadFont(const std::string& family, int64_t pointSize, int64_t style);

    DrawMode mode() const { return mode_; }
    FontHandle font() const { return font_; }
    bool inFrame() const { return inFrame_; }

    // The pixel at (x, y) in the game's packing r | g << 8 | b << 16.
    Colour pixel(int x, int y) const;
    // The complete pixels: rows still held as one pending colour are written
    // out first. Later drawing may hold rows back again, so read the pixels
    // through a fresh call (or pixel()) after drawing, not through a pointer
    // kept from before.
    const Canvas& canvas() const { flushRows(); return canvas_; }
    Canvas& canvas() { flushRows(); return canvas_; }

private:
    // Rows of one colour (a full-width span, the background box) are kept as
    // that colour and written out only when something else touches the row
    // or the canvas is handed out: a full-canvas fill followed by a
    // full-canvas blend then costs one pass over the memory instead of three.
    void flushRows() const;
    void flushRow(int y) const;
    void flushRowRange(int y0, int y1) const;
    void fillSpan(int y, int x0, int x1, uint32_t px);
    void blendSpan(int y, int x0, int x1);
    void paintSpan(int y, __int128 x0, __int128 x1);
    void paintPixel(int x, int y);
    bool setPen(Colour colour);

    TextRenderer& text_;
    FramePresenter* presenter_;
    std::vector<uint32_t> buffer_;
    Canvas canvas_;
    DrawMode mode_ = Default;
    FontHandle font_ = defaultFont;
    Colour backColour_ = 0;
    bool inFrame_ = false;

    mutable std::array<uint32_t, kHeight> rowColour_{};
    mutable std::array<uint8_t, kHeight> rowPending_{};
    mutable int pendingRows_ = 0;
    // The pen of the primitive being drawn: opaque pixel or blend.
    bool penBlend_ = false;
    uint32_t penPixel_ = 0xff000000u;
    raster::Blend pen_;
    std::vector<int64_t> halfWidths_;
};

#pragma once
// The text side of the drawing surface: the surface rasterizes boxes,
// circles, lines and points itself, while glyphs and text metrics come from
// the platform through this interface (Qt in the game, fixed metrics in
// tests).
#include <cstdint>
#include <string>

#include "core/Colour.h"

using FontHandle = int64_t;

// The font that text drawn without any font attribute gets: a plain
// sans-serif face at 12 px.
inline constexpr FontHandle defaultFont = -1;
// Style flag of loadFont.
inline constexpr int64_t FontBold = 1;

// The pixels of the canvas: 32-bit 0xffRRGGBB words (Qt's RGB32 layout),
// row after row, `stride` words apart.
struct Canvas {
    uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;
};

class TextRenderer {
public:
    virtual ~TextRenderer() = default;
    // Never fails: a family that cannot be found falls back to the system
    // font of that size.
    virtual FontHandle loadFont(const std::string& family, int64_t pointSize, int64_t style) = 0;
    // Advance width and line-box height of one line of text, not rounded.
    virtual double textWidth(FontHandle font, const std::string& text) = 0;
    virtual double textHeight(FontHandle font, const std::string& text) = 0;
    // Anti-aliased glyphs in `colour` (r | g << 8 | b << 16) with the top-left
    // corner of the line box on pixel (x, y); clipped to the canvas.
    virtual void drawGlyphs(Canvas& canvas, FontHandle font, int64_t x, int64_t y,
                            const std::string& text, Colour colour) = 0;
};

// Shows the canvas's new pixels in the window at the end of a frame.
class FramePresenter {
public:
    virtual ~FramePresenter() = default;
    virtual void present(const Canvas& canvas) = 0;
};

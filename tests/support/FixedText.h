#pragma once
// A text renderer with fixed metrics for tests: every character is
// 0.5 x the font's size wide (a UTF-8 sequence counts once) and the line box
// is 1.25 x the size high. Drawn text is logged, and its box is filled with
// the text colour so pixel probes can find it.
#include <string>
#include <vector>

#include "core/TextRenderer.h"

struct TextCall {
    FontHandle font;
    int64_t x, y;
    std::string text;
    int64_t colour;
};

class FixedText final : public TextRenderer {
public:
    FontHandle loadFont(const std::string& family, int64_t pointSize, int64_t style) override;
    double textWidth(FontHandle font, const std::string& text) override;
    double textHeight(FontHandle font, const std::string& text) override;
    void drawGlyphs(Canvas& canvas, FontHandle font, int64_t x, int64_t y, const std::string& text,
                    Colour colour) override;

    double sizeOf(FontHandle font) const;
    bool paintBoxes = false;  // fill each drawn text's box with its colour
    std::vector<TextCall> drawn;
    struct Loaded { std::string family; int64_t size; int64_t style; };
    std::vector<Loaded> fonts;
};

#pragma once
// Glyphs and text metrics through Qt: anti-aliased text rendered by
// QPainter and measured with QFontMetricsF. Each text is rendered once into
// a coverage mask, which is then blended in its colour wherever it is
// drawn: the game draws the same few texts every frame (the title's 104 px
// letters cost far more to rasterize than to blend). Needs a
// QGuiApplication (or QApplication) alive.
#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/TextRenderer.h"

class QtTextRenderer final : public TextRenderer {
public:
    QtTextRenderer();

    FontHandle loadFont(const std::string& family, int64_t pointSize, int64_t style) override;
    double textWidth(FontHandle font, const std::string& text) override;
    double textHeight(FontHandle font, const std::string& text) override;
    void drawGlyphs(Canvas& canvas, FontHandle font, int64_t x, int64_t y, const std::string& text,
                    Colour colour) override;

    const QFont& qfont(FontHandle font) const;

private:
    struct Face {
        QFont font;
        QFontMetricsF metrics;
    };
    // A text's coverage, 0..255 per pixel; (left, top) is the mask's
    // corner relative to the top-left corner of the text's line box.
    struct Mask {
        QImage coverage;  // Format_Alpha8
        int left = 0;
        int top = 0;
    };
    const Face& face(FontHandle font) const;
    const Mask& mask(FontHandle font, const std::string& text);

    Face default_;
    std::vector<Face> faces_;
    std::map<std::pair<FontHandle, std::string>, Mask> masks_;
};

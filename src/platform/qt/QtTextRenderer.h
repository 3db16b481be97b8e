#pragma once
// Glyphs and text metrics through Qt: anti-aliased QPainter text drawn
// straight into the game's canvas, measured with QFontMetricsF. Needs a
// QGuiApplication (or QApplication) alive.
#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <memory>
#include <vector>

#include "render/TextRenderer.h"

class QtTextRenderer final : public TextRenderer {
public:
    QtTextRenderer();

    FontHandle loadFont(const std::string& family, int64_t pointSize, int64_t style) override;
    double textWidth(FontHandle font, const std::string& text) override;
    double textHeight(FontHandle font, const std::string& text) override;
    void drawGlyphs(Canvas& canvas, FontHandle font, int64_t x, int64_t y, const std::string& text,
                    int64_t colour) override;

    const QFont& qfont(FontHandle font) const;

private:
    struct Face {
        QFont font;
        QFontMetricsF metrics;
    };
    const Face& face(FontHandle font) const;

    Face default_;
    std::vector<Face> faces_;
    // A QImage over the canvas buffer, rebuilt only when the buffer changes.
    QImage target_;
    uint32_t* targetPixels_ = nullptr;
};

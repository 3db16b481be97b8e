#include "platform/qt/QtTextRenderer.h"

#include <QFontDatabase>
#include <QPainter>
#include <QString>
#include <algorithm>
#include <cmath>

namespace {
// The macOS name of the system's user-interface typeface; here the general
// system font stands in for it.
constexpr const char* kSystemUiFamily = ".AppleSystemUIFont";

QFont systemFont(int pixelSize, bool bold) {
    QFont f = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    f.setPixelSize(std::max(1, pixelSize));
    f.setBold(bold);
    return f;
}
}  // namespace

QtTextRenderer::QtTextRenderer() : default_{systemFont(12, false), QFontMetricsF(systemFont(12, false))} {}

FontHandle QtTextRenderer::loadFont(const std::string& family, int64_t pointSize, int64_t style) {
    const int size = static_cast<int>(std::clamp<int64_t>(pointSize, 1, 4096));
    const bool bold = (style & FontBold) != 0;
    QFont font = systemFont(size, bold);
    const QString name = QString::fromStdString(family);
    // One point of the game's fonts is one canvas pixel. A family that is not
    // installed falls back to the system font of the same size.
    if (family != kSystemUiFamily && QFontDatabase::families().contains(name, Qt::CaseInsensitive)) {
        font.setFamily(name);
    }
    faces_.push_back(Face{font, QFontMetricsF(font)});
    return static_cast<FontHandle>(faces_.size());
}

const QtTextRenderer::Face& QtTextRenderer::face(FontHandle font) const {
    if (font >= 1 && static_cast<size_t>(font) <= faces_.size()) return faces_[static_cast<size_t>(font - 1)];
    return default_;
}

const QFont& QtTextRenderer::qfont(FontHandle font) const { return face(font).font; }

double QtTextRenderer::textWidth(FontHandle font, const std::string& text) {
    return face(font).metrics.horizontalAdvance(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

double QtTextRenderer::textHeight(FontHandle font, const std::string&) { return face(font).metrics.height(); }

const QtTextRenderer::Mask& QtTextRenderer::mask(FontHandle font, const std::string& text) {
    auto key = std::make_pair(font, text);
    auto it = masks_.find(key);
    if (it != masks_.end()) return it->second;
    // The texts of a game are few (labels, prompts, the HUD with its score);
    // should some caller draw endless new ones, start the cache afresh.
    if (masks_.size() >= 512) masks_.clear();

    const Face& f = face(font);
    const QString s = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    // Glyphs may reach outside the advance box (italics, accents): leave a
    // margin around the bounding rectangle that Qt reports.
    const QRectF bounds = f.metrics.boundingRect(s);
    const int margin = 2 + f.font.pixelSize() / 8;
    const int left = static_cast<int>(std::floor(bounds.left())) - margin;
    const int top = static_cast<int>(std::floor(f.metrics.ascent() + bounds.top())) - margin;
    const int width = std::max(1, static_cast<int>(std::ceil(bounds.right())) + margin - left);
    const int height = std::max(1, static_cast<int>(std::ceil(f.metrics.ascent() + bounds.bottom())) + margin - top);

    Mask m;
    m.left = left;
    m.top = top;
    m.coverage = QImage(width, height, QImage::Format_Alpha8);
    m.coverage.fill(0);
    QPainter painter(&m.coverage);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setFont(f.font);
    painter.setPen(QColor(255, 255, 255, 255));
    // The game places the top-left corner of the line box; Qt places the
    // baseline, which lies one ascent lower.
    painter.drawText(QPointF(-left, f.metrics.ascent() - top), s);
    painter.end();
    return masks_.emplace(std::move(key), std::move(m)).first->second;
}

void QtTextRenderer::drawGlyphs(Canvas& canvas, FontHandle font, int64_t x, int64_t y, const std::string& text,
                                Colour colour) {
    if (!canvas.pixels || canvas.width <= 0 || canvas.height <= 0 || text.empty()) return;
    // Far outside the canvas nothing can show; this also keeps the sums
    // below far from overflowing.
    constexpr int64_t kFar = 1 << 20;
    if (x < -kFar || x > kFar || y < -kFar || y > kFar) return;
    const Mask& m = mask(font, text);
    const int64_t x0 = x + m.left, y0 = y + m.top;
    const int64_t colStart = std::max<int64_t>(0, -x0);
    const int64_t colEnd = std::min<int64_t>(m.coverage.width(), canvas.width - x0);
    const int64_t rowStart = std::max<int64_t>(0, -y0);
    const int64_t rowEnd = std::min<int64_t>(m.coverage.height(), canvas.height - y0);
    if (colStart >= colEnd || rowStart >= rowEnd) return;

    const uint32_t r = uint32_t(colour & 0xff), g = uint32_t((colour >> 8) & 0xff), b = uint32_t((colour >> 16) & 0xff);
    for (int64_t row = rowStart; row < rowEnd; ++row) {
        const uchar* cov = m.coverage.constScanLine(static_cast<int>(row));
        uint32_t* dst = canvas.pixels + (y0 + row) * canvas.stride + x0;
        for (int64_t col = colStart; col < colEnd; ++col) {
            const uint32_t a = cov[col];
            if (a == 0) continue;
            const uint32_t d = dst[col];
            const uint32_t na = 255 - a;
            const uint32_t dr = (d >> 16) & 0xff, dg = (d >> 8) & 0xff, db = d & 0xff;
            dst[col] = 0xff000000u | (((r * a + dr * na) / 255) << 16) | (((g * a + dg * na) / 255) << 8) |
                       ((b * a + db * na) / 255);
        }
    }
}

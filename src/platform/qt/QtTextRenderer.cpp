#include "platform/qt/QtTextRenderer.h"

#include <QFontDatabase>
#include <QPainter>
#include <QString>
#include <algorithm>

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

void QtTextRenderer::drawGlyphs(Canvas& canvas, FontHandle font, int64_t x, int64_t y, const std::string& text,
                                int64_t colour) {
    if (!canvas.pixels || canvas.width <= 0 || canvas.height <= 0 || text.empty()) return;
    // Far outside the canvas nothing can show; this also keeps the values
    // within what QPainter's coordinates hold.
    constexpr int64_t kFar = 1 << 20;
    if (x < -kFar || x > kFar || y < -kFar || y > kFar) return;
    if (targetPixels_ != canvas.pixels || target_.width() != canvas.width || target_.height() != canvas.height) {
        target_ = QImage(reinterpret_cast<uchar*>(canvas.pixels), canvas.width, canvas.height,
                         static_cast<qsizetype>(canvas.stride) * 4, QImage::Format_RGB32);
        targetPixels_ = canvas.pixels;
    }
    const Face& f = face(font);
    QPainter painter(&target_);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setFont(f.font);
    painter.setPen(QColor(int(colour & 0xff), int((colour >> 8) & 0xff), int((colour >> 16) & 0xff)));
    // The game places the top-left corner of the line box; Qt places the
    // baseline, which lies one ascent lower.
    painter.drawText(QPointF(double(x), double(y) + f.metrics.ascent()),
                     QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

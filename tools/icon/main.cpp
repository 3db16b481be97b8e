// Draws the ZARVEX application icon: a night sky over a small skyline, an
// enemy trail falling towards it and the orange burst of an interceptor,
// written as PNG files of several sizes, each drawn at its size.
//   zarvex_icon <out-folder> <size>...
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cstdio>

namespace {
// The rounded square of deep night sky every size is drawn on; what follows
// is clipped to it.
void paintSky(QPainter& p, const QRectF& square, double radius) {
    QPainterPath frame;
    frame.addRoundedRect(square, radius, radius);
    QLinearGradient sky(0, square.top(), 0, square.bottom());
    sky.setColorAt(0, QColor(12, 6, 34));
    sky.setColorAt(1, QColor(70, 10, 28));
    p.fillPath(frame, sky);
    p.setClipPath(frame);
}

// The small sizes of a panel or a menu (16 to 24 pixels) cannot show five
// domed towers and thin trails: they get three plain towers, a thicker trail
// and a larger burst, so that each part still covers whole pixels.
QImage drawSmallIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 256.0, size / 256.0);

    paintSky(p, QRectF(0, 0, 256, 256), 40);

    p.fillRect(QRectF(0, 208, 256, 48), QColor(58, 0, 0));
    const QColor city(90, 170, 200);
    const struct { double x, w, h; } towers[] = {{22, 50, 64}, {100, 50, 104}, {182, 50, 48}};
    for (const auto& t : towers) p.fillRect(QRectF(t.x, 208 - t.h, t.w, t.h), city);

    p.setPen(QPen(QColor(230, 40, 40), 22, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(10, 10), QPointF(120, 84));

    QRadialGradient burst(QPointF(150, 92), 78);
    burst.setColorAt(0.0, QColor(255, 250, 200));
    burst.setColorAt(0.5, QColor(255, 190, 40));
    burst.setColorAt(0.85, QColor(255, 110, 0, 220));
    burst.setColorAt(1.0, QColor(255, 80, 0, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(burst);
    p.drawEllipse(QPointF(150, 92), 78, 78);
    p.end();
    return image;
}

QImage drawIcon(int size) {
    if (size <= 24) return drawSmallIcon(size);
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 256.0, size / 256.0);

    paintSky(p, QRectF(8, 8, 240, 240), 44);

    // Ground and a skyline of domed towers, as in the game.
    p.fillRect(QRectF(8, 206, 240, 42), QColor(58, 0, 0));
    const QColor city(90, 170, 200);
    const struct { double x, w, h; } towers[] = {{46, 26, 58}, {84, 22, 86}, {118, 28, 70}, {158, 22, 96}, {192, 24, 54}};
    for (const auto& t : towers) {
        p.fillRect(QRectF(t.x, 206 - t.h, t.w, t.h), city);
        p.setBrush(city);
        p.setPen(Qt::NoPen);
        p.drawEllipse(QPointF(t.x + t.w / 2, 206 - t.h), t.w / 2 + 1, t.w / 2 + 1);
        p.fillRect(QRectF(t.x + t.w / 2 - 2, 206 - t.h - 22, 4, 22), city);
    }

    // An enemy trail from the top left, stopped by the burst.
    p.setPen(QPen(QColor(230, 40, 40), 7, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(30, 18), QPointF(150, 96));

    // The interceptor's burst: a hot centre fading out.
    QRadialGradient burst(QPointF(156, 100), 62);
    burst.setColorAt(0.0, QColor(255, 250, 200));
    burst.setColorAt(0.35, QColor(255, 190, 40));
    burst.setColorAt(0.75, QColor(255, 110, 0, 200));
    burst.setColorAt(1.0, QColor(255, 80, 0, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(burst);
    p.drawEllipse(QPointF(156, 100), 62, 62);

    // The interceptor's white trail from the city below.
    p.setPen(QPen(QColor(255, 255, 255), 5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(169, 150), QPointF(160, 112));
    p.end();
    return image;
}
}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: zarvex_icon <out-folder> <size>...\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    for (int i = 2; i < argc; ++i) {
        const int size = QString::fromLocal8Bit(argv[i]).toInt();
        if (size < 16 || size > 1024) return 2;
        const QString dir = out + QStringLiteral("/%1x%1/apps").arg(size);
        QDir().mkpath(dir);
        if (!drawIcon(size).save(dir + QStringLiteral("/org.zarvex.Zarvex.png"))) return 1;
    }
    return 0;
}

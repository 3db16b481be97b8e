#include "platform/qt/CanvasShowSoftware.h"

#include <QBackingStore>
#include <QPaintEngine>
#include <QPaintEvent>
#include <QPainter>
#include <QWindow>
#include <algorithm>
#include <chrono>
#include <vector>

namespace {

double msSince(std::chrono::steady_clock::time_point t) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t).count();
}

QRectF logicalOf(const CanvasFit& f, qreal dpr) { return {f.x / dpr, f.y / dpr, f.width / dpr, f.height / dpr}; }

// A rectangle of the widget (logical pixels) in the scaled canvas's own
// device pixels, grown to whole ones.
QRect deviceRect(const QRect& r, const CanvasFit& f, qreal dpr) {
    return QRectF(r.x() * dpr - f.x, r.y() * dpr - f.y, r.width() * dpr, r.height() * dpr).toAlignedRect();
}

double devicePixels(const QRegion& region, qreal dpr) {
    double n = 0;
    for (const QRect& r : region) n += double(r.width()) * double(r.height());
    return n * dpr * dpr;
}

// Below about a megabyte of picture, Qt's backing store costs as little as
// the bands and keeps the code simple; above it the bands pay.
constexpr double kBandedPixels = 256 * 1024;

}  // namespace

CanvasShowSoftware::CanvasShowSoftware(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
}

void CanvasShowSoftware::show(const Canvas* canvas) {
    canvas_ = canvas;
    if (!isVisible()) return;
    const auto start = std::chrono::steady_clock::now();
    scaleMs_ = 0;
    // Only the canvas changes from frame to frame, and the overlay.
    const CanvasFit f = showFitOf(this);
    QRegion region = canvas ? changes(*canvas, f) : QRegion(logicalOf(f, devicePixelRatioF()).toAlignedRect());
    QRegion overlay;
    if (!overlay_.isEmpty()) overlay += overlayRect(this, f, overlay_);
    if (!overlayShown_.isNull()) overlay += overlayShown_;
    // A large change goes straight to the X server, band by band; the
    // overlay, drawn over the canvas, is painted by Qt after it.
    const QRegion bulk = region.subtracted(overlay);
    if (canvas && canvas->pixels && devicePixels(bulk, devicePixelRatioF()) >= kBandedPixels) {
        if (X11Bands* x11 = bands()) {
            const QRegion left = sendBands(*x11, *canvas, f, bulk);
            stale_ += bulk.subtracted(left);
            region = left;
        }
    }
    region += overlay;
    if (!region.isEmpty()) repaint(region);
    cost_ = {scaleMs_, msSince(start) - scaleMs_};
}

QWidget* CanvasShowSoftware::nativeHost() {
    // The widget with a window of the window system's own: the top-level
    // one, unless this widget has one itself.
    return internalWinId() ? this : nativeParentWidget();
}

X11Bands* CanvasShowSoftware::bands() {
    QWidget* host = nativeHost();
    QWindow* native = host ? host->windowHandle() : nullptr;
    if (!native) return nullptr;
    if (bands_ && bands_->drawsInto(native)) return bands_.get();
    const uintptr_t id = uintptr_t(native->winId());
    if (bandsTriedFor_ == id) return nullptr;  // it did not work there
    bandsTriedFor_ = id;
    bands_ = X11Bands::open(native);
    if (bands_) native->installEventFilter(this);
    return bands_.get();
}

QRegion CanvasShowSoftware::sendBands(X11Bands& x11, const Canvas& c, const CanvasFit& f, const QRegion& region) {
    const qreal dpr = devicePixelRatioF();
    const QPointF at = mapTo(nativeHost(), QPointF(0, 0)) * dpr;
    const int ox = int(std::lround(at.x())) + int(f.x), oy = int(std::lround(at.y())) + int(f.y);
    const int w = int(f.width), h = int(f.height);
    QRegion left;
    double sent = 0;
    for (const QRect& r : region) {
        const QRect d = deviceRect(r, f, dpr).intersected(QRect(0, 0, w, h));
        if (d.isEmpty()) continue;
        const int rows = x11.rowsPerBand(d.width());
        for (int y = d.top(); y <= d.bottom(); y += rows) {
            const int n = std::min(rows, d.bottom() + 1 - y);
            uint32_t* band = x11.nextBuffer(d.width(), n);
            if (!band) {
                left += r;
                break;
            }
            const auto scaling = std::chrono::steady_clock::now();
            scaler_.scaleBand(c.pixels, c.width, c.height, c.stride, w, h, {d.left(), y, d.right() + 1, y + n}, band);
            sent += msSince(scaling);
            x11.put(QRect(ox + d.left(), oy + y, d.width(), n));
        }
    }
    x11.finish();
    scaleMs_ += sent;
    return left;
}

bool CanvasShowSoftware::eventFilter(QObject* watched, QEvent* e) {
    // The window system shows the backing store again: bring the parts we
    // sent past it up to date first (Qt paints what is marked before it
    // shows an exposed window).
    if (e->type() == QEvent::Expose && !stale_.isEmpty()) {
        update(stale_);
        stale_ = QRegion();
    }
    return QWidget::eventFilter(watched, e);
}

QRegion CanvasShowSoftware::changes(const Canvas& c, const CanvasFit& f) {
    const qreal dpr = devicePixelRatioF();
    const QSize area = this->size() * dpr;
    if (!c.pixels) return {};
    if (area != lastArea_) {
        // A new size of the window: everything is new.
        changes_.forget();
        lastArea_ = area;
    }
    // Runs of changed tiles in each row of them, so that a few missiles far
    // apart do not send the sky between them.
    QRegion region;
    for (const CanvasChanges::Rect& r : changes_.update(c.pixels, c.width, c.height, c.stride)) {
        const CanvasScaler::Part out =
            scaler_.reach(c.width, c.height, int(f.width), int(f.height), {r.x0, r.y0, r.x1, r.y1});
        // In logical pixels, grown to whole ones.
        const QRectF shown((f.x + out.x0) / dpr, (f.y + out.y0) / dpr, (out.x1 - out.x0) / dpr,
                           (out.y1 - out.y0) / dpr);
        region += shown.toAlignedRect();
    }
    return region;
}

void CanvasShowSoftware::setOverlay(const QString& text) {
    if (text == overlay_) return;
    overlay_ = text;
}

void CanvasShowSoftware::paintEvent(QPaintEvent* e) {
    QPainter p(this);
    const CanvasFit f = showFitOf(this);
    const QRectF t = logicalOf(f, devicePixelRatioF());
    // The bars, only where the window asks for more than the canvas (a
    // resize, an expose, the overlay leaving a bar).
    const QRegion bars = e->region().subtracted(QRegion(t.toAlignedRect()));
    if (!bars.isEmpty()) {
        const QRectF all = rect();
        p.fillRect(QRectF(all.left(), all.top(), all.width(), t.top() - all.top()), Qt::black);
        p.fillRect(QRectF(all.left(), t.bottom(), all.width(), all.bottom() + 1 - t.bottom()), Qt::black);
        p.fillRect(QRectF(all.left(), t.top(), t.left() - all.left(), t.height()), Qt::black);
        p.fillRect(QRectF(t.right(), t.top(), all.right() + 1 - t.right(), t.height()), Qt::black);
    }
    paintCanvas(p, f, e->region());
    // Painted into the window's backing store (not a grab): up to date there.
    QBackingStore* store = backingStore();
    if (store && p.paintEngine() && p.paintEngine()->paintDevice() == store->paintDevice()) stale_ -= e->region();
    overlayShown_ = QRect();
    if (!overlay_.isEmpty()) {
        overlayShown_ = overlayRect(this, f, overlay_);
        paintOverlay(p, overlayShown_, overlay_, !overlayShown_.intersects(t.toAlignedRect()));
    }
}

void CanvasShowSoftware::paintCanvas(QPainter& p, const CanvasFit& f, const QRegion& region) {
    const qreal dpr = devicePixelRatioF();
    const Canvas* c = canvas_;
    if (!c || !c->pixels) {
        p.fillRect(logicalOf(f, dpr), Qt::black);
        return;
    }
    const auto start = std::chrono::steady_clock::now();
    const int w = int(f.width), h = int(f.height);
    // The parts asked for, in the canvas's own device pixels.
    std::vector<CanvasScaler::Part> parts;
    for (const QRect& r : region) {
        const QRect d = deviceRect(r, f, dpr).intersected(QRect(0, 0, w, h));
        if (!d.isEmpty()) parts.push_back({d.left(), d.top(), d.right() + 1, d.bottom() + 1});
    }
    // The window's backing store is where the picture ends up: scale into
    // it directly when it is a plain 32-bit image and the widget sits in
    // it unrotated (the usual case), saving a full-size copy per frame.
    QPaintDevice* device = p.paintEngine() ? p.paintEngine()->paintDevice() : nullptr;
    if (device && device->devType() == QInternal::Image) {
        auto* image = static_cast<QImage*>(device);
        const QTransform m = p.deviceTransform();
        const QImage::Format fmt = image->format();
        const bool plain = fmt == QImage::Format_RGB32 || fmt == QImage::Format_ARGB32_Premultiplied ||
                           fmt == QImage::Format_ARGB32;
        if (plain && m.type() <= QTransform::TxScale && image->devicePixelRatio() == dpr) {
            // The widget's origin in the image's pixels.
            const QPointF origin = m.map(QPointF(0, 0));
            const QRect into(int(std::lround(origin.x())) + int(f.x), int(std::lround(origin.y())) + int(f.y), w, h);
            if (image->rect().contains(into)) {
                const int stride = int(image->bytesPerLine() / 4);
                auto* dst = reinterpret_cast<uint32_t*>(image->bits()) + ptrdiff_t(into.y()) * stride + into.x();
                for (const auto& part : parts)
                    scaler_.scalePart(c->pixels, c->width, c->height, c->stride, dst, w, h, stride, part);
                scaleMs_ = msSince(start);
                return;
            }
        }
    }
    if (scaled_.size() != QSize(w, h)) scaled_ = QImage(w, h, QImage::Format_RGB32);
    for (const auto& part : parts)
        scaler_.scalePart(c->pixels, c->width, c->height, c->stride, reinterpret_cast<uint32_t*>(scaled_.bits()), w,
                          h, int(scaled_.bytesPerLine() / 4), part);
    scaled_.setDevicePixelRatio(dpr);
    p.drawImage(QPointF(f.x / dpr, f.y / dpr), scaled_);
    scaleMs_ = msSince(start);
}

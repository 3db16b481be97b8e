#pragma once
// The canvas shown by the CPU: scaled by CanvasScaler straight into the
// window's backing store (no picture in between), the bars painted only
// when the window asks for them (resized, exposed), and of the canvas only
// the bands that changed since the last picture scaled and handed to the
// window system. A battle changes a small part of the sky a frame, so most
// frames cost a fraction of a whole picture.
#include <QImage>
#include <QWidget>
#include <memory>

#include "platform/CanvasChanges.h"
#include "platform/qt/CanvasScaler.h"
#include "platform/qt/CanvasShow.h"
#include "platform/qt/X11Bands.h"

class CanvasShowSoftware final : public QWidget, public CanvasShow {
public:
    explicit CanvasShowSoftware(QWidget* parent);

    QWidget* widget() override { return this; }
    void show(const Canvas* canvas) override;
    void setOverlay(const QString& text) override;
    Cost lastCost() const override { return cost_; }
    bool usesOpenGL() const override { return false; }

protected:
    void paintEvent(QPaintEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    // The canvas scaled to the rectangle `target` (device pixels) of the
    // painter's device, straight into it when it is a 32-bit image;
    // otherwise through a picture of our own.
    void paintCanvas(QPainter& p, const CanvasFit& fit, const QRegion& region);
    // The parts of the shown picture (logical pixels) that differ from the
    // last one shown, which is then remembered.
    QRegion changes(const Canvas& canvas, const CanvasFit& fit);
    // The X11 band sender for the native window this widget is shown in,
    // when there is one.
    X11Bands* bands();
    QWidget* nativeHost();
    // Sends `region` (logical pixels) of the scaled canvas to the X server
    // in bands; what could not be sent is returned, for Qt to paint.
    QRegion sendBands(X11Bands& bands, const Canvas& canvas, const CanvasFit& fit, const QRegion& region);

    const Canvas* canvas_ = nullptr;
    QString overlay_;
    QRect overlayShown_;  // where the overlay was drawn last, to clear it
    CanvasScaler scaler_;
    QImage scaled_;  // only where the backing store cannot be written to
    CanvasChanges changes_;  // what differs from the canvas last shown
    QSize lastArea_;
    Cost cost_;
    double scaleMs_ = 0;
    std::unique_ptr<X11Bands> bands_;
    uintptr_t bandsTriedFor_ = 0;  // the native window last tried
    // What was sent past the backing store, which therefore still holds an
    // older picture there: painted into it before the window system shows
    // the backing store again (an expose).
    QRegion stale_;
};

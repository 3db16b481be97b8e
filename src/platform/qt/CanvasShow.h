#pragma once
// Showing the game's canvas in the window: scaled to fit with its shape
// kept (platform/CanvasFit.h), black bars where the shapes differ, hard
// pixel edges at whole-number scales and sharp-bilinear smoothing at others
// (see CanvasScaler.h). Two ways do it, with the same picture: the CPU
// (CanvasShowSoftware) and, where OpenGL runs on a real GPU, the GPU
// through Qt's OpenGL widget (CanvasShowOpenGL). ZARVEX_PRESENT=software or
// =opengl in the environment forces one, for tests and for players whose
// drivers misbehave.
#include <QRect>
#include <QString>
#include <memory>

#include "core/TextRenderer.h"
#include "platform/CanvasFit.h"

class QPainter;
class QWidget;

class CanvasShow {
public:
    virtual ~CanvasShow() = default;
    // The widget that shows the canvas. It takes no input: the mouse and
    // the keys go to the widget around it.
    virtual QWidget* widget() = 0;
    // Shows the canvas now, before returning; nullptr shows black.
    virtual void show(const Canvas* canvas) = 0;
    // A line drawn small by the platform over what it shows, never into
    // the canvas (the frame rate); empty for none.
    virtual void setOverlay(const QString& text) = 0;
    // What the last show cost, in milliseconds: scaling (or uploading) the
    // picture, and the rest of it, handing the picture to the window system.
    struct Cost {
        double scale = 0, transfer = 0;
    };
    virtual Cost lastCost() const = 0;
    virtual bool usesOpenGL() const = 0;
};

enum class ShowPath { Software, OpenGL };

// The path to use: the one ZARVEX_PRESENT names, else OpenGL where it runs
// on a GPU (a software rasterizer such as Mesa's llvmpipe is slower at this
// than our own scaler), else the software path. OpenGL that cannot start
// gives the software path, without a word. Needs a QGuiApplication.
ShowPath chooseShowPath();

// The show of that path, as a child of `parent`.
std::unique_ptr<CanvasShow> makeCanvasShow(ShowPath path, QWidget* parent);

// What both paths share: the canvas's fit in the widget (device pixels),
// and where the overlay line goes there: in a bar when one is wide enough,
// else over the top-right corner of the picture.
CanvasFit showFitOf(const QWidget* widget);
QRect overlayRect(const QWidget* widget, const CanvasFit& fit, const QString& text);  // logical pixels
void paintOverlay(QPainter& p, const QRect& where, const QString& text, bool inBar);

#pragma once
// The canvas shown by the GPU through Qt's OpenGL widget: uploaded as a
// texture each frame and drawn into the canvas's rectangle with the same
// choice of hard edges or sharp-bilinear smoothing as the software path
// (the smoothing computed by a small shader), the bars cleared black, in
// step with the display's refresh where the driver offers it.
#include <QOpenGLFunctions>
#include <QOpenGLWidget>
#include <memory>

#include "platform/qt/CanvasShow.h"

class QOpenGLShaderProgram;

class CanvasShowOpenGL final : public QOpenGLWidget, public CanvasShow, protected QOpenGLFunctions {
public:
    explicit CanvasShowOpenGL(QWidget* parent);
    ~CanvasShowOpenGL() override;

    QWidget* widget() override { return this; }
    void show(const Canvas* canvas) override;
    void setOverlay(const QString& text) override { overlay_ = text; }
    Cost lastCost() const override { return cost_; }
    bool usesOpenGL() const override { return true; }

protected:
    void initializeGL() override;
    void paintGL() override;

private:
    void release();

    const Canvas* canvas_ = nullptr;
    QString overlay_;
    std::unique_ptr<QOpenGLShaderProgram> program_;
    GLuint texture_ = 0;
    int textureWidth_ = 0, textureHeight_ = 0;
    bool ready_ = false;
    Cost cost_;
    double uploadMs_ = 0;
};

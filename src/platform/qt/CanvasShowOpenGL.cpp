#include "platform/qt/CanvasShowOpenGL.h"

#include <QOpenGLContext>
#include <QOpenGLShaderProgram>
#include <QPainter>
#include <chrono>

#include "platform/qt/CanvasScaler.h"

namespace {

double msSince(std::chrono::steady_clock::time_point t) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t).count();
}

// One quad over the viewport; texture row 0 (the canvas's top row) at the
// top.
const char* const kVertexShader = R"(
attribute highp vec2 corner;
varying highp vec2 uv;
void main() {
    uv = vec2(corner.x * 0.5 + 0.5, 0.5 - corner.y * 0.5);
    gl_Position = vec4(corner, 0.0, 1.0);
}
)";

// Sharp bilinear: inside each canvas pixel the colour is flat; across the
// last 1/prescale of it towards a neighbour the linear filter blends the
// two, as the whole-number enlargement followed by a bilinear step would.
// The canvas is uploaded as bytes B, G, R, A: the swizzle puts them right.
const char* const kFragmentShader = R"(
uniform sampler2D canvas;
uniform highp vec2 size;
uniform highp vec2 prescale;
varying highp vec2 uv;
void main() {
    highp vec2 texel = uv * size;
    highp vec2 base = floor(texel);
    highp vec2 d = fract(texel) - 0.5;
    highp vec2 range = 0.5 - 0.5 / prescale;
    highp vec2 f = (d - clamp(d, -range, range)) * prescale + 0.5;
    gl_FragColor = vec4(texture2D(canvas, (base + f) / size).bgr, 1.0);
}
)";

}  // namespace

CanvasShowOpenGL::CanvasShowOpenGL(QWidget* parent) : QOpenGLWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    // The picture is redrawn whole each frame; nothing to keep between.
    setUpdateBehavior(QOpenGLWidget::NoPartialUpdate);
}

CanvasShowOpenGL::~CanvasShowOpenGL() {
    if (context()) {
        makeCurrent();
        release();
        doneCurrent();
    }
}

void CanvasShowOpenGL::release() {
    if (texture_ != 0) glDeleteTextures(1, &texture_);
    texture_ = 0;
    program_.reset();
    ready_ = false;
}

void CanvasShowOpenGL::initializeGL() {
    initializeOpenGLFunctions();
    // A new context (the widget moved to another window) starts afresh.
    texture_ = 0;
    textureWidth_ = textureHeight_ = 0;
    program_ = std::make_unique<QOpenGLShaderProgram>();
    ready_ = program_->addShaderFromSourceCode(QOpenGLShader::Vertex, kVertexShader) &&
             program_->addShaderFromSourceCode(QOpenGLShader::Fragment, kFragmentShader) &&
             (program_->bindAttributeLocation("corner", 0), program_->link());
    glGenTextures(1, &texture_);
    glBindTexture(GL_TEXTURE_2D, texture_);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
}

void CanvasShowOpenGL::show(const Canvas* canvas) {
    canvas_ = canvas;
    if (!isVisible()) return;
    const auto start = std::chrono::steady_clock::now();
    uploadMs_ = 0;
    repaint();
    cost_ = {uploadMs_, msSince(start) - uploadMs_};
}

void CanvasShowOpenGL::paintGL() {
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    const CanvasFit f = showFitOf(this);
    const Canvas* c = canvas_;
    const qreal dpr = devicePixelRatioF();
    if (ready_ && c && c->pixels) {
        const auto start = std::chrono::steady_clock::now();
        glBindTexture(GL_TEXTURE_2D, texture_);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
        if (c->width != textureWidth_ || c->height != textureHeight_) {
            glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, c->width, c->height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
            textureWidth_ = c->width;
            textureHeight_ = c->height;
        }
        if (c->stride == c->width) {
            glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, c->width, c->height, GL_RGBA, GL_UNSIGNED_BYTE, c->pixels);
        } else {
            for (int y = 0; y < c->height; ++y)
                glTexSubImage2D(GL_TEXTURE_2D, 0, 0, y, c->width, 1, GL_RGBA, GL_UNSIGNED_BYTE,
                                c->pixels + ptrdiff_t(y) * c->stride);
        }
        const GLint filter = f.wholeScale || (f.width == c->width && f.height == c->height) ? GL_NEAREST : GL_LINEAR;
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
        uploadMs_ = msSince(start);

        // GL counts rows from the bottom.
        const int fbHeight = int(std::lround(height() * dpr));
        glViewport(GLint(f.x), GLint(fbHeight - (f.y + f.height)), GLsizei(f.width), GLsizei(f.height));
        program_->bind();
        program_->setUniformValue("canvas", 0);
        program_->setUniformValue("size", QVector2D(float(c->width), float(c->height)));
        program_->setUniformValue("prescale", QVector2D(float(wholeFactor(c->width, int(f.width))),
                                                        float(wholeFactor(c->height, int(f.height)))));
        static const GLfloat corners[] = {-1, -1, 1, -1, -1, 1, 1, 1};
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        glEnableVertexAttribArray(0);
        glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, corners);
        glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
        glDisableVertexAttribArray(0);
        program_->release();
        glViewport(0, 0, GLsizei(std::lround(width() * dpr)), fbHeight);
    }
    if (!overlay_.isEmpty()) {
        QPainter p(this);
        const QRect where = overlayRect(this, f, overlay_);
        const QRect picture = QRectF(f.x / dpr, f.y / dpr, f.width / dpr, f.height / dpr).toAlignedRect();
        paintOverlay(p, where, overlay_, !where.intersects(picture));
    }
}

#include "platform/qt/CanvasShow.h"

#include <QFontMetrics>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QPainter>
#include <QWidget>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <system_error>
#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

#include "platform/qt/CanvasShowOpenGL.h"
#include "platform/qt/CanvasShowSoftware.h"

namespace {

// Whether an OpenGL context can be made current, and whether its renderer
// is a real GPU.
struct OpenGLProbe {
    bool works = false;
    bool onGpu = false;
};

// While OpenGL is only being asked, what Qt and the drivers say about its
// absence is not the player's business: their messages and stderr go
// nowhere.
class Quiet {
public:
    Quiet() : handler_(qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {})) {
#ifdef Q_OS_UNIX
        std::fflush(stderr);
        saved_ = dup(2);
        const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (null >= 0) {
            dup2(null, 2);
            close(null);
        }
#endif
    }
    ~Quiet() {
#ifdef Q_OS_UNIX
        std::fflush(stderr);
        if (saved_ >= 0) {
            dup2(saved_, 2);
            close(saved_);
        }
#endif
        qInstallMessageHandler(handler_);
    }
    Quiet(const Quiet&) = delete;
    Quiet& operator=(const Quiet&) = delete;

private:
    QtMessageHandler handler_;
    int saved_ = -1;
};

OpenGLProbe probeOpenGL() {
    const Quiet quiet;
    OpenGLProbe probe;
    QOpenGLContext context;
    if (!context.create()) return probe;
    QOffscreenSurface surface;
    surface.setFormat(context.format());
    surface.create();
    if (!surface.isValid() || !context.makeCurrent(&surface)) return probe;
    const auto* renderer = reinterpret_cast<const char*>(context.functions()->glGetString(GL_RENDERER));
    probe.works = renderer != nullptr;
    const QString name = QString::fromLatin1(renderer ? renderer : "").toLower();
    probe.onGpu = probe.works && !name.contains(QLatin1String("llvmpipe")) &&
                  !name.contains(QLatin1String("softpipe")) && !name.contains(QLatin1String("swrast")) &&
                  !name.contains(QLatin1String("software"));
    context.doneCurrent();
    return probe;
}

QFont overlayFont() {
    QFont font;
    font.setPixelSize(12);
    return font;
}

constexpr int kOverlayMargin = 4;

// Whether the machine has a graphics device that OpenGL could run on.
// Without one OpenGL can only be a software rasterizer: asking it costs
// start-up time and tens of megabytes for an answer known beforehand.
bool mayHaveGpu() {
#ifdef Q_OS_LINUX
    std::error_code ec;
    if (std::filesystem::exists("/dev/nvidiactl", ec)) return true;
    for (const auto& entry : std::filesystem::directory_iterator("/dev/dri", ec)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("card", 0) == 0 || name.rfind("renderD", 0) == 0) return true;
    }
    return false;
#else
    return true;
#endif
}

}  // namespace

ShowPath chooseShowPath() {
    const QByteArray forced = qgetenv("ZARVEX_PRESENT").trimmed().toLower();
    if (forced == "software") return ShowPath::Software;
    if (forced != "opengl" && !mayHaveGpu()) return ShowPath::Software;
    const OpenGLProbe probe = probeOpenGL();
    if (forced == "opengl") return probe.works ? ShowPath::OpenGL : ShowPath::Software;
    return probe.onGpu ? ShowPath::OpenGL : ShowPath::Software;
}

std::unique_ptr<CanvasShow> makeCanvasShow(ShowPath path, QWidget* parent) {
    if (path == ShowPath::OpenGL) return std::make_unique<CanvasShowOpenGL>(parent);
    return std::make_unique<CanvasShowSoftware>(parent);
}

CanvasFit showFitOf(const QWidget* widget) {
    const qreal dpr = widget->devicePixelRatioF();
    return fitCanvas(std::llround(widget->width() * dpr), std::llround(widget->height() * dpr));
}

QRect overlayRect(const QWidget* widget, const CanvasFit& fit, const QString& text) {
    const QFontMetrics metrics(overlayFont());
    const QSize size(metrics.horizontalAdvance(text) + 2 * kOverlayMargin, metrics.height() + 2 * kOverlayMargin);
    const qreal dpr = widget->devicePixelRatioF();
    // The canvas in logical pixels, rounded inwards, so that a bar is a bar.
    const int top = int(std::ceil(double(fit.y) / dpr));
    const int right = int(std::floor(double(fit.x + fit.width) / dpr));
    const int w = widget->width();
    if (w - right >= size.width()) return {QPoint(right, top), size};                   // the right bar
    if (top >= size.height()) return {QPoint(w - size.width(), top - size.height()), size};  // the top bar
    return {QPoint(right - size.width(), top), size};  // the picture's top-right corner
}

void paintOverlay(QPainter& p, const QRect& where, const QString& text, bool inBar) {
    // Over the picture, a dark plate keeps the figures readable on any
    // background; in a bar the bar is that plate.
    p.fillRect(where, inBar ? QColor(Qt::black) : QColor(0, 0, 0, 160));
    p.setFont(overlayFont());
    p.setPen(QColor(200, 200, 200));
    p.drawText(where.adjusted(kOverlayMargin, kOverlayMargin, -kOverlayMargin, -kOverlayMargin),
               Qt::AlignRight | Qt::AlignVCenter, text);
}

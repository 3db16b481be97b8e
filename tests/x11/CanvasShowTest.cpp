// Both ways of showing the canvas, software and OpenGL, on a real X server
// (Mesa's software OpenGL stands in for a GPU): the same picture at 100 %,
// and the canvas in the same place with the same bars at other sizes.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <thread>
#include <memory>
#include <vector>

#include "platform/CanvasFit.h"
#include "platform/qt/CanvasShow.h"

namespace {

// A canvas of noise inside bands of colour at its edges, so that a wrong
// channel order, a shifted row or a lost edge all show.
struct TestCanvas {
    TestCanvas() : pixels(size_t(1280) * 768) {
        uint32_t seed = 5;
        for (int y = 0; y < 768; ++y)
            for (int x = 0; x < 1280; ++x) {
                seed = seed * 1664525u + 1013904223u;
                const bool edge = x < 4 || y < 4 || x >= 1276 || y >= 764;
                pixels[size_t(y) * 1280 + size_t(x)] = edge ? 0xFFC08040u : 0xFF000000u | (seed >> 8) | 0x101010u;
            }
        canvas = {pixels.data(), 1280, 768, 1280};
    }
    std::vector<uint32_t> pixels;
    Canvas canvas;
};

// The rectangle of the grab that is not black.
QRect shownRect(const QImage& image) {
    QRect r;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) != 0) r |= QRect(x, y, 1, 1);
    return r;
}

QImage showAndGrab(ShowPath path, const Canvas& canvas, QSize area) {
    const std::unique_ptr<CanvasShow> show = makeCanvasShow(path, nullptr);
    QWidget* w = show->widget();
    w->resize(area);
    w->show();
    for (int i = 0; i < 5; ++i) {
        QApplication::processEvents();
        show->show(&canvas);
    }
    return w->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

void ensureApp() {
    static int argc = 1;
    static char name[] = "zarvex-show-test";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance()) new QApplication(argc, argv);
}

class CanvasShowBothWays : public ::testing::Test {
protected:
    void SetUp() override {
        ensureApp();
        qputenv("ZARVEX_PRESENT", "opengl");
        const bool gl = chooseShowPath() == ShowPath::OpenGL;
        qunsetenv("ZARVEX_PRESENT");
        if (!gl) GTEST_SKIP() << "no OpenGL on this display: only the software path can be shown";
    }
    TestCanvas canvas;
};

TEST_F(CanvasShowBothWays, TheSamePictureAt100PercentAndTheSameBarsAtOtherSizes) {
    const QImage soft = showAndGrab(ShowPath::Software, canvas.canvas, {1280, 768});
    const QImage gl = showAndGrab(ShowPath::OpenGL, canvas.canvas, {1280, 768});
    ASSERT_EQ(soft.size(), QSize(1280, 768));
    ASSERT_EQ(gl.size(), soft.size());
    const QImage original(reinterpret_cast<const uchar*>(canvas.pixels.data()), 1280, 768, QImage::Format_RGB32);
    EXPECT_TRUE(soft == original) << "the software path changed the picture";
    EXPECT_TRUE(gl == original) << "the OpenGL path changed the picture";

    // Scales 0.7, 1.5 and 2, with bars at the sides or above and below.
    for (const QSize area : {QSize(896, 700), QSize(1920, 1300), QSize(2800, 1536)}) {
        SCOPED_TRACE(testing::Message() << area.width() << "x" << area.height());
        const CanvasFit f = fitCanvas(area.width(), area.height());
        const QRect expected(int(f.x), int(f.y), int(f.width), int(f.height));
        const QImage s = showAndGrab(ShowPath::Software, canvas.canvas, area);
        const QImage g = showAndGrab(ShowPath::OpenGL, canvas.canvas, area);
        EXPECT_EQ(shownRect(s), expected);
        EXPECT_EQ(shownRect(g), expected);
    }
}

// The software path sends only what changed: after a small change the
// screen shows what a whole new picture would.
TEST(CanvasShowSoftware, AfterASmallChangeTheScreenShowsTheWholeNewPicture) {
    ensureApp();
    TestCanvas canvas;
    const std::unique_ptr<CanvasShow> show = makeCanvasShow(ShowPath::Software, nullptr);
    QWidget* w = show->widget();
    w->resize(900, 560);  // scale 0.7: smoothed, with bars above and below
    w->show();
    const auto settle = [&] {
        for (int i = 0; i < 20; ++i) {
            QApplication::processEvents();
            show->show(&canvas.canvas);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    };
    settle();
    for (int y = 300; y < 340; ++y)
        for (int x = 600; x < 700; ++x) canvas.pixels[size_t(y) * 1280 + size_t(x)] ^= 0x00FFFFFFu;
    canvas.pixels[0] = 0xFF00FF00u;  // and one corner pixel
    settle();
    const QImage onScreen = w->screen()->grabWindow(w->winId()).toImage().convertToFormat(QImage::Format_RGB32);
    const QImage whole = w->grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(onScreen.size(), whole.size());
    EXPECT_TRUE(onScreen == whole);
}

}  // namespace

namespace {

// A large change goes past Qt's backing store straight to the X server;
// after another window has covered the canvas and gone, the window must
// still show the latest picture, not the older one the backing store held.
TEST(CanvasShowSoftware, AWindowUncoveredShowsTheLatestPicture) {
    ensureApp();
    TestCanvas canvas;
    const std::unique_ptr<CanvasShow> show = makeCanvasShow(ShowPath::Software, nullptr);
    QWidget* w = show->widget();
    w->resize(900, 560);  // fits the smallest test screen; a large picture still
    w->show();
    const auto wait = [](int ms) {
        for (int i = 0; i < ms / 10; ++i) {
            QApplication::processEvents();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    };
    for (int i = 0; i < 20; ++i) {
        wait(10);
        show->show(&canvas.canvas);
    }
    for (auto& p : canvas.pixels) p ^= 0x00FFFFFFu;  // a whole new picture
    show->show(&canvas.canvas);
    wait(100);
    // What Qt paints of the canvas now, which the screen must show.
    const QImage latest = w->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const auto onScreen = [&] {
        return w->screen()->grabWindow(w->winId()).toImage().convertToFormat(QImage::Format_RGB32);
    };
    ASSERT_TRUE(onScreen() == latest) << "the new picture is not on the screen";

    QWidget cover(nullptr, Qt::X11BypassWindowManagerHint | Qt::FramelessWindowHint);
    cover.setStyleSheet("background: #3070f0");
    cover.setGeometry(QRect(w->mapToGlobal(QPoint(100, 100)), QSize(600, 400)));
    cover.show();
    wait(200);
    cover.hide();
    wait(300);  // the canvas is not shown again meanwhile: only the expose repaints it
    EXPECT_TRUE(onScreen() == latest) << "an older picture came back where the other window was";
}

}  // namespace

#if defined(ZARVEX_X11_SHM)
#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QWindow>

#include "platform/qt/X11Bands.h"

namespace {

// Bands only where nobody composites: while a compositing manager holds
// its selection, the window gets whole pictures from Qt instead.
TEST(X11Bands, OnlyWhereNoCompositorShowsTheWindow) {
    ensureApp();
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11) GTEST_SKIP() << "not on X11";
    QWidget w;
    w.resize(320, 200);
    w.show();
    QApplication::processEvents();
    ASSERT_NE(X11Bands::open(w.windowHandle()), nullptr) << "no compositor here: bands should work";

    // Pose as a compositor: own _NET_WM_CM_S0 with a window of our own.
    xcb_connection_t* c = x11->connection();
    const xcb_window_t owner = xcb_generate_id(c);
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    xcb_create_window(c, XCB_COPY_FROM_PARENT, owner, screen->root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                      XCB_COPY_FROM_PARENT, 0, nullptr);
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, 13, "_NET_WM_CM_S0"), nullptr);
    ASSERT_NE(atom, nullptr);
    xcb_set_selection_owner(c, owner, atom->atom, XCB_CURRENT_TIME);
    EXPECT_EQ(X11Bands::open(w.windowHandle()), nullptr) << "a compositor runs: Qt should show whole pictures";
    xcb_destroy_window(c, owner);
    std::free(atom);
    xcb_flush(c);
}

// A band reaches the screen with nothing more written to Qt's connection:
// our sending thread writes it. Watched through a connection of its own.
TEST(X11Bands, ABandReachesTheScreenWithNothingElseSent) {
    ensureApp();
    if (!qGuiApp->nativeInterface<QNativeInterface::QX11Application>()) GTEST_SKIP() << "not on X11";
    QWidget w;
    w.resize(320, 200);
    w.show();
    // Mapped and painted first, so that neither covers the band later.
    for (int i = 0; i < 500 && (i < 10 || !w.windowHandle()->isExposed()); ++i) {
        QApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    QGuiApplication::sync();
    const std::unique_ptr<X11Bands> bands = X11Bands::open(w.windowHandle());
    ASSERT_NE(bands, nullptr);
    // Two small bands, which share a buffer.
    const uint32_t colours[] = {0x3060C0u, 0xC06030u};
    for (int i = 0; i < 2; ++i) {
        uint32_t* pixels = bands->nextBuffer(100, 20);
        ASSERT_NE(pixels, nullptr);
        std::fill_n(pixels, 100 * 20, colours[i]);
        bands->put(QRect(5, 10 + 30 * i, 100, 20));
    }
    bands->finish();

    xcb_connection_t* watcher = xcb_connect(nullptr, nullptr);
    const auto pixelAt = [&](int16_t y) {
        xcb_get_image_reply_t* got = xcb_get_image_reply(
            watcher, xcb_get_image(watcher, XCB_IMAGE_FORMAT_Z_PIXMAP, xcb_window_t(w.winId()), 50, y, 1, 1, ~0u),
            nullptr);
        uint32_t pixel = 0;
        if (got && xcb_get_image_data_length(got) >= 4) std::memcpy(&pixel, xcb_get_image_data(got), 4);
        std::free(got);
        return pixel & 0xFFFFFFu;
    };
    for (int i = 0; i < 500 && pixelAt(50) != colours[1]; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(pixelAt(20), colours[0]) << "the first band is not there";
    EXPECT_EQ(pixelAt(50), colours[1]) << "the second band was never sent";
    xcb_disconnect(watcher);
}

}  // namespace
#endif

// The real game window on a real X server with a window manager, as a
// player's desktop has them (run by run-under-x.sh under Xvfb and openbox at
// several screen sizes): the window with its frame and menu bar lies on the
// screen, and the screen shows every edge of the canvas, in a window and in
// full screen.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QScreen>
#include <QTemporaryDir>
#include <chrono>
#include <thread>

#include "EdgeBands.h"
#include "SoundRecorder.h"
#include "app/App.h"
#include "core/Game.h"
#include "core/Random.h"
#include "platform/qt/QtPlatform.h"
#include "render/DrawSurface.h"

namespace {

class UnderAWindowManager : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "zarvex-x11-test";
        static char* argv[] = {name, nullptr};
        app = qobject_cast<QApplication*>(QCoreApplication::instance());
        if (!app) app = new QApplication(argc, argv);
    }
    UnderAWindowManager() : random(4), game(platform, sound, random), surface(platform.textRenderer(), &platform) {
        qputenv("XDG_CONFIG_HOME", (dir.path() + "/config").toUtf8());
        qputenv("XDG_DATA_HOME", (dir.path() + "/data").toUtf8());
        startUp(game, surface);
        settle();
    }
    ~UnderAWindowManager() override { shutDown(game); }

    // Frames for a while: the window manager maps, frames and places the
    // window in its own time.
    void settle(int frames = 60) {
        for (int i = 0; i < frames; ++i) runFrame(game, surface);
    }
    // Frames until `done` holds, for at most 5 s: a busy machine's window
    // manager may take longer than a second to redo the frame.
    template <typename Done>
    void settleUntil(Done done) {
        settle();
        for (int i = 0; i < 240 && !done(); ++i) runFrame(game, surface);
    }

    // Red, green, blue and yellow bands on the top, bottom, left and right
    // edges of the canvas, then the screen as the player sees it.
    void expectEveryEdgeOnTheScreen() {
        edges::draw(surface);
        QApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        QApplication::processEvents();

        QScreen* screen = platform.window()->screen();
        const QImage shot = screen->grabWindow(0).toImage();
        const CanvasFit f = platform.canvasFit();
        const qreal dpr = platform.canvasWidget()->devicePixelRatioF();
        // The canvas's rectangle on the screen, in the grab's pixels.
        const QPoint origin = platform.canvasWidget()->mapToGlobal(QPoint(0, 0)) - screen->geometry().topLeft();
        const int x0 = int(origin.x() * dpr + f.x), y0 = int(origin.y() * dpr + f.y);
        const int x1 = x0 + int(f.width) - 1, y1 = y0 + int(f.height) - 1;
        ASSERT_TRUE(shot.rect().contains(QRect(QPoint(x0, y0), QPoint(x1, y1))))
            << "canvas at " << x0 << "," << y0 << " - " << x1 << "," << y1 << " on a screen of " << shot.width()
            << "x" << shot.height();
        const int mx = (x0 + x1) / 2, my = (y0 + y1) / 2;
        EXPECT_TRUE(edges::near(shot.pixel(mx, y0), edges::kTop)) << "the first row is not on the screen";
        EXPECT_TRUE(edges::near(shot.pixel(mx, y1), edges::kBottom)) << "the last row is not on the screen";
        EXPECT_TRUE(edges::near(shot.pixel(x0, my), edges::kLeft)) << "the first column is not on the screen";
        EXPECT_TRUE(edges::near(shot.pixel(x1, my), edges::kRight)) << "the last column is not on the screen";
    }

    static QApplication* app;
    QTemporaryDir dir;
    QtPlatform platform;
    SoundRecorder sound;
    SeededRandom random;
    Game game;
    DrawSurface surface;
};
QApplication* UnderAWindowManager::app = nullptr;

}  // namespace

TEST_F(UnderAWindowManager, TheWindowWithItsFrameAndTheWholeCanvasLieOnTheScreen) {
    QMainWindow* w = platform.window();
    const QRect avail = w->screen()->availableGeometry();
    const QRect frame = w->frameGeometry();
    std::printf("screen %dx%d, window frame %d,%d %dx%d, canvas scale %.3f\n", avail.width(), avail.height(),
                frame.x(), frame.y(), frame.width(), frame.height(), platform.canvasFit().scale);
    EXPECT_GT(frame.height(), w->geometry().height()) << "the window manager put no frame around the window";
    EXPECT_TRUE(avail.contains(frame)) << "the window leaves the screen";
    // Where the screen has room, the canvas is shown at 100 %, no larger.
    const bool room = avail.width() >= frame.width() - w->width() + 1280 &&
                      avail.height() >= frame.height() - w->height() + w->menuBar()->height() + 768;
    if (room) {
        EXPECT_DOUBLE_EQ(platform.canvasFit().scale, 1.0);
    }
    expectEveryEdgeOnTheScreen();
}

TEST_F(UnderAWindowManager, FullScreenFillsTheScreenAndComesBack) {
    QMainWindow* w = platform.window();
    platform.fullScreenAction()->trigger();
    settleUntil([&] { return w->isFullScreen() && w->frameGeometry() == w->screen()->geometry(); });
    EXPECT_TRUE(w->isFullScreen());
    EXPECT_EQ(w->frameGeometry(), w->screen()->geometry());
    expectEveryEdgeOnTheScreen();
    platform.fullScreenAction()->trigger();
    settleUntil([&] { return !w->isFullScreen() && w->screen()->availableGeometry().contains(w->frameGeometry()); });
    EXPECT_FALSE(w->isFullScreen());
    EXPECT_TRUE(w->screen()->availableGeometry().contains(w->frameGeometry()))
        << "back from full screen, the window frame is at " << w->frameGeometry().x() << "," << w->frameGeometry().y()
        << " " << w->frameGeometry().width() << "x" << w->frameGeometry().height();
    expectEveryEdgeOnTheScreen();
}

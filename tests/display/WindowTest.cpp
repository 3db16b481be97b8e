// The game's window on screens of every kind (the offscreen platform with
// screens of our own): it opens fitting its screen, shows the whole canvas
// in every state with its shape kept, maps clicks back to canvas pixels at
// any scale, goes full screen and back without losing the game, and keeps
// the View menu's choices between runs.
#include <gtest/gtest.h>

#include <QAction>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenuBar>
#include <QMouseEvent>
#include <QTimer>
#include <QWindow>
#include <cstdlib>
#include <filesystem>
#include <functional>

#include "DisplayApp.h"
#include "ModalGuard.h"
#include "EdgeBands.h"
#include "Scene.h"
#include "SoundRecorder.h"
#include "app/App.h"
#include "core/Game.h"
#include "core/Random.h"
#include "platform/qt/QtPlatform.h"
#include "platform/qt/ViewSettings.h"
#include "render/DrawSurface.h"

namespace {

using namespace edges;

void forgetSettings() { QFile::remove(viewSettingsFile()); }

class WindowTest : public ::testing::Test {
protected:
    WindowTest() : random(3), game((displayApp(), platform), sound, random), surface(platform.textRenderer(), &platform) {}

    void SetUp() override {
        char pattern[] = "/tmp/zarvex-window-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(folder));
        forgetSettings();
        startUp(game, surface);
        frames(3);
    }
    void TearDown() override {
        shutDown(game);
        forgetSettings();
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }

    void frames(int n) {
        for (int i = 0; i < n; ++i) runFrame(game, surface);
    }

    // The canvas widget as shown, in device pixels, and where the canvas
    // lies in it: its first and last rows and columns are found there, and
    // black bars around it.
    void expectWholeCanvasShown(const CanvasFit& f) {
        edges::draw(surface);
        const QImage shown = platform.canvasWidget()->grab().toImage();
        ASSERT_EQ(shown.width(), std::llround(platform.canvasWidget()->width() * shown.devicePixelRatio()));
        const int64_t midX = f.x + f.width / 2, midY = f.y + f.height / 2;
        auto at = [&](int64_t x, int64_t y) { return shown.pixel(int(x), int(y)); };
        EXPECT_TRUE(near(at(midX, f.y), kTop)) << "first row";
        EXPECT_TRUE(near(at(midX, f.y + f.height - 1), kBottom)) << "last row";
        EXPECT_TRUE(near(at(f.x, midY), kLeft)) << "first column";
        EXPECT_TRUE(near(at(f.x + f.width - 1, midY), kRight)) << "last column";
        EXPECT_TRUE(near(at(midX, midY), kMiddle));
        if (f.x > 0) {
            EXPECT_EQ(at(f.x - 1, midY), qRgb(0, 0, 0)) << "bar on the left";
            EXPECT_EQ(at(f.x + f.width, midY), qRgb(0, 0, 0)) << "bar on the right";
        }
        if (f.y > 0) {
            EXPECT_EQ(at(midX, f.y - 1), qRgb(0, 0, 0)) << "bar above";
            EXPECT_EQ(at(midX, f.y + f.height), qRgb(0, 0, 0)) << "bar below";
        }
    }

    // Makes the canvas widget width x height logical pixels.
    void resizeCanvasTo(int width, int height) {
        QMainWindow* w = platform.window();
        w->resize(width, height + w->menuBar()->height());
        frames(2);
        ASSERT_EQ(platform.canvasWidget()->size(), QSize(width, height));
    }

    void clickAt(QPointF p) {
        QMouseEvent press(QEvent::MouseButtonPress, p, p, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(platform.canvasWidget(), &press);
        frames(1);
    }
    void key(int k, const QString& text) {
        QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier, text);
        QCoreApplication::sendEvent(platform.canvasWidget(), &press);
        frames(1);
    }
    void startPlaying() {
        key(Qt::Key_Space, " ");
        key(Qt::Key_Space, " ");
        ASSERT_EQ(game.state.inGame, 1);
        ASSERT_EQ(game.state.intermission, 0);
    }

    std::string folder;
    QtPlatform platform;
    SoundRecorder sound;
    SeededRandom random;
    Game game;
    DrawSurface surface;
};

}  // namespace

TEST_F(WindowTest, OpensAsLargeAsFitsTheScreenWithTheWholeCanvasOnIt) {
    QMainWindow* w = platform.window();
    const QRect avail = w->screen()->availableGeometry();
    EXPECT_EQ(w->screen()->name(), "Laptop");
    EXPECT_TRUE(avail.contains(w->frameGeometry())) << "the window leaves the screen";
    // 768 rows of canvas, a menu bar and a frame do not fit 768 rows of
    // screen: the canvas is scaled down, to within a pixel of the screen.
    const CanvasFit f = platform.canvasFit();
    EXPECT_LT(f.scale, 1.0);
    EXPECT_FALSE(w->isMaximized()) << "the desktop's free area is known: no need to maximise";
    EXPECT_GE(w->frameGeometry().height(), avail.height() - 1);
    // The window is the canvas's shape under its menu bar: no bars.
    EXPECT_LE(f.x, 1);
    EXPECT_EQ(f.y, 0);
    expectWholeCanvasShown(f);
    EXPECT_LT(w->minimumWidth(), w->maximumWidth()) << "the player can resize it";
}

// Where the window system does not tell the desktop's panels (Wayland), a
// window that would open below 100 % opens maximised, for the desktop to fit
// to its free area; restored, it leaves room for a panel and a title bar.
TEST_F(WindowTest, WithoutTheDesktopsFreeAreaASmallScreenMaximisesTheWindow) {
    QtPlatform wayland;
    wayland.setWorkAreaKnownForTesting(false);
    wayland.openWindow("ZARVEX v1.01", 1280, 768);
    wayland.buildMenus({});
    QApplication::processEvents();
    QMainWindow* w = wayland.window();
    EXPECT_TRUE(w->isMaximized());
    const QRect avail = w->screen()->availableGeometry();
    EXPECT_EQ(w->frameGeometry(), avail);
    const CanvasFit f = wayland.canvasFit();
    EXPECT_EQ(f.y, 0);
    EXPECT_GT(f.x, 0) << "the canvas letterboxed across the screen's width";
    const QRect normal = w->normalGeometry();
    EXPECT_LE(normal.width(), avail.width() - 80);
    EXPECT_LE(normal.height(), avail.height() - 80);
    wayland.closeWindow();

    // Opening in full screen it is not maximised beneath, and it comes back
    // at its normal size (weston ends the connection of a window asked for
    // maximised just after full screen).
    saveViewSettings({true, false});
    QtPlatform full;
    full.setWorkAreaKnownForTesting(false);
    full.openWindow("ZARVEX v1.01", 1280, 768);
    full.buildMenus({});
    EXPECT_EQ(full.window()->windowState(), Qt::WindowFullScreen);
    full.fullScreenAction()->trigger();
    EXPECT_EQ(full.window()->windowState(), Qt::WindowNoState);
    full.closeWindow();
}

// Whatever pointer a box leaves over the game's window (on Wayland the box's
// arrow stays), the blank one comes back over the canvas: when the box
// closes over it, and at the next move there when it closes over the menu.
TEST_F(WindowTest, TheBlankPointerComesBackAfterEveryBox) {
    QWindow* handle = platform.window()->windowHandle();
    QWidget* canvas = platform.canvasWidget();
    const std::pair<const char*, std::function<void()>> boxes[] = {
        {"message", [&] { platform.messageBox("Hall of Fame", "1. ANN 1,000"); }},
        {"yes/no", [&] { platform.yesNoBox("Clear High Scores", "Clear them?"); }},
        {"name", [&] { platform.textInputBox("New High Score", "Your name:", "ANN"); }},
        {"about", [&] { platform.aboutAlert("ZARVEX 1.01", "About", "Ok", "See My Other Apps"); }},
    };
    const QPoint overCanvas = canvas->mapToGlobal(canvas->rect().center());
    const QPoint overMenu = platform.window()->menuBar()->mapToGlobal(QPoint(2, 2));
    for (const auto& [name, open] : boxes) {
        for (const QPoint at : {overCanvas, overMenu}) {
            SCOPED_TRACE(std::string(name) + (at == overCanvas ? " over the canvas" : " over the menu"));
            QCursor::setPos(at);
            QTimer::singleShot(50, [handle] {
                handle->setCursor(QCursor(Qt::ArrowCursor));
                if (QWidget* box = QApplication::activeModalWidget()) box->close();
            });
            const ModalGuard guard;
            open();
            ASSERT_FALSE(guard.fired());
            EXPECT_EQ(handle->cursor().shape(), at == overCanvas ? Qt::BlankCursor : Qt::ArrowCursor);
            const QPointF p = canvas->rect().center();
            QMouseEvent move(QEvent::MouseMove, p, canvas->mapToGlobal(p), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
            QCoreApplication::sendEvent(canvas, &move);
            EXPECT_EQ(handle->cursor().shape(), Qt::BlankCursor);
            EXPECT_EQ(canvas->cursor().shape(), Qt::BlankCursor);
        }
    }
}

// Docks and task bars match the window to its installed desktop entry: by
// the entry's name on Wayland (the app id), by StartupWMClass on X11; the
// software centre's launchable names the same entry.
TEST_F(WindowTest, TheWindowNamesItsInstalledDesktopEntry) {
    auto read = [](const QString& name) {
        QFile f(QStringLiteral(ZARVEX_SOURCE_DIR "/packaging/") + name);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name.toStdString();
        return QString::fromUtf8(f.readAll());
    };
    const QString id = QGuiApplication::desktopFileName();
    const QString entry = read(id + ".desktop.in");
    EXPECT_TRUE(entry.contains("\nStartupWMClass=" + QCoreApplication::applicationName() + "\n"));
    EXPECT_TRUE(read(id + ".metainfo.xml.in").contains(">" + id + ".desktop</launchable>"));
}

TEST_F(WindowTest, ResizedWindowsShowTheCanvasLetterboxed) {
    struct Case {
        int w, h;
        int64_t x, y, cw, ch;
    } cases[] = {
        {1920, 1080, 60, 0, 1800, 1080},
        {1000, 600, 0, 0, 1000, 600},
        {2560, 1600, 0, 32, 2560, 1536},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h));
        resizeCanvasTo(c.w, c.h);
        const CanvasFit f = platform.canvasFit();
        EXPECT_EQ(f.x, c.x);
        EXPECT_EQ(f.y, c.y);
        EXPECT_EQ(f.width, c.cw);
        EXPECT_EQ(f.height, c.ch);
        expectWholeCanvasShown(f);
    }
}

TEST_F(WindowTest, AClickFiresAtTheCanvasPointUnderItAtAnyScale) {
    startPlaying();
    for (double scale : {0.7, 1.0, 1.5, 2.0}) {
        SCOPED_TRACE(scale);
        resizeCanvasTo(int(std::lround(1280 * scale)), int(std::lround(768 * scale)));
        const size_t before = game.state.interceptors.size();
        clickAt(platform.widgetPointOf(364, 500));  // straight above the second site
        ASSERT_EQ(game.state.interceptors.size(), before + 1);
        game.state.interceptors.last();
        EXPECT_EQ(game.state.interceptors.current()->targetX, 364.0f);
        EXPECT_EQ(game.state.interceptors.current()->targetY, 500.0f);
        EXPECT_EQ(game.state.mouseX, 364);
        EXPECT_EQ(game.state.mouseY, 500);
    }
    // In the bars the pointer stays on the canvas's edge, and a press there
    // fires nothing.
    resizeCanvasTo(1920, 1080);
    const size_t before = game.state.interceptors.size();
    clickAt(QPointF(20, 540));
    EXPECT_EQ(game.state.interceptors.size(), before);
    EXPECT_EQ(game.state.mouseX, 0);
    EXPECT_EQ(game.state.mouseY, 384);
}

TEST_F(WindowTest, FullScreenAndBackKeepsTheGame) {
    startPlaying();
    QMainWindow* w = platform.window();
    ASSERT_NE(platform.fullScreenAction(), nullptr);
    const int64_t level = game.state.level;
    frames(20);
    const int64_t spawned = game.state.spawned;

    platform.fullScreenAction()->trigger();
    frames(3);
    EXPECT_TRUE(w->isFullScreen());
    EXPECT_TRUE(w->menuBar()->isHidden());
    EXPECT_TRUE(platform.fullScreenAction()->isChecked());
    EXPECT_EQ(platform.canvasWidget()->size(), w->screen()->geometry().size());
    expectWholeCanvasShown(platform.canvasFit());
    // ESC keeps its meaning in the game: it ends the game, not full screen.
    // (A wide burst keeps the finished game on the battlefield meanwhile.)
    scene::addExplosion(game.state, 640, 300, 1, 255, 0, 0).maxRadius = 600;
    key(Qt::Key_Escape, QString(QChar(27)));
    EXPECT_EQ(game.state.gameOver, 1);
    EXPECT_TRUE(w->isFullScreen());

    platform.fullScreenAction()->trigger();
    frames(3);
    EXPECT_FALSE(w->isFullScreen());
    EXPECT_FALSE(w->menuBar()->isHidden());
    EXPECT_EQ(game.state.inGame, 1);  // the same game, on its way to the title
    EXPECT_EQ(game.state.level, level);
    EXPECT_GE(game.state.spawned, spawned);
    expectWholeCanvasShown(platform.canvasFit());
    EXPECT_TRUE(w->screen()->availableGeometry().contains(w->frameGeometry()));
}

TEST_F(WindowTest, OnAHighDensityScreenTheCanvasFillsItsDevicePixels) {
    QScreen* retina = screenNamed("Retina");
    ASSERT_NE(retina, nullptr);
    QMainWindow* w = platform.window();
    w->windowHandle()->setScreen(retina);
    w->move(retina->geometry().topLeft() + QPoint(20, 20));
    frames(2);  // the window settles on its new screen first
    resizeCanvasTo(1000, 600);
    EXPECT_EQ(platform.canvasWidget()->devicePixelRatioF(), 2.0);
    const CanvasFit f = platform.canvasFit();
    EXPECT_EQ(f.width, 2000);  // in device pixels, scaled once
    EXPECT_EQ(f.height, 1200);
    expectWholeCanvasShown(f);
    const QPointF p = platform.widgetPointOf(1279, 767);
    EXPECT_LT(p.x(), 1000.0);
    EXPECT_LT(p.y(), 600.0);
}

TEST_F(WindowTest, MuteAndFullScreenAreRememberedAndMuteReachesTheSound) {
    std::vector<bool> muted;
    platform.setMuteHandler([&](bool m) { muted.push_back(m); });
    ASSERT_EQ(muted, std::vector<bool>{false});  // told the remembered choice at once
    EXPECT_FALSE(platform.frameRateAction()->isChecked()) << "the frame rate is off at first";
    platform.muteAction()->trigger();
    platform.fullScreenAction()->trigger();
    platform.frameRateAction()->trigger();
    frames(2);
    EXPECT_EQ(muted, (std::vector<bool>{false, true}));
    EXPECT_TRUE(platform.muted());

    const ViewSettings kept = loadViewSettings();
    EXPECT_TRUE(kept.muted);
    EXPECT_TRUE(kept.fullScreen);
    EXPECT_TRUE(kept.showFrameRate);

    // The next run starts muted and in full screen.
    QtPlatform next;
    next.openWindow("ZARVEX v1.01", 1280, 768);
    next.buildMenus({});
    std::vector<bool> nextMuted;
    next.setMuteHandler([&](bool m) { nextMuted.push_back(m); });
    EXPECT_EQ(nextMuted, std::vector<bool>{true});
    EXPECT_TRUE(next.window()->isFullScreen());
    EXPECT_TRUE(next.muteAction()->isChecked());
    EXPECT_TRUE(next.frameRateAction()->isChecked());
    next.closeWindow();
}

TEST_F(WindowTest, TheFrameRateIsDrawnOverWhatIsShownNeverIntoTheCanvas) {
    platform.setShowFrameRate(true);
    frames(75);  // the figures come once a second has passed
    // In a window with bars at the sides the figures stand in the right
    // bar; at 100 % over the picture's top-right corner.
    for (const QSize size : {QSize(1600, 768), QSize(1280, 768)}) {
        SCOPED_TRACE(testing::Message() << size.width() << "x" << size.height());
        resizeCanvasTo(size.width(), size.height());
        edges::draw(surface);
        const Canvas& c = surface.canvas();
        const std::vector<uint32_t> drawn(c.pixels, c.pixels + size_t(c.stride) * size_t(c.height));
        for (int i = 0; i < 3; ++i) platform.present(c);
        EXPECT_TRUE(std::equal(drawn.begin(), drawn.end(), c.pixels)) << "the canvas changed";
        const QImage shown = platform.canvasWidget()->grab().toImage();
        const CanvasFit f = platform.canvasFit();
        // Light text pixels in the top-right corner of the widget.
        int light = 0;
        for (int y = 0; y < 24; ++y)
            for (int x = shown.width() - 200; x < shown.width(); ++x)
                if (std::min({qRed(shown.pixel(x, y)), qGreen(shown.pixel(x, y)), qBlue(shown.pixel(x, y))}) > 150)
                    ++light;
        EXPECT_GT(light, 20) << "no figures in the corner";
        if (f.x > 0) {
            EXPECT_TRUE(near(shown.pixel(int(f.x + f.width - 1), 40), kRight)) << "the picture's edge";
        }
    }
    platform.setShowFrameRate(false);
}

TEST(ViewSettingsFile, ADamagedOrStrangeFileMeansTheDefaults) {
    displayApp();
    const QString file = viewSettingsFile();
    QDir().mkpath(QFileInfo(file).path());
    auto write = [&](const QByteArray& bytes) {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    };
    for (const QByteArray& bytes :
         {QByteArray("\x00\xff\xfe garbage [[[ = = =\n", 22), QByteArray("[view]\nfullScreen=maybe\n[sound]\nmuted=1x\n"),
          QByteArray("[view\nfullScreen=true\n")}) {
        write(bytes);
        const ViewSettings s = loadViewSettings();
        EXPECT_FALSE(s.fullScreen) << bytes.toStdString();
        EXPECT_FALSE(s.muted) << bytes.toStdString();
    }
    // Saving over a damaged file starts it afresh.
    saveViewSettings({true, true});
    const ViewSettings s = loadViewSettings();
    EXPECT_TRUE(s.fullScreen);
    EXPECT_TRUE(s.muted);
    QFile::remove(file);
    // A folder in the file's place: defaults, and no failure.
    QDir().mkpath(file);
    EXPECT_FALSE(loadViewSettings().fullScreen);
    saveViewSettings({true, false});
    QDir().rmdir(file);
}

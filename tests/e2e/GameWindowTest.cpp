// The real game in the real Qt window on the offscreen platform: keys and
// the close button go through Qt, the frame loop runs with real sleeps.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMouseEvent>
#include <QTimer>
#include <cstdlib>
#include <filesystem>

#include "QtTestApp.h"
#include "app/App.h"
#include "audio/miniaudio/SoundBank.h"
#include "core/Game.h"
#include "core/Random.h"
#include "platform/qt/QtPlatform.h"
#include "render/DrawSurface.h"

namespace {
QApplication& app() { return qtTestApp(); }

// Keeps the test's Hall of Fame away from the user's own.
class E2E : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/zarvex-e2e-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(folder));
        app();
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }
    std::string folder;
};

// Sends a key press to whichever widget has the keyboard focus, as the
// keyboard would.
void pressKey(int key, const QString& text) {
    QWidget* target = QApplication::focusWidget();
    ASSERT_NE(target, nullptr) << "nothing has the keyboard focus";
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(target, &release);
}
}  // namespace

TEST_F(E2E, KeyFromTheFirstFrameAndTheCloseButtonEndTheLoop) {
    QtPlatform platform;
    SoundBank sound;
    SeededRandom random(1);
    Game game(platform, sound, random);
    DrawSurface surface(platform.textRenderer(), &platform.framePresenter());
    startUp(game, surface);
    ASSERT_NE(platform.window(), nullptr);
    EXPECT_EQ(platform.window()->windowTitle(), "ZARVEX v1.01");
    EXPECT_EQ(game.state.highScorePath, folder + "/zvx_highscores.dat");

    // No click first: the canvas has the focus from the start.
    QTimer::singleShot(100, [] { pressKey(Qt::Key_Space, " "); });
    QTimer::singleShot(300, [&] { platform.window()->close(); });
    frameLoop(game, surface);

    EXPECT_EQ(game.state.inGame, 1);  // SPACE started a game: its sector panel is up
    EXPECT_EQ(game.state.intermission, 1);
    EXPECT_EQ(game.state.event, EventClose);
    EXPECT_TRUE(platform.window()->isVisible());  // closing is the game's business

    // The window shows the canvas: the sky of level 1 fills it outside the
    // sector panel, corners included, wherever the window puts them.
    const QImage shown = platform.canvasWidget()->grab().toImage();
    const QRgb sky = qRgb(6, 5, 15);
    for (QPoint p : {QPoint(0, 0), QPoint(1279, 0), QPoint(0, 767), QPoint(1279, 767), QPoint(200, 600)}) {
        const QPointF at = platform.widgetPointOf(p.x(), p.y()) * shown.devicePixelRatio();
        EXPECT_EQ(shown.pixel(int(at.x()), int(at.y())), sky) << p.x() << "," << p.y();
    }
    EXPECT_EQ(surface.pixel(1279, 767), 6 | (5 << 8) | (15 << 16));
    shutDown(game);
    EXPECT_EQ(platform.window(), nullptr);
}

TEST_F(E2E, TheWholeProgramEndsWithStatusZeroAfterTheCloseButton) {
    QtPlatform platform;
    SoundBank sound;
    SeededRandom random(2);
    QTimer::singleShot(200, [&] {
        ASSERT_NE(platform.window(), nullptr);
        platform.window()->close();
    });
    EXPECT_EQ(runGame(platform, sound, random), 0);
}

namespace {
// A left click on canvas pixel (x, y), pressed and released as a mouse would.
void clickCanvas(QtPlatform& platform, int x, int y) {
    const QPointF at = platform.widgetPointOf(x, y);
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent e(type, at, at, Qt::LeftButton,
                      type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(platform.canvasWidget(), &e);
    }
}

// The real game on the real platform, started, with its first frame run
// (the window system settles in it, as it does in the game).
struct StartedGame {
    explicit StartedGame(uint64_t seed)
        : random(seed), game(platform, sound, random), surface(platform.textRenderer(), &platform.framePresenter()) {
        startUp(game, surface);
        runFrame(game, surface);
    }
    ~StartedGame() { shutDown(game); }
    // Runs frames until the loop ends; the number of frames run, at most
    // `most` (more means it did not end).
    int framesToEnd(int most) {
        for (int frame = 1; frame <= most; ++frame)
            if (runFrame(game, surface) != FrameEnd::Continue) return frame;
        return most + 1;
    }
    void frames(int n) {
        for (int i = 0; i < n; ++i) ASSERT_EQ(runFrame(game, surface), FrameEnd::Continue);
    }

    QtPlatform platform;
    SoundBank sound;
    SeededRandom random;
    Game game;
    DrawSurface surface;
};
}  // namespace

// A key storm (a stuck key, a fast auto-repeat, a program typing) piles up
// no more than about a second of input: the close button behind it ends the
// game within about 60 frames.
TEST_F(E2E, CloseAfterAKeyStormEndsTheLoopWithinASecond) {
    StartedGame g(3);
    for (int i = 0; i < 3000; ++i) pressKey(Qt::Key_X, "x");
    g.platform.window()->close();
    EXPECT_LE(g.framesToEnd(600), 61);
    EXPECT_EQ(g.game.state.event, EventClose);

    // Quit from the menu behind another storm leaves as quickly.
    for (int i = 0; i < 3000; ++i) pressKey(Qt::Key_X, "x");
    g.platform.postMenuEvent(MenuQuit);
    EXPECT_LE(g.framesToEnd(600), 61);
}

// At a player's speed every click and key press is taken, in order, also
// when a key press and a click arrive within the same frame.
TEST_F(E2E, ClicksAndKeysAtHumanSpeedAreEachTakenInOrder) {
    StartedGame g(4);
    const GameState& gs = g.game.state;

    // SPACE and a click together: the game starts first, then the click
    // launches (also on the sector panel).
    pressKey(Qt::Key_Space, " ");
    clickCanvas(g.platform, 350, 400);
    g.frames(3);
    EXPECT_EQ(gs.inGame, 1);
    EXPECT_EQ(gs.intermission, 1);
    EXPECT_EQ(gs.interceptors.size(), 1u);

    // A press a few frames apart, each: the panel closes, two launches, a
    // pause.
    pressKey(Qt::Key_Space, " ");
    g.frames(10);
    EXPECT_EQ(gs.intermission, 0);
    clickCanvas(g.platform, 900, 300);
    g.frames(6);
    clickCanvas(g.platform, 200, 300);
    g.frames(6);
    int64_t ammo = 0;
    for (size_t i = 0; i < gs.sites.size(); ++i) ammo += gs.sites[i].ammo;
    EXPECT_EQ(ammo, 6 * 10 - 3);
    pressKey(Qt::Key_P, "p");
    g.frames(2);
    EXPECT_EQ(gs.paused, 1);
}

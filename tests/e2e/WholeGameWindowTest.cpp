// A player's session in the real Qt window on the offscreen platform: every
// input goes through Qt (key presses to the focused widget, a mouse press on
// the canvas, menu items triggered, the About box answered by clicking its
// button), and the frame loop runs with its real sleeps.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QTimer>
#include <QUrl>
#include <filesystem>
#include <functional>

#include "QtTestApp.h"
#include "SoundRecorder.h"
#include "app/App.h"
#include "core/Game.h"
#include "core/Random.h"
#include "platform/qt/QtPlatform.h"
#include "render/DrawSurface.h"
#include "ui/AboutBox.h"

namespace {
QApplication& app() { return qtTestApp(); }

class Session : public ::testing::Test {
protected:
    Session() : random(5), game((app(), platform), sound, random), surface(platform.textRenderer(), &platform) {}

    void SetUp() override {
        char pattern[] = "/tmp/zarvex-session-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(folder));
        platform.setUrlOpenerForTesting([this](const QUrl& u) {
            opened.push_back(u.toString().toStdString());
            return true;
        });
        startUp(game, surface);
        // The window system activates the window asynchronously; the first
        // frame's event poll lets it settle, as it does in the game.
        runFrame(game, surface);
        exe = QString::fromStdString(executableName(platform.executablePath()));
    }
    void TearDown() override {
        shutDown(game);
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }

    // Runs frames (with their 16 ms sleeps) until the condition holds.
    bool framesUntil(const std::function<bool()>& done, int most = 200) {
        for (int i = 0; i < most; ++i) {
            if (runFrame(game, surface) != FrameEnd::Continue) return done();
            if (done()) return true;
        }
        return false;
    }
    void key(int k, const QString& text) {
        QWidget* target = QApplication::focusWidget();
        ASSERT_NE(target, nullptr);
        QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier, text);
        QCoreApplication::sendEvent(target, &press);
    }
    // A click on canvas pixel (x, y), wherever the window shows it.
    void click(int x, int y) {
        const QPointF at = platform.widgetPointOf(x, y);
        QMouseEvent press(QEvent::MouseButtonPress, at, at, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(platform.canvasWidget(), &press);
    }
    QAction* item(const QString& menu, const QString& text) {
        for (QAction* m : platform.window()->menuBar()->actions())
            if (m->text() == menu)
                for (QAction* a : m->menu()->actions())
                    if (a->text() == text) return a;
        return nullptr;
    }

    std::string folder;
    QtPlatform platform;
    SoundRecorder sound;
    SeededRandom random;
    Game game;
    DrawSurface surface;
    std::vector<std::string> opened;
    QString exe;  // the application menu's title: the executable's name
};
}  // namespace

TEST_F(Session, MenusCarryTheirTextsInOrder) {
    const auto menus = platform.window()->menuBar()->actions();
    ASSERT_EQ(menus.size(), 4);
    EXPECT_EQ(menus[0]->text(), exe);
    EXPECT_EQ(menus[1]->text(), "File");
    EXPECT_EQ(menus[2]->text(), "Difficulty");
    EXPECT_EQ(menus[3]->text(), "View");
    auto texts = [](QAction* m) {
        QStringList out;
        for (QAction* a : m->menu()->actions()) out << a->text();
        return out;
    };
    EXPECT_EQ(texts(menus[0]), QStringList({"About " + exe, "Quit " + exe}));
    EXPECT_EQ(texts(menus[1]), QStringList({"Show High Scores", "Watch Best Game", "Clear High Scores"}));
    EXPECT_EQ(texts(menus[2]), QStringList({"Easy", "Normal", "Hard"}));
    EXPECT_EQ(texts(menus[3]), QStringList({"Full Screen", "Mute Sound", "Show Frame Rate"}));
    for (QAction* a : menus[3]->menu()->actions()) EXPECT_TRUE(a->isCheckable());
    EXPECT_EQ(menus[3]->menu()->actions()[0]->shortcut(), QKeySequence(Qt::Key_F11));
    EXPECT_EQ(menus[3]->menu()->actions()[1]->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_M));
    for (QAction* m : {menus[1], menus[2]})
        for (QAction* a : m->menu()->actions()) {
            EXPECT_TRUE(a->isEnabled());
            EXPECT_FALSE(a->isCheckable());
            EXPECT_TRUE(a->shortcut().isEmpty());
        }
}

TEST_F(Session, SpaceSpaceAndAClickLaunchFromTheNearestSite) {
    key(Qt::Key_Space, " ");
    ASSERT_TRUE(framesUntil([&] { return game.state.inGame == 1; }));
    EXPECT_EQ(game.state.intermission, 1);  // the sector panel of level 1
    key(Qt::Key_Space, " ");
    ASSERT_TRUE(framesUntil([&] { return game.state.intermission == 0; }));

    sound.clearLog();
    click(350, 400);  // nearest to the site at x = 364
    ASSERT_TRUE(framesUntil([&] { return game.state.interceptors.size() == 1; }, 5));
    EXPECT_EQ(game.state.sites[1].ammo, 9);
    EXPECT_EQ(game.state.sites[0].ammo, 10);
    ASSERT_EQ(sound.playsOf(SoundLaunch).size(), 1u);
    EXPECT_EQ(sound.playsOf(SoundLaunch)[0].flags, PlayExtra);
    EXPECT_EQ(sound.playsOf(SoundLaunch)[0].volume, 70);
    EXPECT_EQ(game.state.mouseX, 350);
    EXPECT_EQ(game.state.mouseY, 400);
}

TEST_F(Session, ADifficultyChoiceRestartsAtLevelOne) {
    key(Qt::Key_Space, " ");
    key(Qt::Key_Space, " ");
    ASSERT_TRUE(framesUntil([&] { return game.state.inGame == 1 && game.state.intermission == 0; }));
    game.state.level = 7;
    game.state.score = 4200;
    QAction* hard = item("Difficulty", "Hard");
    ASSERT_NE(hard, nullptr);
    hard->trigger();
    ASSERT_TRUE(framesUntil([&] { return game.state.level == 1; }, 5));
    EXPECT_EQ(game.state.score, 0);
    EXPECT_EQ(game.state.difficulty, 2);
    EXPECT_EQ(game.state.speedFactor, 1.8f);
    EXPECT_EQ(game.state.intermission, 1);
    EXPECT_FALSE(std::filesystem::exists(folder + "/zvx_highscores.dat"));  // abandoned: no name asked
}

TEST_F(Session, TheAboutBoxIsAnsweredThroughQtAndOpensThePage) {
    QAction* about = item(exe, "About " + exe);
    ASSERT_NE(about, nullptr);
    std::string shownTitle, shownText;
    // The box is modal: answer it from inside its own event loop, first with
    // "See My Other Apps", the second time with "Ok".
    auto answer = [&](const QString& button) {
        QTimer::singleShot(50, [&, button] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            shownTitle = box->text().toStdString();
            shownText = box->informativeText().toStdString();
            for (QAbstractButton* b : box->buttons())
                if (b->text() == button) b->click();
        });
    };
    answer("See My Other Apps");
    about->trigger();
    ASSERT_TRUE(framesUntil([&] { return !opened.empty(); }, 10));
    EXPECT_EQ(opened[0], kProjectPage);
    EXPECT_EQ(shownTitle, "ZARVEX 1.01");
    EXPECT_EQ(shownText.rfind("A retro arcade game for Linux\nmade with great angst\n", 0), 0u);
    EXPECT_NE(shownText.find("Running on Linux "), std::string::npos);

    // The window system hands the activation back to the game window
    // through its event queue; the next frames' polls take it in, and keys
    // reach the canvas again without a click.
    ASSERT_TRUE(framesUntil([&] { return QApplication::focusWidget() == platform.canvasWidget(); }, 20));
    // During a game the box pauses it and resumes it when it closes.
    key(Qt::Key_Space, " ");
    key(Qt::Key_Space, " ");
    ASSERT_TRUE(framesUntil([&] { return game.state.inGame == 1 && game.state.intermission == 0; }));
    int64_t pausedWhileOpen = -1;
    QTimer::singleShot(50, [&] {
        pausedWhileOpen = game.state.paused;
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        for (QAbstractButton* b : box->buttons())
            if (b->text() == "Ok") b->click();
    });
    about->trigger();
    ASSERT_TRUE(framesUntil([&] { return pausedWhileOpen != -1; }, 10));
    EXPECT_EQ(pausedWhileOpen, 1);
    EXPECT_EQ(game.state.paused, 0);
    EXPECT_EQ(opened.size(), 1u);  // "Ok" opens nothing
}

TEST_F(Session, TheCloseButtonEndsTheLoopAfterItsFrame) {
    key(Qt::Key_Space, " ");
    key(Qt::Key_Space, " ");
    ASSERT_TRUE(framesUntil([&] { return game.state.inGame == 1 && game.state.intermission == 0; }));
    const int64_t spawned = game.state.spawned;
    platform.window()->close();
    EXPECT_EQ(runFrame(game, surface), FrameEnd::Close);
    EXPECT_EQ(game.state.spawned, spawned + 1);  // that frame's step still ran
}

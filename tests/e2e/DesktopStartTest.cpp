// The program's own wiring of the desktop (DesktopGame, as main starts it)
// with the real start-up: a remembered mute is silence from the start, and
// leaving the window for another application pauses a battle.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMessageBox>
#include <QSettings>
#include <QTimer>
#include <filesystem>

#include "DesktopGame.h"
#include "QtTestApp.h"
#include "app/App.h"
#include "app/Dispatch.h"
#include "core/Game.h"
#include "core/Random.h"
#include "platform/qt/ViewSettings.h"
#include "render/DrawSurface.h"

namespace {

// The settings and the Hall of Fame in folders of the test's own.
class DesktopStart : public ::testing::Test {
protected:
    void SetUp() override {
        qtTestApp();
        char pattern[] = "/tmp/zarvex-desktop-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        oldConfig = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(folder + "/config"));
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(folder + "/data"));
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, QString::fromStdString(folder + "/config"));
    }
    void TearDown() override {
        qputenv("XDG_CONFIG_HOME", oldConfig);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, QString::fromUtf8(oldConfig));
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }
    std::string folder;
    QByteArray oldConfig;
};

// The desktop wired as main wires it, started as runGame starts it.
struct StartedDesktop {
    StartedDesktop()
        : random(7),
          game(desktop.platform, desktop.sound, random),
          surface(desktop.platform.textRenderer(), &desktop.platform.framePresenter()) {
        startUp(game, surface);
    }
    ~StartedDesktop() { shutDown(game); }
    DesktopGame desktop;
    SeededRandom random;
    Game game;
    DrawSurface surface;
};

}  // namespace

TEST_F(DesktopStart, ARememberedMuteIsSilenceFromTheStartAndTheMenuAgrees) {
    for (const bool remembered : {true, false, true}) {
        saveViewSettings({false, remembered});
        StartedDesktop d;
        EXPECT_EQ(d.desktop.sound.muted(), remembered);
        EXPECT_EQ(d.desktop.platform.muteAction()->isChecked(), remembered);
        // The sound device and the controllers wait for the first frame.
        EXPECT_FALSE(d.desktop.gamepads.has_value());
        runFrame(d.game, d.surface);
        runFrame(d.game, d.surface);
        EXPECT_TRUE(d.desktop.gamepads.has_value());
        EXPECT_EQ(d.desktop.sound.muted(), remembered);
        // And the menu still steers it.
        d.desktop.platform.muteAction()->trigger();
        EXPECT_EQ(d.desktop.sound.muted(), !remembered);
    }
}

TEST_F(DesktopStart, LeavingForAnotherApplicationPausesABattleAsMinimisingDoes) {
    StartedDesktop d;
    QtPlatform& platform = d.desktop.platform;
    GameState& s = d.game.state;
    // The window system settles (the window becomes active) in the first
    // frames, as in the game.
    for (int i = 0; i < 3; ++i) runFrame(d.game, d.surface);
    const auto leaveAndComeBack = [&] {
        emit qApp->applicationStateChanged(Qt::ApplicationInactive);
        const WindowEvent away = platform.pollEvent();
        emit qApp->applicationStateChanged(Qt::ApplicationActive);
        dispatchEvent(d.game, away);
        return away.code;
    };

    // On the title nothing pauses, though the event is the same.
    EXPECT_EQ(leaveAndComeBack(), EventMinimise);
    EXPECT_EQ(s.inGame, 0);
    EXPECT_EQ(s.paused, 0);

    handleKey(d.game, KeySpace);  // the sector panel
    handleKey(d.game, KeySpace);  // the battle
    ASSERT_EQ(s.inGame, 1);
    ASSERT_EQ(s.intermission, 0);
    EXPECT_EQ(leaveAndComeBack(), EventMinimise);
    EXPECT_EQ(s.paused, 1);
    EXPECT_EQ(platform.pollEvent().code, EventNone);  // coming back does not resume
    handleKey(d.game, KeyP);
    EXPECT_EQ(s.paused, 0);

    // The game's own boxes keep the application active: no pause after one.
    QTimer::singleShot(50, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) box->reject();
    });
    EXPECT_FALSE(platform.yesNoBox("Clear High Scores", "Sure?"));
    for (int i = 0; i < 5; ++i) EXPECT_NE(platform.pollEvent().code, EventMinimise);
    EXPECT_EQ(s.paused, 0);
}

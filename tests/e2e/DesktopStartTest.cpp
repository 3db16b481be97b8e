// The program's own wiring of the desktop (DesktopGame, as main starts it)
// with the real start-up: a remembered mute is silence from the start, and
// leaving the window for another application pauses a battle.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
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

// The settings and the Hall of Fame in a folder of the test's own.
class DesktopStart : public ::testing::Test {
protected:
    void SetUp() override {
        qtTestApp();
        ASSERT_NE(mkdtemp(folder.data()), nullptr);
        for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME"}) qputenv(name, folder.c_str());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, QString::fromStdString(folder));
    }
    void TearDown() override {
        for (const auto& [name, value] : saved) qputenv(name, value);
        const QByteArray config = saved[0].second;
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                           config.isEmpty() ? QDir::homePath() + "/.config" : QString::fromUtf8(config));
        std::filesystem::remove_all(folder);
    }
    std::string folder = "/tmp/zarvex-desktop-XXXXXX";
    const std::pair<const char*, QByteArray> saved[2] = {{"XDG_CONFIG_HOME", qgetenv("XDG_CONFIG_HOME")},
                                                         {"XDG_DATA_HOME", qgetenv("XDG_DATA_HOME")}};
};

// The desktop wired as main wires it, started as runGame starts it.
struct StartedDesktop {
    StartedDesktop() { startUp(game, surface); }
    ~StartedDesktop() { shutDown(game); }
    DesktopGame desktop;
    SeededRandom random{7};
    Game game{desktop.platform, desktop.sound, random};
    DrawSurface surface{desktop.platform.textRenderer(), &desktop.platform.framePresenter()};
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

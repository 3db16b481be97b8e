// The Qt side of the platform on the offscreen platform: how Qt's events
// become the game's, text metrics, locale grouping and system facts.
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <QUrl>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ModalGuard.h"
#include "QtTestApp.h"
#include "platform/SystemInfo.h"
#include "platform/qt/QtPlatform.h"
#include "platform/qt/QtTextRenderer.h"
#include "platform/qt/ViewSettings.h"

namespace {
QApplication& app() { return qtTestApp(); }

std::vector<WindowEvent> drain(QtPlatform& p) {
    std::vector<WindowEvent> out;
    for (;;) {
        WindowEvent e = p.pollEvent();
        if (e.code == EventNone) break;
        out.push_back(e);
    }
    return out;
}

void sendKey(QWidget* w, int key, const QString& text, bool repeat = false) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text, repeat);
    QCoreApplication::sendEvent(w, &press);
}
}  // namespace

TEST(GameKeys, LettersFoldAndTheGameKeysHaveTheirValues) {
    EXPECT_EQ(gameKeyValue(Qt::Key_Space, " "), 32);
    EXPECT_EQ(gameKeyValue(Qt::Key_Escape, QString(QChar(27))), 27);
    EXPECT_EQ(gameKeyValue(Qt::Key_I, "i"), 105);
    EXPECT_EQ(gameKeyValue(Qt::Key_I, "I"), 105);  // shift or caps lock
    EXPECT_EQ(gameKeyValue(Qt::Key_P, "P"), 112);
    EXPECT_EQ(gameKeyValue(Qt::Key_P, QString(QChar(16))), 112);  // with Ctrl
    EXPECT_EQ(gameKeyValue(Qt::Key_1, "1"), '1');
    EXPECT_EQ(gameKeyValue(Qt::Key_Exclam, "!"), '!');
    EXPECT_EQ(gameKeyValue(Qt::Key_Left, ""), Qt::Key_Left);  // no character: never a game key
}

TEST(SystemFacts, ParsedFromTheSystemsOwnTexts) {
    EXPECT_EQ(fullNameFromGecos("Ada Lovelace,Room 1,123,"), "Ada Lovelace");
    EXPECT_EQ(fullNameFromGecos(""), "");
    EXPECT_EQ(majorVersionFromRelease("6.1.0-18-amd64"), 6);
    EXPECT_EQ(majorVersionFromRelease("14.2"), 14);
    EXPECT_EQ(majorVersionFromRelease("x"), 0);
    EXPECT_EQ(majorVersionFromRelease("99999999999999999999"), 0);
    EXPECT_EQ(cpuBrandFromCpuinfo("processor\t: 0\nmodel name\t: \t Ryzen Z 9\nflags: x\nmodel name: other\n"),
              "Ryzen Z 9");
    EXPECT_EQ(cpuBrandFromCpuinfo("processor: 0\n"), std::nullopt);
    EXPECT_EQ(cpuBrandFromCpuinfo("model name:\n"), std::nullopt);
    EXPECT_EQ(cpuBrandFromCpuinfo("model name: " + std::string(5000, 'x'))->size(), 1024u);
    EXPECT_GE(systemOsMajorVersion(), 1);
}

namespace {
// Sets (or, with nullptr, removes) environment variables for one test and
// puts them back as they were.
class ScopedEnvironment {
public:
    ScopedEnvironment(std::initializer_list<std::pair<const char*, const char*>> values) {
        for (const auto& [name, value] : values) {
            const char* old = std::getenv(name);
            saved_.push_back({name, old ? std::optional<std::string>(old) : std::nullopt});
            if (value)
                setenv(name, value, 1);
            else
                unsetenv(name);
        }
    }
    ~ScopedEnvironment() {
        for (const auto& [name, old] : saved_) {
            if (old)
                setenv(name.c_str(), old->c_str(), 1);
            else
                unsetenv(name.c_str());
        }
    }

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};
}  // namespace

TEST(QtPlatformDataHome, FollowsTheXdgRulesWithTheAccountsHomeWhenHomeIsMissing) {
    app();
    const auto data = [](std::string_view xdg, std::string_view home, std::string_view account) {
        return xdgFolderFrom(xdg, home, account, ".local/share");
    };
    EXPECT_EQ(data("/data", "/home/a", "/home/b"), "/data");
    EXPECT_EQ(data("", "/home/a", "/home/b"), "/home/a/.local/share");
    EXPECT_EQ(data("relative/data", "/home/a/", "/home/b"), "/home/a/.local/share");  // ignored
    EXPECT_EQ(data("", "", "/home/b"), "/home/b/.local/share");
    EXPECT_EQ(data("", "home/a", "/home/b"), "/home/b/.local/share");
    EXPECT_EQ(data("", "", "/"), "/.local/share");  // an account whose home is the root
    EXPECT_EQ(data("", "", ""), "");                 // no home at all: no data folder
    EXPECT_EQ(data("data", "", "nowhere"), "");
    EXPECT_EQ(xdgFolderFrom("", "", "/home/b", ".config"), "/home/b/.config");

    // The real platform with neither HOME nor XDG_DATA_HOME: the account's
    // home folder, from the password database.
    const passwd* account = getpwuid(getuid());
    ASSERT_NE(account, nullptr);
    const std::string accountData = std::string(account->pw_dir) + "/.local/share";
    {
        ScopedEnvironment env{{"HOME", nullptr}, {"XDG_DATA_HOME", nullptr}, {"XDG_CONFIG_HOME", nullptr}};
        EXPECT_EQ(accountHomeFolder(), account->pw_dir);
        EXPECT_EQ(systemDataHome(), accountData);
        EXPECT_EQ(systemConfigHome(), std::string(account->pw_dir) + "/.config");
        QtPlatform p;
        EXPECT_EQ(p.applicationSupportDir(), accountData);
    }
    EXPECT_NE(std::getenv("HOME"), nullptr);  // put back

    // HOME with a relative XDG_DATA_HOME: HOME's data folder, made when it
    // is missing.
    std::string home = ::testing::TempDir() + "zarvex-home-XXXXXX";
    ASSERT_NE(mkdtemp(home.data()), nullptr);
    {
        ScopedEnvironment env{{"HOME", home.c_str()}, {"XDG_DATA_HOME", "relative"}};
        QtPlatform p;
        EXPECT_EQ(p.applicationSupportDir(), home + "/.local/share");
        EXPECT_TRUE(std::filesystem::is_directory(home + "/.local/share"));
    }
    std::filesystem::remove_all(home);

    // A user id with no account entry and no HOME has no data folder.
    if (geteuid() != 0) GTEST_SKIP() << "only root can run a check as a user id without an account";
    EXPECT_EXIT(
        {
            unsetenv("HOME");
            unsetenv("XDG_DATA_HOME");
            unsetenv("XDG_CONFIG_HOME");
            uid_t id = 54321;
            while (getpwuid(id) != nullptr) ++id;
            if (setgid(id) != 0 || setuid(id) != 0) _exit(2);
            _exit(accountHomeFolder().empty() && systemDataHome().empty() && systemConfigHome().empty() ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

// The view choices live in zarvex.conf in the XDG config home, whatever the
// environment: with HOME, without it (the account's home), with a relative
// XDG_CONFIG_HOME (ignored); with no home folder at all nowhere.
TEST(QtPlatformViewSettings, KeptInTheConfigFolderAndNowhereWithoutAHome) {
    app();
    struct Case {
        const char* home;
        const char* config;
        std::string folder;
    };
    for (const Case& c : {Case{"/h", "/cfg", "/cfg"}, Case{"/h", "relative", "/h/.config"},
                          Case{nullptr, nullptr, std::string(getpwuid(getuid())->pw_dir) + "/.config"}}) {
        ScopedEnvironment env{{"HOME", c.home}, {"XDG_CONFIG_HOME", c.config}};
        EXPECT_EQ(viewSettingsFile().toStdString(), c.folder + "/zarvex/zarvex.conf");
    }

    if (geteuid() != 0) GTEST_SKIP() << "only root can run a check as a user id without an account";
    EXPECT_EXIT(
        {
            unsetenv("HOME");
            unsetenv("XDG_CONFIG_HOME");
            uid_t id = 54321;
            while (getpwuid(id) != nullptr) ++id;
            if (setgid(id) != 0 || setuid(id) != 0) _exit(2);
            saveViewSettings({true, true});
            const ViewSettings back = loadViewSettings();
            _exit(viewSettingsFile().isEmpty() && !back.fullScreen && !back.muted ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

// Only a small regular file is read, at once: a FIFO (which would wait for a
// writer for ever), a file of 100 MB or a folder in its place means the
// defaults, and a save replaces what it can. The zarvex.ini of earlier
// versions is read once and moved to the new name.
TEST(QtPlatformViewSettings, OnlyASmallRegularFileIsReadAndTheOldNameMoves) {
    app();
    std::string config = ::testing::TempDir() + "zarvex-config-XXXXXX";
    ASSERT_NE(mkdtemp(config.data()), nullptr);
    ScopedEnvironment env{{"XDG_CONFIG_HOME", config.c_str()}};
    const std::filesystem::path folder = config + "/zarvex", file = folder / "zarvex.conf";
    std::filesystem::create_directories(folder);
    for (int kind = 0; kind < 3; ++kind) {
        if (kind == 0) mkfifo(file.c_str(), 0600);
        if (kind == 1) std::ofstream(file) << "[view]\nfullScreen=true\n[sound]\nmuted=true\n";
        if (kind == 1) std::filesystem::resize_file(file, 100u << 20);
        if (kind == 2) std::filesystem::create_directory(file);
        alarm(20);  // a read that waits ends the test here
        const ViewSettings s = loadViewSettings();
        EXPECT_FALSE(s.fullScreen || s.muted);
        saveViewSettings({true, false});
        alarm(0);
        EXPECT_EQ(loadViewSettings().fullScreen, !std::filesystem::is_directory(file));  // a folder stays
        std::filesystem::remove_all(file);
    }

    std::ofstream(folder / "zarvex.ini") << "[sound]\nmuted=true\n\n[view]\nfullScreen=false\n";
    EXPECT_TRUE(loadViewSettings().muted);
    EXPECT_FALSE(std::filesystem::exists(folder / "zarvex.ini"));
    EXPECT_TRUE(loadViewSettings().muted);  // now from zarvex.conf
    std::filesystem::remove_all(config);
}

TEST(QtPlatformLocale, GroupsDigitsTheLocalesWay) {
    app();
    QtPlatform p;
    p.setLocaleForTesting(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(p.formatGrouped(10000), "10,000");
    EXPECT_EQ(p.formatGrouped(999), "999");
    EXPECT_EQ(p.formatGrouped(0), "0");
    EXPECT_EQ(p.formatGrouped(1234567), "1,234,567");
    p.setLocaleForTesting(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(p.formatGrouped(10000), "10.000");
    p.setLocaleForTesting(QLocale::c());
    EXPECT_EQ(p.formatGrouped(10000), "10,000");  // the bare C locale reads as English
}

TEST(QtText, MeasuresPerFontAndFallsBackForUnknownFamilies) {
    app();
    QtTextRenderer text;
    const FontHandle big = text.loadFont(".AppleSystemUIFont", 104, FontBold);
    const FontHandle small = text.loadFont(".AppleSystemUIFont", 16, 0);
    const FontHandle missing = text.loadFont("No Such Family Anywhere", 16, 0);
    const double wBig = text.textWidth(big, "ZARVEX");
    const double wSmall = text.textWidth(small, "ZARVEX");
    const double wDefault = text.textWidth(defaultFont, "ZARVEX");
    EXPECT_GT(wBig, wSmall);
    EXPECT_GT(wSmall, wDefault);
    EXPECT_GT(wDefault, 0);
    EXPECT_DOUBLE_EQ(text.textWidth(missing, "ZARVEX"), wSmall);  // the system font of that size
    EXPECT_TRUE(text.qfont(big).bold());
    EXPECT_EQ(text.qfont(small).pixelSize(), 16);
    EXPECT_GT(text.textHeight(small, "PAUSED"), 15.0);

    // Glyphs land inside the line box, in the colour asked for, and text far
    // off the canvas is ignored.
    std::vector<uint32_t> px(200 * 50, 0xff000000u);
    Canvas c{px.data(), 200, 50, 200};
    text.drawGlyphs(c, small, 10, 10, "MMMM", 0x0000ff);  // red
    text.drawGlyphs(c, small, int64_t(1) << 40, -(int64_t(1) << 40), "MMMM", 0xffffff);
    int lit = 0;
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 200; ++x)
            if (px[y * 200 + x] != 0xff000000u) {
                ++lit;
                EXPECT_GE(x, 10);
                EXPECT_GE(y, 10);
                EXPECT_LT(y, 10 + text.textHeight(small, "MMMM") + 1);
                EXPECT_EQ(px[y * 200 + x] & 0x0000ffffu, 0u) << "only red light";
            }
    EXPECT_GT(lit, 20);

    // The second drawing of a text (from its cached coverage) in another
    // colour lights the same pixels; text half off the canvas is clipped.
    std::vector<uint32_t> again(200 * 50, 0xff000000u);
    Canvas c2{again.data(), 200, 50, 200};
    text.drawGlyphs(c2, small, 10, 10, "MMMM", 0x00ff00);
    int same = 0;
    for (size_t i = 0; i < px.size(); ++i) {
        EXPECT_EQ(px[i] != 0xff000000u, again[i] != 0xff000000u);
        same += again[i] != 0xff000000u;
        EXPECT_EQ(again[i] & 0x00ff00ffu, 0u) << "only green light";
    }
    EXPECT_EQ(same, lit);
    text.drawGlyphs(c2, big, -150, -60, "ZARVEX", 0xffffff);
    text.drawGlyphs(c2, big, 190, 45, "ZARVEX", 0xffffff);
}

TEST(QtPlatformEvents, CanvasWindowAndMenuEventsBecomeTheGames) {
    app();
    QtPlatform p;
    p.becomeForegroundApp();
    p.openWindow("ZARVEX v1.01", 1280, 768);
    p.buildMenus({{"zarvex", {{"About zarvex", MenuAbout}, {"Quit zarvex", MenuQuit}}, true},
                  {"File", {{"Show High Scores", MenuShowHighScores}}, false}});
    p.hideCursorOverCanvas();
    p.focusCanvas();
    drain(p);
    ASSERT_NE(p.window(), nullptr);
    EXPECT_EQ(p.window()->windowTitle(), "ZARVEX v1.01");
    QWidget* canvas = p.canvasWidget();
    ASSERT_NE(canvas, nullptr);
    EXPECT_EQ(canvas->cursor().shape(), Qt::BlankCursor);
    EXPECT_LT(p.window()->minimumSize().width(), p.window()->maximumSize().width());  // resizable

    const QPointF at = p.widgetPointOf(100, 200), corner = p.widgetPointOf(5, 6);
    QMouseEvent press(QEvent::MouseButtonPress, at, at, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(canvas, &press);
    sendKey(canvas, Qt::Key_P, "p");
    sendKey(canvas, Qt::Key_P, "p", true);  // auto-repeat is one more key press
    sendKey(p.window(), Qt::Key_Space, " ");  // a key the window got instead
    // Another button carries only the pointer position (last here: a canvas
    // event right behind it would take its place).
    QMouseEvent right(QEvent::MouseButtonPress, corner, corner, Qt::RightButton, Qt::RightButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(canvas, &right);
    QCloseEvent close;
    QCoreApplication::sendEvent(p.window(), &close);
    EXPECT_FALSE(close.isAccepted());  // the window stays open
    p.postMenuEvent(MenuAboutBox);

    const auto events = drain(p);
    ASSERT_EQ(events.size(), 7u);
    EXPECT_EQ(events[0].code, EventCanvas);
    EXPECT_EQ(events[0].canvasType, CanvasLeftDown);
    EXPECT_EQ(events[0].x, 100);
    EXPECT_EQ(events[0].y, 200);
    EXPECT_EQ(events[1].canvasType, CanvasKeyDown);
    EXPECT_EQ(events[1].key, KeyP);
    EXPECT_EQ(events[2].key, KeyP);
    EXPECT_EQ(events[3].key, KeySpace);
    EXPECT_EQ(events[4].canvasType, CanvasOther);
    EXPECT_EQ(events[4].x, 5);
    EXPECT_EQ(events[4].y, 6);
    EXPECT_EQ(events[5].code, EventClose);
    EXPECT_EQ(events[6].code, EventMenu);
    EXPECT_EQ(events[6].menuId, MenuAboutBox);
    EXPECT_TRUE(p.window()->isVisible());

    // Menu items send their ids; Quit carries the platform's shortcut.
    const auto menus = p.window()->menuBar()->actions();
    ASSERT_EQ(menus.size(), 3);  // and the View menu of the platform's own
    const auto appItems = menus[0]->menu()->actions();
    ASSERT_EQ(appItems.size(), 2);
    EXPECT_EQ(appItems[0]->menuRole(), QAction::AboutRole);
    EXPECT_EQ(appItems[1]->menuRole(), QAction::QuitRole);
    EXPECT_EQ(appItems[1]->shortcut(), QKeySequence(QKeySequence::Quit));
    menus[1]->menu()->actions()[0]->trigger();
    appItems[1]->trigger();
    const auto menuEvents = drain(p);
    ASSERT_EQ(menuEvents.size(), 2u);
    EXPECT_EQ(menuEvents[0].menuId, MenuShowHighScores);
    EXPECT_EQ(menuEvents[1].menuId, MenuQuit);

    // Minimising becomes event 12.
    p.window()->showMinimized();
    const auto minimised = drain(p);
    bool sawMinimise = false;
    for (const auto& e : minimised) sawMinimise |= e.code == EventMinimise;
    EXPECT_TRUE(sawMinimise);
    p.closeWindow();
    EXPECT_EQ(p.window(), nullptr);
}

TEST(QtPlatformMisc, AddressesPathsAndClock) {
    app();
    QtPlatform p;
    std::vector<QString> opened;
    p.setUrlOpenerForTesting([&](const QUrl& u) {
        opened.push_back(u.toString());
        return true;
    });
    EXPECT_TRUE(p.openWebAddress("https://zarvex.example.org/apps"));
    EXPECT_FALSE(p.openWebAddress("not a web address with spaces"));
    EXPECT_FALSE(p.openWebAddress(""));
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], "https://zarvex.example.org/apps");
    EXPECT_FALSE(p.applicationSupportDir().empty());
    EXPECT_EQ(p.applicationSupportDir().front(), '/');
    EXPECT_EQ(p.executablePath().front(), '/');
    const int64_t t0 = p.clockMicros();
    p.sleepUntilMicros(t0 + 20'000);
    EXPECT_GE(p.clockMicros() - t0, 20'000);
    EXPECT_EQ(p.platformName(), "Linux");
}

namespace {
// What a modal box showed when it was answered from inside its own loop.
struct ShownBox {
    bool messageBox = false;  // a plain QMessageBox
    QRect frame;              // on the screen, frame included
    QRect okButton;           // on the screen
    bool okVisible = false;
    int scrollRange = 0;      // of its scrolling text, if any
    QString text;
    bool plainText = false;   // never read as markup
};

// Opens a box through `open` and, once it is up, notes what it shows and
// closes it with `close`. A box that does not close within seconds is
// closed by force, and the test fails.
ShownBox answerBox(const std::function<void()>& open, const std::function<void(QWidget*, QPushButton*)>& close) {
    ShownBox seen;
    bool answered = false;
    QTimer::singleShot(50, [&] {
        QWidget* box = QApplication::activeModalWidget();
        if (!box) return;
        answered = true;
        seen.messageBox = qobject_cast<QMessageBox*>(box) != nullptr;
        seen.frame = box->frameGeometry();
        QPushButton* ok = nullptr;
        for (QPushButton* b : box->findChildren<QPushButton*>())
            if (b->text().remove('&') == "OK") ok = b;
        if (ok) {
            seen.okVisible = ok->isVisible();
            seen.okButton = QRect(ok->mapToGlobal(QPoint(0, 0)), ok->size());
        }
        if (auto* view = box->findChild<QPlainTextEdit*>()) {
            seen.scrollRange = view->verticalScrollBar()->maximum();
            seen.text = view->toPlainText();
            seen.plainText = true;
        } else if (auto* message = qobject_cast<QMessageBox*>(box)) {
            seen.text = message->text();
            seen.plainText = message->textFormat() == Qt::PlainText;
        }
        close(box, ok);
    });
    const ModalGuard guard;
    open();
    EXPECT_TRUE(answered) << "no modal box came up";
    EXPECT_FALSE(guard.fired()) << "the box did not close when answered";
    return seen;
}

void pressOn(QWidget* box, int key) {
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : box;
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &press);
}
}  // namespace

// The Hall of Fame of a hand-made file with thousands of entries: a box that
// fits the screen, its list scrolling, OK in reach; short texts keep the
// plain message box.
TEST(QtPlatformBoxes, ATextTallerThanTheScreenScrollsInABoxThatFits) {
    app();
    QtPlatform p;
    p.becomeForegroundApp();
    p.openWindow("ZARVEX v1.01", 1280, 768);
    drain(p);
    const QRect available = p.window()->screen()->availableGeometry();

    std::string hall = "Top High Scores:\n\r";
    for (int i = 0; i < 4096; ++i) hall += "FILL" + std::to_string(i) + " - 255\n";
    const auto clickOk = [](QWidget*, QPushButton* ok) {
        ASSERT_NE(ok, nullptr);
        ok->click();
    };
    ShownBox seen = answerBox([&] { p.messageBox("ZARVEX Hall of Fame", hall + "\n"); }, clickOk);
    EXPECT_FALSE(seen.messageBox);
    EXPECT_TRUE(available.contains(seen.frame)) << seen.frame.height() << " tall on " << available.height();
    EXPECT_TRUE(seen.okVisible);
    EXPECT_TRUE(seen.frame.contains(seen.okButton));
    EXPECT_GT(seen.scrollRange, 0);
    EXPECT_TRUE(seen.text.startsWith("Top High Scores:\n\nFILL0 - 255\n"));
    EXPECT_TRUE(seen.text.contains("FILL4095 - 255\n"));

    // Return and Escape close it, as they close a message box.
    for (int key : {Qt::Key_Return, Qt::Key_Escape})
        answerBox([&] { p.messageBox("ZARVEX Hall of Fame", hall); }, [key](QWidget* box, QPushButton*) {
            pressOn(box, key);
        });

    // A name of kilobytes is broken inside the box, not wider than the screen.
    const std::string wide = "Top High Scores:\n\r" + std::string(4096, 'W') + " - 5\n";
    seen = answerBox([&] { p.messageBox("ZARVEX Hall of Fame", wide); }, clickOk);
    EXPECT_FALSE(seen.messageBox);
    EXPECT_TRUE(available.contains(seen.frame));

    // A table of ten, and text that looks like markup, in the plain box.
    seen = answerBox([&] { p.messageBox("ZARVEX Hall of Fame", "Top High Scores:\n\r<b>ACE</b> - 700\n\n"); },
                     clickOk);
    EXPECT_TRUE(seen.messageBox);
    EXPECT_EQ(seen.text, "Top High Scores:\n\n<b>ACE</b> - 700\n\n");
    EXPECT_TRUE(seen.plainText);
    p.closeWindow();
}

// ZARVEX: start-up, the frame loop and shut-down over the Qt desktop, the
// miniaudio sound bank and SDL's game controllers.
//   zarvex                  plays
//   zarvex --replay FILE    watches a recorded game first, then plays
//   zarvex --verify FILE    plays a recorded game again without a window,
//                           at full speed, and tells whether it holds
//   zarvex --version        prints "zarvex 1.01"
// Qt's own options (-platform and the like) pass through.
#include <QApplication>
#include <QDir>
#include <QLibraryInfo>
#include <algorithm>
#include <chrono>
#include <cstring>
#include <iostream>
#include <random>
#include <string>

#include "DesktopGame.h"
#include "app/App.h"
#include "app/Replayer.h"
#include "core/Random.h"
#include "platform/SystemInfo.h"

namespace {

constexpr const char* kUsage =
    "usage: zarvex [--replay FILE | --verify FILE] [Qt options]\n"
    "       zarvex --version | --help\n"
    "  --replay FILE  watch a recorded game, then play\n"
    "  --verify FILE  play a recorded game again without a window and tell whether it holds\n"
    "  --version      print the game's version\n"
    "  --help         print this help\n";

// Whether Qt's Wayland platform plugin (Debian's qt6-wayland) is where Qt
// looks for platform plugins.
bool waylandPluginInstalled() {
    QStringList folders = qEnvironmentVariable("QT_QPA_PLATFORM_PLUGIN_PATH").split(':', Qt::SkipEmptyParts);
    for (const QString& path : qEnvironmentVariable("QT_PLUGIN_PATH").split(':', Qt::SkipEmptyParts))
        folders << path + "/platforms";
    folders << QLibraryInfo::path(QLibraryInfo::PluginsPath) + "/platforms";
    for (const QString& folder : folders)
        if (!QDir(folder).entryList({QStringLiteral("*wayland*")}, QDir::Files).isEmpty()) return true;
    return false;
}

// Qt aborts with a misleading word ("Reinstalling the application may fix
// this problem") when it is asked for Wayland and its plugin is missing.
// The X display (Xwayland, on a Wayland desktop) does as well when there is
// one; otherwise the player is told what to install. False: no window can
// open.
bool chooseWindowSystem(int argc, char** argv) {
    int platformArg = 0;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0) platformArg = i + 1;
    QString asked = platformArg ? QString::fromLocal8Bit(argv[platformArg]) : qEnvironmentVariable("QT_QPA_PLATFORM");
    // Unasked, Qt takes Wayland alone in a Wayland session.
    if (asked.isEmpty() && qEnvironmentVariable("XDG_SESSION_TYPE") == QStringLiteral("wayland"))
        asked = QStringLiteral("wayland");
    const QStringList names = asked.split(';', Qt::SkipEmptyParts);
    const bool onlyWayland = !names.isEmpty() && std::all_of(names.begin(), names.end(), [](const QString& n) {
        return n.startsWith(QStringLiteral("wayland"));
    });
    if (!onlyWayland || waylandPluginInstalled()) return true;
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::cerr << "zarvex: cannot open a window on Wayland: Qt's Wayland plugin is not installed "
                     "(Debian's package qt6-wayland), and there is no X display (DISPLAY) to use instead\n";
        return false;
    }
    std::cerr << "zarvex: Qt's Wayland plugin is not installed (Debian's package qt6-wayland): "
                 "the window opens on the X display instead\n";
    if (platformArg) argv[platformArg] = const_cast<char*>("xcb");
    qputenv("QT_QPA_PLATFORM", "xcb");
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    std::string replayToWatch;
    if (argc >= 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::cout << kUsage;
        return 0;
    }
    if (argc >= 2 && std::strcmp(argv[1], "--version") == 0) {
        std::cout << "zarvex " << kGameVersion << "\n";
        return 0;
    }
    if (argc >= 2 && (std::strcmp(argv[1], "--verify") == 0 || std::strcmp(argv[1], "--replay") == 0)) {
        if (argc < 3) {
            std::cerr << kUsage;
            return 2;
        }
        // Verifying needs no window, no sound and no Qt at all.
        // The player's Hall of Fame is looked up in their data folder.
        if (std::strcmp(argv[1], "--verify") == 0)
            return verifyReplayFile(argv[2], systemDataHome(), std::cout, std::cerr);
        replayToWatch = argv[2];
        // The two words are ours, not Qt's.
        for (int i = 3; i < argc; ++i) argv[i - 2] = argv[i];
        argc -= 2;
        argv[argc] = nullptr;
    }
    if (!chooseWindowSystem(argc, argv)) return 1;
    QApplication application(argc, argv);

    std::random_device device;
    const uint64_t seed = (uint64_t(device()) << 32) ^ uint64_t(device()) ^
                          uint64_t(std::chrono::steady_clock::now().time_since_epoch().count());
    SeededRandom random(seed);

    DesktopGame desktop;
    return runGame(desktop.platform, desktop.sound, random, replayToWatch);
}

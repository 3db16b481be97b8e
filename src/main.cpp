// ZARVEX: start-up, the frame loop and shut-down over the Qt desktop, the
// miniaudio sound bank and SDL's game controllers.
//   zarvex                  plays
//   zarvex --replay FILE    watches a recorded game first, then plays
//   zarvex --verify FILE    plays a recorded game again without a window,
//                           at full speed, and tells whether it holds
//   zarvex --version        prints "zarvex 1.01"
// Qt's own options (-platform and the like) pass through.
#include <QApplication>
#include <chrono>
#include <cstring>
#include <iostream>
#include <random>
#include <string>

#include "DesktopGame.h"
#include "app/App.h"
#include "app/Replayer.h"
#include "core/Random.h"

namespace {

constexpr const char* kUsage =
    "usage: zarvex [--replay FILE | --verify FILE] [Qt options]\n"
    "       zarvex --version | --help\n"
    "  --replay FILE  watch a recorded game, then play\n"
    "  --verify FILE  play a recorded game again without a window and tell whether it holds\n"
    "  --version      print the game's version\n"
    "  --help         print this help\n";

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
        if (std::strcmp(argv[1], "--verify") == 0) return verifyReplayFile(argv[2], std::cout);
        replayToWatch = argv[2];
        // The two words are ours, not Qt's.
        for (int i = 3; i < argc; ++i) argv[i - 2] = argv[i];
        argc -= 2;
        argv[argc] = nullptr;
    }
    QApplication application(argc, argv);

    std::random_device device;
    const uint64_t seed = (uint64_t(device()) << 32) ^ uint64_t(device()) ^
                          uint64_t(std::chrono::steady_clock::now().time_since_epoch().count());
    SeededRandom random(seed);

    DesktopGame desktop;
    return runGame(desktop.platform, desktop.sound, random, replayToWatch);
}

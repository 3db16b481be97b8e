// ZARVEX: start-up, the frame loop and shut-down over the Qt desktop, the
// miniaudio sound bank and SDL's game controllers.
#include <QApplication>
#include <chrono>
#include <random>

#include "app/App.h"
#include "audio/miniaudio/SoundBank.h"
#include "core/Random.h"
#include "platform/qt/QtPlatform.h"
#include "platform/sdl/Gamepads.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);

    std::random_device device;
    const uint64_t seed = (uint64_t(device()) << 32) ^ uint64_t(device()) ^
                          uint64_t(std::chrono::steady_clock::now().time_since_epoch().count());
    SeededRandom random(seed);

    Gamepads gamepads;
    QtPlatform platform;
    platform.setControllers(&gamepads);
    SoundBank sound;
    // View > Mute Sound silences the output itself; the game's sound calls
    // stay the same.
    platform.setMuteHandler([&sound](bool muted) { sound.setMuted(muted); });
    return runGame(platform, sound, random);
}

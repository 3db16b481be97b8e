// ZARVEX: start-up, the frame loop and shut-down over the Qt desktop and the
// miniaudio sound bank.
#include <QApplication>
#include <chrono>
#include <random>

#include "app/App.h"
#include "audio/miniaudio/SoundBank.h"
#include "core/Random.h"
#include "platform/qt/QtPlatform.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);

    std::random_device device;
    const uint64_t seed = (uint64_t(device()) << 32) ^ uint64_t(device()) ^
                          uint64_t(std::chrono::steady_clock::now().time_since_epoch().count());
    SeededRandom random(seed);

    QtPlatform platform;
    SoundBank sound;
    // View > Mute Sound silences the output itself; the game's sound calls
    // stay the same.
    platform.setMuteHandler([&sound](bool muted) { sound.setMuted(muted); });
    return runGame(platform, sound, random);
}

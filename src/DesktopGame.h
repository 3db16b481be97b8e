#pragma once
// The desktop the game runs on: the Qt window, miniaudio's sound and SDL2's
// game controllers, wired together the one way the program uses them (its
// tests and benchmark start the same wiring). A QApplication must exist.
//
// The first frame needs neither the sound device nor the controllers:
// both open right after the window has shown it, so the window comes up
// without waiting for the sound system or the input devices. The title tune
// starts a frame later; controllers plugged in before are found then.
#include <optional>

#include "audio/miniaudio/SoundBank.h"
#include "platform/qt/QtPlatform.h"
#include "platform/sdl/Gamepads.h"

struct DesktopGame {
    DesktopGame() {
        // View > Mute Sound silences the output itself; the game's sound
        // calls stay the same. The remembered choice reaches the sound
        // before the device opens.
        platform.setMuteHandler([this](bool muted) { sound.setMuted(muted); });
        sound.openLater();
        platform.afterFirstFrame([this] {
            sound.openNow();
            gamepads.emplace();
            platform.setControllers(&*gamepads);
        });
    }
    ~DesktopGame() { platform.setControllers(nullptr); }
    DesktopGame(const DesktopGame&) = delete;
    DesktopGame& operator=(const DesktopGame&) = delete;

    // Declared in this order so that the platform, which reads the
    // controllers and hands the mute to the sound, goes first.
    std::optional<Gamepads> gamepads;
    SoundBank sound;
    QtPlatform platform;
};

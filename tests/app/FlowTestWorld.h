#pragma once
// A whole game over the scripted platform, the sound recorder and a seeded
// random source, with its Hall of Fame in a fresh temporary folder, plus
// the inputs a player gives, one event per frame as the loop hands them on.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "ScriptedPlatform.h"
#include "SoundRecorder.h"
#include "app/Dispatch.h"
#include "app/Flow.h"
#include "core/Screen.h"
#include "core/Game.h"
#include "core/GameState.h"
#include "core/Random.h"

// Expected sound calls, spelt out field by field.
inline SoundCall playCall(int64_t slot, int64_t flags = 0, int64_t volume = DefaultVolume) {
    SoundCall c{};
    c.kind = SoundCall::Play;
    c.slot = slot;
    c.flags = flags;
    c.volume = volume;
    return c;
}
inline SoundCall stopCall(int64_t slot) {
    SoundCall c{};
    c.kind = SoundCall::Stop;
    c.slot = slot;
    return c;
}

class FlowTestWorld : public ::testing::Test {
protected:
    FlowTestWorld() : random(20240611), game(platform, sound, random) {}

    void SetUp() override {
        char pattern[] = "/tmp/zarvex-flow-XXXXXX";
        const char* made = mkdtemp(pattern);
        ASSERT_NE(made, nullptr);
        folder = made;
        platform.supportDir = folder + "/";
        setInitialValues(game.state);
        game.state.highScorePath = folder + "/zvx_highscores.dat";
    }
    // A fresh run of the program: initial values, an empty Hall of Fame
    // folder, a silent sound log and an empty desktop log.
    void restartWorld() {
        TearDown();
        SetUp();
        game.state = GameState{};
        setInitialValues(game.state);
        game.state.highScorePath = folder + "/zvx_highscores.dat";
        sound.clearLog();
        sound.playing.fill(false);
        platform.log.clear();
        platform.events.clear();
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }

    // --- inputs, each dispatched as its own event ---
    bool send(const WindowEvent& e) { return dispatchEvent(game, e); }
    bool key(int64_t k) {
        WindowEvent e;
        e.code = EventCanvas;
        e.canvasType = CanvasKeyDown;
        e.key = k;
        e.x = game.state.mouseX;
        e.y = game.state.mouseY;
        return send(e);
    }
    bool click(int64_t x, int64_t y) {
        WindowEvent e;
        e.code = EventCanvas;
        e.canvasType = CanvasLeftDown;
        e.x = x;
        e.y = y;
        return send(e);
    }
    bool menu(MenuId id) {
        WindowEvent e;
        e.code = EventMenu;
        e.menuId = id;
        return send(e);
    }
    bool minimise() {
        WindowEvent e;
        e.code = EventMinimise;
        return send(e);
    }
    // Hands the platform's queued events to the dispatcher, one per frame.
    void runQueuedEvents() {
        while (!platform.events.empty()) send(platform.pollEvent());
    }

    // --- getting to a state through the player's own inputs ---
    void toIntel() { key(KeyI); }
    void toSectorPanel() { key(KeySpace); }
    void toPlaying() { key(KeySpace); key(KeySpace); }
    void toPaused() { toPlaying(); key(KeyP); }
    void toGameOver() { toPlaying(); key(KeyEscape); }

    Screen screen() const { return screenOf(game.state); }
    std::vector<SoundCall> sounds() const { return sound.calls; }
    size_t nameBoxes() const { return platform.logged("textInputBox:").size(); }
    bool hallOfFameFileExists() const { return std::filesystem::exists(game.state.highScorePath); }

    static SoundCall play(int64_t slot, int64_t flags = 0, int64_t volume = DefaultVolume) {
        return playCall(slot, flags, volume);
    }
    static SoundCall stop(int64_t slot) { return stopCall(slot); }

    ScriptedPlatform platform;
    SoundRecorder sound;
    SeededRandom random;
    Game game;
    std::string folder;
};

inline void PrintTo(const SoundCall& c, std::ostream* os) {
    static const char* kKinds[] = {"Init", "Load", "Play", "Stop", "Pan"};
    *os << kKinds[c.kind] << "(" << c.slot;
    if (c.kind == SoundCall::Play) *os << ", flags " << c.flags << ", volume " << c.volume;
    if (c.kind == SoundCall::Pan) *os << ", pan " << c.volume;
    *os << ")";
}

inline const char* screenName(Screen s) {
    switch (s) {
        case Screen::Title: return "Title";
        case Screen::Intel: return "Intel";
        case Screen::SectorPanel: return "SectorPanel";
        case Screen::Playing: return "Playing";
        case Screen::Paused: return "Paused";
        case Screen::GameOver: return "GameOver";
    }
    return "?";
}
inline void PrintTo(Screen s, std::ostream* os) { *os << screenName(s); }

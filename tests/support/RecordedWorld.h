#pragma once
// A game recorded as it is played, on the scripted platform: the game's
// platform is the recording one over the scripted platform. Each step is one
// frame of the game's own frame function on the next queued event (or
// none), the clock moving one step's time.
#include <cstdlib>
#include <filesystem>
#include <string>

#include "ScriptedPlatform.h"
#include "SoundRecorder.h"
#include "app/App.h"
#include "app/Recorder.h"
#include "core/Game.h"
#include "records/ReplayFiles.h"

struct RecordedWorld {
    // With `keepFiles`, the Hall of Fame and the replays go to a fresh
    // temporary folder; without, nowhere.
    explicit RecordedWorld(uint64_t seed, bool keepFiles = true)
        : random(seed), recording(platform), game(recording, sound, random), recorder(game) {
        recording.setRecorder(&recorder);
        setInitialValues(game.state);
        if (keepFiles) {
            char pattern[] = "/tmp/zarvex-replay-XXXXXX";
            if (mkdtemp(pattern)) folder = pattern;
        }
        game.state.highScorePath = folder.empty() ? std::string() : folder + "/zvx_highscores.dat";
        platform.supportDir = folder;
    }
    ~RecordedWorld() {
        std::error_code ec;
        if (!folder.empty()) std::filesystem::remove_all(folder, ec);
    }

    // One frame on the next queued event; false when the frame quit.
    bool step() {
        const FrameResult r = playFrame(game, recording.pollEvent());
        platform.advanceMicros(kStepMicros);
        return r.end != FrameEnd::Quit;
    }
    void steps(int n) {
        for (int i = 0; i < n; ++i) step();
    }
    // From the title into the first wave: SPACE for the sector panel, SPACE
    // to begin.
    void startPlaying() {
        platform.queueKey(KeySpace);
        step();
        platform.queueKey(KeySpace);
        step();
    }
    std::string best() const { return replayPath(game.state.highScorePath, ReplayKind::Best); }
    std::string last() const { return replayPath(game.state.highScorePath, ReplayKind::Last); }

    ScriptedPlatform platform;
    SoundRecorder sound;
    SeededRandom random;
    RecordingPlatform recording;
    Game game;
    GameRecorder recorder;
    std::string folder;
};


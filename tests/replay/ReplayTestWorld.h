#pragma once
// A recorded game on the scripted platform: the game's platform is the
// recording one over the scripted platform, with its Hall of Fame and
// replays in a fresh temporary folder. Each step is one frame of the game's
// own frame function on the next queued event (or none).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "ScriptedPlatform.h"
#include "SoundRecorder.h"
#include "app/App.h"
#include "app/Recorder.h"
#include "app/Replayer.h"
#include "core/Game.h"
#include "records/ReplayFiles.h"

struct RecordedWorld {
    explicit RecordedWorld(uint64_t seed) : random(seed), recording(platform), game(recording, sound, random), recorder(game) {
        recording.setRecorder(&recorder);
        char pattern[] = "/tmp/zarvex-replay-XXXXXX";
        folder = mkdtemp(pattern) ? pattern : "";
        setInitialValues(game.state);
        game.state.highScorePath = folder + "/zvx_highscores.dat";
        platform.supportDir = folder;
    }
    ~RecordedWorld() {
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }

    // One frame on the next queued event; false when the frame quit.
    bool step() {
        const FrameResult r = playFrame(game, recording.pollEvent());
        platform.now += kFrameSleepMs;
        return r.end != FrameEnd::Quit;
    }
    void steps(int n) {
        for (int i = 0; i < n; ++i) step();
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

inline Replay parsed(const std::string& bytes) {
    auto r = parseReplay(bytes);
    if (auto* e = std::get_if<ReplayError>(&r)) ADD_FAILURE() << "not a replay: " << e->reason;
    return std::get_if<Replay>(&r) ? std::get<Replay>(r) : Replay{};
}

inline std::string fileBytes(const std::string& path) {
    const ReplayFileRead f = readReplayFile(path);
    return f.ok ? f.bytes : std::string();
}

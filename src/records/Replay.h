#pragma once
// A recorded game: what it started from, the event each of its frames took
// and the answers given to the dialogs those frames opened, and how it
// ended. The game is frame-exact, so this is all it takes to play the game
// again, move for move. docs/replay-format.md describes the bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "core/GameState.h"
#include "core/Platform.h"
#include "core/Random.h"

inline constexpr uint16_t kReplayFormatVersion = 1;
// The most frames a replay may hold: a day of play at 60 frames a second.
// A longer file is not one the game wrote.
inline constexpr int64_t kMaxReplayFrames = int64_t(24) * 60 * 60 * 60;
// The largest replay file read; an hour of play is well under 1 MB.
inline constexpr std::size_t kMaxReplayFileBytes = 64 * 1024 * 1024;

// An answer given to a dialog: the name entered (empty for none), Yes or
// No, or the button that closed the About box.
struct ReplayAnswer {
    enum Kind : uint8_t { Text = 1, YesNo = 2, AboutButton = 3 } kind = Text;
    std::string text;
    bool yes = false;
    AlertButton button = AlertFirst;
    bool operator==(const ReplayAnswer&) const = default;
};

// One frame after the first: the event it took (EventNone for none) and
// the dialogs' answers, in the order they were asked.
struct ReplayFrame {
    WindowEvent event;
    std::vector<ReplayAnswer> answers;
};

// How the recorded game was left.
struct ReplayEnd {
    int64_t frames = 0;  // frames after the first, the last being the one that left the game
    int64_t score = 0;   // the game's final score and level
    int64_t level = 0;
    uint64_t fingerprint = 0;  // of the state at that moment (core/GameState.h)
};

// The end of a game left in `state` after `frames` frames: what a replay
// records, and what playing it again must come to.
ReplayEnd replayEndOf(const GameState& state, int64_t frames);

// Builds a replay while the game is played.
class ReplayWriter {
public:
    // The game's new game is about to be set up from `state` with the
    // random source at `random`; recordedAt is seconds since 1970 (UTC).
    void start(const GameState& state, const RandomState& random, int64_t recordedAt, const std::string& gameVersion);
    // The next frame, and the event it took.
    void frame(const WindowEvent& event);
    // An answer given within the current frame.
    void answer(const ReplayAnswer& answer);
    // The file's bytes, ended as `end` says (its frame count is the writer's).
    std::string finish(ReplayEnd end);
    int64_t frames() const { return frames_; }
    bool started() const { return started_; }

private:
    void flushQuietFrames();
    std::string bytes_;
    int64_t frames_ = 0;
    int64_t quiet_ = 0;  // frames without event or answer, not written yet
    int64_t lastX_ = 0, lastY_ = 0;
    bool started_ = false;
};

// A replay read back: checked whole before anything is played from it.
struct Replay {
    uint16_t formatVersion = 0;
    std::string gameVersion;
    int64_t recordedAt = 0;
    RandomState random{};
    GameState start;  // every number of the state; the lists are empty
    ReplayEnd end;
    std::string body;  // the frames, as stored

    int64_t difficulty() const { return start.difficulty; }
};

// Why a file is no replay that can be played.
struct ReplayError {
    std::string reason;  // for the player: "not a ZARVEX replay", ...
};

std::variant<Replay, ReplayError> parseReplay(std::string_view bytes);

// The CRC-32 that ends every replay file, of all the bytes before it.
uint32_t replayChecksum(std::string_view bytes);

// The frames of a checked replay, one after the other.
class ReplayFrames {
public:
    explicit ReplayFrames(const Replay& replay);
    // The next frame; false after the last.
    bool next(ReplayFrame& frame);
    int64_t played() const { return played_; }

private:
    std::string_view body_;
    std::size_t pos_ = 0;
    int64_t quiet_ = 0;
    int64_t played_ = 0;
    int64_t lastX_ = 0, lastY_ = 0;
};

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

// Version 2 stores only what a new game carries over from before it, and the
// name the game's score was stored under; version 1 files are still read.
inline constexpr uint16_t kReplayFormatVersion = 2;
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

// What a new game takes over from the moment before it. Setting up a new
// game sets everything else itself (score, level, board, wave, colours,
// flags), so that is all a replay's start has to hold; app/ReplayChecks
// knows which values each field can have.
struct ReplayStart {
    int64_t difficulty = 1;  // 0 Easy, 1 Normal, 2 Hard
    int64_t paused = 0;      // a game chosen from the menu while paused begins paused
    int64_t intelShown = 0;  // ... and one chosen on the intel screen waits behind it
    int64_t throbberMoved = 0;
    int64_t shakeTimer = 0;  // what is left of the last game's shake, static and game-over sequence
    int64_t staticTimer = 0;
    int64_t gameOverTimer = 0;
    int64_t mouseX = 0;  // where the pointer was
    int64_t mouseY = 0;
    int64_t lastBonus = 0;  // the last game's last survival bonus
    float titlePhase = 0;   // the title's colour cycle, as far as it has gone
    float alarmPhase = 0;
    float launchDistance = 0;  // of the last launch request
    // Derived from the fields above in version 2 files; version 1 files
    // stored them, and a reader must check that they agree.
    float speedFactor = 1.0f;  // the f32 of the difficulty's factor
    int64_t bonus = 0;         // the sum behind lastBonus
};

// The start of a new game set up from `before`.
ReplayStart replayStartOf(const GameState& before);
// A state to set a new game up from, as the recorded game was: the run's
// initial values with the start's fields.
GameState stateBeforeStart(const ReplayStart& start);

// Builds a replay while the game is played.
class ReplayWriter {
public:
    // The game's new game is about to be set up from `state` with the
    // random source at `random`; recordedAt is seconds since 1970 (UTC).
    void start(const GameState& state, const RandomState& random, int64_t recordedAt, const std::string& gameVersion);
    void start(const ReplayStart& start, const RandomState& random, int64_t recordedAt,
               const std::string& gameVersion);
    // The next frame, and the event it took.
    void frame(const WindowEvent& event);
    // An answer given within the current frame.
    void answer(const ReplayAnswer& answer);
    // The file's bytes, ended as `end` says (its frame count is the writer's),
    // with the name the game's score was stored under, if any.
    std::string finish(ReplayEnd end, std::string_view name = {});
    // The replay finished last, again, now with the name its score went
    // into the Hall of Fame under (known only after the game has ended).
    std::string named(std::string_view name) const;
    int64_t frames() const { return frames_; }
    bool started() const { return started_; }

private:
    void flushQuietFrames();
    std::string bytes_;
    std::string finished_;  // the last finished replay, up to its name
    int64_t frames_ = 0;
    int64_t quiet_ = 0;  // frames without event or answer, not written yet
    int64_t lastX_ = 0, lastY_ = 0;
    bool started_ = false;
};

// The longest name a replay holds, in bytes: the Hall of Fame's 32
// characters of up to 4 bytes each.
inline constexpr std::size_t kMaxReplayNameBytes = 128;

// A replay read back: checked whole before anything is played from it. The
// reader checks the file's shape; whether the game it tells can be played
// (its version, its start, its score) is app/ReplayChecks' business.
struct Replay {
    uint16_t formatVersion = 0;
    std::string gameVersion;
    int64_t recordedAt = 0;
    RandomState random{};
    ReplayStart start;
    ReplayEnd end;
    std::string name;  // the name its score was stored under; empty for none (and in version 1)
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

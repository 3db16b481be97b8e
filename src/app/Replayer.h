#pragma once
// A recorded game played again: from the state and random source it began
// with, frame by frame, each frame taking its recorded event and its
// dialogs' recorded answers, through the same frame function the game runs.
// Headless at full speed to verify a replay, or in the window at the real
// speed, with its sounds, to watch one.
#include <iosfwd>
#include <string>

#include "app/GameFrame.h"
#include "core/Game.h"
#include "records/Replay.h"
#include "render/Frame.h"

class DrawSurface;

// The platform a replayed game sees: events and answers come from the
// replay, nothing is shown or asked, no file or web page is opened. Over
// the real platform (`shown`) it draws, plays at the real speed and reads
// the real clock; without one it is headless, with a clock that moves only
// when slept on, and no sleeping.
class ReplayPlatform final : public Platform {
public:
    ReplayPlatform(const Replay& replay, Platform* shown);

    WindowEvent pollEvent() override;
    // No frame left: the recording is played out.
    bool exhausted() const { return exhausted_; }
    int64_t framesPlayed() const { return frames_.played(); }

    std::string textInputBox(const std::string&, const std::string&, const std::string&) override;
    bool yesNoBox(const std::string&, const std::string&) override;
    AlertButton aboutAlert(const std::string&, const std::string&, const std::string&, const std::string&) override;
    void messageBox(const std::string&, const std::string&) override {}
    bool openWebAddress(const std::string&) override { return true; }
    // The recording holds the events the game posted to itself.
    void postMenuEvent(MenuId) override {}

    void becomeForegroundApp() override {}
    void openWindow(const std::string&, int, int) override {}
    void buildMenus(const std::vector<MenuSpec>&) override {}
    void hideCursorOverCanvas() override {}
    void focusCanvas() override {}
    void activateApp() override {}
    void closeWindow() override {}
    int64_t clockMicros() const override;
    void sleepUntilMicros(int64_t deadline) override;
    std::string applicationSupportDir() override { return {}; }
    std::string executablePath() override { return {}; }
    TextRenderer& textRenderer() override;
    FramePresenter& framePresenter() override;
    std::string userFullName() override { return {}; }
    int64_t osMajorVersion() override { return shown_ ? shown_->osMajorVersion() : 0; }
    std::optional<std::string> cpuBrand() override { return shown_ ? shown_->cpuBrand() : std::nullopt; }
    std::string platformName() override { return shown_ ? shown_->platformName() : std::string("Linux"); }
    std::string formatGrouped(int64_t value) const override;

private:
    const ReplayAnswer* nextAnswer(ReplayAnswer::Kind kind);

    Platform* shown_;
    ReplayFrames frames_;
    ReplayFrame current_;
    std::size_t answered_ = 0;
    bool exhausted_ = false;
    int64_t clock_ = 0;
};

// How a replay played out: whether the recorded game was left, and how.
struct ReplayOutcome {
    bool ended = false;  // false: the recording ran out while the game went on
    // The game's score passed what 100 waves can give: played no further.
    bool beyondAnyGame = false;
    ReplayEnd end;       // the replayed game's frames, score, level and fingerprint
    GameState finalState;
};

// A recorded game being played again on a game of its own.
class ReplayedGame final : public GameJournal {
public:
    // `shown` and `sound` for watching; null and a silent sound to verify.
    ReplayedGame(const Replay& replay, Platform* shown, SoundOutput& sound);
    ~ReplayedGame() override;

    // The next frame of the recording; false once the game was left or the
    // recording ran out. `picture` is what the frame shows.
    bool playFrame(FramePicture& picture);
    const ReplayOutcome& outcome() const { return outcome_; }
    Game& game() { return game_; }

    void gameStarting(const GameState&) override {}
    void gameEnding(const GameState& state) override;
    void scoreStored(std::size_t, bool) override {}

private:
    ReplayPlatform platform_;
    SeededRandom random_{1};
    Game game_;
    ReplayOutcome outcome_;
    bool started_ = false;
    bool done_ = false;
};

// Plays the replay headless at full speed and tells whether its events lead
// to its recorded end: the same frame, score, level and state.
struct Verification {
    bool matches = false;
    ReplayOutcome outcome;
};
Verification verifyReplay(const Replay& replay);

// zarvex --verify FILE: reads, checks (app/ReplayChecks) and verifies the
// replay. The verdict goes to `out`: for a replay that holds, a line each
// for its difficulty, game version, recording date, name (if any), final
// level and score, and its place in the player's Hall of Fame (the one in
// `dataFolder`) when an entry there has its name and score. A file that
// cannot be played is told on `err`. The exit status is 0 when the replay
// holds, 1 when its events do not lead to its recorded end, 2 when it cannot
// be played (no replay, damaged, another version, an impossible game).
int verifyReplayFile(const std::string& path, const std::string& dataFolder, std::ostream& out, std::ostream& err);

// How watching ended.
enum class WatchEnd { Played, Stopped, Close, Quit };

// Shows the replay in the window at the game's pace (the game clock), with its sounds and a
// REPLAY mark, until it is played out or the player presses a key or
// clicks; the game itself stays as it was. Close and Quit end watching and
// are handed back to the frame loop.
WatchEnd watchReplay(Game& game, DrawSurface& surface, const Replay& replay);

// File > Watch Best Game, and zarvex --replay FILE: reads the file and
// watches it, or tells in a box why it cannot be played.
WatchEnd watchReplayFile(Game& game, DrawSurface& surface, const std::string& path);

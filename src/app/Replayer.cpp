#include "app/Replayer.h"

#include <ctime>
#include <optional>
#include <ostream>

#include "app/Flow.h"
#include "app/GameClock.h"
#include "app/ReplayChecks.h"
#include "records/HighScoreFile.h"
#include "records/HighScores.h"
#include "records/ReplayFiles.h"
#include "render/DrawSurface.h"

namespace {

// Headless: no glyphs, no window, no sound.
class NoText final : public TextRenderer {
public:
    FontHandle loadFont(const std::string&, int64_t, int64_t) override { return defaultFont; }
    double textWidth(FontHandle, const std::string&) override { return 0; }
    double textHeight(FontHandle, const std::string&) override { return 0; }
    void drawGlyphs(Canvas&, FontHandle, int64_t, int64_t, const std::string&, Colour) override {}
};
class NoPresenter final : public FramePresenter {
public:
    void present(const Canvas&) override {}
};
class NoSound final : public SoundOutput {
public:
    bool initSound() override { return false; }
    bool loadSound(SoundId, const std::string&) override { return false; }
    bool isSoundLoaded(SoundId) const override { return false; }
    void playSound(SoundId, PlayFlags, int64_t) override {}
    void stopSound(SoundId) override {}
    void setSoundPan(SoundId, int64_t) override {}
    int64_t soundStatus(SoundId) const override { return SoundStatusEmpty; }
};

}  // namespace

// ---- ReplayPlatform ----

ReplayPlatform::ReplayPlatform(const Replay& replay, Platform* shown) : shown_(shown), frames_(replay) {}

WindowEvent ReplayPlatform::pollEvent() {
    answered_ = 0;
    if (!frames_.next(current_)) {
        exhausted_ = true;
        current_ = ReplayFrame{};
    }
    return current_.event;
}

const ReplayAnswer* ReplayPlatform::nextAnswer(ReplayAnswer::Kind kind) {
    // Answers are taken in the order the dialogs were asked; a dialog the
    // recorded game did not ask gets nothing.
    if (answered_ < current_.answers.size() && current_.answers[answered_].kind == kind)
        return &current_.answers[answered_++];
    return nullptr;
}

std::string ReplayPlatform::textInputBox(const std::string&, const std::string&, const std::string&) {
    const ReplayAnswer* a = nextAnswer(ReplayAnswer::Text);
    return a ? a->text : std::string();
}

bool ReplayPlatform::yesNoBox(const std::string&, const std::string&) {
    const ReplayAnswer* a = nextAnswer(ReplayAnswer::YesNo);
    return a && a->yes;
}

AlertButton ReplayPlatform::aboutAlert(const std::string&, const std::string&, const std::string&,
                                       const std::string&) {
    const ReplayAnswer* a = nextAnswer(ReplayAnswer::AboutButton);
    return a ? a->button : AlertFirst;
}

int64_t ReplayPlatform::clockMicros() const { return shown_ ? shown_->clockMicros() : clock_; }

void ReplayPlatform::sleepUntilMicros(int64_t deadline) {
    if (shown_)
        shown_->sleepUntilMicros(deadline);
    else if (deadline > clock_)
        clock_ = deadline;
}

TextRenderer& ReplayPlatform::textRenderer() {
    static NoText none;
    return shown_ ? shown_->textRenderer() : none;
}

FramePresenter& ReplayPlatform::framePresenter() {
    static NoPresenter none;
    return shown_ ? shown_->framePresenter() : none;
}

std::string ReplayPlatform::formatGrouped(int64_t value) const {
    return shown_ ? shown_->formatGrouped(value) : std::to_string(value);
}

// ---- ReplayedGame ----

ReplayedGame::ReplayedGame(const Replay& replay, Platform* shown, SoundOutput& sound)
    : platform_(replay, shown), game_(platform_, sound, random_) {
    game_.journal = this;
    // The numbers the recorded game began with; its Hall of Fame is not
    // ours to write, so the replay keeps none.
    game_.state = stateBeforeStart(replay.start);
    game_.state.highScorePath.clear();
    random_.restoreState(replay.random);
}

ReplayedGame::~ReplayedGame() { game_.journal = nullptr; }

void ReplayedGame::gameEnding(const GameState& state) {
    if (outcome_.ended) return;
    outcome_.ended = true;
    outcome_.end = replayEndOf(state, platform_.framesPlayed());
    outcome_.finalState = state;
}

bool ReplayedGame::playFrame(FramePicture& picture) {
    if (done_) return false;
    if (!started_) {
        // The frame the recorded game began in: its new game, then the rest
        // of that frame.
        started_ = true;
        startNewGame(game_);
        game_.sound.playSound(SoundAlert, PlayOnce, kStartAlertVolume);
        picture = finishFrame(game_);
        return true;
    }
    const WindowEvent event = platform_.pollEvent();
    if (platform_.exhausted()) {
        done_ = true;
        return false;
    }
    const FrameResult frame = ::playFrame(game_, event);
    if (frame.end != FrameEnd::Continue) {
        // The recorded program ended here: its game with it.
        if (game_.state.inGame != 0) noteGameEnding(game_);
        done_ = true;
        if (frame.end == FrameEnd::Quit) return false;
    }
    picture = frame.picture;
    if (outcome_.ended) done_ = true;  // this frame is shown, then watching ends
    // No game gets here; a score is never let grow towards wrapping around.
    if (game_.state.score > mostPointsOfAGame()) {
        outcome_.beyondAnyGame = true;
        done_ = true;
    }
    return true;
}

// ---- verifying ----

Verification verifyReplay(const Replay& replay) {
    NoSound silence;
    ReplayedGame replayed(replay, nullptr, silence);
    FramePicture picture;
    while (replayed.playFrame(picture)) {
    }
    Verification v;
    v.outcome = replayed.outcome();
    const ReplayEnd& got = v.outcome.end;
    v.matches = v.outcome.ended && !v.outcome.beyondAnyGame && got.frames == replay.end.frames &&
                got.score == replay.end.score && got.level == replay.end.level &&
                got.fingerprint == replay.end.fingerprint;
    return v;
}

namespace {

const char* difficultyName(int64_t difficulty) {
    return difficulty == 0 ? "Easy" : difficulty == 2 ? "Hard" : "Normal";
}

std::string dateOf(int64_t secondsSince1970) {
    const std::time_t t = std::time_t(secondsSince1970);
    std::tm utc{};
    char text[64];
    if (gmtime_r(&t, &utc) == nullptr || std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", &utc) == 0)
        return std::to_string(secondsSince1970) + " seconds after 1970";
    return text;
}

// A name as a terminal may be shown it: control characters would move its
// cursor or change its colours.
std::string shownName(const std::string& name) {
    std::string shown;
    for (char c : name) shown += (uint8_t(c) < 0x20 || c == 0x7f) ? '?' : c;
    return shown;
}

// The place (1 for the best) of the Hall of Fame entry in `dataFolder` with
// this name and score, or 0 when there is none.
std::size_t hallOfFamePlace(const std::string& dataFolder, const std::string& name, int64_t score) {
    if (dataFolder.empty() || name.empty()) return 0;
    const std::string file = highScorePathIn(dataFolder);
    std::vector<ScoreEntry> table = parseHighScores(readHighScoreFile(file));
    sortHighScores(table);
    for (std::size_t i = 0; i < table.size(); ++i)
        if (table[i].name == name && table[i].score == score) return i + 1;
    return 0;
}

}  // namespace

int verifyReplayFile(const std::string& path, const std::string& dataFolder, std::ostream& out, std::ostream& err) {
    const ReplayFileRead file = readReplayFile(path);
    if (!file.ok) {
        err << "zarvex: cannot read the replay " << path << ": " << file.reason << "\n";
        return 2;
    }
    const auto parsed = readPlayableReplay(file.bytes);
    if (const ReplayError* error = std::get_if<ReplayError>(&parsed)) {
        err << "zarvex: " << path << " cannot be played: " << error->reason << "\n";
        return 2;
    }
    const Replay& replay = std::get<Replay>(parsed);
    const Verification v = verifyReplay(replay);
    const ReplayEnd& recorded = replay.end;
    const ReplayEnd& played = v.outcome.end;
    if (v.matches) {
        out << path << ": verified\n";
        out << "difficulty: " << difficultyName(replay.difficulty()) << "\n";
        out << "game version: " << shownVersion(replay.gameVersion) << "\n";
        out << "recorded: " << dateOf(replay.recordedAt) << "\n";
        if (!replay.name.empty()) out << "name: " << shownName(replay.name) << "\n";
        out << "level: " << recorded.level << "\n";
        out << "score: " << recorded.score << "\n";
        if (const std::size_t place = hallOfFamePlace(dataFolder, replay.name, recorded.score))
            out << "Hall of Fame: this game's entry, place " << place << "\n";
        return 0;
    }
    out << path << ": not verified: ";
    if (!v.outcome.ended || v.outcome.beyondAnyGame) {
        out << "its events do not lead to its recorded score: recorded level " << recorded.level << ", score "
            << recorded.score << "; played "
            << (v.outcome.beyondAnyGame ? "past the most points a game can make\n"
                                        : "to the end of the recording without the game ending\n");
    } else if (played.score == recorded.score && played.level == recorded.level &&
               played.fingerprint == recorded.fingerprint) {
        out << "its events lead to its recorded level and score, but its game ends after " << played.frames
            << " frames, not after the " << recorded.frames << " it records\n";
    } else {
        out << "its events do not lead to its recorded score: recorded level " << recorded.level << ", score "
            << recorded.score << "; played level " << played.level << ", score " << played.score
            << (played.fingerprint != recorded.fingerprint ? ", another end state" : "") << "\n";
    }
    return 1;
}

// ---- watching ----

WatchEnd watchReplay(Game& game, DrawSurface& surface, const Replay& replay) {
    Platform& real = game.platform;
    stopAllSounds(game.sound);
    ReplayedGame replayed(replay, &real, game.sound);
    replayed.game().state.bigFont = game.state.bigFont;
    replayed.game().state.smallFont = game.state.smallFont;
    // The recorded steps at the game's own pace, on a clock of their own:
    // the steps due, then the picture of the last one.
    GameClock clock(real.clockMicros());
    std::optional<WatchEnd> end;
    while (!end) {
        int due = 0;
        while ((due = clock.takeDueSteps(real.clockMicros())) == 0) real.sleepUntilMicros(clock.nextDeadline());
        FramePicture picture;
        bool stepped = false;
        for (int i = 0; i < due && !end; ++i) {
            // The player's own input: any key or click ends watching.
            const WindowEvent input = real.pollEvent();
            if (input.code == EventClose)
                end = WatchEnd::Close;
            else if (input.code == EventMenu && input.menuId == MenuQuit)
                end = WatchEnd::Quit;
            else if (input.code == EventCanvas &&
                     (input.canvasType == CanvasKeyDown || input.canvasType == CanvasLeftDown))
                end = WatchEnd::Stopped;
            else if (replayed.playFrame(picture))
                stepped = true;
            else
                end = WatchEnd::Played;
        }
        // The last recorded step is shown too; the player's stop is not.
        if (!stepped || (end && *end != WatchEnd::Played)) break;
        picture.replayMark = true;
        drawFrame(replayed.game().state, picture, real, surface);
        if (!end) real.sleepUntilMicros(clock.nextDeadline());
    }
    stopAllSounds(game.sound);
    return *end;
}

WatchEnd watchReplayFile(Game& game, DrawSurface& surface, const std::string& path) {
    const ReplayFileRead file = readReplayFile(path);
    std::string reason = file.reason;
    if (file.ok) {
        const auto parsed = readPlayableReplay(file.bytes);
        if (const Replay* replay = std::get_if<Replay>(&parsed)) return watchReplay(game, surface, *replay);
        reason = std::get<ReplayError>(parsed).reason;
    }
    game.platform.activateApp();
    game.platform.messageBox("Replay", "The replay " + path + " cannot be played: " + reason + ".");
    return WatchEnd::Stopped;
}

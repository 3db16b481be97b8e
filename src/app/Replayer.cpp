#include "app/Replayer.h"

#include <optional>
#include <ostream>

#include "app/Flow.h"
#include "app/GameClock.h"
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
    game_.state = replay.start;
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
    v.matches = v.outcome.ended && got.frames == replay.end.frames && got.score == replay.end.score &&
                got.level == replay.end.level && got.fingerprint == replay.end.fingerprint;
    return v;
}

int verifyReplayFile(const std::string& path, std::ostream& out) {
    const ReplayFileRead file = readReplayFile(path);
    if (!file.ok) {
        out << "zarvex: cannot read the replay " << path << ": " << file.reason << "\n";
        return 2;
    }
    const auto parsed = parseReplay(file.bytes);
    if (const ReplayError* error = std::get_if<ReplayError>(&parsed)) {
        out << "zarvex: " << path << " cannot be played: " << error->reason << "\n";
        return 2;
    }
    const Replay& replay = std::get<Replay>(parsed);
    const Verification v = verifyReplay(replay);
    if (v.matches) {
        out << path << ": verified: level " << replay.end.level << ", score " << replay.end.score << "\n";
        return 0;
    }
    out << path << ": its events do not lead to its recorded score: recorded level " << replay.end.level
        << ", score " << replay.end.score << "; played ";
    if (v.outcome.ended)
        out << "level " << v.outcome.end.level << ", score " << v.outcome.end.score
            << (v.outcome.end.fingerprint != replay.end.fingerprint ? ", another end state" : "") << "\n";
    else
        out << "to the end of the recording without the game ending\n";
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
        const auto parsed = parseReplay(file.bytes);
        if (const Replay* replay = std::get_if<Replay>(&parsed)) return watchReplay(game, surface, *replay);
        reason = std::get<ReplayError>(parsed).reason;
    }
    game.platform.activateApp();
    game.platform.messageBox("Replay", "The replay " + path + " cannot be played: " + reason + ".");
    return WatchEnd::Stopped;
}

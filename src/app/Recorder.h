#pragma once
// Every game recorded as it is played. The recorder hears from the game
// where each game begins and ends (GameJournal), and from the platform,
// which it wraps, the event each frame takes and the answers given to
// dialogs. When a game is left its replay is kept as the last game; when its
// score enters the Hall of Fame, the name it went in under is added to it,
// and it becomes the best game when that entry was saved in first place.
#include <string>

#include "core/Game.h"
#include "records/Replay.h"

class GameRecorder final : public GameJournal {
public:
    // Records the games of `game` (whose journal it becomes) and keeps
    // their replays beside its Hall of Fame. The game's platform must be a
    // RecordingPlatform over this recorder.
    explicit GameRecorder(Game& game);
    ~GameRecorder() override;

    void frameTook(const WindowEvent& event);
    void answered(const ReplayAnswer& answer);

    void gameStarting(const GameState& state) override;
    void gameEnding(const GameState& state) override;
    void scoreStored(std::size_t place, bool saved) override;

    // The replay of the game left last (empty before any), and the state it
    // was left in.
    const std::string& lastReplay() const { return finished_; }
    const GameState& lastEndState() const { return endState_; }
    // Recording costs a few bytes a frame; for the benchmark.
    bool recording() const { return writer_.started(); }

private:
    Game& game_;
    ReplayWriter writer_;
    std::string finished_;
    GameState endState_;
    bool justEnded_ = false;  // the Hall of Fame's entry, if any, is this replay's
};

// The platform as the recorded game sees it: the real one, with every event
// taken and every dialog answered told to the recorder on the way.
class RecordingPlatform final : public Platform {
public:
    explicit RecordingPlatform(Platform& inner) : inner_(inner) {}
    void setRecorder(GameRecorder* recorder) { recorder_ = recorder; }

    WindowEvent pollEvent() override {
        const WindowEvent e = inner_.pollEvent();
        if (recorder_) recorder_->frameTook(e);
        return e;
    }
    bool yesNoBox(const std::string& title, const std::string& text) override {
        const bool yes = inner_.yesNoBox(title, text);
        if (recorder_) recorder_->answered({ReplayAnswer::YesNo, {}, yes, AlertFirst});
        return yes;
    }
    std::string textInputBox(const std::string& title, const std::string& message,
                             const std::string& initial) override {
        std::string text = inner_.textInputBox(title, message, initial);
        if (recorder_) recorder_->answered({ReplayAnswer::Text, text, false, AlertFirst});
        return text;
    }
    AlertButton aboutAlert(const std::string& message, const std::string& informative, const std::string& first,
                           const std::string& second) override {
        const AlertButton b = inner_.aboutAlert(message, informative, first, second);
        if (recorder_) recorder_->answered({ReplayAnswer::AboutButton, {}, false, b});
        return b;
    }

    // Everything else is the real platform's.
    void becomeForegroundApp() override { inner_.becomeForegroundApp(); }
    void openWindow(const std::string& title, int w, int h) override { inner_.openWindow(title, w, h); }
    void buildMenus(const std::vector<MenuSpec>& menus) override { inner_.buildMenus(menus); }
    void hideCursorOverCanvas() override { inner_.hideCursorOverCanvas(); }
    void focusCanvas() override { inner_.focusCanvas(); }
    void activateApp() override { inner_.activateApp(); }
    void closeWindow() override { inner_.closeWindow(); }
    void postMenuEvent(MenuId id) override { inner_.postMenuEvent(id); }
    int64_t clockMicros() const override { return inner_.clockMicros(); }
    void sleepUntilMicros(int64_t deadline) override { inner_.sleepUntilMicros(deadline); }
    std::string applicationSupportDir() override { return inner_.applicationSupportDir(); }
    std::string executablePath() override { return inner_.executablePath(); }
    TextRenderer& textRenderer() override { return inner_.textRenderer(); }
    FramePresenter& framePresenter() override { return inner_.framePresenter(); }
    void messageBox(const std::string& title, const std::string& text) override { inner_.messageBox(title, text); }
    bool openWebAddress(const std::string& address) override { return inner_.openWebAddress(address); }
    std::string userFullName() override { return inner_.userFullName(); }
    int64_t osMajorVersion() override { return inner_.osMajorVersion(); }
    std::optional<std::string> cpuBrand() override { return inner_.cpuBrand(); }
    std::string platformName() override { return inner_.platformName(); }
    std::string formatGrouped(int64_t value) const override { return inner_.formatGrouped(value); }

private:
    Platform& inner_;
    GameRecorder* recorder_ = nullptr;
};

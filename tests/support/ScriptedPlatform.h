#pragma once
// A Platform for tests: events come from a queue the test fills, the clock
// is fake and sleeping advances it without waiting, every dialog takes its
// answer from a script, and every call that reaches the desktop is logged.
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "FixedText.h"
#include "core/Platform.h"

class ScriptedPlatform final : public Platform, public FramePresenter {
public:
    ScriptedPlatform();

    // --- scripting ---
    void queueEvent(const WindowEvent& e) { events.push_back(e); }
    void queueKey(int64_t key, int64_t x = 0, int64_t y = 0);
    void queueClick(int64_t x, int64_t y);
    void queueMenu(MenuId id);
    void queueClose();
    void queueMinimise();

    std::deque<WindowEvent> events;
    int64_t now = 1000;     // fake clock, ms
    int64_t nowMicros = 0;  // and the microseconds past `now` (0 to 999)
    int64_t presentMicros = 0;  // what showing a picture costs on the fake clock
    int64_t dialogMicros = 0;   // how long each modal box stays open on it
    std::string supportDir = "/tmp/zarvex-test";
    std::string exePath = "/opt/zarvex/bin/zarvex";
    std::deque<bool> yesNoAnswers;             // default: No
    std::deque<std::string> textAnswers;       // default: the initial text
    std::deque<AlertButton> aboutAnswers;      // default: first button
    std::string fullName = "Test Player";
    int64_t osMajor = 6;
    std::optional<std::string> cpu = std::string("Test CPU 3000");
    std::string groupSeparator = ",";          // locale grouping, groups of three
    bool acceptAddresses = true;

    // --- what happened ---
    std::vector<std::string> log;  // one line per desktop call, e.g. "messageBox:Title|Text"
    std::vector<std::string> openedAddresses;
    int presented = 0;
    int64_t polled = 0;  // pollEvent calls: one a step
    std::vector<MenuSpec> menus;
    std::string windowTitle;
    int64_t sleptMicros = 0;
    FixedText text;

    // --- Platform ---
    void becomeForegroundApp() override { log.push_back("becomeForegroundApp"); }
    void openWindow(const std::string& title, int width, int height) override;
    void buildMenus(const std::vector<MenuSpec>& m) override;
    void hideCursorOverCanvas() override { log.push_back("hideCursor"); }
    void focusCanvas() override { log.push_back("focusCanvas"); }
    void activateApp() override { log.push_back("activateApp"); }
    void closeWindow() override { log.push_back("closeWindow"); }
    WindowEvent pollEvent() override;
    void postMenuEvent(MenuId id) override { queueMenu(id); }
    int64_t clockMicros() const override { return now * 1000 + nowMicros; }
    void sleepUntilMicros(int64_t deadline) override;
    // Moves the fake clock on, as time spent elsewhere.
    void advanceMicros(int64_t micros);
    std::string applicationSupportDir() override { return supportDir; }
    std::string executablePath() override { return exePath; }
    TextRenderer& textRenderer() override { return text; }
    FramePresenter& framePresenter() override { return *this; }
    void present(const Canvas&) override {
        ++presented;
        advanceMicros(presentMicros);
    }
    void messageBox(const std::string& title, const std::string& body) override;
    bool yesNoBox(const std::string& title, const std::string& body) override;
    std::string textInputBox(const std::string& title, const std::string& message,
                             const std::string& initial) override;
    AlertButton aboutAlert(const std::string& message, const std::string& informative,
                           const std::string& firstButton, const std::string& secondButton) override;
    bool openWebAddress(const std::string& address) override;
    std::string userFullName() override { return fullName; }
    int64_t osMajorVersion() override { return osMajor; }
    std::optional<std::string> cpuBrand() override { return cpu; }
    std::string platformName() override { return "Linux"; }
    std::string formatGrouped(int64_t value) const override;

    // Lines of the log that start with the prefix.
    std::vector<std::string> logged(const std::string& prefix) const;
};

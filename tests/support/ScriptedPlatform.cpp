#include "ScriptedPlatform.h"

#include <cstdlib>

ScriptedPlatform::ScriptedPlatform() = default;

void ScriptedPlatform::queueKey(int64_t key, int64_t x, int64_t y) {
    WindowEvent e;
    e.code = EventCanvas;
    e.canvasType = CanvasKeyDown;
    e.key = key;
    e.x = x;
    e.y = y;
    events.push_back(e);
}

void ScriptedPlatform::queueClick(int64_t x, int64_t y) {
    WindowEvent e;
    e.code = EventCanvas;
    e.canvasType = CanvasLeftDown;
    e.x = x;
    e.y = y;
    events.push_back(e);
}

void ScriptedPlatform::queueMenu(MenuId id) {
    WindowEvent e;
    e.code = EventMenu;
    e.menuId = id;
    events.push_back(e);
}

void ScriptedPlatform::queueClose() {
    WindowEvent e;
    e.code = EventClose;
    events.push_back(e);
}

void ScriptedPlatform::queueMinimise() {
    WindowEvent e;
    e.code = EventMinimise;
    events.push_back(e);
}

void ScriptedPlatform::openWindow(const std::string& title, int width, int height) {
    windowTitle = title;
    log.push_back("openWindow:" + title + "|" + std::to_string(width) + "x" + std::to_string(height));
}

void ScriptedPlatform::buildMenus(const std::vector<MenuSpec>& m) {
    menus = m;
    log.push_back("buildMenus");
}

WindowEvent ScriptedPlatform::pollEvent() {
    ++polled;
    if (events.empty()) return {};
    WindowEvent e = events.front();
    events.pop_front();
    return e;
}

void ScriptedPlatform::advanceMicros(int64_t micros) {
    if (micros <= 0) return;
    const int64_t t = clockMicros() + micros;
    now = t / 1000;
    nowMicros = t % 1000;
}

void ScriptedPlatform::sleepUntilMicros(int64_t deadline) {
    const int64_t wait = deadline - clockMicros();
    if (wait <= 0) return;
    sleptMicros += wait;
    advanceMicros(wait);
}

void ScriptedPlatform::messageBox(const std::string& title, const std::string& body) {
    advanceMicros(dialogMicros);
    log.push_back("messageBox:" + title + "|" + body);
}

bool ScriptedPlatform::yesNoBox(const std::string& title, const std::string& body) {
    advanceMicros(dialogMicros);
    log.push_back("yesNoBox:" + title + "|" + body);
    if (yesNoAnswers.empty()) return false;
    bool a = yesNoAnswers.front();
    yesNoAnswers.pop_front();
    return a;
}

std::string ScriptedPlatform::textInputBox(const std::string& title, const std::string& message,
                                           const std::string& initial) {
    advanceMicros(dialogMicros);
    log.push_back("textInputBox:" + title + "|" + message + "|" + initial);
    if (textAnswers.empty()) return initial;
    std::string a = textAnswers.front();
    textAnswers.pop_front();
    return a;
}

AlertButton ScriptedPlatform::aboutAlert(const std::string& message, const std::string& informative,
                                         const std::string& firstButton, const std::string& secondButton) {
    advanceMicros(dialogMicros);
    log.push_back("aboutAlert:" + message + "|" + informative + "|" + firstButton + "|" + secondButton);
    if (aboutAnswers.empty()) return AlertFirst;
    AlertButton a = aboutAnswers.front();
    aboutAnswers.pop_front();
    return a;
}

bool ScriptedPlatform::openWebAddress(const std::string& address) {
    log.push_back("openWebAddress:" + address);
    if (!acceptAddresses) return false;
    openedAddresses.push_back(address);
    return true;
}

std::string ScriptedPlatform::formatGrouped(int64_t value) const {
    const bool negative = value < 0;
    // Magnitude as unsigned, safe for the most negative value.
    uint64_t mag = negative ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    std::string digits = std::to_string(mag);
    std::string out;
    const size_t n = digits.size();
    for (size_t i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0) out += groupSeparator;
        out += digits[i];
    }
    return negative ? "-" + out : out;
}

std::vector<std::string> ScriptedPlatform::logged(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const auto& l : log)
        if (l.rfind(prefix, 0) == 0) out.push_back(l);
    return out;
}

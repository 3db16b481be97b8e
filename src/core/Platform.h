#pragma once
// Everything the game needs of the desktop, behind one interface of the
// game's own: window events, the clock, paths, dialogs, fonts and text,
// facts about the system, and the opening of web addresses. QtPlatform
// (src/platform/qt) is the real implementation; tests script one.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/TextRenderer.h"

// Window event codes.
enum WindowEventCode : int64_t {
    EventNone = 0,
    EventMenu = 1,      // a menu item was chosen; menuId says which
    EventClose = 2,     // the close button was pressed; the window stays
    EventCanvas = 3,    // an event of the canvas; canvasType says which
    EventMinimise = 12, // the window was minimised
};

// Canvas event types. Only the first two act; the others only carry the
// pointer position.
enum CanvasEventType : int64_t {
    CanvasNone = 0,
    CanvasLeftDown = 65540,
    CanvasKeyDown = 65547,
    CanvasLeftUp = 65541,
    CanvasMoved = 65542,
    CanvasOther = 65555,
};

// Key values the game reacts to (letters arrive folded to lower case).
inline constexpr int64_t KeySpace = 32;
inline constexpr int64_t KeyEscape = 27;
inline constexpr int64_t KeyI = 105;
inline constexpr int64_t KeyP = 112;

// Menu identifiers.
enum MenuId : int64_t {
    MenuNone = 0,
    MenuEasy = 1,
    MenuNormal = 2,
    MenuHard = 3,
    MenuShowHighScores = 4,
    MenuClearHighScores = 5,
    MenuAboutBox = 6,  // posted by the About item for a later frame
    MenuWatchBestGame = 7,
    MenuPreferences = -2,
    MenuAbout = -3,
    MenuQuit = -4,
};

struct WindowEvent {
    WindowEventCode code = EventNone;
    MenuId menuId = MenuNone;                 // EventMenu
    CanvasEventType canvasType = CanvasNone;  // EventCanvas
    int64_t x = 0;                            // EventCanvas: pointer position in canvas pixels
    int64_t y = 0;
    int64_t key = 0;                          // CanvasKeyDown
};

struct MenuItemSpec {
    std::string text;
    MenuId id = MenuNone;
};
struct MenuSpec {
    std::string title;
    std::vector<MenuItemSpec> items;
    bool applicationMenu = false;  // holds About (-3) and Quit (-4)
};

// Which button closed the About alert.
enum AlertButton : int64_t { AlertFirst = 1, AlertSecond = 2 };

class Platform {
public:
    virtual ~Platform() = default;

    // Application and window.
    virtual void becomeForegroundApp() = 0;
    virtual void openWindow(const std::string& title, int width, int height) = 0;
    virtual void buildMenus(const std::vector<MenuSpec>& menus) = 0;
    virtual void hideCursorOverCanvas() = 0;
    virtual void focusCanvas() = 0;
    virtual void activateApp() = 0;
    virtual void closeWindow() = 0;

    // Events: at most one per call, without waiting; code EventNone when the
    // queue is empty. postMenuEvent queues a menu event behind the others.
    virtual WindowEvent pollEvent() = 0;
    virtual void postMenuEvent(MenuId id) = 0;

    // The monotonic clock in microseconds (the game's 60 steps a second
    // need finer than whole milliseconds), and a sleep until it reads at
    // least `deadline`: none when that time has passed.
    virtual int64_t clockMicros() const = 0;
    virtual void sleepUntilMicros(int64_t deadline) = 0;
    // The same clock in whole milliseconds.
    int64_t clockMs() const { return clockMicros() / 1000; }

    // Absolute paths: the folder the Hall of Fame lives in, and the running
    // executable.
    virtual std::string applicationSupportDir() = 0;
    virtual std::string executablePath() = 0;

    // Fonts, text and the window's canvas.
    virtual TextRenderer& textRenderer() = 0;
    virtual FramePresenter& framePresenter() = 0;

    // Modal boxes; each blocks until closed.
    virtual void messageBox(const std::string& title, const std::string& text) = 0;
    virtual bool yesNoBox(const std::string& title, const std::string& text) = 0;
    // The entered text, or empty when closed without OK.
    virtual std::string textInputBox(const std::string& title, const std::string& message,
                                     const std::string& initial) = 0;
    virtual AlertButton aboutAlert(const std::string& message, const std::string& informative,
                                   const std::string& firstButton, const std::string& secondButton) = 0;
    // Opens the address in the default browser; false when it is not a
    // web address (after the escaped second attempt as well).
    virtual bool openWebAddress(const std::string& address) = 0;

    // Facts about the user and the system.
    virtual std::string userFullName() = 0;
    virtual int64_t osMajorVersion() = 0;
    virtual std::optional<std::string> cpuBrand() = 0;
    virtual std::string platformName() = 0;  // "Linux", "macOS"
    // The value in the decimal style of the user's locale, with grouping.
    virtual std::string formatGrouped(int64_t value) const = 0;
};

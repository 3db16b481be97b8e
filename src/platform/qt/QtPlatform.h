#pragma once
// The desktop through Qt 6 Widgets: a QMainWindow with the menu bar over a
// canvas widget that shows the drawing surface's 1280 x 768 pixels scaled to
// fit, with their shape kept. The window opens at the largest size that fits
// the screen and can be resized, maximised and put in full screen; a View
// menu of the platform's own holds Full Screen and Mute Sound, which are
// remembered between runs. Qt's events are collected into the game's own
// queue, from which the frame loop takes one per frame; pointer positions
// are mapped back into canvas pixels. Game controllers, when given, are read
// once per frame and make the same events (see platform/Controllers.h).
#include <QLocale>
#include <QMargins>
#include <QPointF>
#include <QPointer>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "core/Platform.h"
#include "platform/CanvasFit.h"
#include "platform/Controllers.h"
#include "platform/EventQueue.h"
#include "platform/qt/FrameRate.h"
#include "platform/qt/QtTextRenderer.h"
#include "platform/qt/ViewSettings.h"

class QAction;
class QWidget;
class QMainWindow;
class QUrl;
class QKeyEvent;
class CanvasShow;

class QtPlatform final : public Platform, public FramePresenter {
public:
    // A QApplication must exist.
    QtPlatform();
    ~QtPlatform() override;

    void becomeForegroundApp() override;
    void openWindow(const std::string& title, int width, int height) override;
    void buildMenus(const std::vector<MenuSpec>& menus) override;
    void hideCursorOverCanvas() override;
    void focusCanvas() override;
    void activateApp() override;
    void closeWindow() override;

    WindowEvent pollEvent() override;
    void postMenuEvent(MenuId id) override;

    int64_t clockMicros() const override;
    void sleepUntilMicros(int64_t deadline) override;

    std::string applicationSupportDir() override;
    std::string executablePath() override;

    TextRenderer& textRenderer() override { return text_; }
    FramePresenter& framePresenter() override { return *this; }
    void present(const Canvas& canvas) override;

    void messageBox(const std::string& title, const std::string& text) override;
    bool yesNoBox(const std::string& title, const std::string& text) override;
    std::string textInputBox(const std::string& title, const std::string& message,
                             const std::string& initial) override;
    AlertButton aboutAlert(const std::string& message, const std::string& informative,
                           const std::string& firstButton, const std::string& secondButton) override;
    bool openWebAddress(const std::string& address) override;

    std::string userFullName() override;
    int64_t osMajorVersion() override;
    std::optional<std::string> cpuBrand() override;
    std::string platformName() override;
    std::string formatGrouped(int64_t value) const override;

    // Mute Sound turns the sound output off and on; the handler is called
    // at once with the remembered choice (read from the settings then if
    // the window has not read them yet), and again at every change.
    void setMuteHandler(std::function<void(bool)> handler);
    bool muted() const { return view_.muted; }
    bool fullScreen() const { return view_.fullScreen; }
    void setFullScreen(bool on);
    void setMuted(bool on);
    // View > Show Frame Rate: steps and pictures a second and the heaviest
    // frame, drawn small over what is shown.
    bool showsFrameRate() const { return view_.showFrameRate; }
    void setShowFrameRate(bool on);

    // The game controllers, read at every event poll and, while a modal box
    // is open, on a timer of their own; none by default. The source must
    // outlive the platform, or be taken away first with nullptr.
    void setControllers(ControllerSource* source) { controllers_ = source; }
    // The pointer as the game gets it, in canvas pixels: where the last
    // canvas event put it, from the mouse, the keyboard or a controller.
    CanvasPoint pointer() const { return pointer_; }

    // Work that the first frame does not need (opening the sound device,
    // the controllers): run once the window has shown its first frame, at
    // the next event poll, in the order given.
    void afterFirstFrame(std::function<void()> job) { firstFrameJobs_.push_back(std::move(job)); }

    // For tests: the locale used instead of the system's, and what opens a
    // web address instead of the desktop's browser.
    void setLocaleForTesting(const QLocale& locale) { locale_ = locale; }
    void setUrlOpenerForTesting(std::function<bool(const QUrl&)> opener) { urlOpener_ = std::move(opener); }
    // For tests: whether the window system tells the desktop's free area
    // (X11 does, Wayland does not), instead of asking Qt's platform.
    void setWorkAreaKnownForTesting(bool known) { workAreaKnown_ = known; }

    QMainWindow* window() const;
    QWidget* canvasWidget() const;
    QAction* fullScreenAction() const { return fullScreenAction_; }
    QAction* muteAction() const { return muteAction_; }
    QAction* frameRateAction() const { return frameRateAction_; }
    // What shows the canvas (software or OpenGL); null without a window.
    CanvasShow* canvasShow() const;
    // Where the canvas shows in the canvas widget, in device pixels.
    CanvasFit canvasFit() const;
    // The widget position (logical pixels) of the middle of canvas pixel
    // (x, y).
    QPointF widgetPointOf(int64_t x, int64_t y) const;
    // Called by the window and canvas for every event they turn into one of
    // the game's.
    void enqueue(const WindowEvent& e);
    void enqueueKey(QKeyEvent* e);
    void enqueueKeyRelease();
    // A mouse event of the canvas; `global` is where the mouse is on the
    // screen.
    void enqueueMouse(const WindowEvent& e, QPointF global, bool press);
    const Canvas* shownCanvas() const { return shown_; }
    // After a modal box: the canvas's blank pointer is told to the window
    // system again, at once when the pointer is over the canvas and at its
    // next move or entry there.
    void boxClosed();
    void blankPointerAfterBox();

private:
    class Window;
    class CanvasView;
    class PadAnswers;

    // A key event where the keyboard's events happen.
    WindowEvent keyboardEvent(CanvasEventType type) const;
    // Turns what the controllers did since the last poll into game events.
    void pollControllers();

    // Sizes the window to the largest that fits its screen and centres it;
    // where the desktop's free area is unknown, maximises it rather than
    // shrinking it below 100 %.
    void fitWindowToScreen();
    bool workAreaKnown() const;
    // What a desktop whose free area is unknown may keep to itself, across
    // and down (logical pixels): its panels or docks, and a title bar.
    static constexpr int kUnknownPanels = 48;
    static constexpr int kUnknownTitleBar = 32;
    QMargins frameMargins() const;
    void addViewMenu();
    void tellBlankPointer();
    // The remembered view choices, read once, by whichever needs them first.
    void readViewSettings();
    void runFirstFrameJobs();
    // The player went to another application's window: the game hears it as
    // a minimise.
    void noticeLeftForAnotherApp();
    // Frames during which a newly told window frame refits the window.
    static constexpr int kFitFrames = 120;

    QtTextRenderer text_;
    EventQueue queue_;
    std::unique_ptr<Window> window_;
    CanvasView* canvas_ = nullptr;  // owned by the window
    const Canvas* shown_ = nullptr;
    std::optional<QLocale> locale_;
    std::function<bool(const QUrl&)> urlOpener_;
    ViewSettings view_;
    bool viewRead_ = false;
    std::function<void(bool)> muteHandler_;
    std::vector<std::function<void()>> firstFrameJobs_;
    // Set when the application loses the active state, until the next poll
    // or until it is active again.
    bool leftForAnotherApp_ = false;
    QAction* fullScreenAction_ = nullptr;
    QAction* muteAction_ = nullptr;
    QAction* frameRateAction_ = nullptr;
    FrameRateMeter frameRate_;
    // Frames during which the window fits itself to the screen again when
    // the window manager tells a new frame or leaves it off the screen.
    int fitFramesLeft_ = 0;
    int restoreFramesLeft_ = 0;
    QMargins fittedFrame_;
    bool wasMaximised_ = false;
    std::optional<bool> workAreaKnown_;
    // Frames from opening the window during which fitting it may maximise
    // it; none once it has gone full screen.
    int openingFramesLeft_ = 0;
    bool blankPointerPending_ = false;

    ControllerSource* controllers_ = nullptr;
    ControllerAim aim_;
    // Until the mouse or the keyboard tells where the pointer is, a
    // controller aims from the middle of the sky, not from its corner.
    CanvasPoint pointer_{640, 384, true};
    // Whether the controllers moved the pointer last; the mouse takes it
    // back when it moves or presses.
    bool padAims_ = false;
    std::optional<QPointF> lastMouse_;  // on the screen
};

// The game's key value for a Qt key press: the character the key produces,
// with letters folded to lower case (Space 32, Escape 27, "i" 105, "p" 112).
int64_t gameKeyValue(int qtKey, const QString& text);

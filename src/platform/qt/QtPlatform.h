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

    int64_t clockMs() const override;
    void sleepMs(int64_t ms) override;

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
    // at once with the remembered choice, and again at every change.
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

    // For tests: the locale used instead of the system's, and what opens a
    // web address instead of the desktop's browser.
    void setLocaleForTesting(const QLocale& locale) { locale_ = locale; }
    void setUrlOpenerForTesting(std::function<bool(const QUrl&)> opener) { urlOpener_ = std::move(opener); }

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

private:
    class Window;
    class CanvasView;
    class PadAnswers;

    // A key event where the keyboard's events happen.
    WindowEvent keyboardEvent(CanvasEventType type) const;
    // Turns what the controllers did since the last poll into game events.
    void pollControllers();

    // Sizes the window to the largest that fits its screen and centres it.
    void fitWindowToScreen();
    QMargins frameMargins() const;
    void addViewMenu();
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
    std::function<void(bool)> muteHandler_;
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

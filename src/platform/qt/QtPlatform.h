#pragma once
// The desktop through Qt 6 Widgets: a QMainWindow with the menu bar over a
// fixed 1280 x 768 canvas widget that shows the drawing surface's pixels.
// Qt's events are collected into the game's own queue, from which the frame
// loop takes one per frame.
#include <QLocale>
#include <QPointer>
#include <deque>
#include <functional>
#include <memory>
#include <optional>

#include "core/Platform.h"
#include "platform/qt/QtTextRenderer.h"

class QWidget;
class QMainWindow;
class QUrl;
class QKeyEvent;

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

    // For tests: the locale used instead of the system's, and what opens a
    // web address instead of the desktop's browser.
    void setLocaleForTesting(const QLocale& locale) { locale_ = locale; }
    void setUrlOpenerForTesting(std::function<bool(const QUrl&)> opener) { urlOpener_ = std::move(opener); }

    QMainWindow* window() const;
    QWidget* canvasWidget() const;
    // Called by the window and canvas for every event they turn into one of
    // the game's.
    void enqueue(const WindowEvent& e) { queue_.push_back(e); }
    void enqueueKey(QKeyEvent* e, QWidget* canvas);
    const Canvas* shownCanvas() const { return shown_; }

private:
    class Window;
    class CanvasView;

    QtTextRenderer text_;
    std::deque<WindowEvent> queue_;
    std::unique_ptr<Window> window_;
    CanvasView* canvas_ = nullptr;  // owned by the window
    const Canvas* shown_ = nullptr;
    std::optional<QLocale> locale_;
    std::function<bool(const QUrl&)> urlOpener_;
};

// The game's key value for a Qt key press: the character the key produces,
// with letters folded to lower case (Space 32, Escape 27, "i" 105, "p" 112).
int64_t gameKeyValue(int qtKey, const QString& text);

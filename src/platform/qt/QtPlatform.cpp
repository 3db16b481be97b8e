#include "platform/qt/QtPlatform.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <QWidget>
#include <QWindow>
#include <chrono>
#include <thread>

#include "platform/SystemInfo.h"
#include "platform/qt/CanvasShow.h"
#include "platform/qt/ScrollingTextBox.h"

namespace {
QString qs(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// The game's texts use "\n\r" and "\n" as line breaks; a lone CR shows as a
// line break here too, as it does in the original's dialogs.
QString dialogText(const std::string& s) {
    QString t = qs(s);
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(QChar('\r'), QChar('\n'));
    return t;
}

}  // namespace

int64_t gameKeyValue(int qtKey, const QString& text) {
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return qtKey - Qt::Key_A + 'a';
    switch (qtKey) {
    case Qt::Key_Space: return KeySpace;
    case Qt::Key_Escape: return KeyEscape;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Tab: return 9;
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Delete: return 127;
    default: break;
    }
    if (!text.isEmpty()) {
        const char32_t c = text.toUcs4().value(0);
        if (c >= 'A' && c <= 'Z') return int64_t(c) - 'A' + 'a';
        if (c >= 0x20) return int64_t(c);
    }
    return int64_t(qtKey);
}

// The canvas: shows the drawing surface's pixels scaled to fit (black bars
// where the shapes differ) through the show inside it (CanvasShow.h), hides
// the pointer and turns its mouse and key events into the game's canvas
// events, with positions in canvas pixels.
class QtPlatform::CanvasView final : public QWidget {
public:
    explicit CanvasView(QtPlatform& platform) : platform_(platform) {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setAttribute(Qt::WA_NoSystemBackground);
        setFocusPolicy(Qt::StrongFocus);
        setMouseTracking(true);
        setMinimumSize(kMinimumWidth, kMinimumHeight);
        show_ = makeCanvasShow(chooseShowPath(), this);
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(show_->widget());
    }

    CanvasShow& show() { return *show_; }

    QSize sizeHint() const override { return {1280, 768}; }

    CanvasFit fit() const {
        const qreal dpr = devicePixelRatioF();
        return fitCanvas(std::llround(width() * dpr), std::llround(height() * dpr));
    }

    // The canvas's rectangle in logical pixels.
    QRectF target(const CanvasFit& f) const {
        const qreal dpr = devicePixelRatioF();
        return {f.x / dpr, f.y / dpr, f.width / dpr, f.height / dpr};
    }

    // A canvas event at a widget position: pinned to the canvas's edge in
    // the bars, where a press is no press on the canvas.
    WindowEvent event(CanvasEventType type, QPointF pos) const {
        const qreal dpr = devicePixelRatioF();
        const CanvasPoint p = canvasPointAt(fit(), pos.x() * dpr, pos.y() * dpr);
        WindowEvent e;
        e.code = EventCanvas;
        e.canvasType = type == CanvasLeftDown && !p.inside ? CanvasOther : type;
        e.x = p.x;
        e.y = p.y;
        return e;
    }

protected:
    void mousePressEvent(QMouseEvent* e) override {
        const bool left = e->button() == Qt::LeftButton;
        platform_.enqueueMouse(event(left ? CanvasLeftDown : CanvasOther, e->position()), e->globalPosition(), true);
    }
    void mouseReleaseEvent(QMouseEvent* e) override {
        platform_.enqueueMouse(event(CanvasLeftUp, e->position()), e->globalPosition(), false);
    }
    void mouseMoveEvent(QMouseEvent* e) override {
        platform_.blankPointerAfterBox();
        platform_.enqueueMouse(event(CanvasMoved, e->position()), e->globalPosition(), false);
    }
    void enterEvent(QEnterEvent* e) override {
        platform_.blankPointerAfterBox();
        QWidget::enterEvent(e);
    }
    void keyPressEvent(QKeyEvent* e) override { platform_.enqueueKey(e); }
    void keyReleaseEvent(QKeyEvent*) override { platform_.enqueueKeyRelease(); }

private:
    // A quarter of the canvas: smaller than this nothing can be aimed at.
    static constexpr int kMinimumWidth = 320;
    static constexpr int kMinimumHeight = 192;
    QtPlatform& platform_;
    std::unique_ptr<CanvasShow> show_;
};

// The main window: its close button and minimising become game events; the
// window itself stays open until shut-down.
class QtPlatform::Window final : public QMainWindow {
public:
    explicit Window(QtPlatform& platform) : platform_(platform) {}
    bool allowClose = false;

protected:
    void closeEvent(QCloseEvent* e) override {
        if (allowClose) {
            e->accept();
            return;
        }
        e->ignore();
        WindowEvent ev;
        ev.code = EventClose;
        platform_.enqueue(ev);
    }
    void changeEvent(QEvent* e) override {
        if (e->type() == QEvent::WindowStateChange) {
            if (isMinimized()) {
                WindowEvent ev;
                ev.code = EventMinimise;
                platform_.enqueue(ev);
            }
            // The window manager may take the window out of full screen
            // itself; the menu follows.
            const bool full = isFullScreen();
            if (!isMinimized() && full != platform_.view_.fullScreen) platform_.setFullScreen(full);
        }
        QMainWindow::changeEvent(e);
    }
    // Keys that reach the window rather than the canvas (focus lost to the
    // menu bar, say) still steer the game.
    void keyPressEvent(QKeyEvent* e) override { platform_.enqueueKey(e); }

private:
    QtPlatform& platform_;
};

void QtPlatform::enqueue(const WindowEvent& e) {
    if (e.code == EventCanvas) pointer_ = {e.x, e.y, true};
    queue_.push(e);
}

WindowEvent QtPlatform::keyboardEvent(CanvasEventType type) const {
    // After a controller has aimed, keys act at its crosshair: the hidden
    // system pointer stayed where the mouse left it.
    if (padAims_) return canvasEventAt(type, pointer_);
    // A key press counts wherever the pointer is.
    return canvas_->event(type, canvas_->mapFromGlobal(QCursor::pos().toPointF()));
}

void QtPlatform::enqueueKey(QKeyEvent* e) {
    if (!canvas_) return;
    WindowEvent ev = keyboardEvent(CanvasKeyDown);
    ev.key = gameKeyValue(e->key(), e->text());
    enqueue(ev);
}

void QtPlatform::enqueueKeyRelease() {
    if (canvas_) enqueue(keyboardEvent(CanvasOther));
}

void QtPlatform::enqueueMouse(const WindowEvent& e, QPointF global, bool press) {
    // Whichever moved last sets the pointer. The mouse takes it back from
    // the controllers when it moves or presses a button, not when the
    // window system only repeats where it stands (as it may when a box
    // closes over it).
    const bool moved = !lastMouse_ || *lastMouse_ != global;
    lastMouse_ = global;
    if (padAims_ && !press && !moved) return;
    padAims_ = false;
    enqueue(e);
}

void QtPlatform::pollControllers() {
    if (!controllers_) return;
    const PadReport report = controllers_->poll();
    // Like the keyboard, the controllers steer the game only while it is
    // the active application; read anyway, so that controllers plugged in
    // or pulled out meanwhile are taken in and old presses do not wait.
    if (!canvas_ || QGuiApplication::applicationState() != Qt::ApplicationActive) return;
    const CanvasPoint to = aim_.move(pointer_, report.motion);
    if (to.x != pointer_.x || to.y != pointer_.y) {
        padAims_ = true;
        enqueue(canvasEventAt(CanvasMoved, to));
    }
    for (const PadButton button : report.pressed)
        if (const auto e = gameEventOf(button, pointer_)) enqueue(*e);
}

// While a modal box is open the frame loop stands still, and the box reads
// the controllers itself, once a frame: South answers it as `accept` does,
// East as `cancel`. Everything else they do meanwhile is let go, so the
// crosshair does not jump when the box closes; controllers plugged in or
// pulled out meanwhile are taken in.
class QtPlatform::PadAnswers {
public:
    PadAnswers(ControllerSource* source, std::function<void()> accept, std::function<void()> cancel)
        : accept_(std::move(accept)), cancel_(std::move(cancel)) {
        if (!source) return;
        timer_.setInterval(kPollMs);
        QObject::connect(&timer_, &QTimer::timeout, [this, source] {
            const PadReport report = source->poll();
            if (answered_ || QGuiApplication::applicationState() != Qt::ApplicationActive) return;
            for (const PadButton button : report.pressed) {
                if (button != PadButton::South && button != PadButton::East) continue;
                answered_ = true;
                (button == PadButton::South ? accept_ : cancel_)();
                return;
            }
        });
        timer_.start();
    }

private:
    static constexpr int kPollMs = 16;
    std::function<void()> accept_, cancel_;
    QTimer timer_;
    bool answered_ = false;
};

QtPlatform::QtPlatform() = default;

QtPlatform::~QtPlatform() { closeWindow(); }

QMainWindow* QtPlatform::window() const { return window_.get(); }
QWidget* QtPlatform::canvasWidget() const { return canvas_; }

void QtPlatform::becomeForegroundApp() {
    QCoreApplication::setApplicationName(QStringLiteral("zarvex"));
    // The installed desktop entry's name, which is the window's Wayland app
    // id: docks and task bars find the window's entry and icon by it (on X11
    // by the application's name, the entry's StartupWMClass).
    QGuiApplication::setDesktopFileName(QStringLiteral("org.zarvex.Zarvex"));
    QApplication::setQuitOnLastWindowClosed(false);
}

void QtPlatform::openWindow(const std::string& title, int, int) {
    readViewSettings();
    openingFramesLeft_ = kFitFrames;
    window_ = std::make_unique<Window>(*this);
    // Another application's window taking the focus leaves the game as
    // minimising does. The game's own boxes and menus keep the application
    // active, so they do not count.
    QObject::connect(qApp, &QGuiApplication::applicationStateChanged, window_.get(),
                     [this](Qt::ApplicationState state) { leftForAnotherApp_ = state != Qt::ApplicationActive; });
    window_->setWindowTitle(qs(title));
    canvas_ = new CanvasView(*this);
    window_->setCentralWidget(canvas_);
    fitWindowToScreen();
    window_->show();
    window_->raise();
    window_->activateWindow();
}

void QtPlatform::buildMenus(const std::vector<MenuSpec>& menus) {
    if (!window_) return;
    QMenuBar* bar = window_->menuBar();
    for (const MenuSpec& spec : menus) {
        QMenu* menu = bar->addMenu(qs(spec.title));
        for (const MenuItemSpec& item : spec.items) {
            QAction* action = menu->addAction(qs(item.text));
            if (spec.applicationMenu && item.id == MenuAbout) action->setMenuRole(QAction::AboutRole);
            else if (spec.applicationMenu && item.id == MenuQuit) {
                action->setMenuRole(QAction::QuitRole);
                action->setShortcut(QKeySequence::Quit);
                window_->addAction(action);  // the shortcut works in full screen too
            } else {
                action->setMenuRole(QAction::NoRole);
            }
            const MenuId id = item.id;
            QObject::connect(action, &QAction::triggered, window_.get(), [this, id] {
                WindowEvent ev;
                ev.code = EventMenu;
                ev.menuId = id;
                enqueue(ev);
            });
        }
    }
    addViewMenu();
    // The menu bar's height is known now: fit again, and keep fitting until
    // the window manager has told the frame around the window.
    fitWindowToScreen();
    fitFramesLeft_ = kFitFrames;
    if (view_.fullScreen) setFullScreen(true);
}

void QtPlatform::addViewMenu() {
    QMenu* view = window_->menuBar()->addMenu(QStringLiteral("View"));
    fullScreenAction_ = view->addAction(QStringLiteral("Full Screen"));
    fullScreenAction_->setCheckable(true);
    fullScreenAction_->setChecked(view_.fullScreen);
    // F11 here; the platform's own shortcut too where it has one (macOS).
    QList<QKeySequence> keys = QKeySequence::keyBindings(QKeySequence::FullScreen);
    keys.removeAll(QKeySequence(Qt::Key_F11));
    keys.prepend(QKeySequence(Qt::Key_F11));
    fullScreenAction_->setShortcuts(keys);
    QObject::connect(fullScreenAction_, &QAction::triggered, window_.get(), [this](bool on) { setFullScreen(on); });

    muteAction_ = view->addAction(QStringLiteral("Mute Sound"));
    muteAction_->setCheckable(true);
    muteAction_->setChecked(view_.muted);
    muteAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_M));
    QObject::connect(muteAction_, &QAction::triggered, window_.get(), [this](bool on) { setMuted(on); });

    frameRateAction_ = view->addAction(QStringLiteral("Show Frame Rate"));
    frameRateAction_->setCheckable(true);
    frameRateAction_->setChecked(view_.showFrameRate);
    QObject::connect(frameRateAction_, &QAction::triggered, window_.get(),
                     [this](bool on) { setShowFrameRate(on); });

    // Hidden with the menu bar in full screen, the shortcuts still work.
    window_->addAction(fullScreenAction_);
    window_->addAction(muteAction_);
}

void QtPlatform::setFullScreen(bool on) {
    openingFramesLeft_ = 0;
    if (view_.fullScreen != on) {
        view_.fullScreen = on;
        saveViewSettings(view_);
    }
    if (fullScreenAction_) fullScreenAction_->setChecked(on);
    if (!window_) return;
    if (on && !window_->isFullScreen()) {
        wasMaximised_ = window_->isMaximized();
        window_->menuBar()->hide();
        window_->showFullScreen();
    } else if (!on && window_->isFullScreen()) {
        window_->menuBar()->show();
        // On Wayland a window back from full screen shows at its normal
        // size, which leaves room for the desktop's panels (see
        // fitWindowToScreen).
        if (wasMaximised_ && workAreaKnown())
            window_->showMaximized();
        else
            window_->showNormal();
        restoreFramesLeft_ = kFitFrames;
    } else {
        window_->menuBar()->setVisible(!on);
    }
    if (canvas_) canvas_->setFocus(Qt::OtherFocusReason);
}

void QtPlatform::setMuted(bool on) {
    if (view_.muted != on) {
        view_.muted = on;
        saveViewSettings(view_);
    }
    if (muteAction_) muteAction_->setChecked(on);
    if (muteHandler_) muteHandler_(on);
}

void QtPlatform::setShowFrameRate(bool on) {
    if (view_.showFrameRate != on) {
        view_.showFrameRate = on;
        saveViewSettings(view_);
    }
    if (frameRateAction_) frameRateAction_->setChecked(on);
    if (canvas_) canvas_->show().setOverlay(on ? QString::fromStdString(frameRate_.text()) : QString());
}

CanvasShow* QtPlatform::canvasShow() const { return canvas_ ? &canvas_->show() : nullptr; }

void QtPlatform::setMuteHandler(std::function<void(bool)> handler) {
    muteHandler_ = std::move(handler);
    // The sound hears a remembered mute before it can make a sound, also
    // when it is wired before the window opens.
    readViewSettings();
    if (muteHandler_) muteHandler_(view_.muted);
}

void QtPlatform::readViewSettings() {
    if (viewRead_) return;
    viewRead_ = true;
    view_ = loadViewSettings();
}

void QtPlatform::runFirstFrameJobs() {
    if (firstFrameJobs_.empty() || !shown_ || !canvas_ || !canvas_->isVisible()) return;
    const auto jobs = std::move(firstFrameJobs_);
    firstFrameJobs_.clear();
    for (const auto& job : jobs) job();
}

void QtPlatform::noticeLeftForAnotherApp() {
    if (!leftForAnotherApp_) return;
    leftForAnotherApp_ = false;
    // A minimised window has told it already.
    if (!window_ || window_->isMinimized()) return;
    WindowEvent ev;
    ev.code = EventMinimise;
    enqueue(ev);
}

CanvasFit QtPlatform::canvasFit() const { return canvas_ ? canvas_->fit() : fitCanvas(1280, 768); }

QPointF QtPlatform::widgetPointOf(int64_t x, int64_t y) const {
    const CanvasFit f = canvasFit();
    const qreal dpr = canvas_ ? canvas_->devicePixelRatioF() : 1.0;
    return {(double(f.x) + (double(x) + 0.5) * double(f.width) / 1280.0) / dpr,
            (double(f.y) + (double(y) + 0.5) * double(f.height) / 768.0) / dpr};
}

QMargins QtPlatform::frameMargins() const {
    if (!window_) return {};
    const QRect frame = window_->frameGeometry();
    const QRect inner = window_->geometry();
    return {inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
            frame.bottom() - inner.bottom()};
}

bool QtPlatform::workAreaKnown() const {
    if (workAreaKnown_) return *workAreaKnown_;
    // Wayland tells a window neither the desktop's panels nor where it is:
    // every screen is all free area there, and the compositor places
    // windows itself.
    return !QGuiApplication::platformName().startsWith(QStringLiteral("wayland"));
}

void QtPlatform::fitWindowToScreen() {
    if (!window_ || window_->isFullScreen() || window_->isMaximized()) return;
    QScreen* screen = window_->screen() ? window_->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    QRect avail = screen->availableGeometry();
    const bool known = workAreaKnown();
    const QMargins margins = frameMargins();
    // Where the free area is unknown, room is left for the desktop's panels
    // and docks, and for a title bar that the compositor draws around the
    // window where Qt does not draw one (and does not know its size).
    if (!known) {
        const int room = (kUnknownPanels + (margins.top() == 0 ? kUnknownTitleBar : 0)) / 2;
        avail -= QMargins(room, room, room, room);
    }
    const QMenuBar* bar = window_->menuBar();
    const int menu = bar->isHidden() ? 0 : bar->heightForWidth(avail.width()) > 0 ? bar->heightForWidth(avail.width())
                                                                                  : bar->sizeHint().height();
    // The whole window, frame and menu bar included, on the screen's free
    // area; never above 100 % of the desktop's own scale.
    const double scale = largestScale(avail.width() - margins.left() - margins.right(),
                                      avail.height() - margins.top() - margins.bottom() - menu, 1.0);
    const QSize client(int(std::floor(1280 * scale)), int(std::floor(768 * scale)) + menu);
    window_->resize(client);
    QRect placed(QPoint(0, 0), client.grownBy(margins));
    placed.moveCenter(avail.center());
    window_->move(placed.topLeft());
    fittedFrame_ = margins;
    // A window smaller than 100 % there opens maximised instead: the
    // compositor knows its own free area and fits the window to it, with the
    // canvas letterboxed inside. The size above stays the one it restores
    // to. (A tiling compositor may keep its own size for it; the smaller
    // size still fits its free area, title bar included.) Only while the
    // window opens, and not when it opens in full screen: asked for both,
    // or for maximised just after full screen, the compositor may answer in
    // its own order, or weston tell a size of nothing and end the game's
    // connection.
    if (!known && scale < 1.0 && openingFramesLeft_ > 0 && !view_.fullScreen)
        window_->setWindowState(window_->windowState() | Qt::WindowMaximized);
}

void QtPlatform::hideCursorOverCanvas() {
    // Over the bars too: the crosshair is the only pointer.
    if (canvas_) canvas_->setCursor(QCursor(Qt::BlankCursor));
}

void QtPlatform::tellBlankPointer() {
    QWindow* handle = window_ ? window_->windowHandle() : nullptr;
    if (!canvas_ || !handle) return;
    // Qt tells the window system only a change of pointer: an arrow first
    // makes it tell the blank one again.
    handle->setCursor(QCursor(Qt::ArrowCursor));
    handle->setCursor(QCursor(Qt::BlankCursor));
}

void QtPlatform::boxClosed() {
    // A box that closes over the canvas may leave the system's arrow there:
    // on Wayland the pointer's picture belongs to the seat, the box's arrow
    // stays when the pointer comes back to the game's window, and Qt does
    // not tell the window's own again while the pointer stays over the same
    // widget. So the blank pointer is told again now if the pointer seems
    // to be over the canvas, and once more when it next enters or moves
    // there, when the window system has given the pointer back to the window
    // (Wayland tells where the pointer is only inside the window it is over).
    if (!canvas_) return;
    blankPointerPending_ = true;
    if (canvas_->rect().contains(canvas_->mapFromGlobal(QCursor::pos()))) tellBlankPointer();
}

void QtPlatform::blankPointerAfterBox() {
    if (!blankPointerPending_) return;
    blankPointerPending_ = false;
    tellBlankPointer();
}

void QtPlatform::focusCanvas() {
    if (!window_) return;
    window_->activateWindow();
    if (canvas_) canvas_->setFocus(Qt::ActiveWindowFocusReason);
}

void QtPlatform::activateApp() {
    if (!window_) return;
    if (window_->isMinimized()) window_->showNormal();
    window_->raise();
    window_->activateWindow();
    // Back from a dialog, keys must reach the game again without a click.
    if (canvas_) canvas_->setFocus(Qt::ActiveWindowFocusReason);
}

void QtPlatform::closeWindow() {
    if (!window_) return;
    window_->allowClose = true;
    window_->close();
    canvas_ = nullptr;
    // The menu's actions go with the window.
    fullScreenAction_ = nullptr;
    muteAction_ = nullptr;
    window_.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

WindowEvent QtPlatform::pollEvent() {
    frameRate_.stepStarted(double(clockMicros()) / 1000.0);
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    // The window manager tells the frame around the window only once the
    // window is up, and restores it from full screen in its own time: fit
    // the window again when its frame is new to us, and after full screen
    // when it is not on the screen. A size the player chose is kept.
    if ((fitFramesLeft_ > 0 || restoreFramesLeft_ > 0) && window_ && window_->isVisible() &&
        !window_->isMinimized() && !window_->isFullScreen() && !window_->isMaximized()) {
        const QScreen* screen = window_->screen();
        const bool offScreen = screen && !screen->availableGeometry().contains(window_->frameGeometry());
        if (frameMargins() != fittedFrame_ || (restoreFramesLeft_ > 0 && offScreen)) fitWindowToScreen();
        if (fitFramesLeft_ > 0) --fitFramesLeft_;
        if (restoreFramesLeft_ > 0) --restoreFramesLeft_;
    }
    if (openingFramesLeft_ > 0) --openingFramesLeft_;
    noticeLeftForAnotherApp();
    runFirstFrameJobs();
    pollControllers();
    return queue_.pop();
}

void QtPlatform::postMenuEvent(MenuId id) {
    WindowEvent ev;
    ev.code = EventMenu;
    ev.menuId = id;
    enqueue(ev);
}

int64_t QtPlatform::clockMicros() const {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

void QtPlatform::sleepUntilMicros(int64_t deadline) {
    // An absolute deadline on the same clock: a late wake-up does not push
    // the next step later.
    using namespace std::chrono;
    std::this_thread::sleep_until(steady_clock::time_point(microseconds(deadline)));
}

std::string QtPlatform::applicationSupportDir() {
#ifdef __APPLE__
    const std::string dir = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation).toStdString();
#else
    // The XDG data home, worked out here rather than by Qt, which takes a
    // missing HOME for the root folder and a relative XDG_DATA_HOME as it
    // stands.
    const std::string dir = systemDataHome();
#endif
    // No home folder at all: there is nowhere the Hall of Fame belongs.
    if (dir.empty()) return {};
    // On a fresh account the folder may not exist yet; without it every
    // score would be lost.
    QDir().mkpath(QFile::decodeName(QByteArray::fromStdString(dir)));
    return dir;
}

std::string QtPlatform::executablePath() { return QCoreApplication::applicationFilePath().toStdString(); }

void QtPlatform::present(const Canvas& canvas) {
    shown_ = &canvas;
    if (!canvas_) return;
    // The frame rate goes over what is shown, never into the canvas.
    if (view_.showFrameRate) canvas_->show().setOverlay(QString::fromStdString(frameRate_.text()));
    canvas_->show().show(&canvas);
    frameRate_.frameShown(double(clockMicros()) / 1000.0);
}

void QtPlatform::messageBox(const std::string& title, const std::string& text) {
    QMessageBox box(QMessageBox::NoIcon, qs(title), dialogText(text), QMessageBox::Ok, window_.get());
    // Names and paths are shown as they are, never read as markup.
    box.setTextFormat(Qt::PlainText);
    // A text too large for the screen (a hand-made Hall of Fame of
    // thousands of entries) scrolls in a box that fits it instead; the
    // frame of the game's window stands for the frame the box will get.
    QScreen* screen = window_ && window_->screen() ? window_->screen() : QGuiApplication::primaryScreen();
    // A box with one button: South and East both close it, as OK does.
    const auto close = [] {
        if (auto* open = qobject_cast<QDialog*>(QApplication::activeModalWidget())) open->accept();
    };
    PadAnswers answers(controllers_, close, close);
    if (!screen || fitsIn(box.sizeHint(), frameMargins(), screen->availableGeometry()))
        box.exec();
    else
        showScrollingTextBox(window_.get(), screen->availableGeometry(), frameMargins(), box.windowTitle(), box.text());
    boxClosed();
    activateApp();
}

bool QtPlatform::yesNoBox(const std::string& title, const std::string& text) {
    QMessageBox box(QMessageBox::Question, qs(title), dialogText(text), QMessageBox::Yes | QMessageBox::No,
                    window_.get());
    box.setDefaultButton(QMessageBox::No);
    PadAnswers answers(
        controllers_, [&box] { box.button(QMessageBox::Yes)->click(); },
        [&box] { box.button(QMessageBox::No)->click(); });
    const bool yes = box.exec() == QMessageBox::Yes;
    boxClosed();
    activateApp();
    return yes;
}

std::string QtPlatform::textInputBox(const std::string& title, const std::string& message,
                                     const std::string& initial) {
    QInputDialog box(window_.get());
    box.setWindowTitle(qs(title));
    box.setLabelText(dialogText(message));
    box.setTextValue(qs(initial));
    box.setTextEchoMode(QLineEdit::Normal);
    // South takes the name as it stands: the suggested one, unless the
    // player typed another.
    PadAnswers answers(controllers_, [&box] { box.accept(); }, [&box] { box.reject(); });
    const bool ok = box.exec() == QDialog::Accepted;
    const QString answer = box.textValue();
    boxClosed();
    activateApp();
    return ok ? answer.toStdString() : std::string();
}

AlertButton QtPlatform::aboutAlert(const std::string& message, const std::string& informative,
                                   const std::string& firstButton, const std::string& secondButton) {
    QMessageBox box(window_.get());
    box.setWindowTitle(qs(message));
    box.setText(qs(message));
    box.setInformativeText(dialogText(informative));
    QPushButton* first = box.addButton(qs(firstButton), QMessageBox::AcceptRole);
    QPushButton* second = box.addButton(qs(secondButton), QMessageBox::ActionRole);
    box.setDefaultButton(first);
    box.setEscapeButton(first);
    // East closes the box as Escape does, with the first button.
    PadAnswers answers(controllers_, [first] { first->click(); }, [first] { first->click(); });
    box.exec();
    boxClosed();
    return box.clickedButton() == second ? AlertSecond : AlertFirst;
}

bool QtPlatform::openWebAddress(const std::string& address) {
    const QUrl url(qs(address), QUrl::StrictMode);
    if (!url.isValid() || url.scheme().isEmpty()) return false;
    if (urlOpener_) return urlOpener_(url);
    QDesktopServices::openUrl(url);
    return true;
}

std::string QtPlatform::userFullName() { return systemUserFullName(); }
int64_t QtPlatform::osMajorVersion() { return systemOsMajorVersion(); }
std::optional<std::string> QtPlatform::cpuBrand() { return systemCpuBrand(); }

std::string QtPlatform::platformName() {
#ifdef __APPLE__
    return "macOS";
#else
    return "Linux";
#endif
}

std::string QtPlatform::formatGrouped(int64_t value) const {
    QLocale locale = locale_ ? *locale_ : QLocale::system();
    // The bare C/POSIX locale (common for programs started outside a
    // desktop session) groups nothing; the game's scores read better in the
    // English style there.
    if (locale.language() == QLocale::C) locale = QLocale(QLocale::English, QLocale::UnitedStates);
    locale.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    return locale.toString(static_cast<qlonglong>(value)).toStdString();
}

#include "platform/qt/QtPlatform.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QDir>
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
#include <QUrl>
#include <QWidget>
#include <chrono>
#include <thread>

#include "platform/SystemInfo.h"

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

WindowEvent canvasEvent(CanvasEventType type, QPoint pos) {
    WindowEvent e;
    e.code = EventCanvas;
    e.canvasType = type;
    e.x = pos.x();
    e.y = pos.y();
    return e;
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

// The canvas: shows the drawing surface's pixels, hides the pointer and
// turns its mouse and key events into the game's canvas events.
class QtPlatform::CanvasView final : public QWidget {
public:
    CanvasView(QtPlatform& platform, int width, int height) : platform_(platform) {
        setFixedSize(width, height);
        setAttribute(Qt::WA_OpaquePaintEvent);
        setAttribute(Qt::WA_NoSystemBackground);
        setFocusPolicy(Qt::StrongFocus);
        setMouseTracking(true);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const Canvas* c = platform_.shownCanvas();
        if (c && c->pixels) {
            const QImage image(reinterpret_cast<const uchar*>(c->pixels), c->width, c->height,
                               static_cast<qsizetype>(c->stride) * 4, QImage::Format_RGB32);
            p.drawImage(0, 0, image);
        } else {
            p.fillRect(rect(), Qt::black);
        }
    }
    void mousePressEvent(QMouseEvent* e) override {
        const bool left = e->button() == Qt::LeftButton;
        platform_.enqueue(canvasEvent(left ? CanvasLeftDown : CanvasOther, e->position().toPoint()));
    }
    void mouseReleaseEvent(QMouseEvent* e) override {
        platform_.enqueue(canvasEvent(CanvasLeftUp, e->position().toPoint()));
    }
    void mouseMoveEvent(QMouseEvent* e) override {
        platform_.enqueue(canvasEvent(CanvasMoved, e->position().toPoint()));
    }
    void keyPressEvent(QKeyEvent* e) override { platform_.enqueueKey(e, this); }
    void keyReleaseEvent(QKeyEvent*) override {
        platform_.enqueue(canvasEvent(CanvasOther, mapFromGlobal(QCursor::pos())));
    }

private:
    QtPlatform& platform_;
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
        if (e->type() == QEvent::WindowStateChange && isMinimized()) {
            WindowEvent ev;
            ev.code = EventMinimise;
            platform_.enqueue(ev);
        }
        QMainWindow::changeEvent(e);
    }
    // Keys that reach the window rather than the canvas (focus lost to the
    // menu bar, say) still steer the game.
    void keyPressEvent(QKeyEvent* e) override {
        if (platform_.canvas_) platform_.enqueueKey(e, platform_.canvas_);
    }

private:
    QtPlatform& platform_;
};

void QtPlatform::enqueueKey(QKeyEvent* e, QWidget* canvas) {
    WindowEvent ev = canvasEvent(CanvasKeyDown, canvas->mapFromGlobal(QCursor::pos()));
    ev.key = gameKeyValue(e->key(), e->text());
    enqueue(ev);
}

QtPlatform::QtPlatform() = default;

QtPlatform::~QtPlatform() { closeWindow(); }

QMainWindow* QtPlatform::window() const { return window_.get(); }
QWidget* QtPlatform::canvasWidget() const { return canvas_; }

void QtPlatform::becomeForegroundApp() {
    QCoreApplication::setApplicationName(QStringLiteral("zarvex"));
    QApplication::setQuitOnLastWindowClosed(false);
}

void QtPlatform::openWindow(const std::string& title, int width, int height) {
    window_ = std::make_unique<Window>(*this);
    window_->setWindowTitle(qs(title));
    canvas_ = new CanvasView(*this, width, height);
    window_->setCentralWidget(canvas_);
    window_->setFixedSize(window_->sizeHint());
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = window_->frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        window_->move(frame.topLeft());
    }
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
    // The menu bar's height varies with the style (and is zero under a
    // global menu bar), so the window's fixed size is taken now.
    window_->setFixedSize(window_->sizeHint());
}

void QtPlatform::hideCursorOverCanvas() {
    if (canvas_) canvas_->setCursor(QCursor(Qt::BlankCursor));
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
    window_.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

WindowEvent QtPlatform::pollEvent() {
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    if (queue_.empty()) return {};
    WindowEvent e = queue_.front();
    queue_.pop_front();
    return e;
}

void QtPlatform::postMenuEvent(MenuId id) {
    WindowEvent ev;
    ev.code = EventMenu;
    ev.menuId = id;
    enqueue(ev);
}

int64_t QtPlatform::clockMs() const {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void QtPlatform::sleepMs(int64_t ms) {
    if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

std::string QtPlatform::applicationSupportDir() {
    QString dir = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (dir.isEmpty()) dir = QDir::homePath() + QStringLiteral("/.local/share");
    // On a fresh account the folder may not exist yet; without it every
    // score would be lost.
    QDir().mkpath(dir);
    return dir.toStdString();
}

std::string QtPlatform::executablePath() { return QCoreApplication::applicationFilePath().toStdString(); }

void QtPlatform::present(const Canvas& canvas) {
    shown_ = &canvas;
    if (canvas_ && canvas_->isVisible()) canvas_->repaint();
}

void QtPlatform::messageBox(const std::string& title, const std::string& text) {
    QMessageBox box(QMessageBox::NoIcon, qs(title), dialogText(text), QMessageBox::Ok, window_.get());
    box.exec();
    activateApp();
}

bool QtPlatform::yesNoBox(const std::string& title, const std::string& text) {
    QMessageBox box(QMessageBox::Question, qs(title), dialogText(text), QMessageBox::Yes | QMessageBox::No,
                    window_.get());
    box.setDefaultButton(QMessageBox::No);
    const bool yes = box.exec() == QMessageBox::Yes;
    activateApp();
    return yes;
}

std::string QtPlatform::textInputBox(const std::string& title, const std::string& message,
                                     const std::string& initial) {
    bool ok = false;
    const QString answer =
        QInputDialog::getText(window_.get(), qs(title), dialogText(message), QLineEdit::Normal, qs(initial), &ok);
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
    box.exec();
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

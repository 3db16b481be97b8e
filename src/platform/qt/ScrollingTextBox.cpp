#include "platform/qt/ScrollingTextBox.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStringList>
#include <QVBoxLayout>
#include <algorithm>

namespace {
constexpr int kNarrowest = 400;
constexpr int kWidest = 960;
}  // namespace

bool fitsIn(QSize size, const QMargins& frame, const QRect& available) {
    const QSize framed = size.grownBy(frame);
    return framed.width() <= available.width() && framed.height() <= available.height();
}

void showScrollingTextBox(QWidget* parent, const QRect& available, const QMargins& frame, const QString& title,
                          const QString& text) {
    const QRect room = available.marginsRemoved(frame);
    QDialog box(parent);
    box.setWindowTitle(title);
    auto* layout = new QVBoxLayout(&box);

    auto* view = new QPlainTextEdit(&box);
    view->setReadOnly(true);
    view->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    // A name wider than the box breaks where it must.
    view->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    view->setPlainText(text);
    layout->addWidget(view);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &box);
    // Return reaches the box through the read-only text and presses OK.
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
    layout->addWidget(buttons);

    // As wide as the longest line needs, within the room and a width that
    // still reads well (longer lines break); as tall as the room.
    const QFontMetrics metrics(view->font());
    int widest = 0;
    for (const QString& line : text.split(QChar('\n'))) widest = std::max(widest, metrics.horizontalAdvance(line));
    const QMargins margins = layout->contentsMargins();
    const int chrome = margins.left() + margins.right() + 2 * view->frameWidth() +
                       view->verticalScrollBar()->sizeHint().width() + 2 * int(view->document()->documentMargin());
    const QSize size(std::clamp(widest + chrome, std::min(kNarrowest, room.width()), std::min(kWidest, room.width())),
                     room.height());
    box.resize(size);
    box.setMaximumSize(room.size());
    QRect placed(QPoint(0, 0), size.grownBy(frame));
    placed.moveCenter(available.center());
    box.move(placed.topLeft());
    box.exec();
}

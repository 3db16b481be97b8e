#pragma once
// A message box for a text too large for the screen. A hand-made Hall of
// Fame may hold thousands of entries, or names of kilobytes; shown in a
// plain message box it would grow past the screen's edge with its OK button
// out of reach. This box fits the room it is given: the text scrolls, OK
// stays at the bottom, and Return or Escape close it as they close a
// message box.
#include <QMargins>
#include <QRect>
#include <QSize>
#include <QString>

class QWidget;

// Whether a window of this size, in a frame with these margins, fits the
// screen's available area.
bool fitsIn(QSize size, const QMargins& frame, const QRect& available);

// Shows `text` (plain text, lines broken by "\n") in a modal box with an OK
// button that, in its frame, takes at most the available area, centred in
// it; blocks until closed.
void showScrollingTextBox(QWidget* parent, const QRect& available, const QMargins& frame, const QString& title,
                          const QString& text);

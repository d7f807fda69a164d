#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>
#include <QString>

class QWidget;

namespace ui {

// Where a window goes on a screen: its frame moved, and shrunk where it must, into the
// screen's available area, never below the window's minimum frame size. A minimum larger
// than the area keeps the top left corner on the screen.
QRect fitIntoScreen(const QRect& frame, const QSize& minimumFrame, const QRect& available);

// A window's size and place are kept per window and per user: saved each time it hides,
// under "windows/<key>" of the program's settings, and restored on its first showing of a
// run. Every showing fits it into the screen it lands on (the one under its centre, else the
// one it was on), so a place saved on a screen that is gone, or a size larger than this
// screen, still opens with every control on screen. A window not yet remembered keeps the
// size of its layout (the designed one) and the place its opener gives it.
void rememberGeometry(QWidget* window, const QString& key);

// Whether a size and place are saved for the key (an opener that centres its window does so
// only when none is).
bool hasRememberedGeometry(const QString& key);

// Drops what is saved for the key: the window opens as designed again.
void forgetGeometry(const QString& key);

} // namespace ui

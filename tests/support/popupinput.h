#pragma once

#include <QPoint>
#include <Qt>

class QWidget;
class QWindow;

// Mouse input while popups may be open, as the X server reports it: an open
// popup holds the pointer, so every event goes to the active popup's
// window; otherwise to the window under the position. Each event is
// delivered at once through Qt's window-system interface and nothing else
// runs, so a test can look between an event and the next pass of the event
// loop. GUI thread only.
namespace PopupInput {

QWindow *windowAt(const QPoint &globalPos);

// Moves with the buttons held now.
void move(const QPoint &globalPos);
void press(const QPoint &globalPos, Qt::MouseButton button = Qt::LeftButton);
void release(const QPoint &globalPos, Qt::MouseButton button = Qt::LeftButton);
// A move there, a press and a release.
void click(const QPoint &globalPos);
// A press, a release and a second press that Qt turns into a double click.
void doubleClick(const QPoint &globalPos);

QPoint centreOf(const QWidget *widget);

} // namespace PopupInput

#pragma once

#include <QPoint>

class QWidget;
class QWindow;

// Mouse input as a platform plugin reports it: every event goes to the
// widget's window through Qt's window-system interface or Qt Test's window
// functions, at global positions, so Qt dispatches hover, enter, leave and
// presses to the widgets itself. GUI thread only.
namespace WindowInput {

// The pointer enters the window at a global position.
void enter(QWindow *window, const QPoint &globalPos);
// The pointer leaves the window.
void leave(QWindow *window);

// The left button pressed, moved with it held, released and double-clicked
// at global positions over a top-level widget, whose window may move
// between the events.
void press(QWidget *window, const QPoint &globalPos);
void move(QWidget *window, const QPoint &globalPos);
void release(QWidget *window, const QPoint &globalPos);
void doubleClick(QWidget *window, const QPoint &globalPos);

// Puts the platform's cursor on the widget's centre, enters the widget's
// window beside it, moves onto the centre and clicks the left button there.
void click(QWidget *widget);

} // namespace WindowInput

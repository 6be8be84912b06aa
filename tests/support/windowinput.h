#pragma once

#include <QPoint>

class QWindow;

// Window-system input that Qt Test has no call for, delivered through
// Qt's window-system interface exactly as a platform plugin reports it.
namespace WindowInput {

// The pointer enters the window at a global position.
void enter(QWindow *window, const QPoint &globalPos);
// The pointer leaves the window.
void leave(QWindow *window);

} // namespace WindowInput

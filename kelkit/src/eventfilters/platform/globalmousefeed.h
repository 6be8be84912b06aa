#pragma once

#include <QPoint>
#include <Qt>

class QEvent;
class QObject;

// The source of the global mouse watchers: every mouse move and left,
// right or middle button press that any window of the program gets, in
// client and non-client areas, at its global position in physical pixels.
//
// It is fed by KelApplication::notify() rather than by an application
// event filter, because on xcb a running QDrag installs a filter of its own
// that eats the moves before any other filter sees them. GUI thread only.
namespace KelPlatform {

enum class GlobalMouseAction { Move, Press };

// Called once per mouse event with its physical global position; for
// moves the button is Qt::NoButton.
using GlobalMouseHook = void (*)(GlobalMouseAction action, const QPoint &devicePos,
                                 Qt::MouseButton button);

// Installs the one hook, or removes it with nullptr.
void setGlobalMouseHook(GlobalMouseHook hook);
bool hasGlobalMouseHook();

// Given every event before it is delivered; only events whose receiver is
// a window count, so each event from the window system is reported once.
void feedGlobalMouseEvent(QObject *receiver, const QEvent *event);

} // namespace KelPlatform

#pragma once

#include <QPoint>

class QWindow;

namespace KelPlatform {

// Converts a physical screen position (device pixels, as native input
// reports it) into device pixels relative to the window's client area.
// Returns false when the window cannot be placed on a screen.
bool screenToClient(const QWindow *window, QPoint *point);

} // namespace KelPlatform

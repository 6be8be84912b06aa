#pragma once

#include <QPair>
#include <QPoint>
#include <QRect>
#include <QSize>

class QScreen;
class QWidget;

// Rectangle placement, coordinate and screen look-ups and range mapping.
// They keep no state. GUI thread only.
namespace KelUtils {

// Places rect outside anchor on the given edge, aligned along that edge
// (popups beside the widget that opens them). offset.x() is the gap from the
// edge, offset.y() the shift along it.
QRect alignedRect(const QRect &anchor, const QRect &rect, Qt::Edge edge,
                  Qt::AlignmentFlag alignment, const QPoint &offset = QPoint());
// The same for an edge and an alignment given as plain ints.
QRect alignedRect(const QRect &anchor, const QRect &rect, int edge, int alignment,
                  const QPoint &offset = QPoint());

// A rectangle of size placed inside bound by the alignment flags.
QRect fitRect(Qt::Alignment alignment, const QRect &bound, const QSize &size, bool clip = false);
QRectF fitRectF(Qt::Alignment alignment, const QRectF &bound, const QSizeF &size, bool clip = false);

// Shrinks rect to fit bound (keeping the aspect ratio unless told not to)
// and moves it inside.
QRect scaledRectInside(const QRect &rect, const QRect &bound, Qt::AspectRatioMode mode);

// The widget's rectangle in global coordinates; invalid for null.
QRect globalRect(const QWidget *widget);

// A physical screen position (device pixels) in the widget's coordinates.
QPoint mapDeviceToWidget(QWidget *widget, const QPoint &devicePos);

// The screen containing the point, its right and bottom border lines
// included; null when none does.
QScreen *screenAt(const QPoint &globalPos);
QScreen *screenAtOrPrimary(const QPoint &globalPos);
QScreen *widgetScreen(const QWidget *widget);

// Moves rect into the available area of the screen that holds its centre
// (the primary screen when none does), cutting it where it is wider or
// taller. With step above 1 the area's top moves down by what is left over
// when its height less twice margin is divided into steps, so that a
// stepped list ends flush with the bottom.
QRect placeOnScreen(const QRect &rect, int step = 1, int margin = 0);

// Maps value from the range [from.first, from.second] onto
// [to.first, to.second], rounding halves up. An empty source range maps
// everything onto to.first.
int mapRange(int value, const QPair<int, int> &from, const QPair<int, int> &to);

} // namespace KelUtils

#pragma once

#include <QPoint>
#include <QRegion>
#include <QSize>

class QPainterPath;
class QWidget;

// Non-rectangular widget shapes. GUI thread only.
namespace KelUtils {

// Each rectangle scaled by factor, its position floored and its size
// rounded up.
QRegion scaledRegion(const QRegion &region, double factor);

// Masks the widget with a region given in device pixels.
void setMask(QWidget *widget, const QRegion &region);
// Masks the widget with path, translated by offset and stroked with
// penWidth, rendered at the widget's device pixel ratio into a bitmap of
// size. invert swaps the inside and the outside of the fill, invertPen
// excludes the stroke.
void setMask(QWidget *widget, const QSize &size, const QPoint &offset, const QPainterPath &path,
             double penWidth, bool invert, bool invertPen);
void clearMask(QWidget *widget);

} // namespace KelUtils

#pragma once

#include <QMargins>
#include <QSize>

// A small arrow drawn by painters: its box, the margins around it, the
// direction (Qt::ArrowType: 1 up, 2 down, 3 left, 4 right) and the line
// width (0 fills a triangle, more strokes an open chevron).
struct KelArrowParams
{
    QSize size;
    QMargins margins;
    int direction = Qt::DownArrow;
    double lineWidth = 0.0;

    // Change tests compare the arrow's geometry only, not its line width.
    bool operator==(const KelArrowParams &other) const
    {
        return size == other.size && margins == other.margins && direction == other.direction;
    }
    bool operator!=(const KelArrowParams &other) const { return !(*this == other); }
};

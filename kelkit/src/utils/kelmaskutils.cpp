#include "utils/kelmaskutils.h"

#include <QBitmap>
#include <QDebug>
#include <QPainter>
#include <QPainterPath>
#include <QWidget>

#include <cmath>

namespace KelUtils {

QRegion scaledRegion(const QRegion &region, double factor)
{
    QRegion result;
    for (const QRect &r : region) {
        result += QRect(int(std::floor(r.x() * factor)), int(std::floor(r.y() * factor)),
                        int(std::ceil(r.width() * factor)), int(std::ceil(r.height() * factor)));
    }
    return result;
}

void setMask(QWidget *widget, const QRegion &region)
{
    if (!widget) {
        qWarning() << "Trying to set mask to null target, ignore";
        return;
    }
    widget->setMask(scaledRegion(region, 1.0 / widget->devicePixelRatioF()));
}

void setMask(QWidget *widget, const QSize &size, const QPoint &offset, const QPainterPath &path,
             double penWidth, bool invert, bool invertPen)
{
    if (!widget) {
        qWarning() << "Trying to set mask to null target, ignore";
        return;
    }
    const double ratio = widget->devicePixelRatioF();
    QBitmap bitmap(qRound(size.width() * ratio), qRound(size.height() * ratio));
    bitmap.setDevicePixelRatio(ratio);
    bitmap.fill(invert ? Qt::black : Qt::white);
    {
        QPainter painter(&bitmap);
        QPen pen(invertPen ? Qt::white : Qt::black);
        pen.setWidthF(std::round(penWidth * ratio) / ratio);
        painter.setPen(pen);
        painter.setBrush(invert ? Qt::white : Qt::black);
        painter.translate(offset);
        painter.drawPath(path);
    }
    setMask(widget, QRegion(bitmap));
}

void clearMask(QWidget *widget)
{
    if (!widget) {
        qWarning() << "Trying to set mast to null target, ignore";
        return;
    }
    widget->clearMask();
}

} // namespace KelUtils

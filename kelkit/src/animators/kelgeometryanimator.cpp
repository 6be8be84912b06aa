#include "animators/kelgeometryanimator.h"

#include <QWidget>

KelGeometryAnimator::KelGeometryAnimator(QWidget *target) : KelAbstractAnimator(target) { }

KelGeometryAnimator::~KelGeometryAnimator() = default;

void KelGeometryAnimator::animateGeometry(const QRect &geometry, bool animated, int duration,
                                          bool wait)
{
    QWidget *widget = target();
    if (!widget)
        return;
    setDuration(duration);
    animate(widget->geometry(), geometry, animated, wait);
}

void KelGeometryAnimator::updateValue(const QVariant &value)
{
    QWidget *widget = target();
    if (!widget)
        return;
    const QRect rect = value.toRect();
    widget->move(rect.topLeft());
    if (widget->sizePolicy().horizontalPolicy() == QSizePolicy::Fixed)
        widget->setFixedWidth(rect.width());
    else
        widget->resize(rect.width(), widget->height());
    if (widget->sizePolicy().verticalPolicy() == QSizePolicy::Fixed)
        widget->setFixedHeight(rect.height());
    else
        widget->resize(widget->width(), rect.height());
}

#include "moc_kelgeometryanimator.cpp"

#include "animators/kelopacityanimator.h"

#include "painting/kelgraphicsopacityeffect.h"

#include <QWidget>

#include <cmath>

KelOpacityAnimator::KelOpacityAnimator(QWidget *target) : KelAbstractAnimator(target) { }

KelOpacityAnimator::~KelOpacityAnimator() = default;

void KelOpacityAnimator::animateOpacity(double opacity, bool animated, int duration, bool wait)
{
    QWidget *widget = target();
    if (!widget)
        return;
    setDuration(duration);

    double current = 1.0;
    if (widget->isWindow()) {
        current = widget->windowOpacity();
    } else if (auto effect = qobject_cast<KelGraphicsOpacityEffect *>(widget->graphicsEffect())) {
        current = effect->opacity();
    } else {
        current = widget->isVisible() ? 1.0 : 0.0;
        if (widget->graphicsEffect())
            animated = false; // another effect's opacity is not ours to move
        else
            (new KelGraphicsOpacityEffect(widget))->setOpacity(current);
    }
    animate(current, opacity, animated, wait);
}

void KelOpacityAnimator::updateValue(const QVariant &value)
{
    QWidget *widget = target();
    if (!widget)
        return;
    const double opacity = value.toDouble();
    if (widget->isWindow()) {
        widget->setWindowOpacity(opacity);
    } else {
        auto effect = qobject_cast<KelGraphicsOpacityEffect *>(widget->graphicsEffect());
        if (!effect && !widget->graphicsEffect())
            effect = new KelGraphicsOpacityEffect(widget);
        if (effect)
            effect->setOpacity(opacity);
    }
    if (std::abs(opacity) <= 1e-12)
        widget->hide();
}

#include "moc_kelopacityanimator.cpp"

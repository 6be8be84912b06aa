#include "animators/keldisabledstateanimator.h"

#include "animators/kelpropertyanimator.h"
#include "styles/kelstyle.h"

#include <QEvent>
#include <QPointer>
#include <QWidget>

namespace {

constexpr char DisabledProgress[] = "disabledProgress";

} // namespace

class KelDisabledStateAnimator::Private
{
public:
    int watchMode = 0;
    QPointer<QWidget> widget;
    KelPropertyAnimator *animator = nullptr;
    bool animated = true;
    bool customOpacity = false;
    bool disabled = false;
    double opacityFactor = 0.0;
    double disabledProgress = 0.0;
};

KelDisabledStateAnimator::KelDisabledStateAnimator(int watchMode, QObject *parent)
    : QObject(parent), KelStyleable(-1), d(std::make_unique<Private>())
{
    d->watchMode = watchMode;
    d->animator = new KelPropertyAnimator(this);
    d->opacityFactor = kelStyle()->opacity(KelStyle::OP_Disabled);
    d->animator->setupAnimation(this, DisabledProgress,
                                kelStyle()->animationParams(KelStyle::AN_Disabled));
}

KelDisabledStateAnimator::~KelDisabledStateAnimator() = default;

void KelDisabledStateAnimator::setWidget(QWidget *widget)
{
    if (d->widget)
        d->widget->removeEventFilter(this);
    d->widget = widget;
    if (!widget)
        return;
    if (d->watchMode != 0)
        widget->installEventFilter(this);
    const bool disabled = !widget->isEnabled();
    if (disabled != d->disabled) {
        d->disabled = disabled;
        moveState(DisabledProgress, disabled, widget->isVisible() && d->animated);
    }
}

QWidget *KelDisabledStateAnimator::widget() const
{
    return d->widget;
}

void KelDisabledStateAnimator::setDisabled(bool disabled, bool animated)
{
    if (d->disabled == disabled)
        return;
    d->disabled = disabled;
    moveState(DisabledProgress, disabled, animated);
}

double KelDisabledStateAnimator::disabledProgress() const
{
    return d->disabledProgress;
}

void KelDisabledStateAnimator::setDisabledProgress(double progress)
{
    if (storeProgress(d->disabledProgress, progress))
        emit disabledProgressChanged(progress);
}

bool KelDisabledStateAnimator::isDisabledActive() const
{
    return qAbs(d->disabledProgress) > 1e-12;
}

double KelDisabledStateAnimator::disabledOpacity() const
{
    return 1.0 - d->disabledProgress * d->opacityFactor;
}

void KelDisabledStateAnimator::setDisabledOpacity(double factor)
{
    d->opacityFactor = factor;
    d->customOpacity = true;
}

bool KelDisabledStateAnimator::isAnimationEnabled() const
{
    return d->animated;
}

void KelDisabledStateAnimator::setAnimationEnabled(bool enabled)
{
    d->animated = enabled;
}

void KelDisabledStateAnimator::applyStyle()
{
    if (!d->customOpacity)
        d->opacityFactor = kelStyle()->opacity(KelStyle::OP_Disabled);
    d->animator->setupAnimation(this, DisabledProgress,
                                kelStyle()->animationParams(KelStyle::AN_Disabled));
}

bool KelDisabledStateAnimator::eventFilter(QObject *watched, QEvent *event)
{
    if (d->watchMode != 0 && watched == d->widget && event->type() == QEvent::EnabledChange) {
        const bool disabled = !d->widget->isEnabled();
        if (disabled != d->disabled) {
            d->disabled = disabled;
            moveState(DisabledProgress, disabled, d->widget->isVisible() && d->animated);
        }
    }
    return QObject::eventFilter(watched, event);
}

int KelDisabledStateAnimator::watchMode() const
{
    return d->watchMode;
}

KelPropertyAnimator *KelDisabledStateAnimator::propertyAnimator() const
{
    return d->animator;
}

void KelDisabledStateAnimator::moveState(const char *prop, bool on, bool animated)
{
    d->animator->setValue(prop, on ? KelPropertyAnimator::End : KelPropertyAnimator::Start,
                          animated && d->animated);
}

bool KelDisabledStateAnimator::storeProgress(double &progress, double value)
{
    if (qFuzzyCompare(progress, value))
        return false;
    progress = value;
    if (d->widget)
        d->widget->update();
    return true;
}

#include "moc_keldisabledstateanimator.cpp"

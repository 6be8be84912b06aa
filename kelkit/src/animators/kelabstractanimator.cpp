#include "animators/kelabstractanimator.h"

#include <QEventLoop>
#include <QPointer>
#include <QVariantAnimation>
#include <QWidget>

class KelAbstractAnimator::Private
{
public:
    QPointer<QWidget> target;
    QVariantAnimation *animation = nullptr;
    int duration = 0;
};

KelAbstractAnimator::KelAbstractAnimator(QWidget *target)
    : QObject(target), d(std::make_unique<Private>())
{
    d->target = target;
    d->animation = new QVariantAnimation(this);
    d->animation->setEasingCurve(QEasingCurve::InOutQuad);
    connect(d->animation, &QVariantAnimation::valueChanged, this,
            [this](const QVariant &value) { updateValue(value); });
    connect(d->animation, &QAbstractAnimation::finished, this, &KelAbstractAnimator::finished);
}

KelAbstractAnimator::~KelAbstractAnimator() = default;

QWidget *KelAbstractAnimator::target() const
{
    return d->target;
}

bool KelAbstractAnimator::isRunning() const
{
    return d->animation->state() == QAbstractAnimation::Running;
}

void KelAbstractAnimator::stop()
{
    d->animation->stop();
}

void KelAbstractAnimator::setDuration(int duration)
{
    d->duration = duration;
}

void KelAbstractAnimator::animate(const QVariant &from, const QVariant &to, bool animated, bool wait)
{
    QVariantAnimation *animation = d->animation;
    if (!d->target || !d->target->isVisible() || !animated) {
        if (animation->state() != QAbstractAnimation::Stopped)
            animation->stop();
        if (d->target)
            updateValue(to);
        return;
    }

    int duration = d->duration;
    if (animation->state() != QAbstractAnimation::Stopped) {
        duration = animation->duration() - animation->currentTime();
        animation->stop();
    }
    animation->setStartValue(from);
    animation->setCurrentTime(0);
    animation->setDuration(duration);
    animation->setEndValue(to);
    animation->start();

    if (wait && animation->state() != QAbstractAnimation::Stopped) {
        QEventLoop loop;
        connect(animation, &QAbstractAnimation::stateChanged, &loop,
                [&loop](QAbstractAnimation::State state) {
                    if (state == QAbstractAnimation::Stopped)
                        loop.quit();
                });
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
}

#include "moc_kelabstractanimator.cpp"

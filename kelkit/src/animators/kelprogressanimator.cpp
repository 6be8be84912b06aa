#include "animators/kelprogressanimator.h"

#include <QPropertyAnimation>

namespace {

constexpr char Progress[] = "progress";

} // namespace

class KelProgressAnimator::Private
{
public:
    KelPropertyAnimator *animator = nullptr;
    double progress = 0.0;
};

KelProgressAnimator::KelProgressAnimator(QObject *parent, const KelAnimationParams &params)
    : QObject(parent), d(std::make_unique<Private>())
{
    d->animator = new KelPropertyAnimator(this);
    d->animator->setupAnimation(this, Progress, params);
    QPropertyAnimation *animation = d->animator->animation(Progress);
    connect(animation, &QAbstractAnimation::finished, this, [this] { emit finished(direction()); });
    connect(animation, &QAbstractAnimation::stateChanged, this,
            [this](QAbstractAnimation::State newState, QAbstractAnimation::State oldState) {
                if (oldState == QAbstractAnimation::Stopped
                    && newState == QAbstractAnimation::Running)
                    emit started(direction());
            });
}

KelProgressAnimator::~KelProgressAnimator() = default;

void KelProgressAnimator::animateTo(KelPropertyAnimator::Pos pos)
{
    d->animator->animateValue(Progress, pos);
}

void KelProgressAnimator::animateForward()
{
    animateTo(KelPropertyAnimator::End);
}

void KelProgressAnimator::animateBackward()
{
    animateTo(KelPropertyAnimator::Start);
}

void KelProgressAnimator::setValue(KelPropertyAnimator::Pos pos, bool animated)
{
    d->animator->setValue(Progress, pos, animated);
}

void KelProgressAnimator::jumpToEnd()
{
    setValue(KelPropertyAnimator::End, false);
}

void KelProgressAnimator::jumpToStart()
{
    setValue(KelPropertyAnimator::Start, false);
}

KelPropertyAnimator::Pos KelProgressAnimator::direction() const
{
    return d->animator->direction(Progress);
}

bool KelProgressAnimator::isAnimating() const
{
    return d->animator->isActive(Progress);
}

double KelProgressAnimator::progress() const
{
    return d->progress;
}

void KelProgressAnimator::setProgress(double progress)
{
    if (qFuzzyCompare(progress, d->progress))
        return;
    d->progress = progress;
    emit progressChanged(progress);
}

void KelProgressAnimator::setAnimationParams(const KelAnimationParams &params)
{
    d->animator->setupAnimation(this, Progress, params);
}

#include "moc_kelprogressanimator.cpp"

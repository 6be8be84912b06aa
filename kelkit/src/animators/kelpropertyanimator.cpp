#include "animators/kelpropertyanimator.h"

#include <QDebug>
#include <QMetaProperty>
#include <QPointer>
#include <QPropertyAnimation>

#include <map>

namespace {

// Easing types from InElastic to TCBSpline are not injective.
bool hasInverse(QEasingCurve::Type type)
{
    return type < QEasingCurve::InElastic || type > QEasingCurve::TCBSpline;
}

// The progress at which curve gives value, found by six bisection steps.
double progressForValue(const QEasingCurve &curve, double value)
{
    if (!hasInverse(curve.type())) {
        qWarning("progressForValue(): QEasingCurves of type %d do not have an inverse, since "
                 "they are not injective.",
                 int(curve.type()));
        return value;
    }
    if (value < 0.0 || value > 1.0)
        return value;
    double p = value;
    double low = 0.0;
    double high = 1.0;
    for (int i = 0; i < 6; ++i) {
        const double v = curve.valueForProgress(p);
        if (v < value)
            low = p;
        else if (v > value)
            high = p;
        else
            break;
        p = (low + high) / 2.0;
    }
    return p;
}

QMetaProperty findProperty(const QObject *target, const char *prop)
{
    const QMetaObject *meta = target->metaObject();
    if (!meta) {
        qCritical() << "Invalid param! Null object";
        return {};
    }
    const int index = meta->indexOfProperty(prop);
    if (index < 0) {
        qCritical() << "Invalid param! Property" << prop << "not found in" << target;
        return {};
    }
    return meta->property(index);
}

// An animation whose writes to the property can be held back while Qt
// passes through values that are not meant to be shown.
class ItemAnimation : public QPropertyAnimation
{
public:
    using QPropertyAnimation::QPropertyAnimation;

    bool muted = false;

protected:
    void updateCurrentValue(const QVariant &value) override
    {
        if (!muted)
            QPropertyAnimation::updateCurrentValue(value);
    }
};

} // namespace

class KelPropertyAnimator::Private
{
public:
    struct Item
    {
        QPointer<ItemAnimation> animation;
        Pos pos = Start;
        KelAnimationParams params;
    };

    explicit Private(KelPropertyAnimator *q) : q(q) { }

    Item *item(const char *prop)
    {
        if (!prop)
            return nullptr;
        const auto it = items.find(QByteArray(prop));
        return it == items.end() || !it->second.animation ? nullptr : &it->second;
    }

    Item *itemOrComplain(const char *prop)
    {
        Item *found = item(prop);
        if (!found) {
            qCritical().nospace()
                    << "Invaid param! There are no registered animation for property '"
                    << (prop ? prop : "") << "'";
        }
        return found;
    }

    void create(QObject *target, const QByteArray &name, const KelAnimationParams &params);
    void changeParams(Item &item, const KelAnimationParams &params);
    void moveTo(Item &item, Pos pos, bool animated);
    void turnRound(Item &item, QAbstractAnimation::Direction direction);

    static void installCurve(Item &item, QAbstractAnimation::Direction direction);
    static void writeValue(Item &item, Pos pos);
    static void run(ItemAnimation *animation);

    KelPropertyAnimator *q;
    // Names are owned copies, so callers may pass transient strings.
    std::map<QByteArray, Item> items;
};

void KelPropertyAnimator::Private::installCurve(Item &item, QAbstractAnimation::Direction direction)
{
    const bool forward = direction == QAbstractAnimation::Forward;
    const KelAnimationParams &p = item.params;
    item.animation->setEasingCurve(QEasingCurve::Type(forward ? p.forwardEasing : p.backwardEasing));
    item.animation->setDuration(forward ? p.forwardDuration : p.backwardDuration);
}

void KelPropertyAnimator::Private::writeValue(Item &item, Pos pos)
{
    QObject *target = item.animation->targetObject();
    if (!target)
        return;
    const QMetaProperty property = findProperty(target, item.animation->propertyName());
    property.write(target, pos == End ? item.params.endValue : item.params.startValue);
}

void KelPropertyAnimator::Private::create(QObject *target, const QByteArray &name,
                                          const KelAnimationParams &params)
{
    Item &item = items[name];
    item.animation = new ItemAnimation(target, name, q);
    item.params = params;
    item.pos = Start;
    installCurve(item, QAbstractAnimation::Forward);
    item.animation->setDirection(QAbstractAnimation::Forward);
    item.animation->setStartValue(params.startValue);
    item.animation->setEndValue(params.endValue);
    QObject::connect(item.animation, &QAbstractAnimation::directionChanged, q,
                     [this, self = &item](QAbstractAnimation::Direction direction) {
                         turnRound(*self, direction);
                     });
    writeValue(item, Start);
}

void KelPropertyAnimator::Private::changeParams(Item &item, const KelAnimationParams &params)
{
    if (item.params == params)
        return;
    item.params = params;
    installCurve(item, item.pos == End ? QAbstractAnimation::Backward : QAbstractAnimation::Forward);
    item.animation->setStartValue(params.startValue);
    item.animation->setEndValue(params.endValue);
    moveTo(item, item.pos, false);
    // A move to where the animation already stands writes nothing, yet the
    // position's value may be new.
    writeValue(item, item.pos);
}

void KelPropertyAnimator::Private::moveTo(Item &item, Pos pos, bool animated)
{
    ItemAnimation *animation = item.animation;
    item.pos = pos;
    const auto wanted = pos == End ? QAbstractAnimation::Forward : QAbstractAnimation::Backward;

    if (animation->state() == QAbstractAnimation::Running) {
        if (animated && animation->direction() == wanted)
            return;
        animation->pause();
    }
    if (animation->direction() != wanted)
        animation->setDirection(wanted);

    // A zero duration gives Qt's end value in both directions, and both ends
    // lie at time 0: such a move is a jump to the position's value.
    const bool instant = animation->duration() <= 0;
    const int targetTime = pos == End ? animation->duration() : 0;
    if (animation->currentTime() == targetTime && !instant) {
        // Do not leave a reversed run paused at its goal.
        if (animation->state() == QAbstractAnimation::Paused)
            animation->stop();
        return;
    }
    if (!animated || instant) {
        animation->setCurrentTime(targetTime);
        writeValue(item, pos);
        return;
    }
    run(animation);
}

void KelPropertyAnimator::Private::run(ItemAnimation *animation)
{
    switch (animation->state()) {
    case QAbstractAnimation::Paused:
        animation->resume();
        break;
    case QAbstractAnimation::Stopped: {
        // Qt rewinds a started animation to the far end of its direction and
        // writes that value; a run stopped part-way continues where it was.
        const int time = animation->currentTime();
        animation->muted = true;
        animation->start();
        animation->muted = false;
        if (animation->currentTime() != time)
            animation->setCurrentTime(time);
        break;
    }
    case QAbstractAnimation::Running:
        break;
    }
}

void KelPropertyAnimator::Private::turnRound(Item &item, QAbstractAnimation::Direction direction)
{
    ItemAnimation *animation = item.animation;
    const int duration = animation->duration();
    const double t = duration > 0 ? double(animation->currentTime()) / duration : 0.0;
    const double value = animation->easingCurve().valueForProgress(t);

    // Qt re-evaluates the running animation when its curve and duration
    // change; those values belong to neither side of the turn.
    animation->muted = true;
    installCurve(item, direction);
    animation->muted = false;
    const double p = progressForValue(animation->easingCurve(), value);
    const int time = qRound(animation->duration() * p);
    if (time != animation->currentTime())
        animation->setCurrentTime(time);
}

KelPropertyAnimator::KelPropertyAnimator(QObject *parent)
    : QObject(parent), d(std::make_unique<Private>(this))
{ }

KelPropertyAnimator::~KelPropertyAnimator() = default;

void KelPropertyAnimator::setupAnimation(QObject *target, const char *prop,
                                         const KelAnimationParams &params)
{
    if (!target) {
        qCritical() << "Invalid param! Target is null";
        return;
    }
    if (!prop) {
        qCritical() << "Invalid param! Prop is null for" << target;
        return;
    }
    if (Private::Item *item = d->item(prop)) {
        d->changeParams(*item, params);
        return;
    }
    const QMetaProperty property = findProperty(target, prop);
    if (!property.isReadable()) {
        qWarning().nospace() << "Invalid param! Target " << target << " has no property '" << prop
                             << "'";
        return;
    }
    d->create(target, QByteArray(prop), params);
}

void KelPropertyAnimator::setValue(const char *prop, Pos pos, bool animated)
{
    if (Private::Item *item = d->itemOrComplain(prop))
        d->moveTo(*item, pos, animated);
}

void KelPropertyAnimator::animateValue(const char *prop, Pos pos)
{
    setValue(prop, pos, true);
}

KelPropertyAnimator::Pos KelPropertyAnimator::direction(const char *prop) const
{
    const Private::Item *item = d->itemOrComplain(prop);
    return item ? item->pos : Start;
}

bool KelPropertyAnimator::isActive(const char *prop) const
{
    const Private::Item *item = d->itemOrComplain(prop);
    return item && item->animation->state() != QAbstractAnimation::Stopped;
}

KelAnimationParams KelPropertyAnimator::animationParams(const char *prop) const
{
    const Private::Item *item = d->item(prop);
    return item ? item->params : KelAnimationParams();
}

QPropertyAnimation *KelPropertyAnimator::animation(const char *prop) const
{
    const Private::Item *item = d->item(prop);
    return item ? item->animation.data() : nullptr;
}

#include "moc_kelpropertyanimator.cpp"

#include "widgets/kelwheelanimator.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QDateTime>
#include <QDebug>
#include <QElapsedTimer>
#include <QPointer>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>

#include <cmath>
#include <deque>

namespace {

// Ticks further apart than this are late; late ticks run more rounds.
constexpr qint64 LateTickMs = 32;
// Wheel events within this window accelerate the scroll.
constexpr qint64 AccelerationWindowMs = 500;
constexpr double FullAccelerationEvents = 15.0;

enum SmoothingMode { Constant = 0, Linear = 1, Quadratic = 2, Cosine = 3 };

struct PendingStep
{
    double delta;
    int stepsLeft;
};

Qt::Orientation orientationOf(const QWheelEvent &event)
{
    const QPoint angle = event.angleDelta();
    return qAbs(angle.x()) > qAbs(angle.y()) ? Qt::Horizontal : Qt::Vertical;
}

int deltaOf(const QWheelEvent &event)
{
    return orientationOf(event) == Qt::Horizontal ? event.angleDelta().x() : event.angleDelta().y();
}

bool isUsable(const QScrollBar *bar)
{
    return bar && bar->maximum() >= 1;
}

} // namespace

class KelWheelAnimator::Private
{
public:
    explicit Private(KelWheelAnimator *q) : q(q) { }

    void addWheelEvent(const QWheelEvent &event);
    void tick();
    double share(const PendingStep &step) const;
    QScrollBar *targetBar() const;
    void stop();

    KelWheelAnimator *q;
    QPointer<QWidget> watched;
    QPointer<QScrollBar> horizontalBar;
    QPointer<QScrollBar> verticalBar;
    std::unique_ptr<QWheelEvent> lastWheelEvent;
    QTimer *stepTimer = nullptr;
    QElapsedTimer tickClock;
    int roundsPerTick = 1;
    bool enabled = true;
    int framesPerSecond = 120;
    int durationMs = 200;
    int smoothingMode = Cosine;
    bool swapOrientation = false;
    bool reverseDirection = false;
    double accelerationRatio = 2.5;
    double stepRatio = 1.0;
    int stepsPerEvent = 1;
    std::deque<PendingStep> pending;
    std::deque<qint64> recentEventTimes;
};

void KelWheelAnimator::Private::addWheelEvent(const QWheelEvent &event)
{
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    recentEventTimes.push_back(now);
    while (!recentEventTimes.empty() && now - recentEventTimes.front() > AccelerationWindowMs)
        recentEventTimes.pop_front();
    const double acceleration = qMin(1.0, double(recentEventTimes.size()) / FullAccelerationEvents);

    lastWheelEvent = std::make_unique<QWheelEvent>(event);
    stepsPerEvent = qMax(1, durationMs * framesPerSecond / 1000);

    double delta = deltaOf(event) * stepRatio;
    if (accelerationRatio > 0.0)
        delta += accelerationRatio * delta * acceleration;
    if (reverseDirection)
        delta = -delta;

    if (pending.empty()) {
        tickClock.invalidate();
        roundsPerTick = 1;
    }
    pending.push_back({delta, stepsPerEvent});
    stepTimer->start(1000 / framesPerSecond);
}

double KelWheelAnimator::Private::share(const PendingStep &step) const
{
    if (!enabled)
        return 0.0;
    const double total = stepsPerEvent;
    const double half = total / 2.0;
    const double x = std::abs((total - step.stepsLeft) - half);
    const double d = step.delta;
    switch (smoothingMode) {
    case Constant:
        return d / total;
    case Linear:
        return (2.0 * d / total) * (half - x) / half;
    case Quadratic:
        return (1.0 - x * x / half / half) * (0.75 / half) * d;
    case Cosine:
        return ((std::cos(x * M_PI / half) + 1.0) / (2.0 * half)) * d;
    default:
        return 0.0;
    }
}

QScrollBar *KelWheelAnimator::Private::targetBar() const
{
    Qt::Orientation orientation = orientationOf(*lastWheelEvent);
    if (swapOrientation)
        orientation = orientation == Qt::Horizontal ? Qt::Vertical : Qt::Horizontal;
    QScrollBar *preferred = orientation == Qt::Horizontal ? horizontalBar : verticalBar;
    QScrollBar *other = orientation == Qt::Horizontal ? verticalBar : horizontalBar;
    if (isUsable(preferred))
        return preferred;
    return isUsable(other) ? other : nullptr;
}

void KelWheelAnimator::Private::tick()
{
    if (!lastWheelEvent) {
        pending.clear();
        stepTimer->stop();
        qWarning() << "Something wrong, null lastWheelEvent";
        return;
    }

    if (!tickClock.isValid()) {
        roundsPerTick = 1;
    } else if (tickClock.elapsed() > LateTickMs) {
        const qint64 lateness = qMin<qint64>(tickClock.elapsed() / LateTickMs, 16);
        // More rounds than an entry has steps would change nothing.
        roundsPerTick = int(qMin<qint64>(lateness * 4 * roundsPerTick, stepsPerEvent));
    }

    double sum = 0.0;
    for (int round = 0; round < roundsPerTick; ++round) {
        bool stepped = false;
        for (PendingStep &step : pending) {
            if (step.stepsLeft <= 0)
                continue;
            sum += share(step);
            --step.stepsLeft;
            stepped = true;
        }
        if (!stepped)
            break;
    }
    while (!pending.empty() && pending.front().stepsLeft <= 0)
        pending.pop_front();

    if (QScrollBar *bar = targetBar()) {
        const int delta = int(std::floor(sum + 0.5));
        const Qt::Orientation orientation = bar == horizontalBar ? Qt::Horizontal : Qt::Vertical;
        const QPoint angle = orientation == Qt::Horizontal ? QPoint(delta, 0) : QPoint(0, delta);
        QWheelEvent event(lastWheelEvent->position(), lastWheelEvent->globalPosition(), QPoint(),
                          angle, lastWheelEvent->buttons(), lastWheelEvent->modifiers(),
                          Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(bar, &event);
    }

    // Also with nothing to scroll, so that the timer never outlives the
    // pending steps.
    if (!pending.empty()) {
        tickClock.start();
    } else {
        stepTimer->stop();
        tickClock.invalidate();
    }
}

void KelWheelAnimator::Private::stop()
{
    if (stepTimer->isActive())
        qWarning() << "STOP SCROLL";
    stepTimer->stop();
    pending.clear();
}

KelWheelAnimator::KelWheelAnimator(QAbstractScrollArea *area)
    : QObject(area ? area->viewport() : nullptr), d(std::make_unique<Private>(this))
{
    // A platform may report 0 lines; that counts as 1.
    d->stepRatio = 1.0 / qMax(1, QApplication::wheelScrollLines());
    d->stepTimer = new QTimer(this);
    d->stepTimer->setTimerType(Qt::PreciseTimer);
    connect(d->stepTimer, &QTimer::timeout, this, [this] { d->tick(); });
    if (!area) {
        qWarning() << "KelWheelAnimator needs a scroll area";
        return;
    }
    d->watched = area->viewport();
    d->horizontalBar = area->horizontalScrollBar();
    d->verticalBar = area->verticalScrollBar();
    d->watched->installEventFilter(this);
}

KelWheelAnimator::~KelWheelAnimator()
{
    d->stop();
}

bool KelWheelAnimator::isEnabled() const
{
    return d->enabled;
}

void KelWheelAnimator::setEnabled(bool enabled)
{
    d->enabled = enabled;
}

bool KelWheelAnimator::isOrientationSwapped() const
{
    return d->swapOrientation;
}

void KelWheelAnimator::setOrientationSwapped(bool swapped)
{
    d->swapOrientation = swapped;
}

bool KelWheelAnimator::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == d->watched && event->type() == QEvent::Wheel && d->enabled) {
        d->addWheelEvent(*static_cast<QWheelEvent *>(event));
        event->accept();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

#include "moc_kelwheelanimator.cpp"

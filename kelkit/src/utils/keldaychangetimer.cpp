#include "utils/keldaychangetimer.h"

namespace {

const QTime DayChangeTime(0, 1);
// Below this QTimer::singleShot would pick a precise timer.
constexpr qint64 CoarseTimerMinimumMs = 2000;

} // namespace

KelDayChangeTimer::KelDayChangeTimer(QObject *parent, Clock clock)
    : QObject(parent), m_clock(clock ? std::move(clock) : Clock(&QDateTime::currentDateTime)),
      m_timer(this)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        emit dayChanged();
        arm();
    });
    arm();
}

qint64 KelDayChangeTimer::msecsToNextDayChange(const QDateTime &now)
{
    // Copied so that the clock's time zone carries over.
    QDateTime next = now;
    next.setDate(now.date().addDays(1));
    next.setTime(DayChangeTime);
    return qMax<qint64>(0, now.msecsTo(next));
}

void KelDayChangeTimer::arm()
{
    const qint64 interval = msecsToNextDayChange(m_clock());
    m_timer.setTimerType(interval < CoarseTimerMinimumMs ? Qt::PreciseTimer : Qt::CoarseTimer);
    m_timer.start(int(interval));
}

#include "moc_keldaychangetimer.cpp"

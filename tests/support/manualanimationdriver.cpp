#include "manualanimationdriver.h"

#include <QCoreApplication>

namespace {

// A started animation joins the timer through one queued call, which queues
// the start of the timer in turn; events posted while posted events are
// delivered wait for the next round.
void deliverPostedEvents()
{
    for (int round = 0; round < 3; ++round)
        QCoreApplication::sendPostedEvents();
}

} // namespace

// Qt stops its timer through queued calls; letting them run before the
// driver changes keeps the time of one driver out of the next.
ManualAnimationDriver::ManualAnimationDriver(QObject *parent) : QAnimationDriver(parent)
{
    deliverPostedEvents();
    install();
}

ManualAnimationDriver::~ManualAnimationDriver()
{
    deliverPostedEvents();
    uninstall();
}

void ManualAnimationDriver::advance(int ms)
{
    deliverPostedEvents();
    m_elapsed += ms;
    QAnimationDriver::advance();
    deliverPostedEvents();
}

void ManualAnimationDriver::advanceInSteps(int ms, int stepMs)
{
    while (ms > 0) {
        const int step = qMin(ms, stepMs);
        advance(step);
        ms -= step;
    }
}

qint64 ManualAnimationDriver::elapsed() const
{
    return m_elapsed;
}

void ManualAnimationDriver::start()
{
    // Qt adds the time before the driver started; count from zero again.
    m_elapsed = 0;
    QAnimationDriver::start();
}

#include "windowinput.h"

#include <QWindow>
#include <qpa/qwindowsysteminterface.h>

namespace WindowInput {

void enter(QWindow *window, const QPoint &globalPos)
{
    QWindowSystemInterface::handleEnterEvent<QWindowSystemInterface::SynchronousDelivery>(
            window, window->mapFromGlobal(globalPos), globalPos);
}

void leave(QWindow *window)
{
    QWindowSystemInterface::handleLeaveEvent<QWindowSystemInterface::SynchronousDelivery>(window);
}

} // namespace WindowInput

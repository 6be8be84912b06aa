#include "windowinput.h"

#include <QCursor>
#include <QTest>
#include <QWidget>
#include <QWindow>
#include <qpa/qwindowsysteminterface.h>

namespace {

QPoint local(QWidget *window, const QPoint &globalPos)
{
    return globalPos - window->geometry().topLeft();
}

} // namespace

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

void press(QWidget *window, const QPoint &globalPos)
{
    QTest::mousePress(window->windowHandle(), Qt::LeftButton, {}, local(window, globalPos));
}

void move(QWidget *window, const QPoint &globalPos)
{
    QTest::mouseMove(window->windowHandle(), local(window, globalPos));
}

void release(QWidget *window, const QPoint &globalPos)
{
    QTest::mouseRelease(window->windowHandle(), Qt::LeftButton, {}, local(window, globalPos));
}

void doubleClick(QWidget *window, const QPoint &globalPos)
{
    QTest::mouseDClick(window->windowHandle(), Qt::LeftButton, {}, local(window, globalPos));
}

void click(QWidget *widget)
{
    QWidget *window = widget->window();
    const QPoint centre = widget->mapToGlobal(widget->rect().center());
    // The offscreen platform's cursor does not follow synthesized events.
    // Code that asks it between the press and the release (a scroll area
    // rechecking hover after a relayout) would find the pointer elsewhere
    // and end the press with a leave, so the click would be lost.
    QCursor::setPos(centre);
    QWindowSystemInterface::flushWindowSystemEvents();
    enter(window->windowHandle(), centre - QPoint(1, 0));
    move(window, centre);
    press(window, centre);
    release(window, centre);
}

} // namespace WindowInput

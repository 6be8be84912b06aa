#include "popupinput.h"

#include <QApplication>
#include <QWidget>
#include <QWindow>
#include <qpa/qwindowsysteminterface.h>

namespace {

// Far enough apart that Qt never takes two presses for a double click.
constexpr ulong PressSpacingMs = 10000;
ulong timestamp = 0;

void deliver(QEvent::Type type, const QPoint &globalPos, Qt::MouseButton button,
             Qt::MouseButtons buttons, ulong time)
{
    // Over no window the event still tells Qt which buttons are held.
    QWindow *window = PopupInput::windowAt(globalPos);
    const QPointF local = QPointF(globalPos) - QPointF(window ? window->position() : QPoint());
    QWindowSystemInterface::handleMouseEvent<QWindowSystemInterface::SynchronousDelivery>(
            window, time, local, QPointF(globalPos), buttons, button, type);
}

} // namespace

namespace PopupInput {

QWindow *windowAt(const QPoint &globalPos)
{
    if (QWidget *popup = QApplication::activePopupWidget())
        return popup->windowHandle();
    return QGuiApplication::topLevelAt(globalPos);
}

void move(const QPoint &globalPos)
{
    deliver(QEvent::MouseMove, globalPos, Qt::NoButton, QGuiApplication::mouseButtons(),
            ++timestamp);
}

void press(const QPoint &globalPos, Qt::MouseButton button)
{
    timestamp += PressSpacingMs;
    deliver(QEvent::MouseButtonPress, globalPos, button, QGuiApplication::mouseButtons() | button,
            timestamp);
}

void release(const QPoint &globalPos, Qt::MouseButton button)
{
    deliver(QEvent::MouseButtonRelease, globalPos, button,
            QGuiApplication::mouseButtons() & ~button, ++timestamp);
}

void click(const QPoint &globalPos)
{
    move(globalPos);
    press(globalPos);
    release(globalPos);
}

void doubleClick(const QPoint &globalPos)
{
    press(globalPos);
    release(globalPos);
    deliver(QEvent::MouseButtonPress, globalPos, Qt::LeftButton, Qt::LeftButton, ++timestamp);
    release(globalPos);
}

QPoint centreOf(const QWidget *widget)
{
    return widget->mapToGlobal(widget->rect().center());
}

} // namespace PopupInput

#include "eventfilters/hoverleaveworkaround.h"

#include <private/qapplication_p.h>
#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

HoverLeaveWorkaround::HoverLeaveWorkaround(QObject *parent) : QObject(parent)
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, &HoverLeaveWorkaround::undoPendingLeave);
}

HoverLeaveWorkaround::~HoverLeaveWorkaround()
{
    if (m_hovered)
        m_hovered->removeEventFilter(this);
}

void HoverLeaveWorkaround::onMouseMove(QObject *receiver, QMouseEvent *event)
{
    if (!receiver || !receiver->isWindowType())
        return;
    m_hasPosition = true;
    m_lastPosition = static_cast<QWindow *>(receiver)->mapToGlobal(event->pos());

    QWidget *under = nullptr;
    if (event->type() == QEvent::MouseMove)
        under = QApplication::widgetAt(m_lastPosition);
    QWidget *hovered = m_hovered;

    const bool enterNeeded = under && under->isVisible()
            && !under->testAttribute(Qt::WA_UnderMouse);
    const bool leaveNeeded = hovered && hovered != under
            && hovered->testAttribute(Qt::WA_UnderMouse) && !hovered->isAncestorOf(under);
    if (hovered != under)
        setHovered(under);
    if (enterNeeded || leaveNeeded) {
        QWidget *entering = enterNeeded ? under : nullptr;
        QWidget *leaving = leaveNeeded ? hovered : nullptr;
        if (leaving)
            leaving->setAttribute(Qt::WA_UnderMouse, false);
        if (entering)
            entering->setAttribute(Qt::WA_UnderMouse, true);
        QApplicationPrivate::dispatchEnterLeave(entering, leaving, QPointF(m_lastPosition));
    }
}

bool HoverLeaveWorkaround::hasPosition() const
{
    return m_hasPosition;
}

QPoint HoverLeaveWorkaround::lastPosition() const
{
    return m_lastPosition;
}

bool HoverLeaveWorkaround::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_hovered)
        return false;
    if (event->type() == QEvent::Leave) {
        m_pendingLeave = m_hovered;
        m_timer.start();
    } else if (event->type() == QEvent::Hide) {
        m_hovered->setAttribute(Qt::WA_UnderMouse, false);
        setHovered(nullptr);
    }
    return false;
}

void HoverLeaveWorkaround::setHovered(QWidget *widget)
{
    if (m_hovered)
        m_hovered->removeEventFilter(this);
    m_hovered = widget;
    if (widget)
        widget->installEventFilter(this);
}

void HoverLeaveWorkaround::undoPendingLeave()
{
    QWidget *widget = m_pendingLeave;
    m_pendingLeave = nullptr;
    if (!widget || widget != m_hovered || widget->testAttribute(Qt::WA_UnderMouse))
        return;
    const QPoint cursor = QCursor::pos();
    if (!widget->rect().contains(widget->mapFromGlobal(cursor)))
        return;
    widget->setAttribute(Qt::WA_UnderMouse, true);
    QApplicationPrivate::dispatchEnterLeave(widget, nullptr, QPointF(cursor));
}

#include "moc_hoverleaveworkaround.cpp"

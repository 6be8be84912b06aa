#include "widgets/kelscrollareawatcher.h"

#include "eventfilters/kelchildwatcher.h"

#include <QCoreApplication>
#include <QCursor>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>

namespace {

void enableMouseTracking(QWidget *widget)
{
    widget->setMouseTracking(true);
}

} // namespace

KelScrollAreaWatcher::KelScrollAreaWatcher(QScrollArea *area)
    : QObject(area), m_area(area), m_timer(new QTimer(this))
{
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, &KelScrollAreaWatcher::updateHover);
    if (!area)
        return;

    // Widgets track the mouse so that moves over them reach the viewport.
    const QList<QWidget *> descendants = area->findChildren<QWidget *>();
    for (QWidget *widget : descendants)
        enableMouseTracking(widget);
    auto *childWatcher = new KelChildWatcher(KelChildWatcher::WatchAdded
                                                     | KelChildWatcher::Recursive,
                                             area, this);
    connect(childWatcher, &KelChildWatcher::childWidgetAdded, this, &enableMouseTracking);

    area->viewport()->installEventFilter(this);
    for (QScrollBar *bar : {area->horizontalScrollBar(), area->verticalScrollBar()})
        connect(bar, &QScrollBar::valueChanged, this, &KelScrollAreaWatcher::updateHover);
}

KelScrollAreaWatcher::~KelScrollAreaWatcher() = default;

QWidget *KelScrollAreaWatcher::widgetAt(const QPoint &globalPos) const
{
    if (!m_area)
        return nullptr;
    QWidget *widget = m_area->childAt(m_area->mapFromGlobal(globalPos));
    if (widget == m_area->widget() || widget == m_area->viewport())
        return nullptr;
    return widget;
}

bool KelScrollAreaWatcher::eventFilter(QObject *watched, QEvent *event)
{
    if (!m_area || watched != m_area->viewport())
        return false;
    switch (event->type()) {
    case QEvent::MouseMove:
        m_hovered = widgetAt(static_cast<QMouseEvent *>(event)->globalPos());
        break;
    case QEvent::Leave:
        if (m_hovered && m_hovered != watched) {
            QEvent leave(QEvent::Leave);
            QCoreApplication::sendEvent(m_hovered, &leave);
        }
        m_hovered = nullptr;
        break;
    case QEvent::LayoutRequest:
        m_timer->start();
        break;
    default:
        break;
    }
    return false;
}

void KelScrollAreaWatcher::updateHover()
{
    if (!m_area)
        return;
    const QPoint cursor = QCursor::pos();
    QPointer<QWidget> old = m_hovered;
    m_hovered = widgetAt(cursor);
    if (old == m_hovered)
        return;

    // Each widget with its ancestors inside the content (or, for the
    // area's own parts, inside the area); the ones both chains share keep
    // their hover.
    QWidget *content = m_area->widget();
    QWidget *area = m_area;
    auto chain = [content, area](QWidget *widget) {
        QList<QPointer<QWidget>> widgets;
        for (; widget && widget != content && widget != area; widget = widget->parentWidget())
            widgets << widget;
        return widgets;
    };
    QList<QPointer<QWidget>> left = chain(old);
    QList<QPointer<QWidget>> entered = chain(m_hovered);
    for (auto it = left.begin(); it != left.end();) {
        if (entered.removeAll(*it) > 0)
            it = left.erase(it);
        else
            ++it;
    }

    // Leave from the innermost widget outwards, enter from the outermost
    // inwards, as Qt does.
    for (const QPointer<QWidget> &widget : qAsConst(left)) {
        if (!widget)
            continue;
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(widget, &leave);
    }
    for (auto it = entered.crbegin(); it != entered.crend(); ++it) {
        QWidget *widget = *it;
        if (!widget)
            continue;
        const QPointF local = widget->mapFromGlobal(cursor);
        const QPointF inWindow = widget->window()->mapFromGlobal(cursor);
        QEnterEvent enter(local, inWindow, cursor);
        QCoreApplication::sendEvent(widget, &enter);
    }
}

#include "widgets/kelscrollareawatcher.h"

#include "eventfilters/kelchildwatcher.h"

#include <QApplication>
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

// Qt clears the under-mouse flag before it sends a leave; widgets that ask
// underMouse() in their leave handler rely on it.
void sendLeave(QWidget *widget)
{
    widget->setAttribute(Qt::WA_UnderMouse, false);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(widget, &leave);
}

QWidget *innermostUnderMouse(QWidget *content)
{
    QWidget *found = nullptr;
    QWidget *parent = content;
    while (parent) {
        QWidget *next = nullptr;
        for (QObject *child : parent->children()) {
            auto *widget = qobject_cast<QWidget *>(child);
            if (widget && !widget->isWindow() && widget->isVisible() && widget->underMouse()) {
                next = widget;
                break;
            }
        }
        if (next)
            found = next;
        parent = next;
    }
    return found;
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

    m_viewport = area->viewport();
    m_viewport->installEventFilter(this);
    for (QScrollBar *bar : {area->horizontalScrollBar(), area->verticalScrollBar()})
        connect(bar, &QScrollBar::valueChanged, this, &KelScrollAreaWatcher::updateHover);
}

KelScrollAreaWatcher::~KelScrollAreaWatcher() = default;

QWidget *KelScrollAreaWatcher::widgetAt(const QPoint &globalPos) const
{
    // A hidden area, or one under another window, is under no pointer: a
    // popup laid out before it is shown would keep a row hovered.
    if (!m_area || !m_area->isVisible()
        || QApplication::topLevelAt(globalPos) != m_area->window()) {
        return nullptr;
    }
    QWidget *widget = m_area->childAt(m_area->mapFromGlobal(globalPos));
    if (widget == m_area->widget() || widget == m_area->viewport())
        return nullptr;
    return widget;
}

bool KelScrollAreaWatcher::eventFilter(QObject *watched, QEvent *event)
{
    if (!m_viewport || watched != m_viewport || !m_area)
        return false;
    switch (event->type()) {
    case QEvent::MouseMove:
        m_hovered = widgetAt(static_cast<QMouseEvent *>(event)->globalPos());
        break;
    case QEvent::Leave:
        if (m_hovered && m_hovered != watched)
            sendLeave(m_hovered);
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
    // Widgets that accept mouse moves keep them from the viewport; the one
    // Qt entered last still carries the under-mouse flag.
    QPointer<QWidget> old = m_hovered ? m_hovered.data() : innermostUnderMouse(m_area->widget());
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
        if (widget)
            sendLeave(widget);
    }
    for (auto it = entered.crbegin(); it != entered.crend(); ++it) {
        QWidget *widget = *it;
        if (!widget)
            continue;
        widget->setAttribute(Qt::WA_UnderMouse, true);
        const QPointF local = widget->mapFromGlobal(cursor);
        const QPointF inWindow = widget->window()->mapFromGlobal(cursor);
        QEnterEvent enter(local, inWindow, cursor);
        QCoreApplication::sendEvent(widget, &enter);
    }
}

#include "moc_kelscrollareawatcher.cpp"

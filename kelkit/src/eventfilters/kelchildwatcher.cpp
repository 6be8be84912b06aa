#include "eventfilters/kelchildwatcher.h"

#include <QChildEvent>
#include <QWidget>

KelChildWatcher::KelChildWatcher(int flags, QWidget *root, QObject *parent)
    : QObject(parent), m_flags(flags)
{
    if (flags & (WatchAdded | WatchRemoved | WatchEnter | WatchLeave))
        m_eventTypes << QEvent::ChildAdded << QEvent::ChildRemoved;
    if (flags & (WatchEnter | WatchLeave))
        m_eventTypes << QEvent::Enter << QEvent::Leave;
    watch(root);
}

KelChildWatcher::~KelChildWatcher()
{
    unwatchAll();
}

void KelChildWatcher::watch(QWidget *root)
{
    unwatchAll();
    if (m_eventTypes.isEmpty() || !root)
        return;
    m_root = root;
    root->installEventFilter(this);
    if (m_flags & Recursive) {
        const QList<QWidget *> children = root->findChildren<QWidget *>();
        for (QWidget *child : children)
            watchChild(child);
    }
}

void KelChildWatcher::watchChild(QWidget *child)
{
    m_watched.insert(child);
    child->installEventFilter(this);
    // Children of a dying widget go without a ChildRemoved event.
    connect(child, &QObject::destroyed, this, &KelChildWatcher::forgetChild);
}

void KelChildWatcher::unwatchChild(QObject *child)
{
    m_watched.remove(child);
    child->removeEventFilter(this);
    disconnect(child, &QObject::destroyed, this, &KelChildWatcher::forgetChild);
}

void KelChildWatcher::forgetChild(QObject *child)
{
    m_watched.remove(child);
}

void KelChildWatcher::unwatchAll()
{
    if (m_root)
        m_root->removeEventFilter(this);
    m_root = nullptr;
    const QSet<QObject *> watched = m_watched;
    for (QObject *child : watched)
        unwatchChild(child);
}

bool KelChildWatcher::eventFilter(QObject *watched, QEvent *event)
{
    const int type = event->type();
    if (!m_eventTypes.contains(type))
        return false;

    if (type == QEvent::Enter || type == QEvent::Leave) {
        if (m_watched.contains(watched)) {
            QWidget *child = static_cast<QWidget *>(watched);
            if (type == QEvent::Enter && (m_flags & WatchEnter))
                emit childWidgetEntered(child);
            else if (type == QEvent::Leave && (m_flags & WatchLeave))
                emit childWidgetLeaved(child);
        }
        return false;
    }

    const bool fromRoot = watched == m_root;
    if (!fromRoot && !((m_flags & Recursive) && m_watched.contains(watched)))
        return false;
    QObject *object = static_cast<QChildEvent *>(event)->child();
    if (!object || !object->isWidgetType())
        return false;
    // A child being destroyed is no widget any more, and was forgotten
    // when its destruction began.
    if (type == QEvent::ChildRemoved && !m_watched.contains(object))
        return false;
    QWidget *child = static_cast<QWidget *>(object);
    if (type == QEvent::ChildAdded) {
        if (m_watched.contains(child))
            return false;
        QList<QWidget *> added{child};
        // A subtree moved in brings its descendants along.
        if (m_flags & Recursive)
            added += child->findChildren<QWidget *>();
        for (QWidget *widget : qAsConst(added)) {
            if (m_watched.contains(widget))
                continue;
            watchChild(widget);
            if (m_flags & WatchAdded)
                emit childWidgetAdded(widget);
        }
    } else {
        QList<QWidget *> removed{child};
        if (m_flags & Recursive)
            removed += child->findChildren<QWidget *>();
        for (QWidget *widget : qAsConst(removed)) {
            if (!m_watched.contains(widget))
                continue;
            unwatchChild(widget);
            if (m_flags & WatchRemoved)
                emit childWidgetRemoved(widget);
        }
    }
    return false;
}

#include "moc_kelchildwatcher.cpp"

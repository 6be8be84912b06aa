#include "widgets/kelqmenustyler.h"

#include "styles/kelstyle.h"

#include <QChildEvent>
#include <QMenu>
#include <QPointer>
#include <QTimer>

KelQMenuStyler::KelQMenuStyler(QObject *watched, int menuStyleId)
    : QObject(watched), m_menuStyleId(menuStyleId)
{
    if (watched)
        watched->installEventFilter(this);
}

bool KelQMenuStyler::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::ChildAdded)
        return QObject::eventFilter(watched, event);
    QObject *child = static_cast<QChildEvent *>(event)->child();
    if (!child)
        return QObject::eventFilter(watched, event);

    if (child->isWidgetType()) {
        auto *widget = static_cast<QWidget *>(child);
        if (!widget->windowFlags().testFlag(Qt::NoDropShadowWindowHint))
            widget->setWindowFlag(Qt::NoDropShadowWindowHint);
    }
    QPointer<QObject> guarded(child);
    QTimer::singleShot(0, this, [this, guarded] {
        if (auto *menu = qobject_cast<QMenu *>(guarded.data()))
            kelStyle()->applyMenuStyle(menu, m_menuStyleId);
    });
    return QObject::eventFilter(watched, event);
}

#include "moc_kelqmenustyler.cpp"

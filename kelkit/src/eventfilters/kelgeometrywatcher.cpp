#include "eventfilters/kelgeometrywatcher.h"

#include <QDebug>
#include <QEvent>
#include <QPointer>
#include <QWidget>

class KelGeometryWatcher::Private
{
public:
    Private(KelGeometryWatcher *q, QWidget *widget, int mode) : q(q), mode(mode), widget(widget) { }

    void updateGeometry();
    void updateVisibility();
    void updateParent();
    void rewatchWindow();
    void handleStructureChange();

    KelGeometryWatcher *q;
    int mode;
    QPointer<QWidget> widget;
    // The widget's window, followed in window and screen modes because
    // moving it moves the widget on screen or within nothing at all.
    QPointer<QWidget> watchedWindow;
    QPointer<QWidget> parent;
    bool visible = false;
    QRect geometry;
    QRect windowGeometry;
    QRect screenGeometry;
};

void KelGeometryWatcher::Private::updateGeometry()
{
    if (!widget)
        return;
    switch (mode) {
    case LocalGeometry:
        if (widget->geometry() != geometry) {
            geometry = widget->geometry();
            emit q->geometryChanged(geometry);
        }
        break;
    case WindowGeometry: {
        const QRect rect = widget->isWindow()
                ? widget->rect()
                : QRect(widget->mapTo(widget->window(), QPoint(0, 0)), widget->size());
        if (rect != windowGeometry) {
            windowGeometry = rect;
            emit q->windowGeometryChanged(rect);
        }
        break;
    }
    case ScreenGeometry: {
        const QRect rect = widget->isWindow()
                ? widget->geometry()
                : QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size());
        if (rect != screenGeometry) {
            screenGeometry = rect;
            emit q->screenGeometryChanged(rect);
        }
        break;
    }
    default:
        break;
    }
}

void KelGeometryWatcher::Private::updateVisibility()
{
    if (widget && widget->isVisible() != visible) {
        visible = widget->isVisible();
        emit q->visibilityChanged(visible);
    }
}

void KelGeometryWatcher::Private::updateParent()
{
    if (widget && widget->parentWidget() != parent) {
        parent = widget->parentWidget();
        emit q->parentWidgetChanged(parent);
    }
}

void KelGeometryWatcher::Private::rewatchWindow()
{
    QWidget *window = nullptr;
    if (widget && mode != LocalGeometry && !widget->isWindow())
        window = widget->window();
    if (window == watchedWindow)
        return;
    if (watchedWindow)
        watchedWindow->removeEventFilter(q);
    watchedWindow = window;
    if (window)
        window->installEventFilter(q);
}

void KelGeometryWatcher::Private::handleStructureChange()
{
    updateParent();
    rewatchWindow();
    updateVisibility();
    updateGeometry();
}

KelGeometryWatcher::KelGeometryWatcher(QWidget *widget, int mode)
    : QObject(widget), d(new Private(this, widget, mode))
{
    if (!widget) {
        qWarning() << "KelGeometryWatcher: no widget to watch";
        return;
    }
    widget->installEventFilter(this);
    d->visible = widget->isVisible();
    d->parent = widget->parentWidget();
    d->rewatchWindow();
}

KelGeometryWatcher::~KelGeometryWatcher()
{
    if (d->watchedWindow)
        d->watchedWindow->removeEventFilter(this);
    if (d->widget)
        d->widget->removeEventFilter(this);
}

QWidget *KelGeometryWatcher::widget() const
{
    return d->widget;
}

bool KelGeometryWatcher::eventFilter(QObject *watched, QEvent *event)
{
    const bool onWidget = watched == d->widget;
    if (!onWidget && watched != d->watchedWindow)
        return false;

    switch (event->type()) {
    case QEvent::Move:
    case QEvent::Resize:
        d->updateGeometry();
        break;
    case QEvent::WindowStateChange:
        if (!onWidget)
            d->updateGeometry();
        break;
    case QEvent::Show:
    case QEvent::ShowToParent:
        d->updateVisibility();
        d->updateGeometry();
        break;
    case QEvent::Hide:
        d->updateVisibility();
        break;
    case QEvent::ParentChange:
    case QEvent::WinIdChange:
        d->handleStructureChange();
        break;
    default:
        break;
    }
    return false;
}

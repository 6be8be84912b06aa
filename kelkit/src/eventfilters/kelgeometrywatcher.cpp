#include "eventfilters/kelgeometrywatcher.h"

#include <QDebug>
#include <QEvent>
#include <QWidget>

KelGeometryWatcher::KelGeometryWatcher(QWidget *widget, int mode)
    : QObject(widget), m_mode(mode), m_widget(widget)
{
    if (!widget) {
        qWarning() << "KelGeometryWatcher needs a widget";
        return;
    }
    widget->installEventFilter(this);
    m_parent = widget->parentWidget();
    m_visible = widget->isVisible();
    rewatchWindow();
    m_initialized = true;
}

KelGeometryWatcher::~KelGeometryWatcher()
{
    if (m_watchedWindow)
        m_watchedWindow->removeEventFilter(this);
}

void KelGeometryWatcher::updateGeometry()
{
    QWidget *w = m_widget;
    if (!w)
        return;
    switch (m_mode) {
    case LocalGeometry:
        if (w->geometry() != m_geometry) {
            m_geometry = w->geometry();
            emit geometryChanged(m_geometry);
        }
        break;
    case WindowGeometry: {
        const QRect rect = w->isWindow() ? w->rect()
                                         : QRect(w->mapTo(w->window(), QPoint(0, 0)), w->size());
        if (rect != m_windowGeometry) {
            m_windowGeometry = rect;
            emit windowGeometryChanged(rect);
        }
        break;
    }
    case ScreenGeometry: {
        const QRect rect = w->isWindow() ? w->geometry()
                                         : QRect(w->mapToGlobal(QPoint(0, 0)), w->size());
        if (rect != m_screenGeometry) {
            m_screenGeometry = rect;
            emit screenGeometryChanged(rect);
        }
        break;
    }
    default:
        break;
    }
}

void KelGeometryWatcher::updateVisibility()
{
    if (!m_widget || m_widget->isVisible() == m_visible)
        return;
    m_visible = m_widget->isVisible();
    emit visibilityChanged(m_visible);
}

void KelGeometryWatcher::updateParent()
{
    if (!m_widget || m_widget->parentWidget() == m_parent)
        return;
    m_parent = m_widget->parentWidget();
    emit parentWidgetChanged(m_parent);
}

void KelGeometryWatcher::rewatchWindow()
{
    QWidget *window = nullptr;
    if (m_widget && (m_mode == WindowGeometry || m_mode == ScreenGeometry) && !m_widget->isWindow())
        window = m_widget->window();
    if (window == m_watchedWindow)
        return;
    if (m_watchedWindow)
        m_watchedWindow->removeEventFilter(this);
    m_watchedWindow = window;
    if (window)
        window->installEventFilter(this);
}

bool KelGeometryWatcher::eventFilter(QObject *watched, QEvent *event)
{
    if (!m_initialized || (watched != m_widget && watched != m_watchedWindow))
        return false;
    const bool onWindow = watched != m_widget;
    switch (event->type()) {
    case QEvent::Move:
    case QEvent::Resize:
        updateGeometry();
        break;
    case QEvent::WindowStateChange:
        if (onWindow)
            updateGeometry();
        break;
    case QEvent::Show:
    case QEvent::ShowToParent:
        updateVisibility();
        updateGeometry();
        break;
    case QEvent::Hide:
        updateVisibility();
        break;
    case QEvent::ParentChange:
    case QEvent::WinIdChange:
        updateParent();
        rewatchWindow();
        updateVisibility();
        updateGeometry();
        break;
    default:
        break;
    }
    return false;
}

#include "moc_kelgeometrywatcher.cpp"

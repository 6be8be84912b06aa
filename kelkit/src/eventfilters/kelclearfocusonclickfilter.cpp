#include "eventfilters/kelclearfocusonclickfilter.h"

#include "eventfilters/kelglobalmousewatcher.h"
#include "utils/kelgeometryutils.h"

#include <QFocusEvent>
#include <QWidget>

KelClearFocusOnClickFilter::KelClearFocusOnClickFilter(QWidget *widget)
    : QObject(widget), m_widget(widget)
{
    widget->installEventFilter(this);
    if (widget->hasFocus())
        watchMouse();
}

KelClearFocusOnClickFilter::~KelClearFocusOnClickFilter() = default;

KelGlobalMouseWatcher *KelClearFocusOnClickFilter::watcher() const
{
    return m_watcher;
}

bool KelClearFocusOnClickFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_widget)
        return false;
    if (event->type() == QEvent::FocusIn) {
        watchMouse();
    } else if (event->type() == QEvent::FocusOut) {
        // A popup takes the focus for a while and gives it back; only the
        // window's deactivation leaves the focus held in it.
        if (static_cast<QFocusEvent *>(event)->reason() == Qt::ActiveWindowFocusReason)
            dropWatcherUnlessFocusHeld();
        else
            dropWatcher();
    }
    return false;
}

void KelClearFocusOnClickFilter::watchMouse()
{
    if (m_watcher)
        return;
    m_watcher = new KelGlobalMouseWatcher(this);
    connect(m_watcher, &KelGlobalMouseWatcher::mousePressed, this,
            &KelClearFocusOnClickFilter::onMousePressed);
}

void KelClearFocusOnClickFilter::dropWatcherUnlessFocusHeld()
{
    if (m_widget && m_widget->window()->focusWidget() != m_widget)
        dropWatcher();
}

void KelClearFocusOnClickFilter::dropWatcher()
{
    if (!m_watcher)
        return;
    // The focus may go while the watcher is emitting: it goes once that ends.
    m_watcher->disconnect(this);
    m_watcher->deleteLater();
    m_watcher = nullptr;
}

void KelClearFocusOnClickFilter::onMousePressed(const QPoint &devicePos)
{
    if (!m_widget)
        return;
    // The press comes in physical pixels; the widget's rectangle is logical.
    if (!m_widget->rect().contains(KelUtils::mapDeviceToWidget(m_widget, devicePos)))
        m_widget->clearFocus();
    // A widget of an inactive window loses the focus without a focus-out.
    dropWatcherUnlessFocusHeld();
}

#include "moc_kelclearfocusonclickfilter.cpp"

#include "windows/platform/popuppressreplay.h"

#include <private/qapplication_p.h>
#include <private/qcoreapplication_p.h>
#include <private/qguiapplication_p.h>
#include <private/qwidget_p.h>
#include <QApplication>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>
#include <qpa/qplatformintegration.h>

namespace {

int overrideState = -1;

} // namespace

namespace KelPlatform {

bool platformReplaysPopupPress()
{
    if (overrideState >= 0)
        return overrideState == 1;
    const QPlatformIntegration *integration = QGuiApplicationPrivate::platformIntegration();
    return integration
            && integration->styleHint(QPlatformIntegration::ReplayMousePressOutsidePopup).toBool();
}

void setPlatformReplaysPopupPressOverride(int replays)
{
    overrideState = replays < 0 ? -1 : (replays ? 1 : 0);
}

bool replayPopupPress(const QMouseEvent &press)
{
    const QPoint global = press.globalPos();
    QWidget *widget = QApplication::widgetAt(global);
    if (!widget || QApplicationPrivate::isBlockedByModal(widget))
        return false;
    QWindow *window = qt_widget_private(widget)->windowHandle(
            QWidgetPrivate::WindowHandleMode::Closest);
    if (!window)
        return false;
    const QRect area = window->isTopLevel() ? window->geometry()
                                            : QRect(window->mapToGlobal(QPoint()), window->size());
    if (!area.contains(global))
        return false;
    if (!widget->isActiveWindow()) {
        widget->activateWindow();
        widget->window()->raise();
    }
    const QPointF local = press.screenPos() - QPointF(window->mapToGlobal(QPoint()));
    auto *copy = new QMouseEvent(QEvent::MouseButtonPress, local, local, press.screenPos(),
                                 press.button(), press.buttons(), press.modifiers(),
                                 press.source());
    copy->setTimestamp(press.timestamp());
    // Marked as coming from the platform, as the press it stands for did.
    QCoreApplicationPrivate::setEventSpontaneous(copy, true);
    QCoreApplication::postEvent(window, copy);
    return true;
}

} // namespace KelPlatform

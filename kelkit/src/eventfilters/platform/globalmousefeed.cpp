#include "eventfilters/platform/globalmousefeed.h"

#include "windows/platform/systemmoveresize.h"

#include <QMouseEvent>
#include <QWindow>

namespace KelPlatform {

namespace {

GlobalMouseHook g_hook = nullptr;

bool isReportedButton(Qt::MouseButton button)
{
    return button == Qt::LeftButton || button == Qt::RightButton || button == Qt::MiddleButton;
}

} // namespace

void setGlobalMouseHook(GlobalMouseHook hook)
{
    g_hook = hook;
}

bool hasGlobalMouseHook()
{
    return g_hook;
}

void feedGlobalMouseEvent(QObject *receiver, const QEvent *event)
{
    if (!g_hook || !receiver || !receiver->isWindowType())
        return;
    GlobalMouseAction action;
    switch (event->type()) {
    case QEvent::MouseMove:
    case QEvent::NonClientAreaMouseMove:
        action = GlobalMouseAction::Move;
        break;
    case QEvent::MouseButtonPress:
    case QEvent::NonClientAreaMouseButtonPress:
        action = GlobalMouseAction::Press;
        break;
    default:
        return;
    }
    const auto *mouse = static_cast<const QMouseEvent *>(event);
    const Qt::MouseButton button = action == GlobalMouseAction::Press ? mouse->button()
                                                                      : Qt::NoButton;
    if (action == GlobalMouseAction::Press && !isReportedButton(button))
        return;
    g_hook(action, toNativePosition(static_cast<QWindow *>(receiver), mouse->screenPos()), button);
}

} // namespace KelPlatform

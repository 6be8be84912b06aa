#include "windows/platform/windowhints.h"

#include <QApplication>
#include <QWidget>
#include <QWindow>

namespace {

// A shown window takes new flags without being hidden and shown again;
// one not yet created keeps them for its creation.
void setWindowFlags(QWidget *window, Qt::WindowFlags flags)
{
    if (window->windowFlags() == flags)
        return;
    QWindow *handle = window->windowHandle();
    if (handle && handle->handle()) {
        window->overrideWindowFlags(flags);
        handle->setFlags(flags);
    } else {
        window->setWindowFlags(flags);
    }
}

void setWindowFlag(QWidget *window, Qt::WindowType flag, bool on)
{
    const Qt::WindowFlags flags = window->windowFlags();
    setWindowFlags(window, on ? flags | flag : flags & ~flag);
}

} // namespace

namespace KelPlatform {

void setStaysOnTop(QWidget *widget, bool on)
{
    if (widget)
        setWindowFlag(widget->window(), Qt::WindowStaysOnTopHint, on);
}

void setShowWithoutActivating(QWidget *widget, bool on)
{
    if (!widget)
        return;
    QWidget *window = widget->window();
    window->setAttribute(Qt::WA_ShowWithoutActivating, on);
    setWindowFlag(window, Qt::WindowDoesNotAcceptFocus, on);
}

void setShowInTaskbar(QWidget *widget, bool on)
{
    if (!widget)
        return;
    QWidget *window = widget->window();
    const Qt::WindowFlags flags = window->windowFlags();
    const Qt::WindowFlags type = on ? Qt::Window : Qt::Tool;
    if ((flags & Qt::WindowType_Mask) == Qt::Popup)
        return;
    setWindowFlags(window, (flags & ~Qt::WindowType_Mask) | type);
}

bool forceActivate(QWidget *widget)
{
    if (!widget)
        return false;
    QWidget *window = widget->window();
    QWindow *handle = window->windowHandle();
    if (!handle || !handle->handle())
        return false;
    window->raise();
    handle->requestActivate();
    // Activation arrives later or not at all (focus stealing prevention);
    // an alert is dropped by Qt as soon as the window is activated.
    QApplication::alert(window);
    return true;
}

} // namespace KelPlatform

#pragma once

class QWidget;

// Window-level requests to the window manager, made through the window's
// flags and attributes. Each takes any widget and acts on its window. GUI
// thread only.
namespace KelPlatform {

void setStaysOnTop(QWidget *widget, bool on);
// The window neither takes the focus when shown nor accepts it later.
void setShowWithoutActivating(QWidget *widget, bool on);
// A window left out of the task bar is a tool window.
void setShowInTaskbar(QWidget *widget, bool on);
// Raises the window and asks for the focus; until the window manager
// grants it, the window asks for the user's attention. False when the
// window has no native window yet.
bool forceActivate(QWidget *widget);

} // namespace KelPlatform

#pragma once

class QWidget;

// Small operations on widgets and their windows. GUI thread only.
namespace KelUtils {

// The outermost window above the widget: its window, then the window of
// that window's parent widget, and so on. Null for null.
QWidget *topLevelOwnerWindow(QWidget *widget);

// Whether a hidden widget keeps its place in its layout.
void setRetainSizeWhenHidden(QWidget *widget, bool retain);

} // namespace KelUtils

#pragma once

class QLayout;
class QWidget;

namespace LayoutUtils {

// Inserts into a QBoxLayout (stretch 0, no alignment) or a KelFlowLayout;
// any other layout is a fatal misuse.
void insertWidget(QLayout *layout, int index, QWidget *widget);

} // namespace LayoutUtils

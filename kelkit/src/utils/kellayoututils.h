#pragma once

#include <QSet>

class QLayout;
class QRect;
class QWidget;

namespace KelUtils {

// Indexes of the layout's items whose geometry intersects rect; empty for a
// null layout or an empty rect. Box and flow layouts are binary searched
// along their axis (a flow layout vertically, then cut to rect); any other
// layout is scanned item by item, with a warning the first 10 times.
QSet<int> findLayoutItemsAt(QLayout *layout, const QRect &rect);

// Settles the geometry of a widget tree now instead of on the next event
// loop pass: children first, then the widget's own layout (or, without
// one, its geometry). Child windows are left alone.
void activateLayoutsRecursively(QWidget *widget);
// Invalidates every item and nested layout, then activates the layout.
void activateLayout(QLayout *layout);

// Deletes every item of the layout with its widget, emptying nested
// layouts the same way.
void deleteLayoutItems(QLayout *layout);

} // namespace KelUtils

#pragma once

#include <QSet>

class QLayout;
class QRect;

namespace KelUtils {

// Indexes of the layout's items whose geometry intersects rect; empty for a
// null layout or an empty rect. Box layouts are searched along their
// direction and flow layouts row by row, stopping past the rect.
QSet<int> findLayoutItemsAt(QLayout *layout, const QRect &rect);

} // namespace KelUtils

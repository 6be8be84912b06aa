#include "utils/kellayoututils.h"

#include <QBoxLayout>
#include <QRect>
#include <QWidget>

namespace KelUtils {

namespace {

// Whether the item lies wholly past rect in the layout's direction, so that
// no later item can intersect it either.
bool isPast(QLayout *layout, const QRect &item, const QRect &rect)
{
    if (auto *box = qobject_cast<QBoxLayout *>(layout)) {
        switch (box->direction()) {
        case QBoxLayout::TopToBottom:
            return item.top() > rect.bottom();
        case QBoxLayout::BottomToTop:
            return item.bottom() < rect.top();
        case QBoxLayout::LeftToRight:
            return item.left() > rect.right();
        case QBoxLayout::RightToLeft:
            return item.right() < rect.left();
        }
    }
    // Known by class name: the layouts sit above these helpers.
    if (qstrcmp(layout->metaObject()->className(), "KelFlowLayout") == 0)
        return item.top() > rect.bottom();
    return false;
}

} // namespace

QSet<int> findLayoutItemsAt(QLayout *layout, const QRect &rect)
{
    QSet<int> found;
    if (!layout || rect.isEmpty())
        return found;
    for (int i = 0; i < layout->count(); ++i) {
        const QRect geometry = layout->itemAt(i)->geometry();
        if (geometry.intersects(rect))
            found.insert(i);
        else if (!geometry.isEmpty() && isPast(layout, geometry, rect))
            break;
    }
    return found;
}

} // namespace KelUtils

namespace KelUtils {

void activateLayoutsRecursively(QWidget *widget)
{
    if (!widget)
        return;
    const QList<QWidget *> children = widget->findChildren<QWidget *>(QString(),
                                                                      Qt::FindDirectChildrenOnly);
    for (QWidget *child : children) {
        if (!child->isWindow())
            activateLayoutsRecursively(child);
    }
    if (QLayout *layout = widget->layout())
        activateLayout(layout);
    else
        widget->updateGeometry();
}

void activateLayout(QLayout *layout)
{
    if (!layout)
        return;
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem *item = layout->itemAt(i);
        if (QLayout *nested = item->layout())
            activateLayout(nested);
        else
            item->invalidate();
    }
    layout->invalidate();
    layout->activate();
}

void deleteLayoutItems(QLayout *layout)
{
    if (!layout)
        return;
    while (QLayoutItem *item = layout->takeAt(0)) {
        delete item->widget();
        if (QLayout *nested = item->layout())
            deleteLayoutItems(nested);
        delete item;
    }
}

} // namespace KelUtils

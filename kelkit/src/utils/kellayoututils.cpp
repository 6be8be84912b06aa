#include "utils/kellayoututils.h"

#include <QBoxLayout>
#include <QDebug>
#include <QRect>
#include <QWidget>

#include <atomic>

namespace KelUtils {

namespace {

struct Span
{
    int start;
    int end;
};

Span span(const QRect &rect, bool horizontal)
{
    return horizontal ? Span{rect.left(), rect.right()} : Span{rect.top(), rect.bottom()};
}

// Binary search for the items overlapping rect along one axis, then the
// walk to either side of the hit. In a reversed layout the item indexes run
// against the axis.
QSet<int> searchAlongAxis(QLayout *layout, const QRect &rect, bool horizontal, bool reversed)
{
    QSet<int> found;
    const Span wanted = span(rect, horizontal);
    auto overlaps = [&](int index) {
        const Span item = span(layout->itemAt(index)->geometry(), horizontal);
        return item.start <= wanted.end && item.end >= wanted.start;
    };
    int lo = 0;
    int hi = layout->count() - 1;
    int hit = -1;
    while (lo <= hi) {
        const int mid = lo + (hi - lo) / 2;
        const Span item = span(layout->itemAt(mid)->geometry(), horizontal);
        bool lower;
        if (item.start > wanted.end)
            lower = !reversed;
        else if (item.end < wanted.start)
            lower = reversed;
        else {
            hit = mid;
            break;
        }
        if (lower)
            hi = mid - 1;
        else
            lo = mid + 1;
    }
    if (hit < 0)
        return found;
    for (int i = hit; i >= 0 && overlaps(i); --i)
        found.insert(i);
    for (int i = hit + 1; i < layout->count() && overlaps(i); ++i)
        found.insert(i);
    return found;
}

} // namespace

QSet<int> findLayoutItemsAt(QLayout *layout, const QRect &rect)
{
    if (!layout || rect.isEmpty())
        return {};
    if (auto *box = qobject_cast<QBoxLayout *>(layout)) {
        const QBoxLayout::Direction direction = box->direction();
        const bool horizontal = direction == QBoxLayout::LeftToRight
                || direction == QBoxLayout::RightToLeft;
        const bool reversed = direction == QBoxLayout::RightToLeft
                || direction == QBoxLayout::BottomToTop;
        return searchAlongAxis(layout, rect, horizontal, reversed);
    }
    // Known by class name: the layouts sit above these helpers.
    if (qstrcmp(layout->metaObject()->className(), "KelFlowLayout") == 0) {
        const QRect whole = layout->geometry();
        if (rect.left() <= whole.left() && rect.right() >= whole.right())
            return searchAlongAxis(layout, rect, false, false);
        const QRect band(whole.left(), rect.top(), whole.width(), rect.height());
        QSet<int> found = searchAlongAxis(layout, band, false, false);
        for (auto it = found.begin(); it != found.end();) {
            if (layout->itemAt(*it)->geometry().intersects(rect))
                ++it;
            else
                it = found.erase(it);
        }
        return found;
    }

    static std::atomic<int> warnings{0};
    if (warnings.fetch_add(1, std::memory_order_relaxed) < 10) {
        qWarning() << "Search visible items in" << layout
                   << "is not optimized! Linear algorythm is used now.";
        qWarning() << "  Use QBoxLayout or KelFlowLayout to get binary search or implement "
                      "KelUtils::findLayoutItemsAt() for your layout type";
    }
    QSet<int> found;
    for (int i = 0; i < layout->count(); ++i) {
        if (layout->itemAt(i)->geometry().intersects(rect))
            found.insert(i);
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

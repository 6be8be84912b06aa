#include "layouts/kelflowlayout.h"

#include <QDebug>
#include <QStyle>
#include <QWidget>
#include <QtMath>

namespace {

// The layout's parent's spacing: the widget style's, or the parent
// layout's; -1 without a parent.
int spacingFromParent(const QObject *owner, QStyle::PixelMetric metric)
{
    if (!owner)
        return -1;
    if (owner->isWidgetType()) {
        auto *widget = static_cast<const QWidget *>(owner);
        return widget->style()->pixelMetric(metric, nullptr, widget);
    }
    return static_cast<const QLayout *>(owner)->spacing();
}

} // namespace

class KelFlowLayout::Private
{
public:
    int cachedWidth = -1;
    int cachedHeight = 0;
    QSize cachedMinimumSize;
    QList<QLayoutItem *> items;
    int horizontalSpacing = -1;
    int verticalSpacing = -1;
    bool uniformItemSizes = false;
    Stretch stretch = NoStretch;
};

KelFlowLayout::KelFlowLayout(QWidget *parent, const QMargins &margins, int horizontalSpacing,
                             int verticalSpacing)
    : QLayout(parent), d(std::make_unique<Private>())
{
    setContentsMargins(margins);
    d->horizontalSpacing = horizontalSpacing;
    d->verticalSpacing = verticalSpacing;
}

KelFlowLayout::KelFlowLayout(QWidget *parent, int margin, int horizontalSpacing, int verticalSpacing)
    : QLayout(parent), d(std::make_unique<Private>())
{
    if (margin >= 0)
        setContentsMargins(margin, margin, margin, margin);
    d->horizontalSpacing = horizontalSpacing;
    d->verticalSpacing = verticalSpacing;
}

KelFlowLayout::~KelFlowLayout()
{
    qDeleteAll(d->items);
    d->items.clear();
}

int KelFlowLayout::horizontalSpacing() const
{
    if (d->horizontalSpacing >= 0)
        return d->horizontalSpacing;
    return spacingFromParent(parent(), QStyle::PM_LayoutHorizontalSpacing);
}

int KelFlowLayout::verticalSpacing() const
{
    if (d->verticalSpacing >= 0)
        return d->verticalSpacing;
    return spacingFromParent(parent(), QStyle::PM_LayoutVerticalSpacing);
}

bool KelFlowLayout::uniformItemSizes() const
{
    return d->uniformItemSizes;
}

void KelFlowLayout::setUniformItemSizes(bool uniform)
{
    if (d->uniformItemSizes == uniform)
        return;
    d->uniformItemSizes = uniform;
    invalidate();
}

KelFlowLayout::Stretch KelFlowLayout::stretch() const
{
    return d->stretch;
}

void KelFlowLayout::setStretch(Stretch stretch)
{
    if (d->stretch == stretch)
        return;
    d->stretch = stretch;
    invalidate();
}

void KelFlowLayout::insertItem(int index, QLayoutItem *item)
{
    if (!item)
        return;
    if (index < 0 || index > d->items.size())
        index = d->items.size();
    d->items.insert(index, item);
    invalidate();
}

void KelFlowLayout::insertWidget(int index, QWidget *widget)
{
    if (!widget) {
        qWarning() << "KelFlowLayout: cannot add a null widget to" << this;
        return;
    }
    addChildWidget(widget);
    insertItem(index, new QWidgetItemV2(widget));
}

void KelFlowLayout::addItem(QLayoutItem *item)
{
    // Adding must drop the cached heights as inserting does, or the parent
    // keeps the height of the old item count.
    insertItem(-1, item);
}

QLayoutItem *KelFlowLayout::itemAt(int index) const
{
    return d->items.value(index, nullptr);
}

QLayoutItem *KelFlowLayout::takeAt(int index)
{
    if (index < 0 || index >= d->items.size())
        return nullptr;
    QLayoutItem *item = d->items.takeAt(index);
    invalidate();
    return item;
}

int KelFlowLayout::count() const
{
    return d->items.size();
}

Qt::Orientations KelFlowLayout::expandingDirections() const
{
    return Qt::Horizontal;
}

bool KelFlowLayout::hasHeightForWidth() const
{
    return true;
}

int KelFlowLayout::heightForWidth(int width) const
{
    if (width != d->cachedWidth) {
        d->cachedHeight = doLayout(QRect(0, 0, width, 0), d->items, true);
        d->cachedWidth = width;
    }
    return d->cachedHeight;
}

int KelFlowLayout::minimumHeightForWidth(int width) const
{
    return heightForWidth(width);
}

QSize KelFlowLayout::minimumSize() const
{
    if (!d->cachedMinimumSize.isValid()) {
        QSize size(0, 0);
        if (d->uniformItemSizes) {
            if (!d->items.isEmpty())
                size = d->items.first()->minimumSize();
        } else {
            for (const QLayoutItem *item : qAsConst(d->items))
                size = size.expandedTo(item->minimumSize());
        }
        const QMargins margins = contentsMargins();
        d->cachedMinimumSize = size
                + QSize(margins.left() + margins.right(), margins.top() + margins.bottom());
    }
    return d->cachedMinimumSize;
}

QSize KelFlowLayout::sizeHint() const
{
    return minimumSize();
}

void KelFlowLayout::setGeometry(const QRect &rect)
{
    // QLayout::invalidate() clears the stored geometry, so a changed item
    // list is laid out again even in an unchanged rectangle.
    if (rect == geometry())
        return;
    QLayout::setGeometry(rect);
    doLayout(rect, d->items, false);
}

void KelFlowLayout::invalidate()
{
    d->cachedWidth = -1;
    d->cachedHeight = 0;
    d->cachedMinimumSize = QSize();
    QLayout::invalidate();
}

int KelFlowLayout::doLayout(const QRect &rect, const QList<QLayoutItem *> &items,
                            bool testOnly) const
{
    const QMargins margins = contentsMargins();
    const int hs = horizontalSpacing();
    const int vs = verticalSpacing();

    const bool uniform = d->uniformItemSizes && !items.isEmpty();
    QSize cell;
    if (d->stretch != NoStretch && !d->uniformItemSizes)
        qFatal("KelFlowLayout::Stretch with non-uniformItemSizes is  not implemented yet");
    if (uniform) {
        const QSize first = items.first()->sizeHint();
        cell = first;
        if (d->stretch != NoStretch) {
            cell = first + QSize(hs, vs);
            const int available = rect.width() + hs - margins.left() - margins.right();
            const int columns = qMax(1, (available - cell.width() / 2) / qMax(1, cell.width()));
            if (d->stretch == StretchWhenWrapped && items.size() <= columns) {
                cell = first;
            } else {
                const int width = available / columns - hs;
                const qreal scale = qreal(width) / qMax(1, first.width());
                cell = QSize(width, qFloor(first.height() * scale + 0.5));
            }
        }
    }

    int x = rect.x() + margins.left();
    int y = rect.y() + margins.top();
    const int right = rect.left() + rect.width() - margins.right();
    int lineHeight = 0;
    for (QLayoutItem *item : items) {
        const QSize size = uniform ? cell : item->sizeHint();
        if (x + size.width() > right && lineHeight > 0) {
            x = rect.x() + margins.left();
            y += vs + lineHeight;
            lineHeight = 0;
        }
        if (!testOnly)
            item->setGeometry(QRect(QPoint(x, y), size));
        lineHeight = qMax(lineHeight, size.height());
        x += size.width() + hs;
    }
    return y + lineHeight + margins.bottom() - rect.y();
}

#include "moc_kelflowlayout.cpp"

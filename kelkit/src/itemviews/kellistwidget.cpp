#include "itemviews/kellistwidget.h"

#include "eventfilters/kelfunctionfilter.h"
#include "itemviews/kellistwidgetitem.h"
#include "layouts/kelflowlayout.h"
#include "layouts/kellayoutdnd.h"
#include "layouts/kellayoutreplacer.h"
#include "layouts/kelspacerorwidgetitem.h"
#include "utils/kellayoututils.h"
#include "widgets/kelbutton.h"

#include <QAbstractItemModel>
#include <QBoxLayout>
#include <QCoreApplication>
#include <QDebug>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMetaEnum>
#include <QMimeData>
#include <QPainter>
#include <QPersistentModelIndex>
#include <QPixmap>
#include <QPointer>
#include <QScrollBar>
#include <QSet>
#include <QSpacerItem>
#include <QTimer>
#include <QVector>

#include <private/qwidget_p.h>

namespace {

// Whether the widget or one of its ancestors, up to its window, is in its
// destructor (QWidget's sets the flag before it deletes the children):
// nothing there may be grabbed any more.
bool isBeingDestroyed(const QWidget *widget)
{
    for (; widget; widget = widget->isWindow() ? nullptr : widget->parentWidget()) {
        if (QWidgetPrivate::get(widget)->data.in_destructor)
            return true;
    }
    return false;
}

} // namespace

class KelListWidget::Private : public QObject
{
public:
    explicit Private(KelListWidget *list);

    QString modelName() const;
    QLayout *layout() const { return replacer->layout(); }
    int layoutCount() const { return layout() ? layout()->count() : 0; }
    int rowCount() const { return model ? model->rowCount(root) : 0; }
    QModelIndex rowIndex(int row) const
    {
        return model ? model->index(row, 0, root) : QModelIndex();
    }
    bool hasFactory(const char *signal) const;

    void beginHardWork();
    void endHardWork();

    KelListWidgetItem *obtainItem(const QModelIndex &index);
    void returnToPool(KelListWidgetItem *item);
    void removeLayoutItems(int first, int last);
    void insertRowWidget(int row);
    QWidget *widgetForRow(int row);
    void fillPlaceholders();
    void makePrototype();
    void insertPlaceholder(int row);
    void resizePlaceholders();
    KelListWidgetItem *itemAt(int layoutIndex) const;
    void updateVisibleItems(const QRect &visibleRect);
    void prepareRowsNearView();

    void onModelReset();
    void onRowsInserted(const QModelIndex &parent, int first, int last);
    void onRowsRemoved(const QModelIndex &parent, int first, int last);
    void onRowsMoved(const QModelIndex &parent, int start, int end, const QModelIndex &destination,
                     int row);
    void onDataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                       const QVector<int> &roles);
    void onLayoutChanged(const QList<QPersistentModelIndex> &parents);

    void applyInternalMove(int from, int to);
    bool applyExternalDrop(const QMimeData *data, Qt::DropAction action, int row);

    QWidget *candidate(int index) const;
    int currentNavigationIndex() const;
    void activate(QWidget *widget) const;
    bool activateNext(int from, int step) const;
    bool activateVertical(int step) const;
    bool handleKey(QKeyEvent *event);

    KelLayoutDnd *dnd;
    bool keyboardNavigation = false;
    bool verbose = false;
    bool onlyVisible = false;
    KelListWidget *list;
    QAbstractItemModel *model = nullptr;
    QPersistentModelIndex root;
    KelLayoutReplacer *replacer;
    ItemFactory factory;
    QVector<KelListWidgetItem *> pool;
    QSet<int> rowsWithWidgets;
    KelListWidgetItem *prototype = nullptr;
    QTimer hardWorkTimer;
    QTimer fillTimer;
    QTimer nearViewTimer;
    int creationBudgetMs = 8;
    QPixmap snapshot;
    QElapsedTimer freezeClock;
    bool internalMove = false;

    QWidget *content;
    QVBoxLayout *contentLayout;
};

namespace {

QWidget *asWidget(KelListWidgetItem *item)
{
    return dynamic_cast<QWidget *>(item);
}

KelListWidgetItem *asItem(QWidget *widget)
{
    return dynamic_cast<KelListWidgetItem *>(widget);
}

} // namespace

KelListWidget::Private::Private(KelListWidget *list)
    : QObject(list), dnd(new KelLayoutDnd(this)), list(list), replacer(new KelLayoutReplacer(list)),
      content(new QWidget), contentLayout(new QVBoxLayout(content))
{
    hardWorkTimer.setInterval(0);
    hardWorkTimer.setSingleShot(true);
    connect(&hardWorkTimer, &QTimer::timeout, this, &Private::endHardWork);
    fillTimer.setInterval(0);
    fillTimer.setSingleShot(true);
    connect(&fillTimer, &QTimer::timeout, this, &Private::fillPlaceholders);
    nearViewTimer.setInterval(0);
    nearViewTimer.setSingleShot(true);
    connect(&nearViewTimer, &QTimer::timeout, this, &Private::prepareRowsNearView);
    // Rows come into view by scrolling and resizing (visibleWidgetRectChanged)
    // and by every change of the rows' layout, which asks the content first.
    content->installEventFilter(new KelFunctionFilter(
            [this](QObject *, QEvent *event) {
                if (event->type() == QEvent::LayoutRequest)
                    nearViewTimer.start();
                return false;
            },
            this));

    content->setObjectName(QStringLiteral("Content"));
    contentLayout->setObjectName(QStringLiteral("ContentLayout"));
    contentLayout->setSizeConstraint(QLayout::SetMinimumSize);
    contentLayout->setContentsMargins(0, 0, 0, 0);
    contentLayout->setSpacing(0);
    contentLayout->addItem(new QSpacerItem(0, 0, QSizePolicy::Fixed, QSizePolicy::Expanding));

    connect(dnd, &KelLayoutDnd::widgetMoved, this,
            [this](QWidget *, int from, int to) { applyInternalMove(from, to); });
    connect(dnd, &KelLayoutDnd::dropped, this,
            [this](const QMimeData *data, Qt::DropAction action, int row) {
                applyExternalDrop(data, action, row);
            });
    connect(dnd, &KelLayoutDnd::dropIndicatorGeometryChanged, this,
            [this](const QRect &rect) { this->list->scrollToRect(rect, true); });
    connect(dnd, &KelLayoutDnd::dropIndicatorVisibilityChanged, this, [this](bool visible) {
        if (visible && onlyVisible)
            qCritical() << "setCreateOnlyVisibleItems(true) is not available if there is a "
                           "registered DropIndicator";
    });
}

QString KelListWidget::Private::modelName() const
{
    if (!model)
        return QStringLiteral("Null model");
    return model->objectName().isEmpty() ? QString::fromLatin1(model->metaObject()->className())
                                         : model->objectName();
}

bool KelListWidget::Private::hasFactory(const char *signal) const
{
    if (factory)
        return true;
    qWarning().noquote() << modelName() << ": skip" << signal << "without an item factory";
    return false;
}

void KelListWidget::Private::beginHardWork()
{
    if (onlyVisible)
        return;
    if (isBeingDestroyed(list)) {
        qInfo() << "Skip hard work on app finish";
        return;
    }
    if (hardWorkTimer.isActive())
        return;
    freezeClock.start();
    snapshot = list->viewport()->grab();
    list->viewport()->hide();
    hardWorkTimer.start();
}

void KelListWidget::Private::endHardWork()
{
    if (!list->viewport()->isHidden())
        return;
    if (verbose)
        qInfo().noquote() << modelName() << "viewport updated in" << freezeClock.elapsed() << "ms";
    hardWorkTimer.stop();
    list->refreshGeometry();
    list->viewport()->show();
    snapshot = QPixmap();
    list->update();
    emit list->hardWorkFinished();
}

KelListWidgetItem *KelListWidget::Private::obtainItem(const QModelIndex &index)
{
    const int layoutId = replacer->currentLayoutId();
    if (!pool.isEmpty()) {
        KelListWidgetItem *item = pool.takeLast();
        item->layoutIdChanged(layoutId);
        item->setIndex(index);
        return item;
    }
    KelListWidgetItem *item = factory(content, index);
    item->layoutIdChanged(layoutId);
    item->translateUi();
    return item;
}

void KelListWidget::Private::returnToPool(KelListWidgetItem *item)
{
    QWidget *widget = asWidget(item);
    widget->hide();
    // Else inserting it into a layout later tries to take it out of one.
    widget->setAttribute(Qt::WA_LaidOut, false);
    pool.append(item);
    item->reset();
}

void KelListWidget::Private::removeLayoutItems(int first, int last)
{
    QLayout *current = layout();
    if (!current || first > last)
        return;
    current->setEnabled(false);
    QList<QLayoutItem *> taken;
    for (int i = last; i >= first; --i) {
        if (QLayoutItem *item = current->takeAt(i))
            taken.prepend(item);
    }
    for (QLayoutItem *item : qAsConst(taken)) {
        if (KelListWidgetItem *row = asItem(item->widget()))
            returnToPool(row);
        else if (item->layout())
            qCritical() << "Wrong KelListWidget usage!";
        delete item;
    }
    current->setEnabled(true);
}

void KelListWidget::Private::insertRowWidget(int row)
{
    QWidget *widget = asWidget(obtainItem(rowIndex(row)));
    replacer->insertWidget(row, widget);
    widget->show();
}

QWidget *KelListWidget::Private::widgetForRow(int row)
{
    QLayout *current = layout();
    if (!current || row < 0 || row >= current->count())
        return nullptr;
    QLayoutItem *item = current->itemAt(row);
    if (!item->widget() && !onlyVisible && model && factory
        && dynamic_cast<KelSpacerOrWidgetItem *>(item)) {
        // A row asked for before its pass: the passes skip rows that have one.
        const bool held = contentLayout->isEnabled();
        contentLayout->setEnabled(false);
        delete current->takeAt(row);
        insertRowWidget(row);
        contentLayout->setEnabled(held);
        item = current->itemAt(row);
    }
    if (KelListWidgetItem *rowItem = asItem(item->widget()))
        rowItem->prepareForView();
    return item->widget();
}

// Replaces placeholders by the rows' widgets, in order, until the budget is
// spent. The content's layout is held meanwhile: each shown widget would
// otherwise lay the whole list out again at once; it is laid out once, on
// the request the insertions posted.
void KelListWidget::Private::fillPlaceholders()
{
    QLayout *current = layout();
    if (!current || !model || !factory || onlyVisible)
        return;
    QElapsedTimer clock;
    clock.start();
    const bool held = contentLayout->isEnabled();
    contentLayout->setEnabled(false);
    int made = 0;
    bool more = false;
    for (int row = 0; row < current->count(); ++row) {
        auto *item = dynamic_cast<KelSpacerOrWidgetItem *>(current->itemAt(row));
        if (!item || item->widget())
            continue;
        if (made > 0 && clock.elapsed() >= creationBudgetMs) {
            more = true;
            break;
        }
        delete current->takeAt(row);
        insertRowWidget(row);
        ++made;
    }
    contentLayout->setEnabled(held);
    if (more)
        fillTimer.start();
}

void KelListWidget::Private::makePrototype()
{
    delete asWidget(prototype);
    prototype = factory ? factory(list, QModelIndex()) : nullptr;
    if (prototype) {
        prototype->layoutIdChanged(list->currentLayoutId());
        prototype->translateUi();
        // Placeholders take its size: the size of a complete row.
        prototype->prepareForView();
        asWidget(prototype)->hide();
    }
}

void KelListWidget::Private::insertPlaceholder(int row)
{
    QWidget *proto = asWidget(prototype);
    const QSize size = proto ? proto->sizeHint() : QSize();
    const QSizePolicy policy = proto ? proto->sizePolicy() : QSizePolicy();
    replacer->insertItem(row,
                         new KelSpacerOrWidgetItem(size.width(), size.height(),
                                                   policy.horizontalPolicy(),
                                                   policy.verticalPolicy()));
}

void KelListWidget::Private::resizePlaceholders()
{
    QWidget *proto = asWidget(prototype);
    QLayout *current = layout();
    if (!proto || !current)
        return;
    const QSize size = proto->sizeHint();
    const QSizePolicy policy = proto->sizePolicy();
    for (int i = 0; i < current->count(); ++i) {
        if (auto *item = dynamic_cast<KelSpacerOrWidgetItem *>(current->itemAt(i)))
            item->changeSize(size.width(), size.height(), policy.horizontalPolicy(),
                             policy.verticalPolicy());
    }
    current->invalidate();
}

KelListWidgetItem *KelListWidget::Private::itemAt(int layoutIndex) const
{
    QLayoutItem *item = layout() ? layout()->itemAt(layoutIndex) : nullptr;
    return item ? asItem(item->widget()) : nullptr;
}

void KelListWidget::Private::updateVisibleItems(const QRect &visibleRect)
{
    QLayout *current = layout();
    if (!onlyVisible || !current || !model)
        return;
    if (!list->testAttribute(Qt::WA_WState_Created)) {
        if (current->geometry().isEmpty())
            current->invalidate();
        return;
    }
    if (current->geometry().isEmpty())
        current->activate();

    QRect rect = visibleRect;
    if (!rect.isEmpty())
        rect.adjust(0, -rect.height(), 0, rect.height());
    const QSet<int> visible = KelUtils::findLayoutItemsAt(current, rect);
    for (int row : qAsConst(rowsWithWidgets)) {
        if (visible.contains(row))
            continue;
        auto *item = dynamic_cast<KelSpacerOrWidgetItem *>(current->itemAt(row));
        if (!item)
            continue;
        if (KelListWidgetItem *rowItem = asItem(item->widget()))
            returnToPool(rowItem);
        item->setWidget(nullptr);
    }
    for (int row : visible) {
        if (rowsWithWidgets.contains(row))
            continue;
        auto *item = dynamic_cast<KelSpacerOrWidgetItem *>(current->itemAt(row));
        if (!item)
            continue;
        KelListWidgetItem *rowItem = obtainItem(rowIndex(row));
        rowItem->prepareForView();
        QWidget *widget = asWidget(rowItem);
        item->setWidget(widget);
        widget->show();
    }
    rowsWithWidgets = visible;
}

// The rows in the view and one view's height above and below it, as in a
// visible-only list; laid out first, so that new rows count where they are.
void KelListWidget::Private::prepareRowsNearView()
{
    QLayout *current = layout();
    if (onlyVisible || !current || isBeingDestroyed(list))
        return;
    QRect rect = list->visibleWidgetRect();
    if (rect.isEmpty())
        return;
    if (contentLayout->isEnabled())
        contentLayout->activate();
    rect.adjust(0, -rect.height(), 0, rect.height());
    for (int row : KelUtils::findLayoutItemsAt(current, rect)) {
        if (KelListWidgetItem *item = itemAt(row))
            item->prepareForView();
    }
}

void KelListWidget::Private::onModelReset()
{
    if (!factory)
        return;
    if (verbose)
        qInfo().noquote() << modelName() << ": Model reset";
    beginHardWork();
    removeLayoutItems(0, layoutCount() - 1);
    const int rows = rowCount();
    if (!onlyVisible) {
        for (int row = 0; row < rows; ++row)
            insertRowWidget(row);
    } else {
        for (int row = 0; row < rows; ++row)
            insertPlaceholder(row);
        rowsWithWidgets.clear();
        updateVisibleItems(list->visibleWidgetRect());
    }
    emit list->rowCountChanged(rows);
}

void KelListWidget::Private::onRowsInserted(const QModelIndex &parent, int first, int last)
{
    if (parent != root)
        return;
    if (internalMove) {
        if (verbose)
            qInfo().noquote() << modelName()
                              << ": Skip rows inserted due to internal dnd (first:" << first
                              << ", last:" << last << ")";
        return;
    }
    if (!hasFactory("rows inserted"))
        return;
    if (verbose)
        qInfo().noquote() << modelName() << ": Rows inserted (first:" << first << ", last:" << last
                          << ")";
    beginHardWork();
    if (!onlyVisible) {
        if (!prototype)
            makePrototype();
        for (int row = first; row <= last; ++row)
            insertPlaceholder(row);
        fillPlaceholders();
    } else {
        for (int row = first; row <= last; ++row)
            insertPlaceholder(row);
        QSet<int> shifted;
        for (int row : qAsConst(rowsWithWidgets))
            shifted.insert(row >= first ? row + last - first + 1 : row);
        rowsWithWidgets = shifted;
        updateVisibleItems(list->visibleWidgetRect());
    }
    emit list->rowCountChanged(rowCount());
}

void KelListWidget::Private::onRowsRemoved(const QModelIndex &parent, int first, int last)
{
    if (parent != root)
        return;
    if (internalMove) {
        if (verbose)
            qInfo().noquote() << modelName()
                              << ": Skip rows removed due to internal dnd (first:" << first
                              << ", last:" << last << ")";
        return;
    }
    if (!hasFactory("rows removed"))
        return;
    if (verbose)
        qInfo().noquote() << modelName() << ": Rows removed (first:" << first << ", last:" << last
                          << ")";
    beginHardWork();
    removeLayoutItems(first, last);
    if (onlyVisible) {
        QSet<int> kept;
        for (int row : qAsConst(rowsWithWidgets)) {
            if (row < first)
                kept.insert(row);
            else if (row > last)
                kept.insert(row - (last - first + 1));
        }
        rowsWithWidgets = kept;
        updateVisibleItems(list->visibleWidgetRect());
    }
    emit list->rowCountChanged(rowCount());
}

void KelListWidget::Private::onRowsMoved(const QModelIndex &parent, int start, int end,
                                         const QModelIndex &destination, int row)
{
    if (parent != root)
        return;
    if (internalMove) {
        if (verbose)
            qInfo().noquote() << modelName()
                              << ": Skip rows moved due to internal dnd (start:" << start << ", end"
                              << end << ", target:" << row << ")";
        return;
    }
    if (destination != parent)
        qFatal("ModelWidget: move rows into another parent is not implemented!");
    if (!hasFactory("rows moved"))
        return;
    if (verbose)
        qInfo().noquote() << modelName() << ": Rows moved (start:" << start << ", end" << end
                          << ", target:" << row << ")";
    replacer->moveItems(start, end, row);
    if (onlyVisible) {
        const int count = end - start + 1;
        QSet<int> remapped;
        for (int r : qAsConst(rowsWithWidgets)) {
            if (start >= row) {
                if (r >= start && r <= end)
                    r = r - start + row;
                else if (r >= row && r < start)
                    r += count;
            } else {
                if (r >= start && r <= end)
                    r = r - end - 1 + row;
                else if (r > end && r < row)
                    r -= count;
            }
            remapped.insert(r);
        }
        rowsWithWidgets = remapped;
        updateVisibleItems(list->visibleWidgetRect());
    }
}

void KelListWidget::Private::onDataChanged(const QModelIndex &topLeft,
                                           const QModelIndex &bottomRight,
                                           const QVector<int> &roles)
{
    if (!roles.contains(Qt::DisplayRole))
        return;
    if (topLeft.parent() != root || topLeft.column() > 0 || bottomRight.column() < 0)
        return;
    if (!hasFactory("data changed"))
        return;
    const auto describe = [&] {
        qInfo().noquote().nospace()
                << modelName() << ": DisplayRole data changed (topLeft: {" << topLeft.row() << ","
                << topLeft.column() << "}, bottomRight: {" << bottomRight.row() << ", "
                << bottomRight.column() << "})";
    };
    if (verbose)
        describe();
    QElapsedTimer watch;
    watch.start();
    for (int row = topLeft.row(); row <= bottomRight.row(); ++row) {
        if (KelListWidgetItem *item = itemAt(row))
            item->setIndex(rowIndex(row));
    }
    const qint64 elapsed = watch.elapsed();
    if (elapsed > 500) {
        if (!verbose)
            describe();
        qWarning().noquote() << "viewport update on dataChanged() tooks" << elapsed
                             << "ms. Be careful.";
    }
}

void KelListWidget::Private::onLayoutChanged(const QList<QPersistentModelIndex> &parents)
{
    if (root.isValid() && !parents.contains(root))
        return;
    if (!hasFactory("layout changed"))
        return;
    if (verbose)
        qInfo().noquote() << modelName() << ": Model layout changed";
    for (int i = 0; i < layoutCount(); ++i) {
        if (KelListWidgetItem *item = itemAt(i))
            item->setIndex(rowIndex(i));
    }
}

void KelListWidget::Private::applyInternalMove(int from, int to)
{
    if (verbose)
        qInfo().noquote() << modelName() << ": Apply internal DND to model (from:" << from << ", to"
                          << to << ")";
    internalMove = true;
    const QModelIndex index = rowIndex(from);
    if (index.isValid()) {
        // The model hands over a new object; it is ours to delete.
        const std::unique_ptr<QMimeData> data(model->mimeData({index}));
        if (data)
            model->dropMimeData(data.get(), Qt::MoveAction, to, 0, root);
    }
    internalMove = false;
}

bool KelListWidget::Private::applyExternalDrop(const QMimeData *data, Qt::DropAction action, int row)
{
    if (!model)
        return false;
    if (verbose)
        qInfo().noquote() << modelName() << ": Apply external DND to model (row:" << row
                          << ", action:" << QMetaEnum::fromType<Qt::DropAction>().valueToKey(action)
                          << ", data" << data << ")";
    return model->dropMimeData(data, action, row, 0, root);
}

QWidget *KelListWidget::Private::candidate(int index) const
{
    QLayoutItem *item = layout() && index >= 0 ? layout()->itemAt(index) : nullptr;
    QWidget *widget = item ? item->widget() : nullptr;
    if (!widget || !widget->isEnabled())
        return nullptr;
    auto *button = qobject_cast<KelButton *>(widget);
    if ((button && button->isCheckable()) || widget->focusPolicy() != Qt::NoFocus)
        return widget;
    return nullptr;
}

int KelListWidget::Private::currentNavigationIndex() const
{
    for (int i = 0; i < layoutCount(); ++i) {
        QWidget *widget = candidate(i);
        if (!widget)
            continue;
        auto *button = qobject_cast<KelButton *>(widget);
        if ((button && button->isChecked()) || widget->hasFocus())
            return i;
    }
    return -1;
}

void KelListWidget::Private::activate(QWidget *widget) const
{
    if (auto *button = qobject_cast<KelButton *>(widget))
        button->setChecked(true);
    else
        widget->setFocus(Qt::TabFocusReason);
}

bool KelListWidget::Private::activateNext(int from, int step) const
{
    for (int i = from; i >= 0 && i < layoutCount(); i += step) {
        if (QWidget *widget = candidate(i)) {
            activate(widget);
            return true;
        }
    }
    return false;
}

bool KelListWidget::Private::activateVertical(int step) const
{
    const int current = currentNavigationIndex();
    if (current < 0)
        return false;
    QWidget *widget = layout()->itemAt(current)->widget();
    const QPoint target = widget->geometry().center() + QPoint(0, step * widget->height());
    for (int i = current + step; i >= 0 && i < layoutCount(); i += step) {
        QWidget *other = layout()->itemAt(i)->widget();
        if (other && other->geometry().contains(target)) {
            if (QWidget *found = candidate(i))
                activate(found);
            return true;
        }
    }
    return true;
}

bool KelListWidget::Private::handleKey(QKeyEvent *event)
{
    if (event->modifiers() != Qt::NoModifier || !layout())
        return false;
    QLayout *current = layout();
    auto *box = qobject_cast<QBoxLayout *>(current);
    const bool horizontal = box
            && (box->direction() == QBoxLayout::LeftToRight
                || box->direction() == QBoxLayout::RightToLeft);
    const bool vertical = box && !horizontal;
    const bool flow = qobject_cast<KelFlowLayout *>(current) != nullptr;
    if (!box && !flow)
        return false;

    switch (event->key()) {
    case Qt::Key_Down:
    case Qt::Key_Up: {
        const int step = event->key() == Qt::Key_Down ? 1 : -1;
        if (vertical)
            activateNext(currentNavigationIndex() + step, step);
        else if (flow)
            activateVertical(step);
        return true;
    }
    case Qt::Key_Left:
    case Qt::Key_Right: {
        const int step = event->key() == Qt::Key_Right ? 1 : -1;
        if (!vertical)
            activateNext(currentNavigationIndex() + step, step);
        return true;
    }
    case Qt::Key_Home:
        list->verticalScrollBar()->setValue(0);
        activateNext(0, 1);
        return true;
    case Qt::Key_End: {
        list->verticalScrollBar()->setValue(list->verticalScrollBar()->maximum());
        for (int i = layoutCount() - 1; i >= 1; --i) {
            if (QWidget *widget = candidate(i)) {
                activate(widget);
                break;
            }
        }
        return true;
    }
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        return true;
    default:
        return false;
    }
}

KelListWidget::KelListWidget(int styleId, QWidget *parent)
    : KelScrollArea(styleId, parent), d(std::make_unique<Private>(this))
{
    setObjectName(QStringLiteral("ModelWidget"));
    setWidgetResizable(true);
    setWidget(d->content);
    connect(this, &KelScrollArea::visibleWidgetRectChanged, d.get(), [this](const QRect &rect) {
        d->updateVisibleItems(rect);
        d->nearViewTimer.start();
    });
}

KelListWidget::~KelListWidget()
{
    d->hardWorkTimer.stop();
    d->nearViewTimer.stop();
    if (d->model)
        disconnect(d->model, nullptr, d.get(), nullptr);
}

void KelListWidget::setModel(QAbstractItemModel *model, const QModelIndex &root)
{
    if (model == d->model && QPersistentModelIndex(root) == d->root && model)
        return;
    if (d->layoutCount() > 0) {
        d->beginHardWork();
        d->removeLayoutItems(0, d->layoutCount() - 1);
    }
    if (d->model)
        disconnect(d->model, nullptr, d.get(), nullptr);
    d->model = nullptr;
    d->root = QPersistentModelIndex();
    if (!model) {
        if (d->onlyVisible)
            d->rowsWithWidgets.clear();
        return;
    }
    d->model = model;
    d->root = root;
    Private *p = d.get();
    // The model is half gone by now: forget it without talking to it.
    connect(model, &QObject::destroyed, p, [this] {
        d->model = nullptr;
        setModel(nullptr, QModelIndex());
    });
    connect(model, &QAbstractItemModel::modelReset, p, &Private::onModelReset);
    connect(model, &QAbstractItemModel::rowsInserted, p, &Private::onRowsInserted);
    connect(model, &QAbstractItemModel::rowsMoved, p, &Private::onRowsMoved);
    connect(model, &QAbstractItemModel::rowsRemoved, p, &Private::onRowsRemoved);
    connect(model, &QAbstractItemModel::dataChanged, p, &Private::onDataChanged);
    connect(model, &QAbstractItemModel::layoutChanged, p,
            [p](const QList<QPersistentModelIndex> &parents) { p->onLayoutChanged(parents); });
    d->onModelReset();
}

QAbstractItemModel *KelListWidget::model() const
{
    return d->model;
}

KelLayoutDnd *KelListWidget::layoutDnd() const
{
    return d->dnd;
}

void KelListWidget::setItemFactory(const ItemFactory &factory)
{
    const bool hadFactory = bool(d->factory);
    d->factory = factory;
    if (d->onlyVisible)
        d->makePrototype();
    if (hadFactory) {
        qCritical() << "Changing of item factory is not tested, be careful";
        d->onModelReset();
    }
}

void KelListWidget::registerLayout(int id, QLayout *layout)
{
    d->replacer->registerLayout(id, layout);
}

void KelListWidget::setCurrentLayoutId(int id)
{
    d->beginHardWork();
    d->replacer->setCurrentLayoutId(id);
    QLayout *layout = d->layout();
    if (!layout)
        return;
    if (d->contentLayout->indexOf(layout) == -1)
        d->contentLayout->insertLayout(0, layout, 0);
    d->dnd->setLayout(layout);
    for (int i = 0; i < layout->count(); ++i) {
        if (KelListWidgetItem *item = d->itemAt(i))
            item->layoutIdChanged(id);
    }
    for (KelListWidgetItem *item : qAsConst(d->pool))
        item->layoutIdChanged(id);
    if (d->onlyVisible && d->prototype) {
        d->prototype->layoutIdChanged(id);
        d->resizePlaceholders();
        d->updateVisibleItems(visibleWidgetRect());
    }
}

int KelListWidget::currentLayoutId() const
{
    return d->replacer->currentLayoutId();
}

void KelListWidget::setCreateOnlyVisibleItems(bool enabled)
{
    d->onlyVisible = enabled;
    // Placeholders take the prototype's size: without one, made when the
    // factory came before this call, every row would seem to be in view.
    if (enabled && d->factory && !d->prototype)
        d->makePrototype();
}

void KelListWidget::setCreationBudget(int ms)
{
    d->creationBudgetMs = qMax(0, ms);
}

void KelListWidget::setKeyboardNavigationEnabled(bool enabled)
{
    d->keyboardNavigation = enabled;
}

void KelListWidget::setVerboseLogging(bool enabled)
{
    d->verbose = enabled;
}

QWidget *KelListWidget::rowWidget(int row) const
{
    return d->widgetForRow(row);
}

void KelListWidget::activateIndex(const QModelIndex &index)
{
    if (!index.isValid() || index.model() != d->model
        || (d->root.isValid() && index.parent() != d->root) || index.row() >= d->layoutCount())
        return;
    if (QWidget *widget = d->widgetForRow(index.row()))
        d->activate(widget);
}

bool KelListWidget::selectIndex(const QModelIndex &index)
{
    if (!index.isValid() || index.model() != d->model || index.parent() != d->root
        || index.row() >= d->layoutCount())
        return false;
    QWidget *widget = d->widgetForRow(index.row());
    if (!widget)
        return false;
    if (auto *button = qobject_cast<KelButton *>(widget)) {
        button->setChecked(true);
        return true;
    }
    if (widget->focusPolicy() == Qt::NoFocus)
        return false;
    widget->setFocus(Qt::TabFocusReason);
    return true;
}

void KelListWidget::translateUi()
{
    d->beginHardWork();
    for (int i = 0; i < d->layoutCount(); ++i) {
        if (KelListWidgetItem *item = d->itemAt(i))
            item->translateUi();
    }
    for (KelListWidgetItem *item : qAsConst(d->pool))
        item->translateUi();
    if (d->onlyVisible && d->prototype && d->layout()) {
        d->prototype->translateUi();
        d->resizePlaceholders();
        d->updateVisibleItems(visibleWidgetRect());
    }
}

bool KelListWidget::event(QEvent *event)
{
    if (event->type() == QEvent::Paint) {
        if (!d->snapshot.isNull()) {
            QPainter painter(this);
            painter.drawPixmap(0, 0, d->snapshot);
        }
        return true;
    }
    if (event->type() == QEvent::KeyPress && d->keyboardNavigation) {
        if (d->handleKey(static_cast<QKeyEvent *>(event))) {
            event->accept();
            return true;
        }
    }
    return KelScrollArea::event(event);
}

#include "moc_kellistwidget.cpp"

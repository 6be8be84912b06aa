#include "windows/kelcombobox.h"

#include "styles/kelstyle.h"
#include "widgets/kelbutton.h"
#include "widgets/kelscrollarea.h"
#include "windows/kelpopupmenu.h"

#include <QAbstractItemModel>
#include <QBoxLayout>
#include <QDebug>
#include <QGuiApplication>
#include <QHash>
#include <QPointer>

#include <algorithm>
#include <vector>

namespace {

constexpr int DefaultItemStyleId = KelStyle::WT_PopupMenuButton;
constexpr int PopupStyleId = KelStyle::WT_Popup;
constexpr int ScrollAreaStyleId = KelStyle::WT_ScrollArea;

} // namespace

class KelComboBox::Private
{
public:
    struct Item
    {
        QVariant data;
        QPointer<KelButton> button;
        QString text;
        // A button of this style is due when the popup is made.
        bool pending = false;
        int styleId = DefaultItemStyleId;
    };
    using ItemPtr = std::unique_ptr<Item>;

    void showCurrentText();
    void resetCurrent();
    void deleteItems();
    // The shown text cleared and an invalid value announced.
    void clearSelection();
    int indexOf(const KelButton *button) const;
    void attachButton(Item *item, KelButton *button);
    void itemChosen(KelButton *button);
    // Puts the item buttons into the order of the item records, in the
    // layout places they hold between other widgets of the popup.
    void syncLayoutOrder();
    QVariant modelValue(int row) const;
    int unmadePopupWidth() const;

    void rowsInserted(const QModelIndex &parent, int first, int last);
    void rowsRemoved(const QModelIndex &parent, int first, int last);
    void rowsMoved(const QModelIndex &sourceParent, int start, int end,
                   const QModelIndex &destinationParent, int destinationRow);
    void dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                     const QVector<int> &roles);

    KelComboBox *owner = nullptr;
    Item current;
    std::vector<ItemPtr> items;
    QPointer<QAbstractItemModel> model;
    int modelColumn = 0;
    QList<QMetaObject::Connection> modelConnections;
    int itemStyleId = DefaultItemStyleId;
    int popupWidthMode = PopupAtLeastComboWidth;
    bool popupMade = false;
};

void KelComboBox::Private::showCurrentText()
{
    owner->setText(current.text);
}

void KelComboBox::Private::resetCurrent()
{
    current = Item();
}

void KelComboBox::Private::deleteItems()
{
    items.clear();
    owner->clearPopup();
}

void KelComboBox::Private::clearSelection()
{
    current.text.clear();
    showCurrentText();
    emit owner->currentDataChanged(QVariant());
}

int KelComboBox::Private::indexOf(const KelButton *button) const
{
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i]->button == button)
            return int(i);
    }
    return -1;
}

void KelComboBox::Private::attachButton(Item *item, KelButton *button)
{
    item->button = button;
    item->pending = false;
    button->setText(item->text);
    // Items are choices: the current one stays checked, and a click on it
    // still closes the popup.
    button->setCheckable(true);
    button->setAutoExclusive(true);
    button->setClickableWhenChecked(true);
    QObject::connect(button, &KelButton::toggled, owner, [this, button](bool checked) {
        if (checked)
            itemChosen(button);
    });
}

void KelComboBox::Private::itemChosen(KelButton *button)
{
    const int index = indexOf(button);
    if (index < 0)
        return;
    if (current.button && current.button != button)
        current.button->setCheckedState(false);
    current = *items[index];
    showCurrentText();
    const QVariant data = current.data;
    const QPointer<KelComboBox> alive(owner);
    emit owner->currentDataChanged(data);
    if (alive)
        emit owner->itemClicked(data);
}

void KelComboBox::Private::syncLayoutOrder()
{
    QBoxLayout *layout = owner->popup()->contentLayout();
    QVector<KelButton *> ordered;
    QVector<int> places;
    for (const ItemPtr &item : items) {
        const int place = item->button ? layout->indexOf(item->button) : -1;
        if (place >= 0) {
            ordered.append(item->button);
            places.append(place);
        }
    }
    std::sort(places.begin(), places.end());
    QHash<QWidget *, QLayoutItem *> taken;
    for (int i = places.size() - 1; i >= 0; --i) {
        QLayoutItem *layoutItem = layout->takeAt(places.at(i));
        taken.insert(layoutItem->widget(), layoutItem);
    }
    for (int i = 0; i < ordered.size(); ++i)
        layout->insertItem(places.at(i), taken.take(ordered.at(i)));
    layout->invalidate();
}

// The width the popup's content will have, without making it: combos with
// the same rows (a list of cards has many) measure one stand-in popup.
int KelComboBox::Private::unmadePopupWidth() const
{
    const KelStyle *style = kelStyle();
    QString key = QString::number(quintptr(style)) + QLatin1Char('|') + style->styleId()
            + QLatin1Char('|') + QGuiApplication::font().key();
    for (const ItemPtr &item : items)
        key += QLatin1Char('|') + QString::number(item->styleId) + QLatin1Char(':') + item->text;
    static QHash<QString, int> widths;
    const auto known = widths.constFind(key);
    if (known != widths.constEnd())
        return *known;

    KelPopupMenu standIn(PopupStyleId, Qt::Vertical);
    standIn.setupContent(Qt::Vertical, ScrollAreaStyleId);
    for (const ItemPtr &item : items)
        standIn.addButton(item->styleId)->setText(item->text);
    const int width = standIn.scrollArea()->sizeHint().width();
    widths.insert(key, width);
    return width;
}

QVariant KelComboBox::Private::modelValue(int row) const
{
    return model->data(model->index(row, modelColumn), Qt::DisplayRole);
}

void KelComboBox::Private::rowsInserted(const QModelIndex &parent, int first, int last)
{
    if (parent.isValid() || !model)
        return;
    for (int row = first; row <= last; ++row) {
        owner->addItemWidget(owner->popup()->addButton(itemStyleId), modelValue(row));
        ItemPtr item = std::move(items.back());
        items.pop_back();
        const int at = qBound(0, row, int(items.size()));
        items.insert(items.begin() + at, std::move(item));
    }
    syncLayoutOrder();
}

void KelComboBox::Private::rowsRemoved(const QModelIndex &parent, int first, int last)
{
    if (parent.isValid())
        return;
    for (int row = qMin(last, int(items.size()) - 1); row >= first && row >= 0; --row) {
        const ItemPtr item = std::move(items[row]);
        items.erase(items.begin() + row);
        KelButton *button = item->button;
        if (!button)
            continue;
        // The current value stays, without a button to check.
        if (current.button == button)
            current.button = nullptr;
        QObject::disconnect(button, nullptr, owner, nullptr);
        owner->popup()->contentLayout()->removeWidget(button);
        button->hide();
        // Later: the row may go while the button's own signal runs.
        button->deleteLater();
    }
    if (popupWidthMode == PopupAndComboAlike)
        owner->updateGeometry();
}

void KelComboBox::Private::rowsMoved(const QModelIndex &sourceParent, int start, int end,
                                     const QModelIndex &destinationParent, int destinationRow)
{
    const int size = int(items.size());
    if (sourceParent.isValid() || destinationParent.isValid() || start < 0 || end >= size
        || start > end) {
        return;
    }
    std::vector<ItemPtr> block;
    for (int row = start; row <= end; ++row)
        block.push_back(std::move(items[row]));
    items.erase(items.begin() + start, items.begin() + end + 1);
    const int count = end - start + 1;
    const int to = qBound(0, destinationRow > end ? destinationRow - count : destinationRow,
                          int(items.size()));
    items.insert(items.begin() + to, std::make_move_iterator(block.begin()),
                 std::make_move_iterator(block.end()));
    syncLayoutOrder();
}

void KelComboBox::Private::dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                                       const QVector<int> &roles)
{
    if (!model || !roles.contains(Qt::DisplayRole) || topLeft.parent().isValid())
        return;
    if (topLeft.column() < modelColumn || bottomRight.column() > modelColumn)
        return;
    const int last = qMin(bottomRight.row(), int(items.size()) - 1);
    for (int row = qMax(0, topLeft.row()); row <= last; ++row) {
        Item &item = *items[row];
        item.data = modelValue(row);
        item.text = item.data.toString();
        if (item.button)
            item.button->setText(item.text);
    }
    if (popupWidthMode == PopupAndComboAlike)
        owner->updateGeometry();
}

KelComboBox::KelComboBox(int styleId, QSizePolicy::Policy horizontalPolicy, int popupWidthMode,
                         QWidget *parent, bool noStyle)
    : KelPopupMenuButton(styleId, OpenOnToggle, Qt::BottomEdge, Qt::AlignLeft, parent, true),
      d(std::make_unique<Private>())
{
    d->owner = this;
    d->popupWidthMode = popupWidthMode;
    if (popupWidthMode != PopupAtLeastComboWidth)
        updateGeometry();
    setSizePolicy(horizontalPolicy, QSizePolicy::Fixed);
    if (!noStyle)
        applyStyle();
}

KelComboBox::~KelComboBox()
{
    for (const QMetaObject::Connection &connection : qAsConst(d->modelConnections))
        disconnect(connection);
}

KelButton *KelComboBox::addItem(const QVariant &data, const QString &text)
{
    return addItemWidget(popup()->addButton(d->itemStyleId), data, text);
}

KelButton *KelComboBox::addItemWidget(KelButton *button, const QVariant &data, const QString &text)
{
    if (!button)
        return nullptr;
    if (!popup()->isAncestorOf(button))
        popup()->addWidget(button);
    auto item = std::make_unique<Private::Item>();
    item->data = data;
    item->text = text.isEmpty() ? data.toString() : text;
    d->attachButton(item.get(), button);
    d->items.push_back(std::move(item));
    if (d->popupWidthMode == PopupAndComboAlike)
        updateGeometry();
    return button;
}

void KelComboBox::appendItem(const QVariant &data, const QString &text)
{
    if (d->popupMade) {
        addItem(data, text);
        return;
    }
    auto item = std::make_unique<Private::Item>();
    item->data = data;
    item->text = text.isEmpty() ? data.toString() : text;
    item->pending = true;
    item->styleId = d->itemStyleId;
    d->items.push_back(std::move(item));
    if (d->popupWidthMode == PopupAndComboAlike)
        updateGeometry();
}

void KelComboBox::addItems(const QVariantList &data, int selectionMode)
{
    setItems(d->itemStyleId, data, selectionMode);
}

void KelComboBox::setItems(int itemStyleId, const QVariantList &data, int selectionMode)
{
    const Private::Item previous = d->current;
    d->resetCurrent();
    d->deleteItems();
    for (const QVariant &value : data)
        addItemWidget(popup()->addButton(itemStyleId), value);

    const bool kept = hasItem(previous.data);
    switch (selectionMode) {
    case SelectFirst:
        if (data.isEmpty())
            d->clearSelection();
        else
            setCurrentData(data.first());
        break;
    case KeepOrClear:
        if (kept)
            setCurrentDataSilently(previous.data);
        else
            d->clearSelection();
        break;
    case KeepOrFirst:
        if (kept)
            setCurrentDataSilently(previous.data);
        else if (!data.isEmpty())
            setCurrentData(data.first());
        else
            d->clearSelection();
        break;
    case KeepOrPrevious:
        if (kept) {
            setCurrentDataSilently(previous.data);
        } else {
            d->current.data = previous.data;
            d->current.text = previous.text;
            d->showCurrentText();
        }
        break;
    default:
        break;
    }
}

void KelComboBox::clear()
{
    d->resetCurrent();
    d->deleteItems();
}

QVariant KelComboBox::currentData() const
{
    return d->current.data;
}

KelButton *KelComboBox::currentButton() const
{
    popup();
    return d->current.button;
}

void KelComboBox::setCurrentData(const QVariant &data, const QString &text)
{
    if (d->current.data == data)
        return;
    if (d->current.button)
        d->current.button->setCheckedState(false);
    bool matched = false;
    for (const Private::ItemPtr &item : d->items) {
        if (item->data != data)
            continue;
        matched = true;
        d->current = *item;
        if (item->button)
            item->button->setCheckedState(true);
    }
    if (!matched) {
        d->current.data = data;
        d->current.button = nullptr;
        d->current.text = text.isEmpty() ? data.toString() : text;
    }
    d->showCurrentText();
    emit currentDataChanged(d->current.data);
}

void KelComboBox::setCurrentDataSilently(const QVariant &data, const QString &text)
{
    const QSignalBlocker blocker(this);
    setCurrentData(data, text);
}

bool KelComboBox::hasItem(const QVariant &data) const
{
    return std::any_of(d->items.begin(), d->items.end(),
                       [&data](const Private::ItemPtr &item) { return item->data == data; });
}

void KelComboBox::setItemText(const QVariant &data, const QString &text)
{
    for (const Private::ItemPtr &item : d->items) {
        if (item->data != data)
            continue;
        item->text = text;
        if (item->button)
            item->button->setText(text);
        break;
    }
    if (d->current.data == data) {
        d->current.text = text;
        d->showCurrentText();
    }
}

QMap<QVariant, KelButton *> KelComboBox::itemButtons() const
{
    popup();
    QMap<QVariant, KelButton *> buttons;
    for (const Private::ItemPtr &item : d->items)
        buttons.insert(item->data, item->button);
    return buttons;
}

QVariantList KelComboBox::itemData() const
{
    QVariantList data;
    data.reserve(int(d->items.size()));
    for (const Private::ItemPtr &item : d->items)
        data.append(item->data);
    return data;
}

void KelComboBox::setModel(QAbstractItemModel *model, int column, int selectionMode)
{
    if (!model) {
        qWarning() << "KelComboBox: a null model is not followed";
        return;
    }
    for (const QMetaObject::Connection &connection : qAsConst(d->modelConnections))
        disconnect(connection);
    d->modelConnections.clear();
    d->model = model;
    d->modelColumn = column;

    QVariantList values;
    const int rows = model->rowCount();
    for (int row = 0; row < rows; ++row)
        values.append(d->modelValue(row));
    setItems(d->itemStyleId, values, selectionMode);

    d->modelConnections << connect(model, &QAbstractItemModel::rowsInserted, this,
                                   [this](const QModelIndex &parent, int first, int last) {
                                       d->rowsInserted(parent, first, last);
                                   })
                        << connect(model, &QAbstractItemModel::rowsRemoved, this,
                                   [this](const QModelIndex &parent, int first, int last) {
                                       d->rowsRemoved(parent, first, last);
                                   })
                        << connect(model, &QAbstractItemModel::rowsMoved, this,
                                   [this](const QModelIndex &sourceParent, int start, int end,
                                          const QModelIndex &destinationParent, int row) {
                                       d->rowsMoved(sourceParent, start, end, destinationParent,
                                                    row);
                                   })
                        << connect(model, &QAbstractItemModel::dataChanged, this,
                                   [this](const QModelIndex &topLeft, const QModelIndex &bottomRight,
                                          const QVector<int> &roles) {
                                       d->dataChanged(topLeft, bottomRight, roles);
                                   })
                        << connect(model, &QAbstractItemModel::modelReset, this, [this] {
                               if (d->model)
                                   setModel(d->model, d->modelColumn, KeepOrFirst);
                           });
}

void KelComboBox::setCurrentModelIndex(const QModelIndex &index)
{
    if (d->model)
        setCurrentData(d->model->data(index, Qt::DisplayRole));
}

QModelIndex KelComboBox::currentModelIndex() const
{
    if (!d->model)
        return QModelIndex();
    const QModelIndexList hits = d->model->match(d->model->index(0, d->modelColumn),
                                                 Qt::DisplayRole, d->current.data, 1,
                                                 Qt::MatchExactly);
    return hits.isEmpty() ? QModelIndex() : hits.first();
}

QSize KelComboBox::sizeHint() const
{
    QSize hint = KelPopupMenuButton::sizeHint();
    if (d->popupWidthMode != PopupAndComboAlike)
        return hint;
    // The width of the popup's content, not the one the last opening fixed.
    int popupWidth = 0;
    if (!d->popupMade) {
        popupWidth = d->unmadePopupWidth();
    } else {
        const KelScrollArea *area = popup()->scrollArea();
        popupWidth = area ? area->sizeHint().width() : popup()->sizeHint().width();
    }
    const QMargins outer = margins();
    hint.setWidth(qMax(hint.width(), popupWidth) + outer.left() + outer.right());
    return hint;
}

void KelComboBox::aboutToShowPopup(bool *allow)
{
    KelPopupMenuButton::aboutToShowPopup(allow);
    QWidget *central = popup()->centralWidget();
    const QMargins outer = margins();
    const int width = this->width() - outer.left() - outer.right();
    if (d->popupWidthMode == PopupAtLeastComboWidth)
        central->setMinimumWidth(width);
    else if (d->popupWidthMode == PopupAndComboAlike)
        central->setFixedWidth(width);
    popup()->ensureVisible(d->current.button);
}

void KelComboBox::popupCreated(KelPopupMenu *popup)
{
    KelPopupMenuButton::popupCreated(popup);
    d->popupMade = true;
    popup->setStyleId(PopupStyleId);
    popup->setupContent(Qt::Vertical, ScrollAreaStyleId);
    for (const Private::ItemPtr &item : d->items) {
        if (!item->pending)
            continue;
        d->attachButton(item.get(), popup->addButton(item->styleId));
        if (d->current.data.isValid() && d->current.data == item->data && !d->current.button) {
            d->current.button = item->button;
            item->button->setCheckedState(true);
        }
    }
}

#include "moc_kelcombobox.cpp"

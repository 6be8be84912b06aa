#pragma once

#include "windows/kelpopupmenubutton.h"

#include <QMap>
#include <QModelIndex>
#include <QSizePolicy>
#include <QVariant>

#include <memory>

class QAbstractItemModel;

// The framework's combo box: a menu button whose popup lists one checkable
// button per item. An item is a data value, by which it is found, and a
// text (the value's string form unless given), shown on its button and,
// while the item is current, on the combo. Choosing an item in the popup
// makes it current and emits currentDataChanged() and then itemClicked();
// choosing the current one again only closes the popup. Code that selects
// uses setCurrentData() (currentDataChanged() only) or
// setCurrentDataSilently(). The items are added by code or follow one
// column of a model (setModel()). Popup width mode 1 (the default) makes
// the popup at least as wide as the combo, mode 2 makes popup and combo as
// wide as the widest item.
//
//     auto *combo = new KelComboBox(KelStyle::WT_ComboBox, QSizePolicy::Minimum,
//                                   KelComboBox::PopupAtLeastComboWidth, parent);
//     combo->setItems(19, {QStringLiteral("mp4"), QStringLiteral("mkv")},
//                     KelComboBox::KeepOrFirst);
//     connect(combo, &KelComboBox::itemClicked, this, &Dialog::formatChosen);
//
// GUI thread only.
class KelComboBox : public KelPopupMenuButton
{
    Q_OBJECT

public:
    enum PopupWidthMode { NoWidthRule = 0, PopupAtLeastComboWidth = 1, PopupAndComboAlike = 2 };
    Q_ENUM(PopupWidthMode)

    // What setItems() makes current: none; the first item; the previous
    // data when still listed, else none; the previous data, else the first
    // item; the previous data, else the previous value without an item.
    // Cleared selections emit currentDataChanged() with an invalid value.
    enum SelectionMode {
        NoSelection = 0,
        SelectFirst = 1,
        KeepOrClear = 2,
        KeepOrFirst = 3,
        KeepOrPrevious = 4
    };
    Q_ENUM(SelectionMode)

    KelComboBox(int styleId, QSizePolicy::Policy horizontalPolicy = QSizePolicy::Preferred,
                int popupWidthMode = PopupAtLeastComboWidth, QWidget *parent = nullptr,
                bool noStyle = false);
    ~KelComboBox() override;

    // A new item button of style WT_PopupMenuButton.
    KelButton *addItem(const QVariant &data, const QString &text = QString());
    // As addItem(), but the button is made only with the popup, so that a
    // combo that is never opened costs no buttons.
    void appendItem(const QVariant &data, const QString &text = QString());
    // Adds an item with a button made elsewhere; it joins the popup unless
    // it is in it already.
    KelButton *addItemWidget(KelButton *button, const QVariant &data,
                             const QString &text = QString());
    // Replaces the items by one per value, selected by a SelectionMode.
    void addItems(const QVariantList &data, int selectionMode);
    void setItems(int itemStyleId, const QVariantList &data, int selectionMode);
    // Drops every item and the current value; the shown text stays and no
    // signal is emitted.
    void clear();

    QVariant currentData() const;
    // Null when no item holds the current data.
    KelButton *currentButton() const;
    // Nothing when data is current already. Data that no item holds becomes
    // current with text, or its string form, shown.
    void setCurrentData(const QVariant &data, const QString &text = QString());
    void setCurrentDataSilently(const QVariant &data, const QString &text = QString());
    bool hasItem(const QVariant &data) const;
    void setItemText(const QVariant &data, const QString &text);
    // Makes the popup and its buttons.
    QMap<QVariant, KelButton *> itemButtons() const;
    // The items' data in their order; makes no buttons.
    QVariantList itemData() const;

    // Follows the display data of one column of the model's top-level rows;
    // the model is not owned and a null one is refused.
    void setModel(QAbstractItemModel *model, int column = 0, int selectionMode = KeepOrFirst);
    void setCurrentModelIndex(const QModelIndex &index);
    // Invalid without a model or a row holding the current data.
    QModelIndex currentModelIndex() const;

    QSize sizeHint() const override;

signals:
    void currentDataChanged(const QVariant &data);
    // Only for a choice of the user's.
    void itemClicked(const QVariant &data);

protected:
    void aboutToShowPopup(bool *allow) override;
    void popupCreated(KelPopupMenu *popup) override;

private:
    class Private;
    std::unique_ptr<Private> const d;
};

#pragma once

#include "windows/kelpopup.h"

#include <memory>

class KelButton;
class KelScrollArea;
class QBoxLayout;

// A popup holding a scrollable column (or row) of item widgets, usually
// buttons. A click on an item button or list view closes every open popup
// (setCloseOnClick); resting the mouse on an item that is a menu button
// for the hover delay (the style's metric 11, setTimerInterval) opens its
// submenu and closes the submenus of its siblings. Hiding the menu closes
// its submenus.
//
//     auto *menu = new KelPopupMenu(Qt::Vertical, button);
//     menu->setupContent(Qt::Vertical, 39);
//     menu->addButton(KelStyle::WT_MenuItem)->setText(tr("Open"));
//
// GUI thread only.
class KelPopupMenu : public KelPopup
{
public:
    // Items are laid out in a column unless orientation is Qt::Horizontal.
    KelPopupMenu(int styleId, Qt::Orientation orientation = Qt::Vertical, QWidget *parent = nullptr,
                 ShadowType shadow = Default, bool noStyle = false);
    // Style id 3.
    explicit KelPopupMenu(Qt::Orientation orientation = Qt::Vertical, QWidget *parent = nullptr,
                          ShadowType shadow = Default, bool noStyle = false);
    ~KelPopupMenu() override;

    // Puts the item layout into a scroll area with scrollAreaStyleId in the
    // central widget; once, later calls do nothing. scrollBars takes
    // Qt::Orientations: a scroll bar whose orientation is missing is turned
    // off, and only a horizontal-only menu scrolls smoothly by the wheel.
    void setupContent(int scrollBars, int scrollAreaStyleId);

    void addWidget(QWidget *w);
    // A new KelButton appended to the items; it gets its parent as it is
    // laid out.
    KelButton *addButton(int styleId, const QString &iconPath = QString());
    QBoxLayout *contentLayout() const;
    // Null before setupContent().
    KelScrollArea *scrollArea() const;

    // Scrolls the item into view with 50-pixel margins, or, while the menu
    // is hidden, once it is shown. Nothing without a scroll area.
    void ensureVisible(QWidget *item);

    void setCloseOnClick(bool closeOnClick);
    // The hover delay before a submenu opens; the style sets it again.
    void setTimerInterval(int ms);

    void applyStyle() override;

protected:
    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    class Private;
    std::unique_ptr<Private> const d;
};

#pragma once

#include "widgets/kelbutton.h"

#include <memory>

class KelPopupMenu;

// A button that owns a popup menu (style id 3, vertical) and opens it on
// one side of itself: on popupEdge (a Qt::Edge), aligned along it by
// popupAlignment (a Qt::Alignment), shifted by the popup offset (by default
// the style's size 1 for a combo box, (-metric 10, +metric 10) for other
// buttons). The button is checkable and checked exactly while the popup is
// shown. The open mode says what opens it: OpenOnToggle, a click toggles it;
// OpenOnHover, the mouse entering the button; any other value, only code or
// a parent menu's hover step. Outside OpenOnToggle the button takes no
// clicks. The popup is named "KelPopupButtonPopup", then after the button
// with " Popup" appended. The popup is made by the first call of popup()
// (or the first opening), so that buttons that are never opened stay cheap.
//
//     auto *button = new KelPopupMenuButton(KelStyle::WT_Button_Push, KelPopupMenuButton::OpenOnToggle,
//                                           Qt::BottomEdge, Qt::AlignLeft, parent);
//     button->popup()->setupContent(Qt::Vertical, 39);
//     button->popup()->addButton(KelStyle::WT_MenuItem)->setText(tr("Rename"));
//
// GUI thread only.
class KelPopupMenuButton : public KelButton
{
    Q_OBJECT

public:
    enum OpenMode { OpenOnToggle = 0, OpenOnHover = 1, OpenByCode = 2 };
    Q_ENUM(OpenMode)

    KelPopupMenuButton(int styleId, int openMode = OpenOnToggle, int popupEdge = Qt::BottomEdge,
                       int popupAlignment = Qt::AlignLeft, QWidget *parent = nullptr,
                       bool noStyle = false);
    ~KelPopupMenuButton() override;

    // Makes the popup on the first call.
    KelPopupMenu *popup() const;
    int openMode() const;

    void setPopupEdge(int edge);
    void setPopupAlignment(int alignment);
    // Replaces the style's offset for good.
    void setPopupOffset(int dx, int dy);

    // Places the popup beside the button and shows it; nothing while it is
    // shown, while the button is hidden or disabled, or when
    // aboutToShowPopup() refuses.
    void showPopup(bool animated = true);
    void closePopup();
    // Closes the popup and deletes its items.
    void clearPopup();
    bool isPopupVisible() const;

    void applyStyle() override;

signals:
    // For subclasses that ask others before opening; never emitted here.
    void showPopupRequested(bool *allow);

protected:
    // Runs before every opening; clearing *allow keeps the popup closed.
    virtual void aboutToShowPopup(bool *allow);
    virtual void popupHidden();
    // Runs once, when the popup has just been made.
    virtual void popupCreated(KelPopupMenu *popup);

    bool event(QEvent *event) override;

private:
    class Private;
    std::unique_ptr<Private> const d;
};

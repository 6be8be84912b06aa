#pragma once

#include "windows/kelwindow.h"

#include <memory>

// The framework's popup window: a frameless KelWindow with Qt's popup
// behaviour (it takes every mouse event while open and closes on a click
// outside), plus the rules for those events:
// - a click outside closes every open popup, at once in the client area of
//   a window and after one pass of the event loop on a framework window's
//   caption or frame, so that the window still starts its move or resize;
//   a click on another popup closes nothing;
// - a press on the mouse grabber, on a registered watched widget or, when
//   the popup opens during the press, on the button that opened it keeps
//   going to that widget with its moves and its release; hiding the popup
//   releases every button such a widget still holds;
// - Escape closes the popup.
// Forwarded events carry positions in the receiver's coordinates.
//
//     auto *popup = new KelPopup(KelStyle::WT_Popup, {}, button);
//     popup->addWatchedWidget(button);
//     popup->placeBesideRect(KelUtils::globalRect(button), Qt::BottomEdge,
//                            Qt::AlignLeft, true);
//
// GUI thread only.
class KelPopup : public KelWindow
{
public:
    // noStyle: the creator applies the style once its parts exist.
    KelPopup(int styleId, WindowParams params = {}, QWidget *parent = nullptr,
             ShadowType shadow = Default, bool noStyle = false);
    ~KelPopup() override;

    // Presses on w made while the popup is open go to w and close nothing.
    // The same widget may be added twice.
    void addWatchedWidget(QWidget *w);
    // Removes one entry of w, the first.
    void removeWatchedWidget(QWidget *w);

    // Closes every open popup of the application, innermost first; gives
    // up after 1024 attempts on popups that refuse to close.
    static void closeActivePopups();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    class Private;
    std::unique_ptr<Private> const d;
};

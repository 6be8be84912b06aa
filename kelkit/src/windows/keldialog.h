#pragma once

#include "windows/kelwindow.h"

#include <memory>

class KelFrame;
class QBoxLayout;

// The framework's window-modal dialog: a KelWindow with a content area
// ("KelDialogContent") above a footer row of buttons ("KelFooter"). Each
// footer button carries its result index in the dynamic property
// "KELPROP_ButtonIndex"; a click ends the dialog with that index. Return
// or Enter chooses the default button while it is enabled, Escape and the
// title bar's close button give 0. exec() runs a local event loop until
// the dialog is done or hidden; a dialog whose parent window is hidden or
// minimized waits until the parent shows and then appears centred on it.
//
//     KelDialog dialog(1, KelWindow::Movable, parent);
//     new QVBoxLayout(dialog.contentWidget());
//     dialog.addButton(0, new KelButton(KelStyle::WT_Button_Dialog));
//     dialog.addButton(1, new KelButton(KelStyle::WT_Button_Dialog_Accent), true);
//     if (dialog.exec() == 1)
//         ...
//
// GUI thread only.
class KelDialog : public KelWindow
{
    Q_OBJECT

public:
    // Always movable with window buttons. deferStyle: the subclass applies
    // the window style once its own parts exist.
    KelDialog(int styleId, WindowParams params, QWidget *parent = nullptr,
              ShadowType shadowType = Default, bool deferStyle = false);
    // Ends a running exec() with 0.
    ~KelDialog() override;

    KelFrame *contentWidget() const;
    KelFrame *footerWidget() const;
    // Null when the footer's layout is not a box layout.
    QBoxLayout *footerLayout() const;

    // Adds a KelButton to the footer under the result index, replacing the
    // one stored under it; the first default one added is the default.
    // Returns the button, or null without a footer box layout.
    QWidget *addButton(int index, QWidget *button, bool isDefault = false, bool atFront = false);
    // Null when none is stored under the index.
    QWidget *button(int index) const;
    // Null without a default button.
    QWidget *defaultButton() const;
    // The result of the last done().
    int result() const;

    // Shows the dialog and returns the index of the button that ended it,
    // 0 for Escape, a close or a hide, and 0 at once while it already runs
    // or when the dialog is destroyed meanwhile. Qt::WA_DeleteOnClose
    // takes effect when exec() returns, not when the dialog closes.
    virtual int exec(ShowStrategy strategy = CenteredOnParent);
    // Shows the dialog by the strategy, or, while its parent window is
    // hidden or minimized, once the parent is shown, centred on it.
    virtual void showWhenParentReady(ShowStrategy strategy);
    // Stores the result and closes the dialog.
    virtual void done(int result);

    void setVisible(bool visible) override;

protected:
    bool event(QEvent *event) override;

private:
    class Private;
    std::unique_ptr<Private> const d;
};

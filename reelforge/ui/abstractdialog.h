#pragma once

#include "windows/keldialog.h"

#include <memory>

class BadgedButton;
class KelButton;
class QCloseEvent;

// The base of the program's editing and settings dialogs: a modal KelDialog
// with a reject button (result 0) and an accept button (result 1) at the
// end of its footer, and a protocol that every way of closing passes
// through. A rejection, by the reject button, Escape, the window's close
// button or done(0), closes only when onReject() agrees; an acceptance
// closes only when onAccept() has committed the values. Once the dialog has
// finished, nothing more is asked. Concrete dialogs name the buttons in
// their translateUi() and load their values when they see fit.
//
//     class TrimDialog : public AbstractDialog
//     {
//         bool onAccept() override { return commitTrim(); }
//     };
//
// GUI thread only.
class AbstractDialog : public KelDialog
{
    Q_OBJECT

public:
    AbstractDialog(int styleId, WindowParams params, QWidget *parent = nullptr,
                   ShadowType shadowType = Default);
    ~AbstractDialog() override;

    KelButton *rejectButton() const;
    BadgedButton *acceptButton() const;

    virtual void loadData();
    // May the dialog close without its values?
    virtual bool onReject();
    // Commits the values; false keeps the dialog open.
    virtual bool onAccept();

    // Results 0 and 1 go through onReject() and onAccept(); others close at
    // once.
    void done(int result) override;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    class Private;
    std::unique_ptr<Private> d;
};

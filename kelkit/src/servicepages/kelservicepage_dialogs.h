#pragma once

#include "servicepages/kelservicepage.h"

// The maintenance page "Dialogs": one button for every dialog the UI object
// offers, with demonstration texts: message boxes, text input, the four
// file choosers called on the GUI thread and from the thread pool,
// notifications, and the new-version and default-application prompts. The
// texts typed into the text-input boxes and the state of the remember
// boxes are kept for the rest of the run. GUI thread only.
class KelServicePage_Dialogs : public KelServicePage
{
    Q_OBJECT

public:
    explicit KelServicePage_Dialogs(QWidget *parent = nullptr);
    ~KelServicePage_Dialogs() override;

    // A sample message of a few lines, also used by the program's pages.
    static QString longMessage();
    // About 900 characters of sample text (948 exactly).
    static QString extraLongMessage();
    // A sample title that needs several lines (182 characters).
    static QString extraLongTitle();

private:
    void addMessageBoxRow();
    void addTextInputRow();
    void addFileDialogRow(bool async);
    void addNotificationRow();
    void addOtherRow();
};

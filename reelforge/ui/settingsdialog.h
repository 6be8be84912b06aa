#pragma once

#include "ui/abstractdialog.h"

#include <memory>

// The program's settings: UI language, default output folder, theme and the
// switches for update checks, usage statistics and removal from the queue
// without confirmation. Language, folder and theme apply at once, so the
// whole program shows them while the dialog is open; Cancel, Escape or the
// window's close button put them back as they were at opening. The switches
// and the (hidden) preview quality are written by Save only.
//
//     SettingsDialog dialog(mainWindow);
//     dialog.exec(KelWindow::CenteredOnParent);
//
// GUI thread only.
class SettingsDialog : public AbstractDialog
{
    Q_OBJECT

public:
    explicit SettingsDialog(QWidget *parent = nullptr);
    ~SettingsDialog() override;

    void loadData() override;
    bool onReject() override;
    bool onAccept() override;
    void translateUi() override;

private:
    class Private;
    std::unique_ptr<Private> d;
};

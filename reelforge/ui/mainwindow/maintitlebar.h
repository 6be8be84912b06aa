#pragma once

#include <QObject>

#include <memory>

class KelButton;
class KelWindow;

// Fills the main window's own title bar: the "Update available" button,
// shown once the application hears of a newer version, and the settings,
// help (kept hidden) and maintenance buttons; sets the window title. The
// buttons take clicks instead of moving the window. The maintenance button
// shows only in maintenance mode, and switching the mode on opens the
// maintenance window at once. A child of the window; GUI thread only.
class MainTitlebar : public QObject
{
    Q_OBJECT

public:
    explicit MainTitlebar(KelWindow *window);
    ~MainTitlebar() override;

    KelButton *updateButton() const;
    KelButton *settingsButton() const;
    KelButton *helpButton() const;
    KelButton *maintenanceButton() const;

    void translateUi();

private:
    class Private;
    std::unique_ptr<Private> d;
};

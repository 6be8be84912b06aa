#pragma once

#include "windows/kelwindow.h"

class KelTabWidget;

// The window of the hidden maintenance mode: the framework's General,
// Dialogs, Painting and Translations pages, a Messages page that opens the
// program's questions with sample texts, and a Styles tab with one sample
// page per registered theme. It keeps its geometry and its last tab
// ("ServiceModeWindow_LastTab") in the settings. Made once per run by
// Ui::showServiceModeWindow(). GUI thread only.
class ServiceModeWindow : public KelWindow
{
    Q_OBJECT

public:
    explicit ServiceModeWindow(QWidget *parent = nullptr);
    ~ServiceModeWindow() override;

    KelTabWidget *tabs() const;

    void restoreSavedGeometry() override;
    void saveWindowGeometry() override;

private:
    KelTabWidget *m_tabs = nullptr;
};

#pragma once

#include "datamodel/presetinfo.h"
#include "datamodel/videoitem.h"
#include "shared/enums.h"
#include "windows/kelwindow.h"

#include <memory>

class CardsList;
class DragIcon;
class DropIndicator;
class KelButton;
class MainFooter;
class MainHeader;
class MainTitlebar;

// The program's one top-level window: the title bar's buttons, the header
// with Add file and the Queue/Converted switch, the queue and the history
// as card lists, and the footer. It forwards the user's bulk commands to
// the application's queue and history models, keeps the header, footer and
// placards in step with them, and moves converted items to the history
// when the user opens the Converted view, while that view shows and a
// conversion ends, and when the window closes.
//
// Made once by Ui::createMainWindow(); the models come from Application.
// GUI thread only.
class MainWindow : public KelWindow
{
public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    MainTitlebar *titlebar() const;
    MainHeader *header() const;
    MainFooter *footer() const;
    CardsList *queueList() const;
    CardsList *historyList() const;
    KelButton *clearHistoryButton() const;
    DropIndicator *queuePlaceholder() const;
    DragIcon *dragIcon() const;
    Enums::ListViewMode viewMode() const;

    void translateUi() override;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void onCountersChanged(const VideoItem::StateCountersMap &counters);
    void onViewModeToggled(Enums::ListViewMode mode);
    void onPresetClicked(PresetInfoPointer preset);
    void onAbortAllClicked();
    void onClearHistoryClicked();
    void updateClearHistoryButton();
    void updateQueuePlaceholder();
    void updatePlaceholderArrow();

    class Private;
    std::unique_ptr<Private> d;
};

#pragma once

#include "datamodel/videoitem.h"
#include "shared/enums.h"

#include <QList>
#include <QUrl>
#include <QWidget>

#include <memory>

class BadgedButton;
class KelButton;

// The row above the card lists: the Add file button and the switch between
// the Queue and Converted views, whose badges count the items waiting in
// the queue, the finished ones in the history and (as "+n") the converted
// ones still in the queue. It only asks the user for files and reports;
// the main window acts. GUI thread only.
class MainHeader : public QWidget
{
    Q_OBJECT

public:
    explicit MainHeader(QWidget *parent = nullptr);
    ~MainHeader() override;

    KelButton *addButton() const;
    BadgedButton *queueButton() const;
    BadgedButton *convertedButton() const;

    void setHistoryCount(int count);
    void updateCounters(const VideoItem::StateCountersMap &counters);
    void translateUi();
    // The global bottom centre of the Add file button.
    QPoint addButtonAnchor() const;

signals:
    void viewModeToggled(Enums::ListViewMode mode);
    // at: the row to insert at, -1 to append.
    void addFiles(QList<QUrl> files, int at);

private:
    void onAddClicked();

    class Private;
    std::unique_ptr<Private> d;
};

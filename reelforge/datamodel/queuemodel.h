#pragma once

#include "datamodel/videoitem.h"

#include <QAbstractListModel>
#include <QList>
#include <QTime>
#include <QUrl>
#include <QUuid>

#include <memory>

struct PresetInfo;

// The conversion queue. Creates an item for every added file and has it
// probed, gives an imported item its first target settings, converts the
// items one at a time over the worker link, keeps per-state counters and the
// overall progress, tells when a started batch is complete and hands
// converted items over to the history.
//
// Lives on the GUI thread; only the media import touches its items from a
// pool thread, while they are Importing, and their signals of that phase
// arrive queued.
class QueueModel : public QAbstractListModel
{
    Q_OBJECT

public:
    explicit QueueModel(QObject *parent = nullptr);
    ~QueueModel() override;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    // Qt::UserRole of a row holds its VideoItemPtr.
    QVariant data(const QModelIndex &index, int role) const override;
    QMimeData *mimeData(const QModelIndexList &indexes) const override;
    // Moves one dragged row to the given row, or adds dropped files there.
    bool dropMimeData(const QMimeData *data, Qt::DropAction action, int row, int column,
                      const QModelIndex &parent) override;

    // A negative row appends.
    void addNewItems(const QList<QUrl> &urls, int row);
    void addNewItem(const QUrl &url, int row);
    void removeItem(const VideoItemPtr &item);
    VideoItemPtr itemById(const QUuid &id) const;

    VideoItem::StateCountersMap counters() const;
    // The Imported items that Convert all starts: those with a target
    // format. countersChanged is emitted when it changes.
    int offeredCount() const;
    VideoItemPtr activeItem() const;
    VideoItemPtr firstReadyVideoItem() const;

    void startAll();
    void abortAll();
    void pauseAll(bool paused);
    void applyPreset(const VideoItemPtr &item, const PresetInfo *preset);
    void applyPresetToAll(const PresetInfo *preset);
    void convertedItemsToHistory();

signals:
    void countersChanged(VideoItem::StateCountersMap counters);
    // percent: the overall progress in per mille; remaining is invalid when
    // it is not known yet.
    void percentProgressChanged(int percent, QTime remaining);
    void movedToHistory(VideoItemPtr item);
    void batchProcessDone();

private:
    class Private;
    std::unique_ptr<Private> d;
};

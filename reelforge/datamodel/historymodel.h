#pragma once

#include "datamodel/videoitem.h"

#include <QAbstractListModel>
#include <QUuid>

#include <memory>

// The finished conversions, newest on top. Read from "history.json" in the
// history folder when created, written back when destroyed; in between it
// changes only in memory. Each item's JPEG thumbnail beside it is read when
// the item asks for it (VideoItem::loadThumbnail). A file that exists
// but does not read is moved aside ("history.json.bad"), never overwritten,
// and the thumbnails are then left alone for that run.
//
// Lives on the GUI thread.
class HistoryModel : public QAbstractListModel
{
    Q_OBJECT

public:
    explicit HistoryModel(QObject *parent = nullptr);
    ~HistoryModel() override;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    // Qt::UserRole of a row holds its VideoItemPtr.
    QVariant data(const QModelIndex &index, int role) const override;

    // Accepts only items in state History, at the top.
    void addItem(VideoItemPtr item);
    void remove(const QUuid &id);
    void clear();

    void readHistory();
    // Replaces the file as a whole: a failed write leaves the old file and
    // thumbnails as they were.
    void writeHistory();

private:
    class Private;
    std::unique_ptr<Private> d;
};

#pragma once

#include <QString>
#include <QUuid>

#include <memory>

class VideoItem;

// The target paths the queue has handed to the worker, each reserved for its
// item until the item's task ends. The worker writes under a partial name and
// the target appears only when the output is complete, so without the
// reservation a second item could be given the same free name meanwhile.
//
// Lives on the GUI thread, owned by the queue.
class TargetReservations
{
public:
    TargetReservations();
    ~TargetReservations();

    TargetReservations(const TargetReservations &) = delete;
    TargetReservations &operator=(const TargetReservations &) = delete;

    // Gives the item a target path that neither a file nor another item's
    // reservation holds, reserves it for the item and returns it.
    QString reserve(VideoItem &item);
    void release(const QUuid &uid);
    // The worker is gone: every reservation ends, and the partial outputs it
    // was writing are removed.
    void discardAll();

    bool isReserved(const QString &path) const;

private:
    class Private;
    std::unique_ptr<Private> d;
};

#pragma once

#include "core/linkmessages.h"
#include "core/workertaskitem.h"

#include <remotehandler/remotehandler.h>

#include <QList>
#include <QSharedPointer>
#include <QUuid>
#include <QVariant>

// The GUI's end of the worker link: sends the tasks that queue items give
// and turns the worker's state reports into remoteItemStateChanged. Nothing it sends is
// acknowledged; a message that cannot be written is lost, except that a
// task or resume that fails is reported back as Failed for its item. A
// report that does not parse is logged and dropped.
//
// Lives on the GUI thread. A send may run the event loop while the worker
// starts, so slots, including reports, can run inside it.
class DataExchangeSvc : public RemoteHandler
{
    Q_OBJECT

public:
    explicit DataExchangeSvc(QObject *parent = nullptr);
    ~DataExchangeSvc() override;

    // The full task the first time, a resume while the worker holds it.
    void sendTask(const QSharedPointer<WorkerTaskItem> &item);
    void sendAbort(const QList<QUuid> &uids);
    // An empty list pauses every task of the worker.
    void sendPause(const QList<QUuid> &uids);
    // Only while a worker is connected.
    void sendCrashReporterParams();

signals:
    void remoteItemStateChanged(QUuid uid, QueueItemState state, QVariant data);

protected:
    void read(const QByteArray &payload) override;

private:
    void writeItemMessage(const QUuid &uid, const QByteArray &payload);
};

#include "core/dataexchangesvc.h"

#include "core/appservices.h"
#include "core/linkreader.h"
#include "core/transcodinginfo.h"

#include <cpuinfo/cpuinfo.h>
#include <kellogger/kellogger.h>
#include <remotehandler/workerprogram.h>

#include <QCoreApplication>
#include <QDataStream>
#include <QDebug>

namespace {

QString workerProgram()
{
    const QString injected = appServices().workerProgram;
    if (!injected.isEmpty())
        return injected;
    return QCoreApplication::applicationDirPath() + QLatin1Char('/') + WorkerProgram::fileName();
}

} // namespace

DataExchangeSvc::DataExchangeSvc(QObject *parent) : RemoteHandler(parent)
{
    qRegisterMetaType<QueueItemState>("QueueItemState");

    // Connected before anything else, so that the crash-reporter data goes
    // out ahead of the message whose write started the worker.
    connect(this, &RemoteHandler::handlerReady, this, [this] {
        qInfo("handler started");
        sendCrashReporterParams();
    });
    connect(this, &RemoteHandler::handlerClosed, this, [] { qInfo("handler finished"); });
    runServerMode(workerProgram());
}

DataExchangeSvc::~DataExchangeSvc() = default;

void DataExchangeSvc::sendTask(const QSharedPointer<WorkerTaskItem> &item)
{
    if (!item)
        return;
    if (item->isTaskSent()) {
        writeItemMessage(item->id(), LinkMessages::resumeItem(item->id()));
        return;
    }

    const TranscodingInfo task = item->takeTask();
    writeItemMessage(task.uid, LinkMessages::addItem(task));
}

void DataExchangeSvc::sendAbort(const QList<QUuid> &uids)
{
    write(LinkMessages::abortItems(uids));
}

void DataExchangeSvc::sendPause(const QList<QUuid> &uids)
{
    write(LinkMessages::pauseItems(uids));
}

void DataExchangeSvc::sendCrashReporterParams()
{
    if (!isHandlerConnected())
        return;
    write(LinkMessages::crashReporterParams(
            {CpuInfo().machineId(), appServices().settingsFileName,
             QStringLiteral("%1/dxdiag.txt").arg(KelLogger::logDir())}));
}

void DataExchangeSvc::read(const QByteArray &payload)
{
    QDataStream stream(payload);
    LinkReader reader(stream);
    qint32 code = 0;
    if (!reader.readCode(code) || code != LinkMessages::ItemState)
        return;

    QUuid uid;
    qint32 state = 0;
    QVariant data;
    if (!reader.readItemState(uid, state, data)) {
        qWarning().noquote() << "Dropped a state report of" << payload.size()
                             << "bytes:" << reader.error();
        return;
    }
    emit remoteItemStateChanged(uid, QueueItemState(state), data);
}

// The item's task-sent flag is still set, so the queue takes the report and
// fails the item instead of waiting for a worker that never got the message.
void DataExchangeSvc::writeItemMessage(const QUuid &uid, const QByteArray &payload)
{
    if (!write(payload))
        emit remoteItemStateChanged(uid, QueueItemState::Failed, QVariant());
}

#include "moc_dataexchangesvc.cpp"

#include "core/dataexchangesvc.h"

#include "core/linkreader.h"
#include "core/transcodinginfo.h"
#include "datamodel/codecinfo.h"
#include "metrics/usagestatistics.h"
#include "shared/appservices.h"

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

QMap<int, QVariant> overlayMap(const PipObjectPtr &overlay)
{
    QMap<int, QVariant> map;
    if (!overlay)
        return map;
    const PipObject::PropertyMap properties = overlay->properties();
    for (auto it = properties.cbegin(); it != properties.cend(); ++it)
        map.insert(int(it.key()), it.value());
    return map;
}

TranscodingInfo taskFor(VideoItem &item)
{
    const QSharedPointer<CodecInfo> target = item.targetCodecInfo();
    TranscodingInfo task;
    task.uid = item.id();
    task.source = item.sourceFileInfo().absoluteFilePath();
    task.target = item.targetFilePath();
    task.container = target->format();

    if (!target->videoCodecName().isEmpty()) {
        VideoCodecInfo video;
        video.name = target->videoCodecName();
        video.bitrate = target->bitrate();
        video.quality = item.compressionLevel() * 20 + 50;
        video.resolution = target->resolution();
        video.framerate = 0.0;
        task.video.append(video);
    }
    if (item.useAudio()) {
        AudioCodecInfo audio = target->audioStream();
        // The audio of MPEG files (mp2) carries at most two channels.
        if (task.container.contains(QLatin1String("mpeg"), Qt::CaseInsensitive)
            && audio.channels > 2)
            audio.channels = 2;
        task.audio.append(audio);
    }

    const QPair<qint64, qint64> trim = item.trim();
    task.trimStart = trim.first;
    task.trimEnd = trim.second;
    task.watermark = overlayMap(item.watermark());
    task.subtitles = overlayMap(item.subtitles());
    return task;
}

void countUsage(const VideoItem &item)
{
    UsageStatistics *statistics = appServices().usageStatistics;
    if (!statistics)
        return;
    if (item.isTrimmed())
        statistics->add(QStringLiteral("useTrim"));
    if (item.watermark())
        statistics->add(QStringLiteral("useWatermark"));
    if (item.subtitles())
        statistics->add(QStringLiteral("useSubtitles"));
    statistics->add(QStringLiteral("qualitySettings"), QString::number(item.compressionLevel()));
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

void DataExchangeSvc::sendTask(const VideoItemPtr &item)
{
    if (!item)
        return;
    if (item->isTaskSent()) {
        writeItemMessage(item->id(), LinkMessages::resumeItem(item->id()));
        return;
    }

    item->setTaskSent(true);
    const TranscodingInfo task = taskFor(*item);
    countUsage(*item);
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

#include "reelworker.h"

#include "platform/exclusiverename.h"
#include "platform/terminationrequest.h"
#include "unfinishedoutputs.h"

#include "core/int32streamoperators.h"
#include "core/linkmessages.h"
#include "core/linkreader.h"
#include "core/partialoutput.h"
#include "core/transcoder.h"
#include "core/transcodinginfo.h"
#include "datamodel/pip/pipobject.h"

#include <crashinstaller/crashinstaller.h>

#include <QCoreApplication>
#include <QDataStream>
#include <QDebug>
#include <QFileInfo>
#include <QHash>
#include <QStandardPaths>
#include <QStringList>
#include <QThread>

namespace {

const int idleSleepMs = 10;

const char machineIdProperty[] = "m_id";
const char configurationFileDescription[] = "Configuration File";
const char dxDiagFileDescription[] = "DirectX diagnostic File";
const char unfinishedFolderName[] = "unfinished";

bool isAudioContainer(const QString &container)
{
    for (const char *prefix : {"mp3", "wav", "m4a", "wma"}) {
        if (container.startsWith(QLatin1String(prefix), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

QString userText(const char *text)
{
    return QCoreApplication::translate("reelworker", text);
}

bool isValidTask(const TranscodingInfo &info)
{
    if (info.trimStart >= info.trimEnd)
        return false;
    const int video = info.video.size();
    const int audio = info.audio.size();
    return (video == 1 && audio <= 1) || (video == 0 && audio == 1);
}

// A link, even one that points nowhere, holds the name as well as a file.
bool nameIsTaken(const QString &path)
{
    const QFileInfo file(path);
    return file.exists() || file.isSymLink();
}

PipObjectPtr makeOverlay(const QMap<int, QVariant> &properties)
{
    PipObject::PropertyMap map;
    for (auto it = properties.cbegin(); it != properties.cend(); ++it)
        map.insert(PipObject::Property(it.key()), it.value());
    return PipObjectPtr::create(map, nullptr);
}

} // namespace

class reelworker::Private
{
public:
    struct RunRecord
    {
        std::unique_ptr<transcoder> converter;
        PipObjectPtr subtitles;
        PipObjectPtr watermark;
        int lastState = 0;
        qint64 highestProgress = -1;
        // Where the output is written until it is complete; the target
        // itself is never opened for writing.
        QString partialPath;
    };

    struct HeldTask
    {
        TranscodingInfo info;
        RunRecord run;
    };
    // Shared, so that a task removed by a message that arrives while its
    // state is being sent stays alive for the code that sent it.
    using HeldTaskPtr = std::shared_ptr<HeldTask>;

    // Removes the task, unless a newer task has taken its identifier meanwhile.
    void removeTask(const HeldTaskPtr &task)
    {
        const auto it = items.constFind(task->info.uid);
        if (it != items.cend() && it.value() == task)
            items.erase(it);
    }

    QString preparePartialOutput(HeldTask &task);
    void discardPartialOutput(HeldTask &task);
    bool commitOutput(HeldTask &task, QString *why);

    CrashInstaller *crashInstaller = nullptr;
    bool exitRequested = false;
    QHash<QUuid, HeldTaskPtr> items;
    std::unique_ptr<UnfinishedOutputs> unfinished;
};

// A partial output of this item's name is a left-over of its own earlier run.
QString reelworker::Private::preparePartialOutput(HeldTask &task)
{
    task.run.partialPath = PartialOutput::pathFor(task.info.target, task.info.uid);
    unfinished->discard(task.run.partialPath);
    unfinished->add(task.run.partialPath);
    return task.run.partialPath;
}

void reelworker::Private::discardPartialOutput(HeldTask &task)
{
    if (task.run.partialPath.isEmpty())
        return;
    unfinished->discard(task.run.partialPath);
    task.run.partialPath.clear();
}

// Moves the finished output onto the target, which must still be free.
bool reelworker::Private::commitOutput(HeldTask &task, QString *why)
{
    const QString &target = task.info.target;
    QString error;
    if (!renameExclusive(task.run.partialPath, target, &error)) {
        qWarning().noquote() << "Can't move the finished output onto" << target << "-" << error
                             << "- the file there is left as it is";
        discardPartialOutput(task);
        *why = userText("the output file cannot be written: %1").arg(error);
        return false;
    }
    unfinished->forget(task.run.partialPath);
    task.run.partialPath.clear();
    qInfo().noquote() << "Output complete:" << target;
    return true;
}

reelworker::reelworker(QObject *parent) : RemoteHandler(parent), d(std::make_unique<Private>())
{
    d->unfinished = std::make_unique<UnfinishedOutputs>(
            QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation)
            + QLatin1Char('/') + QLatin1String(unfinishedFolderName));
    PipObject::registerMetaTypes();
    // Overlay property values of these types travel as signed 32-bit integers.
    registerInt32StreamOperators<Qt::Alignment>();
    registerInt32StreamOperators<PipObject::Location>();
    registerInt32StreamOperators<PipObject::Property>();
    registerInt32StreamOperators<PipObject::Type>();
}

reelworker::~reelworker() = default;

int reelworker::exec(const QString &serverName, CrashInstaller *crashInstaller)
{
    d->crashInstaller = crashInstaller;
    // Before the link exists, so that the GUI never sees this worker while
    // left-overs of an earlier one remain.
    d->unfinished->removeAbandoned();
    runClientMode(serverName);

    while (!d->exitRequested) {
        if (!isConnected())
            break;
        bool idle = true;
        runPass(idle);
        QCoreApplication::processEvents();
        if (TerminationRequest::isPending() && !d->exitRequested) {
            qInfo("System close requested (installer or shutdown)");
            d->exitRequested = true;
        }
        if (idle)
            QThread::msleep(idleSleepMs);
    }

    // Unfinished tasks leave no partial files behind.
    for (const Private::HeldTaskPtr &task : qAsConst(d->items)) {
        task->run.converter.reset();
        d->discardPartialOutput(*task);
    }
    d->items.clear();
    qInfo("Exit app request done");
    return 0;
}

void reelworker::runPass(bool &idle)
{
    const QList<QUuid> uids = d->items.keys();
    for (const QUuid &uid : uids) {
        const Private::HeldTaskPtr task = d->items.value(uid);
        if (!task || !task->run.converter || task->run.lastState == int(QueueItemState::Paused))
            continue;

        // The transcoder is finished before the state goes out: sending may
        // deliver an abort for this very task.
        transcoder *worker = task->run.converter.get();
        bool done = false;
        const int result = worker->processNextFrame(done);
        if (result < 0) {
            worker->finish();
            const QString why = worker->failureText();
            task->run.converter.reset();
            d->discardPartialOutput(*task);
            sendItemState(uid, QueueItemState::Failed, why);
            d->removeTask(task);
        } else if (done) {
            const int finished = worker->finish();
            QString why = worker->failureText();
            task->run.converter.reset();
            const bool complete = finished >= 0 && d->commitOutput(*task, &why);
            if (complete) {
                sendItemState(uid, QueueItemState::Done, QVariant());
            } else {
                d->discardPartialOutput(*task);
                sendItemState(uid, QueueItemState::Failed, why);
            }
            d->removeTask(task);
        } else {
            idle = false;
            const qint64 progress = worker->progressValue();
            if (progress > task->run.highestProgress) {
                task->run.highestProgress = progress;
                sendItemState(uid, QueueItemState::Processing, QVariant(qlonglong(progress)));
            }
        }
    }
}

// Every body is read with bounds. A message that does not parse is dropped,
// except a task: it still reaches onAddItem, without its codec records, so
// that it is reported failed under the identifier it carries.
void reelworker::read(const QByteArray &payload)
{
    QDataStream in(payload);
    LinkReader reader(in);
    qint32 code = 0;
    if (!reader.readCode(code))
        return;
    const auto dropped = [&reader, code, &payload] {
        qWarning().noquote() << "Dropped link message" << code << "of" << payload.size()
                             << "bytes:" << reader.error();
    };
    switch (code) {
    case LinkMessages::AddItem: {
        TranscodingInfo info;
        if (!reader.readTask(info))
            qWarning().noquote() << "Refused a task of" << payload.size()
                                 << "bytes:" << reader.error();
        onAddItem(info);
        break;
    }
    case LinkMessages::AbortItems:
    case LinkMessages::PauseItems:
    case LinkMessages::ResumeItems: {
        QList<QUuid> uids;
        // A broken list must not read as the empty one that pauses all.
        if (!reader.readUuidList(uids)) {
            dropped();
            break;
        }
        if (code == LinkMessages::AbortItems)
            onAbortItems(uids);
        else if (code == LinkMessages::PauseItems)
            onPauseItems(uids);
        else
            onResumeItems(uids);
        break;
    }
    case LinkMessages::ResumeItem: {
        QUuid uid;
        if (!reader.readUuid(uid)) {
            dropped();
            break;
        }
        onResumeItems({uid});
        break;
    }
    case LinkMessages::ExitRequest:
        d->exitRequested = true;
        qDebug("exit app request");
        break;
    case LinkMessages::CrashReporterParams: {
        QStringList params;
        if (!reader.readStringList(params)) {
            dropped();
            break;
        }
        onCrashReporterParams(params);
        break;
    }
    default:
        break;
    }
}

void reelworker::onAddItem(const TranscodingInfo &info)
{
    if (const Private::HeldTaskPtr held = d->items.value(info.uid)) {
        const int state = held->run.lastState;
        // A task that is processing or paused is never replaced.
        if (state != int(QueueItemState::Done) && state != int(QueueItemState::Aborted)
            && state != int(QueueItemState::Failed))
            return;
    }

    const auto task = std::make_shared<Private::HeldTask>();
    task->info = info;
    d->items.insert(info.uid, task);

    if (!isValidTask(info)) {
        qWarning("Error validating transcoding parameters!!!");
        sendItemState(info.uid, QueueItemState::Failed,
                      userText("the conversion settings are incomplete"));
        return;
    }
    // The GUI chose a free name; a file that took it meanwhile is the user's.
    if (nameIsTaken(info.target)) {
        qWarning().noquote() << "Target file exists and is not replaced:" << info.target;
        sendItemState(info.uid, QueueItemState::Failed,
                      userText("a file of the output's name exists already"));
        return;
    }

    QString why;
    std::unique_ptr<transcoder> created = createTranscoder(info, d->preparePartialOutput(*task),
                                                           &why);
    if (!created) {
        d->discardPartialOutput(*task);
        qWarning("Report error creating transcoder!!!");
        sendItemState(info.uid, QueueItemState::Failed, why);
        return;
    }
    if (!info.subtitles.isEmpty()) {
        task->run.subtitles = makeOverlay(info.subtitles);
        created->setSubtitles(task->run.subtitles);
    }
    if (!info.watermark.isEmpty()) {
        task->run.watermark = makeOverlay(info.watermark);
        created->setWatermark(task->run.watermark);
    }
    task->run.converter = std::move(created);
    sendItemState(info.uid, QueueItemState::Processing, QVariant(int(0)));
}

std::unique_ptr<transcoder> reelworker::createTranscoder(const TranscodingInfo &info,
                                                         const QString &outputPath, QString *why)
{
    auto created = std::make_unique<transcoder>();
    const bool oneAudio = info.audio.size() == 1;
    if (oneAudio)
        created->setAudioInfo(info.audio.first());
    if (info.video.size() == 1)
        created->setVideoInfo(info.video.first());
    // Without a video record there is no video, whatever the container.
    created->setUseVideo(info.video.size() == 1 && !isAudioContainer(info.container));
    created->setUseAudio(oneAudio && !info.audio.first().name.isEmpty());

    qInfo() << "Create transcoder for item:" << info.uid;
    info.dumpInfo();

    int result = created->openInputFile(info.source);
    if (result >= 0) {
        qInfo().noquote() << "Open source file:" << info.source;
        created->dumpInputFileInfo();
        result = created->openOutputFile(outputPath);
    }
    if (result >= 0) {
        qInfo().noquote() << "Open target file:" << info.target << "written as" << outputPath;
        created->setTrim(info.trimStart, info.trimEnd);
        result = created->rewind();
    }
    if (result < 0) {
        qWarning("Error creating transcoder!!!");
        *why = created->failureText();
        return nullptr;
    }
    qInfo("Transcoder ready");
    return created;
}

void reelworker::onAbortItems(const QList<QUuid> &uids)
{
    for (const QUuid &uid : uids) {
        const Private::HeldTaskPtr task = d->items.value(uid);
        if (!task) {
            qInfo() << "Request to abort:" << uid << "[not found]";
            continue;
        }
        if (task->run.converter) {
            task->run.converter->finish();
            task->run.converter.reset();
        }
        d->discardPartialOutput(*task);
        sendItemState(uid, QueueItemState::Aborted, QVariant());
        d->removeTask(task);
        qInfo() << "Request to abort:" << uid << "[done]";
    }
}

void reelworker::onPauseItems(const QList<QUuid> &uids)
{
    if (uids.isEmpty()) {
        qInfo("Request to pause all:");
        const QList<QUuid> held = d->items.keys();
        for (const QUuid &uid : held) {
            if (!d->items.contains(uid))
                continue;
            sendItemState(uid, QueueItemState::Paused, QVariant());
            qInfo() << uid;
        }
        return;
    }
    for (const QUuid &uid : uids) {
        if (!d->items.contains(uid)) {
            qInfo() << "Request to pause:" << uid << "[not found]";
            continue;
        }
        sendItemState(uid, QueueItemState::Paused, QVariant());
        qInfo() << "Request to pause:" << uid << "[done]";
    }
}

void reelworker::onResumeItems(const QList<QUuid> &uids)
{
    for (const QUuid &uid : uids) {
        const Private::HeldTaskPtr task = d->items.value(uid);
        if (!task) {
            qInfo() << "Request to resume:" << uid << "[not found]";
            continue;
        }
        sendItemState(uid, QueueItemState::Processing,
                      QVariant(qlonglong(task->run.highestProgress)));
        qInfo() << "Request to resume:" << uid << "[done]";
    }
}

void reelworker::onCrashReporterParams(QStringList params)
{
    qInfo("Setup crash reporter parameters");
    if (!d->crashInstaller)
        return;
    if (!params.isEmpty())
        d->crashInstaller->setProperty(params.takeFirst(), QLatin1String(machineIdProperty));
    if (!params.isEmpty())
        d->crashInstaller->addFile(params.takeFirst(), QLatin1String(configurationFileDescription));
    if (!params.isEmpty())
        d->crashInstaller->addFile(params.takeFirst(), QLatin1String(dxDiagFileDescription));
}

void reelworker::sendItemState(const QUuid &uid, QueueItemState state, const QVariant &value)
{
    if (const Private::HeldTaskPtr task = d->items.value(uid))
        task->run.lastState = int(state);
    // Without the GUI a write would wait for a worker to start; the loop ends
    // at its next pass anyway.
    if (!isConnected())
        return;

    write(LinkMessages::itemState(uid, qint32(state), value));
}

#include "moc_reelworker.cpp"

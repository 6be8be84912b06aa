#include "datamodel/queuemodel.h"

#include "core/appservices.h"
#include "core/dataexchangesvc.h"
#include "core/mediaimport.h"
#include "datamodel/codecinfo.h"
#include "datamodel/presetinfo.h"
#include "datamodel/targetreservations.h"
#include "metrics/metricsender.h"
#include "metrics/usagestatistics.h"
#include "shared/formattables.h"
#include "shared/mimedata.h"
#include "shared/settingsprovider.h"

#include <QCoreApplication>
#include <QDebug>
#include <QElapsedTimer>
#include <QHash>
#include <QMetaEnum>
#include <QMimeData>
#include <QPointer>
#include <QSet>
#include <QTimer>
#include <QVector>

#include <algorithm>
#include <cmath>

namespace {

constexpr int SchedulerDelayMs = 50;
constexpr qint64 MsPerDay = 24 * 60 * 60 * 1000;
// The progress (per mille) an item makes after its first report before its
// own speed counts: x264 takes its first frames faster than it goes on.
constexpr int MinTimedProgress = 100;
// Conversion costs per unit of media time, in picture pixels, as the
// worker's encoders measure against each other: a video target costs its
// pixels plus this much for decoding, sound and muxing; an audio-only target
// costs the second figure (720p video to mp4 takes some 23 times as long as
// mp3 to mp3).
constexpr double VideoOverheadPixels = 250000.0;
constexpr double AudioOnlyPixels = 50000.0;

const char *stateName(VideoItem::State state)
{
    return QMetaEnum::fromType<VideoItem::State>().valueToKey(state);
}

// Relative cost of one unit of media time.
double conversionCost(const VideoItem &item)
{
    if (!item.writesVideo())
        return AudioOnlyPixels;
    const QSize size = item.targetCodecInfo()->resolution();
    return VideoOverheadPixels + double(size.width()) * size.height();
}

bool hasTargetFormat(const VideoItem &item)
{
    return !item.targetCodecInfo()->format().isEmpty();
}

// An Imported item without a target format is not offered: Convert all
// neither counts nor starts it, and it holds no batch open.
bool isOffered(const VideoItem &item)
{
    return item.state() != VideoItem::Imported || hasTargetFormat(item);
}

void countUsage(const QString &category, const QString &key = QString())
{
    if (UsageStatistics *statistics = appServices().usageStatistics)
        statistics->add(category, key);
}

} // namespace

class QueueModel::Private
{
public:
    explicit Private(QueueModel *q) : q(q), import(new mediaimport(q)) { }

    DataExchangeSvc *link();

    int rowOf(const VideoItem *item) const
    {
        for (int row = 0; row < items.size(); ++row) {
            if (items.at(row).data() == item)
                return row;
        }
        return -1;
    }

    // The item behind a signal, when it is still in the queue.
    VideoItemPtr queued(const QWeakPointer<VideoItem> &weak) const
    {
        const VideoItemPtr item = weak.toStrongRef();
        return item && byId.value(item->id()) == item ? item : VideoItemPtr();
    }

    void startScheduler() { schedulerTimer.start(SchedulerDelayMs); }

    void connectItem(const VideoItemPtr &item);
    void connectSettings(const VideoItemPtr &item);

    void schedule();
    VideoItem::FailReason startRefusal(const VideoItemPtr &item);
    void onStateChanged(const VideoItemPtr &item, VideoItem::State newState,
                        VideoItem::State oldState);
    void countStateUsage(const VideoItemPtr &item, VideoItem::State newState,
                         VideoItem::State oldState);
    void applyFirstTargetSettings(const VideoItemPtr &item);
    void onPausedChanged(const VideoItemPtr &item, bool paused);
    void onAbortClicked(const VideoItemPtr &item);
    void onRemoteItemStateChanged(const QUuid &uid, QueueItemState state, const QVariant &data);
    void onWorkerLost();
    void finishTask(const VideoItemPtr &item);
    void addToCounter(VideoItem::State state, int delta) { counters[state] += delta; }
    int offeredCount() const
    {
        return int(std::count_if(items.cbegin(), items.cend(), [](const VideoItemPtr &item) {
            return item->state() == VideoItem::Imported && isOffered(*item);
        }));
    }
    void updateCounters();
    void updateProgress();
    void noteFirstReport(const VideoItem &item, int progress);
    void addUrls(const QList<QUrl> &urls, int row);

    QueueModel *q;
    QTimer schedulerTimer;
    // When each item's conversion first reported progress: the time it
    // had spent converting then (its start-up) and the progress.
    struct FirstReport
    {
        qint64 ms = 0;
        int progress = 0;
    };
    QHash<QUuid, FirstReport> firstReports;
    // The offered count that the last countersChanged stood for.
    int lastOfferedCount = 0;
    bool batchStarted = false;
    mediaimport *import;
    QVector<VideoItemPtr> items;
    VideoItem::StateCountersMap counters;
    QHash<QUuid, VideoItemPtr> byId;
    // Items whose abort was sent and not yet answered by the worker: they
    // are neither started nor resumed until the Aborted report arrives.
    QSet<QUuid> abortPending;
    // Target names handed to the worker and not yet written in full.
    TargetReservations reservations;
    // The link whose reports the model follows.
    QPointer<DataExchangeSvc> followedLink;
};

DataExchangeSvc *QueueModel::Private::link()
{
    const std::function<DataExchangeSvc *()> &provider = appServices().dataExchangeSvc;
    DataExchangeSvc *svc = provider ? provider() : nullptr;
    if (!svc) {
        qCritical("No worker link: the queue can't convert");
        return nullptr;
    }
    if (svc != followedLink) {
        followedLink = svc;
        connect(svc, &DataExchangeSvc::remoteItemStateChanged, q,
                [this](const QUuid &uid, QueueItemState state, const QVariant &data) {
                    onRemoteItemStateChanged(uid, state, data);
                });
        connect(svc, &RemoteHandler::handlerClosed, q, [this] { onWorkerLost(); });
    }
    return svc;
}

void QueueModel::Private::connectItem(const VideoItemPtr &item)
{
    VideoItem *raw = item.data();
    const QWeakPointer<VideoItem> weak = item;

    connect(raw, &VideoItem::convertClicked, q, [this, weak] {
        if (const VideoItemPtr item = queued(weak)) {
            countUsage(QStringLiteral("sstart"));
            item->setState(VideoItem::Scheduled);
        }
    });
    connect(raw, &VideoItem::pausedChanged, q, [this, weak](bool paused) {
        if (const VideoItemPtr item = queued(weak))
            onPausedChanged(item, paused);
    });
    connect(raw, &VideoItem::abortClicked, q, [this, weak] {
        if (const VideoItemPtr item = queued(weak))
            onAbortClicked(item);
    });
    connect(raw, &VideoItem::removeClicked, q, [this, weak] {
        if (const VideoItemPtr item = weak.toStrongRef())
            q->removeItem(q->itemById(item->id()));
    });
    connect(raw, &VideoItem::progressChanged, q, [this, weak](int progress) {
        if (const VideoItemPtr item = queued(weak))
            noteFirstReport(*item, progress);
        updateProgress();
    });
    // Whether Convert all offers the item follows its format.
    connect(raw->targetCodecInfo().data(), &CodecInfo::formatChanged, q, [this, weak] {
        if (queued(weak) && offeredCount() != lastOfferedCount)
            updateCounters();
    });
    connect(raw, &VideoItem::stateChanged, q,
            [this, weak](VideoItem::State newState, VideoItem::State oldState) {
                if (const VideoItemPtr item = queued(weak))
                    countStateUsage(item, newState, oldState);
            });
    connect(raw, &VideoItem::stateChanged, q,
            [this, weak](VideoItem::State newState, VideoItem::State oldState) {
                onStateChanged(weak.toStrongRef(), newState, oldState);
            });
}

void QueueModel::Private::connectSettings(const VideoItemPtr &item)
{
    SettingsProvider *settings = SettingsProvider::instance();
    if (!settings)
        return;
    item->setTargetFolderPath(settings->targetFolderPath());
    item->setTargetFolderType(settings->targetFolderType());
    connect(settings, &SettingsProvider::targetFolderPathChanged, item.data(),
            &VideoItem::setTargetFolderPath);
    connect(settings, &SettingsProvider::targetFolderTypeChanged, item.data(),
            &VideoItem::setTargetFolderType);
}

void QueueModel::Private::schedule()
{
    for (const VideoItemPtr &item : qAsConst(items)) {
        if (item->state() == VideoItem::Converting && !item->isPaused())
            return;
    }
    for (const VideoItemPtr &item : qAsConst(items)) {
        if (item->state() != VideoItem::Scheduled || item->isPaused()
            || abortPending.contains(item->id()))
            continue;
        const VideoItemPtr started = item;
        // What the worker would refuse fails here, with a reason the card
        // can tell the user.
        const VideoItem::FailReason refused = startRefusal(started);
        if (refused != VideoItem::NoFailure) {
            qWarning() << "Not converted:" << started->sourceFileInfo().absoluteFilePath()
                       << QMetaEnum::fromType<VideoItem::FailReason>().valueToKey(refused);
            started->setState(VideoItem::ConvertFailed, refused);
            return;
        }
        DataExchangeSvc *svc = link();
        if (!svc) {
            started->setState(VideoItem::ConvertFailed, VideoItem::ConverterLost);
            return;
        }
        // The send may run an event loop while it starts the worker; the
        // item is Converting by then, so no second one starts meanwhile.
        started->setState(VideoItem::Converting);
        if (!started->isTaskSent())
            reservations.reserve(*started);
        svc->sendTask(started);
        return;
    }
}

VideoItem::FailReason QueueModel::Private::startRefusal(const VideoItemPtr &item)
{
    // An audio-only source whose last chosen format holds video keeps an
    // empty format; its output would be "name." and fail.
    if (!hasTargetFormat(*item))
        return VideoItem::NoTargetFormat;
    // A resumed task has its files open already.
    if (item->isTaskSent())
        return VideoItem::NoFailure;
    if (!QFileInfo(item->sourceFileInfo().absoluteFilePath()).isFile())
        return VideoItem::SourceMissing;
    const QFileInfo folder(QFileInfo(item->targetFilePath()).absolutePath());
    if (!folder.isDir() || !folder.isWritable())
        return VideoItem::OutputFolderNotWritable;
    return VideoItem::NoFailure;
}

void QueueModel::Private::onStateChanged(const VideoItemPtr &item, VideoItem::State newState,
                                         VideoItem::State oldState)
{
    const VideoItemPtr own = item && byId.value(item->id()) == item ? item : VideoItemPtr();
    if (own) {
        addToCounter(oldState, -1);
        addToCounter(newState, 1);
        updateCounters();
        if (oldState == VideoItem::Importing && newState == VideoItem::Imported)
            applyFirstTargetSettings(own);
    }

    if (newState != VideoItem::History) {
        startScheduler();
        return;
    }
    if (!own) {
        qCritical("Can't find video item!!!");
        startScheduler();
        return;
    }
    q->removeItem(own);
    // A history item is probed again from its converted file.
    import->loadMetaInfo(own);
    emit q->movedToHistory(own);
}

void QueueModel::Private::countStateUsage(const VideoItemPtr &item, VideoItem::State newState,
                                          VideoItem::State oldState)
{
    if (newState == oldState)
        return;
    if (oldState == VideoItem::Converting && newState == VideoItem::Imported)
        countUsage(QStringLiteral("cancel"));
    if (newState == VideoItem::ConvertFailed)
        MetricSender::send(QStringLiteral("err8"), item->mediaInfo().format,
                           item->mediaInfo().videoCodecName);
}

void QueueModel::Private::applyFirstTargetSettings(const VideoItemPtr &item)
{
    const SettingsProvider *settings = SettingsProvider::instance();
    const QString format = settings ? settings->lastClickedFormat() : QStringLiteral("MP4");
    const FormatTables *tables = appServices().formatTables;
    const QSharedPointer<CodecInfo> target = item->targetCodecInfo();

    const bool hasVideo = !item->sourceCodecInfo()->resolution().isEmpty();
    const bool audioFormat = tables
            && tables->outputAudioFormats().contains(format, Qt::CaseInsensitive);
    if (hasVideo || audioFormat)
        target->setFormat(format);
    target->setVideoCodecName(tables ? tables->videoEncoderForFormat(format) : QString());
    target->setAudioCodecName(tables ? tables->audioEncoderForFormat(format) : QString());
}

void QueueModel::Private::onPausedChanged(const VideoItemPtr &item, bool paused)
{
    addToCounter(VideoItem::Paused, paused ? 1 : -1);
    updateCounters();

    if (!paused) {
        if (item->state() == VideoItem::Converting)
            item->setState(VideoItem::Scheduled);
        else
            // A resumed Scheduled item may be the only one waiting.
            startScheduler();
        return;
    }

    if (item->isTaskSent()) {
        if (DataExchangeSvc *svc = link())
            svc->sendPause({item->id()});
    }
    // Lets the scheduler start the next item now that this one holds nothing.
    const VideoItem::State state = item->state();
    emit item->stateChanged(state, state);
}

void QueueModel::Private::onAbortClicked(const VideoItemPtr &item)
{
    const VideoItem::State state = item->state();
    if (state != VideoItem::Converting && state != VideoItem::Scheduled)
        return;
    item->setState(VideoItem::Imported);
    item->setProgress(0);
    item->setPaused(false);
    if (item->isTaskSent()) {
        abortPending.insert(item->id());
        if (DataExchangeSvc *svc = link())
            svc->sendAbort({item->id()});
    }
}

void QueueModel::Private::onRemoteItemStateChanged(const QUuid &uid, QueueItemState state,
                                                   const QVariant &data)
{
    // Also for an item removed meanwhile: its task has ended all the same.
    if (state == QueueItemState::Done || state == QueueItemState::Aborted
        || state == QueueItemState::Failed)
        reservations.release(uid);

    const VideoItemPtr item = q->itemById(uid);
    if (!item || !item->isTaskSent())
        return;

    switch (state) {
    case QueueItemState::Processing: {
        // Sent before the worker saw the abort: the item has left its
        // conversion already.
        if (abortPending.contains(uid))
            break;
        // A resume reports -1 while nothing was reported yet.
        const qlonglong progress = data.toLongLong();
        if (progress >= 0)
            item->setProgress(int(qMin<qlonglong>(progress, 1000)));
        break;
    }
    case QueueItemState::Done:
        // Also when it crosses an abort: the worker finished the output file
        // before it saw the abort, so the file is complete and Converted.
        finishTask(item);
        item->setState(VideoItem::Converted);
        item->setProgress(1000);
        break;
    case QueueItemState::Aborted:
        finishTask(item);
        item->setProgress(0);
        // The item may have been scheduled again while the abort was pending.
        startScheduler();
        break;
    case QueueItemState::Failed:
        finishTask(item);
        // An older worker sends no reason.
        item->setState(VideoItem::ConvertFailed, VideoItem::ConverterFailed,
                       data.type() == QVariant::String ? data.toString() : QString());
        break;
    default:
        break;
    }
}

void QueueModel::Private::finishTask(const VideoItemPtr &item)
{
    item->setTaskSent(false);
    abortPending.remove(item->id());
}

void QueueModel::Private::onWorkerLost()
{
    reservations.discardAll();
    const QVector<VideoItemPtr> snapshot = items;
    for (const VideoItemPtr &item : snapshot) {
        if (!item->isTaskSent())
            continue;
        item->setTaskSent(false);
        // An aborted item has already left its conversion; the lost worker
        // only answers the abort.
        if (abortPending.remove(item->id())) {
            item->setProgress(0);
            continue;
        }
        item->setState(VideoItem::ConvertFailed, VideoItem::ConverterLost);
    }
    startScheduler();
}

void QueueModel::Private::updateCounters()
{
    for (auto it = counters.cbegin(); it != counters.cend(); ++it) {
        if (it.value() < 0)
            qCritical() << "Wrong video items model counters state!" << stateName(it.key())
                        << it.value();
    }
    lastOfferedCount = offeredCount();
    emit q->countersChanged(counters);

    if (!batchStarted)
        return;
    for (const VideoItemPtr &item : qAsConst(items)) {
        const VideoItem::State state = item->state();
        if (!isOffered(*item))
            continue;
        if (item->isPaused() || (state != VideoItem::Converted && state != VideoItem::ConvertFailed))
            return;
    }
    batchStarted = false;
    qInfo("Signal batch processing finished");
    emit q->batchProcessDone();
}

void QueueModel::Private::noteFirstReport(const VideoItem &item, int progress)
{
    if (progress <= 0 || item.state() == VideoItem::Imported) {
        firstReports.remove(item.id());
        return;
    }
    if (item.state() == VideoItem::Converting && !firstReports.contains(item.id()))
        firstReports.insert(item.id(), {item.conversionTime(), progress});
}

void QueueModel::Private::updateProgress()
{
    // Video and audio-only targets convert at very different speeds, so
    // each kind is timed on its own: work done per millisecond, counted
    // from an item's first report so that its start-up does not pass for
    // slowness. A kind not timed yet borrows the other's speed through the
    // cost model; each item still to start adds the start-up seen so far.
    struct Kind
    {
        double spentWork = 0.0;
        double spentMs = 0.0;
        double leftWork = 0.0;
        double rate() const { return spentMs > 0.0 ? spentWork / spentMs : 0.0; }
    };
    Kind kinds[2];
    qint64 total = 0;
    qint64 done = 0;
    qint64 startupMs = 0;
    int startups = 0;
    int waiting = 0;
    for (const VideoItemPtr &item : qAsConst(items)) {
        const VideoItem::State state = item->state();
        if (state != VideoItem::Converting && state != VideoItem::Scheduled
            && state != VideoItem::Converted)
            continue;
        const qint64 duration = item->trimmedDuration();
        const int progress = item->progress();
        total += duration;
        done += duration * progress / 1000;

        Kind &kind = kinds[item->writesVideo() ? 1 : 0];
        const double work = conversionCost(*item) * double(duration);
        kind.leftWork += work * (1000 - progress) / 1000.0;
        const auto first = firstReports.constFind(item->id());
        if (first == firstReports.cend()) {
            if (state == VideoItem::Scheduled && item->conversionTime() < 1)
                ++waiting;
            continue;
        }
        startupMs += first->ms;
        ++startups;
        const qint64 spent = item->conversionTime() - first->ms;
        if (progress >= first->progress + MinTimedProgress && spent >= 1) {
            kind.spentWork += work * (progress - first->progress) / 1000.0;
            kind.spentMs += double(spent);
        }
    }
    if (total < 1)
        return;

    const int percent = int(done * 1000 / total);
    QTime remaining;
    double ms = startups >= 1 ? double(startupMs) / startups * waiting : 0.0;
    bool known = kinds[0].rate() > 0.0 || kinds[1].rate() > 0.0;
    for (int i = 0; i < 2 && known; ++i) {
        if (kinds[i].leftWork > 0.0)
            ms += kinds[i].leftWork
                    / (kinds[i].rate() > 0.0 ? kinds[i].rate() : kinds[1 - i].rate());
    }
    // A day or more has no QTime. What is left is shown as at least a
    // second: 00:00:00 would read as done.
    if (known && ms < double(MsPerDay - 1000))
        remaining = QTime::fromMSecsSinceStartOfDay(qMax(1, int(std::ceil(ms / 1000.0))) * 1000);
    emit q->percentProgressChanged(percent, remaining);
}

void QueueModel::Private::addUrls(const QList<QUrl> &urls, int row)
{
    QElapsedTimer timer;
    timer.start();
    QVector<VideoItemPtr> added;
    added.reserve(urls.size());
    for (const QUrl &url : urls) {
        const QFileInfo file(url.toLocalFile());
        if (url.toLocalFile().isEmpty() || !file.exists())
            continue;
        added.append(VideoItemPtr::create(file));
    }
    if (!added.isEmpty()) {
        if (row < 0 || row > items.size())
            row = items.size();
        for (const VideoItemPtr &item : qAsConst(added))
            connectItem(item);
        // One insertion and one counters update for the whole batch: views
        // and counter listeners pay once, not once per file.
        q->beginInsertRows(QModelIndex(), row, row + added.size() - 1);
        for (int i = 0; i < added.size(); ++i) {
            byId.insert(added.at(i)->id(), added.at(i));
            items.insert(row + i, added.at(i));
        }
        q->endInsertRows();
        for (const VideoItemPtr &item : qAsConst(added)) {
            connectSettings(item);
            addToCounter(item->state(), 1);
        }
        updateCounters();
        for (const VideoItemPtr &item : qAsConst(added))
            import->loadMetaInfo(item);
    }
    qInfo() << "Add time:" << timer.elapsed();
    QCoreApplication::processEvents();
}

QueueModel::QueueModel(QObject *parent) : QAbstractListModel(parent), d(new Private(this))
{
    // The model's signals carry the item types, before any item exists.
    VideoItem::registerMetaTypes();
    d->schedulerTimer.setSingleShot(true);
    connect(
            &d->schedulerTimer, &QTimer::timeout, this, [this] { d->schedule(); },
            Qt::DirectConnection);

    // Asking for the link here creates it and starts the worker.
    d->link();
    setObjectName(QStringLiteral("QueueModel"));
}

QueueModel::~QueueModel()
{
    // The items may outlive the queue in the history or in a card.
    for (const VideoItemPtr &item : qAsConst(d->items))
        item->disconnect(this);
}

int QueueModel::rowCount(const QModelIndex &) const
{
    return d->items.size();
}

QVariant QueueModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.column() != 0 || index.row() >= d->items.size()
        || role != Qt::UserRole)
        return QVariant();
    return QVariant::fromValue(d->items.at(index.row()));
}

QMimeData *QueueModel::mimeData(const QModelIndexList &indexes) const
{
    return MimeData::fromRows(indexes);
}

bool QueueModel::dropMimeData(const QMimeData *data, Qt::DropAction, int row, int,
                              const QModelIndex &)
{
    const int count = d->items.size();
    if (row < 0 || row > count) {
        qCritical() << "Try drop into row" << row << "but count is" << count;
        return false;
    }

    if (!MimeData::hasFormat(data, MimeData::VideoItemRows)) {
        if (!MimeData::hasFormat(data, MimeData::UriList))
            return false;
        d->addUrls(MimeData::urlsWithFolders(data), row);
        return true;
    }

    const QList<int> rows = MimeData::rows(data);
    if (rows.size() != 1) {
        qWarning("Drop multiple rows is not implemented.");
        return false;
    }
    const int from = rows.first();
    qInfo() << "Move from" << from << "into" << row;
    if (from < 0 || from >= count || row >= count) {
        qWarning() << "Can't move row" << from << "to" << row << "of" << count;
        return false;
    }
    if (from == row)
        return true;

    beginMoveRows(QModelIndex(), from, from, QModelIndex(), row > from ? row + 1 : row);
    d->items.move(from, row);
    endMoveRows();
    return true;
}

void QueueModel::addNewItems(const QList<QUrl> &urls, int row)
{
    d->addUrls(urls, row);
}

void QueueModel::addNewItem(const QUrl &url, int row)
{
    if (row < 0 || row > d->items.size())
        row = d->items.size();
    const QFileInfo file(url.toLocalFile());
    if (url.toLocalFile().isEmpty() || !file.exists())
        return;

    const auto item = VideoItemPtr::create(file);
    d->connectItem(item);

    beginInsertRows(QModelIndex(), row, row);
    d->byId.insert(item->id(), item);
    d->items.insert(row, item);
    endInsertRows();

    d->connectSettings(item);
    d->addToCounter(item->state(), 1);
    d->updateCounters();
    d->import->loadMetaInfo(item);
}

void QueueModel::removeItem(const VideoItemPtr &item)
{
    if (!item)
        return;
    const int row = d->rowOf(item.data());
    if (row < 0)
        return;

    beginRemoveRows(QModelIndex(), row, row);
    d->byId.remove(item->id());
    d->items.remove(row);
    endRemoveRows();

    item->disconnect(this);
    if (SettingsProvider *settings = SettingsProvider::instance())
        settings->disconnect(item.data());
    // A removed item's conversion must not go on in the worker.
    if (item->isTaskSent() && !d->abortPending.contains(item->id())) {
        if (DataExchangeSvc *svc = d->link())
            svc->sendAbort({item->id()});
    }
    d->abortPending.remove(item->id());
    d->firstReports.remove(item->id());

    d->addToCounter(item->state(), -1);
    if (item->isPaused())
        d->addToCounter(VideoItem::Paused, -1);
    d->updateCounters();
    // The removed item may have held the queue.
    if (item->state() == VideoItem::Scheduled || item->state() == VideoItem::Converting)
        d->startScheduler();
}

VideoItemPtr QueueModel::itemById(const QUuid &id) const
{
    return d->byId.value(id);
}

VideoItem::StateCountersMap QueueModel::counters() const
{
    return d->counters;
}

VideoItemPtr QueueModel::activeItem() const
{
    VideoItemPtr pausedConverting;
    for (const VideoItemPtr &item : qAsConst(d->items)) {
        if (item->state() != VideoItem::Converting)
            continue;
        if (!item->isPaused())
            return item;
        if (!pausedConverting)
            pausedConverting = item;
    }
    return pausedConverting;
}

int QueueModel::offeredCount() const
{
    return d->offeredCount();
}

VideoItemPtr QueueModel::firstReadyVideoItem() const
{
    for (const VideoItemPtr &item : qAsConst(d->items)) {
        if (item->state() == VideoItem::Imported && !item->isPaused()
            && !item->sourceCodecInfo()->resolution().isEmpty()
            && !item->targetCodecInfo()->resolution().isEmpty())
            return item;
    }
    return VideoItemPtr();
}

void QueueModel::startAll()
{
    QSet<QString> formats;
    int count = 0;
    const QVector<VideoItemPtr> snapshot = d->items;
    for (const VideoItemPtr &item : snapshot) {
        const VideoItem::State state = item->state();
        if ((state != VideoItem::Imported && state != VideoItem::ConvertFailed)
            || !hasTargetFormat(*item))
            continue;
        item->setState(VideoItem::Scheduled);
        d->batchStarted = true;
        formats.insert(item->sourceCodecInfo()->format());
        ++count;
    }
    MetricSender::send(QStringLiteral("start"), QString::number(count),
                       QStringList(formats.values()).join(QLatin1Char(',')));
}

void QueueModel::abortAll()
{
    d->batchStarted = false;
    const QVector<VideoItemPtr> snapshot = d->items;
    for (const VideoItemPtr &item : snapshot) {
        const VideoItem::State state = item->state();
        if (state == VideoItem::Converting || state == VideoItem::Scheduled)
            emit item->abortClicked();
    }
}

void QueueModel::pauseAll(bool paused)
{
    d->batchStarted = false;
    const QVector<VideoItemPtr> snapshot = d->items;
    for (const VideoItemPtr &item : snapshot) {
        const VideoItem::State state = item->state();
        if (state == VideoItem::Converting || state == VideoItem::Scheduled)
            item->setPaused(paused);
    }
}

void QueueModel::applyPreset(const VideoItemPtr &item, const PresetInfo *preset)
{
    if (item)
        item->applyPreset(preset);
}

void QueueModel::applyPresetToAll(const PresetInfo *preset)
{
    int changed = 0;
    for (const VideoItemPtr &item : qAsConst(d->items)) {
        if (item->state() == VideoItem::Imported && item->applyPreset(preset))
            ++changed;
    }
    qInfo().nospace().noquote() << "Apply preset [" << (preset ? preset->extension : QString())
                                << "] to all. Items count: " << changed;
}

void QueueModel::convertedItemsToHistory()
{
    QVector<VideoItemPtr> converted;
    for (const VideoItemPtr &item : qAsConst(d->items)) {
        if (item->state() == VideoItem::Converted)
            converted.append(item);
    }
    // The history inserts at its top: the earliest row must go last.
    for (auto it = converted.crbegin(); it != converted.crend(); ++it)
        (*it)->setState(VideoItem::History);
}

#include "moc_queuemodel.cpp"

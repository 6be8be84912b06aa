#include "appservicesfixture.h"
#include "core/appservices.h"
#include "core/dataexchangesvc.h"
#include "datamodel/codecinfo.h"
#include "datamodel/queuemodel.h"
#include "kelapplication.h"
#include "mediafixtures.h"
#include "metrics/usagestatistics.h"
#include "shared/formattables.h"
#include "shared/mimedata.h"
#include "shared/settingsprovider.h"
#include "waitbound.h"

#include <QDataStream>
#include <QFile>
#include <QHash>
#include <QMimeData>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <signal.h>

namespace {

// The test's own code for the stand-in worker: report a state for an item.
constexpr qint32 SendReportCode = 900;

using Items = QVector<VideoItemPtr>;

} // namespace

class tst_QueueModel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void addFilesAtRow();
    void firstTargetSettings_data();
    void firstTargetSettings();
    void scheduledItemsStartInRowOrder();
    void pausedItemDoesNotHoldQueue();
    void batchDoneOnceAfterStartAll();
    void pausingEndsBatchWithoutSignal();
    void abortThenConvertDoesNotHang();
    void lostWorkerFailsSentItem();
    void reportsCrossingAnAbortAreIgnored();
    void removingTheRunningItemStartsTheNext();
    void itemWithoutTargetFormatIsNotOffered();
    void refusedStartsTellWhy_data();
    void refusedStartsTellWhy();
    void linkIsFollowedFromItsFirstAnswer();
    void countersFollowPausesAndRemoval();
    void overallProgress();
    void remainingTimeOfAMixedBatch_data();
    void remainingTimeOfAMixedBatch();
    void moveRows();
    void dropsRefused();
    void convertedItemsGoToHistory();

private:
    Items addClips(const QStringList &names, int row = -1);
    VideoItemPtr at(int row) const;
    Items rows() const;
    void report(const VideoItemPtr &item, QueueItemState state, const QVariant &data = QVariant());
    QStringList journal() const;
    int journalCount(const QString &line) const;
    void startConverting(const Items &items);
    void killWorker();

    MediaFixtures m_fixtures;
    QString m_videoClip;
    QString m_audioClip;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<DataExchangeSvc> m_link;
    std::unique_ptr<QueueModel> m_model;
};

void tst_QueueModel::initTestCase()
{
    QVERIFY(m_fixtures.isValid());
    MediaFixtures::Clip video;
    video.frames = 25;
    video.audioChannels = 2;
    m_videoClip = m_fixtures.make(QStringLiteral("video.mp4"), video);
    QVERIFY(!m_videoClip.isEmpty());
    MediaFixtures::Clip audio;
    audio.video = false;
    audio.audioChannels = 2;
    m_audioClip = m_fixtures.make(QStringLiteral("audio.m4a"), audio);
    QVERIFY(!m_audioClip.isEmpty());

    appServices().workerProgram = QStringLiteral(REEL_BIN_DIR "/tests/queuetestworker");
}

void tst_QueueModel::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    qputenv("QUEUE_TEST_WORKER_JOURNAL", m_dir->filePath(QStringLiteral("journal")).toLocal8Bit());
    SettingsProvider::instance()->setTargetFolderType(Enums::InputFolder);
    SettingsProvider::instance()->setLastClickedFormat(QStringLiteral("MP4"));

    // As the application does at start-up: the link first, then the queue.
    m_link = std::make_unique<DataExchangeSvc>();
    m_link->startHandler();
    appServices().dataExchangeSvc = [this] { return m_link.get(); };
    m_model = std::make_unique<QueueModel>();
}

void tst_QueueModel::cleanup()
{
    m_model.reset();
    appServices().dataExchangeSvc = nullptr;
    m_link.reset();
}

Items tst_QueueModel::addClips(const QStringList &names, int row)
{
    QList<QUrl> urls;
    for (const QString &name : names) {
        const QString path = m_dir->filePath(name);
        const QString clip = name.endsWith(QLatin1String(".m4a")) ? m_audioClip : m_videoClip;
        if (!QFile::exists(path) && !QFile::copy(clip, path))
            qWarning() << "Can't copy" << clip << "to" << path;
        urls.append(QUrl::fromLocalFile(path));
    }
    const int before = m_model->rowCount();
    m_model->addNewItems(urls, row);
    const int first = row < 0 ? before : row;
    Items added;
    for (int i = 0; i < names.size(); ++i) {
        added.append(at(first + i));
        [&] { QTRY_COMPARE(added.last()->state(), VideoItem::Imported); }();
    }
    return added;
}

VideoItemPtr tst_QueueModel::at(int row) const
{
    return m_model->data(m_model->index(row), Qt::UserRole).value<VideoItemPtr>();
}

Items tst_QueueModel::rows() const
{
    Items all;
    for (int row = 0; row < m_model->rowCount(); ++row)
        all.append(at(row));
    return all;
}

void tst_QueueModel::report(const VideoItemPtr &item, QueueItemState state, const QVariant &data)
{
    QByteArray payload;
    QDataStream stream(&payload, QIODevice::ReadWrite);
    stream << SendReportCode << item->id() << qint32(state) << data;
    QVERIFY(m_link->write(payload));
}

QStringList tst_QueueModel::journal() const
{
    QFile file(m_dir->filePath(QStringLiteral("journal")));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

int tst_QueueModel::journalCount(const QString &line) const
{
    return journal().count(line);
}

static QString taskLine(const VideoItemPtr &item)
{
    return QStringLiteral("task ") + item->id().toString();
}

// Starts the queue and waits until the first item's task reached the worker.
void tst_QueueModel::startConverting(const Items &items)
{
    m_model->startAll();
    QTRY_COMPARE(items.first()->state(), VideoItem::Converting);
    QTRY_COMPARE(journalCount(taskLine(items.first())), 1);
}

void tst_QueueModel::addFilesAtRow()
{
    const Items abc = addClips({"a.mp4", "b.mp4", "c.mp4"});
    const Items added = addClips({"n1.mp4", "n2.mp4"}, 1);
    QCOMPARE(rows(), (Items{abc[0], added[0], added[1], abc[1], abc[2]}));
    const Items appended = addClips({"x.mp4", "y.mp4", "z.mp4"}, -1);
    QCOMPARE(rows().mid(5), appended);
    QCOMPARE(m_model->counters().value(VideoItem::Imported), 8);
    QCOMPARE(m_model->counters().value(VideoItem::Importing), 0);

    QSignalSpy inserted(m_model.get(), &QAbstractItemModel::rowsInserted);
    QSignalSpy counters(m_model.get(), &QueueModel::countersChanged);
    m_model->addNewItem(QUrl::fromLocalFile(m_dir->filePath("missing.mp4")), 0);
    m_model->addNewItem(QUrl(QStringLiteral("https://example.invalid/a.mp4")), 0);
    QCOMPARE(m_model->rowCount(), 8);
    QCOMPARE(inserted.count(), 0);
    QCOMPARE(counters.count(), 0);

    // Files added together go in as one block of rows with one counters
    // update; the missing one in between is skipped.
    QList<QUrl> batch;
    for (const char *name : {"p.mp4", "missing.mp4", "q.mp4", "r.m4a"}) {
        const QString path = m_dir->filePath(QLatin1String(name));
        if (!QByteArray(name).startsWith("missing"))
            QVERIFY(QFile::copy(QByteArray(name).endsWith(".m4a") ? m_audioClip : m_videoClip,
                                path));
        batch.append(QUrl::fromLocalFile(path));
    }
    m_model->addNewItems(batch, 2);
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(inserted.first().at(1).toInt(), 2);
    QCOMPARE(inserted.first().at(2).toInt(), 4);
    QVERIFY(!counters.isEmpty());
    // Later updates come from the imports finishing.
    const auto first = counters.first().first().value<VideoItem::StateCountersMap>();
    QCOMPARE(first.value(VideoItem::Importing), 3);
    QCOMPARE(first.value(VideoItem::Imported), 8);
    QCOMPARE(at(2)->sourceFileInfo().fileName(), QStringLiteral("p.mp4"));
    QCOMPARE(at(4)->sourceFileInfo().fileName(), QStringLiteral("r.m4a"));
    QCOMPARE(at(5), added[1]);
    QTRY_COMPARE(m_model->counters().value(VideoItem::Imported), 11);

    // Items follow the default output folder while they are not started.
    SettingsProvider::instance()->setTargetFolderType(Enums::Subfolder);
    QVERIFY(abc[0]->targetFilePath().startsWith(m_dir->filePath("converted/")));
}

void tst_QueueModel::firstTargetSettings_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("lastClicked");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("encoderFormat");

    QTest::newRow("video, MP4") << "v.mp4"
                                << "MP4"
                                << "MP4"
                                << "mp4";
    QTest::newRow("video, mp3") << "v.mp4"
                                << "mp3"
                                << "mp3"
                                << "mp3";
    QTest::newRow("audio, MP4") << "a.m4a"
                                << "MP4"
                                << ""
                                << "mp4";
    QTest::newRow("audio, mp3") << "a.m4a"
                                << "mp3"
                                << "mp3"
                                << "mp3";
}

void tst_QueueModel::firstTargetSettings()
{
    QFETCH(QString, file);
    QFETCH(QString, lastClicked);
    QFETCH(QString, format);
    QFETCH(QString, encoderFormat);
    SettingsProvider::instance()->setLastClickedFormat(lastClicked);

    const VideoItemPtr item = addClips({file}).first();
    const QSharedPointer<CodecInfo> target = item->targetCodecInfo();
    const FormatTables tables;
    QCOMPARE(target->format(), format);
    QCOMPARE(target->videoCodecName(), tables.videoEncoderForFormat(encoderFormat));
    QCOMPARE(target->audioStream().name, tables.audioEncoderForFormat(encoderFormat));
}

void tst_QueueModel::scheduledItemsStartInRowOrder()
{
    const Items items = addClips({"a.mp4", "b.mp4", "c.mp4"});
    // Three state changes within one scheduler period start one item.
    startConverting(items);
    QCOMPARE(items[1]->state(), VideoItem::Scheduled);
    QCOMPARE(items[2]->state(), VideoItem::Scheduled);
    QCOMPARE(journalCount(taskLine(items[1])), 0);

    report(items[0], QueueItemState::Processing, qlonglong(400));
    QTRY_COMPARE(items[0]->progress(), 400);
    QCOMPARE(items[1]->state(), VideoItem::Scheduled);

    report(items[0], QueueItemState::Done);
    QTRY_COMPARE(items[0]->state(), VideoItem::Converted);
    QCOMPARE(items[0]->progress(), 1000);
    QVERIFY(!items[0]->isTaskSent());
    QTRY_COMPARE(items[1]->state(), VideoItem::Converting);
    QTRY_COMPARE(journalCount(taskLine(items[1])), 1);
    QCOMPARE(items[2]->state(), VideoItem::Scheduled);

    // A late report for a finished item changes nothing.
    report(items[0], QueueItemState::Processing, qlonglong(10));
    report(items[1], QueueItemState::Processing, qlonglong(20));
    QTRY_COMPARE(items[1]->progress(), 20);
    QCOMPARE(items[0]->progress(), 1000);
    QCOMPARE(items[0]->state(), VideoItem::Converted);
}

void tst_QueueModel::pausedItemDoesNotHoldQueue()
{
    const Items items = addClips({"a.mp4", "b.mp4"});
    startConverting(items);

    items[0]->setPaused(true);
    QTRY_COMPARE(journalCount("pause " + items[0]->id().toString()), 1);
    QTRY_COMPARE(items[1]->state(), VideoItem::Converting);
    QCOMPARE(items[0]->state(), VideoItem::Converting);
    QCOMPARE(m_model->activeItem(), items[1]);

    QSignalSpy progress(items[0].data(), &VideoItem::progressChanged);
    items[0]->setPaused(false);
    QCOMPARE(items[0]->state(), VideoItem::Scheduled);
    report(items[1], QueueItemState::Done);
    QTRY_COMPARE(items[0]->state(), VideoItem::Converting);
    // The worker still holds the task: it is resumed, not sent again. Its
    // answer of -1 (no progress yet) leaves the progress at 0.
    QTRY_COMPARE(journalCount("resume " + items[0]->id().toString()), 1);
    QCOMPARE(journalCount(taskLine(items[0])), 1);
    report(items[0], QueueItemState::Processing, qlonglong(300));
    QTRY_COMPARE(items[0]->progress(), 300);
    QCOMPARE(progress.count(), 1);
    QCOMPARE(m_model->activeItem(), items[0]);
}

void tst_QueueModel::batchDoneOnceAfterStartAll()
{
    const Items items = addClips({"a.mp4", "b.mp4"});
    QSignalSpy done(m_model.get(), &QueueModel::batchProcessDone);
    startConverting(items);
    report(items[0], QueueItemState::Failed, QStringLiteral("the disk is full"));
    QTRY_COMPARE(items[1]->state(), VideoItem::Converting);
    QCOMPARE(done.count(), 0);
    report(items[1], QueueItemState::Done);
    QTRY_COMPARE(done.count(), 1);
    QCOMPARE(items[0]->state(), VideoItem::ConvertFailed);
    QCOMPARE(items[0]->failDetail(), QStringLiteral("the disk is full"));

    // Leaving the finished states does not end the batch a second time.
    items[0]->setState(VideoItem::Imported);
    QCOMPARE(items[0]->failDetail(), QString());
    items[0]->setState(VideoItem::Converted);
    QCOMPARE(done.count(), 1);

    // A start with nothing to start opens no batch.
    m_model->startAll();
    items[1]->setState(VideoItem::ConvertFailed);
    QCOMPARE(done.count(), 1);
}

void tst_QueueModel::pausingEndsBatchWithoutSignal()
{
    const Items items = addClips({"a.mp4"});
    QSignalSpy done(m_model.get(), &QueueModel::batchProcessDone);
    startConverting(items);
    m_model->pauseAll(true);
    QTRY_COMPARE(journalCount("pause " + items[0]->id().toString()), 1);
    m_model->pauseAll(false);
    QTRY_COMPARE(journalCount("resume " + items[0]->id().toString()), 1);
    report(items[0], QueueItemState::Done);
    QTRY_COMPARE(items[0]->state(), VideoItem::Converted);
    QCOMPARE(done.count(), 0);
}

void tst_QueueModel::abortThenConvertDoesNotHang()
{
    const Items items = addClips({"a.mp4"});
    const VideoItemPtr item = items[0];
    startConverting(items);

    const qint64 cancelled = appServices().usageStatistics->value(QStringLiteral("cancel"));
    emit item->abortClicked();
    QCOMPARE(item->state(), VideoItem::Imported);
    QCOMPARE(appServices().usageStatistics->value(QStringLiteral("cancel")), cancelled + 1);
    emit item->convertClicked();
    QCOMPARE(item->state(), VideoItem::Scheduled);
    QTRY_COMPARE(journalCount("abort " + item->id().toString()), 1);
    // Well past the scheduler's delay: while the abort is unanswered the item
    // is neither started nor resumed.
    QTest::qWait(300);
    QCOMPARE(item->state(), VideoItem::Scheduled);
    QCOMPARE(journalCount("resume " + item->id().toString()), 0);

    report(item, QueueItemState::Aborted);
    QTRY_COMPARE(journalCount(taskLine(item)), 2);
    QCOMPARE(item->state(), VideoItem::Converting);
    report(item, QueueItemState::Done);
    QTRY_COMPARE(item->state(), VideoItem::Converted);
}

void tst_QueueModel::lostWorkerFailsSentItem()
{
    const Items items = addClips({"a.mp4", "b.mp4"});
    startConverting(items);
    QCOMPARE(journal().filter(QRegularExpression("^start ")).size(), 1);

    killWorker();
    QTRY_COMPARE(items[0]->state(), VideoItem::ConvertFailed);
    QVERIFY(!items[0]->isTaskSent());

    // The next send starts a new worker.
    QTRY_COMPARE(journalCount(taskLine(items[1])), 1);
    QCOMPARE(journal().filter(QRegularExpression("^start ")).size(), 2);
    QCOMPARE(items[1]->state(), VideoItem::Converting);
    report(items[1], QueueItemState::Done);
    QTRY_COMPARE(items[1]->state(), VideoItem::Converted);
}

void tst_QueueModel::killWorker()
{
    const QStringList started = journal().filter(QRegularExpression("^start "));
    QVERIFY(!started.isEmpty());
    QCOMPARE(::kill(started.last().mid(6).toInt(), SIGKILL), 0);
}

void tst_QueueModel::reportsCrossingAnAbortAreIgnored()
{
    const VideoItemPtr item = addClips({"a.mp4"}).first();
    startConverting({item});
    emit item->abortClicked();
    QTRY_COMPARE(journalCount("abort " + item->id().toString()), 1);

    // Sent by the worker before it saw the abort.
    QSignalSpy reports(m_link.get(), &DataExchangeSvc::remoteItemStateChanged);
    report(item, QueueItemState::Processing, qlonglong(400));
    QVERIFY(reports.wait(WaitBound::ms()));
    QCOMPARE(item->progress(), 0);

    // The worker is lost before it answered the abort: the item stays reset.
    killWorker();
    QTRY_VERIFY(!item->isTaskSent());
    QCOMPARE(item->state(), VideoItem::Imported);
    QCOMPARE(item->progress(), 0);
}

void tst_QueueModel::removingTheRunningItemStartsTheNext()
{
    const Items items = addClips({"a.mp4", "b.mp4"});
    startConverting(items);
    // Well past the scheduler's delay: no start is pending any more.
    QTest::qWait(300);
    QCOMPARE(items[1]->state(), VideoItem::Scheduled);
    m_model->removeItem(items[0]);
    QTRY_COMPARE(journalCount("abort " + items[0]->id().toString()), 1);
    QTRY_COMPARE(journalCount(taskLine(items[1])), 1);
    QCOMPARE(items[1]->state(), VideoItem::Converting);
}

void tst_QueueModel::itemWithoutTargetFormatIsNotOffered()
{
    // An audio-only source keeps no format from a video choice.
    const Items items = addClips({"a.m4a", "v.mp4"});
    QVERIFY(items[0]->targetCodecInfo()->format().isEmpty());
    QCOMPARE(m_model->counters().value(VideoItem::Imported), 2);
    QCOMPARE(m_model->offeredCount(), 1);
    QSignalSpy done(m_model.get(), &QueueModel::batchProcessDone);

    // Convert all neither starts it nor waits for it.
    m_model->startAll();
    QCOMPARE(items[0]->state(), VideoItem::Imported);
    QTRY_COMPARE_WITH_TIMEOUT(journalCount(taskLine(items[1])), 1, WaitBound::ms());
    report(items[1], QueueItemState::Done);
    QTRY_COMPARE(done.count(), 1);
    QCOMPARE(items[0]->state(), VideoItem::Imported);
    QCOMPARE(journalCount(taskLine(items[0])), 0);

    // Choosing a format offers it; the counters say so.
    QSignalSpy counters(m_model.get(), &QueueModel::countersChanged);
    items[0]->targetCodecInfo()->setFormat(QStringLiteral("mp3"));
    QCOMPARE(m_model->offeredCount(), 1);
    QCOMPARE(counters.count(), 1);
    // Another format offers nothing more.
    items[0]->targetCodecInfo()->setFormat(QStringLiteral("m4a"));
    QCOMPARE(counters.count(), 1);
}

void tst_QueueModel::refusedStartsTellWhy_data()
{
    QTest::addColumn<QString>("cause");
    QTest::addColumn<int>("reason");
    QTest::newRow("no format") << "format" << int(VideoItem::NoTargetFormat);
    QTest::newRow("source gone") << "source" << int(VideoItem::SourceMissing);
    QTest::newRow("output folder is a file") << "folder" << int(VideoItem::OutputFolderNotWritable);
}

void tst_QueueModel::refusedStartsTellWhy()
{
    QFETCH(QString, cause);
    QFETCH(int, reason);
    const VideoItemPtr item = addClips({"a.mp4"}).first();
    if (cause == QLatin1String("format")) {
        item->targetCodecInfo()->setFormat(QString());
    } else if (cause == QLatin1String("source")) {
        QVERIFY(QFile::remove(item->sourceFileInfo().absoluteFilePath()));
    } else {
        const QString blocker = m_dir->filePath(QStringLiteral("blocker"));
        QFile file(blocker);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        item->setTargetFolderType(Enums::CustomFolder);
        item->setTargetFolderPath(blocker + QStringLiteral("/out"));
    }
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Not converted:"));
    emit item->convertClicked();
    QTRY_COMPARE(item->state(), VideoItem::ConvertFailed);
    QCOMPARE(int(item->failReason()), reason);
    QCOMPARE(journalCount(taskLine(item)), 0);

    // A new attempt starts without the old reason; the worker's failure
    // gives its own.
    item->setState(VideoItem::Scheduled);
    QCOMPARE(item->failReason(), VideoItem::NoFailure);
}

void tst_QueueModel::linkIsFollowedFromItsFirstAnswer()
{
    // As before the application can make the link: there is none yet.
    m_model.reset();
    appServices().dataExchangeSvc = [] { return nullptr; };
    QTest::ignoreMessage(QtCriticalMsg, "No worker link: the queue can't convert");
    m_model = std::make_unique<QueueModel>();
    const VideoItemPtr item = addClips({"a.mp4"}).first();
    QTest::ignoreMessage(QtCriticalMsg, "No worker link: the queue can't convert");
    emit item->convertClicked();
    QTRY_COMPARE(item->state(), VideoItem::ConvertFailed);

    // Made on first use: the queue sends through it and follows its reports.
    appServices().dataExchangeSvc = [this] { return m_link.get(); };
    emit item->convertClicked();
    QTRY_COMPARE(journalCount(taskLine(item)), 1);
    report(item, QueueItemState::Done);
    QTRY_COMPARE(item->state(), VideoItem::Converted);
}

void tst_QueueModel::countersFollowPausesAndRemoval()
{
    const Items items = addClips({"a.mp4", "b.mp4"});
    QSignalSpy counters(m_model.get(), &QueueModel::countersChanged);
    items[0]->setPaused(true);
    QCOMPARE(counters.count(), 2); // the pause, then the nudge of the scheduler
    QCOMPARE(m_model->counters().value(VideoItem::Paused), 1);
    QCOMPARE(counters.last().first().value<VideoItem::StateCountersMap>(), m_model->counters());

    emit items[0]->removeClicked();
    QCOMPARE(m_model->rowCount(), 1);
    QCOMPARE(m_model->counters().value(VideoItem::Paused), 0);
    QCOMPARE(m_model->counters().value(VideoItem::Imported), 1);
    QVERIFY(!m_model->itemById(items[0]->id()));
    QCOMPARE(m_model->itemById(items[1]->id()), items[1]);

    // A removed item no longer reaches the model.
    items[0]->setState(VideoItem::Scheduled);
    QCOMPARE(m_model->counters().value(VideoItem::Scheduled), 0);
}

void tst_QueueModel::overallProgress()
{
    qint64 now = 1000000;
    VideoItem::setClock([&now] { return now; });
    const Items items = addClips({"a.mp4", "b.mp4"});
    QSignalSpy progress(m_model.get(), &QueueModel::percentProgressChanged);
    QCOMPARE(items[0]->trimmedDuration(), items[1]->trimmedDuration());
    QCOMPARE(items[1]->targetCodecInfo()->resolution(), QSize(320, 240));

    // Nothing Converting, Scheduled or Converted: no overall progress.
    items[0]->setProgress(10);
    QCOMPARE(progress.count(), 0);

    // Set by hand: no item is Scheduled, so nothing is sent.
    items[0]->setState(VideoItem::Converted);
    items[0]->setProgress(1000);
    items[1]->setState(VideoItem::Converting);
    // Its first report tells only its start-up: no time yet.
    now += 300;
    items[1]->setProgress(100);
    QVERIFY(!progress.last().at(1).toTime().isValid());
    now += 800;
    items[1]->setProgress(500);
    QCOMPARE(progress.last().at(0).toInt(), 750);
    // Two fifths of its work took 800 ms after the start-up: the half left
    // takes one second.
    QCOMPARE(progress.last().at(1).toTime(), QTime::fromMSecsSinceStartOfDay(1000));
    VideoItem::setClock(VideoItem::Clock());
}

void tst_QueueModel::remainingTimeOfAMixedBatch_data()
{
    // Items as kind:media seconds. Kinds and their true conversion speeds,
    // in ms per second of media, as the worker converted on a loaded
    // machine: v 1280x720 video to mp4 280, s 320x240 video 90, a mp3 12,
    // m AAC 20; each item also spends 250 ms starting.
    QTest::addColumn<QString>("batch");
    QTest::newRow("video, then audio") << "v:30 a:30 a:40";
    QTest::newRow("audio, then video") << "a:30 m:60 v:30";
    QTest::newRow("interleaved") << "s:10 a:40 v:20 m:20 s:30";
    QTest::newRow("audio only") << "m:30 a:70";
    QTest::newRow("many short audio, one long video") << "a:5 a:5 a:5 a:5 v:60";
}

// The footer's estimate on an injected clock: unknown until an item tells
// its speed, and once a fifth of the batch is done, within twice the time
// that truly remains.
void tst_QueueModel::remainingTimeOfAMixedBatch()
{
    QFETCH(QString, batch);
    struct Planned
    {
        VideoItemPtr item;
        qint64 ms = 0;
    };
    const QHash<QChar, double> msPerSecond{{'v', 280}, {'s', 90}, {'a', 12}, {'m', 20}};
    constexpr qint64 StartMs = 250;

    qint64 now = 1000000;
    VideoItem::setClock([&now] { return now; });
    QVector<Planned> plan;
    const QStringList parts = batch.split(QLatin1Char(' '));
    for (int i = 0; i < parts.size(); ++i) {
        const QChar kind = parts.at(i).at(0);
        const qint64 seconds = parts.at(i).mid(2).toLongLong();
        const bool audio = kind == QLatin1Char('a') || kind == QLatin1Char('m');
        const VideoItemPtr item = addClips({QStringLiteral("%1%2.%3").arg(kind).arg(i).arg(
                                                   audio ? "m4a" : "mp4")})
                                          .first();
        const char *format = kind == QLatin1Char('a') ? "mp3" : audio ? "m4a" : "mp4";
        item->targetCodecInfo()->setFormat(QLatin1String(format));
        item->targetCodecInfo()->setResolution(kind == QLatin1Char('v') ? QSize(1280, 720)
                                                                        : QSize(320, 240));
        item->setDuration(seconds * 10000000);
        item->setTrim(0, seconds * 10000000);
        plan.append({item, StartMs + qint64(msPerSecond.value(kind) * seconds)});
    }
    // By hand and without the event loop: nothing reaches the worker.
    for (const Planned &p : qAsConst(plan))
        p.item->setState(VideoItem::Scheduled);

    QSignalSpy progress(m_model.get(), &QueueModel::percentProgressChanged);
    bool firstReport = true;
    for (int i = 0; i < plan.size(); ++i) {
        const qint64 start = now;
        plan[i].item->setState(VideoItem::Converting);
        for (int perMille = 10; perMille <= 1000; perMille += 10) {
            now = start + StartMs + (plan[i].ms - StartMs) * perMille / 1000;
            plan[i].item->setProgress(perMille);
            const int percent = progress.last().at(0).toInt();
            const QTime estimate = progress.last().at(1).toTime();
            if (firstReport)
                QVERIFY2(!estimate.isValid(), "no speed is known yet");
            firstReport = false;
            if (percent < 200)
                continue;
            qint64 truth = start + plan[i].ms - now;
            for (int later = i + 1; later < plan.size(); ++later)
                truth += plan[later].ms;
            if (truth < 1000)
                continue;
            QVERIFY2(estimate.isValid(), qPrintable(QString::number(percent)));
            const qint64 shown = estimate.msecsSinceStartOfDay();
            if (shown * 2 < truth || shown > truth * 2)
                QFAIL(qPrintable(QStringLiteral("at %1 per mille: %2 ms shown, %3 ms left")
                                         .arg(percent)
                                         .arg(shown)
                                         .arg(truth)));
        }
        plan[i].item->setState(VideoItem::Converted);
    }
    VideoItem::setClock(VideoItem::Clock());
}

void tst_QueueModel::moveRows()
{
    const Items abc = addClips({"a.mp4", "b.mp4", "c.mp4"});
    QSignalSpy moved(m_model.get(), &QAbstractItemModel::rowsMoved);
    std::unique_ptr<QMimeData> drag(m_model->mimeData({m_model->index(0)}));
    QVERIFY(m_model->dropMimeData(drag.get(), Qt::MoveAction, 2, 0, QModelIndex()));
    QCOMPARE(rows(), (Items{abc[1], abc[2], abc[0]}));
    QCOMPARE(moved.count(), 1);
    QCOMPARE(moved.first().at(4).toInt(), 3);

    drag.reset(m_model->mimeData({m_model->index(2)}));
    QVERIFY(m_model->dropMimeData(drag.get(), Qt::MoveAction, 0, 0, QModelIndex()));
    QCOMPARE(rows(), abc);

    // Dropped files land at the drop row.
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(m_dir->filePath("a.mp4"))});
    QVERIFY(m_model->dropMimeData(&files, Qt::CopyAction, 1, 0, QModelIndex()));
    QCOMPARE(m_model->rowCount(), 4);
    QCOMPARE(rows().at(2), abc[1]);
}

void tst_QueueModel::dropsRefused()
{
    const Items items = addClips({"a.mp4", "b.mp4"});
    const Items before = rows();

    std::unique_ptr<QMimeData> two(m_model->mimeData({m_model->index(0), m_model->index(1)}));
    QTest::ignoreMessage(QtWarningMsg, "Drop multiple rows is not implemented.");
    QVERIFY(!m_model->dropMimeData(two.get(), Qt::MoveAction, 1, 0, QModelIndex()));

    std::unique_ptr<QMimeData> one(m_model->mimeData({m_model->index(0)}));
    QTest::ignoreMessage(QtCriticalMsg, "Try drop into row 7 but count is 2");
    QVERIFY(!m_model->dropMimeData(one.get(), Qt::MoveAction, 7, 0, QModelIndex()));
    QTest::ignoreMessage(QtCriticalMsg, "Try drop into row -1 but count is 2");
    QVERIFY(!m_model->dropMimeData(one.get(), Qt::MoveAction, -1, 0, QModelIndex()));
    // Row 2 is a place to insert files, not a row to move to.
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Can't move row"));
    QVERIFY(!m_model->dropMimeData(one.get(), Qt::MoveAction, 2, 0, QModelIndex()));

    QMimeData text;
    text.setText(QStringLiteral("not a file"));
    QVERIFY(!m_model->dropMimeData(&text, Qt::CopyAction, 0, 0, QModelIndex()));
    QCOMPARE(rows(), before);
}

void tst_QueueModel::convertedItemsGoToHistory()
{
    const Items items = addClips({"a.mp4", "b.mp4", "c.mp4", "d.mp4"});
    items[1]->setState(VideoItem::Converted);
    items[3]->setState(VideoItem::Converted);
    QSignalSpy moved(m_model.get(), &QueueModel::movedToHistory);

    m_model->convertedItemsToHistory();
    QCOMPARE(moved.count(), 2);
    QCOMPARE(moved.at(0).first().value<VideoItemPtr>(), items[3]);
    QCOMPARE(moved.at(1).first().value<VideoItemPtr>(), items[1]);
    QCOMPARE(items[1]->state(), VideoItem::History);
    QCOMPARE(rows(), (Items{items[0], items[2]}));
    QCOMPARE(m_model->counters().value(VideoItem::Converted), 0);
    QCOMPARE(m_model->counters().value(VideoItem::History), 0);
    QCOMPARE(m_model->counters().value(VideoItem::Imported), 2);
}

int main(int argc, char *argv[])
{
    KelApplication app(argc, argv);
    AppServicesFixture services(app);
    tst_QueueModel test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_queuemodel.moc"

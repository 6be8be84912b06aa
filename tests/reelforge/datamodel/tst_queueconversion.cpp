#include "appservicesfixture.h"
#include "childprocess.h"
#include "core/appservices.h"
#include "core/dataexchangesvc.h"
#include "core/mediaimport.h"
#include "core/partialoutput.h"
#include "datamodel/queuemodel.h"
#include "kelapplication.h"
#include "mediafixtures.h"
#include "metrics/usagestatistics.h"
#include "shared/formattables.h"
#include "shared/settingsprovider.h"
#include "waitbound.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

namespace {

// The queue on the real worker, converting to MP4 in the subfolder
// "converted" of each source's folder.
struct ConversionQueue
{
    ConversionQueue()
    {
        appServices().workerProgram = QStringLiteral(REEL_BIN_DIR "/reelworker");
        // Connected before the first task: a send that finds no worker
        // starts one anew and gives it only a few seconds.
        QSignalSpy connected(&link, &RemoteHandler::handlerReady);
        link.startHandler();
        ready = connected.wait(WaitBound::ms());
        appServices().dataExchangeSvc = [this] { return &link; };
        SettingsProvider::instance()->setTargetFolderType(Enums::Subfolder);
        SettingsProvider::instance()->setLastClickedFormat(QStringLiteral("MP4"));
        queue = std::make_unique<QueueModel>();
    }
    ~ConversionQueue()
    {
        queue.reset();
        link.sendExitRequest();
        appServices().dataExchangeSvc = nullptr;
    }

    QVector<VideoItemPtr> add(const QStringList &paths)
    {
        QList<QUrl> urls;
        for (const QString &path : paths)
            urls.append(QUrl::fromLocalFile(path));
        queue->addNewItems(urls, -1);
        QVector<VideoItemPtr> items;
        for (int row = 0; row < queue->rowCount(); ++row)
            items.append(queue->data(queue->index(row), Qt::UserRole).value<VideoItemPtr>());
        return items;
    }

    DataExchangeSvc link;
    bool ready = false;
    std::unique_ptr<QueueModel> queue;
};

QString partialOf(const VideoItemPtr &item)
{
    return PartialOutput::pathFor(item->targetFilePath(), item->id());
}

// Seconds of media in a file, -1 when it does not probe.
double seconds(const QString &path)
{
    const AVMediaFileInfo info = mediaimport::probe(path);
    return info.hasVideo ? info.duration / 1e7 : -1;
}

} // namespace

// The whole road of a conversion: files queued, probed, converted one at a
// time by the real worker, and checked afterwards.
class tst_QueueConversion : public QObject
{
    Q_OBJECT

private slots:
    void threeClipsConvert();
    void sameNameItemsKeepTheirOutputs_data();
    void sameNameItemsKeepTheirOutputs();
    void lostWorkerLeavesNoBrokenFile();

private:
    MediaFixtures m_fixtures;
};

void tst_QueueConversion::threeClipsConvert()
{
    MediaFixtures fixtures;
    QVERIFY(fixtures.isValid());
    QList<QUrl> urls;
    for (const char *name : {"one.mp4", "two.mkv", "three.mov"}) {
        MediaFixtures::Clip clip;
        clip.frames = 25;
        clip.audioChannels = 2;
        const QString path = fixtures.make(QString::fromLatin1(name), clip);
        QVERIFY(!path.isEmpty());
        urls.append(QUrl::fromLocalFile(path));
    }

    appServices().workerProgram = QStringLiteral(REEL_BIN_DIR "/reelworker");
    DataExchangeSvc link;
    QSignalSpy connected(&link, &RemoteHandler::handlerReady);
    link.startHandler();
    QVERIFY(connected.wait(WaitBound::ms()));
    appServices().dataExchangeSvc = [&link] { return &link; };
    SettingsProvider::instance()->setTargetFolderType(Enums::Subfolder);
    SettingsProvider::instance()->setLastClickedFormat(QStringLiteral("MP4"));

    QueueModel queue;
    QSignalSpy done(&queue, &QueueModel::batchProcessDone);
    queue.addNewItems(urls, -1);
    QTRY_COMPARE(queue.counters().value(VideoItem::Imported), 3);

    queue.startAll();
    QTRY_COMPARE(done.count(), 1);
    QCOMPARE(queue.counters().value(VideoItem::Converted), 3);

    for (int row = 0; row < queue.rowCount(); ++row) {
        const VideoItemPtr item = queue.data(queue.index(row), Qt::UserRole).value<VideoItemPtr>();
        QCOMPARE(item->progress(), 1000);
        const QString output = item->targetFilePath();
        QVERIFY2(output.endsWith(QLatin1String(".MP4"), Qt::CaseInsensitive), qPrintable(output));
        QCOMPARE(QFileInfo(output).dir().dirName(), QStringLiteral("converted"));
        const AVMediaFileInfo info = mediaimport::probe(output);
        QVERIFY2(info.hasVideo && info.hasAudio, qPrintable(output));
        QCOMPARE(info.resolution, QSize(320, 240));
        // One second of source, within a few frames.
        QVERIFY2(qAbs(info.duration - 10000000) < 1500000,
                 qPrintable(QString::number(info.duration)));
    }

    link.sendExitRequest();
    appServices().dataExchangeSvc = nullptr;
}

void tst_QueueConversion::sameNameItemsKeepTheirOutputs_data()
{
    QTest::addColumn<bool>("abortFirst");
    QTest::newRow("pause, resume") << false;
    QTest::newRow("pause, abort") << true;
}

// Two sources of one base name get one output name as long as neither has
// started; the second to start must not take the name of the first, whose
// output exists only once it is complete.
void tst_QueueConversion::sameNameItemsKeepTheirOutputs()
{
    QFETCH(bool, abortFirst);
    MediaFixtures::Clip clip;
    clip.size = QSize(640, 360);
    clip.frames = 750;
    clip.audioChannels = 2;
    const QString longer = m_fixtures.make(QStringLiteral("clip.mkv"), clip);
    clip.frames = 25;
    const QString shorter = m_fixtures.make(QStringLiteral("clip.mov"), clip);
    QVERIFY(!longer.isEmpty() && !shorter.isEmpty());
    QDir(m_fixtures.path(QStringLiteral("converted"))).removeRecursively();

    ConversionQueue conversion;
    QVERIFY(conversion.ready);
    const QVector<VideoItemPtr> items = conversion.add({longer, shorter});
    QCOMPARE(items.size(), 2);
    const VideoItemPtr first = items[0];
    const VideoItemPtr second = items[1];
    QTRY_COMPARE(conversion.queue->counters().value(VideoItem::Imported), 2);
    QCOMPARE(first->targetFilePath(), second->targetFilePath());

    conversion.queue->startAll();
    QTRY_VERIFY(first->progress() > 0);
    first->setPaused(true);
    QTRY_COMPARE(second->state(), VideoItem::Converted);
    const QString firstTarget = first->targetFilePath();
    QVERIFY2(second->targetFilePath() != firstTarget, qPrintable(firstTarget));
    QVERIFY(!QFileInfo::exists(firstTarget));

    if (abortFirst) {
        emit first->abortClicked();
        QTRY_VERIFY(!QFileInfo::exists(partialOf(first)));
        QVERIFY(!QFileInfo::exists(firstTarget));
    } else {
        first->setPaused(false);
        QTRY_COMPARE(first->state(), VideoItem::Converted);
        QVERIFY2(qAbs(seconds(firstTarget) - 30) < 0.5, qPrintable(firstTarget));
    }
    QVERIFY2(qAbs(seconds(second->targetFilePath()) - 1) < 0.2,
             qPrintable(second->targetFilePath()));
}

// A worker killed mid-task fails its item, and the GUI removes the output
// it was writing.
void tst_QueueConversion::lostWorkerLeavesNoBrokenFile()
{
    MediaFixtures::Clip clip;
    clip.size = QSize(640, 360);
    clip.frames = 750;
    clip.audioChannels = 2;
    const QString source = m_fixtures.make(QStringLiteral("killed.mp4"), clip);
    QVERIFY(!source.isEmpty());

    ConversionQueue conversion;
    QVERIFY(conversion.ready);
    const VideoItemPtr item = conversion.add({source}).value(0);
    QVERIFY(item);
    QTRY_COMPARE(item->state(), VideoItem::Imported);
    conversion.queue->startAll();
    QTRY_VERIFY(item->progress() > 0 && QFileInfo(partialOf(item)).size() > 0);

    const pid_t worker = childProcessNamed("reelworker");
    QVERIFY(worker > 0);
    QCOMPARE(::kill(worker, SIGKILL), 0);
    QTRY_COMPARE(item->state(), VideoItem::ConvertFailed);
    QVERIFY(!QFileInfo::exists(partialOf(item)));
    QVERIFY(!QFileInfo::exists(item->targetFilePath()));
}

int main(int argc, char *argv[])
{
    KelApplication app(argc, argv);
    AppServicesFixture services(app);
    tst_QueueConversion test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_queueconversion.moc"

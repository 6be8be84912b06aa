#include "appservicesfixture.h"
#include "core/dataexchangesvc.h"
#include "core/mediaimport.h"
#include "datamodel/queuemodel.h"
#include "kelapplication.h"
#include "mediafixtures.h"
#include "metrics/usagestatistics.h"
#include "shared/appservices.h"
#include "shared/formattables.h"
#include "shared/settingsprovider.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

// The whole road of a conversion: files queued, probed, converted one at a
// time by the real worker, and checked afterwards.
class tst_QueueConversion : public QObject
{
    Q_OBJECT

private slots:
    void threeClipsConvert();
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
    link.startHandler();
    appServices().dataExchangeSvc = [&link] { return &link; };
    SettingsProvider::instance()->setTargetFolderType(Enums::Subfolder);
    SettingsProvider::instance()->setLastClickedFormat(QStringLiteral("MP4"));

    QueueModel queue;
    QSignalSpy done(&queue, &QueueModel::batchProcessDone);
    queue.addNewItems(urls, -1);
    QTRY_COMPARE_WITH_TIMEOUT(queue.counters().value(VideoItem::Imported), 3, 20000);

    queue.startAll();
    QTRY_COMPARE_WITH_TIMEOUT(done.count(), 1, 120000);
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

int main(int argc, char *argv[])
{
    KelApplication app(argc, argv);
    AppServicesFixture services(app);
    tst_QueueConversion test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_queueconversion.moc"

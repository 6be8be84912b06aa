#include "core/appservices.h"
#include "core/dataexchangesvc.h"
#include "core/transcodinginfo.h"
#include "datamodel/codecinfo.h"
#include "datamodel/videoitem.h"
#include "metrics/usagestatistics.h"
#include "shared/settingsprovider.h"
#include "waitbound.h"

#include <cpuinfo/cpuinfo.h>
#include <kellogger/kellogger.h>

#include <QDataStream>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

// The stand-in worker answers every message with a state message whose state
// is the received code and whose data is the received payload.

namespace {

const char echoWorker[] = REEL_BIN_DIR "/tests/exchangetestworker";

struct Report
{
    QUuid uid;
    qint32 state = 0;
    QVariant data;
};

Report report(const QList<QVariant> &arguments)
{
    return {arguments.at(0).toUuid(), qint32(arguments.at(1).value<QueueItemState>()),
            arguments.at(2)};
}

// Takes the first report with the given state out of the spy, waiting for
// it when it has not arrived yet.
Report takeReport(QSignalSpy &spy, qint32 state)
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        for (int i = 0; i < spy.count(); ++i) {
            if (report(spy.at(i)).state == state)
                return report(spy.takeAt(i));
        }
        spy.wait(WaitBound::ms());
    }
    return {};
}

TranscodingInfo decodeTask(const QByteArray &payload)
{
    QDataStream in(payload);
    qint32 code = 0;
    TranscodingInfo task;
    in >> code >> task;
    return code == LinkMessages::AddItem ? task : TranscodingInfo();
}

} // namespace

class tst_DataExchangeSvc : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void crashParamsGoBeforeTheStartingTask();
    void taskRules_data();
    void taskRules();
    void taskCarriesTheItem();
    void secondSendResumes();
    void abortPauseAndCutReports();
    void failedWriteFailsTheItem_data();
    void failedWriteFailsTheItem();

private:
    VideoItemPtr newItem(const QString &format);

    QTemporaryDir m_dir;
    UsageStatistics m_statistics;
    std::unique_ptr<DataExchangeSvc> m_link;
    std::unique_ptr<QSignalSpy> m_reports;
};

void tst_DataExchangeSvc::initTestCase()
{
    registerSettingsMetaTypes();
    AppServices &services = appServices();
    services.workerProgram = QString::fromLatin1(echoWorker);
    services.settingsFileName = QStringLiteral("/home/u/.config/reelforge.ini");
    services.usageStatistics = &m_statistics;

    m_link = std::make_unique<DataExchangeSvc>();
    m_reports = std::make_unique<QSignalSpy>(m_link.get(), &DataExchangeSvc::remoteItemStateChanged);
    m_link->startHandler();
    QVERIFY(QSignalSpy(m_link.get(), &RemoteHandler::handlerReady).wait(WaitBound::ms()));
    QVERIFY(takeReport(*m_reports, LinkMessages::CrashReporterParams).data.isValid());
}

void tst_DataExchangeSvc::init()
{
    m_reports->clear();
    m_statistics.clear();
}

void tst_DataExchangeSvc::cleanupTestCase()
{
    QSignalSpy closed(m_link.get(), &RemoteHandler::handlerClosed);
    QTest::ignoreMessage(QtInfoMsg, "handler finished");
    m_link->sendExitRequest();
    QVERIFY(closed.wait(WaitBound::ms()));
    m_link.reset();
}

VideoItemPtr tst_DataExchangeSvc::newItem(const QString &format)
{
    auto item = VideoItemPtr::create(QFileInfo(m_dir.filePath("in/clip.mov")));
    item->setTargetFolderType(Enums::CustomFolder);
    item->setTargetFolderPath(m_dir.filePath("out"));
    item->targetCodecInfo()->setFormat(format);
    item->targetCodecInfo()->setVideoCodecName("libx264");
    item->targetCodecInfo()->setAudioCodecName("aac");
    item->targetCodecInfo()->setResolution(QSize(640, 360));
    return item;
}

void tst_DataExchangeSvc::crashParamsGoBeforeTheStartingTask()
{
    // The worker starts with the first message, as it does in the program.
    DataExchangeSvc link;
    QSignalSpy reports(&link, &DataExchangeSvc::remoteItemStateChanged);
    const VideoItemPtr item = newItem("mp4");

    QTest::ignoreMessage(QtInfoMsg, "handler started");
    link.sendTask(item);
    QTRY_COMPARE(reports.count(), 2);

    const Report params = report(reports.at(0));
    QCOMPARE(params.state, qint32(LinkMessages::CrashReporterParams));
    QDataStream in(params.data.toByteArray());
    qint32 code = 0;
    QStringList values;
    in >> code >> values;
    QCOMPARE(values,
             QStringList({CpuInfo().machineId(), appServices().settingsFileName,
                          KelLogger::logDir() + "/dxdiag.txt"}));

    const Report task = report(reports.at(1));
    QCOMPARE(task.state, qint32(LinkMessages::AddItem));
    QCOMPARE(task.uid, item->id());

    QSignalSpy closed(&link, &RemoteHandler::handlerClosed);
    QTest::ignoreMessage(QtInfoMsg, "handler finished");
    link.sendExitRequest();
    QVERIFY(closed.wait(WaitBound::ms()));
}

void tst_DataExchangeSvc::taskRules_data()
{
    QTest::addColumn<QString>("container");
    QTest::addColumn<QString>("videoEncoder");
    QTest::addColumn<bool>("useAudio");
    QTest::addColumn<int>("channels");
    QTest::addColumn<int>("level");
    QTest::addColumn<int>("videoRecords");
    QTest::addColumn<int>("quality");
    QTest::addColumn<int>("audioRecords");
    QTest::addColumn<int>("sentChannels");

    QTest::newRow("no video encoder") << "mp3"
                                      << "" << true << 2 << 3 << 0 << 0 << 1 << 2;
    QTest::newRow("audio off") << "mp4"
                               << "libx264" << false << 2 << 3 << 1 << 110 << 0 << 0;
    QTest::newRow("MPEG 6 channels") << "MPEG"
                                     << "mpeg2video" << true << 6 << 3 << 1 << 110 << 1 << 2;
    QTest::newRow("mpeg 2 channels") << "mpeg"
                                     << "mpeg2video" << true << 2 << 3 << 1 << 110 << 1 << 2;
    QTest::newRow("mp4 6 channels") << "mp4"
                                    << "libx264" << true << 6 << 3 << 1 << 110 << 1 << 6;
    QTest::newRow("compression 0") << "mp4"
                                   << "libx264" << true << 2 << 0 << 1 << 50 << 1 << 2;
    QTest::newRow("compression 4") << "mp4"
                                   << "libx264" << true << 2 << 4 << 1 << 130 << 1 << 2;
}

void tst_DataExchangeSvc::taskRules()
{
    QFETCH(QString, container);
    QFETCH(QString, videoEncoder);
    QFETCH(bool, useAudio);
    QFETCH(int, channels);
    QFETCH(int, level);
    QFETCH(int, videoRecords);
    QFETCH(int, quality);
    QFETCH(int, audioRecords);
    QFETCH(int, sentChannels);

    const VideoItemPtr item = newItem(container);
    item->targetCodecInfo()->setVideoCodecName(videoEncoder);
    item->targetCodecInfo()->setChannelCount(channels);
    item->setUseAudio(useAudio);
    item->setCompressionLevel(level);

    m_link->sendTask(item);
    QVERIFY(item->isTaskSent());
    const TranscodingInfo task = decodeTask(
            takeReport(*m_reports, LinkMessages::AddItem).data.toByteArray());

    QCOMPARE(task.uid, item->id());
    QCOMPARE(task.container, container);
    QCOMPARE(task.video.size(), videoRecords);
    if (videoRecords)
        QCOMPARE(task.video.first().quality, quality);
    QCOMPARE(task.audio.size(), audioRecords);
    if (audioRecords)
        QCOMPARE(task.audio.first().channels, sentChannels);
    QCOMPARE(m_statistics.value("qualitySettings", QString::number(level)), qint64(1));
}

void tst_DataExchangeSvc::taskCarriesTheItem()
{
    const VideoItemPtr item = newItem("mkv");
    item->targetCodecInfo()->setSamplerate(48000);
    item->targetCodecInfo()->setChannelCount(2);
    item->setCompressionLevel(1);
    item->setDuration(100000000);
    item->setTrim(10000000, 50000000);
    PipObjectPtr watermark(new PipObject);
    watermark->setType(PipObject::TextWatermark);
    watermark->setLocation(PipObject::Tile);
    watermark->setText("draft");
    watermark->setForegroundBrush(QBrush(Qt::red));
    item->setWatermark(watermark);

    m_link->sendTask(item);
    const TranscodingInfo task = decodeTask(
            takeReport(*m_reports, LinkMessages::AddItem).data.toByteArray());

    QCOMPARE(task.source, m_dir.filePath("in/clip.mov"));
    QCOMPARE(task.target, item->targetFilePath());
    QCOMPARE(task.target, m_dir.filePath("out/clip.mkv"));
    QCOMPARE(task.trimStart, qint64(10000000));
    QCOMPARE(task.trimEnd, qint64(50000000));
    QCOMPARE(task.video.size(), 1);
    const VideoCodecInfo &video = task.video.first();
    QCOMPARE(video.name, QStringLiteral("libx264"));
    QCOMPARE(video.bitrate, 4000000);
    QCOMPARE(video.quality, 70);
    QCOMPARE(video.resolution, QSize(640, 360));
    QCOMPARE(video.framerate, 0.0);
    QCOMPARE(task.audio.value(0), (AudioCodecInfo{"aac", 96, 48000, 2}));

    // The worker rebuilds the overlay from the map, enumerations included.
    QCOMPARE(task.watermark.size(), watermark->properties().size());
    PipObject::PropertyMap properties;
    for (auto it = task.watermark.cbegin(); it != task.watermark.cend(); ++it)
        properties.insert(PipObject::Property(it.key()), it.value());
    const PipObject received(properties, nullptr);
    QCOMPARE(received.type(), PipObject::TextWatermark);
    QCOMPARE(received.location(), PipObject::Tile);
    QCOMPARE(received.text(), QStringLiteral("draft"));
    QCOMPARE(received.foregroundBrush(), QBrush(Qt::red));
    QVERIFY(task.subtitles.isEmpty());

    QCOMPARE(m_statistics.value("useTrim"), qint64(1));
    QCOMPARE(m_statistics.value("useWatermark"), qint64(1));
    QCOMPARE(m_statistics.value("useSubtitles"), qint64(0));
    QCOMPARE(m_statistics.value("qualitySettings", "1"), qint64(1));
}

void tst_DataExchangeSvc::secondSendResumes()
{
    const VideoItemPtr item = newItem("mp4");
    m_link->sendTask(item);
    QCOMPARE(takeReport(*m_reports, LinkMessages::AddItem).uid, item->id());

    m_link->sendTask(item);
    const Report resume = takeReport(*m_reports, LinkMessages::ResumeItem);
    QCOMPARE(resume.uid, item->id());
    QCOMPARE(resume.data.toByteArray(), LinkMessages::resumeItem(item->id()));
    // Counted once, for the task only.
    QCOMPARE(m_statistics.value("qualitySettings", "3"), qint64(1));
}

void tst_DataExchangeSvc::abortPauseAndCutReports()
{
    const QList<QUuid> uids{QUuid::createUuid(), QUuid::createUuid()};
    // A report cut short and one that claims a list larger than itself come
    // first; both are dropped, and the GUI goes on with the next report.
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Dropped a state report of 11 bytes"));
    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression("^Dropped a state report of \\d+ bytes: state data "
                                            "of type 9$"));
    m_link->sendAbort(uids);
    QCOMPARE(takeReport(*m_reports, LinkMessages::AbortItems).data.toByteArray(),
             LinkMessages::abortItems(uids));
    QCOMPARE(m_reports->count(), 0);

    m_link->sendPause({});
    QCOMPARE(takeReport(*m_reports, LinkMessages::PauseItems).data.toByteArray(),
             LinkMessages::pauseItems({}));
}

void tst_DataExchangeSvc::failedWriteFailsTheItem_data()
{
    QTest::addColumn<bool>("taskSent");
    QTest::newRow("task") << false;
    QTest::newRow("resume") << true;
}

void tst_DataExchangeSvc::failedWriteFailsTheItem()
{
    QFETCH(bool, taskSent);

    const QString worker = appServices().workerProgram;
    appServices().workerProgram = m_dir.filePath("no-such-worker");
    DataExchangeSvc link;
    appServices().workerProgram = worker;
    QSignalSpy reports(&link, &DataExchangeSvc::remoteItemStateChanged);
    const VideoItemPtr item = newItem("mp4");
    item->setTaskSent(taskSent);

    QTest::ignoreMessage(QtCriticalMsg, "Can't start handler process!!!");
    link.sendTask(item);

    QCOMPARE(reports.count(), 1);
    const Report failed = report(reports.first());
    QCOMPARE(failed.uid, item->id());
    QCOMPARE(failed.state, qint32(QueueItemState::Failed));
    QVERIFY(!failed.data.isValid());
    // Still set, so the queue takes the report.
    QVERIFY(item->isTaskSent());
}

QTEST_GUILESS_MAIN(tst_DataExchangeSvc)

#include "tst_dataexchangesvc.moc"

#include "core/avmediafileinfo.h"

#include <QtTest>

class TestAVMediaFileInfo : public QObject
{
    Q_OBJECT

private slots:
    void defaultRecordHasNoStreams();
    void dumpInfoLogsAudioFactsOnlyWithAudio_data();
    void dumpInfoLogsAudioFactsOnlyWithAudio();
};

void TestAVMediaFileInfo::defaultRecordHasNoStreams()
{
    const AVMediaFileInfo info;
    QVERIFY(!info.hasVideo);
    QVERIFY(!info.hasAudio);
    QVERIFY(info.videoDecoderMissing);
    QVERIFY(info.audioDecoderMissing);
    QVERIFY(!info.resolution.isValid());
    QCOMPARE(info.duration, 0);
}

static QStringList s_lines;

static void collect(QtMsgType, const QMessageLogContext &, const QString &msg)
{
    s_lines << msg;
}

void TestAVMediaFileInfo::dumpInfoLogsAudioFactsOnlyWithAudio_data()
{
    QTest::addColumn<bool>("hasAudio");
    QTest::addColumn<int>("lines");
    QTest::newRow("video only") << false << 10;
    QTest::newRow("with audio") << true << 13;
}

void TestAVMediaFileInfo::dumpInfoLogsAudioFactsOnlyWithAudio()
{
    QFETCH(bool, hasAudio);
    QFETCH(int, lines);

    AVMediaFileInfo info;
    info.hasAudio = hasAudio;
    info.format = QStringLiteral("mp4");
    info.samplerate = 48000;

    s_lines.clear();
    const QtMessageHandler previous = qInstallMessageHandler(collect);
    info.dumpInfo();
    qInstallMessageHandler(previous);

    QCOMPARE(s_lines.size(), lines);
    QCOMPARE(s_lines.first(), QStringLiteral("format:         mp4"));
    QCOMPARE(s_lines.filter(QStringLiteral("samplerate:")).size(), hasAudio ? 1 : 0);
}

QTEST_GUILESS_MAIN(TestAVMediaFileInfo)
#include "tst_avmediafileinfo.moc"

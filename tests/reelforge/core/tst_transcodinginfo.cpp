#include "core/linkmessages.h"
#include "core/transcodinginfo.h"

#include <QDataStream>
#include <QtTest>

namespace {

TranscodingInfo sampleTask()
{
    TranscodingInfo task;
    task.uid = QUuid("{00112233-4455-6677-8899-aabbccddeeff}");
    task.source = "a";
    task.target = "b";
    task.container = "mp4";
    task.trimStart = 1;
    task.trimEnd = 2;
    VideoCodecInfo video;
    video.name = "x";
    video.bitrate = 1000;
    video.resolution = QSize(4, 3);
    video.framerate = 25.0;
    task.video = {video};
    task.audio = {AudioCodecInfo{"y", 128, 44100, 2}};
    task.watermark = {{1, 5}, {3, QStringLiteral("t")}, {7, 0.5}};
    return task;
}

// The expected wire form of sampleTask(), built by hand.
QByteArray sampleBytes()
{
    return QByteArray::fromHex(
            // uid, RFC 4122 order
            "00112233445566778899aabbccddeeff"
            // source "a", target "b", container "mp4": byte count, UTF-16BE
            "000000020061"
            "000000020062"
            "00000006006d00700034"
            // trim start 1, trim end 2
            "0000000000000001"
            "0000000000000002"
            // one video record: name "x", bitrate 1000, quality 95,
            // frame rate 25.0, then the resolution 4 x 3, then 0 and 0
            "00000001"
            "000000020078"
            "000003e8"
            "0000005f"
            "4039000000000000"
            "0000000400000003"
            "0000000000000000"
            // one audio record: "y", 128, 44100, 2
            "00000001"
            "000000020079"
            "00000080"
            "0000ac44"
            "00000002"
            // watermark: 3 pairs, largest key first; each value is a QVariant
            // (type id, null flag, value): double 0.5, QString "t", int 5
            "00000003"
            "00000007"
            "00000006003fe0000000000000"
            "00000003"
            "0000000a00000000020074"
            "00000001"
            "000000020000000005"
            // subtitles: none
            "00000000");
}

void compareTasks(const TranscodingInfo &actual, const TranscodingInfo &expected)
{
    QCOMPARE(actual.uid, expected.uid);
    QCOMPARE(actual.source, expected.source);
    QCOMPARE(actual.target, expected.target);
    QCOMPARE(actual.container, expected.container);
    QCOMPARE(actual.trimStart, expected.trimStart);
    QCOMPARE(actual.trimEnd, expected.trimEnd);
    QCOMPARE(actual.video, expected.video);
    QCOMPARE(actual.audio, expected.audio);
    QCOMPARE(actual.watermark, expected.watermark);
    QCOMPARE(actual.subtitles, expected.subtitles);
}

} // namespace

class tst_TranscodingInfo : public QObject
{
    Q_OBJECT

private slots:
    void defaults();
    void goldenBytes();
    void cutBody_data();
    void cutBody();
    void payloadsStartWithTheirCode();
};

void tst_TranscodingInfo::defaults()
{
    const TranscodingInfo task;
    QVERIFY(task.uid.isNull());
    QVERIFY(task.source.isEmpty() && task.target.isEmpty() && task.container.isEmpty());
    QCOMPARE(task.trimStart, qint64(0));
    QCOMPARE(task.trimEnd, qint64(0));
    QVERIFY(task.video.isEmpty() && task.audio.isEmpty());
    QVERIFY(task.watermark.isEmpty() && task.subtitles.isEmpty());
    QVERIFY(!task.runData);
}

void tst_TranscodingInfo::goldenBytes()
{
    QByteArray bytes;
    {
        QDataStream out(&bytes, QIODevice::ReadWrite);
        out << sampleTask();
    }
    QCOMPARE(bytes.toHex(), sampleBytes().toHex());

    QDataStream in(sampleBytes());
    TranscodingInfo read;
    in >> read;
    QCOMPARE(in.status(), QDataStream::Ok);
    QVERIFY(in.atEnd());
    compareTasks(read, sampleTask());
}

void tst_TranscodingInfo::cutBody_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("container");

    // Up to the end of the container name, inside the video record, and one
    // byte short of the end.
    QTest::newRow("before the lists") << 16 + 6 + 6 + 10 << "mp4";
    QTest::newRow("inside the video record") << 16 + 6 + 6 + 10 + 16 + 4 + 6 << "mp4";
    QTest::newRow("last byte missing") << sampleBytes().size() - 1 << "mp4";
    QTest::newRow("inside the uid") << 9 << "";
}

// A cut task keeps what came before the cut but no codec record and no
// overlay, so that it fails validation instead of converting without them.
void tst_TranscodingInfo::cutBody()
{
    QFETCH(int, length);
    QFETCH(QString, container);

    QDataStream in(sampleBytes().left(length));
    TranscodingInfo read;
    in >> read;
    QCOMPARE(in.status(), QDataStream::ReadPastEnd);
    QCOMPARE(read.container, container);
    QVERIFY(read.video.isEmpty() && read.audio.isEmpty());
    QVERIFY(read.watermark.isEmpty() && read.subtitles.isEmpty());
    if (length < 16)
        QVERIFY(read.uid.isNull());
    else
        QCOMPARE(read.uid, sampleTask().uid);
}

void tst_TranscodingInfo::payloadsStartWithTheirCode()
{
    const QUuid uid("{00112233-4455-6677-8899-aabbccddeeff}");
    const QByteArray uidHex = "00112233445566778899aabbccddeeff";
    QCOMPARE(LinkMessages::addItem(sampleTask()).toHex(), "00000001" + sampleBytes().toHex());
    QCOMPARE(LinkMessages::resumeItem(uid).toHex(), "00000006" + uidHex);
    QCOMPARE(LinkMessages::abortItems({uid}).toHex(), "0000000300000001" + uidHex);
    QCOMPARE(LinkMessages::pauseItems({}).toHex(), QByteArray("0000000400000000"));
    QCOMPARE(LinkMessages::resumeItems({uid, uid}).toHex(), "0000000500000002" + uidHex + uidHex);
    QCOMPARE(LinkMessages::itemState(uid, 3, QVariant()).toHex(),
             "00000002" + uidHex + "00000003" + "0000000001");
    QCOMPARE(LinkMessages::crashReporterParams({"m", ""}).toHex(),
             QByteArray("000000aa"
                        "00000002"
                        "00000002006d"
                        "00000000"));
}

QTEST_GUILESS_MAIN(tst_TranscodingInfo)

#include "tst_transcodinginfo.moc"

#include "core/codecinfos.h"

#include <QDataStream>
#include <QtEndian>
#include <QtTest>

class tst_CodecInfos : public QObject
{
    Q_OBJECT

private slots:
    void defaults();
    void videoWireOrder();
    void audioWireOrder();
    void roundTrip();
};

namespace {

void appendInt32(QByteArray &bytes, qint32 value)
{
    char buf[4];
    qToBigEndian(value, buf);
    bytes.append(buf, 4);
}

void appendDouble(QByteArray &bytes, double value)
{
    quint64 bits;
    memcpy(&bits, &value, sizeof bits);
    char buf[8];
    qToBigEndian(bits, buf);
    bytes.append(buf, 8);
}

void appendString(QByteArray &bytes, const QString &text)
{
    appendInt32(bytes, text.size() * 2);
    for (QChar c : text) {
        bytes.append(char(c.unicode() >> 8));
        bytes.append(char(c.unicode() & 0xff));
    }
}

} // namespace

void tst_CodecInfos::defaults()
{
    const VideoCodecInfo video;
    QCOMPARE(video.bitrate, 0);
    QCOMPARE(video.quality, 95);
    QVERIFY(!video.resolution.isValid());
    QCOMPARE(video.framerate, 0.0);
    QCOMPARE(video.reserved1, 0);
    QCOMPARE(video.reserved2, 0);

    const AudioCodecInfo audio;
    QCOMPARE(audio.bitrate, 0);
    QCOMPARE(audio.samplerate, 0);
    QCOMPARE(audio.channels, 0);
}

void tst_CodecInfos::videoWireOrder()
{
    VideoCodecInfo info;
    info.name = "h264_mf";
    info.bitrate = 8400000;
    info.quality = 130;
    info.resolution = QSize(1920, 1080);
    info.framerate = 29.97;
    info.reserved1 = 7;
    info.reserved2 = -3;

    QByteArray written;
    {
        QDataStream out(&written, QIODevice::ReadWrite);
        out << info;
    }

    // name, bitrate, quality, frame rate, resolution, then the two further values
    QByteArray expected;
    appendString(expected, "h264_mf");
    appendInt32(expected, 8400000);
    appendInt32(expected, 130);
    appendDouble(expected, 29.97);
    appendInt32(expected, 1920);
    appendInt32(expected, 1080);
    appendInt32(expected, 7);
    appendInt32(expected, -3);
    QCOMPARE(written.toHex(), expected.toHex());
}

void tst_CodecInfos::audioWireOrder()
{
    AudioCodecInfo info;
    info.name = "aac_mf";
    info.bitrate = 192;
    info.samplerate = 48000;
    info.channels = 6;

    QByteArray written;
    {
        QDataStream out(&written, QIODevice::ReadWrite);
        out << info;
    }

    QByteArray expected;
    appendString(expected, "aac_mf");
    appendInt32(expected, 192);
    appendInt32(expected, 48000);
    appendInt32(expected, 6);
    QCOMPARE(written.toHex(), expected.toHex());
}

void tst_CodecInfos::roundTrip()
{
    VideoCodecInfo video;
    video.name = "libvpx";
    video.bitrate = 2500000;
    video.resolution = QSize(1279, 719);
    video.framerate = 23.976;
    AudioCodecInfo audio;
    audio.name = "libvorbis";
    audio.bitrate = 128;
    audio.samplerate = 44100;
    audio.channels = 2;

    QByteArray bytes;
    {
        QDataStream out(&bytes, QIODevice::ReadWrite);
        out << video << audio;
    }
    QDataStream in(bytes);
    VideoCodecInfo videoRead;
    AudioCodecInfo audioRead;
    in >> videoRead >> audioRead;
    QCOMPARE(in.status(), QDataStream::Ok);
    QVERIFY(in.atEnd());
    QCOMPARE(videoRead, video);
    QCOMPARE(audioRead, audio);
}

QTEST_GUILESS_MAIN(tst_CodecInfos)
#include "tst_codecinfos.moc"

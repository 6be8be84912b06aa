#include "core/decoderaudio.h"
#include "core/player/platform/audiooutput.h"

#include "mediafixtures.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/frame.h>
}

#include <QtTest>

Q_DECLARE_METATYPE(AVSampleFormat)

class TestDecoderAudio : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void framesComeInTheRequestedFormat_data();
    void framesComeInTheRequestedFormat();
    void decodesTheWholeSoundThenEnds();
    void streamsOtherThanAudioAreRefused();
    void seekRebuildsTheGraphWithTheNewFormat();

private:
    MediaFixtures m_fixtures;
    QString m_clip;
};

void TestDecoderAudio::initTestCase()
{
    MediaFixtures::Clip clip;
    clip.frames = 75; // 3 s
    clip.audioChannels = 2;
    clip.sampleRate = 44100;
    clip.gop = 25; // a key frame every second, so a seek needs not go back to 0
    m_clip = m_fixtures.make(QStringLiteral("clip.mp4"), clip);
    QVERIFY(!m_clip.isEmpty());
}

void TestDecoderAudio::framesComeInTheRequestedFormat_data()
{
    QTest::addColumn<AVSampleFormat>("format");
    QTest::addColumn<int>("channels");
    QTest::addColumn<int>("rate");
    QTest::addColumn<int>("bytes");
    QTest::addColumn<qint64>("duration");
    QTest::newRow("float stereo 48 kHz") << AV_SAMPLE_FMT_FLT << 2 << 48000 << 8192 << 213333LL;
    QTest::newRow("s16 mono 44.1 kHz") << AV_SAMPLE_FMT_S16 << 1 << 44100 << 2048 << 232199LL;
    QTest::newRow("s16 5.1 22.05 kHz") << AV_SAMPLE_FMT_S16 << 6 << 22050 << 12288 << 464399LL;
}

void TestDecoderAudio::framesComeInTheRequestedFormat()
{
    QFETCH(AVSampleFormat, format);
    QFETCH(int, channels);
    QFETCH(int, rate);
    QFETCH(int, bytes);
    QFETCH(qint64, duration);

    decoderaudio decoder;
    decoder.setAudioFormat(format, rate, channels, 1024);
    QVERIFY(decoder.openInputFile(m_clip) >= 0);
    const int stream = decoder.bestStream();
    QCOMPARE(decoder.selectStream(stream), 0);
    QCOMPARE(decoder.sourceSampleRate(), 44100);
    QCOMPARE(decoder.sourceChannels(), 2);

    qint64 expectedPosition = -1;
    for (int i = 0; i < 10; ++i) {
        AVMediaType type = AVMEDIA_TYPE_UNKNOWN;
        AVFrame *frame = nullptr;
        qint64 position = -1, length = -1;
        QCOMPARE(decoder.decode(&type, &frame, &position, &length), stream);
        QCOMPARE(type, AVMEDIA_TYPE_AUDIO);
        QCOMPARE(frame->format, int(format));
        QCOMPARE(frame->sample_rate, rate);
        QCOMPARE(frame->ch_layout.nb_channels, channels);
        QCOMPARE(frame->nb_samples, 1024);
        QCOMPARE(length, duration);
        if (expectedPosition >= 0)
            QVERIFY(qAbs(position - expectedPosition) <= 1);
        expectedPosition = position + length;

        AudioSample sample;
        QCOMPARE(decoder.frameToSample(frame, &sample), 0);
        QCOMPARE(sample.data.size(), bytes);
        QCOMPARE(sample.time, position);
        QCOMPARE(sample.duration, duration);
        QVERIFY(memcmp(sample.data.constData(), frame->data[0], size_t(bytes)) == 0);
        decoder.recycleFrame(frame);
    }
}

void TestDecoderAudio::decodesTheWholeSoundThenEnds()
{
    decoderaudio decoder;
    decoder.setAudioFormat(AV_SAMPLE_FMT_FLT, 48000, 2, 1024);
    QVERIFY(decoder.openInputFile(m_clip) >= 0);
    QCOMPARE(decoder.selectStream(decoder.bestStream()), 0);

    qint64 samples = 0;
    qint64 end = 0;
    int ret;
    AVMediaType type;
    AVFrame *frame = nullptr;
    qint64 position, duration;
    while ((ret = decoder.decode(&type, &frame, &position, &duration)) >= 0) {
        samples += frame->nb_samples;
        end = position + duration;
        decoder.recycleFrame(frame);
    }
    QCOMPARE(ret, AVERROR_EOF);
    QCOMPARE(int(type), int(AVMEDIA_TYPE_UNKNOWN));
    // The tail left in the decoder and the graph is not lost: all 3 s arrive.
    QVERIFY2(qAbs(samples - 3 * 48000) < 1024, qPrintable(QString::number(samples)));
    QVERIFY(qAbs(end - 30000000) < 250000);
    QCOMPARE(decoder.decode(&type, &frame, &position, &duration), AVERROR_EOF);
}

void TestDecoderAudio::streamsOtherThanAudioAreRefused()
{
    MediaFixtures::Clip silent;
    silent.frames = 10;
    const QString path = m_fixtures.make(QStringLiteral("silent.mp4"), silent);
    QVERIFY(!path.isEmpty());

    decoderaudio decoder;
    QVERIFY(decoder.openInputFile(path) >= 0);
    QVERIFY(decoder.bestStream() < 0);
    QVERIFY(decoder.selectStream(decoder.bestStream()) < 0);
    QCOMPARE(decoder.selectStream(0), AVERROR_UNKNOWN); // the video stream
    QCOMPARE(decoder.selectStream(5), AVERROR_STREAM_NOT_FOUND);
    QCOMPARE(decoder.decode(nullptr, nullptr, nullptr, nullptr), AVERROR_EOF);

    decoderaudio closed;
    QVERIFY(closed.openInputFile(m_fixtures.path(QStringLiteral("missing.mp4"))) < 0);
}

void TestDecoderAudio::seekRebuildsTheGraphWithTheNewFormat()
{
    decoderaudio decoder;
    decoder.setAudioFormat(AV_SAMPLE_FMT_FLT, 48000, 2, 1024);
    QVERIFY(decoder.openInputFile(m_clip) >= 0);
    QCOMPARE(decoder.selectStream(decoder.bestStream()), 0);
    AVFrame *frame = nullptr;
    QVERIFY(decoder.decode(nullptr, &frame, nullptr, nullptr) >= 0);
    decoder.recycleFrame(frame);

    decoder.setAudioFormat(AV_SAMPLE_FMT_S16, 22050, 1, 512);
    QVERIFY(decoder.seek(20000000, AVSEEK_FLAG_BACKWARD) >= 0);
    qint64 position = -1, duration = -1;
    QVERIFY(decoder.decode(nullptr, &frame, &position, &duration) >= 0);
    QCOMPARE(frame->sample_rate, 22050);
    QCOMPARE(frame->format, int(AV_SAMPLE_FMT_S16));
    QCOMPARE(frame->nb_samples, 512);
    QCOMPARE(duration, 512LL * 10000000 / 22050);
    // Seeking lands on a packet at or before the target.
    QVERIFY2(position <= 20000000 && position > 15000000, qPrintable(QString::number(position)));
    decoder.recycleFrame(frame);
}

QTEST_GUILESS_MAIN(TestDecoderAudio)
#include "tst_decoderaudio.moc"

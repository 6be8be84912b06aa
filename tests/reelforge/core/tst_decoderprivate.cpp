#include "core/avptr.h"
#include "core/decoderprivate.h"
#include "mediafixtures.h"

extern "C" {
#include <libavutil/display.h>
}

#include <QFile>
#include <QFileInfo>
#include <QtTest>

#include <vector>

Q_DECLARE_METATYPE(AVRational)
Q_DECLARE_METATYPE(AVPixelFormat)
Q_DECLARE_METATYPE(AVSampleFormat)
Q_DECLARE_METATYPE(MediaFixtures::Clip)

namespace {

constexpr qint64 Second = 10000000;

struct Decoded
{
    std::vector<qint64> videoPts;
    std::vector<qint64> videoDurations;
    QSize videoSize;
    qint64 audioSamples = 0;
    qint64 audioDuration = 0;
    qint64 audioFrames = 0;
    int audioChannels = 0;
    int audioSampleRate = 0;
    qint64 firstAudioPts = -1;
    float quietestChannelPeak = 0; // packed float output only
    int result = 0;
    int endType = 0;
};

// Selects the best streams and decodes to the end, recycling every frame.
Decoded decodeAll(decoderprivate &decoder)
{
    Decoded out;
    std::vector<float> peaks;
    for (;;) {
        AVMediaType type = AVMEDIA_TYPE_NB;
        AVFrame *frame = nullptr;
        qint64 pts = -2;
        qint64 duration = -2;
        const int index = decoder.decode(&type, &frame, &pts, &duration);
        if (index < 0) {
            out.result = index;
            out.endType = type;
            if (!peaks.empty())
                out.quietestChannelPeak = *std::min_element(peaks.begin(), peaks.end());
            return out;
        }
        if (type == AVMEDIA_TYPE_VIDEO) {
            out.videoPts.push_back(pts);
            out.videoDurations.push_back(duration);
            out.videoSize = QSize(frame->width, frame->height);
        } else if (type == AVMEDIA_TYPE_AUDIO) {
            if (out.firstAudioPts < 0)
                out.firstAudioPts = pts;
            out.audioSamples += frame->nb_samples;
            ++out.audioFrames;
            out.audioDuration += duration;
            out.audioChannels = frame->ch_layout.nb_channels;
            out.audioSampleRate = frame->sample_rate;
            if (frame->format == AV_SAMPLE_FMT_FLT) {
                const int channels = frame->ch_layout.nb_channels;
                peaks.resize(channels);
                const auto *samples = reinterpret_cast<const float *>(frame->data[0]);
                for (int i = 0; i < frame->nb_samples * channels; ++i)
                    peaks[i % channels] = std::max(peaks[i % channels], std::abs(samples[i]));
            }
        }
        decoder.recycleFrame(frame);
    }
}

int openWithBestStreams(decoderprivate &decoder, const QString &path)
{
    int ret = decoder.openInputFile(path);
    if (ret < 0)
        return ret;
    for (AVMediaType type : {AVMEDIA_TYPE_VIDEO, AVMEDIA_TYPE_AUDIO}) {
        const int index = decoder.bestStream(type);
        if (index >= 0 && (ret = decoder.selectStream(index)) < 0)
            return ret;
    }
    return 0;
}

MediaFixtures::Clip clip(int frames = 50)
{
    MediaFixtures::Clip c;
    c.frames = frames;
    return c;
}

} // namespace

class tst_decoderprivate : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void filterDescription_data();
    void filterDescription();
    void rotationAngle_data();
    void rotationAngle();

    void decodesEveryVideoFrame_data();
    void decodesEveryVideoFrame();
    void decodesEveryAudioSample_data();
    void decodesEveryAudioSample();

    void seekLandsAtTarget_data();
    void seekLandsAtTarget();
    void rotatedClipDecodesToRotatedSize_data();
    void rotatedClipDecodesToRotatedSize();
    void frameAsQImageFollowsFrameSize();
    void frameAsQImageOfOneBitPicture_data();
    void frameAsQImageOfOneBitPicture();
    void reopenReadsFromTheStart();

    void durationFallbacks_data();
    void durationFallbacks();
    void invalidInputsFailCleanly();

private:
    MediaFixtures m_fixtures;
};

void tst_decoderprivate::initTestCase()
{
    QVERIFY(m_fixtures.isValid());
    const QStringList sine{"-f", "lavfi", "-i", "sine=duration=2"};
    const QStringList highSine{"-f", "lavfi", "-i", "sine=frequency=880:duration=2"};
    QVERIFY(!m_fixtures.makeWith("bigframes.flac", sine + QStringList{"-frame_size", "8192"})
                     .isEmpty());
    // Two ADTS files one after the other: mono, then stereo.
    const QString mono = m_fixtures.makeWith("mono.aac", sine + QStringList{"-ac", "1"});
    const QString stereo = m_fixtures.makeWith("stereo.aac", highSine + QStringList{"-ac", "2"});
    QFile joined(m_fixtures.path("monostereo.aac"));
    QFile first(mono);
    QFile second(stereo);
    QVERIFY(joined.open(QIODevice::WriteOnly) && first.open(QIODevice::ReadOnly)
            && second.open(QIODevice::ReadOnly));
    joined.write(first.readAll() + second.readAll());

    const QStringList bitmap{"-f",        "lavfi", "-i",       "testsrc=size=64x48",
                             "-frames:v", "1",     "-pix_fmt", "monob"};
    QVERIFY(!m_fixtures.makeWith("onebit.pbm", bitmap).isEmpty());
    const QString cover = m_fixtures.makeWith("cover.png", bitmap);
    QVERIFY(!m_fixtures
                     .makeWith("cover.mp3",
                               sine
                                       + QStringList{"-i", cover, "-map", "0", "-map", "1", "-c:v",
                                                     "copy", "-disposition:v", "attached_pic"})
                     .isEmpty());
}

void tst_decoderprivate::filterDescription_data()
{
    QTest::addColumn<AVRational>("targetRate");
    QTest::addColumn<QSize>("targetSize");
    QTest::addColumn<int>("angle");
    QTest::addColumn<AVPixelFormat>("format");
    QTest::addColumn<QString>("expected");

    const AVRational keep{0, 0};
    const QSize size(640, 360);
    const QSize fullHd(1920, 1080);
    QTest::newRow("defaults") << keep << fullHd << 0 << AV_PIX_FMT_NONE << "scale=1920:1080";
    QTest::newRow("rotate 90") << keep << size << 90 << AV_PIX_FMT_NONE
                               << "scale=360:640,transpose=1";
    QTest::newRow("rotate 180") << keep << size << 180 << AV_PIX_FMT_NONE << "scale=640:360";
    QTest::newRow("rotate 270") << keep << size << 270 << AV_PIX_FMT_NONE
                                << "scale=360:640,transpose=2";
    QTest::newRow("rotate -90") << keep << size << -90 << AV_PIX_FMT_NONE
                                << "scale=360:640,transpose=2";
    // Angles between right angles go to the nearest one, size and turn alike.
    QTest::newRow("rotate 45") << keep << size << 45 << AV_PIX_FMT_NONE
                               << "scale=360:640,transpose=1";
    QTest::newRow("rotate 30") << keep << size << 30 << AV_PIX_FMT_NONE << "scale=640:360";
    // A rate is kept even when it is the source's nominal one: a source of
    // variable rate keeps its timing only through the filter.
    QTest::newRow("a set rate") << AVRational{25, 1} << fullHd << 0 << AV_PIX_FMT_NONE
                                << "fps=25/1,scale=1920:1080";
    QTest::newRow("all filters") << AVRational{30000, 1001} << size << 90 << AV_PIX_FMT_YUV420P
                                 << "fps=30000/1001,scale=360:640,transpose=1,format=yuv420p";
    QTest::newRow("nothing") << keep << QSize() << 0 << AV_PIX_FMT_NONE << "null";
    QTest::newRow("format only") << keep << QSize(0, 0) << 0 << AV_PIX_FMT_BGRA << "format=bgra";
}

void tst_decoderprivate::filterDescription()
{
    QFETCH(AVRational, targetRate);
    QFETCH(QSize, targetSize);
    QFETCH(int, angle);
    QFETCH(AVPixelFormat, format);
    QFETCH(QString, expected);
    QCOMPARE(decoderprivate::videoFilterDescription(targetRate, targetSize, angle, format),
             expected);
}

void tst_decoderprivate::rotationAngle_data()
{
    QTest::addColumn<QByteArray>("tag"); // null: no tag
    QTest::addColumn<double>("matrix");  // counter-clockwise; NaN: no display matrix
    QTest::addColumn<int>("expected");

    const double none = qQNaN();
    QTest::newRow("nothing") << QByteArray() << none << 0;
    QTest::newRow("tag 90") << QByteArray("90") << none << 90;
    QTest::newRow("tag 180") << QByteArray("180") << none << 180;
    QTest::newRow("tag -90") << QByteArray("-90") << none << 270;
    QTest::newRow("tag 359.5") << QByteArray("359.5") << none << 0;
    QTest::newRow("tag 450") << QByteArray("450") << none << 90;
    QTest::newRow("matrix 45 to a right angle") << QByteArray() << -45.0 << 90;
    QTest::newRow("tag 100 to a right angle") << QByteArray("100") << none << 90;
    QTest::newRow("tag wins over matrix") << QByteArray("180") << -90.0 << 180;
    QTest::newRow("matrix -90") << QByteArray() << -90.0 << 90;
    QTest::newRow("matrix 90") << QByteArray() << 90.0 << 270;
    QTest::newRow("tag 0 falls back") << QByteArray("0") << -90.0 << 90;
    QTest::newRow("empty tag falls back") << QByteArray("") << -90.0 << 90;
    QTest::newRow("tag not a number") << QByteArray("90deg") << 180.0 << 180;
}

void tst_decoderprivate::rotationAngle()
{
    QFETCH(QByteArray, tag);
    QFETCH(double, matrix);
    QFETCH(int, expected);

    AVFormatContext *format = avformat_alloc_context();
    QVERIFY(format);
    struct Free
    {
        AVFormatContext *c;
        ~Free() { avformat_free_context(c); }
    } guard{format};
    AVStream *stream = avformat_new_stream(format, nullptr);
    QVERIFY(stream);
    if (!tag.isNull())
        av_dict_set(&stream->metadata, "rotate", tag.constData(), 0);
    if (!qIsNaN(matrix)) {
        auto *data = reinterpret_cast<int32_t *>(
                av_stream_new_side_data(stream, AV_PKT_DATA_DISPLAYMATRIX, 9 * sizeof(int32_t)));
        QVERIFY(data);
        // The setter takes the angle clockwise, the matrix reads counter-clockwise.
        av_display_rotation_set(data, -matrix);
    }
    QCOMPARE(decoderprivate::streamRotation(stream), expected);
}

void tst_decoderprivate::decodesEveryVideoFrame_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<MediaFixtures::Clip>("clip");
    QTest::addColumn<AVRational>("targetRate");
    QTest::addColumn<int>("expectedFrames");

    MediaFixtures::Clip bFrames = clip();
    bFrames.bFrames = true;
    MediaFixtures::Clip mpeg4 = clip();
    mpeg4.videoCodec = QStringLiteral("mpeg4");
    mpeg4.bFrames = true;
    const AVRational keep{0, 0};
    QTest::newRow("h264") << "plain.mp4" << clip() << keep << 50;
    QTest::newRow("h264 with B-frames") << "bframes.mp4" << bFrames << keep << 50;
    QTest::newRow("mpeg4 with B-frames") << "mpeg4.mp4" << mpeg4 << keep << 50;
    QTest::newRow("25 to 50 fps") << "plain.mp4" << clip() << AVRational{50, 1} << 100;
    QTest::newRow("25 to 10 fps") << "plain.mp4" << clip() << AVRational{10, 1} << 20;
}

void tst_decoderprivate::decodesEveryVideoFrame()
{
    QFETCH(QString, file);
    QFETCH(MediaFixtures::Clip, clip);
    QFETCH(AVRational, targetRate);
    QFETCH(int, expectedFrames);

    QString path = m_fixtures.path(file);
    if (!QFile::exists(path))
        path = m_fixtures.make(file, clip);
    QVERIFY(!path.isEmpty());

    decoderprivate decoder;
    QCOMPARE(openWithBestStreams(decoder, path), 0);
    decoder.setTargetSize(QSize(160, 120));
    if (targetRate.den)
        decoder.setFrameRate(targetRate.num, targetRate.den);
    const Decoded decoded = decodeAll(decoder);

    QCOMPARE(decoded.result, AVERROR_EOF);
    QCOMPARE(decoded.endType, int(AVMEDIA_TYPE_UNKNOWN));
    QCOMPARE(int(decoded.videoPts.size()), expectedFrames);
    QCOMPARE(decoded.videoSize, QSize(160, 120));

    // Frames arrive in presentation order, one frame length apart.
    const AVRational rate = targetRate.den ? targetRate : AVRational{clip.fps, 1};
    const qint64 frameLength = Second * rate.den / rate.num;
    for (int i = 0; i < expectedFrames; ++i) {
        QCOMPARE(decoded.videoPts[i], i * frameLength);
        QCOMPARE(decoded.videoDurations[i], frameLength);
    }

    // Decoding on after the end keeps reporting the end.
    AVMediaType type = AVMEDIA_TYPE_VIDEO;
    QCOMPARE(decoder.decode(&type, nullptr, nullptr, nullptr), AVERROR_EOF);
    QCOMPARE(type, AVMEDIA_TYPE_UNKNOWN);
}

void tst_decoderprivate::decodesEveryAudioSample_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<MediaFixtures::Clip>("clip");
    QTest::addColumn<int>("outputRate"); // 0: no audio format set
    QTest::addColumn<int>("outputChannels");
    QTest::addColumn<int>("frameSize");
    QTest::addColumn<qint64>("expectedSamples");
    QTest::addColumn<qint64>("tolerance");

    MediaFixtures::Clip pcm = clip();
    pcm.video = false;
    pcm.audioChannels = 2;
    pcm.audioCodec = QStringLiteral("pcm_s16le");
    MediaFixtures::Clip aac = clip();
    aac.audioChannels = 2;
    // Planar: read as stereo, only its silent front channels would come out.
    MediaFixtures::Clip surround = pcm;
    surround.audioChannels = 6;
    surround.audioCodec = QStringLiteral("aac");

    // 2 s at 44.1 kHz: 88,200 samples, which 1,024-sample frames do not divide.
    QTest::newRow("decoder's format") << "pcm.mkv" << pcm << 0 << 2 << 0 << 88200LL << 0LL;
    QTest::newRow("fixed frames keep the last partial one")
            << "pcm.mkv" << pcm << 44100 << 2 << 1024 << 88200LL << 0LL;
    QTest::newRow("resampled to 48 kHz")
            << "pcm.mkv" << pcm << 48000 << 2 << 1024 << 96000LL << 16LL;
    QTest::newRow("six channels mixed to two")
            << "surround.mp4" << surround << 44100 << 2 << 1024 << 88200LL << 1024LL;
    QTest::newRow("aac beside video")
            << "aac.mp4" << aac << 44100 << 2 << 1024 << 88200LL << 1024LL;
    // Made in initTestCase: each decoded frame of 8192 samples becomes 128
    // frames of 64, more than are ever held ready at once.
    MediaFixtures::Clip mono = pcm;
    mono.audioChannels = 1;
    QTest::newRow("many small frames from each one")
            << "bigframes.flac" << mono << 44100 << 2 << 64 << 88200LL << 0LL;
    // The stereo half needs a graph of its own; 88 frames of 1024 samples each.
    QTest::newRow("mono, then stereo")
            << "monostereo.aac" << mono << 44100 << 2 << 1152 << 2 * 88LL * 1024 << 0LL;
}

void tst_decoderprivate::decodesEveryAudioSample()
{
    QFETCH(QString, file);
    QFETCH(MediaFixtures::Clip, clip);
    QFETCH(int, outputRate);
    QFETCH(int, outputChannels);
    QFETCH(int, frameSize);
    QFETCH(qint64, expectedSamples);
    QFETCH(qint64, tolerance);

    QString path = m_fixtures.path(file);
    if (!QFile::exists(path))
        path = m_fixtures.make(file, clip);
    QVERIFY(!path.isEmpty());

    decoderprivate decoder;
    QCOMPARE(openWithBestStreams(decoder, path), 0);
    QCOMPARE(decoder.audioChannels(), clip.audioChannels);
    QCOMPARE(decoder.audioSampleRate(), clip.sampleRate);
    if (outputRate > 0)
        decoder.setAudioFormat(AV_SAMPLE_FMT_FLT, outputRate, outputChannels, frameSize);
    const Decoded decoded = decodeAll(decoder);

    QCOMPARE(decoded.result, AVERROR_EOF);
    QVERIFY2(qAbs(decoded.audioSamples - expectedSamples) <= tolerance,
             qPrintable(QString::number(decoded.audioSamples)));
    QCOMPARE(decoded.audioChannels, outputChannels);
    const int rate = outputRate > 0 ? outputRate : clip.sampleRate;
    QCOMPARE(decoded.audioSampleRate, rate);
    QCOMPARE(decoded.firstAudioPts, 0);
    // The tone reaches every output channel.
    QVERIFY2(decoded.quietestChannelPeak > 0.02f,
             qPrintable(QString::number(decoded.quietestChannelPeak)));
    // Durations add up to the samples handed out, within rounding per frame.
    QVERIFY(qAbs(decoded.audioDuration - decoded.audioSamples * Second / rate)
            <= decoded.audioFrames);
}

void tst_decoderprivate::seekLandsAtTarget_data()
{
    QTest::addColumn<qint64>("target");
    QTest::addColumn<int>("flags");
    QTest::addColumn<qint64>("firstFrame");

    // Keyframes every 5 frames (200 ms); the first frame shown is the keyframe
    // at or after the target, or at or before it when seeking backwards.
    QTest::newRow("on a keyframe") << 8000000LL << 0 << 8000000LL;
    QTest::newRow("between keyframes") << 12345678LL << 0 << 14000000LL;
    QTest::newRow("backward") << 12345678LL << int(AVSEEK_FLAG_BACKWARD) << 12000000LL;
    QTest::newRow("start") << 0LL << int(AVSEEK_FLAG_BACKWARD) << 0LL;
}

void tst_decoderprivate::seekLandsAtTarget()
{
    QFETCH(qint64, target);
    QFETCH(int, flags);
    QFETCH(qint64, firstFrame);

    QString path = m_fixtures.path(QStringLiteral("gop5.mp4"));
    if (!QFile::exists(path)) {
        MediaFixtures::Clip c = clip();
        c.gop = 5;
        path = m_fixtures.make(QStringLiteral("gop5.mp4"), c);
    }
    QVERIFY(!path.isEmpty());

    decoderprivate decoder;
    QCOMPARE(openWithBestStreams(decoder, path), 0);
    // Read ahead first, so the seek has buffered state to throw away.
    for (int i = 0; i < 10; ++i) {
        AVFrame *frame = nullptr;
        QVERIFY(decoder.decode(nullptr, &frame, nullptr, nullptr) >= 0);
        decoder.recycleFrame(frame);
    }

    QVERIFY(decoder.seek(target, flags) >= 0);
    const Decoded decoded = decodeAll(decoder);
    QVERIFY(!decoded.videoPts.empty());
    QCOMPARE(decoded.videoPts.front(), firstFrame);
    // Everything from there to the end, nothing from before the seek.
    QCOMPARE(qint64(decoded.videoPts.size()), (2 * Second - firstFrame) / (Second / 25));

    // A seek after the end starts decoding afresh.
    QVERIFY(decoder.seek(0, AVSEEK_FLAG_BACKWARD) >= 0);
    QCOMPARE(int(decodeAll(decoder).videoPts.size()), 50);
}

void tst_decoderprivate::rotatedClipDecodesToRotatedSize_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("rotation");

    QTest::newRow("display matrix 90") << "rotated90.mp4" << 90;
    QTest::newRow("rotate tag 270") << "rotated270.mkv" << 270;
    QTest::newRow("rotate tag 180") << "rotated180.mkv" << 180;
}

void tst_decoderprivate::rotatedClipDecodesToRotatedSize()
{
    QFETCH(QString, file);
    QFETCH(int, rotation);

    MediaFixtures::Clip c = clip(10);
    c.rotation = rotation;
    c.audioChannels = 1;
    const QString path = m_fixtures.make(file, c);
    QVERIFY(!path.isEmpty());

    decoderprivate decoder;
    QCOMPARE(decoder.openInputFile(path), 0);
    QCOMPARE(decoder.selectStream(decoder.bestStream(AVMEDIA_TYPE_VIDEO)), 0);
    // Selecting the audio stream afterwards keeps the picture's rotation.
    QCOMPARE(decoder.selectStream(decoder.bestStream(AVMEDIA_TYPE_AUDIO)), 0);
    QCOMPARE(decoder.rotation(), rotation);
    QCOMPARE(decoder.sourceSize(), QSize(320, 240));

    const bool sideways = rotation % 180 != 0;
    const QSize shown = sideways ? QSize(120, 160) : QSize(160, 120);
    decoder.setTargetSize(shown);
    decoder.setPixelFormat(AV_PIX_FMT_YUV420P);

    AVMediaType type = AVMEDIA_TYPE_UNKNOWN;
    AVFrame *frame = nullptr;
    do {
        QVERIFY(decoder.decode(&type, &frame, nullptr, nullptr) >= 0);
    } while (type != AVMEDIA_TYPE_VIDEO);
    QCOMPARE(QSize(frame->width, frame->height), shown);
    const QImage image = decoder.frameAsQImage(frame);
    QCOMPARE(image.size(), shown);
    QCOMPARE(image.format(), QImage::Format_ARGB32_Premultiplied);
    decoder.recycleFrame(frame);
}

void tst_decoderprivate::frameAsQImageFollowsFrameSize()
{
    // One decoder converts frames of two sizes in turn; each image must match
    // its frame (a converter kept from the first size would overrun).
    MediaFixtures::Clip c = clip(5);
    const QString path = m_fixtures.make(QStringLiteral("small.mp4"), c);
    QVERIFY(!path.isEmpty());

    decoderprivate large;
    decoderprivate small;
    QCOMPARE(openWithBestStreams(large, path), 0);
    QCOMPARE(openWithBestStreams(small, path), 0);
    large.setTargetSize(QSize(320, 240));
    small.setTargetSize(QSize(96, 64));

    decoderprivate converter;
    AVFrame *big = nullptr;
    AVFrame *little = nullptr;
    QVERIFY(large.decode(nullptr, &big, nullptr, nullptr) >= 0);
    QVERIFY(small.decode(nullptr, &little, nullptr, nullptr) >= 0);

    const QImage first = converter.frameAsQImage(big).copy();
    const QImage second = converter.frameAsQImage(little).copy();
    const QImage third = converter.frameAsQImage(big);
    QCOMPARE(first.size(), QSize(320, 240));
    QCOMPARE(second.size(), QSize(96, 64));
    QCOMPARE(third, first);
    // The picture is opaque: the converter filled every alpha byte.
    QCOMPARE(qAlpha(first.pixel(10, 10)), 255);

    large.recycleFrame(big);
    small.recycleFrame(little);
}

void tst_decoderprivate::frameAsQImageOfOneBitPicture_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QSize>("size");

    // A 1-bit frame has an eighth of a byte per pixel: nothing of its line
    // size tells how long an image row is.
    QTest::newRow("picture at preview size") << "onebit.pbm" << QSize(960, 720);
    QTest::newRow("picture at full HD") << "onebit.pbm" << QSize(1920, 1440);
    QTest::newRow("cover of an MP3, thumbnail") << "cover.mp3" << QSize(320, 240);
}

void tst_decoderprivate::frameAsQImageOfOneBitPicture()
{
    QFETCH(QString, file);
    QFETCH(QSize, size);

    decoderprivate decoder;
    QCOMPARE(decoder.openInputFile(m_fixtures.path(file)), 0);
    QCOMPARE(decoder.selectStream(decoder.bestStream(AVMEDIA_TYPE_VIDEO)), 0);
    decoder.setTargetSize(size);
    AVMediaType type = AVMEDIA_TYPE_UNKNOWN;
    AVFrame *frame = nullptr;
    QVERIFY(decoder.decode(&type, &frame, nullptr, nullptr) >= 0);
    QVERIFY(frame->format == AV_PIX_FMT_MONOBLACK || frame->format == AV_PIX_FMT_MONOWHITE);

    const QImage image = decoder.frameAsQImage(frame);
    decoder.recycleFrame(frame);
    QCOMPARE(image.size(), size);
    // The test pattern, black and white, opaque everywhere.
    int white = 0;
    for (int y = 0; y < image.height(); y += 7) {
        for (int x = 0; x < image.width(); x += 7) {
            const QRgb pixel = image.pixel(x, y);
            QCOMPARE(qAlpha(pixel), 255);
            QVERIFY(qRed(pixel) == qGreen(pixel) && qGreen(pixel) == qBlue(pixel));
            white += qRed(pixel) > 128;
        }
    }
    const int samples = ((image.width() + 6) / 7) * ((image.height() + 6) / 7);
    QVERIFY2(white > samples / 10 && white < samples * 9 / 10, qPrintable(QString::number(white)));
}

void tst_decoderprivate::reopenReadsFromTheStart()
{
    // Cut short, the file loses its index: seeking to its start fails there.
    MediaFixtures::Clip c = clip();
    c.audioChannels = 2;
    const QString whole = m_fixtures.make(QStringLiteral("whole.mkv"), c);
    QVERIFY(!whole.isEmpty());
    const QString cut = m_fixtures.path(QStringLiteral("cut.mkv"));
    QVERIFY(QFile::copy(whole, cut));
    QVERIFY(QFile(cut).resize(QFileInfo(whole).size() * 3 / 10));

    decoderprivate decoder;
    QCOMPARE(openWithBestStreams(decoder, cut), 0);
    const Decoded first = decodeAll(decoder);
    QVERIFY(!first.videoPts.empty() && first.audioSamples > 0);

    QCOMPARE(decoder.reopen(), 0);
    const Decoded again = decodeAll(decoder);
    QCOMPARE(again.result, AVERROR_EOF);
    QCOMPARE(again.videoPts, first.videoPts);
    QCOMPARE(again.audioSamples, first.audioSamples);
}

void tst_decoderprivate::durationFallbacks_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<MediaFixtures::Clip>("clip");
    QTest::addColumn<qint64>("expected");

    // Written to a pipe, these files state no duration anywhere.
    MediaFixtures::Clip keyframes = clip();
    keyframes.streamedFormat = QStringLiteral("matroska");
    keyframes.gop = 5;
    MediaFixtures::Clip oneKeyframe = clip();
    oneKeyframe.streamedFormat = QStringLiteral("matroska");
    MediaFixtures::Clip rawH264 = clip();
    rawH264.streamedFormat = QStringLiteral("h264");

    QTest::newRow("stated by the container") << "stated.mp4" << clip() << 2 * Second;
    // Seeking to the end finds the last keyframe, at 1.8 s.
    QTest::newRow("packet after seeking to the end")
            << "keyframes.mkv" << keyframes << 18 * Second / 10;
    // That seek lands on the first frame, so every packet is read.
    QTest::newRow("scan of all packets") << "onekeyframe.mkv" << oneKeyframe << 2 * Second;
    // No packet has a time: unknown, not an error code.
    QTest::newRow("nothing known") << "raw.h264" << rawH264 << -1LL;
}

void tst_decoderprivate::durationFallbacks()
{
    QFETCH(QString, file);
    QFETCH(MediaFixtures::Clip, clip);
    QFETCH(qint64, expected);

    const QString path = m_fixtures.make(file, clip);
    QVERIFY(!path.isEmpty());

    decoderprivate decoder;
    QCOMPARE(openWithBestStreams(decoder, path), 0);
    QCOMPARE(decoder.duration(), expected);

    // Working the duration out must not move the read position.
    const Decoded decoded = decodeAll(decoder);
    QCOMPARE(int(decoded.videoPts.size()), clip.frames);
}

void tst_decoderprivate::invalidInputsFailCleanly()
{
    const QString text = m_fixtures.path(QStringLiteral("notes.mp4"));
    {
        QFile file(text);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray("this is not a media file\n").repeated(200));
    }
    const QString empty = m_fixtures.path(QStringLiteral("empty.mkv"));
    QVERIFY(QFile(empty).open(QIODevice::WriteOnly));

    for (const QString &path : {text, empty, m_fixtures.path(QStringLiteral("missing.mp4"))}) {
        decoderprivate decoder;
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("^Cannot open input file:"));
        QVERIFY(decoder.openInputFile(path) < 0);
        QCOMPARE(decoder.duration(), -1);
        QVERIFY(decoder.bestStream(AVMEDIA_TYPE_VIDEO) < 0);
        QCOMPARE(decoder.selectStream(0), AVERROR_STREAM_NOT_FOUND);
        AVMediaType type = AVMEDIA_TYPE_VIDEO;
        AVFrame *frame = nullptr;
        QCOMPARE(decoder.decode(&type, &frame, nullptr, nullptr), AVERROR_EOF);
        QCOMPARE(type, AVMEDIA_TYPE_UNKNOWN);
        QVERIFY(!frame);
        QVERIFY(decoder.frameAsQImage(nullptr).isNull());
    }

    // Misuse of an open decoder is refused without harm.
    MediaFixtures::Clip videoOnly = clip(5);
    const QString path = m_fixtures.make(QStringLiteral("videoonly.mp4"), videoOnly);
    QVERIFY(!path.isEmpty());
    decoderprivate decoder;
    QCOMPARE(decoder.openInputFile(path), 0);
    QVERIFY(decoder.bestStream(AVMEDIA_TYPE_AUDIO) < 0);
    QCOMPARE(decoder.selectStream(7), AVERROR_STREAM_NOT_FOUND);
    QCOMPARE(decoder.selectStream(-1), AVERROR_STREAM_NOT_FOUND);
    QCOMPARE(decoder.closeStreams(7), AVERROR_STREAM_NOT_FOUND);
    QCOMPARE(decoder.selectStream(0), 0);
    QCOMPARE(decoder.selectStream(0), 0);
    QCOMPARE(decoder.videoCodecName(), QStringLiteral("h264"));

    FramePtr foreign(av_frame_alloc());
    QTest::ignoreMessage(QtWarningMsg, "Frame was not handed out by this decoder");
    decoder.recycleFrame(foreign.get());

    // A graph that cannot be built fails each frame of its stream.
    decoderprivate impossible;
    QCOMPARE(openWithBestStreams(impossible, path), 0);
    impossible.setPixelFormat(AV_PIX_FMT_VDPAU);
    const int failure = impossible.decode(nullptr, nullptr, nullptr, nullptr);
    QVERIFY(failure < 0 && failure != AVERROR_EOF);
    QCOMPARE(impossible.decode(nullptr, nullptr, nullptr, nullptr), failure);

    // Frames still lent out when the decoder closes are freed with it.
    AVFrame *kept = nullptr;
    QVERIFY(decoder.decode(nullptr, &kept, nullptr, nullptr) >= 0);
    QCOMPARE(decoder.closeStreams(0), 0);
    QVERIFY(decoder.videoCodecName().isEmpty());
    decoder.close();
    QCOMPARE(decoder.decode(nullptr, nullptr, nullptr, nullptr), AVERROR_EOF);
}

QTEST_GUILESS_MAIN(tst_decoderprivate)
#include "tst_decoderprivate.moc"

#include "core/avptr.h"
#include "core/encoderprivate.h"
#include "waitbound.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/imgutils.h>
}

#include <cmath>

#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct VideoInput
{
    QSize size{320, 240};
    AVRational rate{25, 1};
    AVPixelFormat pixelFormat = AV_PIX_FMT_YUV444P;
    int frames = 50;
};

struct AudioInput
{
    int sampleRate = 44100;
    int channels = 2;
    AVSampleFormat sampleFormat = AV_SAMPLE_FMT_S16;
    double seconds = 2.0;
};

// Drives the encoder the way a conversion does and feeds it synthetic frames.
class SyntheticEncode
{
public:
    encoderprivate encoder;
    int videoIndex = -1;
    int audioIndex = -1;
    AVPixelFormat chosenPixelFormat = AV_PIX_FMT_NONE;
    AVRational frameRate{0, 0};
    qint64 audioSamplesWritten = 0;
    int audioFrameSamples = 0;

    bool open(const QString &path) { return encoder.openOutputFile(path) == 0; }

    bool addVideo(const QString &name, const VideoInput &input, int bitRate = 1000000)
    {
        const AVCodec *codec = encoder.findEncoder(encoder.defaultVideoCodec(), name);
        if (!codec || encoder.addStream(codec) < 0)
            return false;
        frameRate = input.rate;
        encoder.setFrameRate(frameRate.num, frameRate.den);
        encoder.setPixelFormat(input.pixelFormat, chosenPixelFormat);
        encoder.setFrameSize(input.size);
        encoder.setBitRate(bitRate);
        videoIndex = encoder.openVideoStream();
        return videoIndex >= 0;
    }

    bool addAudio(const QString &name, const AudioInput &input, int bitRate = 128000)
    {
        const AVCodec *codec = encoder.findEncoder(encoder.defaultAudioCodec(), name);
        if (!codec || encoder.addStream(codec) < 0)
            return false;
        AVSampleFormat format = input.sampleFormat;
        int rate = input.sampleRate;
        AVChannelLayout layout;
        av_channel_layout_default(&layout, input.channels);
        encoder.setAudioFormat(format, rate, layout, bitRate);
        av_channel_layout_uninit(&layout);
        audioIndex = encoder.openAudioStream();
        return audioIndex >= 0;
    }

    // Video and audio frames in time order, as a decoder delivers them.
    int writeAll(const VideoInput &video, const AudioInput &audio)
    {
        const AVCodecContext *audioContext = encoder.codecContext(audioIndex);
        const qint64 audioTotal = audioContext ? qint64(audio.seconds * audioContext->sample_rate)
                                               : 0;
        qint64 videoFrame = 0;
        const int videoTotal = videoIndex >= 0 ? video.frames : 0;
        while (videoFrame < videoTotal || audioSamplesWritten < audioTotal) {
            const double videoTime = videoFrame < videoTotal
                    ? videoFrame * av_q2d(av_inv_q(frameRate))
                    : HUGE_VAL;
            const double audioTime = audioSamplesWritten < audioTotal
                    ? double(audioSamplesWritten) / audioContext->sample_rate
                    : HUGE_VAL;
            const int ret = videoTime <= audioTime ? writeVideoFrame(videoFrame++)
                                                   : writeAudioFrame();
            if (ret < 0)
                return ret;
        }
        return 0;
    }

    int writeVideoFrame(qint64 index)
    {
        const AVCodecContext *context = encoder.codecContext(videoIndex);
        FramePtr frame(makeVideoFrame(context->width, context->height, context->pix_fmt, index));
        if (!frame)
            return AVERROR(ENOMEM);
        frame->pts = index;
        return encoder.writeFrame(frame.get(), videoIndex);
    }

    // Always whole encoder frames: not every encoder takes a short last one.
    int writeAudioFrame()
    {
        const AVCodecContext *context = encoder.codecContext(audioIndex);
        const int samples = context->frame_size > 0 ? context->frame_size : 1024;
        audioFrameSamples = samples;
        FramePtr frame(makeAudioFrame(context, samples, audioSamplesWritten));
        if (!frame)
            return AVERROR(ENOMEM);
        frame->pts = audioSamplesWritten;
        audioSamplesWritten += samples;
        return encoder.writeFrame(frame.get(), audioIndex);
    }

    static AVFrame *makeVideoFrame(int width, int height, AVPixelFormat format, qint64 index)
    {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(QColor::fromHsv(int(index * 7 % 360), 200, 220));
        QPainter painter(&image);
        painter.fillRect(int(index * 4 % qMax(1, width)), height / 4, width / 8, height / 2,
                         Qt::white);
        painter.end();

        FramePtr frame(av_frame_alloc());
        frame->width = width;
        frame->height = height;
        frame->format = format;
        if (av_frame_get_buffer(frame.get(), 0) < 0)
            return nullptr;
        SwsContextPtr sws(sws_getContext(width, height, AV_PIX_FMT_BGRA, width, height, format,
                                         SWS_BICUBIC, nullptr, nullptr, nullptr));
        if (!sws)
            return nullptr;
        const uint8_t *source[] = {image.constBits()};
        const int sourceStride[] = {int(image.bytesPerLine())};
        sws_scale(sws.get(), source, sourceStride, 0, height, frame->data, frame->linesize);
        return frame.release();
    }

    static AVFrame *makeAudioFrame(const AVCodecContext *context, int samples, qint64 offset)
    {
        const int channels = context->ch_layout.nb_channels;
        FramePtr frame(av_frame_alloc());
        frame->format = context->sample_fmt;
        frame->sample_rate = context->sample_rate;
        frame->nb_samples = samples;
        av_channel_layout_copy(&frame->ch_layout, &context->ch_layout);
        if (av_frame_get_buffer(frame.get(), 0) < 0)
            return nullptr;

        std::vector<float> tone(size_t(samples * channels));
        for (int i = 0; i < samples; ++i) {
            const double t = double(offset + i) / context->sample_rate;
            for (int c = 0; c < channels; ++c)
                tone[size_t(i * channels + c)] = float(0.3 * std::sin(2 * M_PI * 440 * (c + 1) * t));
        }
        // This FFmpeg's resampler set-up takes its layouts non-const.
        AVChannelLayout layout;
        av_channel_layout_copy(&layout, &context->ch_layout);
        SwrContext *raw = nullptr;
        swr_alloc_set_opts2(&raw, &layout, context->sample_fmt, context->sample_rate, &layout,
                            AV_SAMPLE_FMT_FLT, context->sample_rate, 0, nullptr);
        av_channel_layout_uninit(&layout);
        SwrContextPtr swr(raw);
        if (!swr || swr_init(swr.get()) < 0)
            return nullptr;
        const uint8_t *source[] = {reinterpret_cast<const uint8_t *>(tone.data())};
        if (swr_convert(swr.get(), frame->data, samples, source, samples) != samples)
            return nullptr;
        return frame.release();
    }
};

// What ffprobe reads back from a written file.
struct Probe
{
    bool ok = false;
    QString videoCodec;
    QString pixelFormat;
    QSize size;
    int videoFrames = 0;
    QString audioCodec;
    int channels = 0;
    int sampleRate = 0;
    qint64 audioSamples = 0; // decoded, summed over all audio frames
};

QJsonObject runProbe(const QStringList &arguments)
{
    QProcess process;
    process.start("ffprobe", QStringList{"-v", "error", "-of", "json"} + arguments);
    if (!process.waitForFinished(WaitBound::ms()) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0)
        return {};
    return QJsonDocument::fromJson(process.readAllStandardOutput()).object();
}

Probe probe(const QString &path)
{
    Probe result;
    const QJsonObject streams = runProbe({"-count_frames", "-show_entries",
                                          "stream=codec_type,codec_name,pix_fmt,width,height,"
                                          "channels,sample_rate,nb_read_frames",
                                          path});
    const QJsonObject frames = runProbe(
            {"-select_streams", "a", "-show_entries", "frame=nb_samples", path});
    if (streams.isEmpty() || frames.isEmpty())
        return result;
    for (const QJsonValue &value : streams.value("streams").toArray()) {
        const QJsonObject stream = value.toObject();
        if (stream.value("codec_type").toString() == "video") {
            result.videoCodec = stream.value("codec_name").toString();
            result.pixelFormat = stream.value("pix_fmt").toString();
            result.size = QSize(stream.value("width").toInt(), stream.value("height").toInt());
            result.videoFrames = stream.value("nb_read_frames").toString().toInt();
        } else if (stream.value("codec_type").toString() == "audio") {
            result.audioCodec = stream.value("codec_name").toString();
            result.channels = stream.value("channels").toInt();
            result.sampleRate = stream.value("sample_rate").toString().toInt();
        }
    }
    for (const QJsonValue &frame : frames.value("frames").toArray())
        result.audioSamples += frame.toObject().value("nb_samples").toInt();
    result.ok = true;
    return result;
}

} // namespace

Q_DECLARE_METATYPE(AVCodecID)
Q_DECLARE_METATYPE(AVPixelFormat)
Q_DECLARE_METATYPE(AVSampleFormat)
Q_DECLARE_METATYPE(AVRational)

class tst_EncoderPrivate : public QObject
{
    Q_OBJECT

private slots:
    void containers_data();
    void containers();
    void defaultCodecs_data();
    void defaultCodecs();
    void findEncoder_data();
    void findEncoder();
    void videoSettings_data();
    void videoSettings();
    void oddSizeIsEncodedEven_data();
    void oddSizeIsEncodedEven();
    void standInChoosesItsThreads_data();
    void standInChoosesItsThreads();
    void audioFormat_data();
    void audioFormat();
    void noFrameLeavesNoFile();
    void outputGoneIsNoSuccess_data();
    void outputGoneIsNoSuccess();
    void failuresAreReturned();
    void trailerFailureIsReported();

private:
    QString path(const QString &name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
};

void tst_EncoderPrivate::containers_data()
{
    QTest::addColumn<QString>("extension");
    QTest::addColumn<QString>("videoEncoder");
    QTest::addColumn<QString>("audioEncoder");
    QTest::addColumn<QString>("videoCodec");
    QTest::addColumn<QString>("audioCodec");

    QTest::newRow("mp4") << "mp4"
                         << "h264_mf"
                         << "aac_mf"
                         << "h264"
                         << "aac";
    QTest::newRow("mov") << "mov"
                         << "h264_mf"
                         << "aac_mf"
                         << "h264"
                         << "aac";
    QTest::newRow("mkv") << "mkv"
                         << "h264_mf"
                         << "aac_mf"
                         << "h264"
                         << "aac";
    QTest::newRow("avi") << "avi"
                         << "h264_mf"
                         << "ac3_mf"
                         << "h264"
                         << "ac3";
    QTest::newRow("webm") << "webm"
                          << "libvpx"
                          << "libvorbis"
                          << "vp8"
                          << "vorbis";
    QTest::newRow("mpeg") << "mpeg"
                          << "mpeg2video"
                          << "mp2"
                          << "mpeg2video"
                          << "mp2";
    QTest::newRow("mp3") << "mp3" << QString() << "mp3_mf" << QString() << "mp3";
    QTest::newRow("wav") << "wav" << QString() << "pcm_s16le" << QString() << "pcm_s16le";
    QTest::newRow("m4a") << "m4a" << QString() << "aac_mf" << QString() << "aac";
    QTest::newRow("wma") << "wma" << QString() << "wmav2" << QString() << "wmav2";
}

// A 4:4:4 source must still come out as playable 4:2:0, and draining must
// keep every frame up to the end.
void tst_EncoderPrivate::containers()
{
    QFETCH(QString, extension);
    QFETCH(QString, videoEncoder);
    QFETCH(QString, audioEncoder);
    QFETCH(QString, videoCodec);
    QFETCH(QString, audioCodec);

    const QString file = path("containers." + extension);
    const VideoInput video;
    const AudioInput audio;
    SyntheticEncode encode;
    QVERIFY(encode.open(file));
    if (!videoEncoder.isEmpty())
        QVERIFY(encode.addVideo(videoEncoder, video));
    QVERIFY(encode.addAudio(audioEncoder, audio));
    QCOMPARE(encode.writeAll(video, audio), 0);
    QCOMPARE(encode.encoder.finalize(), 0);

    const Probe result = probe(file);
    QVERIFY(result.ok);
    QCOMPARE(result.videoCodec, videoCodec);
    if (!videoCodec.isEmpty()) {
        QCOMPARE(result.pixelFormat, QString("yuv420p"));
        QCOMPARE(result.videoFrames, video.frames);
    }
    QCOMPARE(result.audioCodec, audioCodec);
    // Decoders may add the encoder's priming or drop its padding: one frame.
    QVERIFY2(qAbs(result.audioSamples - encode.audioSamplesWritten) <= encode.audioFrameSamples,
             qPrintable(QString("decoded %1 samples of %2")
                                .arg(result.audioSamples)
                                .arg(encode.audioSamplesWritten)));
}

void tst_EncoderPrivate::defaultCodecs_data()
{
    QTest::addColumn<QString>("extension");
    QTest::addColumn<AVCodecID>("video");
    QTest::addColumn<AVCodecID>("audio");

    QTest::newRow("mp4: MPEG-4 part 2 becomes H.264")
            << "mp4" << AV_CODEC_ID_H264 << AV_CODEC_ID_AAC;
    QTest::newRow("webm: VP9 and Opus become VP8 and Vorbis")
            << "webm" << AV_CODEC_ID_VP8 << AV_CODEC_ID_VORBIS;
    QTest::newRow("mpeg: MPEG-1 becomes MPEG-2")
            << "mpeg" << AV_CODEC_ID_MPEG2VIDEO << AV_CODEC_ID_MP2;
    QTest::newRow("wav") << "wav" << AV_CODEC_ID_NONE << AV_CODEC_ID_PCM_S16LE;
}

void tst_EncoderPrivate::defaultCodecs()
{
    QFETCH(QString, extension);
    QFETCH(AVCodecID, video);
    QFETCH(AVCodecID, audio);

    encoderprivate encoder;
    QCOMPARE(encoder.openOutputFile(path("defaults." + extension)), 0);
    QCOMPARE(encoder.defaultVideoCodec(), video);
    QCOMPARE(encoder.defaultAudioCodec(), audio);
}

void tst_EncoderPrivate::findEncoder_data()
{
    QTest::addColumn<AVCodecID>("codec");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");

    QTest::newRow("empty: the codec's default") << AV_CODEC_ID_VP8 << QString() << "libvpx";
    QTest::newRow("auto in any case") << AV_CODEC_ID_AAC << "AUTO"
                                      << "aac";
    QTest::newRow("own encoder by name") << AV_CODEC_ID_VORBIS << "libvorbis"
                                         << "libvorbis";
    QTest::newRow("h264_mf") << AV_CODEC_ID_H264 << "h264_mf"
                             << "libx264";
    QTest::newRow("H264_MF") << AV_CODEC_ID_H264 << "H264_MF"
                             << "libx264";
    QTest::newRow("mp3_mf") << AV_CODEC_ID_MP3 << "mp3_mf"
                            << "libmp3lame";
    // The named encoder's codec decides, not the container's default.
    QTest::newRow("ac3_mf in an AAC container") << AV_CODEC_ID_AAC << "ac3_mf"
                                                << "ac3";
    QTest::newRow("unknown name") << AV_CODEC_ID_H264 << "no_such_encoder" << QString();
}

void tst_EncoderPrivate::findEncoder()
{
    QFETCH(AVCodecID, codec);
    QFETCH(QString, name);
    QFETCH(QString, expected);

    encoderprivate encoder;
    const AVCodec *found = encoder.findEncoder(codec, name);
    QCOMPARE(found ? QString::fromLatin1(found->name) : QString(), expected);
}

void tst_EncoderPrivate::videoSettings_data()
{
    QTest::addColumn<QString>("extension");
    QTest::addColumn<QString>("name");
    QTest::addColumn<AVPixelFormat>("requested");
    QTest::addColumn<AVRational>("rate");
    QTest::addColumn<AVPixelFormat>("chosen");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<AVRational>("encodedRate");

    const auto row = [](const char *tag, const char *extension, const char *name,
                        AVPixelFormat requested, AVRational rate, AVPixelFormat chosen,
                        AVRational encodedRate) {
        QTest::newRow(tag) << QString(extension) << QString(name) << requested << rate << chosen
                           << (chosen == requested) << encodedRate;
    };
    const AVRational r25{25, 1};
    row("h264_mf takes 4:2:0", "mp4", "h264_mf", AV_PIX_FMT_YUV420P, r25, AV_PIX_FMT_YUV420P, r25);
    row("h264_mf refuses 4:4:4", "mp4", "h264_mf", AV_PIX_FMT_YUV444P, r25, AV_PIX_FMT_NV12, r25);
    row("h264_mf refuses 10 bit", "mp4", "h264_mf", AV_PIX_FMT_YUV420P10LE, r25, AV_PIX_FMT_NV12,
        r25);
    row("libx264 by name takes 4:4:4", "mkv", "libx264", AV_PIX_FMT_YUV444P, r25,
        AV_PIX_FMT_YUV444P, r25);
    row("mpeg2video snaps the rate", "mpeg", "mpeg2video", AV_PIX_FMT_RGB24, {33, 1},
        AV_PIX_FMT_YUV420P, {32, 1});
    row("libvpx keeps any rate", "webm", "libvpx", AV_PIX_FMT_YUV420P, {33, 1}, AV_PIX_FMT_YUV420P,
        {33, 1});
}

void tst_EncoderPrivate::videoSettings()
{
    QFETCH(QString, extension);
    QFETCH(QString, name);
    QFETCH(AVPixelFormat, requested);
    QFETCH(AVRational, rate);
    QFETCH(AVPixelFormat, chosen);
    QFETCH(bool, accepted);
    QFETCH(AVRational, encodedRate);

    encoderprivate encoder;
    QCOMPARE(encoder.openOutputFile(path("settings." + extension)), 0);
    QVERIFY(encoder.addStream(encoder.findEncoder(encoder.defaultVideoCodec(), name)) >= 0);

    AVPixelFormat taken = AV_PIX_FMT_NONE;
    QCOMPARE(encoder.setPixelFormat(requested, taken), accepted);
    QCOMPARE(taken, chosen);
    encoder.setFrameRate(rate.num, rate.den);
    QCOMPARE(rate.num, encodedRate.num);
    QCOMPARE(rate.den, encodedRate.den);
    encoder.setBitRate(3000000);

    const AVCodecContext *context = encoder.codecContext(encoder.videoStreamIndex());
    QCOMPARE(context->pix_fmt, chosen);
    QCOMPARE(av_cmp_q(context->time_base, av_inv_q(encodedRate)), 0);
    QCOMPARE(context->bit_rate, 3000000);
    QCOMPARE(context->bit_rate_tolerance, 1000000);
}

void tst_EncoderPrivate::oddSizeIsEncodedEven_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QSize>("encoded");

    QTest::newRow("odd sides lose a pixel") << QSize(1279, 719) << QSize(1278, 718);
    // Rounding down would leave nothing to encode.
    QTest::newRow("a single pixel becomes two") << QSize(1, 1) << QSize(2, 2);
}

void tst_EncoderPrivate::oddSizeIsEncodedEven()
{
    QFETCH(QSize, size);
    QFETCH(QSize, encoded);

    const QString file = path("odd.mp4");
    VideoInput video;
    video.size = size;
    video.frames = 5;
    SyntheticEncode encode;
    QVERIFY(encode.open(file));
    QVERIFY(encode.addVideo("h264_mf", video));
    QCOMPARE(encode.writeAll(video, AudioInput()), 0);
    QCOMPARE(encode.encoder.finalize(), 0);

    const Probe result = probe(file);
    QVERIFY(result.ok);
    QCOMPARE(result.size, encoded);
    QCOMPARE(result.videoFrames, 5);
}

void tst_EncoderPrivate::standInChoosesItsThreads_data()
{
    QTest::addColumn<QString>("extension");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("threads"); // 0: as many as the encoder chooses

    QTest::newRow("h264_mf's stand-in") << "mp4"
                                        << "h264_mf" << 0;
    QTest::newRow("libx264 by its name") << "mkv"
                                         << "libx264" << 4;
    QTest::newRow("libvpx") << "webm"
                            << "libvpx" << 4;
    QTest::newRow("mpeg2video") << "mpeg"
                                << "mpeg2video" << 4;
}

void tst_EncoderPrivate::standInChoosesItsThreads()
{
    QFETCH(QString, extension);
    QFETCH(QString, name);
    QFETCH(int, threads);

    SyntheticEncode encode;
    QVERIFY(encode.open(path("threads." + extension)));
    VideoInput video;
    video.pixelFormat = AV_PIX_FMT_YUV420P;
    QVERIFY(encode.addVideo(name, video));
    QCOMPARE(encode.encoder.codecContext(encode.videoIndex)->thread_count, threads);
}

void tst_EncoderPrivate::audioFormat_data()
{
    QTest::addColumn<QString>("extension");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("sampleRate");
    QTest::addColumn<int>("channels");
    QTest::addColumn<AVSampleFormat>("sampleFormat");
    QTest::addColumn<int>("encodedRate");
    QTest::addColumn<int>("encodedChannels");
    QTest::addColumn<AVSampleFormat>("encodedFormat");

    const auto row = [](const char *tag, const char *extension, const char *name, int rate,
                        int channels, AVSampleFormat format, int encodedRate, int encodedChannels,
                        AVSampleFormat encodedFormat) {
        QTest::newRow(tag) << QString(extension) << QString(name) << rate << channels << format
                           << encodedRate << encodedChannels << encodedFormat;
    };
    const AVSampleFormat fltp = AV_SAMPLE_FMT_FLTP;
    row("aac_mf at 22050 Hz opens at 48000", "m4a", "aac_mf", 22050, 2, fltp, 48000, 2, fltp);
    row("aac_mf keeps 44100 and 5.1", "m4a", "aac_mf", 44100, 6, fltp, 44100, 6, fltp);
    row("wmav2 keeps 44100", "wma", "wmav2", 44100, 2, fltp, 44100, 2, fltp);
    row("wmav2 at 22050 Hz opens at 48000", "wma", "wmav2", 22050, 2, fltp, 48000, 2, fltp);
    row("mp2 takes its first rate and format", "mpeg", "mp2", 8000, 2, fltp, 44100, 2,
        AV_SAMPLE_FMT_S16);
    row("vorbis makes mono stereo", "webm", "libvorbis", 48000, 1, fltp, 48000, 2, fltp);
    row("vorbis makes 5.1 stereo", "webm", "libvorbis", 48000, 6, fltp, 48000, 2, fltp);
    row("5.1 into mp3 gives stereo", "mp3", "mp3_mf", 44100, 6, AV_SAMPLE_FMT_S16, 44100, 2,
        AV_SAMPLE_FMT_S32P);
    row("7.1 into AC-3 gives 5.1, not mono", "avi", "ac3_mf", 48000, 8, fltp, 48000, 6, fltp);
    row("pcm takes 16 bit", "wav", "pcm_s16le", 32000, 1, fltp, 32000, 1, AV_SAMPLE_FMT_S16);
}

// The values chosen are handed back, opened with, and found in the file.
void tst_EncoderPrivate::audioFormat()
{
    QFETCH(QString, extension);
    QFETCH(QString, name);
    QFETCH(int, sampleRate);
    QFETCH(int, channels);
    QFETCH(AVSampleFormat, sampleFormat);
    QFETCH(int, encodedRate);
    QFETCH(int, encodedChannels);
    QFETCH(AVSampleFormat, encodedFormat);

    const QString file = path("audio." + extension);
    SyntheticEncode encode;
    QVERIFY(encode.open(file));
    QVERIFY(encode.encoder.addStream(
                    encode.encoder.findEncoder(encode.encoder.defaultAudioCodec(), name))
            >= 0);

    AVSampleFormat format = sampleFormat;
    int rate = sampleRate;
    AVChannelLayout layout;
    av_channel_layout_default(&layout, channels);
    encode.encoder.setAudioFormat(format, rate, layout, 128000);
    const int handedBackChannels = layout.nb_channels;
    av_channel_layout_uninit(&layout);
    QCOMPARE(format, encodedFormat);
    QCOMPARE(rate, encodedRate);
    QCOMPARE(handedBackChannels, encodedChannels);

    encode.audioIndex = encode.encoder.openAudioStream();
    QVERIFY(encode.audioIndex >= 0);
    AudioInput audio;
    audio.seconds = 0.5;
    QCOMPARE(encode.writeAll(VideoInput(), audio), 0);
    QCOMPARE(encode.encoder.finalize(), 0);

    const Probe result = probe(file);
    QVERIFY(result.ok);
    QCOMPARE(result.sampleRate, encodedRate);
    QCOMPARE(result.channels, encodedChannels);
}

void tst_EncoderPrivate::noFrameLeavesNoFile()
{
    const QString file = path("empty.mp4");
    SyntheticEncode encode;
    QVERIFY(encode.open(file));
    QVERIFY(encode.addVideo("h264_mf", VideoInput()));
    QVERIFY(encode.addAudio("aac_mf", AudioInput()));
    // Nothing written is no finished conversion.
    QCOMPARE(encode.encoder.finalize(), AVERROR(ENODATA));
    QVERIFY(!QFileInfo::exists(file));
}

void tst_EncoderPrivate::outputGoneIsNoSuccess_data()
{
    QTest::addColumn<bool>("replaced"); // else the folder is removed

    QTest::newRow("folder removed while writing") << false;
    QTest::newRow("another file put in its place") << true;
}

// Finishing checks that the path still names the file written: a file
// written into a removed folder or moved aside is not there to be used.
void tst_EncoderPrivate::outputGoneIsNoSuccess()
{
    QFETCH(bool, replaced);

    const QString folder = path(replaced ? "replaced" : "removed");
    QVERIFY(QDir().mkpath(folder));
    const QString file = folder + "/out.mp4";
    VideoInput video;
    video.frames = 5;
    SyntheticEncode encode;
    QVERIFY(encode.open(file));
    QVERIFY(encode.addVideo("h264_mf", video));
    QCOMPARE(encode.writeAll(video, AudioInput()), 0);

    if (replaced) {
        QVERIFY(QFile::rename(file, folder + "/aside.mp4"));
        QFile other(file);
        QVERIFY(other.open(QIODevice::WriteOnly));
        other.write("not the output");
    } else {
        QVERIFY(QDir(folder).removeRecursively());
    }
    QVERIFY(encode.encoder.finalize() < 0);
    QVERIFY(encode.encoder.verifyWrittenFile(file) < 0);
    if (replaced)
        QCOMPARE(encode.encoder.verifyWrittenFile(folder + "/aside.mp4"), 0);
}

void tst_EncoderPrivate::failuresAreReturned()
{
    {
        // No format for the extension: no codecs can be guessed either.
        encoderprivate encoder;
        QCOMPARE(encoder.openOutputFile(path("unknown.nosuchformat")), AVERROR_UNKNOWN);
        QCOMPARE(encoder.addStream(encoder.findEncoder(AV_CODEC_ID_H264, "h264_mf")),
                 AVERROR_UNKNOWN);
        QCOMPARE(encoder.openVideoStream(), AVERROR_EXTERNAL);
        QCOMPARE(encoder.openAudioStream(), AVERROR_EXTERNAL);
        QCOMPARE(encoder.finalize(), AVERROR(ENODATA));
    }
    {
        // Without a frame rate the encoder cannot open, and says so.
        encoderprivate encoder;
        QCOMPARE(encoder.openOutputFile(path("norate.mp4")), 0);
        QVERIFY(encoder.addStream(encoder.findEncoder(AV_CODEC_ID_H264, "h264_mf")) >= 0);
        encoder.setFrameSize(QSize(320, 240));
        AVPixelFormat chosen;
        encoder.setPixelFormat(AV_PIX_FMT_YUV420P, chosen);
        QVERIFY(encoder.openVideoStream() < 0);
        QCOMPARE(encoder.finalize(), AVERROR(ENODATA));
    }
    {
        // A file that cannot be created fails the first frame and every
        // later one, and finalizing writes nothing.
        const QString file = path("missing-folder/out.mp4");
        SyntheticEncode encode;
        QVERIFY(encode.open(file));
        QVERIFY(encode.addVideo("h264_mf", VideoInput()));
        QVERIFY(encode.writeVideoFrame(0) < 0);
        QVERIFY(encode.writeVideoFrame(1) < 0);
        QCOMPARE(encode.encoder.writeFrame(nullptr, encode.videoIndex), AVERROR(ENOENT));
        QCOMPARE(encode.encoder.finalize(), AVERROR(ENOENT));
        QVERIFY(!QFileInfo::exists(file));
    }
    {
        // A frame for a stream that does not exist is refused.
        SyntheticEncode encode;
        QVERIFY(encode.open(path("badindex.mp4")));
        QVERIFY(encode.addVideo("h264_mf", VideoInput()));
        FramePtr frame(SyntheticEncode::makeVideoFrame(320, 240, AV_PIX_FMT_YUV420P, 0));
        QCOMPARE(encode.encoder.writeFrame(frame.get(), 3), AVERROR(EINVAL));
        QCOMPARE(frame->width, 0); // unreferenced all the same
        QCOMPARE(encode.encoder.finalize(), AVERROR(ENODATA));
    }
    {
        // A frame of another size or format than the encoder's would be read
        // with the encoder's layout: refused, and no file is begun for it.
        const QString file = path("misfit.mp4");
        SyntheticEncode encode;
        QVERIFY(encode.open(file));
        QVERIFY(encode.addVideo("h264_mf", VideoInput()));
        for (const auto &[size, format] : {std::make_pair(QSize(240, 320), AV_PIX_FMT_YUV420P),
                                           std::make_pair(QSize(320, 240), AV_PIX_FMT_YUV444P)}) {
            FramePtr frame(SyntheticEncode::makeVideoFrame(size.width(), size.height(), format, 0));
            QCOMPARE(encode.encoder.writeFrame(frame.get(), encode.videoIndex), AVERROR(EINVAL));
        }
        QVERIFY(!QFileInfo::exists(file));
        QCOMPARE(encode.writeVideoFrame(0), 0);
    }
}

// The pipe's reader goes away before the trailer: the last bytes cannot be
// written, and finalizing must say so even though every drain succeeded.
void tst_EncoderPrivate::trailerFailureIsReported()
{
    const QString file = path("pipe.mkv");
    const QByteArray encoded = QFile::encodeName(file);
    QCOMPARE(mkfifo(encoded.constData(), 0600), 0);
    const int reader = ::open(encoded.constData(), O_RDONLY | O_NONBLOCK);
    QVERIFY(reader >= 0);
    const auto previousHandler = signal(SIGPIPE, SIG_IGN);

    SyntheticEncode encode;
    QVERIFY(encode.open(file));
    QVERIFY(encode.addAudio("pcm_s16le", AudioInput()));
    AudioInput audio;
    audio.seconds = 0.1; // one cluster, written by the trailer
    QCOMPARE(encode.writeAll(VideoInput(), audio), 0);
    ::close(reader);
    const int result = encode.encoder.finalize();

    signal(SIGPIPE, previousHandler);
    QVERIFY(result < 0);
}

QTEST_GUILESS_MAIN(tst_EncoderPrivate)
#include "tst_encoderprivate.moc"

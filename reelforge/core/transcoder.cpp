#include "core/transcoder.h"

#include "core/avptr.h"
#include "core/decoderprivate.h"
#include "core/encoderprivate.h"
#include "core/mediautils.h"
#include "core/overlaycompositor.h"
#include "core/platform/sourcefile.h"
#include "datamodel/pip/pipframe.h"

#include <QCoreApplication>
#include <QDebug>
#include <QImage>

#include <algorithm>
#include <limits>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/error.h>
#include <libavutil/pixdesc.h>
}

namespace {

using MediaUtils::errorText;
using MediaUtils::TickTimeBase;

constexpr double MaxInputFrameRate = 120.0;
// Streams are interleaved loosely in a file, but never this far apart.
constexpr qint64 MaxInterleaveLag = MediaTime::ticksFromSeconds(5);
// Audio stamps taken from frame times may be this many samples off.
constexpr int64_t MaxAudioStampJitter = 2;
constexpr AVRational FallbackFrameRate = {30, 1};
// The GUI's own margin for a trim that is no trim: 5 ms.
constexpr qint64 UntrimmedEndTolerance = 50000;

// Formats of the audio codecs that take at most two channels.
bool isStereoOnlyCodec(AVCodecID codec)
{
    return codec == AV_CODEC_ID_MP2 || codec == AV_CODEC_ID_MP3 || codec == AV_CODEC_ID_WMAV2;
}

// Gives a frame handed out by the decoder back to it on every path.
class FrameLease
{
public:
    FrameLease(decoderprivate &decoder, AVFrame *frame) : m_decoder(decoder), m_frame(frame) { }
    ~FrameLease()
    {
        if (!m_frame)
            return;
        av_frame_unref(m_frame);
        m_decoder.recycleFrame(m_frame);
    }
    FrameLease(const FrameLease &) = delete;
    FrameLease &operator=(const FrameLease &) = delete;

private:
    decoderprivate &m_decoder;
    AVFrame *m_frame;
};

QString userText(const char *text)
{
    return QCoreApplication::translate("transcoder", text);
}

QString inputFailure(int code)
{
    if (code == AVERROR_INVALIDDATA)
        return userText("the source file is damaged or is no media file");
    return userText("the source file cannot be read: %1").arg(errorText(code));
}

bool isWriteError(int code)
{
    switch (code) {
    case AVERROR(ENOSPC):
    case AVERROR(EDQUOT):
    case AVERROR(EFBIG):
    case AVERROR(EACCES):
    case AVERROR(EPERM):
    case AVERROR(EROFS):
    case AVERROR(EIO):
        return true;
    default:
        return false;
    }
}

QString outputFailure(int code)
{
    if (code == AVERROR(ENOSPC) || code == AVERROR(EDQUOT))
        return userText("the output file cannot be written: the disk is full");
    if (code == AVERROR(EACCES) || code == AVERROR(EPERM) || code == AVERROR(EROFS))
        return userText("the output file cannot be written: no permission");
    return userText("the output file cannot be written: %1").arg(errorText(code));
}

QString encoderFailure()
{
    return userText("the chosen encoder does not fit the output format");
}

} // namespace

class transcoder::Private
{
public:
    explicit Private(transcoder *q) : q(q) { }

    int openVideoOutput();
    int openAudioOutput();
    int paintOverlays(AVFrame *frame, qint64 time);
    QImage overlayLayer(const PipObjectPtr &object, PipFrame *&overlayFrame, const QSize &frameSize,
                        qint64 time);
    int progressStream() const { return videoInputIndex >= 0 ? videoInputIndex : audioInputIndex; }
    bool endsTrimmedOutput(AVMediaType type, qint64 time);
    // Keeps the first reason only: later failures follow from it.
    int fail(int code, const QString &text)
    {
        if (failure.isEmpty())
            failure = text;
        return code;
    }

    encoderprivate encoder;
    int audioOutputIndex = -1;
    int videoOutputIndex = -1;
    int audioInputIndex = -1;
    int videoInputIndex = -1;
    decoderprivate decoder;
    AudioCodecInfo audio;
    VideoCodecInfo video;
    transcoder *q;
    PipObjectPtr subtitles;
    PipObjectPtr watermark;
    // Children of the transcoder, made at the first painted frame.
    PipFrame *watermarkFrame = nullptr;
    PipFrame *subtitlesFrame = nullptr;
    OverlayCompositor compositor;
    bool useAudio = true;
    bool useVideo = true;
    qint64 totalDuration = 0;
    qint64 inputDuration = 0;
    qint64 processedDuration = 0;
    qint64 trimEnd = 0;
    qint64 trimStart = 0;
    qint64 firstFrameTime = -1;
    // The input's own time of its start: frame times are taken relative to it.
    qint64 startTime = 0;
    // The stamp of the next audio frame: a running sample count, so that
    // times that jump back in the input never reach the encoder.
    int64_t nextAudioPts = AV_NOPTS_VALUE;
    // Each output stream ends on its own at the trim end.
    bool videoEnded = false;
    bool audioEnded = false;
    QString failure;
};

transcoder::transcoder() : d(std::make_unique<Private>(this)) { }

transcoder::~transcoder() = default;

void transcoder::setAudioInfo(const AudioCodecInfo &info)
{
    d->audio = info;
    d->useAudio = !info.name.isEmpty();
}

void transcoder::setVideoInfo(const VideoCodecInfo &info)
{
    d->video = info;
    d->useVideo = !info.name.isEmpty();
}

void transcoder::setUseVideo(bool use)
{
    d->useVideo = use;
}

void transcoder::setUseAudio(bool use)
{
    d->useAudio = use;
}

int transcoder::openInputFile(const QString &path)
{
    int ret = d->decoder.openInputFile(path);
    if (ret < 0) {
        const QString problem = SourceFile::problem(path);
        return d->fail(ret,
                       problem.isEmpty()
                               ? inputFailure(ret)
                               : userText("the source file cannot be read: %1").arg(problem));
    }
    d->inputDuration = d->decoder.duration();
    d->totalDuration = d->inputDuration;

    // The audio stream is read even when it is not converted.
    const int audioIndex = d->decoder.bestStream(AVMEDIA_TYPE_AUDIO);
    if (audioIndex >= 0) {
        ret = d->decoder.selectStream(audioIndex);
        if (ret < 0)
            return d->fail(ret, inputFailure(ret));
        d->audioInputIndex = audioIndex;
    }
    if (d->useVideo) {
        const int videoIndex = d->decoder.bestVideoStream();
        if (videoIndex >= 0) {
            ret = d->decoder.selectStream(videoIndex);
            if (ret < 0)
                return d->fail(ret, inputFailure(ret));
            d->videoInputIndex = videoIndex;
        }
    }
    d->startTime = d->decoder.startTime();
    return 0;
}

void transcoder::dumpInputFileInfo()
{
    const decoderprivate &decoder = d->decoder;
    qInfo() << "=== file media info ===";
    qInfo() << "\tduration      :" << d->inputDuration;
    if (!decoder.videoCodecName().isEmpty()) {
        qInfo().noquote() << "\tvideo codec   :" << decoder.videoCodecName();
        qInfo() << "\tresolution    :" << decoder.sourceSize();
        qInfo() << "\tframerate     :" << decoder.frameRate();
        qInfo() << "\tbitrate       :" << decoder.videoBitrate();
        qInfo() << "\tangle         :" << decoder.rotation();
    }
    if (!decoder.audioCodecName().isEmpty()) {
        qInfo().noquote() << "\taudio codec   :" << decoder.audioCodecName();
        qInfo() << "\tchannels      :" << decoder.audioChannels();
        qInfo() << "\tsamplerate    :" << decoder.audioSampleRate();
    }
}

int transcoder::openOutputFile(const QString &path)
{
    int ret = d->encoder.openOutputFile(path);
    if (ret < 0)
        return d->fail(ret, outputFailure(ret));
    if (d->useVideo && d->videoInputIndex >= 0) {
        ret = d->openVideoOutput();
        if (ret < 0)
            return ret;
    }
    if (d->useAudio && d->audioInputIndex >= 0)
        return d->openAudioOutput();
    return 0;
}

int transcoder::Private::openVideoOutput()
{
    qInfo() << "start video stream processing...";
    const AVCodec *codec = encoder.findEncoder(encoder.defaultVideoCodec(), video.name);
    if (!codec) {
        qCritical().noquote() << "No video encoder" << video.name;
        av_log(nullptr, AV_LOG_ERROR, "Necessary encoder not found\n");
        return fail(AVERROR_ENCODER_NOT_FOUND, encoderFailure());
    }
    if (!encoder.fitsOutput(codec, AVMEDIA_TYPE_VIDEO))
        return fail(AVERROR(EINVAL), encoderFailure());
    qInfo() << "selected video codec" << codec->long_name;
    int ret = encoder.addStream(codec);
    if (ret < 0) {
        qCritical() << "failed to add video output stream!!!";
        return fail(ret, encoderFailure());
    }

    const AVRational inputRate = decoder.sourceFrameRate();
    const double inputRateValue = decoder.frameRate();
    AVRational rate = inputRate;
    if (inputRateValue > MaxInputFrameRate) {
        qWarning() << "framerate too high:" << inputRateValue;
        qWarning() << "use fixed output framerate: 30.0";
        rate = FallbackFrameRate;
    }
    encoder.setFrameRate(rate.num, rate.den);
    // Always, so that a source of variable rate keeps its timing.
    decoder.setFrameRate(rate.num, rate.den);

    AVPixelFormat chosen = AV_PIX_FMT_NONE;
    if (!encoder.setPixelFormat(decoder.sourcePixelFormat(), chosen) && chosen != AV_PIX_FMT_NONE)
        decoder.setPixelFormat(chosen);

    // No size in the settings stands for the source's, as it is shown.
    if (video.resolution.isEmpty()) {
        video.resolution = decoder.sourceSize();
        if (decoder.rotation() % 180 != 0)
            video.resolution.transpose();
    }
    encoder.setFrameSize(video.resolution);
    video.bitrate = videoBitRate(video.resolution, inputRateValue, video.quality);
    encoder.setBitRate(video.bitrate);

    qInfo() << "start open video stream";
    ret = encoder.openVideoStream();
    const AVCodecContext *context = encoder.codecContext(encoder.videoStreamIndex());
    if (context) {
        qInfo().noquote() << "video parameters:" << context->width << context->height
                          << av_get_pix_fmt_name(context->pix_fmt);
    }
    if (ret < 0) {
        qCritical() << "failed to open video output stream!!!";
        return fail(ret,
                    userText("the encoder refused the output settings: %1").arg(errorText(ret)));
    }
    videoOutputIndex = ret;
    // The encoder's size, which is even where the settings asked for odd sides.
    decoder.setTargetSize(QSize(context->width, context->height));
    return 0;
}

int transcoder::Private::openAudioOutput()
{
    qInfo() << "start audio stream processing...";
    if (audio.channels <= 0)
        audio.channels = decoder.audioChannels();
    if (audio.samplerate <= 0)
        audio.samplerate = decoder.audioSampleRate();
    // The task gives kilobits per second.
    const int bitRate = audio.bitrate > 0
            ? int(std::min<qint64>(qint64(audio.bitrate) * 1000, std::numeric_limits<int>::max()))
            : decoder.audioBitrate();

    AVCodecID codecId = encoder.defaultAudioCodec();
    if (audio.channels > 2 && isStereoOnlyCodec(codecId)) {
        if (useVideo)
            codecId = AV_CODEC_ID_AAC;
        else
            audio.channels = 2;
    }
    const AVCodec *codec = encoder.findEncoder(codecId, audio.name);
    if (!codec) {
        qCritical().noquote() << "No audio encoder" << audio.name;
        av_log(nullptr, AV_LOG_ERROR, "Necessary encoder not found\n");
        return fail(AVERROR_ENCODER_NOT_FOUND, encoderFailure());
    }
    if (!encoder.fitsOutput(codec, AVMEDIA_TYPE_AUDIO))
        return fail(AVERROR(EINVAL), encoderFailure());
    qInfo() << "selected audio codec" << codec->long_name;
    int ret = encoder.addStream(codec);
    if (ret < 0) {
        qCritical() << "failed to add audio output stream!!!";
        return fail(ret, encoderFailure());
    }

    AVSampleFormat sampleFormat = decoder.sourceSampleFormat();
    int sampleRate = audio.samplerate;
    AVChannelLayout layout = {};
    av_channel_layout_default(&layout, audio.channels);
    encoder.setAudioFormat(sampleFormat, sampleRate, layout, bitRate);
    av_channel_layout_uninit(&layout);

    qInfo() << "start open audio stream";
    ret = encoder.openAudioStream();
    const AVCodecContext *context = encoder.codecContext(encoder.audioStreamIndex());
    if (context) {
        qInfo().noquote() << "audio parameters:" << context->ch_layout.nb_channels
                          << MediaUtils::channelLayoutText(context->ch_layout)
                          << context->sample_rate;
    }
    if (ret < 0) {
        qCritical() << "failed to open audio output stream!!!";
        return fail(ret,
                    userText("the encoder refused the output settings: %1").arg(errorText(ret)));
    }
    audioOutputIndex = ret;
    decoder.setAudioFormat(context->sample_fmt, context->sample_rate,
                           context->ch_layout.nb_channels, context->frame_size);
    return 0;
}

void transcoder::setTrim(qint64 start, qint64 end)
{
    // An end at the input's stated end is no trim: an untrimmed item is
    // converted to the end of its content, which may run on past a wrong
    // duration header or timestamps that start again.
    if (end > 0 && d->inputDuration > 0 && end + UntrimmedEndTolerance >= d->inputDuration)
        end = 0;
    d->trimStart = start;
    d->trimEnd = end;
    d->totalDuration = (end > 0 ? end : d->inputDuration) - start;
}

int transcoder::rewind()
{
    d->processedDuration = 0;
    // Reading starts at the input's start anyway; some inputs cannot seek.
    if (d->trimStart <= 0)
        return 0;
    const int ret = d->decoder.seek(d->startTime + d->trimStart, AVSEEK_FLAG_BACKWARD);
    if (ret >= 0)
        return 0;
    // Frames before the trim start are dropped as they come.
    qWarning().noquote() << "Cannot seek to the trim start, reading from the beginning:"
                         << errorText(ret);
    return d->decoder.reopen();
}

void transcoder::setSubtitles(const PipObjectPtr &subtitles)
{
    d->subtitles = subtitles;
}

void transcoder::setWatermark(const PipObjectPtr &watermark)
{
    d->watermark = watermark;
}

int transcoder::processNextFrame(bool &done)
{
    done = false;
    AVMediaType type = AVMEDIA_TYPE_UNKNOWN;
    AVFrame *frame = nullptr;
    qint64 time = -1;
    qint64 duration = 0;
    int ret = d->decoder.decode(&type, &frame, &time, &duration);
    if (ret == AVERROR_EOF) {
        done = true;
        return 0;
    }
    if (ret < 0) {
        qCritical().noquote() << "Cannot decode the input:" << errorText(ret);
        return d->fail(ret, inputFailure(ret));
    }
    const int inputIndex = ret;
    FrameLease lease(d->decoder, frame);
    // The trim window and the overlays count from the input's start.
    time -= d->startTime;

    // The window is [start, end): a frame that begins at the end is outside.
    if (d->trimEnd > 0 && time >= d->trimEnd) {
        done = d->endsTrimmedOutput(type, time);
        return 0;
    }
    if (!frame || time < d->trimStart)
        return 0;
    if (d->firstFrameTime < 0)
        d->firstFrameTime = time;
    if (inputIndex == d->progressStream())
        d->processedDuration += duration;

    if (type == AVMEDIA_TYPE_VIDEO && (d->watermark || d->subtitles)) {
        ret = d->paintOverlays(frame, time);
        if (ret < 0)
            return d->fail(ret, errorText(ret));
    }
    frame->pict_type = AV_PICTURE_TYPE_NONE;

    const int outputIndex = type == AVMEDIA_TYPE_VIDEO ? d->videoOutputIndex
            : type == AVMEDIA_TYPE_AUDIO               ? d->audioOutputIndex
                                                       : -1;
    if (outputIndex < 0)
        return 0;
    const AVRational timeBase = d->encoder.codecContext(outputIndex)->time_base;
    const int64_t stamp = std::max<int64_t>(0,
                                            av_rescale_q(time - d->firstFrameTime, TickTimeBase,
                                                         timeBase));
    if (type == AVMEDIA_TYPE_VIDEO) {
        // Frames come at the encoder's rate, so their times are whole frame
        // counts; a stamp is never given twice.
        frame->pts = std::max<int64_t>(stamp, m_videoFrameCount);
        m_videoFrameCount = frame->pts + 1;
        frame->pkt_dts = frame->pts;
        frame->best_effort_timestamp = frame->pts;
    } else {
        // Samples follow on from the last frame; only a real gap in the input
        // (a damaged packet skipped) moves them on, so that the sound stays
        // with the picture. Rounding of frame times is no gap.
        if (d->nextAudioPts == AV_NOPTS_VALUE || stamp > d->nextAudioPts + MaxAudioStampJitter)
            d->nextAudioPts = stamp;
        frame->pts = d->nextAudioPts;
        d->nextAudioPts += av_rescale_q(frame->nb_samples, AVRational{1, frame->sample_rate},
                                        timeBase);
    }
    ret = d->encoder.writeFrame(frame, outputIndex);
    if (ret < 0) {
        qCritical().noquote() << "Cannot encode a frame of stream #" << outputIndex
                              << errorText(ret);
        d->fail(ret, isWriteError(ret) ? outputFailure(ret) : errorText(ret));
    }
    return ret;
}

// A frame past the trim end ends its own stream only: the other one may lag
// behind it in the file and still have frames inside the window.
bool transcoder::Private::endsTrimmedOutput(AVMediaType type, qint64 time)
{
    if (type == AVMEDIA_TYPE_VIDEO)
        videoEnded = true;
    else if (type == AVMEDIA_TYPE_AUDIO)
        audioEnded = true;
    const bool allEnded = (videoOutputIndex < 0 || videoEnded)
            && (audioOutputIndex < 0 || audioEnded);
    return allEnded || time >= trimEnd + MaxInterleaveLag;
}

qint64 transcoder::progressValue() const
{
    // An input of unknown length shows no progress rather than dividing by zero.
    if (d->totalDuration <= 0)
        return 0;
    return qMin<qint64>(d->processedDuration * 1000 / d->totalDuration, 1000);
}

int transcoder::finish()
{
    const int ret = d->encoder.finalize();
    if (ret == AVERROR(ENODATA))
        d->fail(ret, userText("nothing in the source file could be read"));
    else if (ret < 0)
        d->fail(ret, isWriteError(ret) ? outputFailure(ret) : errorText(ret));
    return ret;
}

QString transcoder::failureText() const
{
    return d->failure;
}

int transcoder::videoBitRate(const QSize &resolution, double frameRate, int quality)
{
    const int width = resolution.width();
    const int height = resolution.height();
    const int shorter = qMin(width, height);
    double bitRate = shorter >= 2160 ? 45000000
            : shorter >= 1440        ? 16000000
            : shorter >= 1080        ? 8000000
            : shorter >= 720         ? 5000000
            : shorter >= 480         ? 2500000
                                     : 1000000;
    if (height > 0) {
        const double aspect = double(width) / height;
        if (aspect > 1.8 || aspect < 0.55)
            bitRate *= 1.5;
    }
    if (frameRate > 30)
        bitRate *= 1.5;
    bitRate *= quality / 100.0 + 0.1;
    return int(bitRate);
}

int transcoder::Private::paintOverlays(AVFrame *frame, qint64 time)
{
    const QSize frameSize(frame->width, frame->height);
    // Overlay times count from the start of the trimmed output.
    const QList<QImage> layers = {
            overlayLayer(watermark, watermarkFrame, frameSize, time - trimStart),
            overlayLayer(subtitles, subtitlesFrame, frameSize, time - trimStart),
    };
    return compositor.paint(frame, layers);
}

QImage transcoder::Private::overlayLayer(const PipObjectPtr &object, PipFrame *&overlayFrame,
                                         const QSize &frameSize, qint64 time)
{
    if (!object || frameSize.isEmpty())
        return QImage();
    if (!overlayFrame) {
        overlayFrame = new PipFrame(object, q);
        overlayFrame->setFrameSize(frameSize);
    }
    return overlayFrame->paintOnto(time);
}

#include "moc_transcoder.cpp"

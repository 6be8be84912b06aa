#include "core/decoderprivate.h"

#include "core/avptr.h"
#include "core/framepool.h"
#include "core/mediautils.h"

extern "C" {
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavutil/display.h>
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
}

#include <QByteArray>
#include <QDebug>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <deque>
#include <limits>
#include <vector>

namespace {

using MediaUtils::errorText;
using MediaUtils::TickTimeBase;

// Frames pulled from the graphs ahead of the caller; what lies beyond waits
// in the graphs until the caller has taken these.
constexpr int MaxReadyFrames = 100;
// Damaged packets are skipped, but a run this long means the input is not
// worth reading on.
constexpr int MaxDamagedRun = 100;
// Larger jumps of an input's times are taken for a restart of its clock.
constexpr int64_t MaxTimestampJump = 10 * AV_TIME_BASE;

bool isValidRate(AVRational rate)
{
    return rate.num > 0 && rate.den > 0;
}

// Layouts of unknown order are read as the default layout of their count.
void copyUsableLayout(AVChannelLayout *to, const AVChannelLayout &from)
{
    av_channel_layout_uninit(to);
    if (from.order == AV_CHANNEL_ORDER_UNSPEC)
        av_channel_layout_default(to, from.nb_channels);
    else
        av_channel_layout_copy(to, &from);
}

bool isEndOrAgain(int ret)
{
    return ret == AVERROR_EOF || ret == AVERROR(EAGAIN);
}

// What a decoder says of damaged input: not always AVERROR_INVALIDDATA (the
// AAC decoder gives -1 for a broken element), never a lack of memory.
bool isDamage(int ret)
{
    return ret < 0 && !isEndOrAgain(ret) && ret != AVERROR(ENOMEM);
}

// A frame waiting to be handed out, with its position and duration already
// taken from the filter graph that produced it.
struct ReadyFrame
{
    int stream = -1;
    AVMediaType type = AVMEDIA_TYPE_UNKNOWN;
    qint64 pts = -1;
    qint64 duration = 0;
    FramePtr frame;
};

} // namespace

struct decoderprivate::StreamContext
{
    ~StreamContext() { av_channel_layout_uninit(&graphLayout); }

    CodecContextPtr decoder;
    FramePtr frame;
    // Both filter contexts belong to the graph.
    AVFilterContext *sinkContext = nullptr;
    AVFilterContext *sourceContext = nullptr;
    FilterGraphPtr graph;
    // Packets are rescaled to this base before decoding: one frame for video,
    // one sample for audio.
    AVRational packetTimeBase = {0, 1};
    // End of the last frame fed to the graph, in packetTimeBase; tells the
    // graph at the end of input how long that frame lasts.
    int64_t endPts = AV_NOPTS_VALUE;
    // What the graph was built for: a frame that differs gets a new graph.
    int graphWidth = 0;
    int graphHeight = 0;
    int graphFormat = -1;
    int graphSampleRate = 0;
    AVChannelLayout graphLayout = {};

    // Audio of a fixed frame size is cut in a graph of its own, after the
    // conversion graph, so that a conversion graph rebuilt for a new source
    // format continues the same run of samples.
    FilterGraphPtr chunkGraph;
    AVFilterContext *chunkSource = nullptr;
    AVFilterContext *chunkSink = nullptr;
    bool chunkClosed = false;
    // The end of input was pushed into the graph.
    bool inputEnded = false;
    // Decoding times of the last packet and the one expected next, in
    // AV_TIME_BASE units, for inputs whose times may restart.
    int64_t lastDts = AV_NOPTS_VALUE;
    int64_t nextDts = AV_NOPTS_VALUE;

    AVMediaType type() const { return decoder->codec_type; }
    AVFilterContext *outputSink() const { return chunkSink ? chunkSink : sinkContext; }
    void freeGraph()
    {
        sinkContext = nullptr;
        sourceContext = nullptr;
        graph.reset();
        endPts = AV_NOPTS_VALUE;
    }
    void freeGraphs()
    {
        freeGraph();
        chunkSource = nullptr;
        chunkSink = nullptr;
        chunkGraph.reset();
        chunkClosed = false;
        inputEnded = false;
        lastDts = AV_NOPTS_VALUE;
        nextDts = AV_NOPTS_VALUE;
    }
};

class decoderprivate::Private
{
public:
    ~Private() { av_channel_layout_uninit(&channelLayout); }

    qint64 computeDuration() const;

    int initFilter(StreamContext &context);
    int initVideoFilter(StreamContext &context);
    int initAudioFilter(StreamContext &context);
    int initChunkGraph(StreamContext &context);
    bool graphFits(const StreamContext &context, const AVFrame *frame) const;
    void rememberGraphInput(StreamContext &context, const AVFrame *frame);
    int feedFrame(StreamContext &context, int streamIndex);
    int retireGraph(StreamContext &context, int streamIndex);
    static int closeGraphInput(StreamContext &context);
    int endStream(StreamContext &context, int streamIndex);
    int pullOutput(StreamContext &context, int streamIndex, bool uncapped);
    int moveIntoChunkGraph(StreamContext &context);
    int pullHeldFrames();
    int readIntoReadyFrames();
    int receiveFrames(StreamContext &context, int streamIndex);
    int skipDamaged(int code);
    void mendDiscontinuity(StreamContext &context, AVPacket *packet);
    int drainStreams();
    void appendReadyFrame(const StreamContext &context, int streamIndex, FramePtr frame);
    int handOut(AVMediaType *type, AVFrame **frame, qint64 *pts, qint64 *duration);
    bool hasSelectedStream() const;
    StreamContext *streamContext(int index) const;
    void forgetReading(bool keepVideoGraphs);
    bool keepsGraphAcrossSeek(const StreamContext &context) const;
    void emptyGraph(StreamContext &context);
    bool isDroppedBeforeFiltering(const StreamContext &context) const;
    void resetInputState();

    // Settings
    VideoThreading videoThreading = VideoThreading::Frames;
    AVPixelFormat pixelFormat = AV_PIX_FMT_NONE;
    AVRational targetFrameRate = {0, 0};
    QSize targetSize = QSize(1920, 1080);
    AVSampleFormat audioSampleFormat = AV_SAMPLE_FMT_FLT;
    int audioOutputSampleRate = 0;
    int audioFrameSize = -1;
    AVChannelLayout channelLayout = {};

    // Input properties, filled by selectStream()
    int sourceSampleRate = -1;
    int sourceChannels = -1;
    AVRational sourceFrameRate = {0, 0};
    int angle = 0;
    int videoBitrate = 0;
    int audioBitrate = 0;
    QSize sourceSize;
    int audioStreamIndex = -1;
    int videoStreamIndex = -1;

    qint64 seekTarget = -1;
    qint64 dropVideoBefore = std::numeric_limits<qint64>::min();
    qint64 inputDuration = -1;
    bool endOfInput = false;
    // The first failure met while frames were still to be handed out; given
    // from then on, once they are.
    int pendingError = 0;
    int damagedRun = 0;
    // Added to every packet's times, in AV_TIME_BASE units, where the input's
    // times restarted.
    int64_t timestampOffset = 0;

    // Frames spare for reuse and lent to the caller; the ready ones wait to
    // be handed out.
    FramePool frames;
    std::deque<ReadyFrame> readyFrames;

    QImage image;
    SwsContextPtr imageScaler;

    PacketPtr packet;
    QString path;
    FormatInputPtr input;
    std::vector<std::unique_ptr<StreamContext>> streams;
};

decoderprivate::decoderprivate() : d(std::make_unique<Private>()) { }

decoderprivate::~decoderprivate()
{
    if (d->input)
        close();
}

int decoderprivate::openInputFile(const QString &path)
{
    if (d->input)
        close();

    int ret = 0;
    QString why;
    FormatInputPtr input = MediaUtils::openInput(path, &ret, &why);
    if (!input) {
        qCritical().noquote() << "Cannot open input file:" << path << "-" << why;
        return ret;
    }

    ret = avformat_find_stream_info(input.get(), nullptr);
    if (ret < 0) {
        qCritical().noquote() << "Cannot find stream information:" << path;
        return ret;
    }
    openInput(std::move(input), path);
    return ret;
}

int decoderprivate::openInput(FormatInputPtr input, const QString &path)
{
    if (d->input)
        close();
    if (!input)
        return AVERROR(EINVAL);
    d->path = path;
    d->input = std::move(input);
    d->streams.resize(d->input->nb_streams);
    d->inputDuration = d->computeDuration();
    return 0;
}

int decoderprivate::bestStream(AVMediaType type) const
{
    if (!d->input)
        return AVERROR_STREAM_NOT_FOUND;
    return av_find_best_stream(d->input.get(), type, -1, -1, nullptr, 0);
}

int decoderprivate::bestVideoStream() const
{
    if (!d->input)
        return AVERROR_STREAM_NOT_FOUND;
    return MediaUtils::bestVideoStream(d->input.get());
}

int decoderprivate::selectStream(int index)
{
    if (!d->input || index < 0 || index >= int(d->streams.size()))
        return AVERROR_STREAM_NOT_FOUND;
    if (d->streams[index])
        return 0;

    AVStream *stream = d->input->streams[index];
    const AVMediaType type = stream->codecpar->codec_type;
    if (type != AVMEDIA_TYPE_VIDEO && type != AVMEDIA_TYPE_AUDIO)
        return AVERROR_UNKNOWN;

    const AVCodec *codec = avcodec_find_decoder(stream->codecpar->codec_id);
    if (!codec) {
        qCritical().nospace() << "Failed to find decoder for stream #" << index;
        return AVERROR_DECODER_NOT_FOUND;
    }

    auto context = std::make_unique<StreamContext>();
    context->decoder.reset(avcodec_alloc_context3(codec));
    if (!context->decoder) {
        qCritical().nospace() << "Failed to allocate the decoder context for stream #" << index;
        return AVERROR(ENOMEM);
    }
    AVCodecContext *decoder = context->decoder.get();
    int ret = avcodec_parameters_to_context(decoder, stream->codecpar);
    if (ret < 0) {
        qCritical().nospace()
                << "Failed to copy decoder parameters to input decoder context for stream #"
                << index;
        return ret;
    }

    const AVRational guessedRate = type == AVMEDIA_TYPE_VIDEO
            ? av_guess_frame_rate(d->input.get(), stream, nullptr)
            : AVRational{0, 0};
    if (type == AVMEDIA_TYPE_VIDEO) {
        decoder->framerate = guessedRate;
        context->packetTimeBase = isValidRate(guessedRate) ? av_inv_q(guessedRate)
                                                           : stream->time_base;
    } else {
        context->packetTimeBase = decoder->sample_rate > 0 ? AVRational{1, decoder->sample_rate}
                                                           : stream->time_base;
    }
    decoder->pkt_timebase = context->packetTimeBase;
    if (type == AVMEDIA_TYPE_VIDEO) {
        // libavcodec decodes on one thread unless told otherwise.
        decoder->thread_count = 0;
        decoder->thread_type = d->videoThreading == VideoThreading::Frames
                ? FF_THREAD_FRAME | FF_THREAD_SLICE
                : FF_THREAD_SLICE;
    }

    ret = avcodec_open2(decoder, codec, nullptr);
    if (ret < 0) {
        qCritical().nospace() << "Failed to open decoder for stream #" << index;
        return ret;
    }

    context->frame.reset(av_frame_alloc());
    if (!context->frame)
        return AVERROR(ENOMEM);

    if (type == AVMEDIA_TYPE_VIDEO) {
        d->videoStreamIndex = index;
        d->sourceFrameRate = guessedRate;
        d->videoBitrate = int(stream->codecpar->bit_rate);
        d->sourceSize = QSize(decoder->width, decoder->height);
        // Only a picture has an orientation; an audio stream must not reset it.
        d->angle = streamRotation(stream);
    } else {
        d->audioStreamIndex = index;
        d->sourceSampleRate = decoder->sample_rate;
        d->sourceChannels = stream->codecpar->ch_layout.nb_channels;
        d->audioBitrate = int(stream->codecpar->bit_rate);
        copyUsableLayout(&d->channelLayout, decoder->ch_layout);
    }
    d->streams[index] = std::move(context);
    return 0;
}

int decoderprivate::decode(AVMediaType *type, AVFrame **frame, qint64 *pts, qint64 *duration)
{
    if (d->readyFrames.empty()) {
        const int ret = d->readIntoReadyFrames();
        if (ret < 0) {
            if (type)
                *type = AVMEDIA_TYPE_UNKNOWN;
            return ret;
        }
    }
    return d->handOut(type, frame, pts, duration);
}

void decoderprivate::recycleFrame(AVFrame *frame)
{
    d->frames.recycle(frame);
}

int decoderprivate::seek(qint64 position, int flags)
{
    d->seekTarget = position;
    d->forgetReading(true);
    if (!d->input)
        return AVERROR(EINVAL);
    return av_seek_frame(d->input.get(), -1, MediaTime::microsecondsFromTicks(position), flags);
}

int decoderprivate::reopen()
{
    if (!d->input)
        return AVERROR(EINVAL);
    int ret = 0;
    FormatInputPtr input = MediaUtils::openInput(d->path, &ret);
    if (input)
        ret = avformat_find_stream_info(input.get(), nullptr);
    if (ret >= 0 && input->nb_streams != d->input->nb_streams)
        ret = AVERROR_STREAM_NOT_FOUND;
    if (ret < 0) {
        qCritical().noquote() << "Cannot open the input again:" << d->path << errorText(ret);
        return ret;
    }
    d->forgetReading(false);
    d->input = std::move(input);
    return 0;
}

qint64 decoderprivate::startTime() const
{
    if (!d->input)
        return 0;
    // The selected streams' earliest start; other streams may start elsewhere.
    int64_t earliest = AV_NOPTS_VALUE;
    for (size_t i = 0; i < d->streams.size(); ++i) {
        const AVStream *stream = d->input->streams[i];
        if (!d->streams[i] || stream->start_time == AV_NOPTS_VALUE)
            continue;
        const int64_t start = av_rescale_q(stream->start_time, stream->time_base, TickTimeBase);
        if (earliest == AV_NOPTS_VALUE || start < earliest)
            earliest = start;
    }
    if (earliest != AV_NOPTS_VALUE)
        return earliest;
    return d->input->start_time != AV_NOPTS_VALUE
            ? MediaTime::ticksFromMicroseconds(d->input->start_time)
            : 0;
}

QImage decoderprivate::frameAsQImage(const AVFrame *frame)
{
    if (!frame || frame->width <= 0 || frame->height <= 0)
        return QImage();

    // Sized from the image's own rows: a frame's line size says nothing of
    // them (a 1-bit picture has an eighth of a byte per pixel).
    if (d->image.width() != frame->width || d->image.height() != frame->height) {
        d->image = MediaUtils::swscaleImage(frame->width, frame->height);
        if (d->image.isNull())
            return QImage();
    }

    // Rebuilt when the frame's geometry or format changes; writing a frame of
    // another size with the old context would overrun the image.
    d->imageScaler.reset(sws_getCachedContext(d->imageScaler.release(), frame->width, frame->height,
                                              AVPixelFormat(frame->format), frame->width,
                                              frame->height, AV_PIX_FMT_BGRA, SWS_BICUBIC, nullptr,
                                              nullptr, nullptr));
    if (!d->imageScaler) {
        qCritical() << "Could not initialize conversion context";
        return QImage();
    }

    // Written in place, not detached: images handed out before share these
    // pixels, as the header says.
    uint8_t *planes[4] = {const_cast<uchar *>(d->image.constBits()), nullptr, nullptr, nullptr};
    int strides[4] = {int(d->image.bytesPerLine()), 0, 0, 0};
    sws_scale(d->imageScaler.get(), frame->data, frame->linesize, 0, frame->height, planes, strides);
    return d->image;
}

qint64 decoderprivate::duration()
{
    d->inputDuration = d->computeDuration();
    return d->inputDuration;
}

QSize decoderprivate::sourceSize() const
{
    return d->sourceSize;
}

int decoderprivate::rotation() const
{
    return d->angle;
}

void decoderprivate::setTargetSize(const QSize &size)
{
    d->targetSize = size;
}

void decoderprivate::dropVideoBefore(qint64 position)
{
    d->dropVideoBefore = position;
}

void decoderprivate::setVideoThreading(VideoThreading threading)
{
    d->videoThreading = threading;
}

void decoderprivate::setPixelFormat(AVPixelFormat format)
{
    d->pixelFormat = format;
}

void decoderprivate::setFrameRate(int numerator, int denominator)
{
    d->targetFrameRate = AVRational{numerator, denominator};
}

void decoderprivate::setAudioFormat(AVSampleFormat format, int sampleRate, int channels,
                                    int frameSize)
{
    d->audioSampleFormat = format;
    d->audioOutputSampleRate = sampleRate;
    d->audioFrameSize = frameSize;
    av_channel_layout_uninit(&d->channelLayout);
    av_channel_layout_default(&d->channelLayout, channels);
}

double decoderprivate::frameRate() const
{
    if (d->sourceFrameRate.den == 0)
        return 0.0;
    return av_q2d(d->sourceFrameRate);
}

AVRational decoderprivate::sourceFrameRate() const
{
    return d->sourceFrameRate;
}

AVPixelFormat decoderprivate::sourcePixelFormat() const
{
    const StreamContext *context = d->streamContext(d->videoStreamIndex);
    return context ? context->decoder->pix_fmt : AV_PIX_FMT_NONE;
}

AVSampleFormat decoderprivate::sourceSampleFormat() const
{
    const StreamContext *context = d->streamContext(d->audioStreamIndex);
    return context ? context->decoder->sample_fmt : AV_SAMPLE_FMT_NONE;
}

int decoderprivate::videoBitrate() const
{
    return d->videoBitrate;
}

int decoderprivate::audioBitrate() const
{
    return d->audioBitrate;
}

int decoderprivate::audioSampleRate() const
{
    return d->sourceSampleRate;
}

int decoderprivate::audioChannels() const
{
    return d->sourceChannels;
}

QString decoderprivate::videoCodecName() const
{
    const StreamContext *context = d->streamContext(d->videoStreamIndex);
    return context ? QString::fromUtf8(context->decoder->codec->name) : QString();
}

QString decoderprivate::audioCodecName() const
{
    const StreamContext *context = d->streamContext(d->audioStreamIndex);
    return context ? QString::fromUtf8(context->decoder->codec->name) : QString();
}

int decoderprivate::closeStreams(int index)
{
    if (index < 0) {
        for (auto &context : d->streams)
            context.reset();
        return 0;
    }
    if (index >= int(d->streams.size()))
        return AVERROR_STREAM_NOT_FOUND;
    d->streams[index].reset();
    return 0;
}

void decoderprivate::close()
{
    d->imageScaler.reset();
    d->packet.reset();
    closeStreams(-1);
    d->streams.clear();
    d->readyFrames.clear();
    d->frames.clear();
    d->input.reset();
    d->resetInputState();
}

int decoderprivate::streamRotation(const AVStream *stream)
{
    double angle = 0.0;
    bool tagged = false;
    const AVDictionaryEntry *tag = av_dict_get(stream->metadata, "rotate", nullptr, 0);
    if (tag && tag->value[0] != '\0' && qstrcmp(tag->value, "0") != 0)
        angle = QByteArray(tag->value).toDouble(&tagged);
    if (!tagged) {
        angle = 0.0;
        size_t size = 0;
        const uint8_t *matrix = av_stream_get_side_data(stream, AV_PKT_DATA_DISPLAYMATRIX, &size);
        if (matrix && size >= 9 * sizeof(int32_t))
            angle = -av_display_rotation_get(reinterpret_cast<const int32_t *>(matrix));
    }
    if (!std::isfinite(angle))
        angle = 0.0;
    return normalizedAngle(angle);
}

int decoderprivate::normalizedAngle(double degrees)
{
    // The small bias turns angles just below a full turn into small negative ones.
    degrees -= std::floor(degrees / 360 + 0.0025) * 360;
    // Pictures are turned by right angles only, so every other angle is taken
    // to the nearest one; size, scale and transpose all follow from this.
    return int(std::lround(degrees / 90) % 4) * 90;
}

QString decoderprivate::videoFilterDescription(AVRational targetFrameRate, const QSize &targetSize,
                                               int angle, AVPixelFormat pixelFormat)
{
    QStringList filters;
    // Even at the source's nominal rate: frames of a variable-rate source are
    // then repeated or dropped to keep their times, and a constant-rate
    // source passes unchanged.
    if (targetFrameRate.den != 0)
        filters << QStringLiteral("fps=%1/%2").arg(targetFrameRate.num).arg(targetFrameRate.den);
    angle = normalizedAngle(angle);
    if (!targetSize.isEmpty()) {
        // Scaling comes before the transpose, so it works on the unrotated picture.
        const bool sideways = angle % 180 != 0;
        filters << QStringLiteral("scale=%1:%2")
                           .arg(sideways ? targetSize.height() : targetSize.width())
                           .arg(sideways ? targetSize.width() : targetSize.height());
    }
    if (angle == 90)
        filters << QStringLiteral("transpose=1");
    else if (angle == 270)
        filters << QStringLiteral("transpose=2");
    if (pixelFormat != AV_PIX_FMT_NONE) {
        if (const char *name = av_get_pix_fmt_name(pixelFormat))
            filters << QStringLiteral("format=") + QString::fromUtf8(name);
    }
    return filters.isEmpty() ? QStringLiteral("null") : filters.join(QLatin1Char(','));
}

// ---------------------------------------------------------------------------

qint64 decoderprivate::Private::computeDuration() const
{
    return MediaUtils::inputDuration(input.get(), path);
}

int decoderprivate::Private::initFilter(StreamContext &context)
{
    int ret = AVERROR_UNKNOWN;
    if (context.type() == AVMEDIA_TYPE_VIDEO)
        ret = initVideoFilter(context);
    else if (context.type() == AVMEDIA_TYPE_AUDIO)
        ret = initAudioFilter(context);
    if (ret < 0)
        return ret;
    rememberGraphInput(context, context.frame.get());
    if (context.type() == AVMEDIA_TYPE_AUDIO && audioFrameSize > 0 && !context.chunkGraph)
        ret = initChunkGraph(context);
    return ret;
}

// A pass-through graph whose sink hands out frames of exactly the audio
// frame size, in the output format.
int decoderprivate::Private::initChunkGraph(StreamContext &context)
{
    const int rate = av_buffersink_get_sample_rate(context.sinkContext);
    if (rate <= 0)
        return AVERROR(ENOMEM);
    const char *formatName = av_get_sample_fmt_name(audioSampleFormat);
    const QByteArray args = QStringLiteral("sample_fmt=%1:sample_rate=%2:channel_layout=%3:"
                                           "time_base=1/%2")
                                    .arg(QString::fromUtf8(formatName ? formatName : ""))
                                    .arg(rate)
                                    .arg(MediaUtils::channelLayoutText(channelLayout))
                                    .toUtf8();
    MediaUtils::FilterChain chunk;
    const int ret = MediaUtils::buildFilterChain(&chunk, "abuffer", args, "abuffersink", {});
    if (ret < 0) {
        qCritical().noquote() << "Cannot build the audio frame graph" << errorText(ret);
        return ret;
    }
    context.chunkSource = chunk.source;
    context.chunkSink = chunk.sink;
    context.chunkGraph = std::move(chunk.graph);
    context.chunkClosed = false;
    return 0;
}

bool decoderprivate::Private::graphFits(const StreamContext &context, const AVFrame *frame) const
{
    if (frame->format != context.graphFormat)
        return false;
    if (context.type() == AVMEDIA_TYPE_VIDEO)
        return frame->width == context.graphWidth && frame->height == context.graphHeight;
    if (frame->sample_rate != context.graphSampleRate)
        return false;
    AVChannelLayout layout = {};
    copyUsableLayout(&layout, frame->ch_layout);
    const bool sameLayout = av_channel_layout_compare(&layout, &context.graphLayout) == 0;
    av_channel_layout_uninit(&layout);
    return sameLayout;
}

void decoderprivate::Private::rememberGraphInput(StreamContext &context, const AVFrame *frame)
{
    context.graphFormat = frame->format;
    context.graphWidth = frame->width;
    context.graphHeight = frame->height;
    context.graphSampleRate = frame->sample_rate;
    copyUsableLayout(&context.graphLayout, frame->ch_layout);
}

// Runs the stream's decoded frame through its graph; a frame whose format,
// size or layout differs from what the graph was built for gets a new graph.
int decoderprivate::Private::feedFrame(StreamContext &context, int streamIndex)
{
    AVFrame *input = context.frame.get();
    int ret = 0;
    if (context.graph && !graphFits(context, input)) {
        qInfo() << "The stream's format changes; rebuilding its filter graph, stream #"
                << streamIndex;
        ret = retireGraph(context, streamIndex);
        if (ret < 0)
            return ret;
    }
    if (!context.graph) {
        ret = initFilter(context);
        if (ret < 0)
            return ret;
    }

    input->pts = input->best_effort_timestamp;
    if (input->pts != AV_NOPTS_VALUE) {
        const int64_t length = context.type() == AVMEDIA_TYPE_AUDIO
                ? av_rescale_q(input->nb_samples, AVRational{1, input->sample_rate},
                               context.packetTimeBase)
                : std::max<int64_t>(input->pkt_duration, 1);
        context.endPts = input->pts + length;
    }
    ret = av_buffersrc_add_frame_flags(context.sourceContext, input, 0);
    if (ret < 0) {
        qCritical().noquote() << "Error while feeding the filtergraph" << errorText(ret);
        return ret;
    }
    return pullOutput(context, streamIndex, false);
}

// The end time lets the fps filter repeat the last frame for its full length.
int decoderprivate::Private::closeGraphInput(StreamContext &context)
{
    return context.endPts != AV_NOPTS_VALUE
            ? av_buffersrc_close(context.sourceContext, context.endPts, 0)
            : av_buffersrc_add_frame_flags(context.sourceContext, nullptr, 0);
}

// Ends the graph and takes all it still holds, then frees it; the next frame
// builds a new one.
int decoderprivate::Private::retireGraph(StreamContext &context, int streamIndex)
{
    int ret = closeGraphInput(context);
    if (ret >= 0)
        ret = pullOutput(context, streamIndex, true);
    context.freeGraph();
    if (ret < 0 && !isEndOrAgain(ret)) {
        qCritical().noquote() << "Cannot finish the stream's filter graph" << errorText(ret);
        return ret;
    }
    return 0;
}

// Pushes the end of input into the stream's graph; what comes out of it is
// taken by later pulls.
int decoderprivate::Private::endStream(StreamContext &context, int streamIndex)
{
    // A stream that never produced a frame has no graph to flush.
    if (!context.graph || context.inputEnded)
        return 0;
    const int ret = closeGraphInput(context);
    if (ret < 0) {
        qCritical().noquote() << "Error while feeding the filtergraph" << errorText(ret);
        return ret;
    }
    context.inputEnded = true;
    return pullOutput(context, streamIndex, false);
}

// Takes filtered frames onto the ready list: up to the cap, or all when
// uncapped. Frames beyond the cap wait in the sink, which keeps one decoded
// frame that yields many small ones from piling up. Returns EAGAIN or EOF
// when the sink is empty, 0 when the cap stopped it.
int decoderprivate::Private::pullOutput(StreamContext &context, int streamIndex, bool uncapped)
{
    if (context.chunkSink) {
        const int ret = moveIntoChunkGraph(context);
        if (ret < 0)
            return ret;
    }
    AVFilterContext *sink = context.outputSink();
    const bool fixedAudioFrames = context.chunkSink != nullptr;
    while (uncapped || readyFrames.size() < size_t(MaxReadyFrames)) {
        FramePtr frame = frames.take();
        if (!frame)
            return AVERROR(ENOMEM);
        const int ret = fixedAudioFrames
                ? av_buffersink_get_samples(sink, frame.get(), audioFrameSize)
                : av_buffersink_get_frame(sink, frame.get());
        if (ret < 0) {
            frames.giveBack(std::move(frame));
            if (!isEndOrAgain(ret))
                qCritical().noquote() << "Error while filtering" << errorText(ret);
            return ret;
        }
        appendReadyFrame(context, streamIndex, std::move(frame));
    }
    return 0;
}

// Moves everything the conversion graph has made into the frame-size graph;
// that one is ended only with the stream, not with a retired conversion graph.
int decoderprivate::Private::moveIntoChunkGraph(StreamContext &context)
{
    if (!context.sinkContext)
        return 0;
    const AVRational from = av_buffersink_get_time_base(context.sinkContext);
    const AVRational to = av_buffersink_get_time_base(context.chunkSink);
    for (;;) {
        FramePtr frame = frames.take();
        if (!frame)
            return AVERROR(ENOMEM);
        int ret = av_buffersink_get_frame(context.sinkContext, frame.get());
        if (ret >= 0) {
            if (frame->pts != AV_NOPTS_VALUE)
                frame->pts = av_rescale_q(frame->pts, from, to);
            ret = av_buffersrc_add_frame_flags(context.chunkSource, frame.get(), 0);
        }
        frames.giveBack(std::move(frame));
        if (ret == AVERROR_EOF && context.inputEnded && !context.chunkClosed) {
            context.chunkClosed = true;
            ret = av_buffersrc_add_frame_flags(context.chunkSource, nullptr, 0);
            return ret < 0 ? ret : 0;
        }
        if (isEndOrAgain(ret))
            return 0;
        if (ret < 0) {
            qCritical().noquote() << "Error while cutting audio frames" << errorText(ret);
            return ret;
        }
    }
}

// Pulls what the graphs still hold from earlier input.
int decoderprivate::Private::pullHeldFrames()
{
    for (size_t i = 0; i < streams.size() && readyFrames.empty(); ++i) {
        StreamContext *context = streams[i].get();
        if (!context || !context->graph)
            continue;
        const int ret = pullOutput(*context, int(i), false);
        if (ret < 0 && !isEndOrAgain(ret))
            return ret;
    }
    return 0;
}

// Fills the ready list: from the graphs first, then by reading packets. An
// error met after frames were made waits until they are handed out.
int decoderprivate::Private::readIntoReadyFrames()
{
    if (pendingError < 0)
        return pendingError;
    if (!hasSelectedStream())
        return AVERROR_EOF;
    int ret = pullHeldFrames();
    if (ret < 0)
        return pendingError = ret;
    if (!readyFrames.empty())
        return 0;
    if (endOfInput)
        return AVERROR_EOF;
    if (!packet) {
        packet.reset(av_packet_alloc());
        if (!packet)
            return AVERROR(ENOMEM);
    }

    AVPacket *current = packet.get();
    for (;;) {
        av_packet_unref(current);
        ret = av_read_frame(input.get(), current);
        if (ret == AVERROR_INVALIDDATA) {
            ret = skipDamaged(ret);
            if (ret < 0)
                return pendingError = ret;
            continue;
        }
        if (ret == AVERROR_EOF) {
            // The decoders and filters still hold the last frames.
            endOfInput = true;
            av_packet_unref(current);
            ret = drainStreams();
            if (ret < 0)
                pendingError = ret;
            if (!readyFrames.empty())
                return 0;
            return ret < 0 ? ret : AVERROR_EOF;
        }
        if (ret < 0) {
            qCritical().noquote() << "Decoding error:" << ret << errorText(ret);
            return pendingError = ret;
        }

        StreamContext *context = streamContext(current->stream_index);
        if (!context)
            continue;
        if (input->iformat->flags & AVFMT_TS_DISCONT)
            mendDiscontinuity(*context, current);
        const AVStream *stream = input->streams[current->stream_index];
        av_packet_rescale_ts(current, stream->time_base, context->packetTimeBase);
        ret = avcodec_send_packet(context->decoder.get(), current);
        if (isDamage(ret)) {
            ret = skipDamaged(ret);
            if (ret < 0)
                return pendingError = ret;
            continue;
        }
        if (ret < 0) {
            qCritical().noquote() << "Decoding failed" << errorText(ret);
            return pendingError = ret;
        }
        ret = receiveFrames(*context, current->stream_index);
        if (ret < 0 && !isEndOrAgain(ret))
            pendingError = ret;
        if (!readyFrames.empty())
            return 0;
        if (pendingError < 0)
            return pendingError;
    }
}

// Transport streams joined end to end, and broadcast captures, start their
// times afresh inside the file. As the ffmpeg command does, a jump back, or
// one of more than MaxTimestampJump either way, is closed, so that times run
// on for every stream.
void decoderprivate::Private::mendDiscontinuity(StreamContext &context, AVPacket *packet)
{
    const AVRational timeBase = input->streams[packet->stream_index]->time_base;
    const auto shift = [packet, timeBase](int64_t by) {
        const int64_t ticks = av_rescale_q(by, AV_TIME_BASE_Q, timeBase);
        if (packet->pts != AV_NOPTS_VALUE)
            packet->pts += ticks;
        if (packet->dts != AV_NOPTS_VALUE)
            packet->dts += ticks;
    };
    if (timestampOffset != 0)
        shift(timestampOffset);
    if (packet->dts == AV_NOPTS_VALUE)
        return;

    int64_t dts = av_rescale_q(packet->dts, timeBase, AV_TIME_BASE_Q);
    if (context.nextDts != AV_NOPTS_VALUE) {
        const int64_t delta = dts - context.nextDts;
        if (delta < -MaxTimestampJump || delta > MaxTimestampJump
            || dts + AV_TIME_BASE / 10 < context.lastDts) {
            qInfo().nospace() << "Times of stream #" << packet->stream_index << " jump by "
                              << double(delta) / AV_TIME_BASE << " s; they are made to run on";
            timestampOffset -= delta;
            shift(-delta);
            dts -= delta;
        }
    }
    context.lastDts = dts;
    context.nextDts = dts
            + (packet->duration > 0 ? av_rescale_q(packet->duration, timeBase, AV_TIME_BASE_Q) : 0);
}

int decoderprivate::Private::skipDamaged(int code)
{
    if (++damagedRun > MaxDamagedRun) {
        qCritical().noquote() << "Too much damaged data in a row, giving up:" << errorText(code);
        return code;
    }
    qWarning().noquote() << "Skipped damaged data:" << errorText(code);
    return 0;
}

int decoderprivate::Private::initVideoFilter(StreamContext &context)
{
    const AVFrame *frame = context.frame.get();
    const AVPixelFormat sourceFormat = AVPixelFormat(frame->format);
    const AVPixelFormat outputFormat = pixelFormat != AV_PIX_FMT_NONE ? pixelFormat : sourceFormat;
    const QString description = videoFilterDescription(targetFrameRate, targetSize, angle,
                                                       pixelFormat);

    const AVRational timeBase = context.packetTimeBase;
    const AVRational aspect = context.decoder->sample_aspect_ratio.den > 0
            ? context.decoder->sample_aspect_ratio
            : AVRational{0, 1};
    const QByteArray args = QStringLiteral("video_size=%1x%2:pix_fmt=%3:time_base=%4/%5:"
                                           "pixel_aspect=%6/%7")
                                    .arg(frame->width)
                                    .arg(frame->height)
                                    .arg(int(sourceFormat))
                                    .arg(timeBase.num)
                                    .arg(timeBase.den)
                                    .arg(aspect.num)
                                    .arg(aspect.den)
                                    .toLatin1();
    MediaUtils::FilterChain chain;
    const int ret = MediaUtils::buildFilterChain(
            &chain, "buffer", args, "buffersink", description.toUtf8(),
            [outputFormat](AVFilterContext *sink) {
                const AVPixelFormat formats[] = {outputFormat, AV_PIX_FMT_NONE};
                return av_opt_set_int_list(sink, "pix_fmts", formats, AV_PIX_FMT_NONE,
                                           AV_OPT_SEARCH_CHILDREN);
            });
    if (ret < 0)
        return ret;
    context.sourceContext = chain.source;
    context.sinkContext = chain.sink;
    context.graph = std::move(chain.graph);
    return 0;
}

// The source describes what the decoder delivers; the output layout set by
// setAudioFormat() is what aformat converts to.
int decoderprivate::Private::initAudioFilter(StreamContext &context)
{
    const AVFrame *frame = context.frame.get();
    AVChannelLayout sourceLayout = {};
    copyUsableLayout(&sourceLayout, frame->ch_layout);
    const QString sourceLayoutText = MediaUtils::channelLayoutText(sourceLayout);
    av_channel_layout_uninit(&sourceLayout);
    const char *sampleFormatName = av_get_sample_fmt_name(AVSampleFormat(frame->format));
    const QByteArray args
            = QStringLiteral("time_base=%1/%2:sample_rate=%3:sample_fmt=%4:channel_layout=%5")
                      .arg(context.packetTimeBase.num)
                      .arg(context.packetTimeBase.den)
                      .arg(frame->sample_rate)
                      .arg(QString::fromLatin1(sampleFormatName ? sampleFormatName : ""))
                      .arg(sourceLayoutText)
                      .toUtf8();

    // Without a requested rate the decoder's rate is kept.
    const int outputRate = audioOutputSampleRate > 0 ? audioOutputSampleRate : frame->sample_rate;
    const char *outputFormatName = av_get_sample_fmt_name(audioSampleFormat);
    const QByteArray description
            = QStringLiteral("aformat=sample_fmts=%1:sample_rates=%2:channel_layouts=%3")
                      .arg(QString::fromUtf8(outputFormatName ? outputFormatName : ""))
                      .arg(outputRate)
                      .arg(MediaUtils::channelLayoutText(channelLayout))
                      .toUtf8();

    MediaUtils::FilterChain chain;
    const int ret = MediaUtils::buildFilterChain(&chain, "abuffer", args, "abuffersink",
                                                 description);
    if (ret < 0)
        return ret;
    context.sourceContext = chain.source;
    context.sinkContext = chain.sink;
    context.graph = std::move(chain.graph);
    return 0;
}

void decoderprivate::Private::appendReadyFrame(const StreamContext &context, int streamIndex,
                                               FramePtr frame)
{
    ReadyFrame ready;
    ready.stream = streamIndex;
    ready.type = context.type();
    // The sink's time base already accounts for the fps filter and resampling.
    const AVRational sinkTimeBase = av_buffersink_get_time_base(context.outputSink());
    if (frame->pts != AV_NOPTS_VALUE)
        ready.pts = av_rescale_q(frame->pts, sinkTimeBase, TickTimeBase);

    if (ready.type == AVMEDIA_TYPE_VIDEO) {
        const int64_t frameCount = std::max<int64_t>(frame->pkt_duration, 1);
        const AVRational frameTime = targetFrameRate.den != 0 && targetFrameRate.num != 0
                ? av_inv_q(targetFrameRate)
                : context.packetTimeBase;
        ready.duration = av_rescale_q(frameCount, frameTime, TickTimeBase);
    } else {
        const int rate = av_buffersink_get_sample_rate(context.outputSink());
        ready.duration = rate > 0 ? frame->nb_samples * MediaTime::TicksPerSecond / rate : 0;
    }
    ready.frame = std::move(frame);
    readyFrames.push_back(std::move(ready));
}

int decoderprivate::Private::receiveFrames(StreamContext &context, int streamIndex)
{
    // A packet may carry more than one frame; leaving one in the decoder
    // would make the next send fail.
    for (;;) {
        int ret = avcodec_receive_frame(context.decoder.get(), context.frame.get());
        if (isDamage(ret)) {
            ret = skipDamaged(ret);
            if (ret < 0)
                return ret;
            continue;
        }
        if (ret < 0)
            return ret;
        damagedRun = 0;
        if (isDroppedBeforeFiltering(context)) {
            av_frame_unref(context.frame.get());
            continue;
        }
        ret = feedFrame(context, streamIndex);
        if (ret < 0 && !isEndOrAgain(ret))
            return ret;
    }
}

// Sends the end of input through every decoder and graph. Every stream is
// ended even when one fails, so that all that can be handed out is.
int decoderprivate::Private::drainStreams()
{
    int result = 0;
    for (size_t i = 0; i < streams.size(); ++i) {
        StreamContext *context = streams[i].get();
        if (!context)
            continue;
        int ret = avcodec_send_packet(context->decoder.get(), nullptr);
        if (ret >= 0)
            ret = receiveFrames(*context, int(i));
        if (ret >= 0 || isEndOrAgain(ret))
            ret = endStream(*context, int(i));
        if (ret < 0 && !isEndOrAgain(ret)) {
            qCritical().noquote() << "Draining stream #" << i << "failed:" << errorText(ret);
            if (result == 0)
                result = ret;
        }
    }
    return result;
}

int decoderprivate::Private::handOut(AVMediaType *type, AVFrame **frame, qint64 *pts,
                                     qint64 *duration)
{
    if (readyFrames.empty())
        return -1;
    ReadyFrame ready = std::move(readyFrames.front());
    readyFrames.pop_front();
    if (type)
        *type = ready.type;
    if (pts)
        *pts = ready.pts;
    if (duration)
        *duration = ready.duration;
    if (frame) {
        *frame = frames.lend(std::move(ready.frame));
    } else {
        // Nobody can give it back, so it is spare at once.
        frames.giveBack(std::move(ready.frame));
    }
    return ready.stream;
}

bool decoderprivate::Private::hasSelectedStream() const
{
    return std::any_of(streams.begin(), streams.end(),
                       [](const std::unique_ptr<StreamContext> &c) { return c != nullptr; });
}

decoderprivate::StreamContext *decoderprivate::Private::streamContext(int index) const
{
    if (index < 0 || index >= int(streams.size()))
        return nullptr;
    return streams[index].get();
}

// Drops everything read ahead, so that reading starts afresh at the input's
// read position.
void decoderprivate::Private::forgetReading(bool keepVideoGraphs)
{
    for (ReadyFrame &ready : readyFrames) {
        frames.giveBack(std::move(ready.frame));
    }
    readyFrames.clear();
    for (const auto &context : streams) {
        if (!context)
            continue;
        avcodec_flush_buffers(context->decoder.get());
        if (keepVideoGraphs && keepsGraphAcrossSeek(*context))
            emptyGraph(*context);
        else
            context->freeGraphs();
    }
    endOfInput = false;
    pendingError = 0;
    damagedRun = 0;
    timestampOffset = 0;
}

// Scaling, turning and format conversion keep nothing from one frame to the
// next, so such a graph serves after a seek as well as a new one, and its
// frame pools stay filled. An fps filter remembers times and cannot stay.
bool decoderprivate::Private::keepsGraphAcrossSeek(const StreamContext &context) const
{
    return context.type() == AVMEDIA_TYPE_VIDEO && context.graph && !context.inputEnded
            && targetFrameRate.den == 0;
}

// Takes out and drops whatever the graph still holds from before the seek.
void decoderprivate::Private::emptyGraph(StreamContext &context)
{
    FramePtr frame = frames.take();
    while (frame && av_buffersink_get_frame(context.sinkContext, frame.get()) >= 0)
        av_frame_unref(frame.get());
    frames.giveBack(std::move(frame));
    context.endPts = AV_NOPTS_VALUE;
    context.lastDts = AV_NOPTS_VALUE;
    context.nextDts = AV_NOPTS_VALUE;
}

bool decoderprivate::Private::isDroppedBeforeFiltering(const StreamContext &context) const
{
    if (context.type() != AVMEDIA_TYPE_VIDEO
        || dropVideoBefore == std::numeric_limits<qint64>::min())
        return false;
    const int64_t pts = context.frame->best_effort_timestamp;
    return pts != AV_NOPTS_VALUE
            && av_rescale_q(pts, context.packetTimeBase, TickTimeBase) < dropVideoBefore;
}

void decoderprivate::Private::resetInputState()
{
    sourceSampleRate = -1;
    sourceChannels = -1;
    sourceFrameRate = AVRational{0, 0};
    angle = 0;
    videoBitrate = 0;
    audioBitrate = 0;
    sourceSize = QSize();
    audioStreamIndex = -1;
    videoStreamIndex = -1;
    seekTarget = -1;
    dropVideoBefore = std::numeric_limits<qint64>::min();
    inputDuration = -1;
    endOfInput = false;
    pendingError = 0;
    damagedRun = 0;
    timestampOffset = 0;
    path.clear();
}

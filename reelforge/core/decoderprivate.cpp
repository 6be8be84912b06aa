#include "core/decoderprivate.h"

#include "core/avptr.h"

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
#include <vector>

namespace {

constexpr qint64 TicksPerSecond = 10000000; // 100-ns units
constexpr AVRational TickTimeBase = {1, TicksPerSecond};
constexpr int MaxReadyFrames = 100;
constexpr int64_t FarTimestamp = 100000000000LL; // microseconds, beyond any real input

QString errorText(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof(text));
    return QString::fromUtf8(text);
}

bool isValidRate(AVRational rate)
{
    return rate.num > 0 && rate.den > 0;
}

QString channelLayoutDescription(const AVChannelLayout &layout)
{
    char text[256] = {};
    if (av_channel_layout_describe(&layout, text, sizeof(text)) < 0)
        return QString();
    return QString::fromUtf8(text);
}

// Matroska and other formats store no decoding time; the presentation time
// serves then.
int64_t packetTime(const AVPacket *packet)
{
    return packet->dts != AV_NOPTS_VALUE ? packet->dts : packet->pts;
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

    AVMediaType type() const { return decoder->codec_type; }
    void freeGraph()
    {
        sinkContext = nullptr;
        sourceContext = nullptr;
        graph.reset();
        endPts = AV_NOPTS_VALUE;
    }
};

class decoderprivate::Private
{
public:
    ~Private() { av_channel_layout_uninit(&channelLayout); }

    qint64 computeDuration() const;
    qint64 longestStreamDuration() const;
    FormatInputPtr openSecondInput() const;
    qint64 durationFromEndSeek() const;
    qint64 durationFromScan() const;

    int initFilter(StreamContext &context);
    int initVideoFilter(StreamContext &context);
    int initAudioFilter(StreamContext &context);
    int processFilter(StreamContext &context, int streamIndex, bool flush);
    int receiveFrames(StreamContext &context, int streamIndex);
    int drainStreams();
    FramePtr takeSpareFrame();
    void appendReadyFrame(const StreamContext &context, int streamIndex, FramePtr frame);
    int handOut(AVMediaType *type, AVFrame **frame, qint64 *pts, qint64 *duration);
    bool hasSelectedStream() const;
    StreamContext *streamContext(int index) const;
    void resetInputState();

    // Settings
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
    qint64 inputDuration = -1;
    bool endOfInput = false;

    // Frame ownership: spare for reuse, ready to hand out, lent to the caller.
    std::vector<FramePtr> spareFrames;
    std::deque<ReadyFrame> readyFrames;
    std::vector<FramePtr> lentFrames;

    int imageBufferSize = -1;
    uchar *imageBuffer = nullptr; // owned by image
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

    AVFormatContext *raw = nullptr;
    int ret = avformat_open_input(&raw, path.toUtf8().constData(), nullptr, nullptr);
    if (ret < 0) {
        qCritical().noquote() << "Cannot open input file:" << path;
        return ret;
    }
    FormatInputPtr input(raw);

    ret = avformat_find_stream_info(input.get(), nullptr);
    if (ret < 0) {
        qCritical().noquote() << "Cannot find stream information:" << path;
        return ret;
    }

    d->path = path;
    d->input = std::move(input);
    d->streams.resize(d->input->nb_streams);
    d->inputDuration = d->computeDuration();
    return ret;
}

int decoderprivate::bestStream(AVMediaType type) const
{
    if (!d->input)
        return AVERROR_STREAM_NOT_FOUND;
    return av_find_best_stream(d->input.get(), type, -1, -1, nullptr, 0);
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
        if (decoder->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
            av_channel_layout_default(&d->channelLayout, decoder->ch_layout.nb_channels);
        else
            av_channel_layout_copy(&d->channelLayout, &decoder->ch_layout);
    }
    d->streams[index] = std::move(context);
    return 0;
}

int decoderprivate::decode(AVMediaType *type, AVFrame **frame, qint64 *pts, qint64 *duration)
{
    if (!d->readyFrames.empty())
        return d->handOut(type, frame, pts, duration);

    if (!d->hasSelectedStream() || d->endOfInput) {
        if (type)
            *type = AVMEDIA_TYPE_UNKNOWN;
        return AVERROR_EOF;
    }
    if (!d->packet) {
        d->packet.reset(av_packet_alloc());
        if (!d->packet)
            return AVERROR(ENOMEM);
    }

    AVPacket *packet = d->packet.get();
    for (;;) {
        av_packet_unref(packet);
        int ret = av_read_frame(d->input.get(), packet);
        if (ret == AVERROR_EOF) {
            // The decoders and filters still hold the last frames.
            d->endOfInput = true;
            av_packet_unref(packet);
            ret = d->drainStreams();
            if (ret < 0)
                return ret;
            if (!d->readyFrames.empty())
                break;
            if (type)
                *type = AVMEDIA_TYPE_UNKNOWN;
            return AVERROR_EOF;
        }
        if (ret < 0) {
            qInfo() << "Decoding error:" << ret;
            return ret;
        }

        StreamContext *context = d->streamContext(packet->stream_index);
        if (!context)
            continue;
        if (type)
            *type = context->type();

        const AVStream *stream = d->input->streams[packet->stream_index];
        av_packet_rescale_ts(packet, stream->time_base, context->packetTimeBase);
        ret = avcodec_send_packet(context->decoder.get(), packet);
        if (ret < 0) {
            qCritical().noquote() << "Decoding failed" << errorText(ret);
            return ret;
        }
        ret = d->receiveFrames(*context, packet->stream_index);
        if (!d->readyFrames.empty())
            break;
        if (ret < 0 && ret != AVERROR(EAGAIN) && ret != AVERROR_EOF)
            return ret;
    }
    return d->handOut(type, frame, pts, duration);
}

void decoderprivate::recycleFrame(AVFrame *frame)
{
    if (!frame)
        return;
    auto lent = std::find_if(d->lentFrames.begin(), d->lentFrames.end(),
                             [frame](const FramePtr &f) { return f.get() == frame; });
    if (lent == d->lentFrames.end()) {
        qWarning() << "Frame was not handed out by this decoder";
        return;
    }
    av_frame_unref(frame);
    d->spareFrames.push_back(std::move(*lent));
    d->lentFrames.erase(lent);
}

int decoderprivate::seek(qint64 position, int flags)
{
    d->seekTarget = position;
    for (ReadyFrame &ready : d->readyFrames) {
        av_frame_unref(ready.frame.get());
        d->spareFrames.push_back(std::move(ready.frame));
    }
    d->readyFrames.clear();
    for (const auto &context : d->streams) {
        if (!context)
            continue;
        avcodec_flush_buffers(context->decoder.get());
        context->freeGraph();
    }
    d->endOfInput = false;
    if (!d->input)
        return AVERROR(EINVAL);
    return av_seek_frame(d->input.get(), -1, position / 10, flags);
}

QImage decoderprivate::frameAsQImage(const AVFrame *frame)
{
    if (!frame || frame->width <= 0 || frame->height <= 0 || frame->linesize[0] <= 0)
        return QImage();

    const int lineSize = frame->linesize[0];
    const int bufferSize = frame->height * lineSize * 4;
    // A buffer of the same byte size may still hold a differently shaped image.
    if (bufferSize != d->imageBufferSize || d->image.width() != frame->width
        || d->image.height() != frame->height) {
        auto *buffer = static_cast<uchar *>(av_malloc(bufferSize));
        if (!buffer)
            return QImage();
        d->image = QImage(buffer, frame->width, frame->height, 4 * lineSize,
                          QImage::Format_ARGB32_Premultiplied, av_free, buffer);
        d->imageBuffer = buffer;
        d->imageBufferSize = bufferSize;
    }

    // Rebuilt when the frame's geometry or format changes; writing a frame of
    // another size with the old context would overrun the buffer.
    d->imageScaler.reset(sws_getCachedContext(d->imageScaler.release(), frame->width, frame->height,
                                              AVPixelFormat(frame->format), frame->width,
                                              frame->height, AV_PIX_FMT_BGRA, SWS_BICUBIC, nullptr,
                                              nullptr, nullptr));
    if (!d->imageScaler) {
        qCritical() << "Could not initialize conversion context";
        return QImage();
    }

    uint8_t *planes[4] = {d->imageBuffer, nullptr, nullptr, nullptr};
    int strides[4] = {4 * lineSize, 0, 0, 0};
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
    d->spareFrames.clear();
    d->lentFrames.clear();
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
    return int(degrees);
}

QString decoderprivate::videoFilterDescription(AVRational targetFrameRate,
                                               AVRational sourceFrameRate, const QSize &targetSize,
                                               int angle, AVPixelFormat pixelFormat)
{
    QStringList filters;
    if (targetFrameRate.den != 0 && av_cmp_q(targetFrameRate, sourceFrameRate) != 0)
        filters << QStringLiteral("fps=%1/%2").arg(targetFrameRate.num).arg(targetFrameRate.den);
    if (!targetSize.isEmpty()) {
        // Scaling comes before the transpose, so it works on the unrotated picture.
        const bool sideways = angle % 180 != 0;
        filters << QStringLiteral("scale=%1:%2")
                           .arg(sideways ? targetSize.height() : targetSize.width())
                           .arg(sideways ? targetSize.width() : targetSize.height());
    }
    if (angle == 90 || angle == -270)
        filters << QStringLiteral("transpose=1");
    else if (angle == -90 || angle == 270)
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
    if (!input || input->nb_streams == 0)
        return -1;

    // Each rule is tried in turn until one yields a positive duration.
    qint64 result = input->duration > 0 ? input->duration * 10 : 0;
    if (result <= 0)
        result = longestStreamDuration();
    if (result <= 0)
        result = durationFromEndSeek();
    if (result <= 0)
        result = durationFromScan();
    return result > 0 ? result : -1;
}

qint64 decoderprivate::Private::longestStreamDuration() const
{
    const AVStream *longest = nullptr;
    for (unsigned i = 0; i < input->nb_streams; ++i) {
        const AVStream *stream = input->streams[i];
        if (stream->duration > 0 && (!longest || stream->duration > longest->duration))
            longest = stream;
    }
    if (!longest)
        return 0;
    return av_rescale_q(longest->duration, longest->time_base, TickTimeBase);
}

// The packet scans run on an input of their own, so that a seek the format
// cannot undo never moves the read position of the decoding input.
FormatInputPtr decoderprivate::Private::openSecondInput() const
{
    AVFormatContext *raw = nullptr;
    if (avformat_open_input(&raw, path.toUtf8().constData(), nullptr, nullptr) < 0)
        return nullptr;
    return FormatInputPtr(raw);
}

qint64 decoderprivate::Private::durationFromEndSeek() const
{
    FormatInputPtr scan = openSecondInput();
    PacketPtr packet(av_packet_alloc());
    if (!scan || !packet || avformat_seek_file(scan.get(), -1, 0, FarTimestamp, FarTimestamp, 0) < 0
        || av_read_frame(scan.get(), packet.get()) < 0)
        return 0;
    const int64_t time = packetTime(packet.get());
    if (time == AV_NOPTS_VALUE)
        return 0;
    return av_rescale_q(time, scan->streams[packet->stream_index]->time_base, TickTimeBase);
}

qint64 decoderprivate::Private::durationFromScan() const
{
    FormatInputPtr scan = openSecondInput();
    PacketPtr packet(av_packet_alloc());
    if (!scan || !packet)
        return 0;

    // The latest end of any packet: with reordered frames the last packet
    // read is not always the one that ends last.
    qint64 result = 0;
    while (av_read_frame(scan.get(), packet.get()) >= 0) {
        const int64_t time = packetTime(packet.get());
        if (time != AV_NOPTS_VALUE) {
            const AVStream *stream = scan->streams[packet->stream_index];
            result = std::max<qint64>(result,
                                      av_rescale_q(time + packet->duration, stream->time_base,
                                                   TickTimeBase));
        }
        av_packet_unref(packet.get());
    }
    return result;
}

int decoderprivate::Private::initFilter(StreamContext &context)
{
    switch (context.type()) {
    case AVMEDIA_TYPE_VIDEO:
        return initVideoFilter(context);
    case AVMEDIA_TYPE_AUDIO:
        return initAudioFilter(context);
    default:
        return AVERROR_UNKNOWN;
    }
}

int decoderprivate::Private::initVideoFilter(StreamContext &context)
{
    const AVFrame *frame = context.frame.get();
    const AVPixelFormat sourceFormat = AVPixelFormat(frame->format);
    const AVPixelFormat outputFormat = pixelFormat != AV_PIX_FMT_NONE ? pixelFormat : sourceFormat;
    const QString description = videoFilterDescription(targetFrameRate, sourceFrameRate, targetSize,
                                                       angle, pixelFormat);

    const AVFilter *buffer = avfilter_get_by_name("buffer");
    const AVFilter *bufferSink = avfilter_get_by_name("buffersink");
    if (!buffer || !bufferSink) {
        qCritical() << "Filtering source or sink element not found";
        return AVERROR_UNKNOWN;
    }
    FilterGraphPtr graph(avfilter_graph_alloc());
    if (!graph)
        return AVERROR(ENOMEM);

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

    AVFilterContext *source = nullptr;
    int ret = avfilter_graph_create_filter(&source, buffer, "in", args.constData(), nullptr,
                                           graph.get());
    if (ret < 0) {
        qCritical() << "Cannot create buffer source";
        return ret;
    }
    AVFilterContext *sink = nullptr;
    ret = avfilter_graph_create_filter(&sink, bufferSink, "out", nullptr, nullptr, graph.get());
    if (ret < 0) {
        qCritical() << "Cannot create buffer sink";
        return ret;
    }
    const AVPixelFormat formats[] = {outputFormat, AV_PIX_FMT_NONE};
    ret = av_opt_set_int_list(sink, "pix_fmts", formats, AV_PIX_FMT_NONE, AV_OPT_SEARCH_CHILDREN);
    if (ret < 0) {
        qCritical() << "Cannot set output pixel format";
        return ret;
    }

    // The parsed chain runs from the source's output "in" to the sink's input "out".
    FilterInOutPtr outputs(avfilter_inout_alloc());
    FilterInOutPtr inputs(avfilter_inout_alloc());
    if (!outputs || !inputs)
        return AVERROR(ENOMEM);
    outputs->name = av_strdup("in");
    outputs->filter_ctx = source;
    inputs->name = av_strdup("out");
    inputs->filter_ctx = sink;
    if (!outputs->name || !inputs->name)
        return AVERROR(ENOMEM);

    AVFilterInOut *in = inputs.release();
    AVFilterInOut *out = outputs.release();
    ret = avfilter_graph_parse_ptr(graph.get(), description.toUtf8().constData(), &in, &out,
                                   nullptr);
    inputs.reset(in);
    outputs.reset(out);
    if (ret < 0) {
        qCritical().noquote() << errorText(ret);
        return ret;
    }
    ret = avfilter_graph_config(graph.get(), nullptr);
    if (ret < 0) {
        qCritical().noquote() << errorText(ret);
        return ret;
    }

    context.sourceContext = source;
    context.sinkContext = sink;
    context.graph = std::move(graph);
    return 0;
}

int decoderprivate::Private::initAudioFilter(StreamContext &context)
{
    const AVCodecContext *decoder = context.decoder.get();
    FilterGraphPtr graph(avfilter_graph_alloc());
    if (!graph) {
        qCritical() << "Unable to create filter graph.";
        return AVERROR(ENOMEM);
    }

    // The source describes what the decoder delivers; the output layout set
    // by setAudioFormat() is what aformat converts to.
    const AVFilter *abuffer = avfilter_get_by_name("abuffer");
    if (!abuffer) {
        qCritical() << "Could not find the abuffer filter.";
        return AVERROR_FILTER_NOT_FOUND;
    }
    AVFilterContext *source = avfilter_graph_alloc_filter(graph.get(), abuffer, "src");
    if (!source) {
        qCritical() << "Could not allocate the abuffer instance.";
        return AVERROR(ENOMEM);
    }
    AVChannelLayout sourceLayout = {};
    if (decoder->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
        av_channel_layout_default(&sourceLayout, decoder->ch_layout.nb_channels);
    else
        av_channel_layout_copy(&sourceLayout, &decoder->ch_layout);
    const QByteArray sourceLayoutText = channelLayoutDescription(sourceLayout).toUtf8();
    av_channel_layout_uninit(&sourceLayout);
    const char *sampleFormatName = av_get_sample_fmt_name(decoder->sample_fmt);
    av_opt_set(source, "channel_layout", sourceLayoutText.constData(), AV_OPT_SEARCH_CHILDREN);
    av_opt_set(source, "sample_fmt", sampleFormatName ? sampleFormatName : "",
               AV_OPT_SEARCH_CHILDREN);
    av_opt_set_q(source, "time_base", context.packetTimeBase, AV_OPT_SEARCH_CHILDREN);
    av_opt_set_int(source, "sample_rate", decoder->sample_rate, AV_OPT_SEARCH_CHILDREN);
    int ret = avfilter_init_str(source, nullptr);
    if (ret < 0) {
        qCritical() << "Could not initialize the abuffer filter.";
        return ret;
    }

    const AVFilter *aformat = avfilter_get_by_name("aformat");
    if (!aformat) {
        qCritical() << "Could not find the aformat filter.";
        return AVERROR_FILTER_NOT_FOUND;
    }
    AVFilterContext *format = avfilter_graph_alloc_filter(graph.get(), aformat, "aformat");
    if (!format) {
        qCritical() << "Could not allocate the aformat instance.";
        return AVERROR(ENOMEM);
    }
    // Without a requested rate the decoder's rate is kept.
    const int outputRate = audioOutputSampleRate > 0 ? audioOutputSampleRate : decoder->sample_rate;
    const char *outputFormatName = av_get_sample_fmt_name(audioSampleFormat);
    const QByteArray formatArgs = QStringLiteral(
                                          "sample_fmts=%1:sample_rates=%2:channel_layouts=%3")
                                          .arg(QString::fromUtf8(outputFormatName))
                                          .arg(outputRate)
                                          .arg(channelLayoutDescription(channelLayout))
                                          .toUtf8();
    ret = avfilter_init_str(format, formatArgs.constData());
    if (ret < 0) {
        av_log(nullptr, AV_LOG_ERROR, "Could not initialize the aformat filter.\n");
        return ret;
    }

    const AVFilter *abuffersink = avfilter_get_by_name("abuffersink");
    if (!abuffersink) {
        qCritical() << "Could not find the abuffersink filter.";
        return AVERROR_FILTER_NOT_FOUND;
    }
    AVFilterContext *sink = avfilter_graph_alloc_filter(graph.get(), abuffersink, "sink");
    if (!sink) {
        qCritical() << "Could not allocate the abuffersink instance.";
        return AVERROR(ENOMEM);
    }
    ret = avfilter_init_str(sink, nullptr);
    if (ret < 0) {
        qCritical() << "Could not initialize the abuffersink instance.";
        return ret;
    }

    ret = avfilter_link(source, 0, format, 0);
    if (ret >= 0)
        ret = avfilter_link(format, 0, sink, 0);
    if (ret < 0) {
        qCritical() << "Error connecting filters";
        return ret;
    }
    ret = avfilter_graph_config(graph.get(), nullptr);
    if (ret < 0) {
        av_log(nullptr, AV_LOG_ERROR, "Error configuring the filter graph\n");
        return ret;
    }

    context.sourceContext = source;
    context.sinkContext = sink;
    context.graph = std::move(graph);
    return 0;
}

int decoderprivate::Private::processFilter(StreamContext &context, int streamIndex, bool flush)
{
    if (!context.graph) {
        const int ret = initFilter(context);
        if (ret < 0)
            return ret;
    }

    int ret;
    if (flush) {
        // The end time lets the fps filter repeat the last frame for its full length.
        ret = context.endPts != AV_NOPTS_VALUE
                ? av_buffersrc_close(context.sourceContext, context.endPts, 0)
                : av_buffersrc_add_frame_flags(context.sourceContext, nullptr, 0);
    } else {
        AVFrame *input = context.frame.get();
        input->pts = input->best_effort_timestamp;
        if (input->pts != AV_NOPTS_VALUE) {
            const int64_t length = context.type() == AVMEDIA_TYPE_AUDIO
                    ? av_rescale_q(input->nb_samples, AVRational{1, input->sample_rate},
                                   context.packetTimeBase)
                    : std::max<int64_t>(input->pkt_duration, 1);
            context.endPts = input->pts + length;
        }
        ret = av_buffersrc_add_frame_flags(context.sourceContext, input, 0);
    }
    if (ret < 0) {
        qCritical().noquote() << "Error while feeding the filtergraph" << errorText(ret);
        return ret;
    }

    const bool fixedAudioFrames = context.type() == AVMEDIA_TYPE_AUDIO && audioFrameSize > 0;
    for (;;) {
        FramePtr frame = takeSpareFrame();
        if (!frame)
            return AVERROR(ENOMEM);
        ret = fixedAudioFrames
                ? av_buffersink_get_samples(context.sinkContext, frame.get(), audioFrameSize)
                : av_buffersink_get_frame(context.sinkContext, frame.get());
        if (ret < 0) {
            spareFrames.push_back(std::move(frame));
            return ret;
        }
        appendReadyFrame(context, streamIndex, std::move(frame));
    }
}

FramePtr decoderprivate::Private::takeSpareFrame()
{
    if (spareFrames.empty()) {
        if (readyFrames.size() > MaxReadyFrames)
            return nullptr;
        return FramePtr(av_frame_alloc());
    }
    FramePtr frame = std::move(spareFrames.back());
    spareFrames.pop_back();
    av_frame_unref(frame.get());
    return frame;
}

void decoderprivate::Private::appendReadyFrame(const StreamContext &context, int streamIndex,
                                               FramePtr frame)
{
    ReadyFrame ready;
    ready.stream = streamIndex;
    ready.type = context.type();
    // The sink's time base already accounts for the fps filter and resampling.
    const AVRational sinkTimeBase = av_buffersink_get_time_base(context.sinkContext);
    if (frame->pts != AV_NOPTS_VALUE)
        ready.pts = av_rescale_q(frame->pts, sinkTimeBase, TickTimeBase);

    if (ready.type == AVMEDIA_TYPE_VIDEO) {
        const int64_t frames = std::max<int64_t>(frame->pkt_duration, 1);
        const AVRational frameTime = targetFrameRate.den != 0 && targetFrameRate.num != 0
                ? av_inv_q(targetFrameRate)
                : context.packetTimeBase;
        ready.duration = av_rescale_q(frames, frameTime, TickTimeBase);
    } else {
        const int rate = av_buffersink_get_sample_rate(context.sinkContext);
        ready.duration = rate > 0 ? frame->nb_samples * TicksPerSecond / rate : 0;
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
        if (ret < 0)
            return ret;
        ret = processFilter(context, streamIndex, false);
        if (ret < 0 && ret != AVERROR(EAGAIN) && ret != AVERROR_EOF)
            return ret;
    }
}

int decoderprivate::Private::drainStreams()
{
    for (size_t i = 0; i < streams.size(); ++i) {
        StreamContext *context = streams[i].get();
        if (!context)
            continue;
        int ret = avcodec_send_packet(context->decoder.get(), nullptr);
        if (ret >= 0) {
            ret = receiveFrames(*context, int(i));
            if (ret < 0 && ret != AVERROR_EOF && ret != AVERROR(EAGAIN))
                return ret;
        }
        // A stream that never produced a frame has no graph to flush.
        if (context->graph) {
            ret = processFilter(*context, int(i), true);
            if (ret < 0 && ret != AVERROR_EOF && ret != AVERROR(EAGAIN))
                return ret;
        }
    }
    return 0;
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
        *frame = ready.frame.get();
        lentFrames.push_back(std::move(ready.frame));
    } else {
        // Nobody can give it back, so it is spare at once.
        av_frame_unref(ready.frame.get());
        spareFrames.push_back(std::move(ready.frame));
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
    inputDuration = -1;
    endOfInput = false;
    path.clear();
}

#include "core/decoderaudio.h"

#include "core/audiosample.h"
#include "core/avptr.h"
#include "core/framepool.h"
#include "core/mediautils.h"

extern "C" {
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavutil/opt.h>
}

#include <QDebug>

#include <cstring>
#include <deque>
#include <vector>

namespace {

using MediaUtils::errorText;

constexpr int MaxReadyFrames = 100;

QByteArray layoutDescription(const AVChannelLayout &layout)
{
    return MediaUtils::channelLayoutText(layout).toUtf8();
}

struct ReadyFrame
{
    int stream = -1;
    FramePtr frame;
};

} // namespace

class decoderaudio::Private
{
public:
    struct StreamContext
    {
        CodecContextPtr decoder;
        FramePtr frame;
        // Both filter contexts belong to the graph.
        AVFilterContext *sinkContext = nullptr;
        AVFilterContext *sourceContext = nullptr;
        FilterGraphPtr graph;

        void freeGraph()
        {
            sinkContext = nullptr;
            sourceContext = nullptr;
            graph.reset();
        }
    };

    ~Private() { av_channel_layout_uninit(&outputLayout); }

    int initFilter(StreamContext &context);
    int processFilter(StreamContext &context, int streamIndex, bool flush);
    int receiveFrames(StreamContext &context, int streamIndex);
    int drain();
    FramePtr takeSpareFrame();
    int handOut(AVMediaType *type, AVFrame **frame, qint64 *position, qint64 *duration);
    qint64 ticks(int64_t samples) const;
    StreamContext *audioContext() const;

    int sourceSampleRate = -1;
    int sourceChannels = -1;
    int outputFrameSize = -1;
    int audioStreamIndex = -1;
    qint64 seekTarget = -1;
    AVSampleFormat outputFormat = AV_SAMPLE_FMT_FLT;
    int outputSampleRate = 0;
    AVChannelLayout outputLayout = {};
    bool endOfInput = false;

    // Frames spare for reuse and lent to the caller; the ready ones wait to
    // be handed out.
    FramePool frames;
    std::deque<ReadyFrame> readyFrames;

    PacketPtr packet;
    FormatInputPtr input;
    std::vector<std::unique_ptr<StreamContext>> streams;
};

decoderaudio::decoderaudio() : d(std::make_unique<Private>()) { }

decoderaudio::~decoderaudio()
{
    close();
}

void decoderaudio::setAudioFormat(AVSampleFormat format, int sampleRate, int channels, int frameSize)
{
    d->outputFormat = format;
    d->outputSampleRate = sampleRate;
    av_channel_layout_uninit(&d->outputLayout);
    av_channel_layout_default(&d->outputLayout, channels);
    d->outputFrameSize = frameSize;
}

int decoderaudio::openInputFile(const QString &path)
{
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
    d->input = std::move(input);
    d->streams.resize(d->input->nb_streams);
    return ret;
}

int decoderaudio::bestStream() const
{
    if (!d->input)
        return AVERROR_STREAM_NOT_FOUND;
    return av_find_best_stream(d->input.get(), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
}

int decoderaudio::selectStream(int index)
{
    if (!d->input || index < 0 || index >= int(d->streams.size()))
        return AVERROR_STREAM_NOT_FOUND;
    if (d->streams[index])
        return 0;
    AVStream *stream = d->input->streams[index];
    if (stream->codecpar->codec_type != AVMEDIA_TYPE_AUDIO)
        return AVERROR_UNKNOWN;

    const AVCodec *codec = avcodec_find_decoder(stream->codecpar->codec_id);
    if (!codec) {
        qCritical().nospace() << "Failed to find decoder for stream #" << index;
        return AVERROR_DECODER_NOT_FOUND;
    }
    auto context = std::make_unique<Private::StreamContext>();
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
    // Packets are rescaled to one sample per tick, so frame times count samples.
    decoder->time_base = decoder->sample_rate > 0 ? AVRational{1, decoder->sample_rate}
                                                  : stream->time_base;
    decoder->pkt_timebase = decoder->time_base;
    ret = avcodec_open2(decoder, codec, nullptr);
    if (ret < 0) {
        qCritical().nospace() << "Failed to open decoder for stream #" << index;
        return ret;
    }
    context->frame.reset(av_frame_alloc());
    if (!context->frame)
        return AVERROR(ENOMEM);

    d->audioStreamIndex = index;
    d->sourceSampleRate = decoder->sample_rate;
    d->sourceChannels = decoder->ch_layout.nb_channels;
    d->streams[index] = std::move(context);
    return 0;
}

int decoderaudio::decode(AVMediaType *type, AVFrame **frame, qint64 *position, qint64 *duration)
{
    if (!d->readyFrames.empty())
        return d->handOut(type, frame, position, duration);

    Private::StreamContext *context = d->audioContext();
    if (!context || d->endOfInput) {
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
            // The decoder and the graph still hold the last samples.
            d->endOfInput = true;
            av_packet_unref(packet);
            ret = d->drain();
            if (ret < 0)
                return ret;
            if (!d->readyFrames.empty())
                break;
            if (type)
                *type = AVMEDIA_TYPE_UNKNOWN;
            return AVERROR_EOF;
        }
        if (ret < 0)
            return ret;
        if (packet->stream_index != d->audioStreamIndex)
            continue;
        if (type)
            *type = AVMEDIA_TYPE_AUDIO;

        const AVStream *stream = d->input->streams[packet->stream_index];
        av_packet_rescale_ts(packet, stream->time_base, context->decoder->time_base);
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
    return d->handOut(type, frame, position, duration);
}

void decoderaudio::recycleFrame(AVFrame *frame)
{
    d->frames.recycle(frame);
}

int decoderaudio::seek(qint64 position, int flags)
{
    d->seekTarget = position;
    for (ReadyFrame &ready : d->readyFrames)
        d->frames.giveBack(std::move(ready.frame));
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
    return av_seek_frame(d->input.get(), -1, MediaTime::microsecondsFromTicks(position), flags);
}

int decoderaudio::frameToSample(const AVFrame *frame, AudioSample *sample) const
{
    if (!frame || !sample || d->outputSampleRate <= 0)
        return AVERROR(EINVAL);
    // The output format is packed: every channel is interleaved in plane 0.
    const int bytesPerFrame = av_get_bytes_per_sample(AVSampleFormat(frame->format))
            * frame->ch_layout.nb_channels;
    const qint64 size = qint64(frame->nb_samples) * bytesPerFrame;
    if (bytesPerFrame <= 0 || !frame->data[0] || size > frame->linesize[0])
        return AVERROR(EINVAL);
    sample->time = d->ticks(frame->pts);
    sample->duration = d->ticks(frame->nb_samples);
    sample->data = QByteArray(reinterpret_cast<const char *>(frame->data[0]), int(size));
    return 0;
}

int decoderaudio::sourceSampleRate() const
{
    return d->sourceSampleRate;
}

int decoderaudio::sourceChannels() const
{
    return d->sourceChannels;
}

void decoderaudio::close()
{
    d->packet.reset();
    d->streams.clear();
    d->readyFrames.clear();
    d->frames.clear();
    d->input.reset();
    d->audioStreamIndex = -1;
    d->sourceSampleRate = -1;
    d->sourceChannels = -1;
    d->seekTarget = -1;
    d->endOfInput = false;
}

// ---------------------------------------------------------------------------

int decoderaudio::Private::initFilter(StreamContext &context)
{
    const AVCodecContext *decoder = context.decoder.get();
    if (decoder->codec_type != AVMEDIA_TYPE_AUDIO)
        return AVERROR_UNKNOWN;
    if (outputSampleRate == 0)
        outputSampleRate = decoder->sample_rate;
    if (outputLayout.nb_channels == 0)
        av_channel_layout_default(&outputLayout, decoder->ch_layout.nb_channels);

    AVChannelLayout sourceLayout = {};
    if (decoder->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
        av_channel_layout_default(&sourceLayout, decoder->ch_layout.nb_channels);
    else
        av_channel_layout_copy(&sourceLayout, &decoder->ch_layout);
    const QByteArray sourceLayoutText = layoutDescription(sourceLayout);
    av_channel_layout_uninit(&sourceLayout);
    const char *sourceFormatName = av_get_sample_fmt_name(decoder->sample_fmt);
    const QByteArray args
            = QStringLiteral("time_base=%1/%2:sample_rate=%3:sample_fmt=%4:channel_layout=%5")
                      .arg(decoder->time_base.num)
                      .arg(decoder->time_base.den)
                      .arg(decoder->sample_rate)
                      .arg(QString::fromLatin1(sourceFormatName ? sourceFormatName : ""))
                      .arg(QString::fromUtf8(sourceLayoutText))
                      .toUtf8();

    const QByteArray outputLayoutText = layoutDescription(outputLayout);
    const char *outputFormatName = av_get_sample_fmt_name(outputFormat);
    const QByteArray description
            = QStringLiteral("aformat=sample_fmts=%1:channel_layouts=%2:sample_rates=%3")
                      .arg(QString::fromLatin1(outputFormatName ? outputFormatName : ""))
                      .arg(QString::fromUtf8(outputLayoutText))
                      .arg(outputSampleRate)
                      .toUtf8();

    MediaUtils::FilterChain chain;
    const int ret = MediaUtils::buildFilterChain(
            &chain, "abuffer", args, "abuffersink", description, [&](AVFilterContext *sink) {
                const AVSampleFormat formats[] = {outputFormat, AV_SAMPLE_FMT_NONE};
                int ret = av_opt_set_int_list(sink, "sample_fmts", formats, -1,
                                              AV_OPT_SEARCH_CHILDREN);
                if (ret >= 0)
                    ret = av_opt_set(sink, "ch_layouts", outputLayoutText.constData(),
                                     AV_OPT_SEARCH_CHILDREN);
                const int rates[] = {outputSampleRate, -1};
                if (ret >= 0)
                    ret = av_opt_set_int_list(sink, "sample_rates", rates, -1,
                                              AV_OPT_SEARCH_CHILDREN);
                return ret;
            });
    if (ret < 0)
        return ret;
    context.sourceContext = chain.source;
    context.sinkContext = chain.sink;
    context.graph = std::move(chain.graph);
    return 0;
}

int decoderaudio::Private::processFilter(StreamContext &context, int streamIndex, bool flush)
{
    if (!context.graph) {
        const int ret = initFilter(context);
        if (ret < 0)
            return ret;
    }
    AVFrame *input = flush ? nullptr : context.frame.get();
    if (input)
        input->pts = input->best_effort_timestamp;
    int ret = av_buffersrc_add_frame_flags(context.sourceContext, input, 0);
    if (ret < 0) {
        qCritical().noquote() << "Error while feeding the filtergraph" << errorText(ret);
        return ret;
    }
    for (;;) {
        FramePtr frame = takeSpareFrame();
        if (!frame)
            return AVERROR(ENOMEM);
        ret = outputFrameSize > 0
                ? av_buffersink_get_samples(context.sinkContext, frame.get(), outputFrameSize)
                : av_buffersink_get_frame(context.sinkContext, frame.get());
        if (ret < 0) {
            frames.giveBack(std::move(frame));
            return ret;
        }
        readyFrames.push_back(ReadyFrame{streamIndex, std::move(frame)});
    }
}

int decoderaudio::Private::receiveFrames(StreamContext &context, int streamIndex)
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

int decoderaudio::Private::drain()
{
    StreamContext *context = audioContext();
    int ret = avcodec_send_packet(context->decoder.get(), nullptr);
    if (ret >= 0) {
        ret = receiveFrames(*context, audioStreamIndex);
        if (ret < 0 && ret != AVERROR_EOF && ret != AVERROR(EAGAIN))
            return ret;
    }
    // A stream that never produced a frame has no graph to flush.
    if (context->graph) {
        ret = processFilter(*context, audioStreamIndex, true);
        if (ret < 0 && ret != AVERROR_EOF && ret != AVERROR(EAGAIN))
            return ret;
    }
    return 0;
}

// New frames stop once enough wait to be handed out; a spare one still serves.
FramePtr decoderaudio::Private::takeSpareFrame()
{
    if (!frames.hasSpare() && readyFrames.size() > MaxReadyFrames)
        return nullptr;
    return frames.take();
}

int decoderaudio::Private::handOut(AVMediaType *type, AVFrame **frame, qint64 *position,
                                   qint64 *duration)
{
    if (readyFrames.empty() || readyFrames.front().stream != audioStreamIndex)
        return -1;
    ReadyFrame ready = std::move(readyFrames.front());
    readyFrames.pop_front();
    if (type)
        *type = AVMEDIA_TYPE_AUDIO;
    if (position)
        *position = ticks(ready.frame->pts);
    if (duration)
        *duration = ticks(ready.frame->nb_samples);
    if (frame) {
        *frame = frames.lend(std::move(ready.frame));
    } else {
        // Nobody can give it back, so it is spare at once.
        frames.giveBack(std::move(ready.frame));
    }
    return ready.stream;
}

// The graph's output counts time in samples of the output rate.
qint64 decoderaudio::Private::ticks(int64_t samples) const
{
    if (samples == AV_NOPTS_VALUE || outputSampleRate <= 0)
        return -1;
    return samples * MediaTime::TicksPerSecond / outputSampleRate;
}

decoderaudio::Private::StreamContext *decoderaudio::Private::audioContext() const
{
    if (audioStreamIndex < 0 || audioStreamIndex >= int(streams.size()))
        return nullptr;
    return streams[audioStreamIndex].get();
}

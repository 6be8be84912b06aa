#include "core/mediautils.h"

#include <QDebug>
#include "core/platform/sourcefile.h"

#include <algorithm>
#include <climits>

namespace MediaUtils {

namespace {

constexpr int64_t FarTimestamp = 100000000000LL; // microseconds, beyond any real input
constexpr int SwscaleRowAlignment = 64;          // bytes: 16 pixels of 4 bytes

} // namespace

int buildFilterChain(FilterChain *chain, const char *sourceName, const QByteArray &sourceArgs,
                     const char *sinkName, const QByteArray &description,
                     const std::function<int(AVFilterContext *sink)> &limitSink)
{
    const AVFilter *sourceFilter = avfilter_get_by_name(sourceName);
    const AVFilter *sinkFilter = avfilter_get_by_name(sinkName);
    if (!sourceFilter || !sinkFilter) {
        qCritical() << "Filtering source or sink element not found:" << sourceName << sinkName;
        return AVERROR_FILTER_NOT_FOUND;
    }
    FilterGraphPtr graph(avfilter_graph_alloc());
    if (!graph) {
        qCritical() << "Unable to create filter graph.";
        return AVERROR(ENOMEM);
    }
    AVFilterContext *source = nullptr;
    int ret = avfilter_graph_create_filter(&source, sourceFilter, "in", sourceArgs.constData(),
                                           nullptr, graph.get());
    if (ret < 0) {
        qCritical().noquote() << "Cannot create the filter source" << sourceArgs << errorText(ret);
        return ret;
    }
    AVFilterContext *sink = nullptr;
    ret = avfilter_graph_create_filter(&sink, sinkFilter, "out", nullptr, nullptr, graph.get());
    if (ret < 0) {
        qCritical().noquote() << "Cannot create the filter sink" << errorText(ret);
        return ret;
    }
    if (limitSink) {
        ret = limitSink(sink);
        if (ret < 0) {
            qCritical().noquote() << "Cannot set the filter sink's formats" << errorText(ret);
            return ret;
        }
    }

    if (description.isEmpty()) {
        ret = avfilter_link(source, 0, sink, 0);
    } else {
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
        ret = avfilter_graph_parse_ptr(graph.get(), description.constData(), &in, &out, nullptr);
        inputs.reset(in);
        outputs.reset(out);
    }
    if (ret < 0) {
        qCritical().noquote() << "Cannot build the filter chain" << description << errorText(ret);
        return ret;
    }
    ret = avfilter_graph_config(graph.get(), nullptr);
    if (ret < 0) {
        qCritical().noquote() << "Error configuring the filter graph" << description
                              << errorText(ret);
        return ret;
    }
    chain->source = source;
    chain->sink = sink;
    chain->graph = std::move(graph);
    return 0;
}

QString errorText(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof(text));
    return QString::fromUtf8(text);
}

QString channelLayoutText(const AVChannelLayout &layout)
{
    char text[256] = {};
    if (av_channel_layout_describe(&layout, text, sizeof(text)) < 0)
        return QString();
    return QString::fromUtf8(text);
}

QImage swscaleImage(int width, int height)
{
    if (width <= 0 || height <= 0 || width > (INT_MAX - SwscaleRowAlignment) / 4)
        return QImage();
    const int bytesPerLine = FFALIGN(width * 4, SwscaleRowAlignment);
    if (height > INT_MAX / bytesPerLine)
        return QImage();
    auto *buffer = static_cast<uchar *>(av_malloc(size_t(bytesPerLine) * size_t(height)));
    if (!buffer)
        return QImage();
    return QImage(buffer, width, height, bytesPerLine, QImage::Format_ARGB32_Premultiplied, av_free,
                  buffer);
}

int64_t packetTime(const AVPacket *packet)
{
    return packet->dts != AV_NOPTS_VALUE ? packet->dts : packet->pts;
}

int bestVideoStream(AVFormatContext *input)
{
    const int best = av_find_best_stream(input, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (best < 0 || !(input->streams[best]->disposition & AV_DISPOSITION_ATTACHED_PIC))
        return best;
    for (unsigned i = 0; i < input->nb_streams; ++i) {
        const AVStream *stream = input->streams[i];
        if (stream->codecpar->codec_type == AVMEDIA_TYPE_VIDEO
            && !(stream->disposition & AV_DISPOSITION_ATTACHED_PIC))
            return int(i);
    }
    return AVERROR_STREAM_NOT_FOUND;
}

FormatInputPtr openInput(const QString &path, int *error, QString *why)
{
    int ret = 0;
    const QString problem = SourceFile::problem(path, &ret);
    AVFormatContext *raw = nullptr;
    if (problem.isEmpty())
        ret = avformat_open_input(&raw, path.toUtf8().constData(), nullptr, nullptr);
    if (error)
        *error = ret;
    if (why)
        *why = !problem.isEmpty() ? problem : ret < 0 ? errorText(ret) : QString();
    return ret < 0 ? nullptr : FormatInputPtr(raw);
}

// The packet's own stream gives the time base: it need not be the stream
// being measured.
qint64 durationFromEndSeek(AVFormatContext *input)
{
    PacketPtr packet(av_packet_alloc());
    if (!input || !packet || avformat_seek_file(input, -1, 0, FarTimestamp, FarTimestamp, 0) < 0
        || av_read_frame(input, packet.get()) < 0)
        return 0;
    const int64_t time = packetTime(packet.get());
    if (time == AV_NOPTS_VALUE)
        return 0;
    return av_rescale_q(time, input->streams[packet->stream_index]->time_base, TickTimeBase);
}

qint64 durationFromScan(const QString &path)
{
    int error = 0;
    FormatInputPtr scan = openInput(path, &error);
    if (!scan)
        return error;
    PacketPtr packet(av_packet_alloc());
    if (!packet)
        return AVERROR(ENOMEM);

    // With reordered frames or interleaved streams the last packet read is
    // not always the one that ends last.
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

qint64 inputDuration(const AVFormatContext *input, const QString &path)
{
    if (!input || input->nb_streams == 0)
        return -1;
    qint64 result = input->duration > 0 ? MediaTime::ticksFromMicroseconds(input->duration) : 0;
    if (result <= 0) {
        const AVStream *longest = nullptr;
        for (unsigned i = 0; i < input->nb_streams; ++i) {
            const AVStream *stream = input->streams[i];
            if (stream->duration > 0 && (!longest || stream->duration > longest->duration))
                longest = stream;
        }
        if (longest)
            result = av_rescale_q(longest->duration, longest->time_base, TickTimeBase);
    }
    if (result <= 0)
        result = durationFromEndSeek(openInput(path).get());
    if (result <= 0)
        result = durationFromScan(path);
    return result > 0 ? result : -1;
}

} // namespace MediaUtils

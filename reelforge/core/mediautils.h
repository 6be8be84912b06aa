#pragma once

#include "core/avptr.h"
#include "core/mediatime.h"

#include <QByteArray>
#include <QImage>
#include <QString>

#include <functional>

// Small helpers shared by the media classes: error and channel-layout text,
// packet times, FFmpeg's rational for the 100-ns time unit (see mediatime.h)
// and the duration scans used when a file states no duration.
namespace MediaUtils {

constexpr AVRational TickTimeBase = {1, MediaTime::TicksPerSecond};

// A filter graph fed through one buffer source and read through one buffer
// sink; both filter contexts belong to the graph.
struct FilterChain
{
    FilterGraphPtr graph;
    AVFilterContext *source = nullptr;
    AVFilterContext *sink = nullptr;
};

// Builds and configures the graph source -> description -> sink into chain.
// sourceName and sinkName are buffer filters ("abuffer", "buffersink"),
// sourceArgs describe the frames fed in, description is a filter chain
// ("scale=640:360,format=yuv420p") or empty to link source and sink
// directly. limitSink, when given, restricts what the sink accepts before the
// graph is configured. Logs why and returns a negative code on failure,
// leaving chain as it was.
int buildFilterChain(FilterChain *chain, const char *sourceName, const QByteArray &sourceArgs,
                     const char *sinkName, const QByteArray &description,
                     const std::function<int(AVFilterContext *sink)> &limitSink = {});

// FFmpeg's text for an error code.
QString errorText(int code);
// FFmpeg's description of a layout ("stereo", "5.1"); empty when it has none.
QString channelLayoutText(const AVChannelLayout &layout);

// A premultiplied ARGB image for swscale to write into or read from: its
// rows are padded, since swscale's vector code runs past a row's end by up
// to 15 pixels. The image owns and frees its memory; null when out of memory.
QImage swscaleImage(int width, int height);

// Matroska and other formats store no decoding time; the presentation time
// serves then.
int64_t packetTime(const AVPacket *packet);

// The best video stream that is not an attached picture (cover art), or a
// negative code.
int bestVideoStream(AVFormatContext *input);

// Opens an input without reading its stream information; null on failure,
// with the code in error and the reason in why when asked. Only a readable
// regular file is opened (SourceFile): opening anything else may never return.
FormatInputPtr openInput(const QString &path, int *error = nullptr, QString *why = nullptr);

// The time of the packet found at the far end of the input, in ticks; 0 when
// none is found. Moves the input's read position.
qint64 durationFromEndSeek(AVFormatContext *input);

// The latest end of any packet of the file, read on an input of its own; 0
// when no packet has a time, an error code when the file cannot be opened.
qint64 durationFromScan(const QString &path);

// The input's duration in ticks by the first rule that gives one: the stated
// duration, the longest stream's, the end seek, the full scan; -1 when none
// does. The packet rules read the file on inputs of their own, so the read
// position of this one stays where it was.
qint64 inputDuration(const AVFormatContext *input, const QString &path);

} // namespace MediaUtils

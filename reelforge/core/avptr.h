#pragma once

// Owning holders for FFmpeg objects: each one frees its object with the
// matching FFmpeg call, so error paths need no clean-up code.

// FFmpeg's headers need the C99 constant macros, which <cstdint> provides.
#include <cstdint>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavfilter/avfilter.h>
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
#include <libavutil/frame.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <memory>

struct FormatInputDeleter
{
    void operator()(AVFormatContext *c) const { avformat_close_input(&c); }
};

// An output context also owns the file it opened for writing (not a custom I/O
// context, which belongs to whoever made it).
struct FormatOutputDeleter
{
    void operator()(AVFormatContext *c) const
    {
        if (c->oformat && !(c->oformat->flags & AVFMT_NOFILE) && !(c->flags & AVFMT_FLAG_CUSTOM_IO))
            avio_closep(&c->pb);
        avformat_free_context(c);
    }
};

struct CodecContextDeleter
{
    void operator()(AVCodecContext *c) const { avcodec_free_context(&c); }
};

struct FrameDeleter
{
    void operator()(AVFrame *f) const { av_frame_free(&f); }
};

struct PacketDeleter
{
    void operator()(AVPacket *p) const { av_packet_free(&p); }
};

struct FilterGraphDeleter
{
    void operator()(AVFilterGraph *g) const { avfilter_graph_free(&g); }
};

struct FilterInOutDeleter
{
    void operator()(AVFilterInOut *io) const { avfilter_inout_free(&io); }
};

struct SwsContextDeleter
{
    void operator()(SwsContext *c) const { sws_freeContext(c); }
};

struct SwrContextDeleter
{
    void operator()(SwrContext *c) const { swr_free(&c); }
};

struct DictionaryDeleter
{
    void operator()(AVDictionary *d) const { av_dict_free(&d); }
};

using FormatInputPtr = std::unique_ptr<AVFormatContext, FormatInputDeleter>;
using FormatOutputPtr = std::unique_ptr<AVFormatContext, FormatOutputDeleter>;
using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextDeleter>;
using FramePtr = std::unique_ptr<AVFrame, FrameDeleter>;
using PacketPtr = std::unique_ptr<AVPacket, PacketDeleter>;
using FilterGraphPtr = std::unique_ptr<AVFilterGraph, FilterGraphDeleter>;
using FilterInOutPtr = std::unique_ptr<AVFilterInOut, FilterInOutDeleter>;
using SwsContextPtr = std::unique_ptr<SwsContext, SwsContextDeleter>;
using SwrContextPtr = std::unique_ptr<SwrContext, SwrContextDeleter>;
using DictionaryPtr = std::unique_ptr<AVDictionary, DictionaryDeleter>;

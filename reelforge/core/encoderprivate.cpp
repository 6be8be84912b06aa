#include "core/encoderprivate.h"

#include "core/mediautils.h"
#include "core/platform/encoderavailability.h"
#include "core/platform/osversion.h"

#include <QDebug>
#include <QFile>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/error.h>
#include <libavutil/imgutils.h>
#include <libavutil/pixdesc.h>
}

namespace {

using MediaUtils::errorText;

// The smallest side an encoder takes: 4:2:0 chroma needs even sides.
constexpr int MinimumSide = 2;
// Beyond any real audio; FFmpeg's own sanity limit for channels is 512.
constexpr int MaxSampleRate = 768000;
constexpr int MaxChannels = 64;

// Encoders that write past their buffers on ordinary frames and take the
// whole process down: rpza at most frame sizes.
bool corruptsMemory(const AVCodec *encoder)
{
    return encoder->id == AV_CODEC_ID_RPZA;
}

int evenSide(int side)
{
    return qMax(MinimumSide, side - side % 2);
}

// Codecs the system does not produce are replaced by their nearest kin that
// it does.
AVCodecID substitutedCodec(AVCodecID id)
{
    switch (id) {
    case AV_CODEC_ID_MPEG4:
        return AV_CODEC_ID_H264;
    case AV_CODEC_ID_MPEG1VIDEO:
        return AV_CODEC_ID_MPEG2VIDEO;
    case AV_CODEC_ID_VP9:
        return AV_CODEC_ID_VP8;
    case AV_CODEC_ID_OPUS:
        return AV_CODEC_ID_VORBIS;
    default:
        return id;
    }
}

bool isNamed(const QString &name, const char *encoderName)
{
    return name.compare(QLatin1String(encoderName), Qt::CaseInsensitive) == 0;
}

bool isWindows8OrGreater()
{
    return isWindowsVersionOrGreater(6, 2, 0);
}

bool isWindows10OrGreater()
{
    return isWindowsVersionOrGreater(10, 0, 0);
}

template<typename T, typename IsEnd>
bool listContains(const T *list, T value, IsEnd isEnd)
{
    for (; !isEnd(*list); ++list) {
        if (*list == value)
            return true;
    }
    return false;
}

bool containsLayout(const AVChannelLayout *list, const AVChannelLayout &layout)
{
    for (; list->nb_channels; ++list) {
        if (av_channel_layout_compare(list, &layout) == 0)
            return true;
    }
    return false;
}

// The listed layout closest to a channel count: the same count, else the
// most channels below it. Taking the first listed one would turn a 5.1 or
// 7.1 source into mono for encoders whose list starts with mono.
const AVChannelLayout *nearestLayout(const AVChannelLayout *list, int channels)
{
    const AVChannelLayout *nearest = list;
    for (; list->nb_channels; ++list) {
        if (list->nb_channels == channels)
            return list;
        if (list->nb_channels < channels && list->nb_channels > nearest->nb_channels)
            nearest = list;
    }
    return nearest;
}

} // namespace

encoderprivate::encoderprivate() = default;

encoderprivate::~encoderprivate()
{
    release();
}

int encoderprivate::openOutputFile(const QString &path)
{
    m_fileName = path;
    m_writtenFile.release();
    const QByteArray encodedPath = QFile::encodeName(path);
    const AVOutputFormat *format = av_guess_format(nullptr, encodedPath.constData(), nullptr);
    AVFormatContext *context = nullptr;
    // Without a format for the extension there is nothing to guess codecs from.
    if (format) {
        m_defaultVideoCodec = substitutedCodec(av_guess_codec(format, nullptr,
                                                              encodedPath.constData(), nullptr,
                                                              AVMEDIA_TYPE_VIDEO));
        m_defaultAudioCodec = substitutedCodec(av_guess_codec(format, nullptr,
                                                              encodedPath.constData(), nullptr,
                                                              AVMEDIA_TYPE_AUDIO));
        avformat_alloc_output_context2(&context, format, nullptr, encodedPath.constData());
    }
    if (!context) {
        qCritical() << "Could not create output context";
        return AVERROR_UNKNOWN;
    }
    m_formatContext.reset(context);
    return 0;
}

const AVCodec *encoderprivate::findEncoder(AVCodecID codecId, const QString &name)
{
    if (name.isEmpty() || isNamed(name, "auto"))
        return avcodec_find_encoder(codecId);

    QString requested = name;
    if (!isWindows8OrGreater() && isNamed(name, "h264_mf"))
        requested = QStringLiteral("libopenh264");
    const AVCodec *encoder = EncoderAvailability::findEncoderByName(requested);
    if (encoder)
        m_requestedNames.insert(encoder, requested);
    return encoder;
}

bool encoderprivate::fitsOutput(const AVCodec *encoder, AVMediaType type) const
{
    const QString name = encoderName(encoder);
    if (encoder->type != type) {
        qCritical().noquote() << "Encoder" << name << "makes no" << av_get_media_type_string(type);
        return false;
    }
    if (corruptsMemory(encoder)) {
        qCritical().noquote() << "Encoder" << name << "is refused: it corrupts memory";
        return false;
    }
    if (!m_formatContext)
        return false;
    const AVOutputFormat *format = m_formatContext->oformat;
    const int compliance = encoder->capabilities & AV_CODEC_CAP_EXPERIMENTAL
            ? FF_COMPLIANCE_EXPERIMENTAL
            : FF_COMPLIANCE_NORMAL;
    // A negative answer means the format does not say; its header check decides.
    if (avformat_query_codec(format, encoder->id, compliance) == 0) {
        qCritical().noquote() << "Encoder" << name << "makes" << avcodec_get_name(encoder->id)
                              << "which the container" << format->name << "cannot hold";
        return false;
    }
    return true;
}

QString encoderprivate::encoderName(const AVCodec *encoder) const
{
    return m_requestedNames.value(encoder, QString::fromLatin1(encoder->name));
}

int encoderprivate::addStream(const AVCodec *encoder)
{
    const bool refused = encoder && encoder->id == AV_CODEC_ID_AC3 && !isWindows8OrGreater();
    AVStream *stream = nullptr;
    if (encoder && !refused && m_formatContext)
        stream = avformat_new_stream(m_formatContext.get(), nullptr);
    CodecContextPtr context(stream ? avcodec_alloc_context3(encoder) : nullptr);
    if (!context) {
        qCritical() << "Failed allocating output stream for codec id:"
                    << (encoder ? encoder->id : AV_CODEC_ID_NONE);
        return AVERROR_UNKNOWN;
    }

    OutputStream output;
    output.stream = stream;
    output.context = std::move(context);
    output.requestedName = encoderName(encoder);
    m_streams.push_back(std::move(output));

    const int index = int(m_streams.size()) - 1;
    if (encoder->type == AVMEDIA_TYPE_VIDEO)
        m_videoStreamIndex = index;
    else if (encoder->type == AVMEDIA_TYPE_AUDIO)
        m_audioStreamIndex = index;
    return index;
}

void encoderprivate::setFrameRate(int &numerator, int &denominator)
{
    OutputStream *output = outputStream(m_videoStreamIndex);
    if (!output)
        return;

    AVRational rate{numerator, denominator};
    if (const AVRational *supported = output->context->codec->supported_framerates)
        rate = supported[av_find_nearest_q_idx(rate, supported)];

    output->context->time_base = av_inv_q(rate);
    output->context->framerate = rate;
    output->stream->avg_frame_rate = rate;
    output->stream->time_base = av_inv_q(rate);
    m_frameRateNumerator = numerator = rate.num;
    m_frameRateDenominator = denominator = rate.den;
}

bool encoderprivate::setPixelFormat(AVPixelFormat requested, AVPixelFormat &chosen)
{
    OutputStream *output = outputStream(m_videoStreamIndex);
    if (!output)
        return false;
    AVCodecContext *context = output->context.get();
    if (context->pix_fmt == requested) {
        chosen = requested;
        return true;
    }

    const AVPixelFormat *supported = EncoderAvailability::pixelFormats(output->requestedName,
                                                                       context->codec);
    // An encoder without a list takes what it is given; left unset, some
    // read a format description that does not exist.
    if (!supported)
        chosen = requested;
    else if (listContains(supported, requested,
                          [](AVPixelFormat f) { return f == AV_PIX_FMT_NONE; }))
        chosen = requested;
    else
        chosen = supported[0];
    context->pix_fmt = chosen;
    return chosen == requested;
}

void encoderprivate::setFrameSize(const QSize &size)
{
    OutputStream *output = outputStream(m_videoStreamIndex);
    if (!output)
        return;
    // Chroma subsampling needs even sides; a side of 1 becomes 2, not 0.
    output->context->width = evenSide(size.width());
    output->context->height = evenSide(size.height());
}

void encoderprivate::setBitRate(int bitRate)
{
    OutputStream *output = outputStream(m_videoStreamIndex);
    if (!output)
        return;
    output->context->bit_rate = bitRate;
    output->context->bit_rate_tolerance = bitRate / 3;
}

void encoderprivate::setAudioFormat(AVSampleFormat &sampleFormat, int &sampleRate,
                                    AVChannelLayout &channelLayout, int bitRate)
{
    OutputStream *output = outputStream(m_audioStreamIndex);
    if (!output)
        return;
    AVCodecContext *context = output->context.get();
    const AVCodec *codec = context->codec;
    const QString &name = output->requestedName;

    context->bit_rate = bitRate;

    if (codec->sample_fmts && !listContains(codec->sample_fmts, sampleFormat, [](AVSampleFormat f) {
            return f == AV_SAMPLE_FMT_NONE;
        }))
        sampleFormat = codec->sample_fmts[0];
    context->sample_fmt = sampleFormat;

    if (codec->supported_samplerates
        && !listContains(codec->supported_samplerates, sampleRate, [](int r) { return r == 0; }))
        sampleRate = codec->supported_samplerates[0];
    if ((isNamed(name, "aac_mf") || isNamed(name, "wmav2")) && sampleRate != 44100
        && sampleRate != 48000)
        sampleRate = 48000;
    context->sample_rate = sampleRate;

    if (codec->ch_layouts && !containsLayout(codec->ch_layouts, channelLayout))
        av_channel_layout_copy(&channelLayout,
                               nearestLayout(codec->ch_layouts, channelLayout.nb_channels));
    // Vorbis goes out in stereo unless the source is stereo already, so that
    // mono and multichannel sources both play everywhere.
    const bool forceStereo = codec->id == AV_CODEC_ID_VORBIS
            ? channelLayout.nb_channels != 2
            : isNamed(name, "aac_mf") && !isWindows10OrGreater() && channelLayout.nb_channels > 2;
    if (forceStereo) {
        av_channel_layout_uninit(&channelLayout);
        av_channel_layout_default(&channelLayout, 2);
    }
    av_channel_layout_copy(&context->ch_layout, &channelLayout);

    context->time_base = AVRational{1, sampleRate};
    output->stream->time_base = context->time_base;
}

int encoderprivate::openVideoStream()
{
    OutputStream *output = outputStream(m_videoStreamIndex);
    if (!output)
        return AVERROR_EXTERNAL;
    AVCodecContext *context = output->context.get();

    if (context->codec_id != AV_CODEC_ID_MPEG4)
        context->thread_count = 4;
    // Without a frame rate the encoder refuses to open; no group size to derive.
    if (m_frameRateDenominator > 0)
        context->gop_size = m_frameRateNumerator / m_frameRateDenominator / 2;
    context->max_b_frames = 2;
    context->has_b_frames = 1;

    // Opening replaces the dictionary with the options the encoder left
    // unused, so it is freed here rather than by a holder.
    AVDictionary *options = nullptr;
    if (context->codec_id == AV_CODEC_ID_VP8)
        av_dict_set(&options, "speed", "6", 0);

    EncoderAvailability::prepareToOpen(output->requestedName, context);
    const int ret = openStream(*output, &options, "Cannot open video encoder for stream #");
    av_dict_free(&options);
    return ret;
}

int encoderprivate::openAudioStream()
{
    OutputStream *output = outputStream(m_audioStreamIndex);
    if (!output)
        return AVERROR_EXTERNAL;
    EncoderAvailability::prepareToOpen(output->requestedName, output->context.get());
    return openStream(*output, nullptr, "Cannot open audio encoder for stream #");
}

int encoderprivate::openStream(OutputStream &output, AVDictionary **options, const char *failureText)
{
    AVCodecContext *context = output.context.get();
    const int index = output.stream->index;

    if (m_formatContext->oformat->flags & AVFMT_GLOBALHEADER)
        context->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (context->codec->capabilities & AV_CODEC_CAP_EXPERIMENTAL)
        context->strict_std_compliance = FF_COMPLIANCE_EXPERIMENTAL;

    if (!readyToOpen(output))
        return AVERROR(EINVAL);
    int ret = avcodec_open2(context, context->codec, options);
    if (ret < 0) {
        qCritical().noquote() << failureText << index << errorText(ret);
        return ret;
    }
    ret = avcodec_parameters_from_context(output.stream->codecpar, context);
    if (ret < 0) {
        qCritical().noquote() << "Failed to copy encoder parameters to output stream #" << index
                              << errorText(ret);
        return ret;
    }
    output.packet.reset(av_packet_alloc());
    if (!output.packet)
        return AVERROR(ENOMEM);
    return index;
}

// Encoders trust these values in their set-up; some crash on a missing or
// absurd one instead of refusing it.
bool encoderprivate::readyToOpen(const OutputStream &output) const
{
    const AVCodecContext *context = output.context.get();
    const auto refuse = [&output](const QString &why) {
        qCritical().noquote() << "Cannot open encoder" << output.requestedName << "-" << why;
        return false;
    };
    if (context->codec_type == AVMEDIA_TYPE_VIDEO) {
        const AVPixFmtDescriptor *format = av_pix_fmt_desc_get(context->pix_fmt);
        if (!format)
            return refuse(QStringLiteral("no pixel format"));
        if (format->flags & AV_PIX_FMT_FLAG_HWACCEL)
            return refuse(QStringLiteral("it takes only hardware frames"));
        if (context->width < 1 || context->height < 1)
            return refuse(QStringLiteral("no frame size"));
        if (context->time_base.num < 1 || context->time_base.den < 1)
            return refuse(QStringLiteral("no frame rate"));
    } else if (context->codec_type == AVMEDIA_TYPE_AUDIO) {
        if (av_get_bytes_per_sample(context->sample_fmt) < 1)
            return refuse(QStringLiteral("no sample format"));
        if (context->sample_rate < 1 || context->sample_rate > MaxSampleRate)
            return refuse(QStringLiteral("sample rate %1").arg(context->sample_rate));
        const int channels = context->ch_layout.nb_channels;
        if (channels < 1 || channels > MaxChannels || !av_channel_layout_check(&context->ch_layout))
            return refuse(QStringLiteral("%1 channels").arg(channels));
    }
    return true;
}

int encoderprivate::writeFrame(AVFrame *frame, int streamIndex)
{
    OutputStream *output = outputStream(streamIndex);
    int ret = 0;
    if (!output || !output->packet)
        ret = AVERROR(EINVAL);
    else if (frame && !frameFitsEncoder(frame, *output))
        ret = AVERROR(EINVAL);
    else
        ret = m_headerPending ? writeHeader() : m_headerError;
    if (ret < 0) {
        if (frame)
            av_frame_unref(frame);
        return ret;
    }

    if (frame)
        frame->pict_type = AV_PICTURE_TYPE_NONE;
    AVCodecContext *context = output->context.get();
    AVPacket *packet = output->packet.get();
    ret = avcodec_send_frame(context, frame);
    if (frame && ret >= 0)
        output->frameSent = true;
    if (ret < 0 && ret != AVERROR_EOF)
        qCritical().noquote() << "Encoding failed for stream #" << streamIndex << errorText(ret);
    while (ret >= 0) {
        ret = avcodec_receive_packet(context, packet);
        if (ret == AVERROR(EAGAIN) || ret == AVERROR_EOF) {
            ret = 0;
            break;
        }
        if (ret < 0) {
            qCritical().noquote() << "Encoding failed for stream #" << streamIndex
                                  << errorText(ret);
            break;
        }
        packet->stream_index = streamIndex;
        av_packet_rescale_ts(packet, context->time_base, output->stream->time_base);
        ret = av_interleaved_write_frame(m_formatContext.get(), packet);
        if (ret < 0)
            qCritical().noquote() << "Writing a packet failed for stream #" << streamIndex
                                  << errorText(ret);
    }
    if (frame)
        av_frame_unref(frame);
    return ret;
}

// A frame of another size or format than the encoder was opened for would
// be read as if it had the encoder's layout.
bool encoderprivate::frameFitsEncoder(const AVFrame *frame, const OutputStream &output) const
{
    const AVCodecContext *context = output.context.get();
    bool fits = true;
    if (context->codec_type == AVMEDIA_TYPE_VIDEO) {
        fits = frame->width == context->width && frame->height == context->height
                && frame->format == context->pix_fmt;
        if (!fits) {
            const char *name = av_get_pix_fmt_name(AVPixelFormat(frame->format));
            qCritical().noquote() << "Refused a frame of" << frame->width << "x" << frame->height
                                  << (name ? name : "?") << "for the video encoder of"
                                  << context->width << "x" << context->height
                                  << av_get_pix_fmt_name(context->pix_fmt);
        }
    } else if (context->codec_type == AVMEDIA_TYPE_AUDIO) {
        fits = frame->format == context->sample_fmt && frame->sample_rate == context->sample_rate
                && frame->ch_layout.nb_channels == context->ch_layout.nb_channels;
        if (!fits) {
            qCritical().noquote() << "Refused an audio frame of" << frame->sample_rate << "Hz,"
                                  << frame->ch_layout.nb_channels << "channels for the encoder of"
                                  << context->sample_rate << "Hz," << context->ch_layout.nb_channels
                                  << "channels";
        }
    }
    return fits;
}

int encoderprivate::writeHeader()
{
    m_headerPending = false;
    if (!m_formatContext) {
        m_headerError = AVERROR_UNKNOWN;
        return m_headerError;
    }
    AVFormatContext *context = m_formatContext.get();
    const QByteArray encodedPath = QFile::encodeName(m_fileName);
    av_dump_format(context, 0, encodedPath.constData(), 1);

    if (!(context->oformat->flags & AVFMT_NOFILE)) {
        const int ret = avio_open(&context->pb, encodedPath.constData(), AVIO_FLAG_WRITE);
        if (ret < 0) {
            qCritical().noquote() << "Could not open output file:" << m_fileName << errorText(ret);
            m_headerError = ret;
            return ret;
        }
        if (!m_writtenFile.hold(m_fileName))
            qWarning().noquote() << "Cannot keep hold of the output file:" << m_fileName;
    }
    const int ret = avformat_write_header(context, nullptr);
    if (ret < 0) {
        qCritical().noquote() << "Error occurred when opening output file:" << m_fileName
                              << errorText(ret);
        m_headerError = ret;
        return ret;
    }
    return 0;
}

int encoderprivate::finalize()
{
    int result = 0;
    if (m_headerPending) {
        qCritical().noquote() << "No frame reached the encoder; nothing was written to"
                              << m_fileName;
        result = AVERROR(ENODATA);
    } else if (m_headerError != 0) {
        result = m_headerError;
    } else {
        for (int i = 0; i < int(m_streams.size()); ++i) {
            if (!avcodec_is_open(m_streams[size_t(i)].context.get()))
                continue;
            const int ret = writeFrame(nullptr, i);
            if (ret < 0) {
                qCritical() << "Flushing encoder failed!!!";
                if (result == 0)
                    result = ret;
            }
        }
        // A trailer that cannot be written leaves a file that does not play.
        const int ret = av_write_trailer(m_formatContext.get());
        if (ret < 0) {
            qCritical().noquote() << "Cannot write the trailer of" << m_fileName << errorText(ret);
            if (result == 0)
                result = ret;
        }
    }
    // Closing flushes the last bytes, so the file is checked only afterwards.
    const bool written = !m_headerPending && m_headerError == 0;
    release();
    if (result == 0 && written)
        result = verifyWrittenFile(m_fileName);
    return result;
}

int encoderprivate::verifyWrittenFile(const QString &path) const
{
    if (m_headerPending || m_headerError != 0) {
        qCritical().noquote() << "No header was written to" << path;
        return AVERROR(ENODATA);
    }
    if (!m_writtenFile.isNamedBy(path)) {
        qCritical().noquote() << "The output file is no longer at" << path;
        return AVERROR(ENOENT);
    }
    if (m_writtenFile.size() <= 0) {
        qCritical().noquote() << "The output file is empty:" << path;
        return AVERROR(ENODATA);
    }
    return 0;
}

void encoderprivate::release()
{
    for (OutputStream &output : m_streams)
        endEncoding(output);
    m_streams.clear();
    m_formatContext.reset();
    m_requestedNames.clear();
    m_videoStreamIndex = -1;
    m_audioStreamIndex = -1;
}

// SVT-AV1 waits for good when it is closed before it was told that its
// input ended, and when it is told so before it got a single frame: one
// still open is drained, what it gives dropped, after a black frame when it
// had none. Other encoders are closed as they are, without the cost of
// encoding what they still hold.
void encoderprivate::endEncoding(OutputStream &output)
{
    AVCodecContext *context = output.context.get();
    if (!context || !avcodec_is_open(context)
        || !isNamed(QLatin1String(context->codec->name), "libsvtav1"))
        return;
    if (!output.frameSent) {
        FramePtr blank(av_frame_alloc());
        if (blank) {
            blank->format = context->pix_fmt;
            blank->width = context->width;
            blank->height = context->height;
            if (av_frame_get_buffer(blank.get(), 0) >= 0) {
                const ptrdiff_t linesizes[4] = {blank->linesize[0], blank->linesize[1],
                                                blank->linesize[2], blank->linesize[3]};
                av_image_fill_black(blank->data, linesizes, context->pix_fmt, context->color_range,
                                    context->width, context->height);
                avcodec_send_frame(context, blank.get());
            }
        }
    }
    if (avcodec_send_frame(context, nullptr) < 0)
        return;
    PacketPtr dropped(av_packet_alloc());
    while (dropped && avcodec_receive_packet(context, dropped.get()) >= 0)
        av_packet_unref(dropped.get());
}

encoderprivate::OutputStream *encoderprivate::outputStream(int index)
{
    if (index < 0 || index >= int(m_streams.size()))
        return nullptr;
    return &m_streams[size_t(index)];
}

const AVCodecContext *encoderprivate::codecContext(int streamIndex) const
{
    if (streamIndex < 0 || streamIndex >= int(m_streams.size()))
        return nullptr;
    return m_streams[size_t(streamIndex)].context.get();
}

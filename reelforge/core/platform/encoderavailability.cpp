#include "core/platform/encoderavailability.h"

#include <QDebug>
#include <QMutex>
#include <QSet>

namespace {

struct StandIn
{
    const char *name;
    AVCodecID codec;
    const char *preferred;
};

// By the codec the named encoder makes, never by a container's default.
constexpr StandIn StandIns[] = {
        {"h264_mf", AV_CODEC_ID_H264, "libx264"},
        {"aac_mf", AV_CODEC_ID_AAC, "aac"},
        {"mp3_mf", AV_CODEC_ID_MP3, "libmp3lame"},
        {"ac3_mf", AV_CODEC_ID_AC3, "ac3"},
};

// What Media Foundation's H.264 encoder takes; the stand-in would also take
// 10-bit and 4:4:4 input and make files that few players decode.
constexpr AVPixelFormat H264PixelFormats[] = {AV_PIX_FMT_NV12, AV_PIX_FMT_YUV420P, AV_PIX_FMT_NONE};

const StandIn *standInEntry(const QString &name)
{
    for (const StandIn &entry : StandIns) {
        if (name.compare(QLatin1String(entry.name), Qt::CaseInsensitive) == 0)
            return &entry;
    }
    return nullptr;
}

// A stand-in serves the name only when FFmpeg has no encoder of that name.
bool servesAsStandIn(const QString &requestedName, const AVCodec *encoder)
{
    const StandIn *entry = standInEntry(requestedName);
    return entry && encoder && encoder->id == entry->codec
            && requestedName.compare(QLatin1String(encoder->name), Qt::CaseInsensitive) != 0;
}

void logStandInOnce(const QString &name, const AVCodec *encoder)
{
    static QMutex mutex;
    static QSet<QString> logged;
    QMutexLocker locker(&mutex);
    const QString key = name.toLower();
    if (logged.contains(key))
        return;
    logged.insert(key);
    qInfo().noquote() << "encoder" << key << "is not available here;" << encoder->name
                      << "stands in for it";
}

} // namespace

namespace EncoderAvailability {

const AVCodec *findEncoderByName(const QString &name)
{
    const QByteArray utf8 = name.toUtf8();
    if (const AVCodec *own = avcodec_find_encoder_by_name(utf8.constData()))
        return own;

    const StandIn *entry = standInEntry(name);
    if (!entry)
        return nullptr;
    const AVCodec *encoder = avcodec_find_encoder_by_name(entry->preferred);
    if (!encoder)
        encoder = avcodec_find_encoder(entry->codec);
    if (encoder)
        logStandInOnce(name, encoder);
    return encoder;
}

const AVPixelFormat *pixelFormats(const QString &requestedName, const AVCodec *encoder)
{
    if (!encoder)
        return nullptr;
    if (encoder->id == AV_CODEC_ID_H264 && servesAsStandIn(requestedName, encoder))
        return H264PixelFormats;
    return encoder->pix_fmts;
}

void prepareToOpen(const QString &requestedName, AVCodecContext *context)
{
    if (!context || !servesAsStandIn(requestedName, context->codec))
        return;
    // The named encoders' thread count is theirs; a stand-in is another
    // encoder, which works at its own speed with the threads it chooses.
    context->thread_count = 0;
    // The named H.264 encoder holds the task's bit rate steadily; a
    // one-second buffer capped at that rate does the same here.
    if (context->codec_type == AVMEDIA_TYPE_VIDEO && context->bit_rate > 0) {
        context->rc_max_rate = context->bit_rate;
        context->rc_buffer_size = int(qMin<int64_t>(context->bit_rate, INT_MAX));
    }
}

} // namespace EncoderAvailability

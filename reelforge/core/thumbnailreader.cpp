#include "core/thumbnailreader.h"

#include "core/avptr.h"
#include "core/decoderprivate.h"
#include "core/mediautils.h"

#include <QDebug>
#include <QTransform>

namespace {

using MediaUtils::errorText;

// Where in the file the picture is taken, as a share of its duration.
constexpr double PicturePosition = 0.05;
// As the decoder has it: damaged packets are skipped, but this many before a
// picture means there is none worth waiting for.
constexpr int MaxDamagedRun = 100;

bool isDamage(int ret)
{
    return ret < 0 && ret != AVERROR_EOF && ret != AVERROR(EAGAIN) && ret != AVERROR(ENOMEM);
}

CodecContextPtr openDecoder(const AVStream *stream)
{
    const AVCodec *codec = avcodec_find_decoder(stream->codecpar->codec_id);
    if (!codec) {
        qWarning().nospace() << "No decoder for the thumbnail of stream #" << stream->index;
        return nullptr;
    }
    CodecContextPtr decoder(avcodec_alloc_context3(codec));
    if (!decoder || avcodec_parameters_to_context(decoder.get(), stream->codecpar) < 0)
        return nullptr;
    decoder->pkt_timebase = stream->time_base;
    // Thread pools would cost more to set up than they save on one picture.
    decoder->thread_count = 1;
    const int ret = avcodec_open2(decoder.get(), codec, nullptr);
    if (ret < 0) {
        qWarning().noquote() << "Cannot open the decoder for a thumbnail:" << errorText(ret);
        return nullptr;
    }
    return decoder;
}

// The first picture the decoder gives from the input's read position on;
// at the end of the input the decoder is drained for it.
int decodeFirstPicture(AVFormatContext *input, int streamIndex, AVCodecContext *decoder,
                       AVFrame *picture)
{
    PacketPtr packet(av_packet_alloc());
    if (!packet)
        return AVERROR(ENOMEM);
    int damaged = 0;
    const auto skipDamaged = [&damaged](int code) {
        if (++damaged <= MaxDamagedRun)
            return 0;
        qWarning().noquote() << "Too much damaged data for a thumbnail:" << errorText(code);
        return code;
    };
    bool drained = false;
    for (;;) {
        int ret = avcodec_receive_frame(decoder, picture);
        if (ret >= 0 || ret == AVERROR_EOF)
            return ret;
        if (ret != AVERROR(EAGAIN)) {
            if (!isDamage(ret) || skipDamaged(ret) < 0)
                return ret;
            continue;
        }
        if (drained)
            return AVERROR_EOF;

        ret = av_read_frame(input, packet.get());
        if (ret == AVERROR_EOF) {
            drained = true;
            ret = avcodec_send_packet(decoder, nullptr);
        } else if (ret == AVERROR_INVALIDDATA) {
            ret = skipDamaged(ret);
        } else if (ret >= 0) {
            if (packet->stream_index == streamIndex) {
                ret = avcodec_send_packet(decoder, packet.get());
                if (isDamage(ret))
                    ret = skipDamaged(ret);
            }
            av_packet_unref(packet.get());
        }
        if (ret < 0)
            return ret;
    }
}

// The picture scaled to the size in the image format the program paints.
QImage scaledImage(const AVFrame *picture, const QSize &size)
{
    SwsContextPtr scaler(sws_getContext(picture->width, picture->height,
                                        AVPixelFormat(picture->format), size.width(), size.height(),
                                        AV_PIX_FMT_BGRA, SWS_BICUBIC, nullptr, nullptr, nullptr));
    QImage image = MediaUtils::swscaleImage(size.width(), size.height());
    if (!scaler || image.isNull())
        return QImage();
    uint8_t *planes[4] = {image.bits(), nullptr, nullptr, nullptr};
    int strides[4] = {int(image.bytesPerLine()), 0, 0, 0};
    sws_scale(scaler.get(), picture->data, picture->linesize, 0, picture->height, planes, strides);
    return image;
}

// Right angles only, the way the decoder's graph turns a picture; a half
// turn it leaves as it is.
QImage turned(const QImage &image, int angle)
{
    if (angle == 90 || angle == 270)
        return image.transformed(QTransform().rotate(angle));
    return image;
}

} // namespace

namespace ThumbnailReader {

QImage fromInput(AVFormatContext *input, const QString &path, const QSize &maxSize,
                 Qt::AspectRatioMode mode)
{
    if (!input)
        return QImage();
    const int streamIndex = av_find_best_stream(input, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (streamIndex < 0)
        return QImage();
    const AVStream *stream = input->streams[streamIndex];
    const CodecContextPtr decoder = openDecoder(stream);
    if (!decoder)
        return QImage();

    const int angle = decoderprivate::streamRotation(stream);
    const bool sideways = angle % 180 != 0;
    QSize size(decoder->width, decoder->height);
    if (sideways)
        size.transpose();
    size.scale(maxSize, mode);
    if (size.isEmpty())
        return QImage();

    const qint64 position = qint64(MediaUtils::inputDuration(input, path) * PicturePosition);
    if (av_seek_frame(input, -1, MediaTime::microsecondsFromTicks(position), 0) < 0)
        av_seek_frame(input, -1, 0, 0);

    const FramePtr picture(av_frame_alloc());
    if (!picture || decodeFirstPicture(input, streamIndex, decoder.get(), picture.get()) < 0
        || picture->width <= 0 || picture->height <= 0)
        return QImage();
    const QImage image = scaledImage(picture.get(), sideways ? size.transposed() : size);
    return image.isNull() ? image : turned(image, angle);
}

} // namespace ThumbnailReader

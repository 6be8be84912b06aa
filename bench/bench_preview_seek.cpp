// Times the preview engine from a seek to the picture at the target, against
// an in-process libav decode to the same target (seek to the key frame before
// it, decode with libavcodec's automatic threads up to the frame at the
// target, scale that one frame to the preview size). Runs are paired and
// alternate which side goes first; the ratio is taken per pair.
//
// Usage: bench_preview_seek [SEEKS]   (default 9 seeks per clip)

#include "core/avptr.h"
#include "core/coredecoder.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QProcess>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QThread>

extern "C" {
#include <libavutil/imgutils.h>
#include <libavutil/log.h>
}

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int Seconds = 24;
constexpr int FrameRate = 25;
constexpr qint64 TicksPerSecond = 10000000;
const QSize PreviewSize(960, 540);
// Time for the engine's loops to fill their caches between runs, so that
// neither side runs beside the other's leftover work.
constexpr int SettleMs = 700;

bool makeClip(const QString &path, int keyFrameSeconds)
{
    const QString gop = QString::number(keyFrameSeconds * FrameRate);
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 {"-hide_banner",
                  "-loglevel",
                  "error",
                  "-y",
                  "-f",
                  "lavfi",
                  "-i",
                  QStringLiteral("testsrc2=size=1920x1080:rate=%1:duration=%2,noise=alls=8:allf=t")
                          .arg(FrameRate)
                          .arg(Seconds),
                  "-f",
                  "lavfi",
                  "-i",
                  QStringLiteral("sine=frequency=440:sample_rate=48000:duration=%1").arg(Seconds),
                  "-c:v",
                  "libx264",
                  "-preset",
                  "veryfast",
                  "-pix_fmt",
                  "yuv420p",
                  "-g",
                  gop,
                  "-keyint_min",
                  gop,
                  "-sc_threshold",
                  "0",
                  "-c:a",
                  "aac",
                  "-ac",
                  "2",
                  path});
    if (!ffmpeg.waitForFinished(-1) || ffmpeg.exitStatus() != QProcess::NormalExit
        || ffmpeg.exitCode() != 0) {
        std::fprintf(stderr, "ffmpeg failed: %s\n", ffmpeg.readAllStandardError().constData());
        return false;
    }
    return true;
}

// The plain way: one demuxer and one decoder kept open, as the engine keeps its own.
class DirectDecoder
{
public:
    bool open(const QString &path)
    {
        AVFormatContext *raw = nullptr;
        if (avformat_open_input(&raw, path.toUtf8().constData(), nullptr, nullptr) < 0)
            return false;
        m_input.reset(raw);
        if (avformat_find_stream_info(raw, nullptr) < 0)
            return false;
        m_stream = av_find_best_stream(raw, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
        if (m_stream < 0)
            return false;
        const AVStream *stream = raw->streams[m_stream];
        const AVCodec *codec = avcodec_find_decoder(stream->codecpar->codec_id);
        m_decoder.reset(avcodec_alloc_context3(codec));
        if (!m_decoder || avcodec_parameters_to_context(m_decoder.get(), stream->codecpar) < 0)
            return false;
        m_decoder->thread_count = 0;
        m_decoder->thread_type = FF_THREAD_FRAME | FF_THREAD_SLICE;
        m_packet.reset(av_packet_alloc());
        m_frame.reset(av_frame_alloc());
        m_image.resize(size_t(PreviewSize.width()) * PreviewSize.height() * 4);
        return avcodec_open2(m_decoder.get(), codec, nullptr) >= 0 && m_packet && m_frame;
    }

    // Decodes up to the frame shown at the position and converts it.
    bool pictureAt(qint64 position)
    {
        const AVStream *stream = m_input->streams[m_stream];
        if (av_seek_frame(m_input.get(), -1, position / 10, AVSEEK_FLAG_BACKWARD) < 0)
            return false;
        avcodec_flush_buffers(m_decoder.get());
        const int64_t target = av_rescale_q(position, AVRational{1, int(TicksPerSecond)},
                                            stream->time_base);
        const int64_t frameTicks = av_rescale_q(1, av_inv_q(stream->avg_frame_rate),
                                                stream->time_base);
        bool sent = true;
        while (sent) {
            int ret = av_read_frame(m_input.get(), m_packet.get());
            if (ret < 0) {
                avcodec_send_packet(m_decoder.get(), nullptr);
                sent = false;
            } else {
                if (m_packet->stream_index == m_stream)
                    avcodec_send_packet(m_decoder.get(), m_packet.get());
                av_packet_unref(m_packet.get());
            }
            while (avcodec_receive_frame(m_decoder.get(), m_frame.get()) >= 0) {
                if (m_frame->best_effort_timestamp + frameTicks > target)
                    return convert();
                av_frame_unref(m_frame.get());
            }
        }
        return false;
    }

private:
    bool convert()
    {
        m_scaler.reset(sws_getCachedContext(m_scaler.release(), m_frame->width, m_frame->height,
                                            AVPixelFormat(m_frame->format), PreviewSize.width(),
                                            PreviewSize.height(), AV_PIX_FMT_BGRA, SWS_BICUBIC,
                                            nullptr, nullptr, nullptr));
        uint8_t *planes[4] = {m_image.data(), nullptr, nullptr, nullptr};
        const int strides[4] = {PreviewSize.width() * 4, 0, 0, 0};
        sws_scale(m_scaler.get(), m_frame->data, m_frame->linesize, 0, m_frame->height, planes,
                  strides);
        av_frame_unref(m_frame.get());
        return true;
    }

    FormatInputPtr m_input;
    CodecContextPtr m_decoder;
    PacketPtr m_packet;
    FramePtr m_frame;
    SwsContextPtr m_scaler;
    std::vector<uint8_t> m_image;
    int m_stream = -1;
};

class EngineRun
{
public:
    bool open(const QString &path)
    {
        QObject::connect(
                &m_engine, &coredecoder::cacheReady, &m_engine, [this] { m_ready.release(); },
                Qt::DirectConnection);
        if (m_engine.open(path) < 0)
            return false;
        m_engine.setAudioFormat(AV_SAMPLE_FMT_FLT, 2, 48000);
        m_engine.seek(0);
        m_engine.run();
        return m_ready.tryAcquire(1, 30000);
    }

    // The player's way: seek, wait for the engine's signal, take the picture.
    bool pictureAt(qint64 position)
    {
        m_engine.seek(position);
        if (!m_ready.tryAcquire(1, 30000))
            return false;
        QImage image;
        qint64 framePosition = -1;
        m_engine.imageAt(position, &image, &framePosition);
        return !image.isNull() && framePosition <= position;
    }

private:
    coredecoder m_engine;
    QSemaphore m_ready;
};

struct Spread
{
    double min = 0, median = 0, max = 0;
};

Spread spread(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    const double median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    return {values.front(), median, values.back()};
}

template<typename Run>
double timedMs(Run run, bool *ok)
{
    QElapsedTimer timer;
    timer.start();
    *ok = run() && *ok;
    return timer.nsecsElapsed() / 1e6;
}

bool benchClip(const QString &path, int keyFrameSeconds, int seeks)
{
    EngineRun engine;
    DirectDecoder direct;
    if (!engine.open(path) || !direct.open(path)) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(path));
        return false;
    }
    std::vector<double> ours, anchor, ratios;
    bool ok = true;
    for (int i = 0; i < seeks; ++i) {
        // Spread over the clip and over the places within a group of pictures.
        const qint64 target = (TicksPerSecond * 13 / 10
                               + qint64(i) * (Seconds - 3) * TicksPerSecond / seeks)
                % ((Seconds - 2) * TicksPerSecond);
        double engineMs = 0, directMs = 0;
        for (int side = 0; side < 2; ++side) {
            QThread::msleep(SettleMs);
            if ((side == 0) == (i % 2 == 0))
                engineMs = timedMs([&] { return engine.pictureAt(target); }, &ok);
            else
                directMs = timedMs([&] { return direct.pictureAt(target); }, &ok);
        }
        ours.push_back(engineMs);
        anchor.push_back(directMs);
        ratios.push_back(engineMs / directMs);
    }
    if (!ok) {
        std::fprintf(stderr, "a seek gave no picture\n");
        return false;
    }
    const Spread o = spread(ours), a = spread(anchor), r = spread(ratios);
    std::printf("key frame every %2d s: engine %6.1f %6.1f %6.1f ms   in-process %6.1f %6.1f %6.1f "
                "ms   ratio %.2f %.2f %.2f\n",
                keyFrameSeconds, o.min, o.median, o.max, a.min, a.median, a.max, r.min, r.median,
                r.max);
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int seeks = argc > 1 ? QByteArray(argv[1]).toInt() : 9;
    if (seeks < 1) {
        std::fprintf(stderr, "usage: bench_preview_seek [SEEKS]\n");
        return 2;
    }
    QLoggingCategory::setFilterRules(QStringLiteral("default.info=false\ndefault.debug=false"));
    av_log_set_level(AV_LOG_ERROR);

    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    std::printf("preview seek to picture, %d s 1920x1080 %d fps H.264 + AAC, %d paired seeks, "
                "min / median / max\n",
                Seconds, FrameRate, seeks);
    for (const int keyFrameSeconds : {2, 10}) {
        const QString path = dir.filePath(QStringLiteral("gop%1.mp4").arg(keyFrameSeconds));
        if (!makeClip(path, keyFrameSeconds) || !benchClip(path, keyFrameSeconds, seeks))
            return 1;
    }
    return 0;
}

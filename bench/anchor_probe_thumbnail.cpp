// The anchor of the import benchmarks: what a plain libav program spends to
// read a file's stream information and take its thumbnail. For each file:
// open it, read the stream information, find the best video stream, open
// its decoder on one thread, seek to 5 % of the duration, decode the first
// picture and scale it to fit 320 x 320 as BGRA. No Qt, no filters.
//
// anchor_probe_thumbnail [-j THREADS] FILE...
//   THREADS workers (default 1) take the files in turn. Prints one line:
//   "wall SECONDS cpu SECONDS files N pictures M", the time from the first
//   open to the last picture and the process's CPU time over that span.

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include <malloc.h>
#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int Edge = 320;

struct InputCloser
{
    void operator()(AVFormatContext *c) const { avformat_close_input(&c); }
};
struct DecoderFreer
{
    void operator()(AVCodecContext *c) const { avcodec_free_context(&c); }
};
struct FrameFreer
{
    void operator()(AVFrame *f) const { av_frame_free(&f); }
};
struct PacketFreer
{
    void operator()(AVPacket *p) const { av_packet_free(&p); }
};
struct ScalerFreer
{
    void operator()(SwsContext *c) const { sws_freeContext(c); }
};

int firstFrame(AVFormatContext *input, int stream, AVCodecContext *decoder, AVFrame *frame)
{
    std::unique_ptr<AVPacket, PacketFreer> packet(av_packet_alloc());
    bool ended = false;
    for (;;) {
        int ret = avcodec_receive_frame(decoder, frame);
        if (ret != AVERROR(EAGAIN))
            return ret;
        if (ended)
            return AVERROR_EOF;
        ret = av_read_frame(input, packet.get());
        if (ret == AVERROR_EOF) {
            ended = true;
            ret = avcodec_send_packet(decoder, nullptr);
        } else if (ret >= 0) {
            if (packet->stream_index == stream)
                ret = avcodec_send_packet(decoder, packet.get());
            av_packet_unref(packet.get());
        }
        if (ret < 0 && ret != AVERROR_INVALIDDATA)
            return ret;
    }
}

// True when a picture was made.
bool probeAndThumbnail(const char *path)
{
    AVFormatContext *raw = nullptr;
    if (avformat_open_input(&raw, path, nullptr, nullptr) < 0)
        return false;
    std::unique_ptr<AVFormatContext, InputCloser> input(raw);
    if (avformat_find_stream_info(input.get(), nullptr) < 0)
        return false;
    const int stream = av_find_best_stream(input.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (stream < 0)
        return false;
    const AVCodecParameters *parameters = input->streams[stream]->codecpar;
    const AVCodec *codec = avcodec_find_decoder(parameters->codec_id);
    if (!codec)
        return false;
    std::unique_ptr<AVCodecContext, DecoderFreer> decoder(avcodec_alloc_context3(codec));
    if (!decoder || avcodec_parameters_to_context(decoder.get(), parameters) < 0)
        return false;
    decoder->thread_count = 1;
    if (avcodec_open2(decoder.get(), codec, nullptr) < 0)
        return false;

    const int64_t duration = input->duration > 0 ? input->duration : 0;
    if (av_seek_frame(input.get(), -1, duration / 20, 0) < 0)
        av_seek_frame(input.get(), -1, 0, 0);
    std::unique_ptr<AVFrame, FrameFreer> frame(av_frame_alloc());
    if (firstFrame(input.get(), stream, decoder.get(), frame.get()) < 0)
        return false;

    const double fit = std::min(double(Edge) / frame->width, double(Edge) / frame->height);
    const int width = std::max(1, int(frame->width * fit + 0.5));
    const int height = std::max(1, int(frame->height * fit + 0.5));
    std::unique_ptr<SwsContext, ScalerFreer> scaler(
            sws_getContext(frame->width, frame->height, AVPixelFormat(frame->format), width, height,
                           AV_PIX_FMT_BGRA, SWS_BICUBIC, nullptr, nullptr, nullptr));
    if (!scaler)
        return false;
    const int stride = (width * 4 + 63) & ~63;
    std::unique_ptr<uint8_t, decltype(&av_free)> pixels(static_cast<uint8_t *>(
                                                                av_malloc(size_t(stride) * height)),
                                                        &av_free);
    uint8_t *planes[4] = {pixels.get(), nullptr, nullptr, nullptr};
    int strides[4] = {stride, 0, 0, 0};
    return sws_scale(scaler.get(), frame->data, frame->linesize, 0, frame->height, planes, strides)
            == height;
}

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval &t) { return double(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

} // namespace

int main(int argc, char *argv[])
{
    int threads = 1;
    int first = 1;
    if (argc > 2 && std::strcmp(argv[1], "-j") == 0) {
        threads = std::max(1, std::atoi(argv[2]));
        first = 3;
    }
    if (first >= argc) {
        std::fprintf(stderr, "usage: %s [-j THREADS] FILE...\n", argv[0]);
        return 2;
    }
    av_log_set_level(AV_LOG_ERROR);
    // Freed memory is kept for the next file, as in a program that runs on;
    // otherwise glibc hands each file's picture buffers back to the system
    // and the next file pays page faults for them (bench_probe_thumbnail
    // does the same).
    mallopt(M_MMAP_THRESHOLD, 256 << 20);
    mallopt(M_TRIM_THRESHOLD, 512 << 20);
    const std::vector<const char *> files(argv + first, argv + argc);

    std::atomic<size_t> next{0};
    std::atomic<int> pictures{0};
    const auto work = [&] {
        for (size_t i = next++; i < files.size(); i = next++) {
            if (probeAndThumbnail(files[i]))
                ++pictures;
        }
    };
    const double cpuStart = cpuSeconds();
    const auto wallStart = std::chrono::steady_clock::now();
    std::vector<std::thread> workers;
    for (int i = 1; i < threads; ++i)
        workers.emplace_back(work);
    work();
    for (std::thread &worker : workers)
        worker.join();
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart)
                                .count();
    const double cpu = cpuSeconds() - cpuStart;

    std::printf("wall %.4f cpu %.4f files %zu pictures %d\n", wall, cpu, files.size(),
                pictures.load());
    return pictures.load() == int(files.size()) ? 0 : 1;
}

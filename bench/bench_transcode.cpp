// Converts one generated clip with the transcoder and with the ffmpeg command
// at the same settings and prints both wall times.
//
// Usage: bench_transcode [seconds [width height]]

#include "core/transcoder.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QProcess>
#include <QSize>
#include <QStringList>
#include <QTemporaryDir>

extern "C" {
#include <libavutil/log.h>
}

#include <cstdio>

namespace {

constexpr int FrameRate = 30;
constexpr int AudioKbps = 128;

bool runFfmpeg(const QStringList &arguments)
{
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 QStringList{"-hide_banner", "-loglevel", "error", "-y"} + arguments);
    if (!ffmpeg.waitForStarted() || !ffmpeg.waitForFinished(-1)) {
        std::fprintf(stderr, "ffmpeg did not run\n");
        return false;
    }
    if (ffmpeg.exitStatus() != QProcess::NormalExit || ffmpeg.exitCode() != 0) {
        std::fprintf(stderr, "ffmpeg failed: %s\n", ffmpeg.readAllStandardError().constData());
        return false;
    }
    return true;
}

bool makeSource(const QString &path, int seconds, const QSize &size)
{
    return runFfmpeg(
            {"-f", "lavfi", "-i",
             QStringLiteral("testsrc2=size=%1x%2:rate=%3:duration=%4")
                     .arg(size.width())
                     .arg(size.height())
                     .arg(FrameRate)
                     .arg(seconds),
             "-f", "lavfi", "-i",
             QStringLiteral("sine=frequency=440:sample_rate=48000:duration=%1").arg(seconds),
             "-c:v", "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p", "-c:a", "aac", "-ac",
             "2", path});
}

int convertWithTranscoder(const QString &source, const QString &target, const QSize &size)
{
    VideoCodecInfo video;
    video.name = QStringLiteral("h264_mf");
    video.resolution = size;
    AudioCodecInfo audio;
    audio.name = QStringLiteral("aac_mf");
    audio.bitrate = AudioKbps;

    transcoder t;
    t.setAudioInfo(audio);
    t.setVideoInfo(video);
    int ret = t.openInputFile(source);
    if (ret >= 0)
        ret = t.openOutputFile(target);
    if (ret < 0)
        return ret;
    t.setTrim(0, 0);
    t.rewind();
    bool done = false;
    while (!done && ret >= 0)
        ret = t.processNextFrame(done);
    const int finished = t.finish();
    return ret < 0 ? ret : finished;
}

// The settings the transcoder gives the H.264 stand-in and the AAC encoder.
bool convertWithFfmpeg(const QString &source, const QString &target, const QSize &size)
{
    const QString bitRate = QString::number(transcoder::videoBitRate(size, FrameRate, 95));
    return runFfmpeg({"-i",       source,
                      "-c:v",     "libx264",
                      "-pix_fmt", "yuv420p",
                      "-b:v",     bitRate,
                      "-maxrate", bitRate,
                      "-bufsize", bitRate,
                      "-g",       QString::number(FrameRate / 2),
                      "-bf",      "2",
                      "-threads", "4",
                      "-s",       QStringLiteral("%1x%2").arg(size.width()).arg(size.height()),
                      "-c:a",     "aac",
                      "-b:a",     QStringLiteral("%1k").arg(AudioKbps),
                      target});
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int seconds = args.size() > 1 ? args.at(1).toInt() : 10;
    const QSize size = args.size() > 3 ? QSize(args.at(2).toInt(), args.at(3).toInt())
                                       : QSize(1280, 720);
    if (seconds <= 0 || size.isEmpty()) {
        std::fprintf(stderr, "usage: bench_transcode [seconds [width height]]\n");
        return 2;
    }

    QLoggingCategory::setFilterRules(QStringLiteral("default.info=false\ndefault.debug=false"));
    av_log_set_level(AV_LOG_ERROR);

    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("source.mp4"));
    if (!dir.isValid() || !makeSource(source, seconds, size))
        return 1;
    std::printf("clip: %d s, %dx%d at %d fps, stereo AAC\n", seconds, size.width(), size.height(),
                FrameRate);

    QElapsedTimer timer;
    timer.start();
    const int ret = convertWithTranscoder(source, dir.filePath(QStringLiteral("ours.mp4")), size);
    const qint64 ours = timer.elapsed();
    if (ret < 0) {
        std::fprintf(stderr, "transcoder failed: %d\n", ret);
        return 1;
    }

    timer.restart();
    if (!convertWithFfmpeg(source, dir.filePath(QStringLiteral("ffmpeg.mp4")), size))
        return 1;
    const qint64 theirs = timer.elapsed();

    std::printf("transcoder:     %lld ms\n", static_cast<long long>(ours));
    std::printf("ffmpeg command: %lld ms\n", static_cast<long long>(theirs));
    return 0;
}

#pragma once

#include "core/avptr.h"

// FFmpeg's headers need the C99 constant macros, which <cstdint> provides.
#include <cstdint>

extern "C" {
#include <libavutil/avutil.h>
#include <libavutil/pixfmt.h>
#include <libavutil/rational.h>
#include <libavutil/samplefmt.h>
}

#include <QImage>
#include <QSize>
#include <QString>

#include <memory>

struct AVFrame;
struct AVStream;

// Reads one media file: decodes the selected streams and runs each stream's
// frames through a filter graph that sets frame rate, size, rotation and pixel
// format (video) or sample format, rate and layout (audio). Positions and
// durations are in 100-ns units. Plain class, used by one thread at a time.
//
// Frames handed out by decode() stay owned by the decoder; give each one back
// with recycleFrame(). All of them are freed by close().
class decoderprivate
{
public:
    decoderprivate();
    ~decoderprivate();

    decoderprivate(const decoderprivate &) = delete;
    decoderprivate &operator=(const decoderprivate &) = delete;

    // How a video stream's decoder spreads its work: over as many threads as
    // there are cores, several frames at once (throughput, for runs of
    // frames), or within one frame only (latency, for a single frame).
    enum class VideoThreading { Frames, Slices };

    int openInputFile(const QString &path);
    // Takes over an input that was opened and had its stream information
    // read already (by a probe), instead of opening the file again.
    int openInput(FormatInputPtr input, const QString &path);
    int bestStream(AVMediaType type) const;
    // The best video stream that is not an attached picture (cover art).
    int bestVideoStream() const;
    int selectStream(int index);

    // Damaged packets are skipped with a warning; a long run of them fails.
    int decode(AVMediaType *type, AVFrame **frame, qint64 *pts, qint64 *duration);
    void recycleFrame(AVFrame *frame);
    // Positions are the input's own times, which need not start at 0. A
    // video graph without frame-rate conversion is kept across the seek.
    int seek(qint64 position, int flags);
    // Decoded video frames that start before the position are dropped before
    // they are filtered; the lowest qint64 keeps them all (the default).
    void dropVideoBefore(qint64 position);
    // Reads from the beginning again, for inputs that cannot seek there.
    int reopen();
    // The time of the selected streams' first frame (0 when unknown): the
    // position that stands for the start of the input.
    qint64 startTime() const;

    // The image shares one buffer with every image this call returned before:
    // the next conversion overwrites its pixels. Copy it to keep it.
    QImage frameAsQImage(const AVFrame *frame);

    qint64 duration();
    QSize sourceSize() const;
    int rotation() const;

    void setTargetSize(const QSize &size);
    // Takes effect when the video stream is selected.
    void setVideoThreading(VideoThreading threading);
    void setPixelFormat(AVPixelFormat format);
    void setFrameRate(int numerator, int denominator);
    void setAudioFormat(AVSampleFormat format, int sampleRate, int channels, int frameSize);

    double frameRate() const;
    AVRational sourceFrameRate() const;
    AVPixelFormat sourcePixelFormat() const;
    AVSampleFormat sourceSampleFormat() const;
    int videoBitrate() const;
    int audioBitrate() const;
    int audioSampleRate() const;
    int audioChannels() const;
    QString videoCodecName() const;
    QString audioCodecName() const;

    int closeStreams(int index);
    void close();

    // Rotation in whole degrees: the "rotate" tag, else the display matrix.
    static int streamRotation(const AVStream *stream);
    // 0, 90, 180 or 270: the right angle nearest to the degrees.
    static int normalizedAngle(double degrees);
    static QString videoFilterDescription(AVRational targetFrameRate, const QSize &targetSize,
                                          int angle, AVPixelFormat pixelFormat);

private:
    struct StreamContext;
    class Private;
    std::unique_ptr<Private> d;
};

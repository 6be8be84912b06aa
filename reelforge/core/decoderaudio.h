#pragma once

// FFmpeg's headers need the C99 constant macros, which <cstdint> provides.
#include <cstdint>

extern "C" {
#include <libavutil/avutil.h>
#include <libavutil/samplefmt.h>
}

#include <QString>

#include <memory>

struct AVFrame;
struct AudioSample;

// Decodes one audio stream of a file for the preview's sound: each frame goes
// through a filter graph into the sample format, rate and channel layout that
// the audio output asked for, in frames of a fixed sample count. Positions and
// durations are in 100-ns units. Plain class, used by one thread at a time.
//
// Frames handed out by decode() stay owned by the decoder; give each one back
// with recycleFrame(). All of them are freed by close().
class decoderaudio
{
public:
    decoderaudio();
    ~decoderaudio();

    decoderaudio(const decoderaudio &) = delete;
    decoderaudio &operator=(const decoderaudio &) = delete;

    // Takes effect when the filter graph is next built: at the first frame
    // after opening or after a seek.
    void setAudioFormat(AVSampleFormat format, int sampleRate, int channels, int frameSize);

    int openInputFile(const QString &path);
    int bestStream() const;
    int selectStream(int index);

    int decode(AVMediaType *type, AVFrame **frame, qint64 *position, qint64 *duration);
    void recycleFrame(AVFrame *frame);
    int seek(qint64 position, int flags);

    // Copies a filtered frame's interleaved samples with its time and duration.
    int frameToSample(const AVFrame *frame, AudioSample *sample) const;

    int sourceSampleRate() const;
    int sourceChannels() const;

    void close();

private:
    class Private;
    std::unique_ptr<Private> d;
};

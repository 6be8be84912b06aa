#pragma once

// FFmpeg's headers need the C99 constant macros, which <cstdint> provides.
#include <cstdint>

extern "C" {
#include <libavutil/samplefmt.h>
}

#include <QImage>
#include <QObject>
#include <QString>

#include <memory>

struct AudioSample;

// Keeps the preview player supplied with pictures and sound: two loops on the
// global thread pool decode ahead into a video and an audio cache of up to 60
// frames each. A seek is a request that each loop picks up on its next pass.
//
// Threads: the loops run on pool threads; seek(), imageAt(), currentImage()
// and isAtEnd() are called on the GUI thread, nextAudioSample() on the audio
// render thread. Lock order, everywhere: a decoder's lock before its cache's.
class coredecoder : public QObject
{
    Q_OBJECT

public:
    explicit coredecoder(QObject *parent = nullptr);
    ~coredecoder() override;

    // Fails only when the video decoder cannot open the file; a missing video
    // or audio stream is not an error.
    int open(const QString &path);
    // Takes effect when the audio graph is next built (at the start or after a seek).
    void setAudioFormat(AVSampleFormat format, int channels, int sampleRate);
    // Returns the video request it replaced (INT64_MIN when none was pending).
    qint64 seek(qint64 position);
    // A seek must be pending: the loops start at the requested position.
    void run();

    // The oldest cached picture; the image is left alone while the cache is empty.
    void currentImage(QImage *image);
    // The picture for a playback position, and that frame's position; both are
    // left alone when the cache has none for it.
    void imageAt(qint64 position, QImage *image, qint64 *framePosition);
    // Takes the oldest cached sound; a negative code when there is none.
    int nextAudioSample(AudioSample *sample);
    // Drops cached sound that ends before the position: without an output the
    // sound is consumed as its time passes.
    void discardAudioBefore(qint64 position);

    bool hasAudio() const;
    bool isAtEnd() const;

signals:
    void ready();
    // Once per fill of the video cache, from the video loop's thread: as soon
    // as the picture at the seek target is cached (the cache fills on), or
    // when the video ends before it.
    void cacheReady();

private:
    class Private;
    std::unique_ptr<Private> d;
};

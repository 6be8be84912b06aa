#pragma once

#include "core/audiosample.h"

#include <QByteArray>
#include <QString>
#include <QVector>

#include <atomic>
#include <functional>
#include <limits>
#include <memory>
#include <optional>

// A sound format that an output offers. Attributes the output does not state
// are unset; the sample type is float or signed integer PCM.
struct AudioMediaType
{
    bool isFloat = false;
    std::optional<quint32> channels;
    std::optional<quint32> bitsPerSample;
    std::optional<quint32> sampleRate;
    std::optional<quint32> blockAlignment;
    std::optional<quint32> channelMask;
};

// One output stream on an audio endpoint: it takes timed samples and is the
// presentation clock, which follows the sound actually played. Thread-safe:
// the render thread writes while the GUI thread drives and reads the clock.
class AudioOutput
{
public:
    // startClock's position that resumes where the clock stands.
    static constexpr qint64 ResumePosition = std::numeric_limits<qint64>::max();

    virtual ~AudioOutput();

    // The types the output offers, in its order, and whether it takes one.
    virtual QVector<AudioMediaType> mediaTypes() const = 0;
    virtual bool isSupported(const AudioMediaType &type) const = 0;
    virtual bool setCurrentType(const AudioMediaType &type) = 0;

    // Creates the writer for the current type, then starts it. The clock
    // stands paused at 0 until startClock.
    virtual bool openWriter() = 0;
    virtual bool beginWriting() = 0;
    // Queues a sample. Blocks for a short while when enough sound is queued
    // already, which paces the writer to the playback.
    virtual bool write(const AudioSample &sample) = 0;
    // Makes a write() that blocks return at once, or, when none blocks, the
    // next one not block; for a thread that needs the writer to let go.
    virtual void wakeWriter() = 0;
    // Drops every queued sample.
    virtual void flush() = 0;

    virtual bool startClock(qint64 position) = 0;
    virtual bool pauseClock() = 0;
    virtual bool clockTime(qint64 *time) const = 0;

    // Called, on any thread, when the stream has failed for good.
    void setLostHandler(std::function<void()> handler);

protected:
    void reportLost();

private:
    std::function<void()> m_lostHandler;
};

// The gain of an endpoint's session, 0.0 to 1.0 (0.0 while muted), shared
// with the outputs opened on it, which follow its changes.
using AudioSessionGain = std::shared_ptr<const std::atomic<float>>;

// An output on the system's device of that name; null when there is no such
// device.
std::unique_ptr<AudioOutput> createSystemAudioOutput(const QString &deviceName,
                                                     AudioSessionGain gain);

#pragma once

#include "core/player/mediaclock.h"
#include "core/player/platform/audiodevices.h"

#include <QObject>

#include <limits>
#include <memory>

class coredecoder;

// Plays the preview's sound on an audio endpoint and is the preview's clock:
// while sound plays, the position is the output's clock, which follows the
// played sound; without sound a software clock counts elapsed time. A render
// thread of its own pulls samples from the preview engine.
//
// Lives on the GUI thread, where every operation is called; the render thread
// only pulls and writes samples and handles a lost session.
class audiorender : public QObject, public mediaclock
{
    Q_OBJECT

public:
    // The stage at which opening an endpoint failed, or Ok.
    enum DeviceInitState {
        Init = 0,
        SinkCreateError = 1,
        MediaTypeError = 2,
        RenderCreateError = 3,
        StartRenderError = 4,
        PresentaionClockFailed = 5,
        SessionMonitorFailed = 6,
        Ok = 7,
    };
    Q_ENUM(DeviceInitState)

    struct OutputFormat
    {
        quint32 channels = 2;
        quint32 channelMask = 3;
        quint32 bitsPerSample = 16;
        quint32 sampleRate = 48000;
        quint32 blockAlignment = 8;
        bool isFloat = true;
    };

    // start()'s position that resumes where the clock stands.
    static constexpr qint64 ResumePosition = std::numeric_limits<qint64>::max();

    explicit audiorender(QObject *parent = nullptr);
    ~audiorender() override;

    void setDecoder(coredecoder *decoder);
    // Opens the output on the endpoint; state tells the stage reached.
    bool init(const AudioEndpointPtr &device, DeviceInitState *state);
    OutputFormat outputFormat() const;

    void startThread();
    // Plays from the position, or on from where the clock stands (ResumePosition).
    void start(qint64 position);

    void pause() override;
    void play() override;
    qint64 currentTime() override;
    void setPosition(qint64 position) override;
    bool isPlaying() override;

    void stop();
    void shutdown();
    void release();

signals:
    // Emitted on the render thread: connect with a queued connection.
    void sessionDisconnected(qlonglong position, bool inplay, int disconnectReason);

private:
    class Private;
    std::unique_ptr<Private> d;
};

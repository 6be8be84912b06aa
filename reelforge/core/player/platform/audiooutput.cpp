#include "core/player/platform/audiooutput.h"

#include "core/mediatime.h"

#include <QAudioDeviceInfo>
#include <QAudioOutput>
#include <QDeadlineTimer>
#include <QDebug>
#include <QElapsedTimer>
#include <QMutex>
#include <QThread>
#include <QTimer>
#include <QWaitCondition>

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <utility>

AudioOutput::~AudioOutput() = default;

void AudioOutput::setLostHandler(std::function<void()> handler)
{
    m_lostHandler = std::move(handler);
}

void AudioOutput::reportLost()
{
    if (m_lostHandler)
        m_lostHandler();
}

namespace {

// Sound queued ahead of the device beyond this makes write() wait, so the
// writer keeps pace with playback instead of racing through the clip.
constexpr qint64 QueueLimit = MediaTime::ticksFromMilliseconds(200);
constexpr int MaxWriteWaitMs = 200;
constexpr int PumpIntervalMs = 10;
// The clock follows the played sound; small differences are absorbed over
// several pumps so the picture does not jitter, large ones are taken at once.
constexpr qint64 SnapDrift = MediaTime::ticksFromMilliseconds(100);
constexpr qint64 SlewDivisor = 8;

QAudioFormat toAudioFormat(const AudioMediaType &type)
{
    QAudioFormat format;
    format.setCodec(QStringLiteral("audio/pcm"));
    format.setByteOrder(QAudioFormat::LittleEndian);
    format.setSampleType(type.isFloat ? QAudioFormat::Float : QAudioFormat::SignedInt);
    format.setSampleSize(int(type.bitsPerSample.value_or(0)));
    format.setChannelCount(int(type.channels.value_or(0)));
    format.setSampleRate(int(type.sampleRate.value_or(0)));
    return format;
}

AudioMediaType mediaType(bool isFloat, int channels, int sampleRate)
{
    AudioMediaType type;
    type.isFloat = isFloat;
    type.channels = quint32(channels);
    type.bitsPerSample = isFloat ? 32 : 16;
    type.sampleRate = quint32(sampleRate);
    type.blockAlignment = quint32(channels) * (*type.bitsPerSample / 8);
    return type;
}

// Runs a QAudioOutput in push mode on a thread of its own (it needs an event
// loop for its timers); a pump on that thread moves queued samples into the
// device as it has room. Lock order: the output thread's objects are only
// touched on that thread, and m_lock is never held while waiting for it.
class QtAudioOutput final : public AudioOutput
{
public:
    QtAudioOutput(const QAudioDeviceInfo &device, AudioSessionGain gain);
    ~QtAudioOutput() override;

    QVector<AudioMediaType> mediaTypes() const override;
    bool isSupported(const AudioMediaType &type) const override;
    bool setCurrentType(const AudioMediaType &type) override;
    bool openWriter() override;
    bool beginWriting() override;
    bool write(const AudioSample &sample) override;
    void wakeWriter() override;
    void flush() override;
    bool startClock(qint64 position) override;
    bool pauseClock() override;
    bool clockTime(qint64 *time) const override;

private:
    void runOnOutputThread(const std::function<void()> &function) const;
    void onStateChanged(QAudio::State state);
    void pump();
    void followPlayedSound();
    void suspendOrResume();
    void followGain();
    qint64 bytesToTicks(qint64 bytes) const;
    qint64 clockLocked() const;

    const QAudioDeviceInfo m_device;
    const AudioSessionGain m_gain;
    QThread m_thread;
    QObject *m_context = nullptr;

    // Output thread only.
    QAudioOutput *m_audio = nullptr;
    QIODevice *m_io = nullptr;
    QTimer *m_pump = nullptr;
    float m_appliedGain = -1.0f;

    mutable QMutex m_lock;
    QWaitCondition m_drained;
    QAudioFormat m_format;
    std::deque<AudioSample> m_queue;
    int m_headOffset = 0;
    qint64 m_queuedTicks = 0;
    bool m_running = false;
    bool m_lost = false;
    bool m_wakeWriter = false;
    // Sound went into the device since it was last restarted.
    bool m_deviceFed = false;
    bool m_pushedSinceStart = false;
    qint64 m_pushedEnd = 0;
    qint64 m_anchor = 0;
    QElapsedTimer m_anchorWall;
    mutable qint64 m_lastTime = 0;
};

QtAudioOutput::QtAudioOutput(const QAudioDeviceInfo &device, AudioSessionGain gain)
    : m_device(device), m_gain(std::move(gain))
{
    m_thread.setObjectName(QStringLiteral("AudioOutput"));
    m_context = new QObject;
    m_context->moveToThread(&m_thread);
    m_thread.start(QThread::HighPriority);
}

QtAudioOutput::~QtAudioOutput()
{
    runOnOutputThread([this] {
        delete m_pump;
        m_pump = nullptr;
        if (m_audio) {
            QObject::disconnect(m_audio, nullptr, m_context, nullptr);
            m_audio->stop();
            delete m_audio;
            m_audio = nullptr;
        }
    });
    m_thread.quit();
    m_thread.wait();
    delete m_context;
}

void QtAudioOutput::runOnOutputThread(const std::function<void()> &function) const
{
    if (QThread::currentThread() == &m_thread)
        function();
    else
        QMetaObject::invokeMethod(m_context, function, Qt::BlockingQueuedConnection);
}

QVector<AudioMediaType> QtAudioOutput::mediaTypes() const
{
    const QAudioFormat preferred = m_device.preferredFormat();
    const int rate = preferred.sampleRate() > 0 ? preferred.sampleRate() : 48000;
    const int channels = preferred.channelCount() > 0 ? std::min(preferred.channelCount(), 2) : 2;
    // Float last: the caller takes the last type the device supports.
    return {mediaType(false, channels, rate), mediaType(true, channels, rate)};
}

bool QtAudioOutput::isSupported(const AudioMediaType &type) const
{
    if (!type.channels || !type.bitsPerSample || !type.sampleRate)
        return false;
    return m_device.isFormatSupported(toAudioFormat(type));
}

bool QtAudioOutput::setCurrentType(const AudioMediaType &type)
{
    if (!isSupported(type))
        return false;
    QMutexLocker locker(&m_lock);
    m_format = toAudioFormat(type);
    return true;
}

bool QtAudioOutput::openWriter()
{
    QAudioFormat format;
    {
        QMutexLocker locker(&m_lock);
        format = m_format;
    }
    if (!format.isValid())
        return false;
    runOnOutputThread([this, format] {
        if (m_audio)
            return;
        m_audio = new QAudioOutput(m_device, format, m_context);
        followGain();
        QObject::connect(m_audio, &QAudioOutput::stateChanged, m_context,
                         [this](QAudio::State state) { onStateChanged(state); });
        m_pump = new QTimer(m_context);
        m_pump->setInterval(PumpIntervalMs);
        QObject::connect(m_pump, &QTimer::timeout, m_context, [this] { pump(); });
    });
    return true;
}

bool QtAudioOutput::beginWriting()
{
    bool started = false;
    runOnOutputThread([this, &started] {
        if (!m_audio)
            return;
        m_io = m_audio->start();
        started = m_io && m_audio->error() != QAudio::OpenError;
        if (!started)
            return;
        suspendOrResume();
        m_pump->start();
    });
    return started;
}

bool QtAudioOutput::write(const AudioSample &sample)
{
    QMutexLocker locker(&m_lock);
    if (m_lost || !m_format.isValid())
        return false;
    m_queue.push_back(sample);
    m_queuedTicks += sample.duration;
    QElapsedTimer waited;
    waited.start();
    while (m_running && !m_lost && !m_wakeWriter && m_queuedTicks > QueueLimit) {
        const qint64 left = MaxWriteWaitMs - waited.elapsed();
        if (left <= 0)
            break;
        m_drained.wait(&m_lock, QDeadlineTimer(left));
    }
    m_wakeWriter = false;
    return true;
}

void QtAudioOutput::wakeWriter()
{
    QMutexLocker locker(&m_lock);
    m_wakeWriter = true;
    m_drained.wakeAll();
}

void QtAudioOutput::flush()
{
    {
        QMutexLocker locker(&m_lock);
        m_queue.clear();
        m_headOffset = 0;
        m_queuedTicks = 0;
        m_pushedSinceStart = false;
        m_drained.wakeAll();
        // A seek while nothing reached the device restarts nothing: the
        // restart blocks the caller until the output thread has done it.
        if (!std::exchange(m_deviceFed, false))
            return;
    }
    runOnOutputThread([this] {
        if (!m_audio || !m_io)
            return;
        // Stopping is the one documented way to drop what the device holds.
        m_audio->stop();
        m_io = m_audio->start();
        suspendOrResume();
    });
}

bool QtAudioOutput::startClock(qint64 position)
{
    {
        QMutexLocker locker(&m_lock);
        if (position == ResumePosition && m_running)
            return true;
        if (position != ResumePosition) {
            m_anchor = position;
            m_lastTime = position;
            m_pushedSinceStart = false;
        }
        m_running = true;
        m_anchorWall.start();
    }
    runOnOutputThread([this] { suspendOrResume(); });
    return true;
}

bool QtAudioOutput::pauseClock()
{
    {
        QMutexLocker locker(&m_lock);
        if (m_running) {
            m_anchor = clockLocked();
            m_running = false;
        }
        m_drained.wakeAll();
    }
    runOnOutputThread([this] { suspendOrResume(); });
    return true;
}

bool QtAudioOutput::clockTime(qint64 *time) const
{
    QMutexLocker locker(&m_lock);
    *time = clockLocked();
    return true;
}

void QtAudioOutput::followGain()
{
    const float gain = m_gain ? m_gain->load() : 1.0f;
    if (gain != m_appliedGain) {
        m_audio->setVolume(qreal(gain));
        m_appliedGain = gain;
    }
}

qint64 QtAudioOutput::clockLocked() const
{
    if (!m_running)
        return m_anchor;
    const qint64 now = m_anchor + MediaTime::ticksFromNanoseconds(m_anchorWall.nsecsElapsed());
    // Never step back while running: a repeated picture is better than a jump.
    m_lastTime = std::max(m_lastTime, now);
    return m_lastTime;
}

qint64 QtAudioOutput::bytesToTicks(qint64 bytes) const
{
    const int bytesPerSecond = m_format.bytesForDuration(1000000);
    return bytesPerSecond > 0 ? bytes * MediaTime::TicksPerSecond / bytesPerSecond : 0;
}

void QtAudioOutput::suspendOrResume()
{
    if (!m_audio)
        return;
    bool running;
    {
        QMutexLocker locker(&m_lock);
        running = m_running;
    }
    const QAudio::State state = m_audio->state();
    if (running && state == QAudio::SuspendedState)
        m_audio->resume();
    else if (!running && (state == QAudio::ActiveState || state == QAudio::IdleState))
        m_audio->suspend();
}

void QtAudioOutput::onStateChanged(QAudio::State state)
{
    if (state != QAudio::StoppedState)
        return;
    const QAudio::Error error = m_audio->error();
    if (error == QAudio::NoError || error == QAudio::UnderrunError)
        return;
    qWarning() << "Audio output stopped with error" << error;
    {
        QMutexLocker locker(&m_lock);
        if (m_lost)
            return;
        m_lost = true;
        m_drained.wakeAll();
    }
    reportLost();
}

void QtAudioOutput::pump()
{
    if (!m_audio || !m_io)
        return;
    followGain();
    QMutexLocker locker(&m_lock);
    if (!m_running || m_lost)
        return;
    const int alignment = std::max(1, m_format.bytesPerFrame());
    int room = m_audio->bytesFree();
    while (room >= alignment && !m_queue.empty()) {
        const AudioSample &sample = m_queue.front();
        if (m_headOffset == 0 && sample.time + sample.duration < clockLocked()) {
            // Too late to be heard in time: keeping it would delay all that follows.
            m_queuedTicks -= sample.duration;
            m_queue.pop_front();
            continue;
        }
        const int left = sample.data.size() - m_headOffset;
        const int chunk = std::min(left, room / alignment * alignment);
        const qint64 written = m_io->write(sample.data.constData() + m_headOffset, chunk);
        if (written <= 0)
            break;
        m_headOffset += int(written);
        room -= int(written);
        m_pushedEnd = sample.time + bytesToTicks(m_headOffset);
        m_pushedSinceStart = true;
        m_deviceFed = true;
        if (m_headOffset >= sample.data.size()) {
            m_queuedTicks -= sample.duration;
            m_queue.pop_front();
            m_headOffset = 0;
        }
    }
    if (m_queuedTicks <= QueueLimit)
        m_drained.wakeAll();
    followPlayedSound();
}

void QtAudioOutput::followPlayedSound()
{
    if (!m_pushedSinceStart)
        return;
    const int held = m_audio->bufferSize() - m_audio->bytesFree();
    if (held <= 0)
        return; // starving: the clock runs on by itself
    const qint64 playHead = m_pushedEnd - bytesToTicks(held);
    const qint64 now = clockLocked();
    const qint64 drift = playHead - now;
    if (std::abs(drift) >= SnapDrift)
        m_anchor = playHead;
    else
        m_anchor = now + drift / SlewDivisor;
    m_anchorWall.start();
    if (drift <= -SnapDrift)
        m_lastTime = playHead;
}

} // namespace

std::unique_ptr<AudioOutput> createSystemAudioOutput(const QString &deviceName,
                                                     AudioSessionGain gain)
{
    const QList<QAudioDeviceInfo> devices = QAudioDeviceInfo::availableDevices(QAudio::AudioOutput);
    for (const QAudioDeviceInfo &device : devices) {
        if (!device.isNull() && device.deviceName() == deviceName)
            return std::make_unique<QtAudioOutput>(device, std::move(gain));
    }
    return nullptr;
}

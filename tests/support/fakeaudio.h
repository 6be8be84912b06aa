#pragma once

#include "core/player/platform/audiodevices.h"
#include "core/player/platform/audiooutput.h"
#include "waitbound.h"

#include <QElapsedTimer>
#include <QMutex>
#include <QThread>
#include <QVector>

#include <memory>
#include <utility>

// A sound device for tests, behind the audio platform interfaces. Its output
// "plays" in wall time: the clock runs from startClock, and write() waits
// while more than 200 ms of sound is ahead of the clock, like a device buffer.
// With a manual clock the test sets the time instead. A held output takes no
// sound at all: write() waits until wakeWriter() (or the tests' wait bound).
struct FakeOutputLog
{
    // Stages at which the output can be told to fail.
    enum Stage { None, Create, SetType, OpenWriter, BeginWriting, PauseClock };

    mutable QMutex lock;
    QVector<AudioMediaType> mediaTypes;
    QVector<bool> supported;
    Stage failAt = None;
    bool manualClock = false;
    qint64 manualTime = 0;
    bool held = false;
    bool writerWaiting = false;
    int writesWoken = 0;

    std::optional<AudioMediaType> currentType;
    QVector<AudioSample> written;
    QVector<qint64> clockStarts;
    int flushes = 0;
    int outputsCreated = 0;

    int writtenCount() const
    {
        QMutexLocker locker(&lock);
        return written.size();
    }
    int flushCount() const
    {
        QMutexLocker locker(&lock);
        return flushes;
    }
    QVector<qint64> starts() const
    {
        QMutexLocker locker(&lock);
        return clockStarts;
    }
    void setManualTime(qint64 time)
    {
        QMutexLocker locker(&lock);
        manualTime = time;
    }
    bool isWriterWaiting() const
    {
        QMutexLocker locker(&lock);
        return writerWaiting;
    }
    int wokenCount() const
    {
        QMutexLocker locker(&lock);
        return writesWoken;
    }
};

inline AudioMediaType fakeMediaType(bool isFloat, quint32 channels, quint32 rate,
                                    std::optional<quint32> mask = std::nullopt)
{
    AudioMediaType type;
    type.isFloat = isFloat;
    type.channels = channels;
    type.bitsPerSample = isFloat ? 32 : 16;
    type.sampleRate = rate;
    type.blockAlignment = channels * (*type.bitsPerSample / 8);
    type.channelMask = mask;
    return type;
}

class FakeAudioOutput final : public AudioOutput
{
public:
    explicit FakeAudioOutput(std::shared_ptr<FakeOutputLog> log) : m_log(std::move(log)) { }

    QVector<AudioMediaType> mediaTypes() const override
    {
        QMutexLocker locker(&m_log->lock);
        return m_log->mediaTypes;
    }
    bool isSupported(const AudioMediaType &type) const override
    {
        QMutexLocker locker(&m_log->lock);
        for (int i = 0; i < m_log->mediaTypes.size(); ++i) {
            const AudioMediaType &t = m_log->mediaTypes[i];
            if (t.isFloat == type.isFloat && t.channels == type.channels
                && t.sampleRate == type.sampleRate && t.channelMask == type.channelMask)
                return m_log->supported.value(i, true);
        }
        return false;
    }
    bool setCurrentType(const AudioMediaType &type) override
    {
        QMutexLocker locker(&m_log->lock);
        if (m_log->failAt == FakeOutputLog::SetType)
            return false;
        m_log->currentType = type;
        return true;
    }
    bool openWriter() override { return passes(FakeOutputLog::OpenWriter); }
    bool beginWriting() override { return passes(FakeOutputLog::BeginWriting); }

    bool write(const AudioSample &sample) override
    {
        {
            QMutexLocker locker(&m_log->lock);
            m_log->written.append(sample);
            m_queuedEnd = sample.time + sample.duration;
        }
        // Paces the writer like a device buffer of 200 ms would.
        QElapsedTimer waited;
        waited.start();
        for (;;) {
            qint64 now;
            clockTime(&now);
            QMutexLocker locker(&m_log->lock);
            if (std::exchange(m_wake, false)) {
                m_log->writesWoken += m_log->writerWaiting ? 1 : 0;
                break;
            }
            const bool full = m_log->held || (m_running && m_queuedEnd - now > 2000000);
            if (!full || waited.elapsed() >= (m_log->held ? WaitBound::ms() : 200))
                break;
            m_log->writerWaiting = true;
            locker.unlock();
            QThread::msleep(5);
        }
        QMutexLocker locker(&m_log->lock);
        m_log->writerWaiting = false;
        return true;
    }
    void wakeWriter() override
    {
        QMutexLocker locker(&m_log->lock);
        m_wake = true;
    }
    void flush() override
    {
        QMutexLocker locker(&m_log->lock);
        ++m_log->flushes;
        m_queuedEnd = 0;
    }
    bool startClock(qint64 position) override
    {
        QMutexLocker locker(&m_log->lock);
        m_log->clockStarts.append(position);
        if (position == ResumePosition && m_running)
            return true;
        if (position != ResumePosition)
            m_anchor = position;
        m_running = true;
        m_wall.start();
        return true;
    }
    bool pauseClock() override
    {
        QMutexLocker locker(&m_log->lock);
        if (m_log->failAt == FakeOutputLog::PauseClock)
            return false;
        if (m_running)
            m_anchor += m_wall.nsecsElapsed() / 100;
        m_running = false;
        return true;
    }
    bool clockTime(qint64 *time) const override
    {
        QMutexLocker locker(&m_log->lock);
        if (m_log->manualClock)
            *time = m_log->manualTime;
        else
            *time = m_anchor + (m_running ? m_wall.nsecsElapsed() / 100 : 0);
        return true;
    }

private:
    bool passes(FakeOutputLog::Stage stage) const
    {
        QMutexLocker locker(&m_log->lock);
        return m_log->failAt != stage;
    }

    std::shared_ptr<FakeOutputLog> m_log;
    bool m_running = false;
    bool m_wake = false;
    qint64 m_anchor = 0;
    qint64 m_queuedEnd = 0;
    QElapsedTimer m_wall;
};

// An endpoint whose session the test can change from "elsewhere" or end.
class FakeAudioEndpoint final : public AudioEndpoint
{
public:
    explicit FakeAudioEndpoint(const QString &id,
                               std::shared_ptr<FakeOutputLog> log = std::make_shared<FakeOutputLog>())
        : m_id(id), m_log(std::move(log))
    {
        if (m_log->mediaTypes.isEmpty())
            m_log->mediaTypes = {fakeMediaType(true, 2, 48000)};
    }

    QString id() const override { return m_id; }
    std::unique_ptr<AudioOutput> createOutput() override
    {
        QMutexLocker locker(&m_log->lock);
        if (m_log->failAt == FakeOutputLog::Create)
            return nullptr;
        ++m_log->outputsCreated;
        return std::make_unique<FakeAudioOutput>(m_log);
    }

    float volume() const override
    {
        QMutexLocker locker(&m_lock);
        return m_volume;
    }
    bool isMuted() const override
    {
        QMutexLocker locker(&m_lock);
        return m_mute;
    }
    void setVolume(float volume, const QUuid &context) override
    {
        {
            QMutexLocker locker(&m_lock);
            m_volume = volume;
            ++m_volumeCalls;
        }
        notifyVolumeMuteChanged(volume, isMuted(), context);
    }
    void setMute(bool mute, const QUuid &context) override
    {
        {
            QMutexLocker locker(&m_lock);
            m_mute = mute;
            ++m_muteCalls;
        }
        notifyVolumeMuteChanged(volume(), mute, context);
    }

    // A change made in the system mixer, reported from another thread.
    void changeElsewhere(float volume, bool mute)
    {
        {
            QMutexLocker locker(&m_lock);
            m_volume = volume;
            m_mute = mute;
        }
        runOnOtherThread([=] { notifyVolumeMuteChanged(volume, mute, QUuid::createUuid()); });
    }
    void disconnect(AudioDisconnectReason reason)
    {
        runOnOtherThread([=] { notifySessionDisconnected(reason); });
    }

    int volumeCalls() const
    {
        QMutexLocker locker(&m_lock);
        return m_volumeCalls;
    }
    int muteCalls() const
    {
        QMutexLocker locker(&m_lock);
        return m_muteCalls;
    }
    const std::shared_ptr<FakeOutputLog> &log() const { return m_log; }

private:
    template<typename Function>
    static void runOnOtherThread(Function function)
    {
        std::unique_ptr<QThread> thread(QThread::create(function));
        thread->start();
        thread->wait();
    }

    const QString m_id;
    const std::shared_ptr<FakeOutputLog> m_log;
    mutable QMutex m_lock;
    float m_volume = 1.0f;
    bool m_mute = false;
    int m_volumeCalls = 0;
    int m_muteCalls = 0;
};

// The endpoints a test offers, shared by every AudioDevices the code creates.
struct FakeAudioSystem
{
    QMutex lock;
    QVector<std::shared_ptr<FakeAudioEndpoint>> endpoints;
    QString defaultId;
    QStringList requests; // "default" or the id asked for

    std::shared_ptr<FakeAudioEndpoint> add(const QString &id)
    {
        auto endpoint = std::make_shared<FakeAudioEndpoint>(id);
        QMutexLocker locker(&lock);
        endpoints.append(endpoint);
        if (defaultId.isEmpty())
            defaultId = id;
        return endpoint;
    }
    std::shared_ptr<FakeAudioEndpoint> find(const QString &id)
    {
        QMutexLocker locker(&lock);
        for (const auto &endpoint : qAsConst(endpoints)) {
            if (endpoint->id() == id)
                return endpoint;
        }
        return nullptr;
    }
};

class FakeAudioDevices final : public AudioDevices
{
public:
    FakeAudioDevices(std::shared_ptr<FakeAudioSystem> system, QObject *parent)
        : AudioDevices(parent), m_system(std::move(system))
    { }

    // Installs fake devices for every AudioDevices created until uninstall().
    static std::shared_ptr<FakeAudioSystem> install()
    {
        auto system = std::make_shared<FakeAudioSystem>();
        AudioDevices::setFactory(
                [system](QObject *parent) { return new FakeAudioDevices(system, parent); });
        return system;
    }
    static void uninstall() { AudioDevices::setFactory(nullptr); }

    AudioEndpointPtr defaultDevice() override
    {
        QString id;
        {
            QMutexLocker locker(&m_system->lock);
            m_system->requests << QStringLiteral("default");
            id = m_system->defaultId;
        }
        return m_system->find(id);
    }
    AudioEndpointPtr deviceById(const QString &id) override
    {
        {
            QMutexLocker locker(&m_system->lock);
            m_system->requests << id;
        }
        return m_system->find(id);
    }
    QHash<QString, QString> activeDevices() override
    {
        QHash<QString, QString> devices;
        QMutexLocker locker(&m_system->lock);
        for (const auto &endpoint : qAsConst(m_system->endpoints))
            devices.insert(endpoint->id(), endpoint->id());
        return devices;
    }

    using AudioDevices::defaultDeviceChanged;
    using AudioDevices::deviceAvailable;

private:
    std::shared_ptr<FakeAudioSystem> m_system;
};

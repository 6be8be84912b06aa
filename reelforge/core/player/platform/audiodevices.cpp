#include "core/player/platform/audiodevices.h"

#include "core/player/platform/audiooutput.h"

#include <QAudioDeviceInfo>
#include <QStringList>
#include <QTimer>

#include <algorithm>
#include <utility>

AudioEndpoint::~AudioEndpoint() = default;

void AudioEndpoint::addSessionListener(const std::shared_ptr<AudioSessionListener> &listener)
{
    QMutexLocker locker(&m_listenersLock);
    if (std::find(m_listeners.begin(), m_listeners.end(), listener) == m_listeners.end())
        m_listeners.push_back(listener);
}

void AudioEndpoint::removeSessionListener(const std::shared_ptr<AudioSessionListener> &listener)
{
    QMutexLocker locker(&m_listenersLock);
    m_listeners.erase(std::remove(m_listeners.begin(), m_listeners.end(), listener),
                      m_listeners.end());
}

std::vector<std::shared_ptr<AudioSessionListener>> AudioEndpoint::listeners() const
{
    QMutexLocker locker(&m_listenersLock);
    return m_listeners;
}

// Listeners are called on copies, outside the lock, so a listener may be
// removed meanwhile; holding a reference keeps it alive for the call.
void AudioEndpoint::notifyVolumeMuteChanged(float volume, bool mute, const QUuid &context)
{
    for (const auto &listener : listeners())
        listener->onVolumeMuteChanged(volume, mute, context);
}

void AudioEndpoint::notifySessionDisconnected(AudioDisconnectReason reason)
{
    for (const auto &listener : listeners())
        listener->onSessionDisconnected(reason);
}

namespace {

constexpr int PollIntervalMs = 2000;

// A device of the system's sound server, named as Qt names it. One object per
// device and process, so every player shares that device's session volume.
class SystemEndpoint final : public AudioEndpoint,
                             public std::enable_shared_from_this<SystemEndpoint>
{
public:
    explicit SystemEndpoint(const QString &name) : m_name(name) { }

    static std::shared_ptr<SystemEndpoint> forDevice(const QString &name);
    static void deviceRemoved(const QString &name);

    QString id() const override { return m_name; }

    std::unique_ptr<AudioOutput> createOutput() override
    {
        auto output = createSystemAudioOutput(m_name, m_gain);
        if (output) {
            std::weak_ptr<SystemEndpoint> self = shared_from_this();
            output->setLostHandler([self] {
                if (auto endpoint = self.lock())
                    endpoint->notifySessionDisconnected(AudioDisconnectReason::DeviceRemoval);
            });
        }
        return output;
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
        bool mute;
        {
            QMutexLocker locker(&m_lock);
            m_volume = std::clamp(volume, 0.0f, 1.0f);
            volume = m_volume;
            mute = m_mute;
            m_gain->store(mute ? 0.0f : volume);
        }
        notifyVolumeMuteChanged(volume, mute, context);
    }

    void setMute(bool mute, const QUuid &context) override
    {
        float volume;
        {
            QMutexLocker locker(&m_lock);
            m_mute = mute;
            volume = m_volume;
            m_gain->store(mute ? 0.0f : volume);
        }
        notifyVolumeMuteChanged(volume, mute, context);
    }

private:
    const QString m_name;
    mutable QMutex m_lock;
    float m_volume = 1.0f;
    bool m_mute = false;
    const std::shared_ptr<std::atomic<float>> m_gain = std::make_shared<std::atomic<float>>(1.0f);
};

QMutex s_endpointsLock;
QHash<QString, std::weak_ptr<SystemEndpoint>> s_endpoints;

std::shared_ptr<SystemEndpoint> SystemEndpoint::forDevice(const QString &name)
{
    QMutexLocker locker(&s_endpointsLock);
    std::shared_ptr<SystemEndpoint> endpoint = s_endpoints.value(name).lock();
    if (!endpoint) {
        endpoint = std::make_shared<SystemEndpoint>(name);
        s_endpoints.insert(name, endpoint);
    }
    return endpoint;
}

void SystemEndpoint::deviceRemoved(const QString &name)
{
    std::shared_ptr<SystemEndpoint> endpoint;
    {
        QMutexLocker locker(&s_endpointsLock);
        endpoint = s_endpoints.take(name).lock();
    }
    if (endpoint)
        endpoint->notifySessionDisconnected(AudioDisconnectReason::DeviceRemoval);
}

QStringList outputDeviceNames()
{
    QStringList names;
    const QList<QAudioDeviceInfo> devices = QAudioDeviceInfo::availableDevices(QAudio::AudioOutput);
    for (const QAudioDeviceInfo &device : devices) {
        if (!device.isNull() && !device.deviceName().isEmpty()
            && !names.contains(device.deviceName()))
            names << device.deviceName();
    }
    return names;
}

// Qt's default comes from its preferred sound system only; when that one has
// no device, the first device of another serves.
QString defaultOutputDeviceName()
{
    const QAudioDeviceInfo device = QAudioDeviceInfo::defaultOutputDevice();
    if (!device.isNull() && !device.deviceName().isEmpty())
        return device.deviceName();
    return outputDeviceNames().value(0);
}

// Qt 5 reports no device changes, so the device list is polled; a listing
// costs a few milliseconds.
class SystemDevices final : public AudioDevices
{
public:
    explicit SystemDevices(QObject *parent) : AudioDevices(parent)
    {
        m_defaultName = defaultOutputDeviceName();
        m_names = outputDeviceNames();
        m_poll.setInterval(PollIntervalMs);
        connect(&m_poll, &QTimer::timeout, this, &SystemDevices::poll);
        m_poll.start();
    }

    AudioEndpointPtr defaultDevice() override
    {
        const QString name = defaultOutputDeviceName();
        return name.isEmpty() ? nullptr : SystemEndpoint::forDevice(name);
    }

    AudioEndpointPtr deviceById(const QString &id) override
    {
        return outputDeviceNames().contains(id) ? SystemEndpoint::forDevice(id) : nullptr;
    }

    QHash<QString, QString> activeDevices() override
    {
        QHash<QString, QString> devices;
        for (const QString &name : outputDeviceNames())
            devices.insert(name, name);
        return devices;
    }

private:
    void poll()
    {
        const QStringList names = outputDeviceNames();
        for (const QString &name : qAsConst(m_names)) {
            if (!names.contains(name))
                SystemEndpoint::deviceRemoved(name);
        }
        const QStringList previous = std::exchange(m_names, names);
        for (const QString &name : names) {
            if (!previous.contains(name))
                emit deviceAvailable(name);
        }
        const QString defaultName = defaultOutputDeviceName();
        if (defaultName != m_defaultName) {
            m_defaultName = defaultName;
            emit defaultDeviceChanged();
        }
    }

    QTimer m_poll;
    QStringList m_names;
    QString m_defaultName;
};

AudioDevices::Factory s_factory;

} // namespace

AudioDevices::AudioDevices(QObject *parent) : QObject(parent) { }

AudioDevices *AudioDevices::create(QObject *parent)
{
    if (s_factory)
        return s_factory(parent);
    return new SystemDevices(parent);
}

void AudioDevices::setFactory(Factory factory)
{
    s_factory = std::move(factory);
}

#include "moc_audiodevices.cpp"

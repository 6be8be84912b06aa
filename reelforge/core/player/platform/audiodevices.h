#pragma once

#include <QHash>
#include <QMutex>
#include <QObject>
#include <QString>
#include <QUuid>

#include <functional>
#include <memory>
#include <vector>

class AudioOutput;

// Why an endpoint's session ended.
enum class AudioDisconnectReason {
    DeviceRemoval = 0,
    ServerShutdown = 1,
    FormatChanged = 2,
    SessionLogoff = 3,
    SessionDisconnected = 4,
    ExclusiveModeOverride = 5,
};

// Receives the notifications of an endpoint's session. They may arrive on any
// thread; an implementation only stores values, raises flags or posts queued
// calls, and never calls back into the endpoint.
class AudioSessionListener
{
public:
    virtual ~AudioSessionListener() = default;
    virtual void onVolumeMuteChanged(float volume, bool mute, const QUuid &context) = 0;
    virtual void onSessionDisconnected(AudioDisconnectReason reason) = 0;
};

// One audio render endpoint together with this program's session on it: the
// session volume and mute state apply to every output opened on the endpoint.
// Thread-safe.
class AudioEndpoint
{
public:
    virtual ~AudioEndpoint();

    // Empty when the endpoint has no readable identity.
    virtual QString id() const = 0;
    // A new output stream on this endpoint, or null when none can be made.
    virtual std::unique_ptr<AudioOutput> createOutput() = 0;

    virtual float volume() const = 0;
    virtual bool isMuted() const = 0;
    // Every change, including the caller's own, is reported to the listeners
    // with the caller's context, so a caller can recognise its own changes.
    virtual void setVolume(float volume, const QUuid &context) = 0;
    virtual void setMute(bool mute, const QUuid &context) = 0;

    void addSessionListener(const std::shared_ptr<AudioSessionListener> &listener);
    void removeSessionListener(const std::shared_ptr<AudioSessionListener> &listener);

protected:
    void notifyVolumeMuteChanged(float volume, bool mute, const QUuid &context);
    void notifySessionDisconnected(AudioDisconnectReason reason);

private:
    std::vector<std::shared_ptr<AudioSessionListener>> listeners() const;

    mutable QMutex m_listenersLock;
    std::vector<std::shared_ptr<AudioSessionListener>> m_listeners;
};

using AudioEndpointPtr = std::shared_ptr<AudioEndpoint>;

// The system's audio render endpoints: the default one, one by id, the active
// ones, and notifications about them. Lives on the GUI thread and emits there.
class AudioDevices : public QObject
{
    Q_OBJECT

public:
    using Factory = std::function<AudioDevices *(QObject *parent)>;

    // The system's devices, or what an installed factory makes (tests).
    static AudioDevices *create(QObject *parent);
    static void setFactory(Factory factory);

    explicit AudioDevices(QObject *parent = nullptr);

    // Null when there is no such endpoint.
    virtual AudioEndpointPtr defaultDevice() = 0;
    virtual AudioEndpointPtr deviceById(const QString &id) = 0;
    // Endpoint id to its user-visible name.
    virtual QHash<QString, QString> activeDevices() = 0;

signals:
    void defaultDeviceChanged();
    void deviceAvailable(const QString &deviceId);
};

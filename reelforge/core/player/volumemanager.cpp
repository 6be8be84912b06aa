#include "core/player/volumemanager.h"

#include <QMutex>

namespace {

// Hands one session's notifications to the manager on its thread. Detached
// when the session is let go: a notification still on its way is then dropped,
// so a late word from an old session never touches the current one.
class volumelistener final : public AudioSessionListener,
                             public std::enable_shared_from_this<volumelistener>
{
public:
    explicit volumelistener(volumemanager *manager) : m_manager(manager) { }

    void detach()
    {
        QMutexLocker locker(&m_lock);
        m_manager = nullptr;
    }

    void onVolumeMuteChanged(float volume, bool mute, const QUuid &context) override
    {
        post([volume, mute, context](volumemanager *manager) {
            manager->OnVolumeMuteChanged(volume, mute, context);
        });
    }

    void onSessionDisconnected(AudioDisconnectReason) override
    {
        post([](volumemanager *manager) { manager->OnSessionDisconnect(); });
    }

private:
    volumemanager *manager()
    {
        QMutexLocker locker(&m_lock);
        return m_manager;
    }

    template<typename Call>
    void post(Call call)
    {
        QMutexLocker locker(&m_lock);
        if (!m_manager)
            return;
        // The manager detaches under this lock before it dies, so it is alive here.
        std::shared_ptr<volumelistener> self = shared_from_this();
        QMetaObject::invokeMethod(
                m_manager,
                [self, call] {
                    if (volumemanager *manager = self->manager())
                        call(manager);
                },
                Qt::QueuedConnection);
    }

    QMutex m_lock;
    volumemanager *m_manager;
};

} // namespace

class volumemanager::Private
{
public:
    void releaseSession()
    {
        if (session)
            session->removeSessionListener(listener);
        if (listener)
            listener->detach();
        listener.reset();
        session.reset();
    }

    // Marks the manager's own changes, so their notifications are not echoed.
    const QUuid eventContext = QUuid::createUuid();
    AudioEndpointPtr session;
    std::shared_ptr<volumelistener> listener;
    float volume = 1.0f;
    bool mute = false;
    bool disconnected = false;
};

volumemanager::volumemanager(QObject *parent) : QObject(parent), d(std::make_unique<Private>()) { }

volumemanager::~volumemanager()
{
    d->releaseSession();
}

bool volumemanager::setDevice(const AudioEndpointPtr &device)
{
    d->releaseSession();
    if (!device)
        return false;
    d->session = device;
    d->volume = device->volume();
    d->mute = device->isMuted();
    d->listener = std::make_shared<volumelistener>(this);
    device->addSessionListener(d->listener);
    emit muteChanged(d->mute);
    emit volumeChanged(d->volume);
    // A session that came back after a loss is usable again.
    if (std::exchange(d->disconnected, false))
        emit enabledChanged(true);
    return true;
}

void volumemanager::setVolume(float value)
{
    if (!d->session || qFuzzyCompare(value, d->volume))
        return;
    d->volume = value;
    d->session->setVolume(value, d->eventContext);
}

void volumemanager::setMute(bool mute)
{
    if (!d->session || mute == d->mute)
        return;
    d->mute = mute;
    d->session->setMute(mute, d->eventContext);
}

void volumemanager::OnVolumeMuteChanged(float NewVolume, bool NewMute, const QUuid &EventContext)
{
    if (EventContext == d->eventContext)
        return;
    if (d->session && !qFuzzyCompare(NewVolume, d->volume)) {
        d->volume = NewVolume;
        d->session->setVolume(d->volume, d->eventContext);
        emit volumeChanged(d->volume);
    }
    if (d->session && NewMute != d->mute) {
        d->mute = NewMute;
        d->session->setMute(d->mute, d->eventContext);
        emit muteChanged(d->mute);
    }
}

void volumemanager::OnSessionDisconnect()
{
    if (!d->session)
        return;
    d->releaseSession();
    d->disconnected = true;
    emit enabledChanged(false);
}

#include "moc_volumemanager.cpp"

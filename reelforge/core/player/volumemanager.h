#pragma once

#include "core/player/platform/audiodevices.h"

#include <QObject>
#include <QUuid>

#include <memory>

// Volume and mute of the player's session on the endpoint in use. Reflects
// changes made elsewhere as signals and reports a lost session. Lives on the
// GUI thread; the session's notifications reach it as queued calls.
class volumemanager : public QObject
{
    Q_OBJECT

public:
    explicit volumemanager(QObject *parent = nullptr);
    ~volumemanager() override;

    // Takes the session on this endpoint; false (and no session) for none.
    bool setDevice(const AudioEndpointPtr &device);

public slots:
    void setVolume(float value);
    void setMute(bool mute);
    void OnSessionDisconnect();
    void OnVolumeMuteChanged(float NewVolume, bool NewMute, const QUuid &EventContext);

signals:
    void volumeChanged(float volume);
    void muteChanged(bool mute);
    void enabledChanged(bool enabled);

private:
    class Private;
    std::unique_ptr<Private> d;
};

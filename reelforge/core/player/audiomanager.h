#pragma once

#include "core/player/platform/audiodevices.h"

#include <QHash>
#include <QObject>
#include <QString>

#include <memory>

// Finds the audio render endpoints for the preview player and turns the
// system's endpoint notifications into signals. Lives on the GUI thread.
class audiomanager : public QObject
{
    Q_OBJECT

public:
    explicit audiomanager(QObject *parent = nullptr);
    ~audiomanager() override;

    // Starts the endpoint notifications; every look-up below fails until then.
    bool startWatching();

    bool defaultDevice(AudioEndpointPtr *device) const;
    bool deviceById(const QString &id, AudioEndpointPtr *device) const;
    // Endpoint id to its user-visible name.
    bool activeDevices(QHash<QString, QString> *devices) const;

    Q_INVOKABLE void onDefaultDeviceChanged();
    Q_INVOKABLE void onDeviceAvailable(const QString &deviceId);

signals:
    void defaultDeviceChanged();
    void deviceAvailable(const QString &deviceId);

private:
    class Private;
    std::unique_ptr<Private> d;
};

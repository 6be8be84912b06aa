#include "core/player/audiomanager.h"

class audiomanager::Private
{
public:
    AudioDevices *devices = nullptr;
};

audiomanager::audiomanager(QObject *parent) : QObject(parent), d(std::make_unique<Private>()) { }

audiomanager::~audiomanager() = default;

bool audiomanager::startWatching()
{
    if (d->devices)
        return true;
    d->devices = AudioDevices::create(this);
    if (!d->devices)
        return false;
    connect(d->devices, &AudioDevices::defaultDeviceChanged, this,
            &audiomanager::onDefaultDeviceChanged, Qt::QueuedConnection);
    connect(d->devices, &AudioDevices::deviceAvailable, this, &audiomanager::onDeviceAvailable,
            Qt::QueuedConnection);
    return true;
}

bool audiomanager::defaultDevice(AudioEndpointPtr *device) const
{
    if (!d->devices)
        return false;
    *device = d->devices->defaultDevice();
    return bool(*device);
}

bool audiomanager::deviceById(const QString &id, AudioEndpointPtr *device) const
{
    if (!d->devices)
        return false;
    *device = d->devices->deviceById(id);
    return bool(*device);
}

bool audiomanager::activeDevices(QHash<QString, QString> *devices) const
{
    if (!d->devices)
        return false;
    *devices = d->devices->activeDevices();
    return true;
}

void audiomanager::onDefaultDeviceChanged()
{
    emit defaultDeviceChanged();
}

void audiomanager::onDeviceAvailable(const QString &deviceId)
{
    emit deviceAvailable(deviceId);
}

#include "moc_audiomanager.cpp"

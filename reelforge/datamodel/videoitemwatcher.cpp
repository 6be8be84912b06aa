#include "datamodel/videoitemwatcher.h"

#include <QObject>
#include <QVector>

class VideoItemWatcher::Private
{
public:
    VideoItemPtr item;
    QVector<QMetaObject::Connection> connections;
};

VideoItemWatcher::VideoItemWatcher() : d(std::make_unique<Private>()) { }

VideoItemWatcher::~VideoItemWatcher() = default;

VideoItemPtr VideoItemWatcher::videoItem() const
{
    return d->item;
}

void VideoItemWatcher::addConnection(const QMetaObject::Connection &connection)
{
    d->connections.append(connection);
}

void VideoItemWatcher::setVideoItem(VideoItemPtr item)
{
    if (item == d->item)
        return;

    while (!d->connections.isEmpty())
        QObject::disconnect(d->connections.takeLast());

    if (d->item)
        videoItemDetached();

    d->item = std::move(item);

    if (d->item)
        videoItemAttached(d->item);
}

void VideoItemWatcher::videoItemAttached(VideoItemPtr item)
{
    Q_UNUSED(item)
}

void VideoItemWatcher::videoItemDetached() { }

#pragma once

#include "datamodel/videoitem.h"

#include <QMetaObject>

#include <memory>

// Mixin of widgets that show one queue item. Holds the item and the
// connections made for it, and swaps both in one step, so that a widget given
// another item never reacts to the previous one.
//
// Lives on the GUI thread with the widget that inherits it.
class VideoItemWatcher
{
public:
    VideoItemWatcher();
    // Releases the handles without disconnecting: connections whose receiver
    // or context is the owning widget end with the widget.
    virtual ~VideoItemWatcher();

    VideoItemWatcher(const VideoItemWatcher &) = delete;
    VideoItemWatcher &operator=(const VideoItemWatcher &) = delete;

    VideoItemPtr videoItem() const;
    // Kept until the item is replaced, then disconnected.
    void addConnection(const QMetaObject::Connection &connection);

    // Overrides call the base and add their own work.
    virtual void setVideoItem(VideoItemPtr item);

protected:
    // Called with the new item after it was taken; connect its signals here
    // and register each connection with addConnection().
    virtual void videoItemAttached(VideoItemPtr item);
    // Called while the old item is still held, after its connections were
    // dropped.
    virtual void videoItemDetached();

private:
    class Private;
    std::unique_ptr<Private> d;
};

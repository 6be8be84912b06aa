#pragma once

#include <QtGlobal>

// The preview's clock: the playback position in 100-ns units, which the
// picture follows.
class mediaclock
{
public:
    virtual ~mediaclock() = default;

    virtual void pause() = 0;
    virtual void play() = 0;
    virtual qint64 currentTime() = 0;
    virtual void setPosition(qint64 position) = 0;
    virtual bool isPlaying() = 0;
};

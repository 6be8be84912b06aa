#include "avmediafileinfo.h"

#include <QDebug>

void AVMediaFileInfo::dumpInfo() const
{
    qInfo().noquote().nospace() << "format:         " << format;
    qInfo().noquote().nospace() << "stream count:   " << streamCount;
    qInfo().noquote().nospace() << "duration:       " << duration;
    qInfo().noquote().nospace() << "resolution:     " << resolution;
    qInfo().noquote().nospace() << "framerate:      " << framerate;
    qInfo().noquote().nospace() << "bitrate:        " << bitrate;
    qInfo().noquote().nospace() << "angle:          " << angle;
    qInfo().noquote().nospace() << "has audio:      " << hasAudio;
    qInfo().noquote().nospace() << "frame count:    " << frameCount;
    qInfo().noquote().nospace() << "video codec id: " << videoCodecId;
    if (!hasAudio)
        return;
    qInfo().noquote().nospace() << "audio codec id: " << audioCodecId;
    qInfo().noquote().nospace() << "samplerate:     " << samplerate;
    qInfo().noquote().nospace() << "channels:       " << channels;
}

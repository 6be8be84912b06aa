#include "core/codecinfos.h"

#include <QDataStream>

bool operator==(const VideoCodecInfo &a, const VideoCodecInfo &b)
{
    return a.name == b.name && a.bitrate == b.bitrate && a.quality == b.quality
            && a.resolution == b.resolution && a.framerate == b.framerate
            && a.reserved1 == b.reserved1 && a.reserved2 == b.reserved2;
}

bool operator==(const AudioCodecInfo &a, const AudioCodecInfo &b)
{
    return a.name == b.name && a.bitrate == b.bitrate && a.samplerate == b.samplerate
            && a.channels == b.channels;
}

QDataStream &operator<<(QDataStream &out, const VideoCodecInfo &info)
{
    return out << info.name << info.bitrate << info.quality << info.framerate << info.resolution
               << info.reserved1 << info.reserved2;
}

QDataStream &operator>>(QDataStream &in, VideoCodecInfo &info)
{
    return in >> info.name >> info.bitrate >> info.quality >> info.framerate >> info.resolution
            >> info.reserved1 >> info.reserved2;
}

QDataStream &operator<<(QDataStream &out, const AudioCodecInfo &info)
{
    return out << info.name << info.bitrate << info.samplerate << info.channels;
}

QDataStream &operator>>(QDataStream &in, AudioCodecInfo &info)
{
    return in >> info.name >> info.bitrate >> info.samplerate >> info.channels;
}

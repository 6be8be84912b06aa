#pragma once

#include <QMetaType>
#include <QSize>
#include <QString>

class QDataStream;

// Video encoder settings shared by codec settings, presets and the conversion
// task. The bit rate is in bits per second; an empty or "auto" name means the
// container's default encoder.
struct VideoCodecInfo
{
    QString name;
    qint32 bitrate = 0;
    qint32 quality = 95;
    QSize resolution;
    double framerate = 0.0;
    // Carried over the worker link; the GUI always sends 0.
    qint32 reserved1 = 0;
    qint32 reserved2 = 0;
};

// Audio encoder settings. The bit rate is in kilobits per second, the sample
// rate in Hz; a sample rate or channel count of 0 means: as the source.
struct AudioCodecInfo
{
    QString name;
    qint32 bitrate = 0;
    qint32 samplerate = 0;
    qint32 channels = 0;
};

bool operator==(const VideoCodecInfo &a, const VideoCodecInfo &b);
inline bool operator!=(const VideoCodecInfo &a, const VideoCodecInfo &b)
{
    return !(a == b);
}
bool operator==(const AudioCodecInfo &a, const AudioCodecInfo &b);
inline bool operator!=(const AudioCodecInfo &a, const AudioCodecInfo &b)
{
    return !(a == b);
}

// The worker link's wire form; the video record is not streamed in
// declaration order (the frame rate comes before the resolution).
QDataStream &operator<<(QDataStream &out, const VideoCodecInfo &info);
QDataStream &operator>>(QDataStream &in, VideoCodecInfo &info);
QDataStream &operator<<(QDataStream &out, const AudioCodecInfo &info);
QDataStream &operator>>(QDataStream &in, AudioCodecInfo &info);

Q_DECLARE_METATYPE(VideoCodecInfo)
Q_DECLARE_METATYPE(AudioCodecInfo)

#pragma once

#include <QHash>
#include <QMetaType>
#include <QSize>
#include <QString>
#include <QStringList>

// What probing a media file found, without decoding it. Durations are in
// 100-ns units, bit rates in bits per second.
struct AVMediaFileInfo
{
    int videoCodecId = 0;
    int audioCodecId = 0;
    QString audioCodecName;
    QString videoCodecName;
    qint64 frameCount = 0;
    int samplerate = 0;
    int channels = 0;
    int streamCount = 0;
    qint64 duration = 0;
    QStringList formatNames;
    QString extension;
    QString format;
    QHash<QString, QString> videoMetadata;
    bool hasVideo = false;
    bool hasAudio = false;
    bool videoDecoderMissing = true;
    bool audioDecoderMissing = true;
    int bitrate = 0;
    QSize resolution;
    double framerate = 0.0;
    int angle = 0;

    void dumpInfo() const;
};

Q_DECLARE_METATYPE(AVMediaFileInfo)

#pragma once

#include "core/codecinfos.h"

#include <QJsonValue>
#include <QObject>
#include <QSize>
#include <QString>

#include <memory>

struct PresetInfo;

// The stream settings of one side of a conversion: what probing found in a
// source, or what a target is to become. Setters emit only on a real change.
//
// No lock: a source is filled by the media import on a pool thread while
// its item imports; all other use is on the GUI thread.
class CodecInfo : public QObject
{
    Q_OBJECT

public:
    CodecInfo();
    ~CodecInfo() override;

    QString format() const;
    QSize resolution() const;
    int bitrate() const;
    int samplerate() const;
    int channelCount() const;
    QString videoCodecName() const;
    VideoCodecInfo &videoStream();
    const VideoCodecInfo &videoStream() const;
    AudioCodecInfo &audioStream();
    const AudioCodecInfo &audioStream() const;

    void setFormat(const QString &format);
    void setResolution(const QSize &resolution);
    void setBitrate(int bitrate);
    void setQuality(int quality);
    void setVideoCodecName(const QString &name);
    void setAudioCodecName(const QString &name);
    void setSamplerate(int samplerate);
    void setChannelCount(int channels);
    void setFrameRate(double framerate);

    static qint64 bitrateForCompressionLevel(int level);

    // Takes over a catalogue row but keeps quality and frame rate, and keeps
    // size, sample rate and channel count where the row leaves them open.
    void applyPreset(const PresetInfo *preset);

    QJsonValue toJson() const;
    bool loadFromJson(const QJsonValue &value);

signals:
    void resolutionChanged(QSize res);
    void samplerateChanged(int val);
    void channelCountChanged(int val);
    void bitrateChanged(int val);
    void formatChanged(QString format);
    void qualityChanged(int quality);
    void videoCodecNameChanged(QString videoCodecName);
    void audioCodecNameChanged(QString audioCodecName);

private:
    class Private;
    std::unique_ptr<Private> d;
};

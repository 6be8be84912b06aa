#include "datamodel/codecinfo.h"

#include "datamodel/presetinfo.h"

#include <QDebug>
#include <QJsonObject>

namespace {

const QString WidthKey = QStringLiteral("Width");
const QString HeightKey = QStringLiteral("Height");
const QString BitrateKey = QStringLiteral("Bitrate");
const QString FormatKey = QStringLiteral("Format");

const QString AutoCodec = QStringLiteral("auto");

} // namespace

class CodecInfo::Private
{
public:
    Private()
    {
        audio.name = AutoCodec;
        audio.bitrate = 96;
        video.name = AutoCodec;
    }

    AudioCodecInfo audio;
    VideoCodecInfo video;
    QString format;
};

CodecInfo::CodecInfo() : d(std::make_unique<Private>()) { }

CodecInfo::~CodecInfo() = default;

QString CodecInfo::format() const
{
    return d->format;
}

QSize CodecInfo::resolution() const
{
    return d->video.resolution;
}

int CodecInfo::bitrate() const
{
    return d->video.bitrate;
}

int CodecInfo::samplerate() const
{
    return d->audio.samplerate;
}

int CodecInfo::channelCount() const
{
    return d->audio.channels;
}

QString CodecInfo::videoCodecName() const
{
    return d->video.name;
}

VideoCodecInfo &CodecInfo::videoStream()
{
    return d->video;
}

const VideoCodecInfo &CodecInfo::videoStream() const
{
    return d->video;
}

AudioCodecInfo &CodecInfo::audioStream()
{
    return d->audio;
}

const AudioCodecInfo &CodecInfo::audioStream() const
{
    return d->audio;
}

void CodecInfo::setFormat(const QString &format)
{
    if (d->format == format)
        return;
    d->format = format;
    emit formatChanged(format);
}

void CodecInfo::setResolution(const QSize &resolution)
{
    if (d->video.resolution == resolution)
        return;
    d->video.resolution = resolution;
    emit resolutionChanged(resolution);
}

void CodecInfo::setBitrate(int bitrate)
{
    if (d->video.bitrate == bitrate)
        return;
    d->video.bitrate = bitrate;
    emit bitrateChanged(bitrate);
}

void CodecInfo::setQuality(int quality)
{
    if (d->video.quality == quality)
        return;
    d->video.quality = quality;
    emit qualityChanged(quality);
}

void CodecInfo::setVideoCodecName(const QString &name)
{
    if (d->video.name == name)
        return;
    d->video.name = name;
    emit videoCodecNameChanged(name);
}

void CodecInfo::setAudioCodecName(const QString &name)
{
    if (d->audio.name == name)
        return;
    d->audio.name = name;
    emit audioCodecNameChanged(name);
}

void CodecInfo::setSamplerate(int samplerate)
{
    if (d->audio.samplerate == samplerate)
        return;
    d->audio.samplerate = samplerate;
    emit samplerateChanged(samplerate);
}

void CodecInfo::setChannelCount(int channels)
{
    if (d->audio.channels == channels)
        return;
    d->audio.channels = channels;
    emit channelCountChanged(channels);
}

void CodecInfo::setFrameRate(double framerate)
{
    d->video.framerate = framerate;
}

qint64 CodecInfo::bitrateForCompressionLevel(int level)
{
    static const qint64 bitrates[] = {3000000, 4000000, 6000000, 8000000, 12000000};
    return bitrates[qBound(0, level, 4)];
}

void CodecInfo::applyPreset(const PresetInfo *preset)
{
    if (!preset)
        return;
    const bool resolutionDiffers = d->video.resolution != preset->video.resolution;
    const AudioCodecInfo oldAudio = d->audio;
    const VideoCodecInfo oldVideo = d->video;

    d->audio = preset->audio;
    d->video = preset->video;

    // A preset never changes these two.
    d->video.framerate = oldVideo.framerate;
    d->video.quality = oldVideo.quality;

    // Open values in the preset mean: as before.
    if (d->video.resolution.isEmpty())
        d->video.resolution = oldVideo.resolution;
    if (d->audio.samplerate == 0)
        d->audio.samplerate = oldAudio.samplerate;
    if (d->audio.channels == 0)
        d->audio.channels = oldAudio.channels;

    setFormat(preset->extension);
    if (resolutionDiffers)
        emit resolutionChanged(d->video.resolution);
}

QJsonValue CodecInfo::toJson() const
{
    return QJsonObject{{WidthKey, d->video.resolution.width()},
                       {HeightKey, d->video.resolution.height()},
                       {BitrateKey, d->video.bitrate},
                       {FormatKey, d->format}};
}

bool CodecInfo::loadFromJson(const QJsonValue &value)
{
    if (!value.isObject()) {
        qCritical() << "Can't parse json, CodecInfo item must be an object";
        return false;
    }
    const QJsonObject object = value.toObject();
    for (const QString &key : {WidthKey, HeightKey, BitrateKey, FormatKey}) {
        if (!object.contains(key)) {
            qCritical() << "Can't parse json, CodecInfo object has no required key:" << key;
            return false;
        }
    }
    d->video.resolution = QSize(object.value(WidthKey).toInt(), object.value(HeightKey).toInt());
    d->video.bitrate = object.value(BitrateKey).toInt();
    d->format = object.value(FormatKey).toString();
    return true;
}

#include "moc_codecinfo.cpp"

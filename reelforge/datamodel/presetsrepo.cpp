#include "datamodel/presetsrepo.h"

#include "shared/formattables.h"

#include <QDebug>
#include <QVector>

#include <algorithm>

// The icons live in this library's resources; a static library has to pull
// them in by hand.
static void initPresetResources()
{
    Q_INIT_RESOURCE(presets);
}

namespace {

const QString RecentGroup = QStringLiteral("Recent");
const QString VideoGroup = QStringLiteral("Video");
const QString AudioGroup = QStringLiteral("Audio");
const QString DevicesGroup = QStringLiteral("Devices");
const QString WebGroup = QStringLiteral("Web");
const QString VideoIcon = QStringLiteral(":/svg/presets/video.svg");
const QString AudioIcon = QStringLiteral(":/svg/presets/audio.svg");
constexpr int MaxRecent = 10;

struct VideoRow
{
    const char *subgroup;
    const char *name;
    const char *videoLabel;
    const char *videoEncoder;
    qint32 videoBitrate;
    int width;
    int height;
    double framerate;
    const char *audioLabel;
    const char *audioEncoder;
    qint32 audioBitrate;
    qint32 samplerate;
    qint32 channels;
};

// "AС3" with a Cyrillic Es (U+0421) in the middle, as the catalogue spells it.
const char CyrillicAc3[] = "A\u0421"
                           "3";

const VideoRow videoRows[] = {
        {"MP4", "Same as source", "H264", "h264_mf", 0, 0, 0, 0, "AAC", "aac_mf", 256, 0, 0},
        {"MP4", "4K Video", "H264", "h264_mf", 12000000, 3840, 2160, 30, "AAC", "aac_mf", 256,
         48000, 2},
        {"MP4", "HD 1080P", "H264", "h264_mf", 9000000, 1920, 1080, 30, "AAC", "aac_mf", 256, 48000,
         2},
        {"MP4", "HD 720P", "H264", "h264_mf", 6000000, 1280, 720, 30, "AAC", "aac_mf", 256, 48000,
         2},
        {"MP4", "640P", "H264", "h264_mf", 5000000, 960, 640, 30, "AAC", "aac_mf", 128, 48000, 2},
        {"MP4", "SD 576P", "H264", "h264_mf", 5000000, 720, 576, 30, "AAC", "aac_mf", 128, 48000, 2},
        {"MP4", "SD 480P", "H264", "h264_mf", 5000000, 720, 480, 30, "AAC", "aac_mf", 128, 48000, 2},
        {"MOV", "Same as source", "H264", "h264_mf", 0, 0, 0, 0, "AAC", "aac_mf", 256, 0, 0},
        {"MOV", "4K Video", "H264", "h264_mf", 12000000, 3840, 2160, 30, "AAC", "aac_mf", 320,
         48000, 2},
        {"MOV", "HD 1080P", "H264", "h264_mf", 9000000, 1920, 1080, 30, "AAC", "aac_mf", 256, 48000,
         2},
        {"MOV", "HD 720P", "H264", "h264_mf", 6000000, 1280, 720, 30, "AAC", "aac_mf", 256, 48000,
         2},
        {"AVI", "Same as source", "H264", "h264_mf", 0, 0, 0, 0, "AC3", "ac3_mf", 256, 0, 0},
        {"AVI", "HD 1080P", "H264", "h264_mf", 9000000, 1920, 1080, 30, CyrillicAc3, "ac3_mf", 256,
         48000, 2},
        {"AVI", "HD 720P", "H264", "h264_mf", 6000000, 1280, 720, 30, CyrillicAc3, "ac3_mf", 256,
         48000, 2},
        {"AVI", "SD 420P", "H264", "h264_mf", 6000000, 1280, 720, 30, CyrillicAc3, "ac3_mf", 128,
         48000, 2},
        {"WEBM", "Same as source", "WEBM", "libvpx", 0, 0, 0, 0, "VORBIS", "vorbis", 256, 0, 0},
        {"WEBM", "HD 1080P", "WEBM", "libvpx", 9000000, 1920, 1080, 30, "VORBIS", "libvorbis", 256,
         48000, 2},
        {"WEBM", "HD 720P", "WEBM", "libvpx", 6000000, 1280, 720, 30, "VORBIS", "libvorbis", 256,
         48000, 2},
        {"WEBM", "SD 420P", "WEBM", "libvpx", 6000000, 1280, 720, 30, "VORBIS", "libvorbis", 256,
         48000, 2},
        {"MKV", "Same as source", "H264", "h264_mf", 0, 0, 0, 0, "AAC", "aac_mf", 256, 0, 0},
        {"MKV", "4K Video", "H264", "h264_mf", 12000000, 3840, 2160, 30, "AAC", "aac_mf", 320,
         48000, 2},
        {"MKV", "HD 1080P", "H264", "h264_mf", 9000000, 1920, 1080, 30, "AAC", "aac_mf", 256, 48000,
         2},
        {"MKV", "HD 720P", "H264", "h264_mf", 6000000, 1280, 720, 30, "AAC", "aac_mf", 256, 48000,
         2},
        {"MKV", "SD 420P", "H264", "h264_mf", 6000000, 1280, 720, 30, "AAC", "aac_mf", 256, 48000,
         2},
        {"MPEG", "Same as source", "MPEG", "mpeg2video", 0, 0, 0, 0, "MP2", "mp2", 256, 0, 2},
        {"MPEG", "HD 1080P", "MPEG", "mpeg2video", 9000000, 1920, 1080, 25, "MP2", "mp2", 256,
         44100, 2},
        {"MPEG", "HD 720P", "MPEG", "mpeg2video", 6000000, 1280, 720, 25, "MP2", "mp2", 256, 44100,
         2},
        {"MPEG", "SD 420P", "MPEG", "mpeg2video", 6000000, 1280, 720, 25, "MP2", "mp2", 128, 44100,
         2},
};

struct AudioRow
{
    const char *subgroup;
    const char *name;
    const char *audioLabel;
    const char *audioEncoder;
    qint32 audioBitrate;
    qint32 samplerate;
    qint32 channels;
};

const AudioRow audioRows[] = {
        {"MP3", "Same as source", "MP3", "mp3_mf", 320, 0, 2},
        {"MP3", "High Quality", "MP3", "mp3_mf", 320, 48000, 2},
        {"MP3", "Medium Quality", "MP3", "mp3_mf", 256, 48000, 2},
        {"MP3", "Low Quality", "MP3", "mp3_mf", 128, 44100, 2},
        {"WAV", "Same as source", "WAV", "pcm_s16le", 0, 0, 2},
        {"WAV", "High Quality", "WAV", "pcm_s16le", 0, 48000, 2},
        {"WAV", "Medium Quality", "WAV", "pcm_s16le", 0, 44100, 2},
        {"WAV", "Low Quality", "WAV", "pcm_s16le", 0, 11025, 2},
        {"WMA", "Same as source", "WMA", "wmav2", 256, 0, 2},
        {"WMA", "High Quality", "WMA", "wmav2", 320, 48000, 2},
        {"WMA", "Medium Quality", "WMA", "wmav2", 256, 48000, 2},
        {"WMA", "Low Quality", "WMA", "wmav2", 128, 44100, 2},
        {"M4A", "Same as source", "AAC", "aac_mf", 320, 0, 0},
        {"M4A", "High Quality", "AAC", "aac_mf", 320, 48000, 2},
        {"M4A", "Medium Quality", "AAC", "aac_mf", 256, 48000, 2},
        {"M4A", "Low Quality", "AAC", "aac_mf", 128, 48000, 2},
};

struct DeviceRow
{
    const char *subgroup;
    const char *name;
    const char *icon;
    qint32 videoBitrate;
    int width;
    int height;
    qint32 audioBitrate;
    qint32 samplerate;
    qint32 channels;
};

const DeviceRow deviceRows[] = {
        {"Apple", "IPhone 10-14 (4K)", ":/svg/presets/apple-iphone.svg", 12000000, 3840, 2160, 320,
         48000, 2},
        {"Apple", "IPhone 10-14", ":/svg/presets/apple-iphone.svg", 9000000, 1920, 1080, 256, 48000,
         2},
        {"Apple", "IPhone 6-8", ":/svg/presets/apple-iphone.svg", 6000000, 1280, 720, 192, 44100, 2},
        {"Apple", "IPad", ":/svg/presets/apple-ipad.svg", 9000000, 1920, 1080, 256, 48000, 2},
        {"Apple", "IPad mini", ":/svg/presets/apple-ipad.svg", 6000000, 1280, 720, 256, 48000, 2},
        {"Samsung", "Galaxy S20-S23", ":/svg/presets/samsung-mobile.svg", 9000000, 1920, 1080, 320,
         48000, 2},
        {"Samsung", "Galaxy S8-S10+", ":/svg/presets/samsung-mobile.svg", 6000000, 1280, 720, 256,
         48000, 2},
        {"Samsung", "Note Series", ":/svg/presets/samsung-mobile.svg", 9000000, 1920, 1080, 256,
         48000, 2},
        {"Samsung", "TV (4K)", ":/svg/presets/tv.svg", 12000000, 3840, 2160, 320, 48000, 2},
        {"Samsung", "TV", ":/svg/presets/tv.svg", 9000000, 1920, 1080, 256, 48000, 2},
        {"Huawei", "P Series", ":/svg/presets/huawei-mobile.svg", 9000000, 1920, 1080, 320, 48000,
         2},
        {"Xiaomi", "Note 8-11", ":/svg/presets/xiaomi-mobile.svg", 9000000, 1920, 1080, 256, 44100,
         2},
        {"LG", "TV", ":/svg/presets/tv.svg", 9000000, 1920, 1080, 256, 48000, 2},
        {"Sony", "Playstation", ":/svg/presets/sony-playstation.svg", 9000000, 1920, 1080, 256,
         48000, 2},
        {"Microsoft", "Xbox", ":/svg/presets/windows-xbox.svg", 9000000, 1920, 1080, 256, 48000, 2},
};

AudioCodecInfo audioInfo(const char *encoder, qint32 bitrate, qint32 samplerate, qint32 channels)
{
    AudioCodecInfo audio;
    audio.name = QString::fromUtf8(encoder);
    audio.bitrate = bitrate;
    audio.samplerate = samplerate;
    audio.channels = channels;
    return audio;
}

// Catalogue rows carry quality 0, unlike a default video record.
VideoCodecInfo videoInfo(const char *encoder, qint32 bitrate, const QSize &resolution,
                         double framerate)
{
    VideoCodecInfo video;
    video.name = QString::fromUtf8(encoder);
    video.bitrate = bitrate;
    video.quality = 0;
    video.resolution = resolution;
    video.framerate = framerate;
    return video;
}

QVector<PresetInfo> buildCatalogue()
{
    QVector<PresetInfo> rows;
    for (const VideoRow &r : videoRows) {
        const QString subgroup = QString::fromUtf8(r.subgroup);
        rows.append(
                {VideoGroup, subgroup, QString::fromUtf8(r.name), VideoIcon, subgroup.toLower(),
                 QString::fromUtf8(r.videoLabel),
                 videoInfo(r.videoEncoder, r.videoBitrate, QSize(r.width, r.height), r.framerate),
                 QString::fromUtf8(r.audioLabel),
                 audioInfo(r.audioEncoder, r.audioBitrate, r.samplerate, r.channels)});
    }
    for (const AudioRow &r : audioRows) {
        const QString subgroup = QString::fromUtf8(r.subgroup);
        rows.append({AudioGroup, subgroup, QString::fromUtf8(r.name), AudioIcon, subgroup.toLower(),
                     QString(), videoInfo("", 0, QSize(), 0), QString::fromUtf8(r.audioLabel),
                     audioInfo(r.audioEncoder, r.audioBitrate, r.samplerate, r.channels)});
    }
    for (const DeviceRow &r : deviceRows) {
        rows.append({DevicesGroup, QString::fromUtf8(r.subgroup), QString::fromUtf8(r.name),
                     QString::fromUtf8(r.icon), QStringLiteral("mp4"), QStringLiteral("H264"),
                     videoInfo("h264_mf", r.videoBitrate, QSize(r.width, r.height), 30),
                     QStringLiteral("AAC"),
                     audioInfo("aac_mf", r.audioBitrate, r.samplerate, r.channels)});
    }
    return rows;
}

} // namespace

class PresetsRepo::Private
{
public:
    // Built once; pointers into it are handed out, so it must never change.
    const QVector<PresetInfo> rows = buildCatalogue();
    QStringList recent;
};

PresetsRepo::PresetsRepo(QObject *parent) : QObject(parent), d(std::make_unique<Private>())
{
    initPresetResources();
    qRegisterMetaType<PresetInfoPointer>("PresetInfoPointer");
    qRegisterMetaType<PresetInfoPointersVector>("PresetInfoPointersVector");
}

PresetsRepo::~PresetsRepo() = default;

QStringList PresetsRepo::groups() const
{
    QStringList result{RecentGroup};
    for (const PresetInfo &row : d->rows) {
        if (!result.contains(row.group))
            result << row.group;
    }
    return result;
}

QList<PresetsRepo::SubgroupPresets> PresetsRepo::presets(const QString &group,
                                                         const QString &filter) const
{
    const bool recentGroup = group == RecentGroup;
    QList<SubgroupPresets> result;
    for (const PresetInfo &row : d->rows) {
        const bool selected = recentGroup ? d->recent.contains(presetKey(&row))
                                          : row.group == group;
        if (!selected || !matchesFilter(&row, filter))
            continue;
        auto it = std::find_if(result.begin(), result.end(), [&row](const SubgroupPresets &pair) {
            return pair.first == row.subgroup;
        });
        if (it == result.end())
            result.append({row.subgroup, {&row}});
        else
            it->second.append(&row);
    }
    return result;
}

bool PresetsRepo::matchesFilter(PresetInfoPointer preset, const QString &filter)
{
    if (filter.isEmpty())
        return true;
    if (!preset)
        return false;
    const QString size = QStringLiteral("%1 %2")
                                 .arg(preset->video.resolution.width())
                                 .arg(preset->video.resolution.height());
    const QString text = QStringList{preset->name, preset->video.name, size}.join(QLatin1Char(' '));
    return text.contains(filter, Qt::CaseInsensitive);
}

QString PresetsRepo::groupIcon(const QString &group)
{
    if (group == RecentGroup)
        return QStringLiteral(":/svg/presets/group-recent.svg");
    if (group == VideoGroup)
        return QStringLiteral(":/svg/presets/group-video.svg");
    if (group == AudioGroup)
        return QStringLiteral(":/svg/presets/group-audio.svg");
    if (group == DevicesGroup)
        return QStringLiteral(":/svg/presets/group-devices.svg");
    if (group == WebGroup)
        return QStringLiteral(":/svg/presets/group-web.svg");
    qCritical() << "Preset group icon not found" << group;
    return QString();
}

QString PresetsRepo::brandIcon(const QString &subgroup)
{
    static const QPair<const char *, const char *> brands[] = {
            {"Android", ":/svg/presets/android.svg"},   {"Apple", ":/svg/presets/apple.svg"},
            {"Huawei", ":/svg/presets/huawei.svg"},     {"LG", ":/svg/presets/lg.svg"},
            {"Samsung", ":/svg/presets/samsung.svg"},   {"Sony", ":/svg/presets/sony.svg"},
            {"Microsoft", ":/svg/presets/windows.svg"}, {"Xiaomi", ":/svg/presets/xiaomi.svg"},
    };
    for (const auto &brand : brands) {
        if (subgroup == QLatin1String(brand.first))
            return QString::fromLatin1(brand.second);
    }
    const QString audioFormats = FormatTables().outputAudioFormats().join(QLatin1Char(' ')).toLower();
    return audioFormats.contains(subgroup.toLower()) ? AudioIcon : VideoIcon;
}

QString PresetsRepo::presetKey(PresetInfoPointer preset)
{
    if (!preset)
        return QString();
    return QStringLiteral("%1-%2-%3").arg(preset->group, preset->subgroup, preset->name);
}

void PresetsRepo::addRecent(PresetInfoPointer preset)
{
    if (!preset)
        return;
    d->recent.prepend(presetKey(preset));
    while (d->recent.size() > MaxRecent)
        d->recent.removeLast();
}

QStringList PresetsRepo::recentPresets() const
{
    return d->recent;
}

void PresetsRepo::setRecent(const QStringList &keys)
{
    d->recent = keys;
}

#include "moc_presetsrepo.cpp"

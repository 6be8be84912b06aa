#include "shared/formattables.h"

#include <QDir>
#include <QImageReader>
#include <QMap>
#include <QStandardPaths>

class FormatTables::Private
{
public:
    void initFormats();

    QStringList imageFormats;
    QStringList outputVideoFormats;
    QStringList outputAudioFormats;
    QStringList inputVideoFormats;
    QStringList inputAudioFormats;
    QStringList subtitleFormats;
    QMap<QString, QString> videoEncoders;
    QMap<QString, QString> audioEncoders;
};

void FormatTables::Private::initFormats()
{
    const QList<QByteArray> readable = QImageReader::supportedImageFormats();
    for (const QByteArray &format : readable)
        imageFormats << QString::fromLatin1(format);

    outputVideoFormats = QStringList{"mp4", "mov", "avi", "webm", "mkv", "mpeg"};
    outputAudioFormats = QStringList{"mp3", "wav", "m4a", "wma"};
    inputVideoFormats = QStringList{"mp4", "mov",  "avi", "webm", "mkv", "mpeg",
                                    "mpg", "m2ts", "wmv", "flv",  "f4v", "m4v",
                                    "ogv", "ts",   "mts", "vob",  "3gp"};
    inputAudioFormats = QStringList{"mp3", "m4a", "aiff", "aif"};
    subtitleFormats = QStringList{"srt"};

    struct EncoderRow
    {
        const char *container;
        const char *video;
        const char *audio;
    };
    // An empty video encoder marks an audio-only container.
    static const EncoderRow rows[] = {
            {"mp4", "h264_mf", "aac_mf"}, {"mov", "h264_mf", "aac_mf"},
            {"avi", "h264_mf", "ac3_mf"}, {"webm", "libvpx", "libvorbis"},
            {"mkv", "h264_mf", "aac_mf"}, {"mpeg", "mpeg2video", "mp2"},
            {"mp3", "", "mp3_mf"},        {"wav", "", "pcm_s16le"},
            {"m4a", "", "aac_mf"},        {"wma", "", "wmav2"},
    };
    for (const EncoderRow &row : rows) {
        videoEncoders.insert(QLatin1String(row.container), QLatin1String(row.video));
        audioEncoders.insert(QLatin1String(row.container), QLatin1String(row.audio));
    }
}

namespace {

QString filterOf(const QStringList &extensions)
{
    QStringList patterns;
    patterns.reserve(extensions.size());
    for (const QString &extension : extensions)
        patterns << QStringLiteral("*.") + extension;
    return patterns.join(QLatin1Char(' '));
}

} // namespace

FormatTables::FormatTables() : d(std::make_unique<Private>())
{
    d->initFormats();
}

FormatTables::~FormatTables() = default;

QString FormatTables::videoEncoderForFormat(const QString &format) const
{
    return d->videoEncoders.value(format.toLower());
}

QString FormatTables::audioEncoderForFormat(const QString &format) const
{
    return d->audioEncoders.value(format.toLower());
}

QStringList FormatTables::outputVideoFormats() const
{
    return d->outputVideoFormats;
}

QStringList FormatTables::outputAudioFormats() const
{
    return d->outputAudioFormats;
}

QStringList FormatTables::outputFormats() const
{
    return d->outputVideoFormats + d->outputAudioFormats;
}

QStringList FormatTables::inputVideoFormats() const
{
    return d->inputVideoFormats;
}

QStringList FormatTables::inputAudioFormats() const
{
    return d->inputAudioFormats;
}

QStringList FormatTables::imageFormats() const
{
    return d->imageFormats;
}

QString FormatTables::inputVideoFilter() const
{
    return filterOf(d->inputVideoFormats);
}

QString FormatTables::inputAudioFilter() const
{
    return filterOf(d->inputAudioFormats);
}

QString FormatTables::imageFilter() const
{
    return filterOf(d->imageFormats);
}

QString FormatTables::subtitlesFilter() const
{
    return filterOf(d->subtitleFormats);
}

QList<QSize> FormatTables::standardResolutions() const
{
    return {{640, 480},   {1200, 800},  {1280, 720},  {1280, 1024}, {1366, 768}, {1600, 900},
            {1920, 1080}, {1920, 1200}, {2560, 1440}, {3440, 1440}, {3840, 2160}};
}

QString FormatTables::historyFilePath()
{
    return QStringLiteral("history.json");
}

QString FormatTables::historyThumbnailPath()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(base);
    const QString folder = QDir::toNativeSeparators(base) + QStringLiteral("/history/");
    QDir().mkpath(folder);
    return folder;
}

QString FormatTables::historyThumbnailSuffix()
{
    return QStringLiteral(".jpg");
}

#include "datamodel/videoitem.h"

#include "core/appservices.h"
#include "core/mediaimport.h"
#include "core/mediatime.h"
#include "datamodel/codecinfo.h"
#include "datamodel/presetinfo.h"
#include "metrics/usagestatistics.h"
#include "shared/formattables.h"

#include <QBuffer>
#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFutureWatcher>
#include <QJsonObject>
#include <QMetaEnum>
#include <QStandardPaths>
#include <QThreadPool>
#include <QtConcurrent>

namespace {

const QString ItemIdKey = QStringLiteral("ItemId");
const QString ItemStateKey = QStringLiteral("ItemState");
const QString SourcePathKey = QStringLiteral("SourcePath");
const QString SourceCodecInfoKey = QStringLiteral("SourceCodecInfo");
const QString SourceDurationKey = QStringLiteral("SourceDuration");
const QString TargetNameKey = QStringLiteral("TargetName");
const QString CalcTargetNameKey = QStringLiteral("CalcTargetName");
const QString TargetCodecInfoKey = QStringLiteral("TargetCodecInfo");
const QString CompressionLevelKey = QStringLiteral("CompressionLevel");
const QString TrimStartKey = QStringLiteral("TrimStart");
const QString TrimEndKey = QStringLiteral("TrimEnd");
const QString UseAudioKey = QStringLiteral("UseAudio");

// A trim closer than this to either end of the source is no trim.
constexpr qint64 TrimTolerance = MediaTime::ticksFromMilliseconds(5);
// Below this progress (per mille) the estimates are too rough to show.
constexpr int MinEstimateProgress = 11;
// A frame with an alpha channel that is opaque throughout, seen without it:
// its PNG then stores three bytes a pixel instead of four.
QImage opaqueView(const QImage &image)
{
    if (image.format() != QImage::Format_ARGB32
        && image.format() != QImage::Format_ARGB32_Premultiplied)
        return image;
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(line[x]) != 255)
                return image;
        }
    }
    // Opaque pixels read the same in both formats.
    QImage opaque = image;
    opaque.reinterpretAsFormat(QImage::Format_RGB32);
    return opaque;
}

// Qt's PNG writer maps quality q to zlib level (100 - q) * 9 / 91: this is
// level 1.
constexpr int ThumbnailPngQuality = 89;
// Below the default priority of pool tasks.
constexpr int ThumbnailEncodingPriority = -1;

int &pendingThumbnailEncodings()
{
    static int pending = 0;
    return pending;
}

VideoItem::Clock &currentClock()
{
    static VideoItem::Clock current;
    return current;
}

qint64 now()
{
    const VideoItem::Clock &c = currentClock();
    return c ? c() : QDateTime::currentMSecsSinceEpoch();
}

QString firstStandardLocation(QStandardPaths::StandardLocation location)
{
    const QStringList locations = QStandardPaths::standardLocations(location);
    return locations.isEmpty() ? QString() : locations.first();
}

QString cleanedFileName(QString name)
{
    static const QString forbidden = QStringLiteral("^\\/<>:\"|?*");
    for (const QChar c : forbidden)
        name.remove(c, Qt::CaseSensitive);
    return name;
}

// A link holds its name even when it points nowhere.
bool nameIsTaken(const QString &path)
{
    const QFileInfo file(path);
    return file.exists() || file.isSymLink();
}

bool isSwf(const QString &format)
{
    return format.compare(QLatin1String("swf"), Qt::CaseInsensitive) == 0;
}

QMap<int, QVariant> overlayMap(const PipObjectPtr &overlay)
{
    QMap<int, QVariant> map;
    if (!overlay)
        return map;
    const PipObject::PropertyMap properties = overlay->properties();
    for (auto it = properties.cbegin(); it != properties.cend(); ++it)
        map.insert(int(it.key()), it.value());
    return map;
}

TranscodingInfo taskFor(VideoItem &item)
{
    const QSharedPointer<CodecInfo> target = item.targetCodecInfo();
    TranscodingInfo task;
    task.uid = item.id();
    task.source = item.sourceFileInfo().absoluteFilePath();
    task.target = item.targetFilePath();
    task.container = target->format();

    if (!target->videoCodecName().isEmpty()) {
        VideoCodecInfo video;
        video.name = target->videoCodecName();
        video.bitrate = target->bitrate();
        video.quality = item.compressionLevel() * 20 + 50;
        video.resolution = target->resolution();
        video.framerate = 0.0;
        task.video.append(video);
    }
    if (item.useAudio()) {
        AudioCodecInfo audio = target->audioStream();
        // The audio of MPEG files (mp2) carries at most two channels.
        if (task.container.contains(QLatin1String("mpeg"), Qt::CaseInsensitive)
            && audio.channels > 2)
            audio.channels = 2;
        task.audio.append(audio);
    }

    const QPair<qint64, qint64> trim = item.trim();
    task.trimStart = trim.first;
    task.trimEnd = trim.second;
    task.watermark = overlayMap(item.watermark());
    task.subtitles = overlayMap(item.subtitles());
    return task;
}

void countUsage(const VideoItem &item)
{
    UsageStatistics *statistics = appServices().usageStatistics;
    if (!statistics)
        return;
    if (item.isTrimmed())
        statistics->add(QStringLiteral("useTrim"));
    if (item.watermark())
        statistics->add(QStringLiteral("useWatermark"));
    if (item.subtitles())
        statistics->add(QStringLiteral("useSubtitles"));
    statistics->add(QStringLiteral("qualitySettings"), QString::number(item.compressionLevel()));
}

} // namespace

class VideoItem::Private
{
public:
    explicit Private(const QFileInfo &source)
        : source(source), sourceCodec(QSharedPointer<CodecInfo>::create()),
          targetName(source.completeBaseName()), targetCodec(QSharedPointer<CodecInfo>::create())
    { }

    // The output of an item past import no longer follows the setting: its
    // path went to the worker, and a new free-name search would now find
    // its own output and answer "name (1)".
    bool followsOutputFolderSetting() const { return state == Importing || state == Imported; }

    qint64 elapsedConversionTime() const
    {
        return startTime != 0 ? elapsed + (now() - startTime) : elapsed;
    }

    QString targetFolder() const
    {
        switch (targetFolderType) {
        case Enums::InputFolder:
            return source.absolutePath();
        case Enums::Subfolder:
            return source.absolutePath() + QLatin1String("/converted");
        case Enums::Documents:
            return firstStandardLocation(QStandardPaths::DocumentsLocation);
        case Enums::CustomFolder:
            if (!targetFolderPath.isEmpty())
                return targetFolderPath;
            break;
        case Enums::Desktop:
            break;
        }
        return firstStandardLocation(QStandardPaths::DesktopLocation);
    }

    // The first name of the free-name rule that neither a file nor isTaken
    // holds.
    QString freeTargetPath(const std::function<bool(const QString &)> &isTaken) const
    {
        const QDir folder(targetFolder());
        // A folder that cannot be made still gives a path; the worker reports
        // the failure to open the file.
        if (!folder.exists())
            folder.mkpath(QStringLiteral("."));

        // The format's name may be stored in upper case ("MP4"); files get
        // the usual lower-case suffix.
        const QString extension = targetCodec->format().toLower();
        const auto taken = [&](const QString &fileName) {
            const QString path = folder.filePath(fileName);
            return nameIsTaken(path) || (isTaken && isTaken(path));
        };
        QString fileName = QStringLiteral("%1.%2").arg(targetName, extension);
        for (int n = 1; taken(fileName); ++n)
            fileName = QStringLiteral("%1 (%2).%3").arg(targetName).arg(n).arg(extension);
        return folder.filePath(fileName);
    }

    AVMediaFileInfo mediaInfo;
    QString failureReason;
    bool taskSent = false;
    int rotation = 0;
    qint64 elapsed = 0;
    qint64 startTime = 0;
    bool useAudio = true;
    bool supportAudio = false;
    QUuid id = QUuid::createUuid();
    State state = Importing;
    QFileInfo source;
    QSharedPointer<CodecInfo> sourceCodec;
    qint64 duration = 0;
    QByteArray thumbnailData;
    // The probed picture's format, restored on decoding.
    QImage::Format thumbnailFormat = QImage::Format_Invalid;
    // Held decoded: a probed picture until its encoding arrives, a stored
    // one as read on the pool (its card is shown then, and it was decoded
    // off the GUI thread).
    QImage decodedThumbnail;
    // Tells an encoding that a later picture replaced its own.
    quint64 thumbnailSerial = 0;
    // Read from this file when asked, then forgotten: a file that does not
    // load is not read again.
    QString thumbnailFile;
    QFutureWatcher<QImage> *thumbnailRead = nullptr;
    QString targetName;
    QString calculatedTargetPath;
    Enums::TargetFolderType targetFolderType = Enums::Desktop;
    QString targetFolderPath;
    QSharedPointer<CodecInfo> targetCodec;
    int compressionLevel = 3;
    qint64 trimStart = -1;
    qint64 trimEnd = -1;
    PipObjectPtr subtitles;
    PipObjectPtr watermark;
    int progress = 0;
    bool paused = false;
    FailReason failReason = NoFailure;
    QString failDetail;
};

VideoItem::VideoItem(const QFileInfo &source) : d(std::make_unique<Private>(source))
{
    registerMetaTypes();
    connect(d->targetCodec.data(), &CodecInfo::formatChanged, this, [this](const QString &format) {
        d->calculatedTargetPath.clear();
        const FormatTables *tables = appServices().formatTables;
        d->targetCodec->setVideoCodecName(tables ? tables->videoEncoderForFormat(format)
                                                 : QString());
        d->targetCodec->setAudioCodecName(tables ? tables->audioEncoderForFormat(format)
                                                 : QString());
    });
}

VideoItem::~VideoItem() = default;

void VideoItem::registerMetaTypes()
{
    static const bool registered = [] {
        qRegisterMetaType<VideoItem::State>("VideoItem::State");
        qRegisterMetaType<VideoItem::StateCountersMap>("VideoItem::StateCountersMap");
        // Also registers the conversion of the shared pointer to QObject*.
        qRegisterMetaType<VideoItemPtr>("VideoItemPtr");
        return true;
    }();
    Q_UNUSED(registered)
}

void VideoItem::setClock(Clock clock)
{
    currentClock() = std::move(clock);
}

QUuid VideoItem::id() const
{
    return d->id;
}

VideoItem::State VideoItem::state() const
{
    return d->state;
}

const QFileInfo &VideoItem::sourceFileInfo() const
{
    return d->source;
}

QSharedPointer<CodecInfo> VideoItem::sourceCodecInfo() const
{
    return d->sourceCodec;
}

QSharedPointer<CodecInfo> VideoItem::targetCodecInfo() const
{
    return d->targetCodec;
}

const AVMediaFileInfo &VideoItem::mediaInfo() const
{
    return d->mediaInfo;
}

qint64 VideoItem::duration() const
{
    return d->duration;
}

QImage VideoItem::thumbnail() const
{
    if (!d->decodedThumbnail.isNull() || d->thumbnailData.isEmpty())
        return d->decodedThumbnail;
    const QImage image = QImage::fromData(d->thumbnailData);
    if (d->thumbnailFormat == QImage::Format_Invalid || image.format() == d->thumbnailFormat)
        return image;
    return image.convertToFormat(d->thumbnailFormat);
}

QByteArray VideoItem::thumbnailData() const
{
    return d->thumbnailData;
}

QString VideoItem::targetName() const
{
    return d->targetName;
}

int VideoItem::compressionLevel() const
{
    return d->compressionLevel;
}

QPair<qint64, qint64> VideoItem::trim() const
{
    return {d->trimStart, d->trimEnd};
}

int VideoItem::rotation() const
{
    return d->rotation;
}

PipObjectPtr VideoItem::subtitles() const
{
    return d->subtitles;
}

PipObjectPtr VideoItem::watermark() const
{
    return d->watermark;
}

int VideoItem::progress() const
{
    return d->progress;
}

bool VideoItem::isPaused() const
{
    return d->paused;
}

bool VideoItem::isTaskSent() const
{
    return d->taskSent;
}

bool VideoItem::useAudio() const
{
    return d->useAudio;
}

bool VideoItem::supportAudio() const
{
    return d->supportAudio;
}

VideoItem::FailReason VideoItem::failReason() const
{
    return d->failReason;
}

QString VideoItem::failDetail() const
{
    return d->failDetail;
}

void VideoItem::setState(State state, FailReason reason, const QString &detail)
{
    const State old = d->state;
    d->state = state;
    if (state == ConvertFailed) {
        d->failReason = reason;
        d->failDetail = detail;
    } else if (state == Scheduled || state == Imported) {
        d->failReason = NoFailure;
        d->failDetail.clear();
    }

    // Also when the item was Imported already: a reset item starts afresh.
    if (state == Imported && d->progress != 0) {
        d->progress = 0;
        emit progressChanged(0);
    }
    if (state == old)
        return;

    if (state == Converting) {
        if (d->startTime == 0)
            d->startTime = now();
    } else if (state == Imported) {
        d->elapsed = 0;
        d->startTime = 0;
    } else if (d->startTime >= 1) {
        d->elapsed += now() - d->startTime;
        d->startTime = 0;
    }
    emit stateChanged(state, old);
}

void VideoItem::setProgress(int progress)
{
    if (d->progress == progress)
        return;
    d->progress = progress;
    emit progressChanged(progress);
}

void VideoItem::setPaused(bool paused)
{
    if (d->paused == paused)
        return;
    d->paused = paused;
    emit pausedChanged(paused);
}

void VideoItem::setTaskSent(bool sent)
{
    d->taskSent = sent;
}

void VideoItem::setThumbnail(const QImage &thumbnail)
{
    d->thumbnailData.clear();
    d->thumbnailFormat = thumbnail.format();
    d->decodedThumbnail = thumbnail;
    const quint64 serial = ++d->thumbnailSerial;
    emit thumbnailChanged(QString());
    if (thumbnail.isNull())
        return;
    // Encoded on the pool: on the GUI thread it would cost as much as the
    // rest of an import there.
    auto *encoding = new QFutureWatcher<QByteArray>(this);
    connect(encoding, &QFutureWatcherBase::finished, this, [this, encoding, serial] {
        encoding->deleteLater();
        if (serial != d->thumbnailSerial)
            return;
        d->thumbnailData = encoding->result();
        d->decodedThumbnail = QImage();
        emit thumbnailChanged(QString());
    });
    // After the imports, whose pool tasks come first: an item leaves
    // Importing with its picture shown, decoded, until the encoding is done.
    QFutureInterface<QByteArray> promise;
    promise.reportStarted();
    encoding->setFuture(promise.future());
    // The decoded pictures are freed on this thread: the memory goes back
    // once the last of a batch is.
    ++pendingThumbnailEncodings();
    connect(encoding, &QObject::destroyed, [] {
        if (--pendingThumbnailEncodings() == 0)
            QThreadPool::globalInstance()->start([] { mediaimport::releaseFreedMemory(); },
                                                 ThumbnailEncodingPriority);
    });
    QThreadPool::globalInstance()->start(
            [promise, thumbnail]() mutable {
                QByteArray data;
                QBuffer buffer(&data);
                buffer.open(QIODevice::WriteOnly);
                // The fastest compression: a few per cent larger, several
                // times quicker.
                opaqueView(thumbnail).save(&buffer, "PNG", ThumbnailPngQuality);
                promise.reportResult(data);
                promise.reportFinished();
            },
            ThumbnailEncodingPriority);
}

void VideoItem::setThumbnailFile(const QString &path)
{
    d->thumbnailFile = path;
}

void VideoItem::loadThumbnail()
{
    if (!d->thumbnailData.isEmpty() || !d->decodedThumbnail.isNull() || d->thumbnailFile.isEmpty()
        || d->thumbnailRead)
        return;
    // A child of the item: an item destroyed meanwhile hears nothing of it.
    d->thumbnailRead = new QFutureWatcher<QImage>(this);
    connect(d->thumbnailRead, &QFutureWatcherBase::finished, this, [this] {
        const QImage image = d->thumbnailRead->result();
        d->thumbnailRead->deleteLater();
        d->thumbnailRead = nullptr;
        d->thumbnailFile.clear();
        if (!image.isNull() && d->thumbnailData.isEmpty() && d->decodedThumbnail.isNull()) {
            d->decodedThumbnail = image;
            emit thumbnailChanged(QString());
        }
    });
    d->thumbnailRead->setFuture(
            QtConcurrent::run([path = d->thumbnailFile] { return QImage(path); }));
}

void VideoItem::setTargetName(const QString &name)
{
    QString result = cleanedFileName(name);
    // A name made only of forbidden characters would leave a bare extension.
    if (result.isEmpty())
        result = d->source.completeBaseName();

    // A cleaned argument is answered with the cleaned name, so that an editor
    // showing the argument corrects itself.
    if (d->targetName == result && result == name)
        return;
    d->targetName = result;
    d->calculatedTargetPath.clear();
    emit targetNameChanged(result);
}

void VideoItem::setTargetFolderType(Enums::TargetFolderType type)
{
    if (!d->followsOutputFolderSetting())
        return;
    d->targetFolderType = type;
    d->calculatedTargetPath.clear();
}

void VideoItem::setTargetFolderPath(const QString &path)
{
    if (!d->followsOutputFolderSetting())
        return;
    d->targetFolderPath = path;
    d->calculatedTargetPath.clear();
}

void VideoItem::setTrim(qint64 start, qint64 end)
{
    if (d->trimStart == start && d->trimEnd == end)
        return;
    d->trimStart = start;
    d->trimEnd = end;
    emit trimChanged(start, end);
}

void VideoItem::setDuration(qint64 duration)
{
    d->duration = duration;
    if (d->trimStart < 0 || d->trimEnd < 0) {
        d->trimStart = 0;
        d->trimEnd = duration;
    }
}

void VideoItem::setCompressionLevel(int level)
{
    d->compressionLevel = level;
    d->targetCodec->videoStream().quality = level * 20 + 50;
    d->targetCodec->setBitrate(int(CodecInfo::bitrateForCompressionLevel(level)));
}

void VideoItem::setSubtitles(const PipObjectPtr &subtitles)
{
    if (d->subtitles == subtitles)
        return;
    d->subtitles = subtitles;
    emit subtitlesChanged(subtitles);
}

void VideoItem::setWatermark(const PipObjectPtr &watermark)
{
    if (d->watermark == watermark)
        return;
    d->watermark = watermark;
    emit watermarkChanged(watermark);
}

void VideoItem::setUseAudio(bool useAudio)
{
    if (d->useAudio == useAudio)
        return;
    d->useAudio = useAudio;
    emit useAudioChanged(useAudio);
}

void VideoItem::setSupportAudio(bool supportAudio)
{
    if (d->supportAudio == supportAudio)
        return;
    d->supportAudio = supportAudio;
    emit supportAudioChanged(supportAudio);
}

QString VideoItem::failureReason() const
{
    return d->failureReason;
}

void VideoItem::setFailureReason(const QString &reason)
{
    d->failureReason = reason;
}

void VideoItem::setRotation(int rotation)
{
    d->rotation = rotation;
}

void VideoItem::setMediaInfo(const AVMediaFileInfo &info)
{
    d->mediaInfo = info;
}

bool VideoItem::applyPreset(const PresetInfo *preset)
{
    if (!preset)
        return false;
    const QSize source = d->sourceCodec->resolution();
    const FormatTables *tables = appServices().formatTables;
    const bool audioPreset = tables
            && tables->outputAudioFormats().contains(preset->extension, Qt::CaseInsensitive);
    // The card offers an audio-only source only audio formats; a video
    // container would write what the card does not show.
    const bool audioOnly = source.isEmpty() && d->sourceCodec->samplerate() >= 1
            && d->sourceCodec->channelCount() >= 1;
    if (audioOnly && !audioPreset)
        return false;

    // The catalogue's sizes are landscape: a portrait source gets them
    // turned instead of a squashed picture.
    const QSize size = preset->video.resolution;
    const bool portraitSource = source.height() > source.width();
    if (!size.isEmpty() && size.width() != size.height()
        && portraitSource != (size.height() > size.width())) {
        PresetInfo turned = *preset;
        turned.video.resolution.transpose();
        d->targetCodec->applyPreset(&turned);
        return true;
    }
    d->targetCodec->applyPreset(preset);
    return true;
}

QString VideoItem::targetFilePath()
{
    if (d->calculatedTargetPath.isEmpty())
        d->calculatedTargetPath = d->freeTargetPath({});
    return d->calculatedTargetPath;
}

QString VideoItem::freeTargetFilePath(const std::function<bool(const QString &)> &isTaken)
{
    const QString &cached = d->calculatedTargetPath;
    if (cached.isEmpty() || nameIsTaken(cached) || (isTaken && isTaken(cached)))
        d->calculatedTargetPath = d->freeTargetPath(isTaken);
    return d->calculatedTargetPath;
}

bool VideoItem::isTrimmed() const
{
    return d->trimStart >= 0 && d->trimEnd >= 1
            && (d->trimStart >= TrimTolerance || d->trimEnd + TrimTolerance < d->duration);
}

qint64 VideoItem::trimmedDuration() const
{
    return isTrimmed() ? d->trimEnd - d->trimStart : d->duration;
}

bool VideoItem::hasVideo() const
{
    return isSourceNotSwf() && !d->sourceCodec->resolution().isEmpty()
            && !d->targetCodec->resolution().isEmpty();
}

bool VideoItem::isSourceNotSwf() const
{
    return !isSwf(d->sourceCodec->format());
}

qint64 VideoItem::remainingTime() const
{
    const qint64 elapsed = d->elapsedConversionTime();
    if (elapsed < 1 || d->progress < MinEstimateProgress)
        return -1;
    return elapsed * 1000 / d->progress - elapsed;
}

qint64 VideoItem::conversionTime() const
{
    return d->elapsedConversionTime();
}

bool VideoItem::writesVideo() const
{
    const FormatTables *tables = appServices().formatTables;
    const QString format = d->targetCodec->format();
    return !format.isEmpty() && !d->targetCodec->videoCodecName().isEmpty()
            && !d->targetCodec->resolution().isEmpty()
            && !(tables && tables->outputAudioFormats().contains(format, Qt::CaseInsensitive));
}

double VideoItem::processingRate() const
{
    const qint64 elapsed = d->elapsedConversionTime();
    if (elapsed < 1 || d->progress < MinEstimateProgress)
        return 0.0;
    const QSize size = d->targetCodec->resolution();
    const qint64 pixels = qint64(size.width()) * size.height();
    return double(pixels) * double(trimmedDuration()) * d->progress
            / (double(elapsed) * 1000000000.0);
}

QJsonValue VideoItem::toJson() const
{
    return QJsonObject{
            {ItemIdKey, d->id.toString()},
            {ItemStateKey, int(d->state)},
            {SourcePathKey, d->source.absoluteFilePath()},
            {SourceCodecInfoKey, d->sourceCodec->toJson()},
            {SourceDurationKey, QString::number(d->duration)},
            {TargetNameKey, d->targetName},
            {CalcTargetNameKey, d->calculatedTargetPath},
            {TargetCodecInfoKey, d->targetCodec->toJson()},
            {CompressionLevelKey, d->compressionLevel},
            {TrimStartKey, QString::number(d->trimStart)},
            {TrimEndKey, QString::number(d->trimEnd)},
            {UseAudioKey, d->useAudio},
    };
}

bool VideoItem::loadFromJson(const QJsonValue &value)
{
    if (!value.isObject()) {
        qCritical() << "Can't parse json, Video item must be an object";
        return false;
    }
    const QJsonObject object = value.toObject();
    for (const QString &key :
         {ItemIdKey, ItemStateKey, SourcePathKey, SourceCodecInfoKey, SourceDurationKey,
          TargetNameKey, CalcTargetNameKey, TargetCodecInfoKey, CompressionLevelKey, TrimStartKey,
          TrimEndKey, UseAudioKey}) {
        if (!object.contains(key)) {
            qCritical() << "Can't parse json, Video object has no required key:" << key;
            return false;
        }
    }

    const int state = object.value(ItemStateKey).toInt(-1);
    if (!QMetaEnum::fromType<State>().valueToKey(state)) {
        qCritical() << "Can't parse json, Video object has an unknown state:"
                    << object.value(ItemStateKey);
        return false;
    }
    d->id = QUuid(object.value(ItemIdKey).toString());
    d->state = State(state);
    d->source = QFileInfo(object.value(SourcePathKey).toString());
    if (!d->sourceCodec->loadFromJson(object.value(SourceCodecInfoKey)))
        return false;
    d->duration = object.value(SourceDurationKey).toString().toLongLong();
    d->targetName = object.value(TargetNameKey).toString();
    d->calculatedTargetPath = object.value(CalcTargetNameKey).toString();
    if (!d->targetCodec->loadFromJson(object.value(TargetCodecInfoKey)))
        return false;
    d->compressionLevel = object.value(CompressionLevelKey).toInt();
    d->trimStart = object.value(TrimStartKey).toString().toLongLong();
    d->trimEnd = object.value(TrimEndKey).toString().toLongLong();
    d->useAudio = object.value(UseAudioKey).toBool();
    return true;
}

QObject *VideoItem::importContext()
{
    return this;
}

MediaImportItem::Probe VideoItem::importProbe()
{
    Probe probe;
    probe.firstProbe = state() == Importing;
    probe.sourcePath = sourceFileInfo().absoluteFilePath();
    probe.path = probe.firstProbe ? probe.sourcePath : targetFilePath();
    probe.thumbnailWanted = probe.firstProbe || trim().first > 0;
    return probe;
}

void VideoItem::applyImport(const Probe &probe, const AVMediaFileInfo &info, bool accepted,
                            const QString &refusal, const QImage &thumbnail)
{
    setMediaInfo(info);
    if (!accepted) {
        if (probe.firstProbe) {
            setFailureReason(refusal);
            setState(ImportFailed);
            info.dumpInfo();
        }
        return;
    }

    const bool audioUsable = info.hasAudio && !info.audioDecoderMissing;

    CodecInfo &source = *sourceCodecInfo();
    if (!info.format.isEmpty())
        source.setFormat(info.format.toUpper());
    else if (!info.formatNames.isEmpty())
        source.setFormat(info.formatNames.first().toUpper());
    source.setResolution(info.resolution);
    source.setBitrate(info.bitrate);
    source.setFrameRate(info.framerate);
    if (audioUsable) {
        source.setSamplerate(info.samplerate);
        source.setChannelCount(info.channels);
    }

    setRotation(info.angle);
    setSupportAudio(audioUsable);
    setUseAudio(supportAudio());
    setDuration(info.duration);

    CodecInfo &target = *targetCodecInfo();
    target.setResolution(info.resolution);
    target.setBitrate(info.bitrate);
    target.setQuality(compressionLevel() * 20 + 50);
    if (audioUsable) {
        target.setChannelCount(source.channelCount());
        target.setSamplerate(source.samplerate());
    }

    if (probe.firstProbe)
        setState(Imported);
    if (!thumbnail.isNull())
        setThumbnail(thumbnail);
}

TranscodingInfo VideoItem::takeTask()
{
    setTaskSent(true);
    const TranscodingInfo task = taskFor(*this);
    countUsage(*this);
    return task;
}

#include "moc_videoitem.cpp"

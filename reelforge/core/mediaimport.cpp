#include "core/mediaimport.h"

#include "core/appservices.h"
#include "core/avptr.h"
#include "core/decoderprivate.h"
#include "core/mediautils.h"
#include "core/platform/sourcefile.h"
#include "core/thumbnailreader.h"
#include "metrics/metricsender.h"
#include "metrics/usagestatistics.h"

#include <QDebug>
#include <QFileInfo>
#include <QFuture>
#include <QList>
#include <QMutex>
#include <QtConcurrent>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <algorithm>
#include <climits>

namespace {

using namespace MediaUtils;

constexpr int ThumbnailEdge = 320;

// Still pictures and animations are not accepted as videos.
static_assert(AV_CODEC_ID_MJPEG == 7 && AV_CODEC_ID_PNG == 61 && AV_CODEC_ID_GIF == 97,
              "codec ids of the acceptance rules");

qint64 streamDuration(const AVStream *stream)
{
    return stream->duration > 0 ? av_rescale_q(stream->duration, stream->time_base, TickTimeBase)
                                : 0;
}

int clampedBitrate(int64_t bitrate)
{
    return int(std::clamp<int64_t>(bitrate, 0, INT_MAX));
}

qint64 videoDuration(AVFormatContext *input, const AVStream *stream, const QString &path)
{
    if (input->duration > 0)
        return MediaTime::ticksFromMicroseconds(input->duration);
    qint64 duration = streamDuration(stream);
    if (duration <= 0)
        duration = durationFromEndSeek(input);
    if (duration <= 0)
        duration = durationFromScan(path);
    return duration;
}

qint64 audioDuration(AVFormatContext *input, const AVStream *stream)
{
    if (input->duration > 0)
        return MediaTime::ticksFromMicroseconds(input->duration);
    const qint64 duration = streamDuration(stream);
    return duration > 0 ? duration : durationFromEndSeek(input);
}

// The input with its stream information read; null when either fails.
FormatInputPtr openProbedInput(const QString &path)
{
    FormatInputPtr input = openInput(path);
    if (!input || avformat_find_stream_info(input.get(), nullptr) < 0)
        return nullptr;
    return input;
}

bool hasDecoder(const AVStream *stream)
{
    return avcodec_find_decoder(stream->codecpar->codec_id) != nullptr;
}

void readVideoFacts(AVMediaFileInfo &info, AVFormatContext *input, const AVStream *stream,
                    const QString &path)
{
    const AVCodecParameters *parameters = stream->codecpar;
    info.hasVideo = true;
    info.frameCount = stream->nb_frames;
    info.videoCodecId = parameters->codec_id;
    info.videoCodecName = QString::fromUtf8(avcodec_get_name(parameters->codec_id));
    const AVDictionaryEntry *tag = nullptr;
    while ((tag = av_dict_get(stream->metadata, "", tag, AV_DICT_IGNORE_SUFFIX)))
        info.videoMetadata.insert(QString::fromUtf8(tag->key), QString::fromUtf8(tag->value));
    const AVRational rate = stream->avg_frame_rate;
    info.framerate = rate.den != 0 ? av_q2d(rate) : 0.0;
    info.bitrate = clampedBitrate(parameters->bit_rate);
    info.angle = decoderprivate::streamRotation(stream);
    info.resolution = QSize(parameters->width, parameters->height);
    if (info.angle % 180 != 0)
        info.resolution.transpose();
    info.duration = videoDuration(input, stream, path);
}

void readAudioFacts(AVMediaFileInfo &info, AVFormatContext *input, const AVStream *stream)
{
    const AVCodecParameters *parameters = stream->codecpar;
    info.hasAudio = true;
    info.audioCodecId = parameters->codec_id;
    info.audioCodecName = QString::fromUtf8(avcodec_get_name(parameters->codec_id));
    info.channels = parameters->ch_layout.nb_channels;
    info.samplerate = parameters->sample_rate;
    if (info.hasVideo)
        return;
    info.bitrate = clampedBitrate(parameters->bit_rate);
    info.duration = audioDuration(input, stream);
}

void readFormatNames(AVMediaFileInfo &info, const AVInputFormat *format, const QString &path)
{
    const char *names = format->extensions && *format->extensions ? format->extensions
                                                                  : format->name;
    info.formatNames = QString::fromUtf8(names).split(QLatin1Char(','), Qt::SkipEmptyParts);

    const QString fileName = QFileInfo(path).fileName();
    const int dot = fileName.lastIndexOf(QLatin1Char('.'));
    info.extension = dot > 0 ? fileName.mid(dot + 1) : QString();

    for (const QString &name : qAsConst(info.formatNames)) {
        if (name.compare(info.extension, Qt::CaseInsensitive) == 0) {
            info.format = name;
            break;
        }
    }
    if (info.format.isEmpty() && !info.formatNames.isEmpty())
        info.format = info.formatNames.first();
}

// A duration that could not be found is zero or an error code; neither is
// a file we can convert.
bool isAcceptable(const AVMediaFileInfo &info)
{
    if (info.duration <= 0)
        return false;
    if (info.videoCodecId == AV_CODEC_ID_NONE)
        return info.audioCodecId != AV_CODEC_ID_NONE;
    if (info.videoCodecId == AV_CODEC_ID_GIF || info.videoCodecId == AV_CODEC_ID_PNG)
        return false;
    if (info.videoCodecId == AV_CODEC_ID_MJPEG && info.frameCount == 0)
        return false;
    return !info.resolution.isEmpty();
}

void sendErrorEvents(const AVMediaFileInfo &info)
{
    if (info.audioDecoderMissing)
        MetricSender::send(QStringLiteral("err4"), QString::number(info.audioCodecId),
                           info.audioCodecName);
    if (info.videoDecoderMissing)
        MetricSender::send(QStringLiteral("err5"), QString::number(info.videoCodecId),
                           info.videoCodecName);
    if (info.extension.compare(info.format, Qt::CaseInsensitive) != 0)
        MetricSender::send(QStringLiteral("err7"), QString::number(info.videoCodecId),
                           info.videoCodecName);
}

void countAccepted(UsageStatistics *usage, const AVMediaFileInfo &info, qint64 fileSize)
{
    if (!usage)
        return;
    if (!info.hasAudio)
        usage->add(QStringLiteral("imp1"));
    usage->updateMax(QStringLiteral("fsmax"), fileSize);
    usage->updateMin(QStringLiteral("fsmin"), fileSize);
    const qint64 seconds = MediaTime::secondsFromTicks(info.duration);
    usage->updateMax(QStringLiteral("fdmax"), seconds);
    usage->updateMin(QStringLiteral("fdmin"), seconds);
    if (!info.videoCodecName.isEmpty())
        usage->add(QStringLiteral("vcodec"), info.videoCodecName);
    if (!info.audioCodecName.isEmpty())
        usage->add(QStringLiteral("acodec"), info.audioCodecName);
    usage->add(QStringLiteral("imp2"));
}

} // namespace

class mediaimport::Private
{
public:
    // What the pool thread needs of an item, read on the item's thread when
    // it is handed in.
    struct Request : MediaImportItem::Probe
    {
        QSharedPointer<MediaImportItem> item;
    };

    struct Result
    {
        AVMediaFileInfo info;
        bool accepted = false;
        QImage thumbnail;
        // Why the file was not opened at all; empty when it was.
        QString refusal;
    };

    void run();
    static Result examine(const Request &request);
    static void apply(const Request &request, const Result &result);

    // Guards the members below; held only to add or take one entry.
    QMutex mutex;
    QList<Request> waiting;
    QList<QFuture<void>> tasks;
    // Requests being examined, and whether any was since the last trim.
    int examining = 0;
    bool trimDue = false;
};

void mediaimport::releaseFreedMemory()
{
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

namespace {

// A file's decoder takes frame buffers of megabytes and frees them when the
// file is done. glibc maps buffers that large afresh each time, and the
// system zeroes every page of a new mapping: a good share of an import's CPU
// time. Served from the heap instead, with up to 8 MiB of free heap top kept
// by each thread, they are reused from file to file; releaseFreedMemory
// gives the rest back when a batch ends.
void keepLargeBuffersInHeap()
{
#ifdef __GLIBC__
    static const bool tuned = [] {
        mallopt(M_MMAP_THRESHOLD, 32 << 20);
        mallopt(M_TRIM_THRESHOLD, 8 << 20);
        return true;
    }();
    Q_UNUSED(tuned)
#endif
}

} // namespace

mediaimport::mediaimport(QObject *parent) : QObject(parent), d(std::make_unique<Private>())
{
    keepLargeBuffersInHeap();
}

mediaimport::~mediaimport()
{
    QList<QFuture<void>> running;
    {
        QMutexLocker locker(&d->mutex);
        d->waiting.clear();
        running.swap(d->tasks);
    }
    for (QFuture<void> &task : running)
        task.waitForFinished();
}

void mediaimport::loadMetaInfo(const QSharedPointer<MediaImportItem> &item)
{
    if (!item)
        return;
    const Private::Request request{item->importProbe(), item};

    QMutexLocker locker(&d->mutex);
    d->waiting.append(request);
    d->tasks.erase(std::remove_if(d->tasks.begin(), d->tasks.end(),
                                  [](const QFuture<void> &task) { return task.isFinished(); }),
                   d->tasks.end());
    Private *p = d.get();
    d->tasks.append(QtConcurrent::run([p] { p->run(); }));
}

void mediaimport::Private::run()
{
    for (;;) {
        Request request;
        {
            QMutexLocker locker(&mutex);
            if (waiting.isEmpty()) {
                const bool trim = trimDue && examining == 0;
                if (trim)
                    trimDue = false;
                locker.unlock();
                if (trim)
                    releaseFreedMemory();
                return;
            }
            request = waiting.takeFirst();
            ++examining;
            trimDue = true;
        }
        const Result result = examine(request);
        {
            QMutexLocker locker(&mutex);
            --examining;
        }
        // The item's setters run on its own thread, where its readers are.
        QObject *context = request.item->importContext();
        QMetaObject::invokeMethod(
                context, [request, result] { apply(request, result); }, Qt::QueuedConnection);
    }
}

mediaimport::Private::Result mediaimport::Private::examine(const Request &request)
{
    Result result;
    const qint64 fileSize = QFileInfo(request.path).size();
    result.refusal = SourceFile::problem(request.path);
    FormatInputPtr input;
    if (result.refusal.isEmpty())
        input = openProbedInput(request.path);
    else
        qWarning().noquote() << "Not opened:" << request.path << "-" << result.refusal;
    if (input)
        result.info = probeInput(input.get(), request.path);
    const AVMediaFileInfo &info = result.info;
    sendErrorEvents(info);

    UsageStatistics *usage = appServices().usageStatistics;
    if (usage)
        usage->updateMax(QStringLiteral("smax"), info.streamCount);

    result.accepted = isAcceptable(info);
    if (!result.accepted) {
        if (usage)
            usage->add(QStringLiteral("imp0"));
        MetricSender::send(QStringLiteral("err3"), QString::number(fileSize), info.videoCodecName);
        if (!request.firstProbe)
            qCritical().noquote() << "Can't read meta from output file" << request.path << "!!!";
        return result;
    }

    countAccepted(usage, info, fileSize);
    if (!request.thumbnailWanted)
        return result;
    const QSize thumbnailSize(ThumbnailEdge, ThumbnailEdge);
    if (request.path != request.sourcePath) {
        result.thumbnail = thumbnail(request.sourcePath, thumbnailSize, Qt::KeepAspectRatio);
        return result;
    }
    // The probed file is the source: its input serves the thumbnail too.
    result.thumbnail = ThumbnailReader::fromInput(input.get(), request.sourcePath, thumbnailSize,
                                                  Qt::KeepAspectRatio);
    return result;
}

void mediaimport::Private::apply(const Request &request, const Result &result)
{
    request.item->applyImport(request, result.info, result.accepted, result.refusal,
                              result.thumbnail);
}

AVMediaFileInfo mediaimport::probe(const QString &path)
{
    FormatInputPtr input = openProbedInput(path);
    return input ? probeInput(input.get(), path) : AVMediaFileInfo();
}

AVMediaFileInfo mediaimport::probeInput(AVFormatContext *input, const QString &path)
{
    AVMediaFileInfo info;
    info.streamCount = int(input->nb_streams);

    // Cover art is no video.
    const int video = bestVideoStream(input);
    if (video >= 0)
        readVideoFacts(info, input, input->streams[video], path);
    // The stream search asks for no decoder, so the flag comes from looking
    // the decoder up for the stream it found.
    info.videoDecoderMissing = info.hasVideo && !hasDecoder(input->streams[video]);

    const int audio = av_find_best_stream(input, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (audio >= 0)
        readAudioFacts(info, input, input->streams[audio]);
    info.audioDecoderMissing = info.hasAudio && !hasDecoder(input->streams[audio]);

    readFormatNames(info, input->iformat, path);
    return info;
}

QImage mediaimport::thumbnail(const QString &path, const QSize &maxSize, Qt::AspectRatioMode mode)
{
    const FormatInputPtr input = openProbedInput(path);
    return ThumbnailReader::fromInput(input.get(), path, maxSize, mode);
}

#include "moc_mediaimport.cpp"

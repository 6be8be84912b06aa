#include "core/coredecoder.h"

#include "core/audiosample.h"
#include "core/decoderaudio.h"
#include "core/decoderprivate.h"
#include "core/mediatime.h"

extern "C" {
#include <libavformat/avformat.h>
}

#include <QDebug>
#include <QMutex>
#include <QRunnable>
#include <QThread>
#include <QThreadPool>
#include <QWaitCondition>

#include <algorithm>
#include <atomic>
#include <deque>
#include <functional>
#include <limits>

namespace {

constexpr qint64 NoRequest = std::numeric_limits<qint64>::min();
constexpr size_t CacheLimit = 60;
constexpr int IdleMs = 100;
constexpr int LargestPreviewEdge = 960;
// Video frames this far before a seek target are still kept: the picture at
// the target may start a little earlier.
constexpr qint64 VideoKeepBefore = MediaTime::ticksFromMilliseconds(200);
// The audio decoder starts this far before the target, so the first sound at
// the target is complete.
constexpr qint64 AudioPreroll = MediaTime::ticksFromMilliseconds(10);
// imageAt() keeps waiting for a cached picture that starts less than this
// after the position.
constexpr qint64 AheadTolerance = MediaTime::ticksFromSeconds(1);

struct CacheEntry
{
    AVFrame *frame = nullptr;
    AVMediaType type = AVMEDIA_TYPE_UNKNOWN;
    qint64 position = 0;
    qint64 duration = 0;
};

class LoopTask : public QRunnable
{
public:
    explicit LoopTask(std::function<void()> loop) : m_loop(std::move(loop))
    {
        setAutoDelete(false);
    }
    void run() override { m_loop(); }

private:
    std::function<void()> m_loop;
};

// Where the video cache starts after a seek to the target.
qint64 keepFrom(qint64 seekTarget)
{
    return seekTarget == NoRequest ? 0 : std::max<qint64>(seekTarget - VideoKeepBefore, 0);
}

// Whether the frame is the one shown at the seek target (or the first after it).
bool showsTarget(const CacheEntry &entry, qint64 seekTarget)
{
    return seekTarget == NoRequest
            || entry.position + std::max<qint64>(entry.duration, 1) > seekTarget;
}

bool isSideways(int rotation)
{
    return rotation == 90 || rotation == -90 || rotation == 270 || rotation == -270;
}

} // namespace

class coredecoder::Private
{
public:
    explicit Private(coredecoder *q) : q(q) { }

    void videoLoop();
    void audioLoop();
    void idle();
    void wake();
    void loopFinished();
    void clearVideoCache();
    void clearAudioCache();

    coredecoder *const q;

    std::atomic<bool> hasAudio{false};
    std::atomic<bool> videoCacheReady{false};
    std::atomic<bool> videoAtEnd{false};
    std::atomic<bool> audioAtEnd{false};
    std::atomic<qint64> videoSeekRequest{NoRequest};
    std::atomic<qint64> audioSeekRequest{NoRequest};
    std::atomic<bool> stopRequest{false};
    std::atomic<bool> videoLoopRunning{false};
    std::atomic<bool> audioLoopRunning{false};
    // Loops handed to the pool that have not finished yet, started or not.
    std::atomic<int> loopsPending{0};

    decoderprivate video;
    decoderaudio audio;
    std::deque<CacheEntry> videoCache;
    std::deque<CacheEntry> audioCache;
    const int largestPreviewEdge = LargestPreviewEdge;

    // Lock order: a decoder's lock before its cache's lock.
    QMutex videoDecoderLock;
    QMutex audioDecoderLock;
    QMutex videoCacheLock;
    QMutex audioCacheLock;

    QMutex idleLock;
    QWaitCondition idleWake;

    LoopTask videoTask{[this] { videoLoop(); }};
    LoopTask audioTask{[this] { audioLoop(); }};
};

coredecoder::coredecoder(QObject *parent) : QObject(parent), d(std::make_unique<Private>(this)) { }

coredecoder::~coredecoder()
{
    // Set in any case: a loop may be running while the other has not started.
    d->stopRequest = true;
    d->wake();
    QThreadPool *pool = QThreadPool::globalInstance();
    for (LoopTask *task : {&d->videoTask, &d->audioTask}) {
        if (pool->tryTake(task))
            d->loopFinished();
    }
    while (d->loopsPending.load() > 0)
        QThread::msleep(10);
    d->clearVideoCache();
    d->clearAudioCache();
}

int coredecoder::open(const QString &path)
{
    int ret = d->video.openInputFile(path);
    if (ret < 0)
        return ret;
    const int videoStream = d->video.bestStream(AVMEDIA_TYPE_VIDEO);
    if (videoStream >= 0 && d->video.selectStream(videoStream) >= 0) {
        QSize size = d->video.sourceSize();
        if (isSideways(d->video.rotation()))
            size.transpose();
        size.scale(d->largestPreviewEdge, d->largestPreviewEdge, Qt::KeepAspectRatio);
        d->video.setTargetSize(size);
    }
    d->hasAudio = d->audio.openInputFile(path) >= 0
            && d->audio.selectStream(d->audio.bestStream()) >= 0;
    return 0;
}

void coredecoder::setAudioFormat(AVSampleFormat format, int channels, int sampleRate)
{
    QMutexLocker locker(&d->audioDecoderLock);
    d->audio.setAudioFormat(format, sampleRate, channels, 1024);
}

qint64 coredecoder::seek(qint64 position)
{
    d->audioSeekRequest.exchange(position);
    const qint64 previous = d->videoSeekRequest.exchange(position);
    d->wake();
    return previous;
}

void coredecoder::run()
{
    if (d->loopsPending > 0)
        return;
    d->stopRequest = false;
    QThreadPool *pool = QThreadPool::globalInstance();
    for (LoopTask *task : {&d->videoTask, &d->audioTask}) {
        ++d->loopsPending;
        pool->start(task);
    }
}

void coredecoder::currentImage(QImage *image)
{
    QMutexLocker decoderLocker(&d->videoDecoderLock);
    QMutexLocker cacheLocker(&d->videoCacheLock);
    if (!d->videoCache.empty())
        *image = d->video.frameAsQImage(d->videoCache.front().frame);
}

void coredecoder::imageAt(qint64 position, QImage *image, qint64 *framePosition)
{
    if (!d->videoCacheReady)
        return;
    QMutexLocker decoderLocker(&d->videoDecoderLock);
    QMutexLocker cacheLocker(&d->videoCacheLock);
    std::deque<CacheEntry> &cache = d->videoCache;
    if (!cache.empty()) {
        const qint64 ahead = cache.front().position - position;
        if (ahead > 0 && ahead < AheadTolerance)
            return;
    }
    while (!cache.empty()) {
        const CacheEntry &entry = cache.front();
        const qint64 end = cache.size() > 1 ? cache[1].position : entry.position + entry.duration;
        if (position >= entry.position && position < end) {
            *framePosition = entry.position;
            *image = d->video.frameAsQImage(entry.frame);
            return;
        }
        d->video.recycleFrame(entry.frame);
        cache.pop_front();
    }
}

int coredecoder::nextAudioSample(AudioSample *sample)
{
    QMutexLocker decoderLocker(&d->audioDecoderLock);
    QMutexLocker cacheLocker(&d->audioCacheLock);
    if (d->audioCache.empty())
        return AVERROR(EAGAIN);
    const CacheEntry entry = d->audioCache.front();
    const int ret = d->audio.frameToSample(entry.frame, sample);
    // A frame that cannot be converted would block all sound behind it.
    d->audio.recycleFrame(entry.frame);
    d->audioCache.pop_front();
    return ret;
}

void coredecoder::discardAudioBefore(qint64 position)
{
    QMutexLocker decoderLocker(&d->audioDecoderLock);
    QMutexLocker cacheLocker(&d->audioCacheLock);
    std::deque<CacheEntry> &cache = d->audioCache;
    while (!cache.empty()
           && cache.front().position + std::max<qint64>(cache.front().duration, 0) <= position) {
        d->audio.recycleFrame(cache.front().frame);
        cache.pop_front();
    }
}

bool coredecoder::hasAudio() const
{
    return d->hasAudio;
}

bool coredecoder::isAtEnd() const
{
    if (!d->videoAtEnd || !d->audioAtEnd)
        return false;
    {
        QMutexLocker locker(&d->videoCacheLock);
        if (!d->videoCache.empty())
            return false;
    }
    QMutexLocker locker(&d->audioCacheLock);
    return d->audioCache.empty();
}

// ---------------------------------------------------------------------------

void coredecoder::Private::idle()
{
    QMutexLocker locker(&idleLock);
    if (!stopRequest)
        idleWake.wait(&idleLock, IdleMs);
}

// Seeks and the stop request cut a loop's idle wait short.
void coredecoder::Private::wake()
{
    QMutexLocker locker(&idleLock);
    idleWake.wakeAll();
}

void coredecoder::Private::loopFinished()
{
    --loopsPending;
}

void coredecoder::Private::clearVideoCache()
{
    QMutexLocker decoderLocker(&videoDecoderLock);
    QMutexLocker cacheLocker(&videoCacheLock);
    for (const CacheEntry &entry : videoCache)
        video.recycleFrame(entry.frame);
    videoCache.clear();
}

void coredecoder::Private::clearAudioCache()
{
    QMutexLocker decoderLocker(&audioDecoderLock);
    QMutexLocker cacheLocker(&audioCacheLock);
    for (const CacheEntry &entry : audioCache)
        audio.recycleFrame(entry.frame);
    audioCache.clear();
}

void coredecoder::Private::videoLoop()
{
    videoCacheReady = false;
    videoLoopRunning = true;
    qint64 lastSeekTarget = NoRequest;
    auto markReady = [this] {
        if (!videoCacheReady.exchange(true))
            emit q->cacheReady();
    };

    while (!stopRequest) {
        const qint64 request = videoSeekRequest.exchange(NoRequest);
        if (request != NoRequest) {
            lastSeekTarget = request;
            videoAtEnd = false;
            qDebug() << "clear video for " << request;
            videoCacheReady = false;
            QMutexLocker decoderLocker(&videoDecoderLock);
            QMutexLocker cacheLocker(&videoCacheLock);
            video.seek(request, AVSEEK_FLAG_BACKWARD);
            // Frames that would be dropped here are not scaled first.
            video.dropVideoBefore(keepFrom(request));
            for (const CacheEntry &entry : videoCache)
                video.recycleFrame(entry.frame);
            videoCache.clear();
        }

        if (videoAtEnd) {
            markReady();
            idle();
            continue;
        }
        size_t cached;
        {
            QMutexLocker cacheLocker(&videoCacheLock);
            cached = videoCache.size();
        }
        if (cached >= CacheLimit) {
            markReady();
            idle();
            continue;
        }

        CacheEntry entry;
        QMutexLocker decoderLocker(&videoDecoderLock);
        const int ret = video.decode(&entry.type, &entry.frame, &entry.position, &entry.duration);
        if (ret == AVERROR_EOF)
            videoAtEnd = true;
        if (ret < 0) {
            decoderLocker.unlock();
            idle();
            continue;
        }
        if (entry.position < keepFrom(lastSeekTarget) || entry.type != AVMEDIA_TYPE_VIDEO) {
            video.recycleFrame(entry.frame);
            continue;
        }
        QMutexLocker cacheLocker(&videoCacheLock);
        videoCache.push_back(entry);
        cacheLocker.unlock();
        decoderLocker.unlock();
        // The picture at the target can be shown now; the cache fills on.
        if (showsTarget(entry, lastSeekTarget))
            markReady();
    }

    clearVideoCache();
    {
        QMutexLocker decoderLocker(&videoDecoderLock);
        video.close();
    }
    videoLoopRunning = false;
    loopFinished();
}

void coredecoder::Private::audioLoop()
{
    audioLoopRunning = true;
    bool justSought = false;
    qint64 target = NoRequest;

    while (!stopRequest) {
        const qint64 request = audioSeekRequest.exchange(NoRequest);
        if (request != NoRequest) {
            qDebug() << "seek audio to:" << request;
            audioAtEnd = false;
            target = request;
            QMutexLocker decoderLocker(&audioDecoderLock);
            QMutexLocker cacheLocker(&audioCacheLock);
            audio.seek(target >= AudioPreroll ? target - AudioPreroll : 0, AVSEEK_FLAG_BACKWARD);
            for (const CacheEntry &entry : audioCache)
                audio.recycleFrame(entry.frame);
            audioCache.clear();
            justSought = true;
        }

        size_t cached;
        {
            QMutexLocker cacheLocker(&audioCacheLock);
            cached = audioCache.size();
        }
        if (audioAtEnd || cached >= CacheLimit) {
            idle();
            continue;
        }

        CacheEntry entry;
        QMutexLocker decoderLocker(&audioDecoderLock);
        const int ret = audio.decode(&entry.type, &entry.frame, &entry.position, &entry.duration);
        if (ret == AVERROR_EOF)
            audioAtEnd = true;
        if (ret < 0) {
            decoderLocker.unlock();
            idle();
            continue;
        }
        qDebug() << "decoded audio" << entry.position;
        if (justSought) {
            if (entry.position + std::max<qint64>(entry.duration, 0) < target) {
                audio.recycleFrame(entry.frame);
                continue;
            }
            justSought = false;
        }
        QMutexLocker cacheLocker(&audioCacheLock);
        if (!audioCache.empty() && entry.position <= audioCache.back().position) {
            audio.recycleFrame(audioCache.back().frame);
            audioCache.pop_back();
        }
        audioCache.push_back(entry);
        qDebug() << "stored audio" << entry.position;
    }

    clearAudioCache();
    {
        QMutexLocker decoderLocker(&audioDecoderLock);
        audio.close();
    }
    audioLoopRunning = false;
    loopFinished();
}

#include "moc_coredecoder.cpp"

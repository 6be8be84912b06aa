#include "core/player/audiorender.h"

#include "core/coredecoder.h"
#include "core/mediatime.h"
#include "core/player/platform/audiooutput.h"

#include <QDebug>
#include <QElapsedTimer>
#include <QMutex>
#include <QReadWriteLock>
#include <QThread>
#include <QWaitCondition>

#include <atomic>
#include <utility>

namespace {

constexpr int WaitMs = 100;
constexpr int StopTimeoutMs = 1000;

class AutoResetEvent
{
public:
    void set()
    {
        QMutexLocker locker(&m_lock);
        m_signalled = true;
        m_wake.wakeOne();
    }

    // True when the event was set; it is reset again.
    bool wait(int timeoutMs)
    {
        QMutexLocker locker(&m_lock);
        if (!m_signalled)
            m_wake.wait(&m_lock, timeoutMs);
        return std::exchange(m_signalled, false);
    }

private:
    QMutex m_lock;
    QWaitCondition m_wake;
    bool m_signalled = false;
};

// What wakes the render thread. Shared with the session listener, which may
// outlive the renderer.
struct RenderSignals
{
    AutoResetEvent event;
    std::atomic<qint64> stopRequest{0};
    std::atomic<qint64> sessionLost{0};
    std::atomic<int> lostReason{0};
};

// Reports a lost session to the render thread, once. It never calls into the
// renderer: the session's notification may come while the renderer holds its
// locks to unregister this very listener.
class sessionlistener final : public AudioSessionListener
{
public:
    explicit sessionlistener(std::shared_ptr<RenderSignals> owner) : m_owner(std::move(owner)) { }

    void detach()
    {
        QMutexLocker locker(&m_lock);
        m_owner.reset();
    }

    void onVolumeMuteChanged(float, bool, const QUuid &) override { }

    void onSessionDisconnected(AudioDisconnectReason reason) override
    {
        QMutexLocker locker(&m_lock);
        if (!m_owner)
            return;
        m_owner->lostReason = int(reason);
        m_owner->sessionLost = 1;
        m_owner->event.set();
        m_owner.reset();
    }

private:
    QMutex m_lock;
    std::shared_ptr<RenderSignals> m_owner;
};

bool readFormat(const AudioMediaType &type, audiorender::OutputFormat *format)
{
    if (!type.channels || !type.bitsPerSample || !type.sampleRate || !type.blockAlignment)
        return false;
    format->channels = *type.channels;
    format->bitsPerSample = *type.bitsPerSample;
    format->sampleRate = *type.sampleRate;
    format->blockAlignment = *type.blockAlignment;
    if (type.channelMask)
        format->channelMask = *type.channelMask;
    else if (format->channels == 1)
        format->channelMask = 4; // front centre
    else if (format->channels == 2)
        format->channelMask = 3; // front left and right
    else
        format->channelMask = 0x80000000;
    format->isFloat = type.isFloat;
    return true;
}

} // namespace

class audiorender::Private
{
public:
    explicit Private(audiorender *q) : q(q) { }

    class WriterLocker;

    bool hasSoundLocked() const;
    bool applySettingsFromSink();
    void releaseLocked();
    void unregisterListener();
    void renderLoop();
    void renderPass();

    audiorender *const q;

    // Lock order: rwLock before writerLock. rwLock guards the clock and the
    // output objects, writerLock the output's write and flush. The render
    // thread writes holding writerLock alone, so a write that waits for room
    // never holds up a reader of the clock.
    mutable QReadWriteLock rwLock;
    QMutex writerLock;
    // Set while another thread wants writerLock: no write starts meanwhile.
    std::atomic<int> writerWanted{0};
    // Mirrors !paused for the render thread, which reads it under writerLock.
    std::atomic<bool> playing{false};

    qint64 clockPosition = 0;
    bool paused = true;
    QElapsedTimer elapsed;
    coredecoder *decoder = nullptr;
    std::atomic<qint64> lastClockTime{0};
    QString deviceId;
    OutputFormat format;

    AudioEndpointPtr device;
    std::unique_ptr<AudioOutput> output;
    bool clockReady = false;
    std::shared_ptr<sessionlistener> listener;

    const std::shared_ptr<RenderSignals> renderSignals = std::make_shared<RenderSignals>();
    std::unique_ptr<QThread> thread;
};

// Takes writerLock without waiting behind a write that sleeps for room: no
// new write starts while it is wanted, and the output lets a waiting one
// return. The output pointer is read under rwLock, which every caller holds.
class audiorender::Private::WriterLocker
{
public:
    explicit WriterLocker(Private *d) : m_d(d)
    {
        ++m_d->writerWanted;
        if (m_d->output)
            m_d->output->wakeWriter();
        m_d->writerLock.lock();
    }
    ~WriterLocker()
    {
        m_d->writerLock.unlock();
        --m_d->writerWanted;
    }

    WriterLocker(const WriterLocker &) = delete;
    WriterLocker &operator=(const WriterLocker &) = delete;

private:
    Private *const m_d;
};

audiorender::audiorender(QObject *parent) : QObject(parent), d(std::make_unique<Private>(this)) { }

audiorender::~audiorender()
{
    d->unregisterListener();
    shutdown();
}

void audiorender::setDecoder(coredecoder *decoder)
{
    QWriteLocker locker(&d->rwLock);
    d->decoder = decoder;
}

bool audiorender::init(const AudioEndpointPtr &device, DeviceInitState *state)
{
    QWriteLocker locker(&d->rwLock);
    Private::WriterLocker writerLocker(d.get());
    d->releaseLocked();

    auto fail = [state](DeviceInitState stage) {
        *state = stage;
        return false;
    };
    d->device = device;
    const QString id = device ? device->id() : QString();
    if (id.isEmpty())
        return fail(Init);
    d->output = device->createOutput();
    if (!d->output)
        return fail(SinkCreateError);
    if (!d->applySettingsFromSink())
        return fail(MediaTypeError);
    if (!d->output->openWriter())
        return fail(RenderCreateError);
    if (!d->output->beginWriting())
        return fail(StartRenderError);
    if (!d->output->pauseClock())
        return fail(PresentaionClockFailed);
    d->clockReady = true;

    d->deviceId = id;
    d->listener = std::make_shared<sessionlistener>(d->renderSignals);
    device->addSessionListener(d->listener);
    *state = Ok;
    return true;
}

audiorender::OutputFormat audiorender::outputFormat() const
{
    QReadLocker locker(&d->rwLock);
    return d->format;
}

void audiorender::startThread()
{
    if (d->thread)
        return;
    d->renderSignals->stopRequest = 0;
    d->thread.reset(QThread::create([this] { d->renderLoop(); }));
    d->thread->setObjectName(QStringLiteral("AudioRender"));
    d->thread->start(QThread::HighPriority);
    d->renderSignals->event.set();
}

void audiorender::start(qint64 position)
{
    {
        QWriteLocker locker(&d->rwLock);
        if (d->hasSoundLocked()) {
            if (position != ResumePosition) {
                Private::WriterLocker writerLocker(d.get());
                d->output->flush();
            }
            d->paused = false;
            d->output->startClock(position);
        } else {
            if (position != ResumePosition) {
                d->clockPosition = position;
                d->elapsed.start();
            } else if (d->paused) {
                d->elapsed.start();
            }
            d->paused = false;
        }
        d->playing = true;
    }
    d->renderSignals->event.set();
}

void audiorender::pause()
{
    QWriteLocker locker(&d->rwLock);
    if (d->paused)
        return;
    d->playing = false;
    {
        // Waits out a write under way: nothing is written once this returns.
        Private::WriterLocker writerLocker(d.get());
    }
    if (d->hasSoundLocked()) {
        d->paused = true;
        d->renderSignals->event.set();
        d->output->pauseClock();
        qint64 time;
        if (d->output->clockTime(&time)) {
            d->lastClockTime = time;
            d->clockPosition = time;
        }
    } else {
        d->clockPosition += MediaTime::ticksFromMilliseconds(d->elapsed.elapsed());
        d->paused = true;
    }
}

void audiorender::play()
{
    start(0);
}

qint64 audiorender::currentTime()
{
    QReadLocker locker(&d->rwLock);
    if (d->hasSoundLocked()) {
        if (d->paused)
            return d->clockPosition;
        qint64 time;
        if (d->output->clockTime(&time)) {
            d->lastClockTime = time;
            return time;
        }
        return d->lastClockTime + d->clockPosition;
    }
    return d->clockPosition
            + (d->paused ? 0 : MediaTime::ticksFromMilliseconds(d->elapsed.elapsed()));
}

void audiorender::setPosition(qint64 position)
{
    QWriteLocker locker(&d->rwLock);
    if (d->hasSoundLocked()) {
        if (d->paused)
            d->clockPosition = position;
        Private::WriterLocker writerLocker(d.get());
        d->output->flush();
    } else {
        d->clockPosition = position;
        d->elapsed.start();
    }
}

bool audiorender::isPlaying()
{
    QReadLocker locker(&d->rwLock);
    return !d->paused;
}

void audiorender::stop()
{
    if (!d->thread)
        return;
    {
        QReadLocker locker(&d->rwLock);
        Private::WriterLocker writerLocker(d.get());
        if (d->output)
            d->output->flush();
    }
    d->renderSignals->stopRequest = 1;
    d->renderSignals->event.set();
    if (!d->thread->wait(StopTimeoutMs)) {
        qWarning() << "TIMEOUT to shutdown audiorender thread";
        // The thread uses this object: it must end before the object goes.
        d->thread->wait();
    }
    d->thread.reset();
}

void audiorender::shutdown()
{
    stop();
    release();
}

void audiorender::release()
{
    QWriteLocker locker(&d->rwLock);
    Private::WriterLocker writerLocker(d.get());
    d->releaseLocked();
}

// ---------------------------------------------------------------------------

bool audiorender::Private::hasSoundLocked() const
{
    return clockReady && output && decoder && decoder->hasAudio();
}

bool audiorender::Private::applySettingsFromSink()
{
    const QVector<AudioMediaType> types = output->mediaTypes();
    int chosen = -1;
    OutputFormat chosenFormat;
    for (int i = 0; i < types.size(); ++i) {
        OutputFormat candidate;
        if (readFormat(types[i], &candidate) && output->isSupported(types[i])) {
            chosen = i;
            chosenFormat = candidate;
        }
    }
    if (chosen < 0 || !output->setCurrentType(types[chosen]))
        return false;
    format = chosenFormat;
    qInfo() << "\tsetup audio parameters: ";
    qInfo() << "\t\tbitrate:" << format.sampleRate;
    qInfo() << "\t\tchannel count:" << format.channels;
    qInfo() << "\t\tbits per sample:" << format.bitsPerSample;
    qInfo() << "\t\tchannel mask:" << format.channelMask;
    qInfo() << "\t\tblock size:" << format.blockAlignment;
    return true;
}

void audiorender::Private::releaseLocked()
{
    unregisterListener();
    if (output)
        output->flush();
    output.reset();
    clockReady = false;
    device.reset();
}

void audiorender::Private::unregisterListener()
{
    if (!listener)
        return;
    if (device)
        device->removeSessionListener(listener);
    listener->detach();
    listener.reset();
}

void audiorender::Private::renderLoop()
{
    for (;;) {
        if (!renderSignals->event.wait(WaitMs))
            continue;
        if (renderSignals->stopRequest.exchange(0))
            break;
        if (renderSignals->sessionLost.exchange(0)) {
            const bool wasRunning = q->isPlaying();
            const qint64 position = q->currentTime();
            q->pause();
            q->release();
            emit q->sessionDisconnected(position, wasRunning, renderSignals->lostReason);
            continue;
        }
        // While paused the thread sleeps until start() sets the event.
        if (!q->isPlaying())
            continue;
        renderPass();
        renderSignals->event.set();
    }
}

void audiorender::Private::renderPass()
{
    coredecoder *engine;
    bool sound;
    {
        QReadLocker locker(&rwLock);
        engine = decoder;
        sound = hasSoundLocked();
    }
    if (!engine) {
        QThread::msleep(WaitMs);
        return;
    }
    if (!sound) {
        // Nobody hears it, but the engine must see its sound consumed in time
        // to know when the clip has ended.
        engine->discardAudioBefore(q->currentTime());
        QThread::msleep(WaitMs);
        return;
    }
    bool written = false;
    {
        QMutexLocker writerLocker(&writerLock);
        // Taken only when it will be written: a sample taken from the engine
        // and then dropped would leave a gap in the sound.
        if (writerWanted > 0 || !playing)
            return;
        AudioSample sample;
        written = engine->nextAudioSample(&sample) >= 0 && output && output->write(sample);
    }
    if (!written)
        QThread::msleep(WaitMs);
}

#include "moc_audiorender.cpp"

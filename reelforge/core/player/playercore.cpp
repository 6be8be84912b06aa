#include "core/player/playercore.h"

#include "core/coredecoder.h"
#include "core/player/audiomanager.h"
#include "core/player/audiorender.h"
#include "core/player/volumemanager.h"

#include <QDebug>
#include <QMetaEnum>
#include <QTimer>

#include <cerrno>
#include <limits>
#include <utility>

extern "C" {
#include <libavutil/error.h>
}

namespace {

constexpr int FrameIntervalMs = 20;
constexpr int MessageDelayMs = 300;
constexpr qint64 NoPosition = std::numeric_limits<qint64>::min();
const QString DefaultDevice = QStringLiteral("default");

playercore::MessageHandler s_messageHandler;

AVSampleFormat sampleFormat(const audiorender::OutputFormat &format)
{
    return format.isFloat ? AV_SAMPLE_FMT_FLT : AV_SAMPLE_FMT_S16;
}

bool sameSound(const audiorender::OutputFormat &a, const audiorender::OutputFormat &b)
{
    return a.isFloat == b.isFloat && a.channels == b.channels && a.sampleRate == b.sampleRate;
}

} // namespace

class playercore::Private
{
public:
    explicit Private(playercore *q) : q(q) { }

    void baseInit();
    void takePicture(const QImage &shared);
    void frameTick();
    void onCacheReady();
    void onSessionLost(qint64 position, bool inplay, int reason);
    void configureEngineSound();
    void followOutputFormat();

    playercore *const q;

    QImage picture;
    bool initialised = false;
    qint64 trimStart = -1;
    qint64 trimEnd = -1;
    bool paused = true;
    bool waitingForCache = false;
    qint64 position = 0;
    bool positionChanged = false;
    QTimer frameTimer;

    coredecoder engine;
    bool engineRunning = false;
    audiorender::OutputFormat engineSound;

    audiomanager *audioManager = nullptr;
    volumemanager *volumeManager = nullptr;
    std::unique_ptr<audiorender> render;
};

void playercore::setMessageHandler(MessageHandler handler)
{
    s_messageHandler = std::move(handler);
}

playercore::playercore(QObject *parent) : QObject(parent), d(std::make_unique<Private>(this))
{
    d->frameTimer.setInterval(FrameIntervalMs);
    connect(&d->frameTimer, &QTimer::timeout, this, [this] { d->frameTick(); });
}

playercore::~playercore()
{
    d->frameTimer.stop();
    if (d->render) {
        d->render->stop();
        d->render->disconnect(this);
        d->render->shutdown();
        d->render.reset();
    }
}

int playercore::init(const QString &path, qint64 trimStart, qint64 trimEnd)
{
    // A second set of device watchers, outputs and loops would run beside
    // the first.
    if (d->initialised) {
        qWarning() << "The player is initialised already; not opening" << path;
        return AVERROR(EALREADY);
    }
    d->initialised = true;
    d->trimStart = trimStart;
    d->trimEnd = trimEnd;
    d->frameTimer.setInterval(FrameIntervalMs);
    d->baseInit();
    d->position = 0;

    const int ret = d->engine.open(path);
    if (ret < 0) {
        emit sourceFileError(path);
        return ret;
    }
    // Connected and configured before the loops start: the first cacheReady
    // and the first sound must not come before.
    connect(
            &d->engine, &coredecoder::cacheReady, this, [this] { d->onCacheReady(); },
            Qt::QueuedConnection);
    d->configureEngineSound();
    d->engine.seek(0);
    d->engine.run();
    d->engineRunning = true;
    d->render->setDecoder(&d->engine);
    d->render->startThread();
    return 0;
}

volumemanager *playercore::volumeManager() const
{
    return d->volumeManager;
}

QPair<qint64, qint64> playercore::trim() const
{
    return {d->trimStart, d->trimEnd};
}

qint64 playercore::position() const
{
    return d->position;
}

QImage playercore::currentImage() const
{
    return d->picture;
}

void playercore::onStartAudioDeviceSession(const QString &deviceId)
{
    AudioEndpointPtr device;
    const bool found = deviceId == DefaultDevice ? d->audioManager->defaultDevice(&device)
                                                 : d->audioManager->deviceById(deviceId, &device);
    if (!found)
        return;
    audiorender::DeviceInitState state = audiorender::Init;
    if (!d->render->init(device, &state)) {
        device.reset();
        qWarning() << "audio render init code:"
                   << QMetaEnum::fromType<audiorender::DeviceInitState>().valueToKey(state);
        QTimer::singleShot(MessageDelayMs, this, [] {
            if (s_messageHandler)
                s_messageHandler(tr("Sound device error. Application will use silent mode."));
        });
        return;
    }
    d->volumeManager->setDevice(device);
    d->followOutputFormat();
}

void playercore::onRestartAudioDeviceSession(const QString &deviceId)
{
    d->render->pause();
    onStartAudioDeviceSession(deviceId);
}

void playercore::onBeginScrubbing() { }

void playercore::onEndScrubbing(qlonglong) { }

void playercore::onPlay()
{
    if (!d->paused)
        return;
    d->paused = false;
    d->frameTimer.start();
    if (std::exchange(d->positionChanged, false))
        d->render->start(d->position);
    else
        d->render->start(audiorender::ResumePosition);
    qInfo() << "play at" << d->position;
}

void playercore::onPause()
{
    if (d->paused)
        return;
    d->paused = true;
    d->frameTimer.stop();
    d->render->pause();
}

void playercore::setCurrentPosition(qlonglong position)
{
    d->position = position;
    if (!d->paused)
        d->waitingForCache = true;
    d->render->pause();
    d->render->setPosition(position);
    d->engine.seek(position);
    d->positionChanged = true;
    emit hasNewFrame();
}

void playercore::onVolumeLevelChanged(double level)
{
    if (d->volumeManager)
        d->volumeManager->setVolume(float(level));
}

// ---------------------------------------------------------------------------

void playercore::Private::baseInit()
{
    audioManager = new audiomanager(q);
    audioManager->startWatching();
    volumeManager = new volumemanager(q);
    connect(volumeManager, &volumemanager::volumeChanged, q, &playercore::volumeChanged);
    connect(volumeManager, &volumemanager::muteChanged, q, &playercore::muteChanged);
    connect(volumeManager, &volumemanager::enabledChanged, q, &playercore::soundDeviceStatusChanged);

    render = std::make_unique<audiorender>();
    render->startThread();
    // A change of the default endpoint or a returning endpoint does not move
    // the sound: the output stays where it was opened until its session ends.
    connect(
            render.get(), &audiorender::sessionDisconnected, q,
            [this](qlonglong position, bool inplay, int reason) {
                onSessionLost(position, inplay, reason);
            },
            Qt::QueuedConnection);

    QHash<QString, QString> devices;
    if (audioManager->activeDevices(&devices) && !devices.isEmpty()) {
        render->pause();
        q->onStartAudioDeviceSession(DefaultDevice);
    }
}

// The engine converts every frame into the same buffer; a picture sharing
// it would change under whoever keeps it.
void playercore::Private::takePicture(const QImage &shared)
{
    if (!shared.isNull())
        picture = shared.copy();
}

void playercore::Private::frameTick()
{
    if (paused)
        return;
    const qint64 now = render->currentTime();
    if (waitingForCache)
        return;
    qint64 framePosition = NoPosition;
    QImage frame;
    engine.imageAt(now, &frame, &framePosition);
    takePicture(frame);
    if (framePosition != NoPosition)
        position = framePosition;
    if (!engine.isAtEnd()) {
        emit q->currentPosChanged(now);
        emit q->hasNewFrame();
        return;
    }
    paused = true;
    frameTimer.stop();
    render->pause();
    emit q->stopped();
}

void playercore::Private::onCacheReady()
{
    waitingForCache = false;
    if (paused) {
        render->setPosition(position);
        // The oldest cached frame may lie before the position; show the one
        // at it when the cache has it.
        qint64 framePosition = NoPosition;
        QImage frame;
        engine.imageAt(position, &frame, &framePosition);
        if (framePosition == NoPosition)
            engine.currentImage(&frame);
        takePicture(frame);
        qDebug() << "Cache ready: refresh player picture at" << position;
        emit q->hasNewFrame();
    } else {
        qDebug() << "Cache ready: resume playing at" << position;
        render->start(position);
    }
}

void playercore::Private::onSessionLost(qint64 lostAt, bool inplay, int reason)
{
    if (reason == int(AudioDisconnectReason::FormatChanged)) {
        qInfo() << "Audio device format changed";
        q->onStartAudioDeviceSession(DefaultDevice);
    } else {
        qInfo() << "Audio session disconnected";
    }
    // The renderer paused itself when the session went; playback goes on from
    // there, with the new output or on the software clock.
    render->setPosition(lostAt);
    if (inplay && !paused && !waitingForCache)
        render->start(lostAt);
}

void playercore::Private::configureEngineSound()
{
    engineSound = render->outputFormat();
    engine.setAudioFormat(sampleFormat(engineSound), int(engineSound.channels),
                          int(engineSound.sampleRate));
}

// An output re-opened in another format needs sound decoded for it, which a
// seek to where playback stands brings.
void playercore::Private::followOutputFormat()
{
    if (!engineRunning || sameSound(render->outputFormat(), engineSound))
        return;
    configureEngineSound();
    q->setCurrentPosition(render->currentTime());
}

#include "moc_playercore.cpp"

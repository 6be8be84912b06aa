#include "metrics/metricsender.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QMutex>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QThread>
#include <QTimer>
#include <QUrl>
#include <QtDebug>

#ifndef REEL_METRICS_URL
#define REEL_METRICS_URL ""
#endif

namespace {

constexpr int MaxAddressLength = 1024;
constexpr int NewEventDelay = 100;
constexpr int NextBatchDelay = 10;
constexpr int FlushRoundMs = 50;

const char DeviceSeed[] = "corvinak3seed";

} // namespace

class MetricSender::Private
{
public:
    Private();
    ~Private();

    void sendNext();
    void onReplyFinished(QNetworkReply *reply);
    bool hasPendingReply();
    // Starts the timer on its own thread, whichever thread asks.
    void startTimer(int msec);

    // Both need the lock held.
    bool acceptsEvents() const { return enabled && !baseAddress.isEmpty(); }
    QString takeRequest();

    static QString eventText(int number, const MetricEvent &event);

    // Lives on the main thread, like the network access and its replies.
    QTimer timer;
    QNetworkAccessManager network;

    // Guards every member below.
    QMutex lock;
    bool enabled = false;
    int tickInterval = 5000;
    QString query;
    QString baseAddress;
    QString currentAddress;
    QList<MetricEvent> queue;
    QNetworkReply *pendingReply = nullptr;
};

namespace {

QBasicMutex instanceLock;
MetricSender::Private *theInstance = nullptr;
bool instanceDestroyed = false;

void destroyInstance()
{
    MetricSender::Private *doomed = nullptr;
    {
        QMutexLocker locker(&instanceLock);
        doomed = theInstance;
        theInstance = nullptr;
        instanceDestroyed = true;
    }
    delete doomed;
}

// Created on first use; deleted when the application object goes away, while
// its timer and network access can still be torn down cleanly.
MetricSender::Private *instance()
{
    QMutexLocker locker(&instanceLock);
    if (!theInstance && !instanceDestroyed) {
        theInstance = new MetricSender::Private;
        qAddPostRoutine(destroyInstance);
    }
    return theInstance;
}

} // namespace

MetricSender::Private::Private()
{
    if (QCoreApplication *app = QCoreApplication::instance()) {
        timer.moveToThread(app->thread());
        network.moveToThread(app->thread());
    }
    QObject::connect(&timer, &QTimer::timeout, &timer, [this] { sendNext(); });
}

MetricSender::Private::~Private()
{
    qDebug() << "Delete MetricSender";
}

QString MetricSender::Private::eventText(int number, const MetricEvent &event)
{
    QString text = QStringLiteral("&m%1=%2:%3")
                           .arg(QString::number(number), event.key,
                                QString::fromLatin1(QUrl::toPercentEncoding(event.value)));
    if (!event.extra.isEmpty())
        text += QLatin1Char(':') + QString::fromLatin1(QUrl::toPercentEncoding(event.extra));
    return text;
}

QString MetricSender::Private::takeRequest()
{
    QString address = baseAddress + query;
    int count = 0;
    while (!queue.isEmpty()) {
        const QString text = eventText(count + 1, queue.first());
        if (address.size() + text.size() < MaxAddressLength) {
            address += text;
            ++count;
            queue.removeFirst();
        } else if (count > 0) {
            break;
        } else {
            // Fits in no request at all; keeping it would block the queue.
            qWarning() << "Metric event too long to send, dropped:" << queue.first().key;
            queue.removeFirst();
        }
    }
    return count > 0 ? address : QString();
}

void MetricSender::Private::sendNext()
{
    QString address;
    int interval = 0;
    {
        QMutexLocker locker(&lock);
        if (pendingReply)
            return;
        if (!acceptsEvents()) {
            currentAddress.clear();
            queue.clear();
        }
        // A failed request is repeated even when nothing else is waiting.
        if (queue.isEmpty() && currentAddress.isEmpty())
            return;
        interval = tickInterval;
        if (currentAddress.isEmpty())
            currentAddress = takeRequest();
        address = currentAddress;
    }
    timer.setInterval(interval);
    if (address.isEmpty())
        return;

    QNetworkReply *reply = network.get(QNetworkRequest(QUrl(address, QUrl::TolerantMode)));
    QObject::connect(reply, &QNetworkReply::finished, &timer,
                     [this, reply] { onReplyFinished(reply); });
    QMutexLocker locker(&lock);
    pendingReply = reply;
}

void MetricSender::Private::onReplyFinished(QNetworkReply *reply)
{
    const bool failed = reply->error() != QNetworkReply::NoError;
    bool stillEnabled = false;
    bool moreWaiting = false;
    int interval = 0;
    {
        QMutexLocker locker(&lock);
        stillEnabled = enabled;
        if (!failed)
            currentAddress.clear();
        moreWaiting = !queue.isEmpty();
        interval = tickInterval;
        if (pendingReply == reply)
            pendingReply = nullptr;
    }
    if (!stillEnabled)
        timer.stop();
    if (failed) {
        // The request stays current and goes out again at the next tick.
        qWarning() << "Send analitics failed:" << reply->errorString();
    } else {
        qDebug() << "Send analitics [OK]";
        if (moreWaiting)
            timer.start(NextBatchDelay);
        else
            timer.setInterval(interval);
    }
    reply->deleteLater();
}

bool MetricSender::Private::hasPendingReply()
{
    QMutexLocker locker(&lock);
    return pendingReply != nullptr;
}

void MetricSender::Private::startTimer(int msec)
{
    QMetaObject::invokeMethod(&timer, [this, msec] { timer.start(msec); });
}

void MetricSender::init(const QString &deviceId, const QString &productId, const QString &version,
                        bool enabled)
{
    init(deviceId, productId, version, enabled, QStringLiteral(REEL_METRICS_URL));
}

void MetricSender::init(const QString &deviceId, const QString &productId, const QString &version,
                        bool enabled, const QString &baseUrl, int tickInterval)
{
    Private *d = instance();
    if (!d)
        return;
    const QByteArray device
            = QCryptographicHash::hash((deviceId + QLatin1String(DeviceSeed)).toUtf8(),
                                       QCryptographicHash::Md5)
                      .toHex();
    {
        QMutexLocker locker(&d->lock);
        d->query = QStringLiteral("/?pid=%1&ver=%2&dev=%3")
                           .arg(productId, version, QString::fromLatin1(device));
        d->baseAddress = baseUrl;
        d->tickInterval = tickInterval;
        d->enabled = enabled;
    }
    if (baseUrl.isEmpty()) {
        qInfo() << "No metrics server configured, usage metrics are not sent";
        return;
    }
    d->startTimer(tickInterval);
}

void MetricSender::send(const QString &key, const QString &value, const QString &extra)
{
    queueEvents({MetricEvent{key, value, extra}});
}

void MetricSender::sendValue(const QString &key, int value)
{
    send(key, QString::number(value));
}

void MetricSender::queueEvents(const QList<MetricEvent> &events)
{
    if (events.isEmpty())
        return;
    Private *d = instance();
    if (!d)
        return;
    {
        QMutexLocker locker(&d->lock);
        if (!d->acceptsEvents())
            return;
        d->queue.append(events);
    }
    d->startTimer(NewEventDelay);
}

void MetricSender::setEnabled(bool enabled)
{
    if (Private *d = instance()) {
        QMutexLocker locker(&d->lock);
        d->enabled = enabled;
    }
}

bool MetricSender::isEnabled()
{
    Private *d = instance();
    if (!d)
        return false;
    QMutexLocker locker(&d->lock);
    return d->enabled;
}

QString MetricSender::settingsKey()
{
    return QStringLiteral("SendData");
}

void MetricSender::flush(int maxRounds)
{
    Private *d = instance();
    if (!d)
        return;
    if (QThread::currentThread() != d->timer.thread()) {
        qWarning() << "MetricSender::flush needs the main thread, nothing flushed";
        return;
    }
    d->sendNext();
    for (int round = 0; round < maxRounds && d->hasPendingReply(); ++round) {
        QCoreApplication::processEvents();
        QThread::msleep(FlushRoundMs);
    }
}

#include "updater/updater.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <QVersionNumber>
#include <QtDebug>

#ifndef REEL_UPDATE_URL
#define REEL_UPDATE_URL ""
#endif

namespace {

const char HashSeed[] = "corvinak3seed";

QString md5Hex(const QString &text)
{
    return QString::fromLatin1(
            QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Md5).toHex());
}

} // namespace

class Updater::Private
{
public:
    explicit Private(Updater *q) : q(q) { }

    QString requestAddress() const;
    void stop();
    void onReplyFinished(QNetworkReply *reply);

    Updater *const q;
    QPointer<QNetworkAccessManager> network;
    QPointer<QNetworkReply> reply;
    QTimer timer;
    QString machineId;
    QString productId;
    QString newFeaturesUrl;
    QString downloadUrl;
    QString checkUrl;
    bool noServerLogged = false;
};

QString Updater::Private::requestAddress() const
{
    const QString seed = QLatin1String(HashSeed);
    const QString mh = md5Hex(machineId + seed);
    const QString h = md5Hex(productId + mh + seed);
    return QStringLiteral("%1?ver=%2&pid=%3&mh=%4&h=%5")
            .arg(checkUrl, QCoreApplication::applicationVersion(), productId, mh, h);
}

void Updater::Private::stop()
{
    if (reply && reply->isRunning()) {
        timer.stop();
        reply->abort();
    }
}

void Updater::Private::onReplyFinished(QNetworkReply *finishedReply)
{
    timer.stop();
    if (finishedReply->error() != QNetworkReply::NoError) {
        qWarning() << "Update checker reply error:" << finishedReply->errorString();
    } else {
        const QString body = QString::fromUtf8(finishedReply->readAll());
        qInfo() << "Server response:" << body;
        if (!body.isEmpty()) {
            const QString current = QCoreApplication::applicationVersion();
            const int result = QVersionNumber::compare(QVersionNumber::fromString(body),
                                                       QVersionNumber::fromString(current));
            qInfo() << "Compare versions. "
                    << "server version:" << body << "current version:" << current
                    << "result:" << result;
            if (result > 0) {
                qInfo() << "Emit newVersionAvalible:" << body;
                emit q->newVersionAvalible(body, newFeaturesUrl, downloadUrl);
            }
        }
    }
    if (reply == finishedReply)
        reply = nullptr;
    finishedReply->deleteLater();
    emit q->finished();
}

Updater::Updater(const QString &machineId, const QString &productId, const QString &newFeaturesUrl,
                 const QString &downloadUrl, QObject *parent)
    : Updater(machineId, productId, newFeaturesUrl, downloadUrl, QStringLiteral(REEL_UPDATE_URL),
              parent)
{ }

Updater::Updater(const QString &machineId, const QString &productId, const QString &newFeaturesUrl,
                 const QString &downloadUrl, const QString &checkUrl, QObject *parent)
    : QObject(parent), d(std::make_unique<Private>(this))
{
    d->machineId = machineId;
    d->productId = productId;
    d->newFeaturesUrl = newFeaturesUrl;
    d->downloadUrl = downloadUrl;
    d->checkUrl = checkUrl;
    d->timer.setSingleShot(true);
    connect(&d->timer, &QTimer::timeout, this, [this] { d->stop(); });
    qInfo() << "Instance created";
}

Updater::~Updater()
{
    // Its replies go first, while the private part they report to still exists.
    delete d->network;
    qInfo() << "Instance destroyed";
}

void Updater::checkForUpdates(int timeout)
{
    if (d->checkUrl.isEmpty()) {
        if (!d->noServerLogged) {
            qInfo() << "No update server configured, update check skipped";
            d->noServerLogged = true;
        }
        // Callers still see every check end.
        QMetaObject::invokeMethod(this, &Updater::finished, Qt::QueuedConnection);
        return;
    }
    if (!d->network)
        d->network = new QNetworkAccessManager(this);
    if (d->reply && d->reply->isRunning()) {
        qInfo() << "Update check is running yet, force stop previous request";
        d->stop();
    }
    const QString address = d->requestAddress();
    qDebug() << "Get actual version number from" << address;

    QNetworkReply *reply = d->network->get(QNetworkRequest(QUrl(address)));
    d->reply = reply;
    connect(reply, &QNetworkReply::finished, this, [this, reply] { d->onReplyFinished(reply); });
    d->timer.start(timeout);
}

#include "moc_updater.cpp"

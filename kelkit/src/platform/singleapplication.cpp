#include "platform/singleapplication.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QDeadlineTimer>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QThread>

#include <unistd.h>

namespace {

// The primary acknowledges a complete message with this byte.
constexpr char Acknowledgement = 1;
// How long a later start waits before it asks again for a primary that
// holds the lock but does not listen yet.
constexpr int ConnectRetryMs = 20;

// One key per user and executable, short enough for a socket path.
QString instanceKey()
{
    const QByteArray identity = QCoreApplication::applicationFilePath().toUtf8() + '\0'
            + QByteArray::number(qulonglong(getuid()));
    const QByteArray hash = QCryptographicHash::hash(identity, QCryptographicHash::Sha1).toHex();
    return QFileInfo(QCoreApplication::applicationFilePath()).baseName().left(24) + QLatin1Char('-')
            + QString::fromLatin1(hash.left(16));
}

QString runtimeFolder()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return folder;
}

} // namespace

class KelSingleApplication::Private
{
public:
    explicit Private(KelSingleApplication *q) : q(q) { }

    bool decide();
    void listen();
    void readMessage(QLocalSocket *socket);

    KelSingleApplication *q;
    QString key = instanceKey();
    QString lockPath = runtimeFolder() + QLatin1Char('/') + key + QStringLiteral(".lock");
    QString serverPath = runtimeFolder() + QLatin1Char('/') + key + QStringLiteral(".sock");
    std::unique_ptr<QLockFile> lock;
    QLocalServer *server = nullptr;
    bool decided = false;
    bool running = false;
};

bool KelSingleApplication::Private::decide()
{
    lock = std::make_unique<QLockFile>(lockPath);
    // Only a lock whose process is gone is stale, however old it is.
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0)) {
        if (lock->error() != QLockFile::LockFailedError)
            qWarning() << "Cannot create the single-instance lock" << lockPath;
        lock.reset();
        return true;
    }
    listen();
    return false;
}

void KelSingleApplication::Private::listen()
{
    // A socket left by a primary that was killed would refuse the name.
    QLocalServer::removeServer(serverPath);
    server = new QLocalServer(q);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(serverPath)) {
        qWarning() << "Cannot listen for later starts on" << serverPath << server->errorString();
        return;
    }
    QObject::connect(server, &QLocalServer::newConnection, q, [this] {
        while (QLocalSocket *socket = server->nextPendingConnection()) {
            QObject::connect(socket, &QLocalSocket::disconnected, socket,
                             &QLocalSocket::deleteLater);
            QObject::connect(socket, &QLocalSocket::readyRead, socket,
                             [this, socket] { readMessage(socket); });
            readMessage(socket);
        }
    });
}

void KelSingleApplication::Private::readMessage(QLocalSocket *socket)
{
    QDataStream stream(socket);
    stream.startTransaction();
    QString message;
    stream >> message;
    if (!stream.commitTransaction())
        return;
    // The sender may give up at any moment; the message counts once read.
    socket->write(&Acknowledgement, 1);
    socket->flush();
    socket->disconnectFromServer();
    emit q->messageReceived(message);
}

KelSingleApplication::KelSingleApplication(int &argc, char **argv)
    : QApplication(argc, argv), d(std::make_unique<Private>(this))
{ }

KelSingleApplication::~KelSingleApplication()
{
    if (d->server)
        d->server->close();
}

bool KelSingleApplication::isRunning() const
{
    if (!d->decided) {
        d->running = d->decide();
        d->decided = true;
    }
    return d->running;
}

bool KelSingleApplication::sendMessage(const QString &message, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    // The primary may hold the lock a moment before it listens.
    for (;;) {
        socket.connectToServer(d->serverPath);
        if (socket.waitForConnected(int(deadline.remainingTime())))
            break;
        if (deadline.hasExpired())
            return false;
        QThread::msleep(qMin<qint64>(ConnectRetryMs, deadline.remainingTime()));
        if (deadline.hasExpired())
            return false;
    }

    QByteArray frame;
    QDataStream stream(&frame, QIODevice::WriteOnly);
    stream << message;
    socket.write(frame);
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(int(deadline.remainingTime())))
            return false;
    }
    while (socket.bytesAvailable() < 1) {
        if (deadline.hasExpired() || !socket.waitForReadyRead(int(deadline.remainingTime())))
            return false;
    }
    char reply = 0;
    return socket.getChar(&reply) && reply == Acknowledgement;
}

#include "moc_singleapplication.cpp"

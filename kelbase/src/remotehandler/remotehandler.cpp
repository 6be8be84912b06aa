#include "remotehandler.h"

#include <QDataStream>
#include <QDebug>
#include <QEventLoop>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QProcess>
#include <QSharedPointer>
#include <QTimer>
#include <QUuid>
#include <QtEndian>

namespace {

// A worker loads FFmpeg before it connects; a busy machine can take long.
const int startWaitMs = 30000;
const int bytesWrittenWaitMs = 30000;
const int connectWaitMs = 30000;
// A worker that sees its link end finishes its pass and cleans up; one that
// does not is asked by SIGTERM, and only then killed.
const int workerFinishWaitMs = 5000;
const int workerTerminateWaitMs = 3000;
const qint32 exitRequestCode = 85;
// No message comes near this size; a larger length means the stream is out
// of step or the peer is broken.
const qint32 maxFrameLength = 64 * 1024 * 1024;

bool writeFrame(QLocalSocket *socket, const QByteArray &payload)
{
    const qint32 length = qToLittleEndian<qint32>(payload.size());
    const bool written = socket->write(reinterpret_cast<const char *>(&length), sizeof length)
                    == sizeof length
            && socket->write(payload) == payload.size();
    socket->flush();
    socket->waitForBytesWritten(bytesWrittenWaitMs);
    return written;
}

} // namespace

class RemoteHandler::Private
{
public:
    // Stops listening to the current socket and lets it go.
    void dropSocket(RemoteHandler *q)
    {
        socket->disconnect(q);
        socket->deleteLater();
        socket = nullptr;
        // A prefix read from the old connection must not frame the next one.
        pendingLength = 0;
    }

    // Lets a running worker end on its own, then asks, then kills it.
    void stopWorker(bool hadLink)
    {
        if (process.state() == QProcess::NotRunning)
            return;
        if (hadLink && process.waitForFinished(workerFinishWaitMs))
            return;
        qInfo("Terminate handler process");
        process.terminate();
        if (process.waitForFinished(workerTerminateWaitMs))
            return;
        qWarning("Kill handler process");
        process.kill();
        process.waitForFinished(workerTerminateWaitMs);
    }

    bool connected = false;
    QString program;
    QString serverName;
    QProcess process;
    QLocalServer *server = nullptr;
    QLocalSocket *socket = nullptr;
    qint32 pendingLength = 0;
    bool startInProgress = false;
    bool exitRequested = false;
    // The running worker has connected at least once since it started.
    bool linkedSinceStart = false;
};

RemoteHandler::RemoteHandler(QObject *parent) : QObject(parent), d(new Private)
{
    // The worker's console output goes where ours goes; unread pipes would
    // only pile it up in memory.
    d->process.setProcessChannelMode(QProcess::ForwardedChannels);
}

RemoteHandler::~RemoteHandler()
{
    // No new worker connects while the last one ends.
    if (d->server)
        d->server->close();
    const bool hadLink = isConnected() || d->exitRequested;
    if (d->socket) {
        QLocalSocket *socket = d->socket;
        d->dropSocket(this);
        // Closed now, not at its deletion, so that the worker sees the link
        // end (its signal to exit) while we wait for it.
        socket->abort();
    }
    d->stopWorker(hadLink);
}

void RemoteHandler::runServerMode(const QString &program)
{
    d->program = program;
    d->serverName = QUuid::createUuid().toString(QUuid::Id128);
    d->process.setProgram(program);
    d->process.setArguments({d->serverName});

    d->server = new QLocalServer(this);
    // Only our own user's processes may connect to the link.
    d->server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(d->server, &QLocalServer::newConnection, this, &RemoteHandler::acceptConnection);
    d->server->listen(d->serverName);
}

bool RemoteHandler::startHandler()
{
    if (d->program.isEmpty() || d->process.state() != QProcess::NotRunning)
        return false;
    qInfo().noquote() << "Start handler" << d->program;
    d->exitRequested = false;
    d->linkedSinceStart = false;
    d->process.start(QIODevice::ReadWrite);
    return true;
}

void RemoteHandler::runClientMode(const QString &serverName)
{
    d->socket = new QLocalSocket(this);
    connect(d->socket, &QLocalSocket::readyRead, this, &RemoteHandler::readFrames);
    d->socket->connectToServer(serverName, QIODevice::ReadWrite);
    connect(d->socket, &QLocalSocket::disconnected, this, [] { qInfo("close connection"); });
    d->socket->waitForConnected(connectWaitMs);
}

bool RemoteHandler::isConnected() const
{
    return d->socket && d->socket->state() == QLocalSocket::ConnectedState;
}

bool RemoteHandler::write(const QByteArray &payload)
{
    if (isConnected())
        return writeFrame(d->socket, payload);
    // A write further up the stack is waiting for the worker.
    if (d->startInProgress)
        return false;

    d->startInProgress = true;
    const auto loop = QSharedPointer<QEventLoop>::create();
    QTimer::singleShot(startWaitMs, [weakLoop = loop.toWeakRef()] {
        if (const QSharedPointer<QEventLoop> waiting = weakLoop.toStrongRef()) {
            qCritical("request quit by timeout");
            waiting->quit();
        }
    });
    connect(this, &RemoteHandler::handlerReady, loop.data(), &QEventLoop::quit);
    connect(&d->process, &QProcess::errorOccurred, loop.data(), &QEventLoop::quit);
    connect(&d->process, qOverload<int, QProcess::ExitStatus>(&QProcess::finished), loop.data(),
            &QEventLoop::quit);
    // A worker still starting is waited for; killing it would only start
    // the wait again. One whose link has ended is replaced.
    const bool starting = d->process.state() != QProcess::NotRunning && !d->linkedSinceStart;
    if (!starting) {
        d->process.close();
        d->exitRequested = false;
        d->linkedSinceStart = false;
        d->process.start(QIODevice::ReadWrite);
    }
    if (d->process.state() != QProcess::NotRunning)
        loop->exec();
    d->startInProgress = false;

    if (!isConnected()) {
        // One that never connected in all that time is stuck; the next
        // write starts another.
        if (!d->linkedSinceStart)
            d->process.close();
        qCritical("Can't start handler process!!!");
        return false;
    }
    return writeFrame(d->socket, payload);
}

void RemoteHandler::sendExitRequest()
{
    if (!isConnected())
        return;
    QByteArray payload;
    {
        QDataStream stream(&payload, QIODevice::ReadWrite);
        stream << exitRequestCode;
    }
    d->exitRequested = writeFrame(d->socket, payload);
}

void RemoteHandler::read(const QByteArray &payload)
{
    emit newMessage(payload);
}

bool RemoteHandler::isHandlerConnected() const
{
    return d->connected;
}

void RemoteHandler::acceptConnection()
{
    // A second worker waits in the server's queue until the current one is
    // gone and another connection is announced.
    if (isConnected())
        return;
    if (d->socket)
        d->dropSocket(this);

    QLocalSocket *socket = d->server->nextPendingConnection();
    if (!socket)
        return;
    d->socket = socket;
    connect(socket, &QLocalSocket::disconnected, this, &RemoteHandler::handleDisconnect,
            Qt::DirectConnection);
    connect(socket, &QLocalSocket::readyRead, this, &RemoteHandler::readFrames);
    d->connected = true;
    d->linkedSinceStart = true;
    emit handlerReady();

    // Frames that arrived while the connection was pending announced
    // themselves before anyone listened.
    if (d->socket == socket && socket->bytesAvailable() > 0)
        QMetaObject::invokeMethod(this, &RemoteHandler::readFrames, Qt::QueuedConnection);
}

void RemoteHandler::handleDisconnect()
{
    if (d->socket && d->socket == sender())
        d->dropSocket(this);
    d->connected = false;
    emit handlerClosed();
}

void RemoteHandler::readFrames()
{
    // read() may run an event loop or drop the connection; stop as soon as
    // this socket is no longer the current one.
    const QPointer<QLocalSocket> socket = d->socket;
    while (socket && d->socket == socket) {
        if (d->pendingLength == 0) {
            if (socket->bytesAvailable() < qint64(sizeof(qint32)))
                return;
            qint32 length = 0;
            socket->read(reinterpret_cast<char *>(&length), sizeof length);
            length = qFromLittleEndian(length);
            if (length < 0 || length > maxFrameLength) {
                qCritical() << "Invalid frame length" << length << "- closing the link";
                socket->abort();
                return;
            }
            d->pendingLength = length;
        }
        if (socket->bytesAvailable() < d->pendingLength)
            return;
        const QByteArray payload = socket->read(d->pendingLength);
        d->pendingLength = 0;
        read(payload);
    }
}

#include "moc_remotehandler.cpp"

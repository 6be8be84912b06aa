// Stand-in worker for the link tests. It connects to the server name given
// as its only argument and answers each frame:
//   "name"      -> its server name
//   "badframe"  -> a frame length of -1 (a broken peer)
//   "partial"   -> a length prefix and part of a payload, then it exits
//   exit request (qint32 85) -> it exits
//   anything else -> the same payload back

#include <remotehandler/remotehandler.h>

#include <QCoreApplication>
#include <QDataStream>
#include <QLocalSocket>
#include <QtEndian>

namespace {

QByteArray exitRequest()
{
    QByteArray payload;
    QDataStream stream(&payload, QIODevice::WriteOnly);
    stream << qint32(85);
    return payload;
}

void writeRaw(QLocalSocket *socket, qint32 length, const QByteArray &bytes)
{
    const qint32 prefix = qToLittleEndian(length);
    socket->write(reinterpret_cast<const char *>(&prefix), sizeof prefix);
    socket->write(bytes);
    socket->flush();
    socket->waitForBytesWritten(5000);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 2)
        return -1;
    const QString serverName = QString::fromLocal8Bit(argv[1]);

    RemoteHandler link;
    link.runClientMode(serverName);
    // Client mode keeps its socket as a child; raw frames go through it.
    auto *socket = link.findChild<QLocalSocket *>();
    if (!socket || !link.isConnected())
        return 1;
    QObject::connect(socket, &QLocalSocket::disconnected, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);

    QObject::connect(&link, &RemoteHandler::newMessage, &app, [&](const QByteArray &payload) {
        if (payload == "name") {
            link.write(serverName.toUtf8());
        } else if (payload == "badframe") {
            writeRaw(socket, -1, QByteArray());
        } else if (payload == "partial") {
            writeRaw(socket, 100, "abc");
            QCoreApplication::quit();
        } else if (payload == exitRequest()) {
            QCoreApplication::quit();
        } else {
            link.write(payload);
        }
    });
    return QCoreApplication::exec();
}

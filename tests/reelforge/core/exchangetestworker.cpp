// Stand-in worker for the link message tests. It connects to the server name
// given as its only argument and answers every message with a state message
// whose state is the received code and whose data is the whole payload; the
// uid is the item's for a task or a resume, else null. Before answering an
// abort it sends a state message cut off inside its uid and one whose data
// claims a list of 2^28 elements. It exits on the exit request or when the
// GUI goes away.

#include "core/linkmessages.h"

#include <remotehandler/remotehandler.h>

#include <QCoreApplication>
#include <QDataStream>
#include <QLocalSocket>

class EchoWorker : public RemoteHandler
{
public:
    using RemoteHandler::RemoteHandler;

protected:
    void read(const QByteArray &payload) override
    {
        QDataStream stream(payload);
        qint32 code = 0;
        stream >> code;
        QUuid uid;
        if (code == LinkMessages::AddItem || code == LinkMessages::ResumeItem)
            stream >> uid;

        if (code == LinkMessages::ExitRequest) {
            QCoreApplication::quit();
            return;
        }
        if (code == LinkMessages::AbortItems) {
            write(LinkMessages::itemState(QUuid::createUuid(), 2, QVariant()).left(4 + 7));
            QByteArray bomb;
            QDataStream out(&bomb, QIODevice::WriteOnly);
            out << qint32(LinkMessages::ItemState) << QUuid::createUuid() << qint32(2)
                << quint32(QMetaType::QVariantList) << qint8(0) << quint32(1u << 28) << qint8(0);
            write(bomb);
        }
        write(LinkMessages::itemState(uid, code, payload));
    }
};

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 2)
        return -1;

    EchoWorker link;
    link.runClientMode(QString::fromLocal8Bit(argv[1]));
    auto *socket = link.findChild<QLocalSocket *>();
    if (!socket || !link.isConnected())
        return 1;
    QObject::connect(socket, &QLocalSocket::disconnected, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    return QCoreApplication::exec();
}

// Stand-in worker for the queue tests. It connects to the server name given
// as its only argument and handles the link's codes:
//   1 task (the record starts with the item id) -> Processing 0
//   6 resume                                   -> Processing, -1 (nothing reported yet)
//   3 abort, 4 pause, 170 crash-reporter data  -> no answer
//   85 exit request                            -> exits
// The test steers it with one code of its own:
//   900 uid, qint32 state, QVariant data       -> that state report (code 2)
// When QUEUE_TEST_WORKER_JOURNAL names a file, every line it handles is
// appended there ("start <pid>", "task <uid>", "resume <uid>", "abort <uid>",
// "pause <uid>", "exit"), so the test can see what the queue sent.

#include <remotehandler/remotehandler.h>

#include <QCoreApplication>
#include <QDataStream>
#include <QFile>
#include <QLocalSocket>
#include <QUuid>
#include <QVariant>

namespace {

enum Code : qint32 {
    Task = 1,
    StateReport = 2,
    Abort = 3,
    Pause = 4,
    ResumeOne = 6,
    ExitRequest = 85,
    SendReport = 900
};
constexpr qint32 Processing = 2;

void journal(const QString &line)
{
    const QString path = qEnvironmentVariable("QUEUE_TEST_WORKER_JOURNAL");
    if (path.isEmpty())
        return;
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text))
        file.write(line.toUtf8() + '\n');
}

QString idText(const QUuid &uid)
{
    return uid.toString();
}

void report(RemoteHandler &link, const QUuid &uid, qint32 state, const QVariant &data)
{
    QByteArray payload;
    QDataStream stream(&payload, QIODevice::ReadWrite);
    stream << qint32(StateReport) << uid << state << data;
    link.write(payload);
}

void journalIds(QDataStream &stream, const QString &what)
{
    QList<QUuid> ids;
    stream >> ids;
    for (const QUuid &uid : qAsConst(ids))
        journal(what + QLatin1Char(' ') + idText(uid));
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 2)
        return -1;

    RemoteHandler link;
    link.runClientMode(QString::fromLocal8Bit(argv[1]));
    auto *socket = link.findChild<QLocalSocket *>();
    if (!socket || !link.isConnected())
        return 1;
    journal(QStringLiteral("start %1").arg(QCoreApplication::applicationPid()));
    QObject::connect(socket, &QLocalSocket::disconnected, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);

    QObject::connect(&link, &RemoteHandler::newMessage, &app, [&](const QByteArray &payload) {
        QDataStream stream(payload);
        qint32 code = 0;
        stream >> code;
        QUuid uid;
        switch (code) {
        case Task:
            stream >> uid;
            journal(QStringLiteral("task ") + idText(uid));
            report(link, uid, Processing, QVariant(0));
            break;
        case ResumeOne:
            stream >> uid;
            journal(QStringLiteral("resume ") + idText(uid));
            report(link, uid, Processing, QVariant(qlonglong(-1)));
            break;
        case Abort:
            journalIds(stream, QStringLiteral("abort"));
            break;
        case Pause:
            journalIds(stream, QStringLiteral("pause"));
            break;
        case ExitRequest:
            journal(QStringLiteral("exit"));
            QCoreApplication::quit();
            break;
        case SendReport: {
            qint32 state = 0;
            QVariant data;
            stream >> uid >> state >> data;
            report(link, uid, state, data);
            break;
        }
        default:
            break;
        }
    });
    return QCoreApplication::exec();
}

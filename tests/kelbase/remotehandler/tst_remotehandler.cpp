#include "waitbound.h"

#include <remotehandler/remotehandler.h>

#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QUuid>
#include <QtEndian>
#include <QtTest>

namespace {

const char workerPath[] = REEL_BIN_DIR "/tests/linktestworker";

QByteArray lengthPrefix(qint32 length)
{
    const qint32 prefix = qToLittleEndian(length);
    return QByteArray(reinterpret_cast<const char *>(&prefix), sizeof prefix);
}

QByteArray frame(const QByteArray &payload)
{
    return lengthPrefix(payload.size()) + payload;
}

QList<QByteArray> payloads(const QSignalSpy &spy)
{
    QList<QByteArray> result;
    for (const QList<QVariant> &arguments : spy)
        result.append(arguments.at(0).toByteArray());
    return result;
}

// A client-mode handler connected to a raw server socket of the test, so
// the test controls every byte the handler reads.
struct ClientLink
{
    ClientLink()
    {
        server.listen(QUuid::createUuid().toString(QUuid::Id128));
        handler.runClientMode(server.serverName());
        if (server.waitForNewConnection(WaitBound::ms()))
            peer = server.nextPendingConnection();
    }

    void send(const QByteArray &bytes)
    {
        peer->write(bytes);
        peer->flush();
        peer->waitForBytesWritten(WaitBound::ms());
    }

    QLocalServer server;
    RemoteHandler handler;
    QLocalSocket *peer = nullptr;
};

} // namespace

class TestRemoteHandler : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void framesAreDeliveredWhole_data();
    void framesAreDeliveredWhole();
    void frameLengthOutOfRangeAbortsLink_data();
    void frameLengthOutOfRangeAbortsLink();

    void writeStartsWorkerAfterReadyTraffic();
    void writeDuringStartIsDropped();
    void writeFailsWhenNoWorkerStarts();
    void writeWaitsForTheWorkerStillStarting();
    void serverNameIsPrivateHex();
    void sendExitRequestNeedsConnectedWorker();
    void lostWorkerIsRestarted_data();
    void lostWorkerIsRestarted();
    void pendingConnectionWaitsForCurrentOne();
};

void TestRemoteHandler::initTestCase()
{
    QVERIFY2(QFileInfo(QString::fromLatin1(workerPath)).isExecutable(), workerPath);
}

void TestRemoteHandler::framesAreDeliveredWhole_data()
{
    QTest::addColumn<QList<QByteArray>>("chunks");
    QTest::addColumn<QList<int>>("countAfterChunk");
    QTest::addColumn<QList<QByteArray>>("expected");

    const QByteArray hello = frame("hello");
    const QByteArray next = frame("next");
    QTest::newRow("two frames in one write") << QList<QByteArray>{frame("one") + frame("two")}
                                             << QList<int>{2} << QList<QByteArray>{"one", "two"};
    QTest::newRow("split inside the length")
            << QList<QByteArray>{hello.left(1), hello.mid(1, 2), hello.mid(3)}
            << QList<int>{0, 0, 1} << QList<QByteArray>{"hello"};
    QTest::newRow("split inside the payload") << QList<QByteArray>{hello.left(6), hello.mid(6)}
                                              << QList<int>{0, 1} << QList<QByteArray>{"hello"};
    QTest::newRow("empty payload between frames")
            << QList<QByteArray>{frame("a") + frame(QByteArray()) + frame("b")} << QList<int>{3}
            << QList<QByteArray>{"a", QByteArray(), "b"};
    QTest::newRow("frame completed with the start of the next")
            << QList<QByteArray>{hello.left(7), hello.mid(7) + next.left(2), next.mid(2)}
            << QList<int>{0, 1, 2} << QList<QByteArray>{"hello", "next"};
}

void TestRemoteHandler::framesAreDeliveredWhole()
{
    QFETCH(QList<QByteArray>, chunks);
    QFETCH(QList<int>, countAfterChunk);
    QFETCH(QList<QByteArray>, expected);

    ClientLink link;
    QVERIFY(link.peer);
    QVERIFY(link.handler.isConnected());
    QSignalSpy messages(&link.handler, &RemoteHandler::newMessage);

    for (int i = 0; i < chunks.size(); ++i) {
        const int before = messages.count();
        link.send(chunks.at(i));
        if (countAfterChunk.at(i) == before)
            messages.wait(50); // the chunk is read, and must not complete a frame
        QTRY_COMPARE(messages.count(), countAfterChunk.at(i));
    }
    QCOMPARE(payloads(messages), expected);
}

void TestRemoteHandler::frameLengthOutOfRangeAbortsLink_data()
{
    QTest::addColumn<qint32>("length");
    QTest::addColumn<bool>("aborts");

    QTest::newRow("negative") << qint32(-1) << true;
    QTest::newRow("most negative") << std::numeric_limits<qint32>::min() << true;
    QTest::newRow("above 64 MiB") << qint32(64 * 1024 * 1024 + 1) << true;
    QTest::newRow("largest") << std::numeric_limits<qint32>::max() << true;
    QTest::newRow("64 MiB waits for its payload") << qint32(64 * 1024 * 1024) << false;
}

void TestRemoteHandler::frameLengthOutOfRangeAbortsLink()
{
    QFETCH(qint32, length);
    QFETCH(bool, aborts);

    ClientLink link;
    QVERIFY(link.peer);
    QSignalSpy messages(&link.handler, &RemoteHandler::newMessage);
    QSignalSpy peerDisconnected(link.peer, &QLocalSocket::disconnected);

    if (aborts) {
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("Invalid frame length"));
        QTest::ignoreMessage(QtInfoMsg, "close connection");
    }
    link.send(lengthPrefix(length) + "payload");
    if (aborts) {
        QVERIFY(peerDisconnected.wait(WaitBound::ms()));
        QVERIFY(!link.handler.isConnected());
    } else {
        QVERIFY(!peerDisconnected.wait(100));
        QVERIFY(link.handler.isConnected());
    }
    QCOMPARE(messages.count(), 0);
}

void TestRemoteHandler::writeStartsWorkerAfterReadyTraffic()
{
    RemoteHandler handler;
    handler.runServerMode(QString::fromLatin1(workerPath));
    QSignalSpy echoes(&handler, &RemoteHandler::newMessage);
    // Connected before write() waits, like the messages layer's own slot.
    connect(&handler, &RemoteHandler::handlerReady, this,
            [&handler] { QVERIFY(handler.write("ready traffic")); });

    QVERIFY(handler.write("payload"));
    QTRY_COMPARE(payloads(echoes), (QList<QByteArray>{"ready traffic", "payload"}));

    // Once connected, frames go straight out.
    QVERIFY(handler.write("second"));
    QTRY_COMPARE(echoes.count(), 3);
    QCOMPARE(echoes.last().at(0).toByteArray(), QByteArray("second"));
}

void TestRemoteHandler::writeDuringStartIsDropped()
{
    RemoteHandler handler;
    handler.runServerMode(QString::fromLatin1(workerPath));
    QSignalSpy echoes(&handler, &RemoteHandler::newMessage);

    bool nestedCalled = false;
    bool nestedResult = true;
    // Runs inside the start wait, before the worker can have connected.
    QTimer::singleShot(0, this, [&] {
        nestedCalled = true;
        nestedResult = handler.write("nested");
    });
    QVERIFY(handler.write("outer"));
    QVERIFY(nestedCalled);
    QVERIFY(!nestedResult);

    QVERIFY(handler.write("after"));
    QTRY_COMPARE(payloads(echoes), (QList<QByteArray>{"outer", "after"}));
}

void TestRemoteHandler::writeFailsWhenNoWorkerStarts()
{
    RemoteHandler handler;
    handler.runServerMode(QDir::temp().filePath(QStringLiteral("no-such-worker")));

    QTest::ignoreMessage(QtCriticalMsg, "Can't start handler process!!!");
    QVERIFY(!handler.write("lost"));
}

// A write while the worker started ahead is still on its way (loading, on a
// busy machine) waits for that worker instead of starting another.
void TestRemoteHandler::writeWaitsForTheWorkerStillStarting()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString starts = dir.filePath(QStringLiteral("starts"));
    const QString go = dir.filePath(QStringLiteral("go"));
    const QString script = dir.filePath(QStringLiteral("slowworker.sh"));
    {
        QFile file(script);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("#!/bin/sh\necho start >> '%1'\n"
                                  "while [ ! -e '%2' ]; do sleep 0.05; done\n"
                                  "exec '%3' \"$@\"\n")
                           .arg(starts, go, QString::fromLatin1(workerPath))
                           .toUtf8());
        QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    }
    const auto startCount = [&starts] {
        QFile file(starts);
        return file.open(QIODevice::ReadOnly) ? file.readAll().count('\n') : 0;
    };

    RemoteHandler handler;
    handler.runServerMode(script);
    QSignalSpy echoes(&handler, &RemoteHandler::newMessage);
    QVERIFY(handler.startHandler());
    QTRY_COMPARE_WITH_TIMEOUT(startCount(), 1, WaitBound::ms());
    // The worker goes on once the write is waiting for it.
    QTimer::singleShot(0, this, [&go] { QFile(go).open(QIODevice::WriteOnly); });
    QVERIFY(handler.write("payload"));
    QTRY_COMPARE(payloads(echoes), QList<QByteArray>{"payload"});
    QCOMPARE(startCount(), 1);
}

void TestRemoteHandler::serverNameIsPrivateHex()
{
    RemoteHandler handler;
    handler.runServerMode(QString::fromLatin1(workerPath));
    QSignalSpy echoes(&handler, &RemoteHandler::newMessage);
    QVERIFY(handler.write("name"));
    QTRY_COMPARE(echoes.count(), 1);

    const QString name = QString::fromUtf8(echoes.at(0).at(0).toByteArray());
    QVERIFY2(QRegularExpression("^[0-9a-f]{32}$").match(name).hasMatch(), qPrintable(name));

    const QFileInfo socketFile(QDir::temp().filePath(name));
    QVERIFY(socketFile.exists());
    const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup
            | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
    QCOMPARE(socketFile.permissions() & others, QFile::Permissions());
}

void TestRemoteHandler::sendExitRequestNeedsConnectedWorker()
{
    RemoteHandler handler;
    handler.runServerMode(QString::fromLatin1(workerPath));
    QSignalSpy ready(&handler, &RemoteHandler::handlerReady);
    QSignalSpy closed(&handler, &RemoteHandler::handlerClosed);

    handler.sendExitRequest();
    // startHandler succeeds only while no worker process runs.
    QVERIFY(handler.startHandler());
    QVERIFY(!handler.startHandler());
    QVERIFY(ready.wait(WaitBound::ms()));

    handler.sendExitRequest();
    QVERIFY(closed.wait(WaitBound::ms()));
    QVERIFY(!handler.isConnected());
}

void TestRemoteHandler::lostWorkerIsRestarted_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<bool>("critical");

    QTest::newRow("worker sends a negative length") << QByteArray("badframe") << true;
    QTest::newRow("worker dies inside a frame") << QByteArray("partial") << false;
}

void TestRemoteHandler::lostWorkerIsRestarted()
{
    QFETCH(QByteArray, command);
    QFETCH(bool, critical);

    RemoteHandler handler;
    handler.runServerMode(QString::fromLatin1(workerPath));
    QSignalSpy closed(&handler, &RemoteHandler::handlerClosed);
    QSignalSpy echoes(&handler, &RemoteHandler::newMessage);

    if (critical)
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("Invalid frame length"));
    QVERIFY(handler.write(command));
    QVERIFY(closed.wait(WaitBound::ms()));
    QVERIFY(!handler.isConnected());

    // The next write starts a fresh worker, whose frames are read from
    // their own start.
    QVERIFY(handler.write("again"));
    QTRY_COMPARE(payloads(echoes), QList<QByteArray>{"again"});
}

void TestRemoteHandler::pendingConnectionWaitsForCurrentOne()
{
    RemoteHandler handler;
    handler.runServerMode(QString::fromLatin1(workerPath));
    QSignalSpy ready(&handler, &RemoteHandler::handlerReady);
    QSignalSpy closed(&handler, &RemoteHandler::handlerClosed);
    QSignalSpy echoes(&handler, &RemoteHandler::newMessage);
    QVERIFY(handler.write("name"));
    QTRY_COMPARE(echoes.count(), 1);
    const QString name = QString::fromUtf8(echoes.at(0).at(0).toByteArray());
    QCOMPARE(ready.count(), 1);

    QLocalSocket first;
    first.connectToServer(name);
    QVERIFY(first.waitForConnected(WaitBound::ms()));
    QVERIFY(!ready.wait(100));

    handler.sendExitRequest();
    QVERIFY(closed.wait(WaitBound::ms()));
    QCOMPARE(ready.count(), 1);

    // The next announcement takes the oldest pending connection.
    QLocalSocket second;
    second.connectToServer(name);
    QVERIFY(second.waitForConnected(WaitBound::ms()));
    QVERIFY(ready.wait(WaitBound::ms()));
    QVERIFY(handler.isConnected());

    QVERIFY(handler.write("to the first"));
    QTRY_COMPARE(first.bytesAvailable(), qint64(frame("to the first").size()));
    QCOMPARE(first.readAll(), frame("to the first"));
    QCOMPARE(second.bytesAvailable(), qint64(0));
}

QTEST_GUILESS_MAIN(TestRemoteHandler)
#include "tst_remotehandler.moc"

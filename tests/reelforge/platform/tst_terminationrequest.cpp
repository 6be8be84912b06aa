#include "platform/terminationrequest.h"

#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <QtTest>

#include <csignal>

class tst_TerminationRequest : public QObject
{
    Q_OBJECT

private slots:
    void requestQuitsTheLoop_data();
    void requestQuitsTheLoop();
    void earlyRequestWaitsForTheLoop();
    void handlersAreGivenBack();
};

namespace {

constexpr int GuardMs = 60000;

// The application's loop, ended with 1 should no request ever end it.
int runLoop()
{
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    guard.start(GuardMs);
    return QCoreApplication::exec();
}

quintptr handlerOf(int signal)
{
    struct sigaction action;
    sigaction(signal, nullptr, &action);
    return reinterpret_cast<quintptr>(action.sa_handler);
}

} // namespace

void tst_TerminationRequest::requestQuitsTheLoop_data()
{
    QTest::addColumn<int>("signal");

    QTest::newRow("SIGTERM") << SIGTERM;
    QTest::newRow("SIGINT") << SIGINT;
}

void tst_TerminationRequest::requestQuitsTheLoop()
{
    QFETCH(int, signal);

    TerminationRequest request;
    QVERIFY(request.isInstalled());
    int loopLevelWhenRequested = -1;
    connect(&request, &TerminationRequest::requested, this,
            [&] { loopLevelWhenRequested = QThread::currentThread()->loopLevel(); });
    QSignalSpy requested(&request, &TerminationRequest::requested);
    request.watch();

    QTimer::singleShot(0, this, [signal] {
        // Twice: one request is acted on once.
        std::raise(signal);
        std::raise(signal);
    });
    QTest::ignoreMessage(QtInfoMsg, QRegularExpression("^Quit on the system's request: "));
    QCOMPARE(runLoop(), 0);
    QCOMPARE(requested.count(), 1);
    // Listeners run while the loop still runs.
    QCOMPARE(loopLevelWhenRequested, 1);
}

void tst_TerminationRequest::earlyRequestWaitsForTheLoop()
{
    TerminationRequest request;
    QSignalSpy requested(&request, &TerminationRequest::requested);
    std::raise(SIGTERM);

    // A nested loop of the start-up is not ended by it.
    QEventLoop startUpLoop;
    QTimer::singleShot(0, &startUpLoop, [&startUpLoop] { startUpLoop.exit(7); });
    QCOMPARE(startUpLoop.exec(), 7);
    QCOMPARE(requested.count(), 0);

    request.watch();
    QTest::ignoreMessage(QtInfoMsg, "Quit on the system's request: Terminated");
    QCOMPARE(runLoop(), 0);
    QCOMPARE(requested.count(), 1);
}

void tst_TerminationRequest::handlersAreGivenBack()
{
    const auto termBefore = handlerOf(SIGTERM);
    const auto intBefore = handlerOf(SIGINT);
    {
        TerminationRequest request;
        QVERIFY(handlerOf(SIGTERM) != termBefore);
        QVERIFY(handlerOf(SIGINT) != intBefore);

        // The process has one pipe for its requests.
        QTest::ignoreMessage(QtWarningMsg, "Termination requests are taken in already");
        TerminationRequest second;
        QVERIFY(!second.isInstalled());
    }
    QCOMPARE(handlerOf(SIGTERM), termBefore);
    QCOMPARE(handlerOf(SIGINT), intBefore);
}

QTEST_GUILESS_MAIN(tst_TerminationRequest)

#include "tst_terminationrequest.moc"

#include <QProcess>
#include <QtTest>

#include "waitbound.h"

#include <signal.h>

namespace {

const QString Probe = QStringLiteral(REEL_BIN_DIR "/tests/singleappprobe");

// One start of the probe program, killed when it goes out of scope.
class Start
{
public:
    explicit Start(const QString &message, int timeoutMs = 5000)
    {
        m_process.setProgram(Probe);
        m_process.setArguments({message, QString::number(timeoutMs)});
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start();
    }
    ~Start()
    {
        if (m_process.state() != QProcess::NotRunning) {
            ::kill(pid_t(m_process.processId()), SIGCONT);
            m_process.kill();
            m_process.waitForFinished(WaitBound::ms());
        }
    }

    QProcess &process() { return m_process; }

    // The next line of its output; empty when it ended first.
    QString nextLine()
    {
        while (!m_process.canReadLine()) {
            if (m_process.state() == QProcess::NotRunning
                || !m_process.waitForReadyRead(WaitBound::ms()))
                return m_process.canReadLine() ? readLine() : QString();
        }
        return readLine();
    }

    // Exit code once it ended by itself; -1 otherwise.
    int exitCode()
    {
        // Waiting for a process that has already ended fails.
        if (m_process.state() != QProcess::NotRunning && !m_process.waitForFinished(WaitBound::ms()))
            return -1;
        if (m_process.exitStatus() != QProcess::NormalExit)
            return -1;
        return m_process.exitCode();
    }

    void signal(int number) { ::kill(pid_t(m_process.processId()), number); }

private:
    QString readLine() { return QString::fromUtf8(m_process.readLine()).trimmed(); }

    QProcess m_process;
};

} // namespace

class tst_SingleApplication : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void laterStartsDeliverMessages();
    void killedPrimaryIsReplaced();
    void stoppedPrimaryTimesOut();
    void simultaneousStartsElectOnePrimary();
};

void tst_SingleApplication::initTestCase()
{
    QVERIFY2(QFileInfo(Probe).isExecutable(), qPrintable(Probe));
}

void tst_SingleApplication::laterStartsDeliverMessages()
{
    Start first(QStringLiteral("unused"));
    QCOMPARE(first.nextLine(), QStringLiteral("primary"));

    Start second(QStringLiteral("hello"));
    QCOMPARE(second.exitCode(), 0);
    QCOMPARE(first.nextLine(), QStringLiteral("message: hello"));

    // The next line is the next start's: the first message came once.
    Start third{QString()};
    QCOMPARE(third.exitCode(), 0);
    QCOMPARE(first.nextLine(), QStringLiteral("message:"));
}

void tst_SingleApplication::killedPrimaryIsReplaced()
{
    {
        Start first{QString()};
        QCOMPARE(first.nextLine(), QStringLiteral("primary"));
        first.process().kill();
        QVERIFY(first.process().waitForFinished(WaitBound::ms()));
    }

    // Its lock and socket are left behind; the next start takes over.
    Start second{QString()};
    QCOMPARE(second.nextLine(), QStringLiteral("primary"));
    Start third(QStringLiteral("after"));
    QCOMPARE(third.exitCode(), 0);
    QCOMPARE(second.nextLine(), QStringLiteral("message: after"));
}

void tst_SingleApplication::stoppedPrimaryTimesOut()
{
    Start first{QString()};
    QCOMPARE(first.nextLine(), QStringLiteral("primary"));
    first.signal(SIGSTOP);

    Start second(QStringLiteral("waiting"), 300);
    QCOMPARE(second.exitCode(), 1);

    // Once it runs again it still is the primary.
    first.signal(SIGCONT);
    Start third(QStringLiteral("again"));
    QCOMPARE(third.exitCode(), 0);
}

void tst_SingleApplication::simultaneousStartsElectOnePrimary()
{
    Start a(QStringLiteral("from a"));
    Start b(QStringLiteral("from b"));

    // A later start prints nothing: it delivers its message and exits.
    const bool aIsPrimary = a.nextLine() == QLatin1String("primary");
    Start &primary = aIsPrimary ? a : b;
    Start &later = aIsPrimary ? b : a;
    if (!aIsPrimary)
        QCOMPARE(b.nextLine(), QStringLiteral("primary"));
    QCOMPARE(later.exitCode(), 0);
    QCOMPARE(primary.nextLine(),
             aIsPrimary ? QStringLiteral("message: from b") : QStringLiteral("message: from a"));
}

QTEST_GUILESS_MAIN(tst_SingleApplication)

#include "tst_singleapplication.moc"

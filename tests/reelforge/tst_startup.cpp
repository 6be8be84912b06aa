#include "startup.h"
#include "waitbound.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <csignal>

namespace {

const QString Program = QStringLiteral(REEL_BIN_DIR "/reelforge");

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A home of its own for the program: logs, settings, data and the
// single-instance lock all live below it.
class PrivateHome
{
public:
    PrivateHome() { QDir(m_dir.path()).mkdir(QStringLiteral("run")); }

    bool isValid() const { return m_dir.isValid(); }

    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), m_dir.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath(QStringLiteral(".config")));
        env.insert(QStringLiteral("XDG_DATA_HOME"), m_dir.filePath(QStringLiteral(".local/share")));
        env.insert(QStringLiteral("XDG_CACHE_HOME"), m_dir.filePath(QStringLiteral(".cache")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.filePath(QStringLiteral("run")));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        return env;
    }

    QString logDir() const { return m_dir.filePath(QStringLiteral(".Corvina Reelmorph/log")); }
    QString crashAttributeFile() const { return logDir() + QStringLiteral("/.cf"); }
    QString settingsFile() const
    {
        return m_dir.filePath(QStringLiteral(".config/Corvina/Corvina Reelmorph/reelforge.ini"));
    }

    // The program's log files, oldest first.
    QStringList logFiles() const
    {
        QStringList files;
        const QFileInfoList entries = QDir(logDir()).entryInfoList({QStringLiteral(
                                                                           "reelforge_*.txt")},
                                                                   QDir::Files, QDir::Name);
        for (const QFileInfo &entry : entries)
            files << entry.absoluteFilePath();
        return files;
    }

private:
    QTemporaryDir m_dir;
};

// One start of the program, killed if it still runs when it goes.
class Start
{
public:
    explicit Start(const PrivateHome &home)
    {
        m_process.setProgram(Program);
        m_process.setProcessEnvironment(home.environment());
        m_process.setProcessChannelMode(QProcess::ForwardedChannels);
        m_process.start();
    }
    ~Start()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(WaitBound::ms());
        }
    }

    QProcess &process() { return m_process; }
    pid_t pid() const { return pid_t(m_process.processId()); }

    // Exit code of a normal end; -1 for a crash or no end in time.
    int exitCode()
    {
        if (m_process.state() != QProcess::NotRunning && !m_process.waitForFinished(WaitBound::ms()))
            return -1;
        return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
    }

    // The worker it started, or 0.
    pid_t worker() const
    {
        const QStringList tasks = QDir(QStringLiteral("/proc/%1/task").arg(pid()))
                                          .entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        for (const QString &tid : tasks) {
            const QByteArray children = contentOf(
                    QStringLiteral("/proc/%1/task/%2/children").arg(pid()).arg(tid));
            for (const QByteArray &child : children.simplified().split(' ')) {
                if (!child.isEmpty()
                    && contentOf(QStringLiteral("/proc/%1/comm").arg(QString::fromLatin1(child)))
                                    .trimmed()
                            == "reelworker")
                    return pid_t(child.toInt());
            }
        }
        return 0;
    }

private:
    QProcess m_process;
};

bool processExists(pid_t pid)
{
    return ::kill(pid, 0) == 0 || errno != ESRCH;
}

} // namespace

class tst_Startup : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void crashReporterDialogFlag_data();
    void crashReporterDialogFlag();
    void metricsConsent_data();
    void metricsConsent();
    void runSecondStartAndTermination();
};

void tst_Startup::initTestCase()
{
    QVERIFY2(QFileInfo(Program).isExecutable(), qPrintable(Program));
}

void tst_Startup::crashReporterDialogFlag_data()
{
    QTest::addColumn<QDate>("today");
    QTest::addColumn<bool>("withoutDialog");

    QTest::newRow("1 July 2023") << QDate(2023, 7, 1) << true;
    QTest::newRow("2 July 2023") << QDate(2023, 7, 2) << false;
    QTest::newRow("today") << QDate::currentDate() << false;
}

void tst_Startup::crashReporterDialogFlag()
{
    QFETCH(QDate, today);
    QFETCH(bool, withoutDialog);

    QCOMPARE(Startup::crashReporterWithoutDialog(today), withoutDialog);
}

void tst_Startup::metricsConsent_data()
{
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<bool>("consent");

    QTest::newRow("1") << QVariant(1) << true;
    QTest::newRow("\"1\"") << QVariant(QStringLiteral("1")) << true;
    QTest::newRow("2") << QVariant(2) << false;
    QTest::newRow("\"yes\"") << QVariant(QStringLiteral("yes")) << false;
    QTest::newRow("0") << QVariant(0) << false;
    QTest::newRow("missing") << QVariant() << false;
}

void tst_Startup::metricsConsent()
{
    QFETCH(QVariant, stored);
    QFETCH(bool, consent);

    QTemporaryDir dir;
    QSettings store(dir.filePath(QStringLiteral("store.ini")), QSettings::IniFormat);
    if (stored.isValid())
        store.setValue(QStringLiteral("SendData"), stored);
    else
        QTest::ignoreMessage(QtWarningMsg, "send metrics not registry");

    QCOMPARE(Startup::metricsConsent(store), consent);
}

void tst_Startup::runSecondStartAndTermination()
{
    PrivateHome home;
    QVERIFY(home.isValid());

    Start first(home);
    QVERIFY(first.process().waitForStarted(WaitBound::ms()));
    QTRY_VERIFY(home.logFiles().size() == 1
                && contentOf(home.logFiles().constFirst()).contains("Run app exec ..."));
    const QString firstLog = home.logFiles().constFirst();
    QCOMPARE(contentOf(home.crashAttributeFile()), QByteArray(1, '\1'));
    // Between fork and exec the worker still bears the parent's name.
    pid_t worker = 0;
    QTRY_VERIFY((worker = first.worker()) > 0);

    // A second start hands over to the running one before it touches
    // settings, crash reporting or metrics.
    {
        Start second(home);
        QCOMPARE(second.exitCode(), 0);
    }
    QCOMPARE(home.logFiles().size(), 2);
    const QByteArray secondLogText = contentOf(home.logFiles().constLast() == firstLog
                                                       ? home.logFiles().constFirst()
                                                       : home.logFiles().constLast());
    QVERIFY(secondLogText.contains("Reelmorph is already opened, finish this instance"));
    QVERIFY(!secondLogText.contains("Hash"));
    QVERIFY(!secondLogText.contains("send metrics"));
    QTRY_VERIFY(contentOf(firstLog).contains("Message received:"));

    // The system's request to end it runs the whole exit order.
    ::kill(first.pid(), SIGTERM);
    QCOMPARE(first.exitCode(), 0);
    QCOMPARE(contentOf(home.crashAttributeFile()), QByteArray(1, '\0'));
    QVERIFY(contentOf(firstLog).contains("Exit from application (main). Exit code: 0"));
    QVERIFY(contentOf(home.settingsFile()).contains("recentPresets"));
    QVERIFY(!processExists(worker));
}

QTEST_GUILESS_MAIN(tst_Startup)

#include "tst_startup.moc"

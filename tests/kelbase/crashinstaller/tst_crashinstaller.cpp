#include "cpuinfo/cpuinfo.h"
#include "crashinstaller/crashinstaller.h"
#include "crashinstaller/uex.h"
#include "waitbound.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <memory>

class tst_CrashInstaller : public QObject
{
    Q_OBJECT

private slots:
    void uexUpdate_data();
    void uexUpdate();
    void uexUpdateFailures_data();
    void uexUpdateFailures();
    void installRestoresHandlers();
    void crash_data();
    void crash();
};

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

bool writeFile(const QString &path, const QByteArray &content, const QDateTime &modified = {})
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        return false;
    return !modified.isValid() || file.setFileTime(modified, QFileDevice::FileModificationTime);
}

// What the handler of a crash signal is, to compare before and after.
QPair<quintptr, int> signalAction(int signal)
{
    struct sigaction action;
    sigaction(signal, nullptr, &action);
    return {reinterpret_cast<quintptr>(action.sa_sigaction), action.sa_flags & SA_ONSTACK};
}

} // namespace

void tst_CrashInstaller::uexUpdate_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<QByteArray>("content");

    QTest::newRow("running") << int(uex::Running) << QByteArray(1, '\1');
    QTest::newRow("clean exit") << int(uex::CleanExit) << QByteArray(1, '\0');
    QTest::newRow("crashed") << int(uex::Crashed) << QByteArray(1, '\2');
}

void tst_CrashInstaller::uexUpdate()
{
    QFETCH(int, state);
    QFETCH(QByteArray, content);

    QTemporaryDir dir;
    const QString path = dir.filePath(".cf");
    // A longer earlier content must not survive.
    QVERIFY(writeFile(path, "xyz"));
    uex::update(path, uex::State(state));
    QCOMPARE(readAll(path), content);
}

void tst_CrashInstaller::uexUpdateFailures_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("message");

    QTest::newRow("no folder") << "/nonexistent-folder/.cf"
                               << "Can't open crash attribute file!!!";
    QTest::newRow("empty path") << ""
                                << "Can't open crash attribute file!!!";
    QTest::newRow("device full") << "/dev/full"
                                 << "Can't write crash attribute file!!!";
}

void tst_CrashInstaller::uexUpdateFailures()
{
    QFETCH(QString, path);
    QFETCH(QString, message);

    QTest::ignoreMessage(QtCriticalMsg, qPrintable(message));
    uex::update(path, uex::Running);
}

void tst_CrashInstaller::installRestoresHandlers()
{
    const auto before = signalAction(SIGSEGV);
    const auto beforeAbort = signalAction(SIGABRT);
    auto installer = std::make_unique<CrashInstaller>("Reelmorph", "1.5.0", true);
    const auto installed = signalAction(SIGSEGV);
    QVERIFY(installed != before);
    QCOMPARE(installed.second, SA_ONSTACK);
    stack_t stack;
    QCOMPARE(sigaltstack(nullptr, &stack), 0);
    QVERIFY(!(stack.ss_flags & SS_DISABLE));

    // One reporter per process: a second one fails, stays usable and leaves
    // the first one installed when it goes.
    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("^Could not start crash reporter. .+"));
    auto second = std::make_unique<CrashInstaller>("Reelmorph", "1.5.0", true);
    second->setProperty("value", "name");
    second->addFile("/etc/hostname", "Some File");
    second.reset();
    QCOMPARE(signalAction(SIGSEGV), installed);

    installer.reset();
    QCOMPARE(signalAction(SIGSEGV), before);
    QCOMPARE(signalAction(SIGABRT), beforeAbort);
}

void tst_CrashInstaller::crash_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("signal");
    QTest::addColumn<bool>("tell");

    QTest::newRow("segmentation fault") << "segv" << SIGSEGV << false;
    QTest::newRow("segmentation fault in a thread") << "thread" << SIGSEGV << false;
    QTest::newRow("stack overflow") << "overflow" << SIGSEGV << false;
    QTest::newRow("bus error") << "bus" << SIGBUS << false;
    QTest::newRow("floating-point exception") << "fpe" << SIGFPE << false;
    QTest::newRow("illegal instruction") << "ill" << SIGILL << false;
    QTest::newRow("abort, told on stderr") << "abort" << SIGABRT << true;
    QTest::newRow("no crash") << "none" << 0 << false;
}

void tst_CrashInstaller::crash()
{
    QFETCH(QString, how);
    QFETCH(int, signal);
    QFETCH(bool, tell);

    QTemporaryDir home;
    QVERIFY(home.isValid());
    const QString logDir = home.filePath(".crashhelper/log");
    QVERIFY(QDir().mkpath(logDir));
    // 15 log files a minute apart, and a newer file that no mask matches.
    const QDateTime start = QDateTime::currentDateTime().addSecs(-3600);
    for (int i = 0; i < 15; ++i) {
        const QString name = QStringLiteral("reel_%1.txt").arg(i, 2, 10, QLatin1Char('0'));
        QVERIFY(writeFile(logDir + '/' + name, name.toUtf8(), start.addSecs(60 * i)));
    }
    QVERIFY(writeFile(logDir + "/other.txt", "other", start.addSecs(3000)));
    const QString kept = home.filePath("reelforge.ini");
    const QString dropped = home.filePath("dxdiag.txt");
    QVERIFY(writeFile(kept, "kept"));
    QVERIFY(writeFile(dropped, "dropped"));
    const QString attributeFile = home.filePath(".cf");
    const QString machineId = CpuInfo().machineId();

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", home.path());
    // The sanitizers' own handlers would take these signals first.
    env.insert("ASAN_OPTIONS",
               env.value("ASAN_OPTIONS")
                       + ":handle_segv=0:handle_sigbus=0:handle_sigfpe=0"
                         ":handle_sigill=0:handle_abort=0");
    QProcess helper;
    helper.setProcessEnvironment(env);
    helper.setWorkingDirectory(home.path());
    helper.start(REEL_BIN_DIR "/tests/crashhelper",
                 {how, attributeFile, machineId, kept, dropped, tell ? "tell" : "quiet"});
    QVERIFY2(helper.waitForFinished(WaitBound::ms()), qPrintable(helper.errorString()));
    const QString errors = QString::fromLocal8Bit(helper.readAllStandardError());
    const QStringList reports = QDir(logDir).entryList({"crash_*"}, QDir::Dirs);

    if (signal == 0) {
        QCOMPARE(helper.exitStatus(), QProcess::NormalExit);
        QCOMPARE(helper.exitCode(), 0);
        QCOMPARE(readAll(attributeFile), QByteArray(1, '\0'));
        QVERIFY(reports.isEmpty());
        return;
    }

    // The process still ends by its signal, after the callback wrote 2.
    QVERIFY2(helper.exitStatus() == QProcess::CrashExit, qPrintable(errors));
    QCOMPARE(helper.exitCode(), signal);
    QCOMPARE(readAll(attributeFile), QByteArray(1, '\2'));
    QCOMPARE(reports.size(), 1);
    const QDir report(logDir + '/' + reports.first());
    QCOMPARE(errors.contains("A crash report was written to " + report.path()), tell);

    const QString backtrace = QString::fromUtf8(readAll(report.filePath("backtrace.txt")));
    QVERIFY2(backtrace.contains(QStringLiteral("Signal: %1 (").arg(signal)), qPrintable(backtrace));
    QVERIFY2(backtrace.contains("Application: Reelmorph\nVersion: 1.5.0\n"), qPrintable(backtrace));
    // Frames of the crashed program itself.
    QVERIFY2(backtrace.section("Backtrace:", 1).contains("/crashhelper("), qPrintable(backtrace));

    // Properties by name, the machine identifier only as its salted digest.
    const QByteArray hashedId = QCryptographicHash::hash(machineId.toUtf8() + "corvinak3seed",
                                                         QCryptographicHash::Md5)
                                        .toHex();
    QCOMPARE(readAll(report.filePath("properties.txt")),
             "alpha=same\nbeta=same\nm_id=" + hashedId + "\n");

    // The replaced and the removed file are not carried.
    QCOMPARE(readAll(report.filePath("reelforge.ini")), QByteArray("kept"));
    QVERIFY(!report.exists("dxdiag.txt"));
    const QString manifest = QString::fromUtf8(readAll(report.filePath("files.txt")));
    QVERIFY2(manifest.startsWith("Configuration File: " + kept + " -> reelforge.ini\n"),
             qPrintable(manifest));
    QVERIFY2(!manifest.contains("dxdiag"), qPrintable(manifest));

    // The 10 newest matching log files.
    QStringList newest;
    for (int i = 5; i < 15; ++i)
        newest << QStringLiteral("reel_%1.txt").arg(i, 2, 10, QLatin1Char('0'));
    QCOMPARE(QDir(report.filePath("logs")).entryList(QDir::Files, QDir::Name), newest);
    QCOMPARE(readAll(report.filePath("logs/reel_14.txt")), QByteArray("reel_14.txt"));
}

QTEST_GUILESS_MAIN(tst_CrashInstaller)

#include "tst_crashinstaller.moc"

#include "application.h"
#include "core/appservices.h"
#include "datamodel/queuemodel.h"
#include "kelui.h"
#include "platform/logindpower.h"
#include "platform/systempower.h"
#include "shared/enums.h"
#include "shared/settingsprovider.h"
#include "waitbound.h"

#include "fakelogin1.h"
#include "mediafixtures.h"
#include "messageboxinput.h"
#include "messagelog.h"
#include "privatesessionbus.h"

#include <QDBusConnection>
#include <QDateTime>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QWidget>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

Application *app = nullptr;

// Exit code of a loop that the post action left running.
constexpr int StillRunning = 42;
// Ends a loop that nothing else ends, so that a fault fails instead of hanging.
constexpr int GuardMs = 180000;
constexpr int Hung = 99;

class FakePower : public SystemPower
{
public:
    bool suspend(QString *errorText) override { return answer(suspends, errorText); }
    bool powerOff(QString *errorText) override { return answer(powerOffs, errorText); }

    bool accept = true;
    int suspends = 0;
    int powerOffs = 0;

private:
    bool answer(int &calls, QString *errorText)
    {
        ++calls;
        if (!accept && errorText)
            *errorText = QStringLiteral("refused by the test");
        return accept;
    }
};

// Runs the application's event loop and, in it, a loop of its own in which
// work starts something that ends with finish(inner). QCoreApplication::exit()
// ends both loops; when the program went on instead, finish() ends the inner
// one and the application's loop is ended with StillRunning. Returns the
// code QCoreApplication::exec() returned.
int runInApplicationLoop(const std::function<void(QEventLoop &inner)> &work)
{
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(Hung); });
    guard.start(GuardMs);
    QTimer::singleShot(0, app, [&work] {
        QEventLoop inner;
        QTimer::singleShot(0, &inner, [&work, &inner] { work(inner); });
        if (inner.exec() == StillRunning)
            QCoreApplication::exit(StillRunning);
    });
    return app->exec();
}

void finish(QEventLoop &inner)
{
    if (inner.isRunning())
        inner.exit(StillRunning);
}

} // namespace

class tst_PostAction : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void actionAfterBatch_data();
    void actionAfterBatch();
    void refusedSleepLogsTheSystemsReason();
    void convertedClipSleepsThroughLogind();
    void reportIsWrittenWhenMissingOrOld_data();
    void reportIsWrittenWhenMissingOrOld();
    void unwritableReportLeavesNoFile();
};

void tst_PostAction::initTestCase()
{
    appServices().workerProgram = QStringLiteral(REEL_BIN_DIR "/reelworker");
    QVERIFY(app->init());
    QVERIFY(app->queueModel());
    // Never shown here, the program's main window would hide the countdown
    // made over it: these tests have a window of their own.
    delete kelUi()->mainWindow();
    // The report of the start is written by now; its messages stay out of the tests' logs.
    QThreadPool::globalInstance()->waitForDone();
}

void tst_PostAction::actionAfterBatch_data()
{
    QTest::addColumn<int>("action");
    QTest::addColumn<int>("batches");
    // Footer button of the countdown pressed: -1 for none expected.
    QTest::addColumn<int>("countdownButton");
    QTest::addColumn<bool>("powerAccepts");
    QTest::addColumn<int>("suspends");
    QTest::addColumn<int>("powerOffs");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("logged");
    QTest::addColumn<QString>("notLogged");

    QTest::newRow("nothing") << int(Enums::DoNothing) << 1 << -1 << true << 0 << 0 << StillRunning
                             << QString() << "Sleep mode action";
    QTest::newRow("sleep, twice") << int(Enums::Sleep) << 2 << -1 << true << 2 << 0 << StillRunning
                                  << "Request sleep mode ok" << QString();
    QTest::newRow("sleep refused") << int(Enums::Sleep) << 1 << -1 << false << 1 << 0
                                   << StillRunning << "SetSuspendState failed: refused by the test"
                                   << "Request sleep mode ok";
    QTest::newRow("shutdown cancelled") << int(Enums::Shutdown) << 1 << 0 << true << 0 << 0
                                        << StillRunning << QString() << "Shutdown mode action";
    QTest::newRow("shutdown refused") << int(Enums::Shutdown) << 1 << 1 << false << 0 << 1
                                      << StillRunning << "ExitWindowsEx failed: refused by the test"
                                      << "Shutdown mode action";
    QTest::newRow("quit") << int(Enums::QuitApp) << 1 << -1 << true << 0 << 0 << 0
                          << "Quit app on conversion done" << QString();
    QTest::newRow("shutdown") << int(Enums::Shutdown) << 1 << 1 << true << 0 << 1 << 0
                              << "Shutdown mode action" << QString();
}

void tst_PostAction::actionAfterBatch()
{
    QFETCH(int, action);
    QFETCH(int, batches);
    QFETCH(int, countdownButton);
    QFETCH(bool, powerAccepts);
    QFETCH(int, suspends);
    QFETCH(int, powerOffs);
    QFETCH(int, exitCode);
    QFETCH(QString, logged);
    QFETCH(QString, notLogged);

    auto owned = std::make_unique<FakePower>();
    FakePower *power = owned.get();
    power->accept = powerAccepts;
    app->setSystemPower(std::move(owned));
    app->setPostAction(action);
    QWidget window;
    window.show();
    bool countdownShown = false;
    if (countdownButton >= 0) {
        MessageBoxInput::pressButton(countdownButton,
                                     [&countdownShown](KelMessageBox *) { countdownShown = true; });
    }

    MessageLog log;
    QCOMPARE(runInApplicationLoop([batches](QEventLoop &inner) {
                 for (int i = 0; i < batches; ++i)
                     emit app->queueModel()->batchProcessDone();
                 finish(inner);
             }),
             exitCode);

    QCOMPARE(countdownShown, countdownButton >= 0);
    QCOMPARE(power->suspends, suspends);
    QCOMPARE(power->powerOffs, powerOffs);
    // Windows are closed only on the way out.
    QCOMPARE(window.isVisible(), exitCode == StillRunning);
    if (!logged.isEmpty())
        QVERIFY2(log.messages().join('\n').contains(logged), qPrintable(log.messages().join('\n')));
    if (!notLogged.isEmpty())
        QVERIFY(!log.messages().join('\n').contains(notLogged));
    app->setPostAction(Enums::DoNothing);
}

void tst_PostAction::refusedSleepLogsTheSystemsReason()
{
    FakeLogin1Service service;
    QVERIFY(service.isRegistered());
    service.manager().setDenied(true);
    app->setSystemPower(std::make_unique<LogindPower>(QDBusConnection::sessionBus()));

    MessageLog log;
    QVERIFY(!app->goToSleep());

    QVERIFY(log.contains(QtWarningMsg, QStringLiteral("SetSuspendState failed:")));
    QVERIFY(log.messages().join('\n').contains(FakeLogin1Service::DeniedText));
    QCOMPARE(service.manager().calls(), QStringList{QStringLiteral("Suspend(false)")});
}

void tst_PostAction::convertedClipSleepsThroughLogind()
{
    MediaFixtures fixtures;
    QVERIFY(fixtures.isValid());
    MediaFixtures::Clip clip;
    clip.frames = 25;
    const QString source = fixtures.make(QStringLiteral("clip.mp4"), clip);
    QVERIFY(!source.isEmpty());

    FakeLogin1Service service;
    QVERIFY(service.isRegistered());
    app->setSystemPower(std::make_unique<LogindPower>(QDBusConnection::sessionBus()));
    SettingsProvider::instance()->setTargetFolderType(Enums::Subfolder);
    SettingsProvider::instance()->setLastClickedFormat(QStringLiteral("MP4"));
    QueueModel *queue = app->queueModel();
    queue->addNewItems({QUrl::fromLocalFile(source)}, -1);
    QTRY_COMPARE(queue->counters().value(VideoItem::Imported), 1);
    app->setPostAction(Enums::Sleep);

    // Connected after the post action, so finish() sees what it left.
    QCOMPARE(runInApplicationLoop([queue](QEventLoop &inner) {
                 QObject::connect(queue, &QueueModel::batchProcessDone, &inner,
                                  [&inner] { finish(inner); });
                 queue->startAll();
             }),
             StillRunning);

    QCOMPARE(queue->counters().value(VideoItem::Converted), 1);
    QCOMPARE(service.manager().calls(), QStringList{QStringLiteral("Suspend(false)")});
    app->setPostAction(Enums::DoNothing);
}

void tst_PostAction::reportIsWrittenWhenMissingOrOld_data()
{
    QTest::addColumn<int>("ageDays");
    QTest::addColumn<bool>("kept");

    QTest::newRow("missing") << -1 << false;
    QTest::newRow("29 days") << 29 << true;
    QTest::newRow("30 days") << 30 << false;
}

void tst_PostAction::reportIsWrittenWhenMissingOrOld()
{
    QFETCH(int, ageDays);
    QFETCH(bool, kept);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("dxdiag.txt"));
    const QDateTime now = QDateTime::currentDateTime();
    if (ageDays >= 0) {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old report");
        // Written out first: a later flush would stamp the file anew.
        QVERIFY(old.flush());
        QVERIFY(old.setFileTime(now.addDays(-ageDays), QFileDevice::FileModificationTime));
    }

    MessageLog log;
    app->runDxDiagGeneration(path, now).waitForFinished();

    QFile report(path);
    QVERIFY(report.open(QIODevice::ReadOnly));
    const QString content = QString::fromUtf8(report.readAll());
    QCOMPARE(content == QLatin1String("old report"), kept);
    QCOMPARE(log.contains(QtInfoMsg,
                          QStringLiteral("Run DxDiag tool complete. File already exists")),
             kept);
    if (!kept) {
        for (const char *part :
             {"Kernel:", "Processor:", "MemTotal:", "Display Devices", "Platform:"})
            QVERIFY2(content.contains(QLatin1String(part)), part);
    }
}

void tst_PostAction::unwritableReportLeavesNoFile()
{
    QTemporaryDir dir;
    // A file where the folder should be: no report can be made in it.
    const QString blocker = dir.filePath(QStringLiteral("logs"));
    QFile file(blocker);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    const QString path = blocker + QLatin1String("/dxdiag.txt");

    MessageLog log;
    app->runDxDiagGeneration(path, QDateTime::currentDateTime()).waitForFinished();

    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{QStringLiteral("logs")});
    QVERIFY(log.contains(QtWarningMsg, QStringLiteral("Can't write the system report")));
}

int main(int argc, char **argv)
{
    if (!PrivateSessionBus::isInside())
        return PrivateSessionBus::rerunInside(argc, argv);

    auto application = std::make_unique<Application>(argc, argv);
    app = application.get();
    QCoreApplication::setApplicationName(QStringLiteral("Corvina Reelmorph"));
    QCoreApplication::setOrganizationName(QStringLiteral("Corvina"));
    registerSettingsMetaTypes();
    QTemporaryDir settingsDir;
    app->setSettings(new SettingsProvider(settingsDir.filePath(QStringLiteral("reelforge.ini")),
                                          QSettings::IniFormat, app));

    tst_PostAction test;
    const int result = QTest::qExec(&test, argc, argv);
    app = nullptr;
    application.reset();
    return result;
}

#include "tst_postaction.moc"

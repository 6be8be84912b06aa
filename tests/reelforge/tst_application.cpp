#include "application.h"
#include "core/appservices.h"
#include "core/dataexchangesvc.h"
#include "datamodel/historymodel.h"
#include "datamodel/presetsrepo.h"
#include "datamodel/queuemodel.h"
#include "metrics/usagestatistics.h"
#include "shared/settingsprovider.h"
#include "waitbound.h"

#include "httpstubserver.h"

#include <metrics/metricsender.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>
#include <memory>

// The application object is made once, in main(), as the program makes it;
// main() also checks what its destruction leaves behind.
namespace {

const QString StandInWorker = QStringLiteral(REEL_BIN_DIR "/tests/queuetestworker");

Application *app = nullptr;
QString journalPath;

QStringList journal()
{
    QFile file(journalPath);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

int startsOf(const QStringList &lines)
{
    int starts = 0;
    for (const QString &line : lines)
        starts += line.startsWith(QLatin1String("start ")) ? 1 : 0;
    return starts;
}

QString settingsPath()
{
    return app->configLocation(QStringLiteral("reelforge.ini"));
}

} // namespace

class tst_Application : public QObject
{
    Q_OBJECT

private slots:
    void linkIsMadeOnce();
    void initBuildsTheModels();
    void sendMetricsIsStored_data();
    void sendMetricsIsStored();
    void sessionReportIsSentAndEmptiesTheStore();
    void recentPresetsChangeBeforeExit();
};

void tst_Application::linkIsMadeOnce()
{
    QVERIFY(QFileInfo(StandInWorker).isExecutable());
    appServices().workerProgram = StandInWorker;

    DataExchangeSvc *link = app->dataExchangeSvc();
    QVERIFY(link);
    QVERIFY(!link->parent());
    QCOMPARE(app->dataExchangeSvc(), link);
    // The data model's way to it answers the same link.
    QCOMPARE(appServices().dataExchangeSvc(), link);
    QTRY_COMPARE(startsOf(journal()), 1);
    QTRY_VERIFY(link->isConnected());
}

void tst_Application::initBuildsTheModels()
{
    QVERIFY(app->videoEncoderForFormat(QStringLiteral("MP4")).isEmpty());

    QVERIFY(app->init());

    QVERIFY(app->queueModel());
    QVERIFY(app->historyModel());
    QVERIFY(app->presetsRepo());
    QObject *const self = app;
    QCOMPARE(app->queueModel()->parent(), self);
    QCOMPARE(app->historyModel()->parent(), self);
    QCOMPARE(app->presetsRepo()->parent(), self);
    // The queue took the link made before; no second worker started.
    QCOMPARE(app->dataExchangeSvc()->isConnected(), true);
    QCOMPARE(startsOf(journal()), 1);

    // The tables are the shared ones, filled by init.
    QCOMPARE(app->videoEncoderForFormat(QStringLiteral("MP4")), QStringLiteral("h264_mf"));
    QCOMPARE(app->subtitlesFilter(), QStringLiteral("*.srt"));
    QVERIFY(appServices().formatTables);
    QCOMPARE(appServices().usageStatistics, &app->usageStatistics());
    QCOMPARE(appServices().settingsFileName, settingsPath());

    // Empty parts between separators are kept.
    QCOMPARE(app->presetsRepo()->recentPresets(), QStringList({"a", "", "b"}));
}

void tst_Application::sendMetricsIsStored_data()
{
    QTest::addColumn<bool>("send");
    QTest::addColumn<int>("stored");

    QTest::newRow("on") << true << 1;
    QTest::newRow("off") << false << 0;
    QTest::newRow("on again") << true << 1;
}

void tst_Application::sendMetricsIsStored()
{
    QFETCH(bool, send);
    QFETCH(int, stored);

    app->setSendMetrics(send);

    const QSettings store(QCoreApplication::organizationName(), app->settingsApplicationName());
    QCOMPARE(store.value(QStringLiteral("SendData")).toString(), QString::number(stored));
    QCOMPARE(MetricSender::isEnabled(), send);
    QCOMPARE(app->sendMetrics(), send);
}

void tst_Application::sessionReportIsSentAndEmptiesTheStore()
{
    HttpStubServer server;
    QVERIFY(server.listen());
    // A long tick: only the report's own flush sends.
    MetricSender::init(QStringLiteral("device"), QStringLiteral("15"), QStringLiteral("1.0"), true,
                       server.baseUrl(), 600000);
    app->usageStatistics().add(QStringLiteral("imp0"));
    app->usageStatistics().add(QStringLiteral("vcodec"), QStringLiteral("h264"));

    app->sendSessionMetrics();

    QCOMPARE(app->usageStatistics().value(QStringLiteral("imp0")), 0);
    QCOMPARE(app->usageStatistics().topKey(QStringLiteral("vcodec")).first, QString());
    QTRY_VERIFY(!server.requests().isEmpty());
    const QString sent = server.requests().join(QLatin1Char('\n'));
    const QRegularExpression report(
            QStringLiteral("&m\\d+=imp0:1&m\\d+=imp1:0.*&m\\d+=video:h264&.*&m\\d+=used4:$"));
    QVERIFY2(report.match(sent).hasMatch(), qPrintable(sent));
    MetricSender::init(QStringLiteral("device"), QStringLiteral("15"), QStringLiteral("1.0"), false,
                       QString());
}

void tst_Application::recentPresetsChangeBeforeExit()
{
    // main() checks that the exit writes this back joined.
    app->presetsRepo()->setRecent({"c", "", "", "d"});
}

namespace {

bool writeSettings(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(content) > 0;
}

// What the destructor must leave, in the style of a test log line.
bool checkExit(const QString &iniPath, bool workerStarted)
{
    bool passed = true;
    const auto fail = [&passed](const QString &what) {
        std::fprintf(stderr, "FAIL!  : tst_Application::exit() %s\n", qPrintable(what));
        passed = false;
    };

    const QString recent = QSettings(iniPath, QSettings::IniFormat)
                                   .value(QStringLiteral("recentPresets"))
                                   .toString();
    if (recent != QLatin1String("c&&&&&&d"))
        fail(QStringLiteral("recentPresets written as \"%1\"").arg(recent));
    if (workerStarted && !journal().contains(QLatin1String("exit")))
        fail(QStringLiteral("the worker was not told to exit: %1").arg(journal().join('|')));
    if (appServices().dataExchangeSvc || appServices().usageStatistics || appServices().formatTables)
        fail(QStringLiteral("the application services were left filled"));
    if (passed)
        std::fprintf(stderr, "PASS   : tst_Application::exit()\n");
    return passed;
}

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir workDir;
    journalPath = workDir.filePath(QStringLiteral("journal"));
    qputenv("QUEUE_TEST_WORKER_JOURNAL", QFile::encodeName(journalPath));

    auto application = std::make_unique<Application>(argc, argv);
    app = application.get();
    QCoreApplication::setApplicationName(QStringLiteral("Corvina Reelmorph"));
    QCoreApplication::setOrganizationName(QStringLiteral("Corvina"));

    const QString iniPath = settingsPath();
    if (!writeSettings(iniPath, "[General]\nrecentPresets=a&&&&b\n"))
        return 2;
    registerSettingsMetaTypes();
    app->setSettings(new SettingsProvider(iniPath, QSettings::IniFormat, app));

    tst_Application test;
    int result = QTest::qExec(&test, argc, argv);

    const bool workerStarted = startsOf(journal()) > 0;
    app = nullptr;
    application.reset();
    if (!checkExit(iniPath, workerStarted))
        result = result ? result : 1;
    return result;
}

#include "tst_application.moc"

#include "application.h"
#include "datamodel/queuemodel.h"
#include "datamodel/videoitem.h"
#include "platform/logindpower.h"
#include "platform/terminationrequest.h"
#include "shared/settingsprovider.h"
#include "startup.h"
#include "ui/splash.h"

#include <cpuinfo/cpuinfo.h>
#include <crashinstaller/crashinstaller.h>
#include <crashinstaller/uex.h>
#include <kellogger/kellogger.h>
#include <metrics/metricsender.h>
#include <reelversion.h>

#include <QDBusConnection>
#include <QDate>
#include <QDebug>
#include <QSettings>

#include <memory>

namespace {

const char ApplicationName[] = "Corvina Reelmorph";
const char OrganizationName[] = "Corvina";
const char OrganizationDomain[] = "https://corvina.example";
const char HelpUrl[] = "https://corvina.example/reelmorph/help";
const char ChangeLogUrl[] = "https://corvina.example/reelmorph/whatsnew";
const char DownloadUrl[] = "https://corvina.example/reelmorph/download";
const char TranslationPrefix[] = "reelforge";
const char SettingsFileName[] = "reelforge.ini";
const char CrashAppName[] = "Reelmorph";
const char ProductId[] = "15";
const char LogFileMask[] = "reel*.txt";
constexpr int MaxLogFiles = 10;
constexpr int MessageTimeoutMs = 5000;
constexpr int SplashMinimumMs = 2000;

} // namespace

int main(int argc, char *argv[])
{
    KelLogger::setFolderName(QLatin1String(ApplicationName));
    qInstallMessageHandler(KelLogger::messageHandler);
    const QString logDir = KelLogger::logDir();
    const QString crashAttributePath = logDir + QLatin1String("/.cf");

    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
            Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);

    // Declared before the application so that it goes after it: the crash
    // reporter stays installed until the application is gone.
    std::unique_ptr<CrashInstaller> crashInstaller;
    Application app(argc, argv);
    const uex::State previousState = uex::init(crashAttributePath);

    QCoreApplication::setApplicationName(QLatin1String(ApplicationName));
    QCoreApplication::setOrganizationName(QLatin1String(OrganizationName));
    QCoreApplication::setOrganizationDomain(QLatin1String(OrganizationDomain));
    app.loadApplicationVersion(QLatin1String(ReelVersion));
    app.setHelpUrl(QLatin1String(HelpUrl));
    app.setMachineId(CpuInfo().machineId());
    KelLogger::instance()->beginLogSession(app.buildVersion());

    if (app.isRunning()) {
        qInfo() << "Reelmorph is already opened, finish this instance";
        return app.sendMessage(QString(), MessageTimeoutMs) ? 0 : 1;
    }
    QObject::connect(&app, &KelSingleApplication::messageReceived, &app,
                     [](const QString &message) { qInfo() << "Message received:" << message; });

    // Logout, system shutdown and kill end the program as a closed window
    // would: converted items go to the history first.
    TerminationRequest terminationRequest;
    QObject::connect(&terminationRequest, &TerminationRequest::requested, &app, [&app] {
        if (QueueModel *queue = app.queueModel())
            queue->convertedItemsToHistory();
    });

    registerSettingsMetaTypes();
    VideoItem::registerMetaTypes();
    auto settings = new SettingsProvider(app.configLocation(QLatin1String(SettingsFileName)),
                                         QSettings::IniFormat, &app);
    app.setSettings(settings);
    qInfo() << "Hash" << app.machineId();

    crashInstaller = std::make_unique<CrashInstaller>(QLatin1String(CrashAppName),
                                                      app.buildVersion(),
                                                      Startup::crashReporterWithoutDialog(
                                                              QDate::currentDate()));
    crashInstaller->setProperty(app.machineId(), QStringLiteral("m_id"));
    crashInstaller->addFile(QStringLiteral("%1/dxdiag.txt").arg(logDir),
                            QStringLiteral("DirectX diagnostic File"));
    crashInstaller->addFile(settings->fileName(), QStringLiteral("Configuration File"));
    crashInstaller->addLogFiles(logDir, QLatin1String(LogFileMask), MaxLogFiles);
    crashInstaller->setAttributeFile(crashAttributePath);

    app.installTranslator(QLatin1String(TranslationPrefix));

    const QSettings consentStore(QCoreApplication::organizationName(),
                                 app.settingsApplicationName());
    const bool sendMetrics = Startup::metricsConsent(consentStore);
    qInfo() << "send metrics" << sendMetrics;
    MetricSender::init(app.machineId(), QLatin1String(ProductId),
                       QCoreApplication::applicationVersion(), sendMetrics);
    MetricSender::send(QStringLiteral("uex"), QString::number(int(previousState)), QString());

    Splash::showSplash(SplashMinimumMs, true);
    app.setSystemPower(std::make_unique<LogindPower>(QDBusConnection::systemBus()));

    if (!app.init())
        return 1;
    QGuiApplication::setFallbackSessionManagementEnabled(false);

    app.initUpdateChecker(QLatin1String(ProductId), QLatin1String(ChangeLogUrl),
                          QLatin1String(DownloadUrl));

    qInfo() << "Run app exec ...";
    terminationRequest.watch();
    const int exitCode = app.exec();
    qInfo() << "Exit from application (main). Exit code:" << exitCode;

    uex::finish(crashAttributePath);
    return exitCode;
}

#include "application.h"

#include "core/appservices.h"
#include "core/dataexchangesvc.h"
#include "datamodel/historymodel.h"
#include "datamodel/presetsrepo.h"
#include "datamodel/queuemodel.h"
#include "metrics/hardwaremetricsbuilder.h"
#include "metrics/metricevents.h"
#include "metrics/usagestatistics.h"
#include "platform/systempower.h"
#include "platform/systemreport.h"
#include "shared/enums.h"
#include "shared/formattables.h"
#include "shared/settingsprovider.h"
#include "ui/ui.h"

#include <kellogger/kellogger.h>
#include <kellogger/tracelogger.h>
#include <metrics/metricsender.h>
#include <updater/updater.h>

#include <QDateTime>
#include <QDebug>
#include <QEventLoop>
#include <QFileInfo>
#include <QLocale>
#include <QPointer>
#include <QRandomGenerator64>
#include <QSettings>
#include <QThreadPool>
#include <QTimer>
#include <QtConcurrent>

#include <cstdio>
#include <cstdlib>

namespace {

const QString RecentPresetsSeparator = QStringLiteral("&&");
const char ReportFileName[] = "dxdiag.txt";
constexpr int ReportMaxAgeDays = 30;
constexpr int FirstUpdateCheckDelayMs = 5000;
constexpr int UpdateCheckTimeoutMs = 5000;
constexpr int UpdateMessageIntervalMs = 10000;
// How long the exit waits for thread-pool tasks, which may be stuck in a
// read that never returns (a network file system, a device).
constexpr int PoolTasksAtExitMs = 3000;

int loopExitCode = 0;

void writeSystemReport(const QString &reportPath, const QDateTime &now, const QString &screenFacts)
{
    qInfo() << "Run DxDiag from thread pool...";
    const QFileInfo report(reportPath);
    if (report.exists() && report.lastModified().daysTo(now) < ReportMaxAgeDays) {
        qInfo() << "Run DxDiag tool complete. File already exists";
        return;
    }
    qInfo().noquote() << "Write system report" << reportPath;
    QString error;
    if (SystemReport().write(reportPath, screenFacts, &error))
        qInfo() << "System report written";
    else
        qWarning().noquote() << "Can't write the system report:" << error;
}

// Remembered before the question shows, so that it is asked once per version.
void askAboutNewVersion(const QString &version, const QString &newFeaturesUrl,
                        const QString &downloadUrl)
{
    if (SettingsProvider *settings = SettingsProvider::instance())
        settings->setUpdateCheckerShowedVersion(version);
    qInfo() << "Ask about new version";
    if (KelUi *ui = kelUi())
        ui->showNewVersionDialog(version, newFeaturesUrl, downloadUrl);
}

} // namespace

class Application::Private
{
public:
    UsageStatistics usageStatistics;
    QString changeLogUrl;
    QString downloadUrl;
    QString machineId;
    DataExchangeSvc *dataExchangeSvc = nullptr;
    QueueModel *queueModel = nullptr;
    HistoryModel *historyModel = nullptr;
    PresetsRepo *presetsRepo = nullptr;
    std::unique_ptr<const FormatTables> formatTables;
    int postAction = Enums::DoNothing;
    std::unique_ptr<SystemPower> systemPower;
    QPointer<Updater> updater;
    bool updateCheckStarted = false;

    void startUpdateChecker(Application *q, Updater *newUpdater, const QString &changeLog,
                            const QString &download);
    void checkForUpdates(const KelSettings *settings);
    void onUpdateCheckerSwitched(const KelSettings *settings, bool enabled);
    void onNewVersion(Application *q, const QString &version, const QString &newFeaturesUrl,
                      const QString &downloadUrl);
    void sendProgramDigest(Application *q);
};

void Application::Private::startUpdateChecker(Application *q, Updater *newUpdater,
                                              const QString &changeLog, const QString &download)
{
    updater = newUpdater;
    changeLogUrl = changeLog;
    downloadUrl = download;
    QObject::connect(newUpdater, &Updater::newVersionAvalible, q,
                     [this, q](const QString &version, const QString &newFeaturesUrl,
                               const QString &downloadAddress) {
                         onNewVersion(q, version, newFeaturesUrl, downloadAddress);
                     });
    if (KelSettings *registered = q->settings()) {
        QObject::connect(registered, &KelSettings::updateCheckerEnabledChanged, q,
                         [this, q](bool enabled) {
                             onUpdateCheckerSwitched(q->settings(), enabled);
                         });
    }
    // A named child, so that a test can follow the first check.
    auto *timer = new QTimer(q);
    timer->setObjectName(QStringLiteral("updateCheckTimer"));
    timer->setSingleShot(true);
    QObject::connect(timer, &QTimer::timeout, q, [this, q, timer] {
        timer->deleteLater();
        checkForUpdates(q->settings());
    });
    timer->start(FirstUpdateCheckDelayMs);
}

void Application::Private::checkForUpdates(const KelSettings *settings)
{
    if (!updater || !settings || !settings->updateCheckerEnabled() || updateCheckStarted)
        return;
    updateCheckStarted = true;
    updater->checkForUpdates(UpdateCheckTimeoutMs);
}

void Application::Private::onUpdateCheckerSwitched(const KelSettings *settings, bool enabled)
{
    if (!enabled)
        return;
    updateCheckStarted = false;
    if (SettingsProvider *provider = SettingsProvider::instance())
        provider->setUpdateCheckerShowedVersion(QString());
    checkForUpdates(settings);
}

void Application::Private::onNewVersion(Application *q, const QString &version,
                                        const QString &newFeaturesUrl, const QString &downloadUrl)
{
    SettingsProvider *settings = SettingsProvider::instance();
    const QString shown = settings ? settings->updateCheckerShowedVersion() : QString();
    emit q->updateAvalible();
    if (shown == version) {
        qInfo() << "Question about" << version << "was already shown";
        return;
    }
    KelUi *ui = q->kelUi();
    if (!ui)
        return;
    ui->startNotAnnoyingMessageTimer(QStringLiteral("Update message"), UpdateMessageIntervalMs,
                                     [version, newFeaturesUrl, downloadUrl] {
                                         askAboutNewVersion(version, newFeaturesUrl, downloadUrl);
                                     });
}

// Reading the whole executable would stall the window: it is hashed on the
// pool and only the result comes back to the GUI thread.
void Application::Private::sendProgramDigest(Application *q)
{
    struct Digest
    {
        bool ok = false;
        MetricEvent event;
    };
    auto *watcher = new QFutureWatcher<Digest>(q);
    QObject::connect(watcher, &QFutureWatcher<Digest>::finished, q, [watcher] {
        const Digest digest = watcher->result();
        if (digest.ok)
            MetricSender::queueEvents({digest.event});
        watcher->deleteLater();
    });
    const QString path = QCoreApplication::applicationFilePath();
    watcher->setFuture(QtConcurrent::run(QThreadPool::globalInstance(), [path] {
        Digest digest;
        digest.ok = MetricEvents::programDigestEvent(path, &digest.event);
        return digest;
    }));
}

Application::Application(int &argc, char **argv)
    : KelApplication(argc, argv), d(std::make_unique<Private>())
{
    AppServices &services = appServices();
    services.usageStatistics = &d->usageStatistics;
    services.dataExchangeSvc = [this] { return dataExchangeSvc(); };
}

Application::~Application()
{
    sendSessionMetrics();

    // Nothing torn down below may make a new link or count usage.
    appServices() = AppServices();

    if (d->dataExchangeSvc) {
        d->dataExchangeSvc->sendExitRequest();
        // The event loop has ended: a deferred deletion would never run.
        delete d->dataExchangeSvc;
        d->dataExchangeSvc = nullptr;
    }

    if (d->presetsRepo) {
        if (SettingsProvider *settings = SettingsProvider::instance())
            settings->setRecentPresets(d->presetsRepo->recentPresets().join(RecentPresetsSeparator));
    }

    if (!QThreadPool::globalInstance()->waitForDone(PoolTasksAtExitMs))
        leaveWithoutPoolTasks();
}

int Application::exec()
{
    loopExitCode = KelApplication::exec();
    return loopExitCode;
}

// What the teardown after this destructor would save, in its order: the
// framework's settings, then the history, which its model writes when it
// goes. The rest only frees memory.
void Application::leaveWithoutPoolTasks()
{
    qWarning() << QThreadPool::globalInstance()->activeThreadCount()
               << "thread-pool tasks still running; leaving without them";
    if (KelSettings *registered = settings()) {
        registered->save();
        // Nothing destroys it, which is when it would write its file.
        registered->sync();
    }
    const QList<HistoryModel *> histories = findChildren<HistoryModel *>(QString(),
                                                                         Qt::FindDirectChildrenOnly);
    qDeleteAll(histories);
    qInfo() << "App is finished without waiting for the thread pool.";
    std::fflush(nullptr);
    std::_Exit(loopExitCode);
}

bool Application::init()
{
    TraceLogger trace(Q_FUNC_INFO, QStringLiteral("Application::init"));
    qInfo() << "Init app...";
    if (KelSettings *registered = settings())
        appServices().settingsFileName = registered->fileName();

    prepareNetworkAccessManager();
    processEvents(QEventLoop::ExcludeUserInputEvents);

    // Asks for the link, which starts the worker.
    d->queueModel = new QueueModel(this);
    d->historyModel = new HistoryModel(this);
    initFormats();

    d->presetsRepo = new PresetsRepo(this);
    const SettingsProvider *settings = SettingsProvider::instance();
    const QString recent = settings ? settings->recentPresets() : QString();
    d->presetsRepo->setRecent(recent.split(RecentPresetsSeparator, Qt::KeepEmptyParts));

    connect(d->queueModel, &QueueModel::batchProcessDone, this, &Application::onConversionDone);

    // The program's main window joins with its UI object; the framework's
    // makes none.
    if (KelUi *ui = kelUi())
        ui->setupMainWindow();

    processInstallArguments();
    runDxDiagGeneration();
    return true;
}

void Application::initUpdateChecker(const QString &productId, const QString &changeLogUrl,
                                    const QString &downloadUrl)
{
    d->startUpdateChecker(this,
                          new Updater(d->machineId, productId, changeLogUrl, downloadUrl, this),
                          changeLogUrl, downloadUrl);
}

void Application::initUpdateChecker(const QString &productId, const QString &changeLogUrl,
                                    const QString &downloadUrl, const QString &checkUrl)
{
    d->startUpdateChecker(this,
                          new Updater(d->machineId, productId, changeLogUrl, downloadUrl, checkUrl,
                                      this),
                          changeLogUrl, downloadUrl);
}

void Application::initFormats()
{
    if (d->formatTables)
        return;
    d->formatTables = std::make_unique<const FormatTables>();
    appServices().formatTables = d->formatTables.get();
}

QString Application::videoEncoderForFormat(const QString &format) const
{
    return d->formatTables ? d->formatTables->videoEncoderForFormat(format) : QString();
}

QString Application::audioEncoderForFormat(const QString &format) const
{
    return d->formatTables ? d->formatTables->audioEncoderForFormat(format) : QString();
}

QStringList Application::outputVideoFormats() const
{
    return d->formatTables ? d->formatTables->outputVideoFormats() : QStringList();
}

QStringList Application::outputAudioFormats() const
{
    return d->formatTables ? d->formatTables->outputAudioFormats() : QStringList();
}

QStringList Application::outputFormats() const
{
    return d->formatTables ? d->formatTables->outputFormats() : QStringList();
}

QStringList Application::inputVideoFormats() const
{
    return d->formatTables ? d->formatTables->inputVideoFormats() : QStringList();
}

QStringList Application::inputAudioFormats() const
{
    return d->formatTables ? d->formatTables->inputAudioFormats() : QStringList();
}

QStringList Application::imageFormats() const
{
    return d->formatTables ? d->formatTables->imageFormats() : QStringList();
}

QString Application::inputVideoFilter() const
{
    return d->formatTables ? d->formatTables->inputVideoFilter() : QString();
}

QString Application::inputAudioFilter() const
{
    return d->formatTables ? d->formatTables->inputAudioFilter() : QString();
}

QString Application::imageFilter() const
{
    return d->formatTables ? d->formatTables->imageFilter() : QString();
}

QString Application::subtitlesFilter() const
{
    return d->formatTables ? d->formatTables->subtitlesFilter() : QString();
}

QList<QSize> Application::standardResolutions() const
{
    return d->formatTables ? d->formatTables->standardResolutions() : QList<QSize>();
}

QString Application::historyFilePath() const
{
    return FormatTables::historyFilePath();
}

QString Application::historyThumbnailPath() const
{
    return FormatTables::historyThumbnailPath();
}

QString Application::historyThumbnailSuffix() const
{
    return FormatTables::historyThumbnailSuffix();
}

QString Application::linkUrl() const
{
    return d->downloadUrl;
}

QString Application::machineId() const
{
    return d->machineId;
}

void Application::setMachineId(const QString &machineId)
{
    d->machineId = machineId;
}

QueueModel *Application::queueModel() const
{
    return d->queueModel;
}

HistoryModel *Application::historyModel() const
{
    return d->historyModel;
}

PresetsRepo *Application::presetsRepo() const
{
    return d->presetsRepo;
}

UsageStatistics &Application::usageStatistics()
{
    return d->usageStatistics;
}

DataExchangeSvc *Application::dataExchangeSvc()
{
    if (!d->dataExchangeSvc) {
        d->dataExchangeSvc = new DataExchangeSvc;
        d->dataExchangeSvc->startHandler();
    }
    return d->dataExchangeSvc;
}

int Application::postAction() const
{
    return d->postAction;
}

void Application::setPostAction(int action)
{
    d->postAction = action;
}

void Application::setSystemPower(std::unique_ptr<SystemPower> power)
{
    d->systemPower = std::move(power);
}

void Application::onConversionDone()
{
    switch (d->postAction) {
    case Enums::QuitApp:
        qInfo() << "Quit app on conversion done";
        closeAllWindows();
        exit(0);
        break;
    case Enums::Sleep:
        qInfo() << "Sleep mode action";
        goToSleep();
        break;
    case Enums::Shutdown: {
        Ui *ui = dynamic_cast<Ui *>(kelUi());
        if (!ui || !ui->showShutdownCountdown() || !shutdownWindows())
            break;
        qInfo() << "Shutdown mode action";
        closeAllWindows();
        exit(0);
        break;
    }
    default:
        break;
    }
}

bool Application::goToSleep()
{
    qInfo() << "Going to sleep ...";
    QString error = QStringLiteral("no power control");
    if (!d->systemPower || !d->systemPower->suspend(&error)) {
        qWarning().noquote() << "SetSuspendState failed:" << error;
        return false;
    }
    qInfo() << "Request sleep mode ok";
    return true;
}

bool Application::shutdownWindows()
{
    qInfo() << "Shutting down ...";
    QString error = QStringLiteral("no power control");
    if (!d->systemPower || !d->systemPower->powerOff(&error)) {
        qWarning().noquote() << "ExitWindowsEx failed:" << error;
        return false;
    }
    qInfo() << "Request shutdown ok";
    return true;
}

QFuture<void> Application::runDxDiagGeneration()
{
    return runDxDiagGeneration(QStringLiteral("%1/%2").arg(KelLogger::logDir(),
                                                           QLatin1String(ReportFileName)),
                               QDateTime::currentDateTime());
}

QFuture<void> Application::runDxDiagGeneration(const QString &reportPath, const QDateTime &now)
{
    // Screens are GUI objects: read them here, before the task starts.
    const QString screenFacts = SystemReport::screenFacts();
    return QtConcurrent::run(QThreadPool::globalInstance(), writeSystemReport, reportPath, now,
                             screenFacts);
}

void Application::processInstallArguments()
{
    const QString installFlag = MetricEvents::installFlag(arguments());
    const KelSettings *registered = settings();
    const QString language = registered ? registered->localeName().left(2) : QString();
    if (isFirstRun()) {
        MetricSender::queueEvents(MetricEvents::firstRunEvents(HardwareMetricsBuilder::build(),
                                                               language, QLocale::system().name(),
                                                               installFlag));
    } else {
        MetricSender::queueEvents(MetricEvents::laterRunEvents(language));
    }
    const int delay = MetricEvents::programDigestDelayMs(
            quint32(QRandomGenerator64::global()->generate()));
    QTimer::singleShot(delay, this, [this] { d->sendProgramDigest(this); });
}

void Application::sendSessionMetrics()
{
    MetricSender::queueEvents(MetricEvents::sessionEvents(d->usageStatistics));
    d->usageStatistics.clear();
    MetricSender::flush();
}

void Application::setSendMetrics(bool send)
{
    QSettings store(QCoreApplication::organizationName(), settingsApplicationName());
    store.setValue(MetricSender::settingsKey(), send ? 1 : 0);
    MetricSender::setEnabled(send);
}

bool Application::sendMetrics() const
{
    return MetricSender::isEnabled();
}

void Application::onLanguageChanged() { }

KelUi *Application::createUi()
{
    return new Ui(this);
}

void Application::onAboutToQuit() { }

#include "moc_application.cpp"

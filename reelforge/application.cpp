#include "application.h"

#include "core/dataexchangesvc.h"
#include "datamodel/historymodel.h"
#include "datamodel/presetsrepo.h"
#include "datamodel/queuemodel.h"
#include "metrics/usagestatistics.h"
#include "shared/appservices.h"
#include "shared/enums.h"
#include "shared/formattables.h"
#include "shared/settingsprovider.h"
#include "ui/ui.h"

#include <kellogger/tracelogger.h>
#include <metrics/metricsender.h>

#include <QDebug>
#include <QEventLoop>
#include <QSettings>

namespace {

const QString RecentPresetsSeparator = QStringLiteral("&&");

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
};

Application::Application(int &argc, char **argv)
    : KelApplication(argc, argv), d(std::make_unique<Private>())
{
    AppServices &services = appServices();
    services.usageStatistics = &d->usageStatistics;
    services.dataExchangeSvc = [this] { return dataExchangeSvc(); };
}

Application::~Application()
{
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

    // The program's main window joins with its UI object; the framework's
    // makes none.
    if (KelUi *ui = kelUi())
        ui->setupMainWindow();
    return true;
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

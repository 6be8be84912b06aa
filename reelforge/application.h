#pragma once

#include "kelapplication.h"

#include <QFuture>
#include <QList>
#include <QSize>
#include <QStringList>

#include <memory>

class DataExchangeSvc;
class HistoryModel;
class QDateTime;
class SystemPower;
class PresetsRepo;
class QueueModel;
class UsageStatistics;

// The program's application object: holds the fixed format tables, the
// queue, history and presets models, the worker link (made on first use),
// the action after a finished batch with the power control it needs, the
// update checker and the usage counters with their reports, and changes the
// user's consent to usage metrics. Reached by casting
// QCoreApplication::instance().
//
// It fills the application services of the data model and the link while it
// lives and clears them when it goes. GUI thread only.
class Application : public KelApplication
{
    Q_OBJECT

public:
    Application(int &argc, char **argv);
    // Sends the session report, tells the worker to exit and saves the
    // recent presets; the models go with the application object (the
    // history writes its file then). Qt's own teardown waits for every task
    // of the global thread pool; when one is still running a few seconds
    // later, the settings and the history are saved here and the process
    // leaves with the event loop's exit code instead of waiting for it.
    ~Application() override;

    // QApplication::exec, keeping the exit code for a leave that cannot wait.
    static int exec();

    // Creates the models (the queue's construction starts the worker), fills
    // the tables, reads the recent presets, ties the end of a batch to the
    // post action, builds the UI, reports the run's start and starts the
    // system report.
    bool init() override;

    // Creates the update checker; its first check runs 5 s later when the
    // user allows checks, and another at once whenever the user switches
    // them on. Call it once, after init().
    void initUpdateChecker(const QString &productId, const QString &changeLogUrl,
                           const QString &downloadUrl);
    // The same against the given check address.
    void initUpdateChecker(const QString &productId, const QString &changeLogUrl,
                           const QString &downloadUrl, const QString &checkUrl);

    // The tables are empty until this has run.
    void initFormats();
    QString videoEncoderForFormat(const QString &format) const;
    QString audioEncoderForFormat(const QString &format) const;
    QStringList outputVideoFormats() const;
    QStringList outputAudioFormats() const;
    QStringList outputFormats() const;
    QStringList inputVideoFormats() const;
    QStringList inputAudioFormats() const;
    QStringList imageFormats() const;
    QString inputVideoFilter() const;
    QString inputAudioFilter() const;
    QString imageFilter() const;
    QString subtitlesFilter() const;
    QList<QSize> standardResolutions() const;
    QString historyFilePath() const;
    // Created when missing.
    QString historyThumbnailPath() const;
    QString historyThumbnailSuffix() const;
    // The download page of the maker.
    QString linkUrl() const;

    QString machineId() const;
    void setMachineId(const QString &machineId);

    // Null before init().
    QueueModel *queueModel() const;
    HistoryModel *historyModel() const;
    PresetsRepo *presetsRepo() const;
    UsageStatistics &usageStatistics();

    // Made, without a parent, and its worker started on the first call.
    DataExchangeSvc *dataExchangeSvc();

    // An Enums::PostAction value, for the end of the next batch.
    int postAction() const;
    void setPostAction(int action);
    // Sleep and shutdown go through it; without one they fail.
    void setSystemPower(std::unique_ptr<SystemPower> power);
    // True when the system accepted the request; a refusal is logged.
    bool goToSleep();
    bool shutdownWindows();

    // Writes the system report "dxdiag.txt" into the log folder on the
    // global thread pool, unless one younger than 30 days is there. Nothing
    // needs to wait for the returned future.
    QFuture<void> runDxDiagGeneration();
    // The same for the report at reportPath, aged against now.
    QFuture<void> runDxDiagGeneration(const QString &reportPath, const QDateTime &now);

    // Reports the start: the first run's facts or a later run's language,
    // and the program file's digest shortly afterwards.
    void processInstallArguments();
    // Reports the session's usage counters, clears them and sends at once.
    void sendSessionMetrics();
    // Stores the consent in the user's native settings and switches the
    // metric sender.
    void setSendMetrics(bool send);
    bool sendMetrics() const;

public slots:
    // Performs the post action once a started batch is finished.
    void onConversionDone();

signals:
    void updateAvalible();

protected:
    void onLanguageChanged() override;
    KelUi *createUi() override;
    void onAboutToQuit() override;

private:
    [[noreturn]] void leaveWithoutPoolTasks();

    class Private;
    std::unique_ptr<Private> d;
};

#pragma once

#include "kelapplication.h"

#include <QList>
#include <QSize>
#include <QStringList>

#include <memory>

class DataExchangeSvc;
class HistoryModel;
class PresetsRepo;
class QueueModel;
class UsageStatistics;

// The program's application object: holds the fixed format tables, the
// queue, history and presets models, the worker link (made on first use),
// the action after a finished batch and the usage counters, and changes the
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
    // Tells the worker to exit and saves the recent presets; the models go
    // with the application object (the history writes its file then).
    ~Application() override;

    // Creates the models (the queue's construction starts the worker), fills
    // the tables and reads the recent presets.
    bool init() override;

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
    // Stores the consent in the user's native settings and switches the
    // metric sender.
    void setSendMetrics(bool send);
    bool sendMetrics() const;

signals:
    void updateAvalible();

protected:
    void onLanguageChanged() override;
    KelUi *createUi() override;
    void onAboutToQuit() override;

private:
    class Private;
    std::unique_ptr<Private> d;
};

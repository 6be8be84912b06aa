#pragma once

#include <QObject>
#include <QString>

#include <memory>

// Asks the update server for the newest version of the program and reports
// when it is greater than the running one. Lives on the thread that created it.
class Updater : public QObject
{
    Q_OBJECT
public:
    // Uses the update server address chosen at build time; when none was
    // chosen, checks send nothing.
    Updater(const QString &machineId, const QString &productId, const QString &newFeaturesUrl,
            const QString &downloadUrl, QObject *parent = nullptr);
    // checkUrl: the server's check address, empty for none.
    Updater(const QString &machineId, const QString &productId, const QString &newFeaturesUrl,
            const QString &downloadUrl, const QString &checkUrl, QObject *parent = nullptr);
    ~Updater() override;

    // Starts one request, stopping one that is still running; timeout in ms.
    void checkForUpdates(int timeout);

signals:
    void finished();
    void newVersionAvalible(const QString &newVerion, const QString &newFeaturesUrl,
                            const QString &downloadUrl);
    void error(const QString &errorString);

private:
    class Private;
    std::unique_ptr<Private> d;
};

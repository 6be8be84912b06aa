#include <kellogger/kellogger.h>
#include <remotehandler/remotehandler.h>

#include <QCoreApplication>
#include <QTimer>

namespace {
// Both programs log into the GUI's folder.
const char logFolderName[] = "Corvina Reelmorph";
const int linkCheckIntervalMs = 100;
} // namespace

int main(int argc, char *argv[])
{
    KelLogger::setFolderName(QLatin1String(logFolderName));
    qInstallMessageHandler(KelLogger::messageHandler);

    QCoreApplication app(argc, argv);
    KelLogger::instance()->beginLogSession(QString());

    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 2) {
        qCritical("The worker needs the link's server name as its only argument");
        return -1;
    }

    RemoteHandler link;
    link.runClientMode(arguments.at(1));

    // The worker lives as long as its link to the GUI.
    QTimer linkCheck;
    QObject::connect(&linkCheck, &QTimer::timeout, &app, [&link] {
        if (!link.isConnected())
            QCoreApplication::quit();
    });
    linkCheck.start(linkCheckIntervalMs);
    return QCoreApplication::exec();
}

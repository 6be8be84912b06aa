#include "platform/terminationrequest.h"
#include "reelworker.h"

#include <crashinstaller/crashinstaller.h>
#include <kellogger/kellogger.h>
#include <reelversion.h>

#include <QDate>
#include <QGuiApplication>

#include <cstring>
#include <memory>

namespace {

const char applicationName[] = "Corvina Reelmorph Helper";
const char organizationName[] = "Corvina";
// Both programs log into the GUI's folder.
const char logFolderName[] = "Corvina Reelmorph";
const char crashAppName[] = "Reelmorph";
const char logFileMask[] = "reel*.txt";
const int maxLogFiles = 10;

bool platformChosen(int argc, char *argv[])
{
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return true;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "-platform") || !std::strcmp(argv[i], "--platform"))
            return true;
    }
    return false;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 2)
        return -1;
    const QString serverName = QString::fromLatin1(argv[1]);

    // Overlays are painted with QPainter, which needs a GUI application; the
    // worker never shows a window, so it must also run without a display.
    if (!platformChosen(argc, argv))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName(QLatin1String(applicationName));
    QCoreApplication::setOrganizationName(QLatin1String(organizationName));
    QCoreApplication::setApplicationVersion(QLatin1String(ReelVersion));
    if (!TerminationRequest::install())
        qWarning("Can't watch for termination requests");

    // Declared first, so that it is destroyed with the worker object, after it.
    std::unique_ptr<CrashInstaller> crashInstaller;
    reelworker worker;

    KelLogger::setFolderName(QLatin1String(logFolderName));
    qInstallMessageHandler(KelLogger::messageHandler);
    KelLogger::instance()->beginLogSession(QString());

    const QString logDir = KelLogger::logDir();
    const bool noDialog = QDate::currentDate() < QDate(2023, 7, 2);
    crashInstaller = std::make_unique<CrashInstaller>(QLatin1String(crashAppName),
                                                      QLatin1String(ReelVersion), noDialog);
    crashInstaller->addLogFiles(logDir, QLatin1String(logFileMask), maxLogFiles);
    crashInstaller->setAttributeFile(logDir + QLatin1String("/.cf"));

    return worker.exec(serverName, crashInstaller.get());
}

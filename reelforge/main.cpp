#include <kellogger/kellogger.h>
#include <reelversion.h>

#include <QApplication>

namespace {
const char applicationName[] = "Corvina Reelmorph";
const char organizationName[] = "Corvina";
const char organizationDomain[] = "https://corvina.example";
} // namespace

int main(int argc, char *argv[])
{
    KelLogger::setFolderName(QLatin1String(applicationName));
    qInstallMessageHandler(KelLogger::messageHandler);

    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
            Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QLatin1String(applicationName));
    QApplication::setOrganizationName(QLatin1String(organizationName));
    QApplication::setOrganizationDomain(QLatin1String(organizationDomain));
    QApplication::setApplicationVersion(QLatin1String(ReelVersion));

    KelLogger::instance()->beginLogSession(QLatin1String(ReelVersion));

    // The main window does not exist yet; start-up ends here.
    return 0;
}

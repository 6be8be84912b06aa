#include "platform/systemreport.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QSaveFile>
#include <QScreen>
#include <QStandardPaths>
#include <QTextStream>

namespace {

constexpr int PciListerTimeoutMs = 10000;

const char *const PciDisplayClasses[] = {"VGA compatible controller", "3D controller",
                                         "Display controller"};

QString heading(const char *title)
{
    return QStringLiteral("------------------\n%1\n------------------\n").arg(QLatin1String(title));
}

QString line(const char *name, const QString &value)
{
    return QStringLiteral("%1: %2\n")
            .arg(QLatin1String(name), value.isEmpty() ? QStringLiteral("unknown") : value);
}

// The value of "name<separator>value" lines.
QString field(const QString &text, const QString &name, QChar separator)
{
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (const QString &entry : lines) {
        const int at = entry.indexOf(separator);
        if (at > 0 && entry.left(at).trimmed() == name) {
            QString value = entry.mid(at + 1).trimmed();
            if (value.size() >= 2 && value.startsWith(QLatin1Char('"'))
                && value.endsWith(QLatin1Char('"')))
                value = value.mid(1, value.size() - 2);
            return value;
        }
    }
    return QString();
}

} // namespace

SystemReport::SystemReport(const QString &rootPath, const QString &pciLister)
    : m_rootPath(rootPath), m_pciLister(pciLister)
{ }

QString SystemReport::defaultPciLister()
{
    return QStandardPaths::findExecutable(QStringLiteral("lspci"),
                                          {QStringLiteral("/usr/bin"), QStringLiteral("/usr/sbin"),
                                           QStringLiteral("/bin"), QStringLiteral("/sbin")});
}

QString SystemReport::screenFacts()
{
    QString text = heading("Display");
    text += line("Platform", QGuiApplication::platformName());
    const QList<QScreen *> screens = QGuiApplication::screens();
    text += line("Screens", QString::number(screens.size()));
    const QScreen *primary = QGuiApplication::primaryScreen();
    for (const QScreen *screen : screens) {
        const QRect geometry = screen->geometry();
        text += QStringLiteral("Screen \"%1\"%2: %3x%4 at %5,%6, %7 Hz, %8 dpi, ratio %9, "
                               "depth %10\n")
                        .arg(screen->name(),
                             screen == primary ? QStringLiteral(" (primary)") : QString())
                        .arg(geometry.width())
                        .arg(geometry.height())
                        .arg(geometry.x())
                        .arg(geometry.y())
                        .arg(screen->refreshRate(), 0, 'f', 1)
                        .arg(screen->logicalDotsPerInch(), 0, 'f', 1)
                        .arg(screen->devicePixelRatio())
                        .arg(screen->depth());
    }
    return text;
}

QString SystemReport::readFile(const QString &relativePath) const
{
    QFile file(QDir(m_rootPath).filePath(relativePath));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    return QString::fromUtf8(file.readAll());
}

QString SystemReport::kernelSection() const
{
    QString text = heading("System Information");
    text += line("Kernel",
                 (readFile(QStringLiteral("proc/sys/kernel/ostype")).trimmed() + QLatin1Char(' ')
                  + readFile(QStringLiteral("proc/sys/kernel/osrelease")).trimmed())
                         .trimmed());
    text += line("Kernel build", readFile(QStringLiteral("proc/sys/kernel/version")).trimmed());
    text += line("Distribution",
                 field(readFile(QStringLiteral("etc/os-release")), QStringLiteral("PRETTY_NAME"),
                       QLatin1Char('=')));
    return text;
}

QString SystemReport::processorSection() const
{
    const QString cpuinfo = readFile(QStringLiteral("proc/cpuinfo"));
    const int processors = cpuinfo.count(
            QRegularExpression(QStringLiteral("(^|\n)processor\\s*:")));
    QString text = heading("Processor");
    text += line("Processor", field(cpuinfo, QStringLiteral("model name"), QLatin1Char(':')));
    text += line("Logical processors", processors > 0 ? QString::number(processors) : QString());
    return text;
}

QString SystemReport::memorySection() const
{
    const QString meminfo = readFile(QStringLiteral("proc/meminfo"));
    QString text = heading("Memory");
    for (const char *name : {"MemTotal", "MemAvailable", "SwapTotal"})
        text += line(name, field(meminfo, QLatin1String(name), QLatin1Char(':')));
    return text;
}

QString SystemReport::graphicsSection() const
{
    QString text = heading("Display Devices");
    const QString drmPath = QStringLiteral("sys/class/drm");
    const QDir drm(QDir(m_rootPath).filePath(drmPath));
    // Connectors are named "card0-HDMI-A-1"; the adapters "card0".
    const QRegularExpression adapter(QStringLiteral("^card\\d+$"));
    const QStringList cards = drm.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::System,
                                            QDir::Name);
    int found = 0;
    for (const QString &card : cards) {
        if (!adapter.match(card).hasMatch())
            continue;
        ++found;
        const QString device = drmPath + QLatin1Char('/') + card + QLatin1String("/device/");
        const QString uevent = readFile(device + QLatin1String("uevent"));
        text += QStringLiteral("Card %1: vendor %2, device %3, driver %4, PCI slot %5\n")
                        .arg(card, readFile(device + QLatin1String("vendor")).trimmed(),
                             readFile(device + QLatin1String("device")).trimmed(),
                             field(uevent, QStringLiteral("DRIVER"), QLatin1Char('=')),
                             field(uevent, QStringLiteral("PCI_SLOT_NAME"), QLatin1Char('=')));
    }
    if (found == 0)
        text += QStringLiteral("No graphics adapter in /%1\n").arg(drmPath);
    for (const QString &device : pciDisplayDevices())
        text += QStringLiteral("PCI: %1\n").arg(device);
    return text;
}

QStringList SystemReport::pciDisplayDevices() const
{
    if (m_pciLister.isEmpty())
        return {};
    QProcess lister;
    lister.start(m_pciLister, QStringList());
    if (!lister.waitForFinished(PciListerTimeoutMs) || lister.exitStatus() != QProcess::NormalExit) {
        lister.kill();
        lister.waitForFinished();
        return {};
    }
    QStringList devices;
    const QStringList lines = QString::fromUtf8(lister.readAllStandardOutput())
                                      .split(QLatin1Char('\n'));
    for (const QString &entry : lines) {
        for (const char *displayClass : PciDisplayClasses) {
            if (entry.contains(QLatin1String(displayClass))) {
                devices.append(entry.trimmed());
                break;
            }
        }
    }
    return devices;
}

QString SystemReport::text(const QString &screenFacts) const
{
    return kernelSection() + processorSection() + memorySection() + graphicsSection() + screenFacts;
}

bool SystemReport::write(const QString &path, const QString &screenFacts, QString *errorText) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        if (errorText)
            *errorText = file.errorString();
        return false;
    }
    const QByteArray content = text(screenFacts).toUtf8();
    if (file.write(content) != content.size() || !file.commit()) {
        if (errorText)
            *errorText = file.errorString();
        file.cancelWriting();
        return false;
    }
    return true;
}

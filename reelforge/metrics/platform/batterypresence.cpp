#include "metrics/platform/batterypresence.h"

#include <QDir>
#include <QFile>

namespace {

QString readLine(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    return QString::fromUtf8(file.readLine()).trimmed();
}

} // namespace

int batteryPresence(const QString &powerSupplyDir)
{
    QDir dir(powerSupplyDir);
    if (!dir.exists() || !dir.isReadable())
        return -1;
    const QStringList supplies = dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::System);
    for (const QString &supply : supplies) {
        const QString base = dir.filePath(supply) + QLatin1Char('/');
        if (readLine(base + QLatin1String("type")) != QLatin1String("Battery"))
            continue;
        if (readLine(base + QLatin1String("scope")) != QLatin1String("Device"))
            return 1;
    }
    return 0;
}

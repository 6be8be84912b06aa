#include "metrics/platform/osmachineid.h"

#include <QDebug>
#include <QDir>
#include <QFile>

namespace {

const char *const Candidates[] = {"etc/machine-id", "var/lib/dbus/machine-id"};

} // namespace

QString osMachineId(const QString &rootPath)
{
    const QDir root(rootPath);
    for (const char *candidate : Candidates) {
        QFile file(root.filePath(QLatin1String(candidate)));
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
            qDebug() << "Could not open" << file.fileName();
            continue;
        }
        const QString id = QString::fromLatin1(file.readLine()).trimmed();
        if (!id.isEmpty())
            return id;
        qDebug() << "Empty machine id in" << file.fileName();
    }
    return QString();
}

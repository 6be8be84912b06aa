#include "kelfileutils.h"

#include <QFile>

namespace KelUtils {

namespace {

QString asideName(const QString &path)
{
    const QString base = path + QLatin1String(".bad");
    QString target = base;
    for (int n = 2; QFile::exists(target); ++n)
        target = base + QLatin1Char('.') + QString::number(n);
    return target;
}

} // namespace

QString moveFileAside(const QString &path)
{
    const QString target = asideName(path);
    return QFile::rename(path, target) ? target : QString();
}

QString writeFileAside(const QString &path, const QByteArray &content)
{
    const QString target = asideName(path);
    QFile file(target);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return QString();
    if (file.write(content) != content.size() || !file.flush()) {
        file.remove();
        return QString();
    }
    return target;
}

} // namespace KelUtils

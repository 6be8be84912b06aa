#include "kelfileutils.h"

#include <QFile>

namespace KelUtils {

QString moveFileAside(const QString &path)
{
    const QString base = path + QLatin1String(".bad");
    QString target = base;
    for (int n = 2; QFile::exists(target); ++n)
        target = base + QLatin1Char('.') + QString::number(n);
    return QFile::rename(path, target) ? target : QString();
}

} // namespace KelUtils

#include "executablepath.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace KelPlatform {

QString executablePath()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationFilePath();
    // Asking QCoreApplication without an instance would log a warning, and
    // the logger calls this while it holds its file lock.
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
}

} // namespace KelPlatform

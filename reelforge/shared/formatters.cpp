#include "shared/formatters.h"

#include "core/mediatime.h"

#include <QCoreApplication>

namespace {

const QString Absent = QStringLiteral(" ");

} // namespace

QString compressionLevelName(int level)
{
    switch (level) {
    case 0:
        return QCoreApplication::translate("Combo_Compression", "Ultra low quality");
    case 1:
        return QCoreApplication::translate("Combo_Compression", "Low quality");
    case 2:
        return QCoreApplication::translate("Combo_Compression", "Medium quality");
    case 3:
        return QCoreApplication::translate("Combo_Compression", "High quality");
    case 4:
        return QCoreApplication::translate("Combo_Compression", "Ultra high quality");
    default:
        return QString();
    }
}

QString formatTime(const QTime &time)
{
    if (time.isNull())
        return Absent;
    return time.toString(Qt::TextDate);
}

QString formatDuration(qint64 duration)
{
    return formatTime(
            QTime::fromMSecsSinceStartOfDay(int(MediaTime::millisecondsFromTicks(duration))));
}

QString formatFileSize(qint64 bytes)
{
    static const char *const units[] = {QT_TRANSLATE_NOOP("Application", "B"),
                                        QT_TRANSLATE_NOOP("Application", "KB"),
                                        QT_TRANSLATE_NOOP("Application", "MB"),
                                        QT_TRANSLATE_NOOP("Application", "GB"),
                                        QT_TRANSLATE_NOOP("Application", "TB")};
    double size = double(bytes);
    int unit = 0;
    while (size >= 1024.0 && unit < 4) {
        size /= 1024.0;
        ++unit;
    }
    return QString::number(size, 'f', 1) + QCoreApplication::translate("Application", units[unit]);
}

QString formatResolution(const QSize &size)
{
    if (size.isEmpty())
        return Absent;
    return QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
}

QString formatNameUpper(const QString &format)
{
    if (format.isEmpty())
        return Absent;
    return format.toUpper();
}

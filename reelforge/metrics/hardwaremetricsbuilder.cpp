#include "metrics/hardwaremetricsbuilder.h"

#include "metrics/platform/batterypresence.h"
#include "metrics/platform/desktopcount.h"
#include "metrics/platform/osmachineid.h"
#include "metrics/platform/physicalmemory.h"
#include "metrics/platform/screendpi.h"
#include "metrics/platform/touchscreen.h"

#include <QCryptographicHash>
#include <QDebug>
#include <QGuiApplication>
#include <QScreen>
#include <QSysInfo>
#include <QUrl>

namespace {

const char MachineIdSalt[] = "Qv3rTzpl";

QString percentEncoded(const QString &text)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(text));
}

MetricEvent event(const QString &key, const QString &value)
{
    return MetricEvent{key, value, QString()};
}

MetricEvent event(const QString &key, qint64 value)
{
    return event(key, QString::number(value));
}

} // namespace

QList<MetricEvent> HardwareMetricsBuilder::build()
{
    QList<MetricEvent> events;
    events << event(QStringLiteral("osv"),
                    percentEncoded(QSysInfo::productType() + QSysInfo::productVersion()))
           << event(QStringLiteral("osk"), percentEncoded(QSysInfo::kernelVersion()))
           << event(QStringLiteral("osb"),
                    QSysInfo::currentCpuArchitecture() == QLatin1String("x86_64") ? 1 : 0);

    if (const QScreen *primary = QGuiApplication::primaryScreen()) {
        const QRect geometry = primary->geometry();
        events << event(QStringLiteral("rs"),
                        QStringLiteral("%1x%2").arg(geometry.width()).arg(geometry.height()));
        const int dpi = screenDpi(primary);
        qInfo() << "Screen DPI:" << dpi;
        events << event(QStringLiteral("scl"), dpi);
    }
    events << event(QStringLiteral("dis"), QGuiApplication::screens().size());

    const qint64 memory = physicalMemoryMiB();
    if (memory != 0)
        events << event(QStringLiteral("sram"), memory);

    events << event(QStringLiteral("laptop"), batteryPresence())
           << event(QStringLiteral("tchd"), touchScreenPresent())
           << event(QStringLiteral("osid"), getOSMachineId())
           << event(QStringLiteral("vdt"), desktopCount());
    return events;
}

QString getOSMachineId(const QString &rootPath)
{
    const QString salted = osMachineId(rootPath) + QLatin1String(MachineIdSalt);
    return QString::fromLatin1(
            QCryptographicHash::hash(salted.toUtf8(), QCryptographicHash::Md5).toHex());
}

#include "startup.h"

#include <metrics/metricsender.h>

#include <QDate>
#include <QDebug>
#include <QSettings>

bool Startup::crashReporterWithoutDialog(const QDate &today)
{
    return today < QDate(2023, 7, 2);
}

bool Startup::metricsConsent(const QSettings &store)
{
    const QString key = MetricSender::settingsKey();
    if (!store.contains(key)) {
        qWarning() << "send metrics not registry";
        return false;
    }
    bool converted = false;
    const int value = store.value(key).toInt(&converted);
    return converted && value == 1;
}

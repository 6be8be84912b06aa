#pragma once

#include <metrics/metricevent.h>

#include <QList>
#include <QString>
#include <QStringList>

class UsageStatistics;

// The event lists the program reports, built from what they are given.
namespace MetricEvents {

// "1" when an argument is exactly "--inst" or "-inst", else "0".
QString installFlag(const QStringList &arguments);

// The first run's report: the hardware facts, then ("frun", language,
// system locale) and ("rinst", install flag).
QList<MetricEvent> firstRunEvents(const QList<MetricEvent> &hardware, const QString &language,
                                  const QString &systemLocale, const QString &installFlag);
// A later run's report: ("lang", language).
QList<MetricEvent> laterRunEvents(const QString &language);

// 1000 to 4999 ms, scaled from a 32-bit random number.
int programDigestDelayMs(quint32 random);
// ("ha", the MD5 of the file as lower-case hexadecimal); false when the
// file cannot be read.
bool programDigestEvent(const QString &filePath, MetricEvent *event);

// The session report read from the usage counters.
QList<MetricEvent> sessionEvents(const UsageStatistics &statistics);

} // namespace MetricEvents

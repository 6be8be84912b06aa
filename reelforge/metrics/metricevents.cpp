#include "metrics/metricevents.h"

#include "metrics/usagestatistics.h"

#include <QCryptographicHash>
#include <QFile>

namespace {

constexpr int DigestDelayMinMs = 1000;
constexpr quint64 DigestDelaySpanMs = 4000;

MetricEvent count(const UsageStatistics &statistics, const char *category)
{
    const QString key = QLatin1String(category);
    return MetricEvent{key, QString::number(statistics.value(key)), QString()};
}

MetricEvent used(const UsageStatistics &statistics, const char *key, const char *category)
{
    const bool any = statistics.value(QLatin1String(category)) >= 1;
    return MetricEvent{QLatin1String(key), any ? QStringLiteral("1") : QStringLiteral("0"),
                       QString()};
}

MetricEvent top(const UsageStatistics &statistics, const char *key, const char *category)
{
    return MetricEvent{QLatin1String(key), statistics.topKey(QLatin1String(category)).first,
                       QString()};
}

} // namespace

namespace MetricEvents {

QString installFlag(const QStringList &arguments)
{
    const bool installed = arguments.contains(QLatin1String("--inst"))
            || arguments.contains(QLatin1String("-inst"));
    return installed ? QStringLiteral("1") : QStringLiteral("0");
}

QList<MetricEvent> firstRunEvents(const QList<MetricEvent> &hardware, const QString &language,
                                  const QString &systemLocale, const QString &installFlag)
{
    QList<MetricEvent> events = hardware;
    events << MetricEvent{QStringLiteral("frun"), language, systemLocale}
           << MetricEvent{QStringLiteral("rinst"), installFlag, QString()};
    return events;
}

QList<MetricEvent> laterRunEvents(const QString &language)
{
    return {MetricEvent{QStringLiteral("lang"), language, QString()}};
}

int programDigestDelayMs(quint32 random)
{
    return DigestDelayMinMs + int((quint64(random) * DigestDelaySpanMs) >> 32);
}

bool programDigestEvent(const QString &filePath, MetricEvent *event)
{
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QCryptographicHash hash(QCryptographicHash::Md5);
    if (!hash.addData(&file))
        return false;
    *event = MetricEvent{QStringLiteral("ha"), QString::fromLatin1(hash.result().toHex()),
                         QString()};
    return true;
}

QList<MetricEvent> sessionEvents(const UsageStatistics &statistics)
{
    QList<MetricEvent> events;
    for (const char *category : {"imp0", "imp1", "imp2", "fsmax", "fsmin", "fdmax", "fdmin"})
        events << count(statistics, category);
    events << top(statistics, "video", "vcodec") << top(statistics, "audio", "acodec");
    for (const char *category : {"cancel", "sstart", "smax"})
        events << count(statistics, category);
    events << used(statistics, "used1", "useTrim") << used(statistics, "used2", "useWatermark")
           << used(statistics, "used3", "useSubtitles")
           << top(statistics, "used4", "qualitySettings");
    return events;
}

} // namespace MetricEvents

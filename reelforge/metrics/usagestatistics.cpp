#include "metrics/usagestatistics.h"

#include <QHash>
#include <QReadWriteLock>

#include <limits>

class UsageStatistics::Private
{
public:
    mutable QReadWriteLock lock;
    QHash<QString, QHash<QString, qint64>> counts;
};

UsageStatistics::UsageStatistics() : d(std::make_unique<Private>()) { }

UsageStatistics::~UsageStatistics() = default;

void UsageStatistics::add(const QString &category, const QString &key)
{
    QWriteLocker locker(&d->lock);
    ++d->counts[category][key];
}

qint64 UsageStatistics::updateMax(const QString &category, qint64 value, const QString &key)
{
    QWriteLocker locker(&d->lock);
    QHash<QString, qint64> &keys = d->counts[category];
    const auto it = keys.find(key);
    if (it != keys.end() && *it >= value)
        return *it;
    keys.insert(key, value);
    return value;
}

qint64 UsageStatistics::updateMin(const QString &category, qint64 value, const QString &key)
{
    QWriteLocker locker(&d->lock);
    QHash<QString, qint64> &keys = d->counts[category];
    const auto it = keys.find(key);
    if (it != keys.end() && *it <= value)
        return *it;
    keys.insert(key, value);
    return value;
}

qint64 UsageStatistics::value(const QString &category, const QString &key) const
{
    QReadLocker locker(&d->lock);
    return d->counts.value(category).value(key, 0);
}

QPair<QString, qint64> UsageStatistics::topKey(const QString &category) const
{
    QReadLocker locker(&d->lock);
    QPair<QString, qint64> top(QString(), std::numeric_limits<qint64>::min());
    const QHash<QString, qint64> keys = d->counts.value(category);
    bool first = true;
    for (auto it = keys.cbegin(); it != keys.cend(); ++it) {
        if (first || it.value() > top.second) {
            top = qMakePair(it.key(), it.value());
            first = false;
        }
    }
    return top;
}

void UsageStatistics::clear()
{
    QWriteLocker locker(&d->lock);
    d->counts.clear();
}

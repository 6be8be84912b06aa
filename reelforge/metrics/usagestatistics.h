#pragma once

#include <QPair>
#include <QString>

#include <memory>

// Usage counters by category and key for the session report. Every
// operation may be called from any thread; one read-write lock guards all
// counters for the whole of each call.
class UsageStatistics
{
public:
    UsageStatistics();
    ~UsageStatistics();

    void add(const QString &category, const QString &key = QString());
    qint64 updateMax(const QString &category, qint64 value, const QString &key = QString());
    qint64 updateMin(const QString &category, qint64 value, const QString &key = QString());
    qint64 value(const QString &category, const QString &key = QString()) const;
    // The key with the highest count; among equal counts the one met first
    // in the category's iteration order.
    QPair<QString, qint64> topKey(const QString &category) const;
    void clear();

private:
    class Private;
    std::unique_ptr<Private> d;
};

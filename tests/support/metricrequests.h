#pragma once

#include <QRegularExpression>
#include <QStringList>
#include <QUrl>

// The usage events, "key:value:extra", that the metric sender put into the
// targets of its requests to a test server.
inline QStringList metricEvents(const QStringList &requests)
{
    QStringList events;
    static const QRegularExpression event(QStringLiteral("&m\\d+=([^&]*)"));
    for (const QString &request : requests) {
        auto it = event.globalMatch(request);
        while (it.hasNext())
            events << QUrl::fromPercentEncoding(it.next().captured(1).toUtf8());
    }
    return events;
}

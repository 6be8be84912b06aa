#pragma once

#include "metrics/metricevent.h"

#include <QList>
#include <QString>

// Queues anonymous usage events and sends them in batches as HTTP GET
// requests. A process-wide singleton reached through static functions; the
// functions that queue events may be called from any thread, while the timer
// and the network access live on the application's main thread.
class MetricSender
{
public:
    // Uses the metrics server address chosen at build time; when none was
    // chosen, nothing is ever sent.
    static void init(const QString &deviceId, const QString &productId, const QString &version,
                     bool enabled);
    // baseUrl: the server's base address, empty for none. tickInterval: the
    // idle and retry period of the send timer in ms.
    static void init(const QString &deviceId, const QString &productId, const QString &version,
                     bool enabled, const QString &baseUrl, int tickInterval = 5000);

    static void send(const QString &key, const QString &value, const QString &extra = QString());
    static void sendValue(const QString &key, int value);
    static void queueEvents(const QList<MetricEvent> &events);

    static void setEnabled(bool enabled);
    static bool isEnabled();
    static QString settingsKey();

    // Sends what is pending now, then waits for the reply for at most
    // maxRounds rounds of 50 ms. Call it on the main thread.
    static void flush(int maxRounds = 100);

    class Private;

private:
    MetricSender() = delete;
};

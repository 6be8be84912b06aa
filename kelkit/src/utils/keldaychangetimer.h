#pragma once

#include <QDateTime>
#include <QObject>
#include <QTimer>

#include <functional>

// Fires dayChanged() at 00:01 local time of every next day. The clock is
// the system's unless one is given. GUI thread only.
class KelDayChangeTimer : public QObject
{
    Q_OBJECT

public:
    using Clock = std::function<QDateTime()>;

    explicit KelDayChangeTimer(QObject *parent = nullptr, Clock clock = Clock());

    // How long from now until 00:01 of the next day.
    static qint64 msecsToNextDayChange(const QDateTime &now);

signals:
    void dayChanged();

private:
    void arm();

    Clock m_clock;
    QTimer m_timer;
};

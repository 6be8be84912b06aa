#pragma once

#include "platform/systempower.h"

#include <QDBusConnection>

// SystemPower through systemd-logind's manager object: Suspend and PowerOff,
// neither interactive, each waiting a bounded time for the answer. Production
// gives it the system bus.
class LogindPower : public SystemPower
{
public:
    explicit LogindPower(const QDBusConnection &bus, int timeoutMs = 25000);
    ~LogindPower() override;

    bool suspend(QString *errorText) override;
    bool powerOff(QString *errorText) override;

private:
    bool callManager(const QString &method, QString *errorText);

    QDBusConnection m_bus;
    int m_timeoutMs;
};

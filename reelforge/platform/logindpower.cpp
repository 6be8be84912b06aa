#include "platform/logindpower.h"

#include <QDBusError>
#include <QDBusMessage>

namespace {

const QString Service = QStringLiteral("org.freedesktop.login1");
const QString ObjectPath = QStringLiteral("/org/freedesktop/login1");
const QString Interface = QStringLiteral("org.freedesktop.login1.Manager");

} // namespace

LogindPower::LogindPower(const QDBusConnection &bus, int timeoutMs)
    : m_bus(bus), m_timeoutMs(timeoutMs)
{ }

LogindPower::~LogindPower() = default;

bool LogindPower::suspend(QString *errorText)
{
    return callManager(QStringLiteral("Suspend"), errorText);
}

bool LogindPower::powerOff(QString *errorText)
{
    return callManager(QStringLiteral("PowerOff"), errorText);
}

bool LogindPower::callManager(const QString &method, QString *errorText)
{
    if (!m_bus.isConnected()) {
        if (errorText)
            *errorText = QStringLiteral("No connection to the bus: %1")
                                 .arg(m_bus.lastError().message());
        return false;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(Service, ObjectPath, Interface, method);
    // false: no interactive authorisation; the request is made for the user.
    call << false;
    const QDBusMessage reply = m_bus.call(call, QDBus::Block, m_timeoutMs);
    if (reply.type() == QDBusMessage::ReplyMessage)
        return true;
    if (errorText)
        *errorText = QStringLiteral("%1 (%2)").arg(reply.errorMessage(), reply.errorName());
    return false;
}

#include "fakelogin1.h"

#include <QDBusError>

namespace {

const QString ServiceName = QStringLiteral("org.freedesktop.login1");
const QString ObjectPath = QStringLiteral("/org/freedesktop/login1");
const QString ConnectionName = QStringLiteral("fake-login1");

} // namespace

const QString FakeLogin1Service::DeniedText = QStringLiteral("Access denied by the test");

QStringList FakeLogin1Manager::calls() const
{
    QMutexLocker lock(&m_mutex);
    return m_calls;
}

void FakeLogin1Manager::setDenied(bool denied)
{
    QMutexLocker lock(&m_mutex);
    m_denied = denied;
}

void FakeLogin1Manager::Suspend(bool interactive)
{
    record(QStringLiteral("Suspend"), interactive);
}

void FakeLogin1Manager::PowerOff(bool interactive)
{
    record(QStringLiteral("PowerOff"), interactive);
}

void FakeLogin1Manager::record(const QString &method, bool interactive)
{
    const QString call = QStringLiteral("%1(%2)").arg(method,
                                                      interactive ? QStringLiteral("true")
                                                                  : QStringLiteral("false"));
    bool denied = false;
    {
        QMutexLocker lock(&m_mutex);
        m_calls.append(call);
        denied = m_denied;
    }
    if (denied)
        sendErrorReply(QDBusError::AccessDenied, FakeLogin1Service::DeniedText);
    emit called(call);
}

FakeLogin1Service::FakeLogin1Service()
    : m_bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, ConnectionName))
{
    m_thread.start();
    m_manager.moveToThread(&m_thread);
    m_ok = m_bus.registerObject(ObjectPath, &m_manager, QDBusConnection::ExportAllSlots)
            && m_bus.registerService(ServiceName);
}

FakeLogin1Service::~FakeLogin1Service()
{
    m_bus.unregisterService(ServiceName);
    m_bus.unregisterObject(ObjectPath);
    QDBusConnection::disconnectFromBus(ConnectionName);
    m_thread.quit();
    m_thread.wait();
}

bool FakeLogin1Service::isRegistered() const
{
    return m_ok;
}

FakeLogin1Manager &FakeLogin1Service::manager()
{
    return m_manager;
}

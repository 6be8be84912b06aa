#include "fakefilemanager.h"

namespace {

const QString ObjectPath = QStringLiteral("/org/freedesktop/FileManager1");
const QString ConnectionName = QStringLiteral("fake");

} // namespace

QStringList FakeFileManager::shown() const
{
    QMutexLocker lock(&m_mutex);
    return m_shown;
}

void FakeFileManager::ShowItems(const QStringList &uris, const QString &)
{
    QMutexLocker lock(&m_mutex);
    m_shown += uris;
}

FakeFileManagerService::FakeFileManagerService()
    : m_bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, ConnectionName))
{
    m_thread.start();
    m_manager.moveToThread(&m_thread);
    m_ok = m_bus.registerObject(ObjectPath, &m_manager, QDBusConnection::ExportAllSlots)
            && m_bus.registerService(serviceName());
}

FakeFileManagerService::~FakeFileManagerService()
{
    m_bus.unregisterService(serviceName());
    m_bus.unregisterObject(ObjectPath);
    QDBusConnection::disconnectFromBus(ConnectionName);
    m_thread.quit();
    m_thread.wait();
}

QString FakeFileManagerService::serviceName()
{
    return QStringLiteral("org.freedesktop.FileManager1");
}

bool FakeFileManagerService::isRegistered() const
{
    return m_ok;
}

QStringList FakeFileManagerService::shown() const
{
    return m_manager.shown();
}

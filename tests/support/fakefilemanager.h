#pragma once

#include <QDBusConnection>
#include <QMutex>
#include <QObject>
#include <QStringList>
#include <QThread>

// The file manager's side of org.freedesktop.FileManager1.ShowItems, served
// from a thread of its own, as the GUI thread waits for the answer. Use it
// on a private session bus only (privatesessionbus.h).
class FakeFileManager : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")

public:
    QStringList shown() const;

public slots:
    void ShowItems(const QStringList &uris, const QString &startupId);

private:
    mutable QMutex m_mutex;
    QStringList m_shown;
};

// Owns the file manager's service name on a connection of its own while it
// lives.
class FakeFileManagerService
{
public:
    FakeFileManagerService();
    ~FakeFileManagerService();

    FakeFileManagerService(const FakeFileManagerService &) = delete;
    FakeFileManagerService &operator=(const FakeFileManagerService &) = delete;

    static QString serviceName();

    bool isRegistered() const;
    // The URIs received, in order.
    QStringList shown() const;

private:
    QDBusConnection m_bus;
    QThread m_thread;
    FakeFileManager m_manager;
    bool m_ok = false;
};

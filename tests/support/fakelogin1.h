#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QMutex>
#include <QObject>
#include <QStringList>
#include <QThread>

// The power methods of org.freedesktop.login1.Manager, served from a thread
// of its own, as the caller blocks for the answer. Records every call as
// "Method(argument)". Use it on a private session bus only
// (privatesessionbus.h).
class FakeLogin1Manager : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")

public:
    QStringList calls() const;
    // Answers every later call with org.freedesktop.DBus.Error.AccessDenied.
    void setDenied(bool denied);

public slots:
    void Suspend(bool interactive);
    void PowerOff(bool interactive);

signals:
    void called(const QString &call);

private:
    void record(const QString &method, bool interactive);

    mutable QMutex m_mutex;
    QStringList m_calls;
    bool m_denied = false;
};

// Owns the name org.freedesktop.login1 on a connection of its own while it
// lives.
class FakeLogin1Service
{
public:
    static const QString DeniedText;

    FakeLogin1Service();
    ~FakeLogin1Service();

    FakeLogin1Service(const FakeLogin1Service &) = delete;
    FakeLogin1Service &operator=(const FakeLogin1Service &) = delete;

    bool isRegistered() const;
    FakeLogin1Manager &manager();

private:
    QDBusConnection m_bus;
    QThread m_thread;
    FakeLogin1Manager m_manager;
    bool m_ok = false;
};

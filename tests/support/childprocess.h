#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>

#include <sys/types.h>

// The id of a child of this process whose command name is comm, or 0: for
// processes that the code under test starts and keeps to itself.
inline pid_t childProcessNamed(const QByteArray &comm)
{
    const auto readFile = [](const QString &path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    const QStringList tasks = QDir(QStringLiteral("/proc/self/task"))
                                      .entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &tid : tasks) {
        const QByteArray children = readFile(QStringLiteral("/proc/self/task/%1/children").arg(tid))
                                            .trimmed();
        for (const QByteArray &pid : children.split(' ')) {
            if (!pid.isEmpty()
                && readFile(QStringLiteral("/proc/%1/comm").arg(QString::fromLatin1(pid))).trimmed()
                        == comm)
                return pid_t(pid.toInt());
        }
    }
    return 0;
}

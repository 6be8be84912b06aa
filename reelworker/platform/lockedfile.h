#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

// A file that one process holds locked for as long as it keeps it open; the
// system drops the lock when the process ends, however it ends. Another
// process tells an abandoned file from a held one by trying the lock.
class LockedFile
{
public:
    ~LockedFile();

    LockedFile(const LockedFile &) = delete;
    LockedFile &operator=(const LockedFile &) = delete;

    // Creates the file, locked; it appears under its name only once locked.
    // Null when it cannot be made.
    static std::unique_ptr<LockedFile> create(const QString &path);
    // Locks an existing file that no process holds; null when one does or
    // when it cannot be opened.
    static std::unique_ptr<LockedFile> takeAbandoned(const QString &path);

    bool append(const QByteArray &bytes);
    QByteArray readAll();
    // Removes the file from its folder; the lock ends when this object does.
    bool remove();

private:
    LockedFile(int descriptor, const QString &path);

    int m_descriptor;
    QString m_path;
};

#pragma once

#include <QString>

// Keeps hold of a file just written to, so that it can later be told whether
// a path still names that very file (same device and inode; the same volume
// and file index on other systems) and how large it is. Holding the file
// keeps its identity from passing to a new file while it is checked.
class WrittenFile
{
public:
    WrittenFile();
    ~WrittenFile();

    WrittenFile(const WrittenFile &) = delete;
    WrittenFile &operator=(const WrittenFile &) = delete;

    // Takes hold of the file the path names now; false when it cannot be opened.
    bool hold(const QString &path);
    void release();
    bool isHeld() const;

    // Whether the path names the held file now.
    bool isNamedBy(const QString &path) const;
    // The held file's size in bytes, -1 when none is held.
    qint64 size() const;

private:
    int m_fd = -1;
};

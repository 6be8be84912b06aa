#include "core/platform/writtenfile.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

WrittenFile::WrittenFile() = default;

WrittenFile::~WrittenFile()
{
    release();
}

bool WrittenFile::hold(const QString &path)
{
    release();
    m_fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    return m_fd >= 0;
}

void WrittenFile::release()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

bool WrittenFile::isHeld() const
{
    return m_fd >= 0;
}

bool WrittenFile::isNamedBy(const QString &path) const
{
    struct stat held = {};
    struct stat named = {};
    if (m_fd < 0 || ::fstat(m_fd, &held) != 0
        || ::stat(QFile::encodeName(path).constData(), &named) != 0)
        return false;
    return held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

qint64 WrittenFile::size() const
{
    struct stat held = {};
    if (m_fd < 0 || ::fstat(m_fd, &held) != 0)
        return -1;
    return qint64(held.st_size);
}

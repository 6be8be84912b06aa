#include "exclusiverename.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool failed(QString *error, int code)
{
    if (error)
        *error = QString::fromLocal8Bit(std::strerror(code));
    return false;
}

// Errors that say the filesystem lacks the operation, not that it failed.
bool isUnsupported(int code)
{
    return code == EINVAL || code == ENOSYS || code == EOPNOTSUPP || code == EPERM;
}

} // namespace

bool renameExclusive(const QString &from, const QString &to, QString *error)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE)
        == 0)
        return true;
    if (!isUnsupported(errno))
        return failed(error, errno);

    // Without the flag, a hard link refuses an existing name just as surely.
    if (::link(source.constData(), target.constData()) == 0) {
        ::unlink(source.constData());
        return true;
    }
    if (!isUnsupported(errno))
        return failed(error, errno);

    // A filesystem with neither (some network and FUSE ones): look first,
    // leaving only the moment between the look and the move.
    struct stat existing = {};
    if (::lstat(target.constData(), &existing) == 0)
        return failed(error, EEXIST);
    if (::rename(source.constData(), target.constData()) == 0)
        return true;
    return failed(error, errno);
}

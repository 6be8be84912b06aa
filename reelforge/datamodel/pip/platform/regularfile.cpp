#include "regularfile.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::unique_ptr<QFile> refused(QString *why, const QString &reason)
{
    if (why)
        *why = reason;
    return nullptr;
}

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

std::unique_ptr<QFile> openRegularFile(const QString &path, qint64 maxBytes, QString *why)
{
    if (path.isEmpty())
        return refused(why, QStringLiteral("no file name"));
    // Non-blocking, so that opening a FIFO does not wait for a writer.
    const int descriptor = ::open(QFile::encodeName(path).constData(),
                                  O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (descriptor < 0)
        return refused(why, systemError());

    struct stat status = {};
    if (::fstat(descriptor, &status) != 0) {
        const QString error = systemError();
        ::close(descriptor);
        return refused(why, error);
    }
    if (!S_ISREG(status.st_mode)) {
        ::close(descriptor);
        return refused(why, QStringLiteral("not a regular file"));
    }
    if (status.st_size > maxBytes) {
        ::close(descriptor);
        return refused(why,
                       QStringLiteral("%1 bytes, more than the %2 allowed")
                               .arg(qint64(status.st_size))
                               .arg(maxBytes));
    }
    // Reads of a regular file never block; clear the flag all the same.
    ::fcntl(descriptor, F_SETFL, ::fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);

    auto file = std::make_unique<QFile>();
    if (!file->open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        return refused(why, file->errorString());
    return file;
}

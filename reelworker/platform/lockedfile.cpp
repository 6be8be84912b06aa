#include "lockedfile.h"

#include <QFile>

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

// flock() locks belong to the open file, so they go with the last
// descriptor of the process, at its end too.
bool tryLock(int descriptor)
{
    int result = 0;
    do {
        result = ::flock(descriptor, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    return result == 0;
}

} // namespace

LockedFile::LockedFile(int descriptor, const QString &path) : m_descriptor(descriptor), m_path(path)
{ }

LockedFile::~LockedFile()
{
    ::close(m_descriptor);
}

std::unique_ptr<LockedFile> LockedFile::create(const QString &path)
{
    // Made under a name of its own and renamed once locked, so that no other
    // process can find it unlocked and take it for abandoned.
    const QByteArray target = QFile::encodeName(path);
    QByteArray draft = target + ".XXXXXX";
    const int descriptor = ::mkstemp(draft.data());
    if (descriptor < 0)
        return nullptr;
    if (!tryLock(descriptor) || ::rename(draft.constData(), target.constData()) != 0) {
        ::unlink(draft.constData());
        ::close(descriptor);
        return nullptr;
    }
    ::fcntl(descriptor, F_SETFD, FD_CLOEXEC);
    return std::unique_ptr<LockedFile>(new LockedFile(descriptor, path));
}

std::unique_ptr<LockedFile> LockedFile::takeAbandoned(const QString &path)
{
    const int descriptor = ::open(QFile::encodeName(path).constData(),
                                  O_RDWR | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (descriptor < 0)
        return nullptr;
    if (!tryLock(descriptor)) {
        ::close(descriptor);
        return nullptr;
    }
    return std::unique_ptr<LockedFile>(new LockedFile(descriptor, path));
}

bool LockedFile::append(const QByteArray &bytes)
{
    if (::lseek(m_descriptor, 0, SEEK_END) < 0)
        return false;
    qint64 written = 0;
    while (written < bytes.size()) {
        const ssize_t result = ::write(m_descriptor, bytes.constData() + written,
                                       size_t(bytes.size() - written));
        if (result < 0 && errno == EINTR)
            continue;
        if (result <= 0)
            return false;
        written += result;
    }
    return true;
}

QByteArray LockedFile::readAll()
{
    QByteArray bytes;
    if (::lseek(m_descriptor, 0, SEEK_SET) < 0)
        return bytes;
    char buffer[4096];
    for (;;) {
        const ssize_t result = ::read(m_descriptor, buffer, sizeof buffer);
        if (result < 0 && errno == EINTR)
            continue;
        if (result <= 0)
            break;
        bytes.append(buffer, int(result));
    }
    return bytes;
}

bool LockedFile::remove()
{
    return ::unlink(QFile::encodeName(m_path).constData()) == 0;
}

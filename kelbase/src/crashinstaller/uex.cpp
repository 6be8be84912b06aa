#include "uex.h"

#include <QFile>
#include <QFileInfo>
#include <QtDebug>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

const char OpenFailed[] = "Can't open crash attribute file!!!";
const char WriteFailed[] = "Can't write crash attribute file!!!";

// Async-signal-safe; returns the failure message or null.
const char *writeState(const char *nativePath, uex::State state)
{
    const int fd = ::open(nativePath, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        return OpenFailed;
    const char byte = static_cast<char>(state);
    ssize_t written;
    do {
        written = ::write(fd, &byte, 1);
    } while (written < 0 && errno == EINTR);
    const bool closed = ::close(fd) == 0;
    return written == 1 && closed ? nullptr : WriteFailed;
}

} // namespace

uex::State uex::init(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::Unbuffered))
        return CleanExit;
    char previous = 0;
    if (file.size() > 0 && !file.getChar(&previous))
        previous = 0;
    const char running = static_cast<char>(Running);
    // The file holds exactly one byte; anything after it goes.
    if (!file.seek(0) || file.write(&running, 1) != 1 || !file.resize(1))
        qWarning() << WriteFailed;
    return static_cast<State>(previous);
}

void uex::finish(const QString &path)
{
    if (!QFileInfo::exists(path))
        return;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
        qWarning() << OpenFailed;
        return;
    }
    const char clean = static_cast<char>(CleanExit);
    if (file.write(&clean, 1) != 1)
        qWarning() << WriteFailed;
}

void uex::update(const QString &path, State state)
{
    if (const char *failure = writeState(QFile::encodeName(path).constData(), state))
        qCritical() << failure;
}

void uex::update(const char *nativePath, State state)
{
    if (const char *failure = writeState(nativePath, state)) {
        const ssize_t ignored [[maybe_unused]] = ::write(STDERR_FILENO, failure,
                                                         std::strlen(failure));
        const ssize_t ignoredEnd [[maybe_unused]] = ::write(STDERR_FILENO, "\n", 1);
    }
}

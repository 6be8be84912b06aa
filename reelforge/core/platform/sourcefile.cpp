#include "core/platform/sourcefile.h"

#include <QCoreApplication>
#include <QFile>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString refused(int code, const char *text, int *error)
{
    if (error)
        *error = -code;
    return QCoreApplication::translate("SourceFile", text);
}

QString systemError(int code, int *error)
{
    if (error)
        *error = -code;
    return QString::fromLocal8Bit(std::strerror(code));
}

QString accessProblem(int code, int *error)
{
    switch (code) {
    case ENOENT:
    case ENOTDIR:
        return refused(code, QT_TRANSLATE_NOOP("SourceFile", "the file does not exist"), error);
    case EACCES:
    case EPERM:
        return refused(code, QT_TRANSLATE_NOOP("SourceFile", "no permission to read the file"),
                       error);
    default:
        return systemError(code, error);
    }
}

// Only the kind of file is looked at here: opening a device may act on it.
QString kindProblem(mode_t mode, int *error)
{
    if (S_ISREG(mode))
        return QString();
    if (S_ISDIR(mode))
        return refused(EISDIR, QT_TRANSLATE_NOOP("SourceFile", "a folder, not a file"), error);
    if (S_ISFIFO(mode))
        return refused(EINVAL, QT_TRANSLATE_NOOP("SourceFile", "a pipe, not a file"), error);
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return refused(ENODEV, QT_TRANSLATE_NOOP("SourceFile", "a device, not a file"), error);
    if (S_ISSOCK(mode))
        return refused(EINVAL, QT_TRANSLATE_NOOP("SourceFile", "a socket, not a file"), error);
    return refused(EINVAL, QT_TRANSLATE_NOOP("SourceFile", "not a regular file"), error);
}

} // namespace

QString SourceFile::problem(const QString &path, int *error)
{
    if (error)
        *error = 0;
    if (path.isEmpty())
        return refused(ENOENT, QT_TRANSLATE_NOOP("SourceFile", "the file does not exist"), error);
    const QByteArray name = QFile::encodeName(path);

    struct stat status = {};
    if (::stat(name.constData(), &status) != 0)
        return accessProblem(errno, error);
    QString problem = kindProblem(status.st_mode, error);
    if (!problem.isEmpty())
        return problem;

    // Readability is what an open says, whoever the process runs as. The
    // name may have been swapped for a pipe since the stat, which must not
    // make this open wait for a writer.
    const int descriptor = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (descriptor < 0)
        return accessProblem(errno, error);
    if (::fstat(descriptor, &status) != 0)
        problem = systemError(errno, error);
    else
        problem = kindProblem(status.st_mode, error);
    ::close(descriptor);
    return problem;
}

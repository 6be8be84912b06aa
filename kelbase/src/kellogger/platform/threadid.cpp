#include "threadid.h"

#include <sys/syscall.h>
#include <unistd.h>

namespace KelPlatform {

qint64 currentThreadId()
{
    return qint64(::syscall(SYS_gettid));
}

} // namespace KelPlatform

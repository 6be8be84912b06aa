#include "metrics/platform/physicalmemory.h"

#include <sys/sysinfo.h>

qint64 physicalMemoryMiB()
{
    struct sysinfo info = {};
    if (sysinfo(&info) != 0)
        return 0;
    const quint64 bytes = quint64(info.totalram) * info.mem_unit;
    return qint64(bytes / (1024 * 1024));
}

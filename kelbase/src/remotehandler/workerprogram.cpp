#include "workerprogram.h"

namespace WorkerProgram {

QString fileName()
{
#ifdef Q_OS_WIN
    return QStringLiteral("reelworker.exe");
#else
    return QStringLiteral("reelworker");
#endif
}

} // namespace WorkerProgram

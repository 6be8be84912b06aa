#include "debugoutput.h"

#include <cstdio>

namespace KelPlatform {

void writeDebugOutput(const QString &text)
{
    // One fwrite per line: stdio locks the stream for the call, so lines of
    // different threads stay whole.
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

} // namespace KelPlatform

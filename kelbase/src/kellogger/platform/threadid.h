#pragma once

#include <QtGlobal>

namespace KelPlatform {

// The operating system's id of the calling thread, as tools like top show it.
qint64 currentThreadId();

} // namespace KelPlatform

#pragma once

#include <QString>

namespace KelPlatform {

// Echoes one finished log line (line end included) to the developer's
// console; safe to call from any thread.
void writeDebugOutput(const QString &text);

} // namespace KelPlatform

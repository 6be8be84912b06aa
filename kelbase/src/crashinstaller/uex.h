#pragma once

#include <QString>

// The one-byte crash-attribute file that records how a run ended.
namespace uex {

enum State : qint8 {
    CleanExit = 0,
    Running = 1,
    Crashed = 2,
};

// Rewrites the file with the state as its only byte.
void update(const QString &path, State state);

// The same for a crash handler: only open(2), write(2) and close(2), with
// failures reported on standard error.
void update(const char *nativePath, State state);

} // namespace uex

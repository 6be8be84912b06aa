#pragma once

#include <QString>

// The one-byte crash-attribute file that records how a run ended.
namespace uex {

enum State : qint8 {
    CleanExit = 0,
    Running = 1,
    Crashed = 2,
};

// Marks a run as started: returns the state the previous run left (its
// first byte, taken as signed; 0 for a missing or empty file) and leaves
// Running as the file's only byte. A file that cannot be opened gives
// CleanExit and is neither written nor reported.
State init(const QString &path);

// Marks the clean end of a run in a file that exists; a missing file is not
// made again. Failures are logged as warnings.
void finish(const QString &path);

// Rewrites the file with the state as its only byte.
void update(const QString &path, State state);

// The same for a crash handler: only open(2), write(2) and close(2), with
// failures reported on standard error.
void update(const char *nativePath, State state);

} // namespace uex

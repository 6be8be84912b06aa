#pragma once

#include <QString>

// Tells whether a path names a media source that can be opened without
// waiting for good: a regular file this process may read. A pipe, a device
// or a socket may block an open or a read until some other process acts,
// and a folder is no medium; each is refused before any open of it.
class SourceFile
{
public:
    // Empty when the path names a readable regular file; otherwise why not,
    // in words for a log line or the user, with the matching negative errno
    // value (which is FFmpeg's error code for it) in error when asked.
    static QString problem(const QString &path, int *error = nullptr);
};

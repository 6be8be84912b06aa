#pragma once

#include <QString>

// File helpers of the framework.
namespace KelUtils {

// Renames a file that could not be read out of the way, so that the program
// can start afresh without destroying it: "name.bad", or "name.bad.2",
// "name.bad.3", ... when earlier ones exist. Returns the new path, or an
// empty string when the file could not be renamed.
QString moveFileAside(const QString &path);

// Keeps a copy of a file's content beside it, under the name moveFileAside
// would choose, before the program replaces a file it could read only in
// part. Returns the copy's path, or an empty string when it was not written.
QString writeFileAside(const QString &path, const QByteArray &content);

} // namespace KelUtils

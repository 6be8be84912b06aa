#pragma once

#include <QFile>
#include <QString>

#include <memory>

// Opens a file for reading only when it is a regular file of at most
// maxBytes: never a device, a pipe or a socket, whose reads may block for
// good or never end. The test is made on the opened file, so a name swapped
// in between cannot slip past it, and opening never waits for a writer.
// Null, with the reason in why, when the file is refused or cannot be opened.
std::unique_ptr<QFile> openRegularFile(const QString &path, qint64 maxBytes, QString *why);

#pragma once

#include <QString>

// Moves a file onto a new name in the same folder, but never over a file,
// a link or a folder that has that name already, however late it appeared.
// False, with the system's reason in error, when the file was not moved.
bool renameExclusive(const QString &from, const QString &to, QString *error);

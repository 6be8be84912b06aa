#pragma once

#include <QString>

// The system's machine identifier: etc/machine-id below rootPath, else
// var/lib/dbus/machine-id; empty when neither can be read.
QString osMachineId(const QString &rootPath = QStringLiteral("/"));

#pragma once

#include <QtGlobal>

// The installed memory in MiB; 0 when the system does not tell.
qint64 physicalMemoryMiB();

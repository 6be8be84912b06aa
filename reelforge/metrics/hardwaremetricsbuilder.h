#pragma once

#include <metrics/metricevent.h>

#include <QList>
#include <QString>

// The hardware and system facts of the first-run report, in their fixed
// order: "osv", "osk", "osb", "rs" and "scl" (with a primary screen),
// "dis", "sram" (when known), "laptop", "tchd", "osid", "vdt". GUI thread.
class HardwareMetricsBuilder
{
public:
    static QList<MetricEvent> build();
};

// The MD5 of the system's machine identifier with the program's salt, as
// lower-case hexadecimal; computed over the salt alone when no identifier
// can be read, so the value is never empty.
QString getOSMachineId(const QString &rootPath = QStringLiteral("/"));

#pragma once

#include <QString>

class DataExchangeSvc;
class FormatTables;
class UsageStatistics;

// The few services of the application object that the data model and the
// worker link use. The application fills them once at start-up, before any
// queue item or link exists; tests fill them themselves. A service left
// unset reads as absent: no default encoders, no usage counting, the worker
// beside the running program, an empty settings file name.
struct AppServices
{
    const FormatTables *formatTables = nullptr;
    UsageStatistics *usageStatistics = nullptr;
    // Full path of the worker executable; empty means the one beside the
    // running program.
    QString workerProgram;
    QString settingsFileName;
    // The worker link, created and started by the application before the
    // queue; the queue sends through it and follows its reports.
    DataExchangeSvc *dataExchangeSvc = nullptr;
};

AppServices &appServices();

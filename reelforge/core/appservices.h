#pragma once

#include <QString>

#include <functional>

class DataExchangeSvc;
class FormatTables;
class UsageStatistics;

// The few services of the application object that the data model and the
// worker link use. The application fills them once at start-up, before any
// queue item or link exists; tests fill them themselves. A service left
// unset reads as absent: no default encoders, no usage counting, the worker
// beside the running program, an empty settings file name, no worker link.
struct AppServices
{
    const FormatTables *formatTables = nullptr;
    UsageStatistics *usageStatistics = nullptr;
    // Full path of the worker executable; empty means the one beside the
    // running program.
    QString workerProgram;
    QString settingsFileName;
    // Answers the worker link, which the application creates on first use
    // (starting the worker); null when no link can be had. The queue asks
    // for it when it is built, follows its reports from the first answer on,
    // and asks again for every message it sends.
    std::function<DataExchangeSvc *()> dataExchangeSvc;
};

AppServices &appServices();

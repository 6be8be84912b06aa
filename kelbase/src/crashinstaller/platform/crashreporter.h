#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// The process's crash handler. On SIGSEGV, SIGBUS, SIGFPE, SIGILL or SIGABRT
// it runs on an alternate signal stack, calls the crash callback, writes a
// report folder "crash_<UTC time>_<pid>" (backtrace.txt, properties.txt,
// files.txt, copies of the attached files and, in "logs", of the newest log
// files), then restores the default action and re-raises the signal.
// Everything the handler needs is prepared by install() and setContents();
// at the fault it only does async-signal-safe work.
namespace CrashReporter {

enum Flag : unsigned {
    // Say nothing on standard error about the report.
    NoDialog = 0x2000,
};

struct InstallInfo
{
    QString appName;
    QString appVersion;
    QString reportFolder; // holds the report folders; made when missing
    unsigned flags = 0;
};

struct Contents
{
    QList<QPair<QString, QString>> properties; // name, value
    QList<QPair<QString, QString>> files;      // description, path; copies are made
    QString logFolder;
    QStringList logMasks; // wildcard masks, matched without regard to case
    int maxLogFiles = 0;  // the newest files by modification time
};

// Called in the signal handler, so it must be async-signal-safe. Returns
// ContinueReport, or SkipReport to let the signal end the process at once.
enum CallbackResult { SkipReport = 0, ContinueReport = 1 };
using CrashCallback = int (*)(void *userParam);

// Process-wide; one installation at a time. Returns 0 on success.
int install(const InstallInfo &info);
void uninstall();
// Why the last install() failed.
QString lastErrorMessage();

void setCrashCallback(CrashCallback callback, void *userParam);
// Replaces what the next report carries.
void setContents(const Contents &contents);

} // namespace CrashReporter

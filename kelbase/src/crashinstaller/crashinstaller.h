#pragma once

#include <QString>

#include <memory>

// Installs the process's crash reporter and gathers what a crash report
// carries: properties, attached files and the newest log files. At a crash it
// first writes uex::Crashed into the crash-attribute file. One per process.
class CrashInstaller
{
public:
    CrashInstaller(const QString &appName, const QString &version, bool noDialog);
    ~CrashInstaller();

    // An empty path removes the file attached under that description.
    void addFile(const QString &path, const QString &description);
    void setProperty(const QString &value, const QString &name);
    void setAttributeFile(const QString &path);
    void addLogFiles(const QString &folder, const QString &mask, int maxCount);

private:
    class Private;
    std::unique_ptr<Private> d;

    Q_DISABLE_COPY(CrashInstaller)
};

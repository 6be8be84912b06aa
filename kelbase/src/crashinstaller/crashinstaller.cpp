#include "crashinstaller.h"

#include "kellogger/kellogger.h"
#include "platform/crashreporter.h"
#include "uex.h"

#include <QCryptographicHash>
#include <QFile>
#include <QMap>
#include <QStringList>
#include <QtDebug>

namespace {
const char MachineIdProperty[] = "m_id";
const char MachineIdSeed[] = "corvinak3seed";
} // namespace

class CrashInstaller::Private
{
public:
    // Runs in the signal handler.
    static int crashCallback(void *userParam);

    // Hands everything a report carries to the reporter, prepared, so that
    // nothing is computed at the crash.
    void publish() const;

    CrashReporter::InstallInfo installInfo;
    bool installed = false;
    int maxLogFiles = 0;
    QByteArray nativeAttributeFile;
    QString logFolder;
    QStringList logMasks;
    QMap<QString, QString> files;      // description -> path
    QMap<QString, QString> properties; // name -> value; a name set again takes the new value
};

int CrashInstaller::Private::crashCallback(void *userParam)
{
    const auto *d = static_cast<const Private *>(userParam);
    if (!d->nativeAttributeFile.isEmpty())
        uex::update(d->nativeAttributeFile.constData(), uex::Crashed);
    return CrashReporter::ContinueReport;
}

void CrashInstaller::Private::publish() const
{
    if (!installed)
        return;
    CrashReporter::Contents contents;
    for (auto it = properties.cbegin(); it != properties.cend(); ++it) {
        QString value = it.value();
        // The machine identifier is reported only as a salted digest.
        if (it.key() == QLatin1String(MachineIdProperty)) {
            value = QString::fromLatin1(QCryptographicHash::hash(value.toUtf8() + MachineIdSeed,
                                                                 QCryptographicHash::Md5)
                                                .toHex());
        }
        contents.properties.append({it.key(), value});
    }
    for (auto it = files.cbegin(); it != files.cend(); ++it)
        contents.files.append({it.key(), it.value()});
    contents.logFolder = logFolder;
    contents.logMasks = logMasks;
    contents.maxLogFiles = maxLogFiles;
    CrashReporter::setContents(contents);
}

CrashInstaller::CrashInstaller(const QString &appName, const QString &version, bool noDialog)
    : d(std::make_unique<Private>())
{
    d->installInfo.appName = appName;
    d->installInfo.appVersion = version;
    d->installInfo.reportFolder = KelLogger::logDir();
    d->installInfo.flags = noDialog ? CrashReporter::NoDialog : 0u;

    if (CrashReporter::install(d->installInfo) != 0) {
        qCritical().noquote() << "Could not start crash reporter."
                              << CrashReporter::lastErrorMessage();
        return;
    }
    d->installed = true;
    CrashReporter::setCrashCallback(&Private::crashCallback, d.get());
}

CrashInstaller::~CrashInstaller()
{
    qDebug() << "__cdecl CrashInstaller::~CrashInstaller(void)";
    if (d->installed)
        CrashReporter::uninstall();
}

void CrashInstaller::addFile(const QString &path, const QString &description)
{
    if (path.isEmpty())
        d->files.remove(description);
    else
        d->files.insert(description, path);
    d->publish();
}

void CrashInstaller::setProperty(const QString &value, const QString &name)
{
    d->properties.insert(name, value);
    d->publish();
}

void CrashInstaller::setAttributeFile(const QString &path)
{
    d->nativeAttributeFile = QFile::encodeName(path);
}

void CrashInstaller::addLogFiles(const QString &folder, const QString &mask, int maxCount)
{
    d->logFolder = folder;
    d->maxLogFiles = maxCount;
    if (!d->logMasks.contains(mask))
        d->logMasks.append(mask);
    d->publish();
}

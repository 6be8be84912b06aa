#include "kelsettings.h"

#include <QCoreApplication>
#include <QDebug>
#include <QFile>
#include <QLocale>
#include <QStandardPaths>

#include "kelapplication.h"
#include "kelsettingsfilecheck.h"
#include "utils/kelfileutils.h"

namespace {

const QString FirstRunKey = QStringLiteral("FirstRun");
const QString LocaleNameKey = QStringLiteral("localeName");
const QString UpdateCheckerEnabledKey = QStringLiteral("updateCheckerEnabled");
const QString RegisterAsDefaultAppKey = QStringLiteral("registerAsDefaultApp");
const QString LastScreenKey = QStringLiteral("lastScreen");
const QString LastOpenFilePathKey = QStringLiteral("lastOpenFilePath");
const QString ShowFirstStartWizardKey = QStringLiteral("showFirstStartWizard");

QString systemLocaleName()
{
    return QLocale::system().name();
}

QString defaultOpenFilePath()
{
    return QStandardPaths::standardLocations(QStandardPaths::DesktopLocation).value(0);
}

// QSettings would abort on a damaged serialised value at its first read and
// go on aborting at every start: such a file is moved aside before QSettings
// opens it, and the program starts with the defaults. A file that cannot be
// moved is not opened either; the settings of this run are then not saved.
QString checkedFileName(const QString &fileName, QSettings::Format format)
{
    if (format != QSettings::IniFormat && format != QSettings::NativeFormat)
        return fileName;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return fileName;
    QString problem;
    const bool safe = KelSettingsFileCheck::isSafe(file.readAll(), &problem);
    file.close();
    if (safe)
        return fileName;

    qCritical() << "Settings file" << fileName << "is damaged," << problem;
    const QString aside = KelUtils::moveFileAside(fileName);
    if (aside.isEmpty()) {
        qCritical() << "Can't move the damaged settings file aside; settings are not saved";
        return QString();
    }
    qWarning() << "Damaged settings file kept as" << aside << "- starting with default settings";
    return fileName;
}

} // namespace

class KelSettings::Private
{
public:
    QString localeName = systemLocaleName();
    bool updateCheckerEnabled = true;
    bool registerAsDefaultApp = true;
};

KelSettings::KelSettings(const QString &fileName, QSettings::Format format, QObject *parent)
    : QSettings(checkedFileName(fileName, format), format, parent), d(std::make_unique<Private>())
{
    const bool firstRun = readValue(FirstRunKey, true);
    // Without the framework's application object (tools, tests) there is no
    // first-run flag to set and no translator to switch.
    if (auto app = dynamic_cast<KelApplication *>(QCoreApplication::instance())) {
        app->setFirstRun(firstRun);
        connect(this, &KelSettings::localeNameChanged, app, &KelApplication::translate);
    }
}

KelSettings::~KelSettings()
{
    setValue(FirstRunKey, false);
}

void KelSettings::load()
{
    const QString locale = readValue(LocaleNameKey, systemLocaleName());
    if (locale != d->localeName) {
        d->localeName = locale;
        emit localeNameChanged(locale);
    }
    const bool checkerEnabled = readValue(UpdateCheckerEnabledKey, true);
    if (checkerEnabled != d->updateCheckerEnabled) {
        d->updateCheckerEnabled = checkerEnabled;
        emit updateCheckerEnabledChanged(checkerEnabled);
    }
    const bool defaultApp = readValue(RegisterAsDefaultAppKey, true);
    if (defaultApp != d->registerAsDefaultApp) {
        d->registerAsDefaultApp = defaultApp;
        emit registerAsDefaultAppChanged(defaultApp);
    }
}

void KelSettings::save()
{
    setValue(LocaleNameKey, d->localeName);
    setValue(UpdateCheckerEnabledKey, d->updateCheckerEnabled);
    setValue(RegisterAsDefaultAppKey, d->registerAsDefaultApp);
}

QString KelSettings::defaultLocaleName() const
{
    return systemLocaleName();
}

QString KelSettings::localeName() const
{
    return d->localeName;
}

void KelSettings::setLocaleName(const QString &value)
{
    if (d->localeName == value)
        return;
    d->localeName = value;
    emit localeNameChanged(value);
}

bool KelSettings::updateCheckerEnabled() const
{
    return d->updateCheckerEnabled;
}

void KelSettings::setUpdateCheckerEnabled(bool value)
{
    if (d->updateCheckerEnabled == value)
        return;
    d->updateCheckerEnabled = value;
    emit updateCheckerEnabledChanged(value);
}

bool KelSettings::registerAsDefaultApp() const
{
    return d->registerAsDefaultApp;
}

void KelSettings::setRegisterAsDefaultApp(bool value)
{
    if (d->registerAsDefaultApp == value)
        return;
    d->registerAsDefaultApp = value;
    emit registerAsDefaultAppChanged(value);
}

int KelSettings::lastScreen() const
{
    return readValue(LastScreenKey, 0);
}

void KelSettings::setLastScreen(int value)
{
    if (writeValue(LastScreenKey, value))
        emit lastScreenChanged(value);
}

QString KelSettings::lastOpenFilePath() const
{
    return readValue(LastOpenFilePathKey, defaultOpenFilePath());
}

void KelSettings::setLastOpenFilePath(const QString &value)
{
    if (writeValue(LastOpenFilePathKey, value))
        emit lastOpenFilePathChanged(value);
}

bool KelSettings::showFirstStartWizard() const
{
    return readValue(ShowFirstStartWizardKey, true);
}

void KelSettings::setShowFirstStartWizard(bool value)
{
    if (writeValue(ShowFirstStartWizardKey, value))
        emit showFirstStartWizardChanged(value);
}

#include "moc_kelsettings.cpp"

#include "kelsettings.h"

#include <QCoreApplication>
#include <QLocale>
#include <QStandardPaths>

#include "kelapplication.h"

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

} // namespace

class KelSettings::Private
{
public:
    QString localeName = systemLocaleName();
    bool updateCheckerEnabled = true;
    bool registerAsDefaultApp = true;
};

KelSettings::KelSettings(const QString &fileName, QSettings::Format format, QObject *parent)
    : QSettings(fileName, format, parent), d(std::make_unique<Private>())
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

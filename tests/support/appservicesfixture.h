#pragma once

#include "core/appservices.h"
#include "kelapplication.h"
#include "metrics/usagestatistics.h"
#include "shared/formattables.h"
#include "shared/settingsprovider.h"

#include <QSettings>
#include <QTemporaryDir>

// Fills the application's services for tests that run without the
// application object: settings on a temporary INI file, the format tables
// and a usage store. Clears them again when it goes out of scope.
class AppServicesFixture
{
public:
    explicit AppServicesFixture(KelApplication &app)
        : m_settings(m_settingsDir.filePath(QStringLiteral("reelforge.ini")), QSettings::IniFormat)
    {
        registerSettingsMetaTypes();
        app.setSettings(&m_settings);
        appServices().formatTables = &m_tables;
        appServices().usageStatistics = &m_usage;
    }
    ~AppServicesFixture() { appServices() = AppServices(); }

    AppServicesFixture(const AppServicesFixture &) = delete;
    AppServicesFixture &operator=(const AppServicesFixture &) = delete;

private:
    QTemporaryDir m_settingsDir;
    SettingsProvider m_settings;
    const FormatTables m_tables;
    UsageStatistics m_usage;
};

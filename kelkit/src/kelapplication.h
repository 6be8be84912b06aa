#pragma once

#include "platform/singleapplication.h"

#include <QColor>
#include <QPoint>
#include <QStringList>

#include <memory>

class KelIconsProvider;
class KelSettings;
class KelSplash;
class KelTranslator;
class KelUi;

// The framework's application object and the base of the program's own: a
// single-instance application that holds the registered settings object,
// the translator, the version and the lazily created UI-services object.
// Every framework part reaches it by casting QCoreApplication::instance().
//
// Its constructor installs the framework's Qt function hooks last, and
// notify() feeds the global mouse watchers, delivers mouse moves to windows
// at whole-pixel positions and feeds them to the UI object's hover repair. GUI thread only, but for
// isGuiThread().
class KelApplication : public KelSingleApplication
{
public:
    KelApplication(int &argc, char **argv);
    // Saves the registered settings and deletes the UI object.
    ~KelApplication() override;

    // The program's start-up work; the base does nothing and succeeds.
    virtual bool init();

    bool notify(QObject *receiver, QEvent *event) override;

    // The UI object, created through createUi() on first use and
    // initialised once. Null while it is being created and once the
    // application is being destroyed, so that nothing re-creates it then.
    KelUi *kelUi();

    void setSettings(KelSettings *settings);
    // Null until registered and once the settings object is gone.
    KelSettings *settings() const;

    // The application's icon registry, created on first use as a child of
    // the application; null only once the application is being destroyed.
    KelIconsProvider *iconsProvider();

    bool isFirstRun() const;
    void setFirstRun(bool firstRun);

    // The writable configuration and data folders, created when missing,
    // with the sub-folder appended (not created), in native separators.
    QString configLocation(const QString &subFolder = QString());
    QString dataLocation(const QString &subFolder = QString());

    // The name of the version store; the application name unless set.
    QString settingsApplicationName() const;
    void setSettingsApplicationName(const QString &name);

    // Makes buildVersion the application version unless the user's version
    // store holds a "CurrentVersion", which an installer writes.
    void loadApplicationVersion(const QString &buildVersion);
    QString buildVersion() const;

    void setHelpUrl(const QString &url);
    QString helpUrl() const;

    // Creates the translator and applies the first language it accepts of
    // the saved one, the system's, the first of the system's language, or
    // "en". Windows are retranslated on later switches only.
    void installTranslator(const QString &filePrefix);
    void installTranslator(const QStringList &filePrefixes);
    // Null before installTranslator().
    KelTranslator *translator() const;
    // Switches the UI language; false when no translator is installed.
    bool translate(const QString &localeName);

    // Shows the start-up splash on the screen of the last session's main
    // window ("lastScreen"), else on the primary screen; null without any
    // screen. The pixmap at pixmapPath is drawn at its natural size; the
    // other arguments are KelSplash's.
    KelSplash *showSplash(const QString &pixmapPath, int minDurationMs, int animationIntervalMs,
                          int minDots, int maxDots, const QString &fontFamily, int fontPixelSize,
                          bool waitForMainWindow, QPoint loadingTextOffset,
                          QPoint versionTextOffset, QColor loadingTextColor,
                          QColor versionTextColor, bool versionAlignLeft);
    // Null once the splash is gone.
    KelSplash *splash() const;
    bool isSplashVisible() const;

    bool isGuiThread() const;

    // Loads the SSL library on the thread pool while the GUI thread keeps
    // painting, so the first network request does not freeze the window.
    void prepareNetworkAccessManager();

protected:
    virtual void onLanguageChanged();
    virtual KelUi *createUi();
    virtual void onAboutToQuit();
    // The splash made by showSplash() is gone.
    virtual void onSplashDestroyed();

private:
    class Private;
    std::unique_ptr<Private> d;
};

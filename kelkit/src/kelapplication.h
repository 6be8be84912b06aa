#pragma once

#include <QApplication>

#include <memory>

class KelIconsProvider;
class KelSettings;
class KelUi;

// The framework's application object and the base of the program's own.
// Every framework part reaches it by casting QCoreApplication::instance().
// It holds the registered settings object and creates the UI-services
// object on first use. GUI thread only.
class KelApplication : public QApplication
{
public:
    KelApplication(int &argc, char **argv);
    // Saves the registered settings and deletes the UI object.
    ~KelApplication() override;

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

    // Switches the UI language; false when no translator is installed.
    bool translate(const QString &localeName);

protected:
    virtual KelUi *createUi();

private:
    class Private;
    std::unique_ptr<Private> d;
};

#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include <memory>

class KelStyle;
class KelStyleable;
class KelUi;

// Keeps the registered themes and the current one, remembers the user's
// choice in the framework settings, sets the application font from the
// current theme and re-applies every styleable object when the theme
// changes. Owned by the UI object; GUI thread only.
class KelStyleManager : public QObject
{
    Q_OBJECT

public:
    // Installs the framework's proxy around the application style.
    explicit KelStyleManager(KelUi *ui);
    ~KelStyleManager() override;

    // The manager of the application's UI object; null without one.
    static KelStyleManager *instance();

    // Never null: without a live current style a plain KelStyle, owned by
    // the manager, becomes current.
    KelStyle *currentStyle();

    // Registration order decides which of two styles with one id is found.
    // Styles are not owned; a destroyed style drops out of the list.
    void addStyle(KelStyle *style);
    QList<KelStyle *> styles() const;

    // False, with a warning, for an id that no registered style has.
    bool setCurrentStyle(const QString &styleId);
    // Applies the saved choice, or the default when nothing usable is
    // saved.
    bool applySavedStyle(const QString &defaultStyleId);

    void addListener(KelStyleable *listener);
    void removeListener(KelStyleable *listener);

private:
    class Private;
    std::unique_ptr<Private> d;
};

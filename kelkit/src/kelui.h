#pragma once

#include "windows/kelwindow.h"

#include <QColor>
#include <QObject>
#include <QString>

#include <memory>

class KelPixmapCache;
class KelStyleManager;
class QMouseEvent;
class QWidget;

// The framework's UI-services object: one per application, created by
// KelApplication::kelUi() and reached through the global kelUi(). It owns
// the style manager, holds the maintenance-mode flag (never stored), shows
// the wait cursor, builds links, repairs hover enter and leave events that
// frameless windows lose, and tells when the calendar day changes.
// GUI thread only.
class KelUi : public QObject
{
    Q_OBJECT

public:
    enum TextInputType {
        AnyTextInput = 0,
        NotEmptyTextInput = 1,
        PasswordTextInput = 2,
        NotEmptyPasswordTextInput = 3,
        ReadOnlyTextInput = 4
    };
    Q_ENUM(TextInputType)

    // The flags of makeLink().
    enum LinkFlag { LinkWithoutUnderline = 1, LinkBold = 2, LinkItalic = 4 };
    Q_ENUM(LinkFlag)

    explicit KelUi(QObject *parent = nullptr);
    ~KelUi() override;

    // Runs once, right after creation. A program's UI object registers its
    // themes and then calls this.
    virtual void init();
    // Runs after every language switch but the start-up choice.
    virtual void onLanguageChanged();
    // The shadow of windows made with KelWindow::Default.
    virtual KelWindow::ShadowType defaultShadowType();

    // Builds the main window through createMainWindow(), once: a second
    // start of the program then brings it forward, and its first show is
    // announced.
    void setupMainWindow();
    // Null before setupMainWindow() and once the window is gone.
    KelWindow *mainWindow() const;

    // Null once the manager is gone.
    KelStyleManager *styleManager() const;
    // The shared cache of window and drop shadows, made on first use.
    KelPixmapCache *shadowCache();

    // An HTML anchor for rich-text labels; an invalid colour stands for the
    // current style's link colour. flags combine LinkFlag values.
    QString makeLink(const QString &url, const QString &text, int flags = 0,
                     const QColor &color = QColor()) const;

    // Calls do not nest: one hide undoes any number of shows.
    void showWaitCursor();
    void hideWaitCursor();

    bool isMaintenanceMode() const;
    void setMaintenanceMode(bool on);

    // Lets every top-level framework window re-apply its texts.
    static void translateTopLevelWindows();

    // The widget under the last mouse position a window was told of, or
    // under Qt's last cursor position before any.
    QWidget *widgetUnderMouse() const;

    // The text of the calling thread's last system error with its code,
    // "Permission denied (13)"; empty when errno is 0.
    static QString lastWindowsErrorText();

    // Fed by KelApplication::notify() with every mouse move a window gets.
    void onMouseMove(QObject *receiver, QMouseEvent *event);

protected:
    // The program's main window; none in the framework.
    virtual KelWindow *createMainWindow();

signals:
    void linkOpened(const QString &url);
    void shellExecuteFailed(const QString &url, int resultCode);
    void mainWindowCreated(KelWindow *mainWindow);
    void mainWindowShowedFirstTimeEver();
    void mainWindowShowedFirstTimeInCurrentSession();
    // At 00:01 local time of every day.
    void currentDayChanged();
    void maintenanceModeStateChanged(bool val);

private:
    class Private;
    std::unique_ptr<Private> d;
};

// The application's UI object; null without a KelApplication.
KelUi *kelUi();

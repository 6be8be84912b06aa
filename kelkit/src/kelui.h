#pragma once

#include "windows/kelwindow.h"

#include <QColor>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class KelNotificationManager;
class KelPixmapCache;
class KelStyleManager;
class QMouseEvent;
class QWidget;

// The framework's UI-services object: one per application, created by
// KelApplication::kelUi() and reached through the global kelUi(). It owns
// the style manager and the notification manager, builds the main window
// and hands the splash over to it, asks the user through message boxes,
// text-input boxes and file choosers, opens links and files with the
// system, holds the maintenance-mode flag (never stored), shows the wait
// cursor, repairs hover enter and leave events that frameless windows
// lose, and tells when the calendar day changes.
//
// GUI thread only, but for the choosers, messageBox() and textInputBox():
// called on another thread they run on the GUI thread while the caller
// waits, and their out-parameters are written before it resumes.
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
    // Offers the new version to the user; the framework only logs.
    virtual void showNewVersionDialog(const QString &version, const QString &notesUrl,
                                      const QString &downloadUrl);
    // Opens a link of a label or a notification.
    virtual bool openLink(const QString &url);
    // Asks whether to become the default application of files with the
    // extension (".mp4"); true when the user agreed. remember, when given,
    // is the "Always perform this check" box, read and written.
    virtual bool askRegisterAsDefaultApp(const QString &extension, const QString &appName,
                                         bool *remember = nullptr);
    // Tells that the application is not the default one of the extension;
    // "LEARN MORE" opens learnMoreUrl.
    virtual void showNotDefaultAppNotice(const QString &extension, const QString &appName,
                                         const QString &learnMoreUrl, bool *remember = nullptr);

    // Folder and file choosers that start in initialFolderPath, else in
    // the folder last chosen; a choice made from that remembered folder
    // is remembered in turn. Filters may use full-width parentheses, as
    // translations do. Empty when cancelled.
    Q_INVOKABLE QString getExistingDirectory(QString title = QString(),
                                             QString initialFolderPath = QString());
    Q_INVOKABLE QString getOpenFileName(QString title = QString(), QString filter = QString(),
                                        QString initialFolderPath = QString());
    Q_INVOKABLE QStringList getOpenFileNames(QString title = QString(), QString filter = QString(),
                                             QString initialFolderPath = QString());
    // candidateName: the file name proposed in the start folder.
    Q_INVOKABLE QString getSaveFileName(QString title = QString(), QString filter = QString(),
                                        QString candidateName = QString(),
                                        QString initialFolderPath = QString());

    // A modal message box over parent's window, else over the active
    // window, else over the main window. Buttons b1 to b3 give results 1
    // to 3; the last given one is the accent and default button; without
    // any, one "OK". icnType is an icon id of the style (-1: none). With
    // remember, a check box of rememberText shows and writes its state.
    // Returns the pressed button's index, 0 when the box was closed.
    Q_INVOKABLE int messageBox(QString message, QString title = QString(), int icnType = -1,
                               QString b1text = QString(), QString b2text = QString(),
                               QString b3text = QString(), bool *remember = nullptr,
                               QString rememberText = QString(), QWidget *parent = nullptr);
    // As messageBox() with a line edit of at most 32767 characters that
    // starts with resultText and leaves its text there whatever is pressed.
    // Types other than AnyTextInput and PasswordTextInput keep the default
    // button disabled while the text is empty; regexp, when given, limits
    // what may be typed.
    Q_INVOKABLE int textInputBox(QString message, QString title, QString &resultText,
                                 KelUi::TextInputType textInputType = AnyTextInput,
                                 int icnType = -1, QString b1text = QString(),
                                 QString b2text = QString(), QString b3text = QString(),
                                 QString regexp = QString(), QWidget *parent = nullptr);

    // Builds the main window through createMainWindow(), once: a second
    // start of the program then brings it forward, and its first show is
    // announced.
    void setupMainWindow();
    // Null before setupMainWindow() and once the window is gone.
    KelWindow *mainWindow() const;

    // Null once the manager is gone.
    KelStyleManager *styleManager() const;
    // Made on first use.
    KelNotificationManager *notificationManager();
    // The shared cache of window and drop shadows, made on first use.
    KelPixmapCache *shadowCache();

    // An HTML anchor for rich-text labels; an invalid colour stands for the
    // current style's link colour. flags combine LinkFlag values.
    QString makeLink(const QString &url, const QString &text, int flags = 0,
                     const QColor &color = QColor()) const;

    // Opens an existing file or folder, or else a URL, with the
    // application the system chooses; tells the user when that fails.
    bool openLinkInSuitableApp(const QString &link);
    // Shows a file selected in the file manager, or opens a folder; tells
    // the user when that fails. False, without telling, for an empty or
    // missing path.
    bool openLinkInExplorer(const QString &path);

    // Calls back once the main window is active and not busy: not moved or
    // resized by the user, without a modal dialog or popup; until then it
    // tries again every intervalMs.
    void startNotAnnoyingMessageTimer(const QString &name, int intervalMs,
                                      std::function<void()> callback);

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
    // resultCode says why the file manager did not show the file: a
    // QDBusError::ErrorType (KelPlatform::showInFileManager).
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

#include "kelui.h"

#include "eventfilters/hoverleaveworkaround.h"
#include "kelapplication.h"
#include "kelsettings.h"
#include "painting/kelanimatedicons.h"
#include "painting/kelpixmapcache.h"
#include "platform/showinfilemanager.h"
#include "styles/kelstyle.h"
#include "styles/kelstylemanager.h"
#include "utils/keldaychangetimer.h"
#include "utils/notannoyingmessagetimer.h"
#include "widgets/kelbutton.h"
#include "widgets/kellineedit.h"
#include "windows/kelmessagebox.h"
#include "windows/kelnotificationmanager.h"
#include "windows/kelsplash.h"
#include "windows/kelwindow.h"

#include <private/qguiapplication_p.h>
#include <QApplication>
#include <QDebug>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QPointer>
#include <QRegExpValidator>
#include <QStandardPaths>
#include <QThread>
#include <QUrl>
#include <QWidget>

#include <cerrno>
#include <cstring>
#include <locale.h>

namespace {

constexpr int LinkColorRole = 18;
constexpr int CheckBoxStyleId = 13;
constexpr int ButtonStyleId = 20;
constexpr int AccentButtonStyleId = 21;
constexpr int TextInputStyleId = 29;
constexpr int PasswordInputStyleId = 32;
constexpr int MaxInputLength = 32767;
constexpr int ErrorIconId = 6;
constexpr int NoticeIconId = 7;
constexpr int QuestionIconId = 8;

// Where a message box without a parent goes, as bits.
enum ParentPolicy { PreferActiveWindow = 1, MainWindowWhenVisible = 2, MainWindowAlways = 4 };

KelApplication *kelApplication()
{
    return dynamic_cast<KelApplication *>(QCoreApplication::instance());
}

KelSettings *frameworkSettings()
{
    KelApplication *app = kelApplication();
    return app ? app->settings() : nullptr;
}

bool onGuiThread()
{
    if (KelApplication *app = kelApplication())
        return app->isGuiThread();
    return QCoreApplication::instance()
            && QThread::currentThread() == QCoreApplication::instance()->thread();
}

// The chooser takes a folder that does not exist for a file name: it lists
// its parent and types the name in. The first existing of the given folder,
// the remembered one, the user's videos and home is used instead.
QString chooserStartFolder(const QString &initialFolderPath)
{
    QStringList candidates;
    if (!initialFolderPath.isEmpty())
        candidates.append(initialFolderPath);
    if (KelSettings *settings = frameworkSettings())
        candidates.append(settings->lastOpenFilePath());
    else
        candidates.append(QStandardPaths::standardLocations(QStandardPaths::DesktopLocation));
    candidates.append(QStandardPaths::standardLocations(QStandardPaths::MoviesLocation));
    for (const QString &folder : qAsConst(candidates)) {
        if (!folder.isEmpty() && QFileInfo(folder).isDir())
            return folder;
    }
    return QDir::homePath();
}

// Translations may write the parentheses of a filter full-width, which the
// chooser would not take for a filter.
QString parseableFilter(QString filter)
{
    filter.replace(QChar(0xFF08), QLatin1Char('('));
    filter.replace(QChar(0xFF09), QLatin1Char(')'));
    return filter;
}

// Only a choice made from the remembered folder moves it.
void rememberChosenFolder(const QString &initialFolderPath, const QString &chosen)
{
    if (!initialFolderPath.isEmpty() || chosen.isEmpty())
        return;
    if (KelSettings *settings = frameworkSettings())
        settings->setLastOpenFilePath(QFileInfo(chosen).absolutePath());
}

QString openFailedText(const QString &link)
{
    return QCoreApplication::translate("Application",
                                       "An error has occurred when trying to open: \"%1\"")
            .arg(link);
}

// ".mp4" as the prompts name it: "MP4".
QString extensionName(const QString &extension)
{
    const QString bare = extension.startsWith(QLatin1Char('.')) ? extension.mid(1) : extension;
    return bare.toUpper();
}

// The message of an error number in US English, whatever the user's locale.
QString englishErrorText(int error)
{
    locale_t english = newlocale(LC_ALL_MASK, "C", locale_t(0));
    if (!english)
        return QString::fromLocal8Bit(std::strerror(error));
    const QString text = QString::fromLocal8Bit(strerror_l(error, english));
    freelocale(english);
    return text;
}

} // namespace

class KelUi::Private
{
public:
    void onMainWindowShowed();
    QWidget *messageBoxParent(QWidget *parent) const;
    KelMessageBox *makeMessageBox(const QString &message, const QString &title, int icnType,
                                  QWidget *parent);
    void addMessageBoxButtons(KelMessageBox *box, QString b1text, const QString &b2text,
                              const QString &b3text);
    KelButton *addRememberBox(KelMessageBox *box, bool *remember, const QString &rememberText);
    int runMessageBox(KelMessageBox *box);

    KelUi *q = nullptr;
    QPointer<KelUi> self;
    bool waitCursorShown = false;
    QPointer<KelWindow> mainWindow;
    QMetaObject::Connection firstShowConnection;
    QPointer<KelStyleManager> styleManager;
    QPointer<KelNotificationManager> notificationManager;
    HoverLeaveWorkaround *hoverWorkaround = nullptr;
    QPointer<KelPixmapCache> shadowCache;
    int messageBoxParentPolicy = PreferActiveWindow | MainWindowWhenVisible | MainWindowAlways;
    bool maintenanceMode = false;
};

KelUi::KelUi(QObject *parent) : QObject(parent), d(std::make_unique<Private>())
{
    d->q = this;
    d->self = this;
    d->styleManager = new KelStyleManager(this);
    d->hoverWorkaround = new HoverLeaveWorkaround(this);
    auto dayChange = new KelDayChangeTimer(this);
    connect(dayChange, &KelDayChangeTimer::dayChanged, this, &KelUi::currentDayChanged);
}

KelUi::~KelUi()
{
    delete d->mainWindow;
}

void KelUi::init()
{
    KelAnimatedIcons::create();
}

void KelUi::onLanguageChanged() { }

KelWindow::ShadowType KelUi::defaultShadowType()
{
    return KelWindow::DWM_API;
}

void KelUi::showNewVersionDialog(const QString &, const QString &, const QString &)
{
    qWarning() << "REIMPLEMENT THIS";
}

bool KelUi::openLink(const QString &url)
{
    return openLinkInSuitableApp(url);
}

bool KelUi::askRegisterAsDefaultApp(const QString &extension, const QString &appName, bool *remember)
{
    const QString text = QCoreApplication::translate(
                                 "Dialog_RegisterAppAsDefault",
                                 "%1 is not currently your default app to process \"%2\" files. "
                                 "Would you like to make it default?")
                                 .arg(appName, extensionName(extension));
    const int answer
            = messageBox(text, QString(), QuestionIconId,
                         QCoreApplication::translate("Dialog_RegisterAppAsDefault", "NO"),
                         QCoreApplication::translate("Dialog_RegisterAppAsDefault", "YES"),
                         QString(), remember,
                         QCoreApplication::translate("Dialog_RegisterAppAsDefault",
                                                     "Always perform this check when starting."));
    return answer == 2;
}

void KelUi::showNotDefaultAppNotice(const QString &extension, const QString &appName,
                                    const QString &learnMoreUrl, bool *remember)
{
    const QString text = QCoreApplication::translate(
                                 "Dialog_RegisterAppAsDefault_Win8+",
                                 "%1 is not currently your default app to process \"%2\" files.")
                                 .arg(appName, extensionName(extension));
    const int answer
            = messageBox(text, QString(), NoticeIconId,
                         QCoreApplication::translate("Dialog_RegisterAppAsDefault_Win8+",
                                                     "LEARN MORE"),
                         QCoreApplication::translate("Dialog_RegisterAppAsDefault_Win8+", "OK"),
                         QString(), remember,
                         QCoreApplication::translate("Dialog_RegisterAppAsDefault_Win8+",
                                                     "Always perform this check when starting."));
    if (answer == 1)
        openLinkInSuitableApp(learnMoreUrl);
}

QString KelUi::getExistingDirectory(QString title, QString initialFolderPath)
{
    if (!onGuiThread()) {
        QString result;
        QMetaObject::invokeMethod(this, "getExistingDirectory", Qt::BlockingQueuedConnection,
                                  Q_RETURN_ARG(QString, result), Q_ARG(QString, title),
                                  Q_ARG(QString, initialFolderPath));
        return result;
    }
    const QString result
            = QFileDialog::getExistingDirectory(QApplication::activeWindow(), title,
                                                chooserStartFolder(initialFolderPath),
                                                QFileDialog::ShowDirsOnly
                                                        | QFileDialog::DontResolveSymlinks);
    rememberChosenFolder(initialFolderPath, result);
    return result;
}

QString KelUi::getOpenFileName(QString title, QString filter, QString initialFolderPath)
{
    if (!onGuiThread()) {
        QString result;
        QMetaObject::invokeMethod(this, "getOpenFileName", Qt::BlockingQueuedConnection,
                                  Q_RETURN_ARG(QString, result), Q_ARG(QString, title),
                                  Q_ARG(QString, filter), Q_ARG(QString, initialFolderPath));
        return result;
    }
    const QString result = QFileDialog::getOpenFileName(QApplication::activeWindow(), title,
                                                        chooserStartFolder(initialFolderPath),
                                                        parseableFilter(filter));
    rememberChosenFolder(initialFolderPath, result);
    return result;
}

QStringList KelUi::getOpenFileNames(QString title, QString filter, QString initialFolderPath)
{
    if (!onGuiThread()) {
        QStringList result;
        QMetaObject::invokeMethod(this, "getOpenFileNames", Qt::BlockingQueuedConnection,
                                  Q_RETURN_ARG(QStringList, result), Q_ARG(QString, title),
                                  Q_ARG(QString, filter), Q_ARG(QString, initialFolderPath));
        return result;
    }
    const QStringList result = QFileDialog::getOpenFileNames(QApplication::activeWindow(), title,
                                                             chooserStartFolder(initialFolderPath),
                                                             parseableFilter(filter));
    rememberChosenFolder(initialFolderPath, result.value(0));
    return result;
}

QString KelUi::getSaveFileName(QString title, QString filter, QString candidateName,
                               QString initialFolderPath)
{
    if (!onGuiThread()) {
        QString result;
        QMetaObject::invokeMethod(this, "getSaveFileName", Qt::BlockingQueuedConnection,
                                  Q_RETURN_ARG(QString, result), Q_ARG(QString, title),
                                  Q_ARG(QString, filter), Q_ARG(QString, candidateName),
                                  Q_ARG(QString, initialFolderPath));
        return result;
    }
    QString start = chooserStartFolder(initialFolderPath);
    if (!candidateName.isEmpty())
        start += QDir::separator() + candidateName;
    const QString result = QFileDialog::getSaveFileName(QApplication::activeWindow(), title, start,
                                                        parseableFilter(filter));
    rememberChosenFolder(initialFolderPath, result);
    return result;
}

QWidget *KelUi::Private::messageBoxParent(QWidget *parent) const
{
    if (parent && parent->window())
        return parent->window();
    QWidget *active = QApplication::activeWindow();
    KelApplication *app = kelApplication();
    QWidget *splash = app ? app->splash() : nullptr;
    if (active && active != splash && (messageBoxParentPolicy & PreferActiveWindow))
        return active;
    if (mainWindow) {
        if (messageBoxParentPolicy & MainWindowAlways)
            return mainWindow;
        if ((messageBoxParentPolicy & MainWindowWhenVisible) && mainWindow->isVisible())
            return mainWindow;
    }
    return nullptr;
}

KelMessageBox *KelUi::Private::makeMessageBox(const QString &message, const QString &title,
                                              int icnType, QWidget *parent)
{
    auto *box = new KelMessageBox(messageBoxParent(parent), true);
    const QString shownTitle = title.isEmpty() ? QCoreApplication::applicationName() : title;
    box->setTitle(shownTitle);
    box->setWindowTitle(shownTitle);
    box->setText(message);
    box->setIcon(kelStyle()->iconPath(icnType));
    return box;
}

KelButton *KelUi::Private::addRememberBox(KelMessageBox *box, bool *remember,
                                          const QString &rememberText)
{
    if (!remember)
        return nullptr;
    auto *checkBox = new KelButton(CheckBoxStyleId);
    checkBox->setObjectName(QStringLiteral("KelRememberBox"));
    checkBox->setCheckable(true);
    checkBox->setText(rememberText);
    checkBox->setCheckedState(*remember);
    box->addContentWidget(checkBox, true);
    return checkBox;
}

void KelUi::Private::addMessageBoxButtons(KelMessageBox *box, QString b1text, const QString &b2text,
                                          const QString &b3text)
{
    if (b1text.isEmpty() && b2text.isEmpty() && b3text.isEmpty())
        b1text = QCoreApplication::translate("Application", "OK");
    const QString texts[] = {b1text, b2text, b3text};
    const int accent = !b3text.isEmpty() ? 3 : !b2text.isEmpty() ? 2 : 1;
    for (int index = 1; index <= 3; ++index) {
        const QString &text = texts[index - 1];
        if (text.isEmpty())
            continue;
        auto *button = new KelButton(index == accent ? AccentButtonStyleId : ButtonStyleId);
        button->setText(text);
        box->addButton(index, button, index == accent);
    }
}

int KelUi::Private::runMessageBox(KelMessageBox *box)
{
    const bool waitCursor = waitCursorShown;
    if (waitCursor)
        q->hideWaitCursor();
    QObject::connect(box->messageLabel(), &QLabel::linkActivated, q,
                     [this](const QString &link) { q->openLink(link); });
    box->applyStyle();
    const int result = box->exec(KelWindow::CenteredOnParent);
    if (waitCursor && self)
        q->showWaitCursor();
    return result;
}

int KelUi::messageBox(QString message, QString title, int icnType, QString b1text, QString b2text,
                      QString b3text, bool *remember, QString rememberText, QWidget *parent)
{
    if (!onGuiThread()) {
        int result = 0;
        QMetaObject::invokeMethod(this, "messageBox", Qt::BlockingQueuedConnection,
                                  Q_RETURN_ARG(int, result), Q_ARG(QString, message),
                                  Q_ARG(QString, title), Q_ARG(int, icnType),
                                  Q_ARG(QString, b1text), Q_ARG(QString, b2text),
                                  Q_ARG(QString, b3text), Q_ARG(bool *, remember),
                                  Q_ARG(QString, rememberText), Q_ARG(QWidget *, parent));
        return result;
    }
    QPointer<KelMessageBox> box = d->makeMessageBox(message, title, icnType, parent);
    QPointer<KelButton> checkBox = d->addRememberBox(box, remember, rememberText);
    d->addMessageBoxButtons(box, b1text, b2text, b3text);
    const int result = d->runMessageBox(box);
    if (checkBox)
        *remember = checkBox->isChecked();
    delete box;
    return result;
}

int KelUi::textInputBox(QString message, QString title, QString &resultText,
                        KelUi::TextInputType textInputType, int icnType, QString b1text,
                        QString b2text, QString b3text, QString regexp, QWidget *parent)
{
    if (!onGuiThread()) {
        int result = 0;
        QMetaObject::invokeMethod(this, "textInputBox", Qt::BlockingQueuedConnection,
                                  Q_RETURN_ARG(int, result), Q_ARG(QString, message),
                                  Q_ARG(QString, title), Q_ARG(QString &, resultText),
                                  Q_ARG(KelUi::TextInputType, textInputType), Q_ARG(int, icnType),
                                  Q_ARG(QString, b1text), Q_ARG(QString, b2text),
                                  Q_ARG(QString, b3text), Q_ARG(QString, regexp),
                                  Q_ARG(QWidget *, parent));
        return result;
    }
    QPointer<KelMessageBox> box = d->makeMessageBox(message, title, icnType, parent);
    const bool password = textInputType == PasswordTextInput
            || textInputType == NotEmptyPasswordTextInput;
    QPointer<KelLineEdit> edit = new KelLineEdit(password ? PasswordInputStyleId : TextInputStyleId);
    edit->setObjectName(QStringLiteral("KelTextInput"));
    if (password)
        edit->setEchoMode(QLineEdit::Password);
    edit->setMaxLength(MaxInputLength);
    edit->setText(resultText);
    edit->setReadOnly(textInputType == ReadOnlyTextInput);
    if (!regexp.isEmpty()) {
        edit->setValidator(
                new QRegExpValidator(QRegExp(regexp, Qt::CaseSensitive, QRegExp::RegExp), edit));
    }
    box->addContentWidget(edit, textInputType == AnyTextInput || textInputType == PasswordTextInput);
    d->addMessageBoxButtons(box, b1text, b2text, b3text);
    edit->setFocus();
    const int result = d->runMessageBox(box);
    if (edit)
        resultText = edit->text();
    delete box;
    return result;
}

void KelUi::setupMainWindow()
{
    if (d->mainWindow)
        return;
    KelWindow *window = createMainWindow();
    d->mainWindow = window;
    if (window) {
        if (auto app = dynamic_cast<KelSingleApplication *>(QCoreApplication::instance())) {
            connect(app, &KelSingleApplication::messageReceived, window,
                    [window] { window->showWithStrategy(KelWindow::NoChange); });
        }
        // Queued: the handlers run once the window is on screen.
        d->firstShowConnection = connect(
                window, &KelWidget::showed, this, [this] { d->onMainWindowShowed(); },
                Qt::QueuedConnection);
        KelApplication *app = kelApplication();
        if (KelSplash *splash = app ? app->splash() : nullptr)
            splash->setMainWindowIsReady(window);
    }
    emit mainWindowCreated(window);
}

void KelUi::Private::onMainWindowShowed()
{
    // The connection is queued: a second show may have been posted already.
    if (!firstShowConnection)
        return;
    QObject::disconnect(firstShowConnection);
    firstShowConnection = QMetaObject::Connection();
    KelApplication *app = kelApplication();
    if (app && app->isSplashVisible())
        app->splash()->hide();
    KelSettings *settings = app ? app->settings() : nullptr;
    if (settings && settings->showFirstStartWizard()) {
        settings->setShowFirstStartWizard(false);
        emit self->mainWindowShowedFirstTimeEver();
    }
    emit self->mainWindowShowedFirstTimeInCurrentSession();
}

KelWindow *KelUi::mainWindow() const
{
    return d->mainWindow;
}

KelWindow *KelUi::createMainWindow()
{
    return nullptr;
}

KelStyleManager *KelUi::styleManager() const
{
    return d->styleManager;
}

KelNotificationManager *KelUi::notificationManager()
{
    if (!d->notificationManager)
        d->notificationManager = new KelNotificationManager(this);
    return d->notificationManager;
}

KelPixmapCache *KelUi::shadowCache()
{
    if (!d->shadowCache) {
        d->shadowCache = new KelPixmapCache(this);
        d->shadowCache->setObjectName(QStringLiteral("KelShadowCache"));
        d->shadowCache->setCacheLimit(50);
    }
    return d->shadowCache;
}

QString KelUi::makeLink(const QString &url, const QString &text, int flags,
                        const QColor &color) const
{
    const QColor linkColor = color.isValid() ? color : kelStyle()->color(LinkColorRole);
    const QString decoration = (flags & LinkWithoutUnderline)
            ? QStringLiteral("text-decoration: none;")
            : QString();
    QString link = QStringLiteral("<a href='%1' style='color: %2; %3'>%4</a>")
                           .arg(url, linkColor.name(), decoration, text);
    if (flags & LinkBold)
        link = QStringLiteral("<b>%1</b>").arg(link);
    if (flags & LinkItalic)
        link = QStringLiteral("<i>%1</i>").arg(link);
    return link;
}

bool KelUi::openLinkInSuitableApp(const QString &link)
{
    const QFileInfo file(link);
    const QUrl url = !link.isEmpty() && file.exists() ? QUrl::fromLocalFile(file.absoluteFilePath())
                                                      : QUrl(link);
    const bool opened = QDesktopServices::openUrl(url);
    if (!opened) {
        qWarning() << "Open link in suitable app failed: " << link;
        messageBox(openFailedText(link), QString(), ErrorIconId);
    }
    emit linkOpened(link);
    return opened;
}

bool KelUi::openLinkInExplorer(const QString &path)
{
    if (path.isEmpty()) {
        qWarning() << "Request open link in explorer but the link is empty.";
        return false;
    }
    const QFileInfo file(path);
    if (!file.exists()) {
        qWarning() << "Request open link in explorer but the link is not exists." << path;
        return false;
    }
    if (file.isDir())
        return openLinkInSuitableApp(path);
    int failure = 0;
    if (!KelPlatform::showInFileManager(file.absoluteFilePath(), &failure)) {
        emit shellExecuteFailed(path, failure);
        qWarning() << "Request open link in explorer but the link is not exists." << path;
        messageBox(openFailedText(path), QString(), ErrorIconId);
        return false;
    }
    emit linkOpened(path);
    return true;
}

void KelUi::startNotAnnoyingMessageTimer(const QString &name, int intervalMs,
                                         std::function<void()> callback)
{
    const auto isIdle = [this] {
        KelWindow *window = mainWindow();
        return window && !window->isInSizeMoveLoop() && QApplication::activeWindow() == window
                && !QApplication::activeModalWidget() && !QApplication::activePopupWidget();
    };
    auto *timer = new NotAnnoyingMessageTimer(name, std::move(callback), isIdle, this);
    timer->start(intervalMs);
}

void KelUi::showWaitCursor()
{
    if (d->waitCursorShown)
        return;
    d->waitCursorShown = true;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    qWarning() << "UI is locked";
}

void KelUi::hideWaitCursor()
{
    if (!d->waitCursorShown)
        return;
    d->waitCursorShown = false;
    qWarning() << "UI is unlocked";
    QGuiApplication::restoreOverrideCursor();
}

bool KelUi::isMaintenanceMode() const
{
    return d->maintenanceMode;
}

void KelUi::setMaintenanceMode(bool on)
{
    if (d->maintenanceMode == on)
        return;
    d->maintenanceMode = on;
    emit maintenanceModeStateChanged(on);
}

void KelUi::translateTopLevelWindows()
{
    qInfo() << "Retranslate toplevel windows (call topLevelWidgets->translateUi)";
    const QList<QWidget *> windows = QApplication::topLevelWidgets();
    for (QWidget *widget : windows) {
        if (auto window = qobject_cast<KelWindow *>(widget))
            window->translateUi();
    }
}

QWidget *KelUi::widgetUnderMouse() const
{
    if (d->hoverWorkaround->hasPosition())
        return QApplication::widgetAt(d->hoverWorkaround->lastPosition());
    return QApplication::widgetAt(QGuiApplicationPrivate::lastCursorPosition.toPoint());
}

QString KelUi::lastWindowsErrorText()
{
    const int error = errno;
    if (error == 0)
        return QString();
    return QStringLiteral("%1 (%2)").arg(englishErrorText(error)).arg(error);
}

void KelUi::onMouseMove(QObject *receiver, QMouseEvent *event)
{
    d->hoverWorkaround->onMouseMove(receiver, event);
}

#include "moc_kelui.cpp"

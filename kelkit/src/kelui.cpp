#include "kelui.h"

#include "eventfilters/hoverleaveworkaround.h"
#include "kelapplication.h"
#include "kelsettings.h"
#include "painting/kelanimatedicons.h"
#include "painting/kelpixmapcache.h"
#include "styles/kelstyle.h"
#include "styles/kelstylemanager.h"
#include "utils/keldaychangetimer.h"

#include <private/qguiapplication_p.h>
#include <QApplication>
#include <QDebug>
#include <QPointer>
#include <QWidget>

#include <cerrno>
#include <cstring>
#include <locale.h>

namespace {

constexpr int LinkColorRole = 18;

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

    QPointer<KelUi> self;
    bool waitCursorShown = false;
    QPointer<KelWindow> mainWindow;
    QMetaObject::Connection firstShowConnection;
    QPointer<KelStyleManager> styleManager;
    HoverLeaveWorkaround *hoverWorkaround = nullptr;
    QPointer<KelPixmapCache> shadowCache;
    bool maintenanceMode = false;
};

KelUi::KelUi(QObject *parent) : QObject(parent), d(std::make_unique<Private>())
{
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
    auto app = dynamic_cast<KelApplication *>(QCoreApplication::instance());
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

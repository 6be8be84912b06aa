#include "kelapplication.h"

#include "eventfilters/platform/globalmousefeed.h"
#include "kelsettings.h"
#include "keltranslator.h"
#include "kelui.h"
#include "painting/kelicon.h"
#include "painting/keliconsprovider.h"
#include "utils/kelhooks.h"
#include "widgets/kellabel.h"
#include "windows/kelsplash.h"

#include <QDebug>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFutureWatcher>
#include <QMouseEvent>
#include <QPointer>
#include <QScreen>
#include <QSettings>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QStandardPaths>
#include <QThread>
#include <QtConcurrent>

#include <cmath>

namespace {

const QString CurrentVersionKey = QStringLiteral("CurrentVersion");
const QString EnglishLocale = QStringLiteral("en");

QString writableFolder(QStandardPaths::StandardLocation location, const QString &subFolder)
{
    QString path = QStandardPaths::writableLocation(location);
    QDir folder(path);
    if (!folder.exists())
        folder.mkpath(QStringLiteral("."));
    if (!subFolder.isEmpty())
        path += QLatin1Char('/') + subFolder;
    return QDir::toNativeSeparators(path);
}

// A framework label announces every change of its text, whoever sets it.
void announceLabelText(QLabel *label)
{
    if (auto kelLabel = qobject_cast<KelLabel *>(label))
        emit kelLabel->textChanged();
}

} // namespace

class KelApplication::Private
{
public:
    Qt::HANDLE guiThread = nullptr;
    QPointer<KelSettings> settings;
    QPointer<KelSplash> splash;
    QPointer<KelTranslator> translator;
    bool firstRun = true;
    QPointer<KelIconsProvider> iconsProvider;
    QPointer<KelUi> ui;
    QString settingsApplicationName;
    QString buildVersion;
    QString helpUrl;
    bool creatingUi = false;
    bool destroying = false;
};

KelApplication::KelApplication(int &argc, char **argv)
    : KelSingleApplication(argc, argv), d(std::make_unique<Private>())
{
    setAttribute(Qt::AA_DontCreateNativeWidgetSiblings, true);
    setAttribute(Qt::AA_UseHighDpiPixmaps, true);
    d->guiThread = QThread::currentThreadId();
    connect(this, &QCoreApplication::aboutToQuit, this, [this] { onAboutToQuit(); });
    KelHooks::installTextOptionHook();
    KelHooks::installLabelSetTextHook(announceLabelText);
}

KelApplication::~KelApplication()
{
    d->destroying = true;
    if (d->settings)
        d->settings->save();
    if (d->splash) {
        // The derived application is gone: nothing may call it back.
        disconnect(d->splash, nullptr, this, nullptr);
        delete d->splash;
    }
    delete d->ui;
    // Icons hold pixmaps, which must go while the GUI application exists.
    delete d->iconsProvider;
    d.reset();
    // Calls still queued here are never delivered. QApplication would delete
    // them while it holds the thread's event list, and an object that goes
    // with one (a pool task's result holding its item) deadlocks removing
    // its own events; deleted here, they go outside that lock.
    QCoreApplication::removePostedEvents(nullptr);
    qInfo() << "App is finished normally.";
}

bool KelApplication::init()
{
    return true;
}

bool KelApplication::notify(QObject *receiver, QEvent *event)
{
    // Before delivery, as a mouse hook sees the message before its window.
    KelPlatform::feedGlobalMouseEvent(receiver, event);
    const QEvent::Type type = event->type();
    if ((type != QEvent::MouseMove && type != QEvent::NonClientAreaMouseMove) || !receiver
        || !receiver->isWindowType()) {
        return KelSingleApplication::notify(receiver, event);
    }

    // Widgets under a window get whole-pixel positions; rounding a
    // fractional one up would place the cursor on the next pixel.
    auto mouse = static_cast<QMouseEvent *>(event);
    const QPointF local(std::floor(mouse->localPos().x()), std::floor(mouse->localPos().y()));
    QMouseEvent copy(type, local, mouse->windowPos(), mouse->screenPos(), mouse->button(),
                     mouse->buttons(), mouse->modifiers(), mouse->source());
    copy.setTimestamp(mouse->timestamp());
    copy.setAccepted(mouse->isAccepted());
    const bool result = KelSingleApplication::notify(receiver, &copy);
    if (d && d->ui)
        d->ui->onMouseMove(receiver, &copy);
    event->setAccepted(copy.isAccepted());
    return result;
}

KelUi *KelApplication::kelUi()
{
    if (!d || d->destroying)
        return nullptr;
    if (d->ui)
        return d->ui;
    if (d->creatingUi) {
        // Reached from the UI object's own construction: a second creation
        // would never end.
        qWarning() << "The UI object is asked for while it is being created";
        return nullptr;
    }
    d->creatingUi = true;
    KelUi *ui = createUi();
    d->creatingUi = false;
    d->ui = ui;
    if (!ui)
        return nullptr;
    ui->setParent(this);
    ui->init();
    return ui;
}

void KelApplication::setSettings(KelSettings *settings)
{
    d->settings = settings;
}

KelSettings *KelApplication::settings() const
{
    return d ? d->settings.data() : nullptr;
}

KelIconsProvider *KelApplication::iconsProvider()
{
    if (!d || d->destroying)
        return nullptr;
    if (!d->iconsProvider)
        d->iconsProvider = new KelIconsProvider(this);
    return d->iconsProvider;
}

bool KelApplication::isFirstRun() const
{
    return d->firstRun;
}

void KelApplication::setFirstRun(bool firstRun)
{
    d->firstRun = firstRun;
}

QString KelApplication::configLocation(const QString &subFolder)
{
    return writableFolder(QStandardPaths::AppConfigLocation, subFolder);
}

QString KelApplication::dataLocation(const QString &subFolder)
{
    return writableFolder(QStandardPaths::AppDataLocation, subFolder);
}

QString KelApplication::settingsApplicationName() const
{
    return d->settingsApplicationName.isEmpty() ? QCoreApplication::applicationName()
                                                : d->settingsApplicationName;
}

void KelApplication::setSettingsApplicationName(const QString &name)
{
    d->settingsApplicationName = name;
}

void KelApplication::loadApplicationVersion(const QString &buildVersion)
{
    d->buildVersion = buildVersion;
    const QSettings store(QCoreApplication::organizationName(), settingsApplicationName());
    setApplicationVersion(store.value(CurrentVersionKey, buildVersion).toString());
}

QString KelApplication::buildVersion() const
{
    return d->buildVersion;
}

void KelApplication::setHelpUrl(const QString &url)
{
    d->helpUrl = url;
}

QString KelApplication::helpUrl() const
{
    return d->helpUrl;
}

void KelApplication::installTranslator(const QString &filePrefix)
{
    installTranslator(QStringList{filePrefix});
}

void KelApplication::installTranslator(const QStringList &filePrefixes)
{
    auto translator = new KelTranslator(filePrefixes, this);
    d->translator = translator;
    connect(translator, &KelTranslator::languageChanged, this, [this](const QString &langCode) {
        if (d->settings)
            d->settings->setLocaleName(langCode);
    });

    const QString system = KelTranslator::systemLocaleName();
    bool applied = d->settings && translator->translate(d->settings->localeName(), false);
    if (!applied)
        applied = translator->translate(system, false);
    if (!applied) {
        const QString sameLanguage = translator->findByLanguageCode(system.left(2).toLower());
        translator->translate(sameLanguage.isEmpty() ? EnglishLocale : sameLanguage, false);
    }

    // Only switches after the start-up choice retranslate the windows.
    connect(translator, &KelTranslator::languageChanged, this, [this] {
        KelUi::translateTopLevelWindows();
        if (d->ui)
            d->ui->onLanguageChanged();
        onLanguageChanged();
    });
}

KelTranslator *KelApplication::translator() const
{
    return d->translator;
}

bool KelApplication::translate(const QString &localeName)
{
    return d->translator && d->translator->translate(localeName, false);
}

KelSplash *KelApplication::showSplash(const QString &pixmapPath, int minDurationMs,
                                      int animationIntervalMs, int minDots, int maxDots,
                                      const QString &fontFamily, int fontPixelSize,
                                      bool waitForMainWindow, QPoint loadingTextOffset,
                                      QPoint versionTextOffset, QColor loadingTextColor,
                                      QColor versionTextColor, bool versionAlignLeft)
{
    const int index = d->settings ? d->settings->lastScreen() : 0;
    const QList<QScreen *> screens = QGuiApplication::screens();
    QScreen *screen = nullptr;
    if (index >= 0 && index < screens.size()) {
        screen = screens.at(index);
        qInfo() << "Previously saved screen number:" << index;
    } else {
        qWarning() << "No screen found for previous saved main window pos. Use default screen. "
                      "Old screen number is"
                   << index;
        screen = QGuiApplication::primaryScreen();
        if (!screen) {
            qCritical() << "No screens are found!";
            return nullptr;
        }
    }

    const QRect geometry = screen->geometry();
    qInfo() << "Working geometry:" << geometry;
    qDebug() << "Show splash at least" << minDurationMs << "milliseconsds on" << screen
             << "screen. Screen geometry:" << geometry;

    QPixmap pixmap;
    if (KelIconsProvider *icons = iconsProvider()) {
        pixmap = icons->icon(pixmapPath)
                         ->pixmap(screen->devicePixelRatio(), QSize(), QColor(),
                                  KelPainting::Normal);
    }

    auto *splash = new KelSplash(geometry, pixmap, QCoreApplication::applicationVersion(),
                                 minDurationMs, animationIntervalMs, minDots, maxDots,
                                 waitForMainWindow, loadingTextOffset, versionTextOffset,
                                 loadingTextColor, versionTextColor, versionAlignLeft);
    d->splash = splash;
    QFont font(fontFamily);
    if (fontPixelSize > 0)
        font.setPixelSize(fontPixelSize);
    splash->setFont(font);
    connect(splash, &QObject::destroyed, this, [this] { onSplashDestroyed(); });
    splash->show();
    return splash;
}

KelSplash *KelApplication::splash() const
{
    return d ? d->splash.data() : nullptr;
}

bool KelApplication::isSplashVisible() const
{
    return d && d->splash && d->splash->isVisible();
}

bool KelApplication::isGuiThread() const
{
    return QThread::currentThreadId() == d->guiThread;
}

void KelApplication::prepareNetworkAccessManager()
{
    QElapsedTimer elapsed;
    elapsed.start();
    qInfo() << "Init SSL libraries: begin";
    // The splash keeps painting meanwhile; user input waits.
    QEventLoop loop;
    QFutureWatcher<void> watcher;
    connect(&watcher, &QFutureWatcher<void>::finished, &loop, &QEventLoop::quit);
    watcher.setFuture(QtConcurrent::run([] { QSslConfiguration::defaultConfiguration(); }));
    if (!watcher.isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    qInfo() << "Init SSL libraries: done, elapsed time:" << elapsed.elapsed() << "msec"
            << ", Enabled:" << QSslSocket::supportsSsl()
            << ", Version:" << QSslSocket::sslLibraryVersionString();
}

void KelApplication::onLanguageChanged() { }

KelUi *KelApplication::createUi()
{
    return new KelUi(this);
}

void KelApplication::onAboutToQuit() { }

void KelApplication::onSplashDestroyed() { }

KelUi *kelUi()
{
    auto app = dynamic_cast<KelApplication *>(QCoreApplication::instance());
    return app ? app->kelUi() : nullptr;
}

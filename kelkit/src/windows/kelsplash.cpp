#include "windows/kelsplash.h"

#include "kelui.h"
#include "windows/kelwindow.h"

#include <QCoreApplication>
#include <QDebug>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QTimer>

namespace {

const QPoint DefaultLoadingTextOffset(105, 46);
const QPoint DefaultVersionTextMargin(20, 20);

KelSplash::Clock &clockOverride()
{
    static KelSplash::Clock clock;
    return clock;
}

KelSplash::Clock makeClock()
{
    if (clockOverride())
        return clockOverride();
    auto timer = std::make_shared<QElapsedTimer>();
    timer->start();
    return [timer] { return timer->elapsed(); };
}

// The screen whose available area holds the centre of geometry, else the
// primary one, whose available area then replaces geometry.
QScreen *chooseScreen(QRect *geometry)
{
    const QList<QScreen *> screens = QGuiApplication::screens();
    for (QScreen *screen : screens) {
        if (screen->availableGeometry().contains(geometry->center()))
            return screen;
    }
    QScreen *primary = QGuiApplication::primaryScreen();
    if (primary)
        *geometry = primary->availableGeometry();
    return primary;
}

} // namespace

class KelSplash::Private
{
public:
    qint64 elapsed() const { return clock() - startTime; }
    void tick();
    void onMinDurationReached();
    void finishOn(KelWindow *mainWindow);

    KelSplash *q = nullptr;
    QPointer<KelSplash> self;
    QString loadingText;
    QColor loadingColor;
    QRect loadingRect;
    QString versionText;
    QColor versionColor;
    QRect versionRect;
    bool versionAlignLeft = false;
    QTimer *animationTimer = nullptr;
    Clock clock;
    qint64 startTime = 0;
    int animationInterval = 0;
    int minDuration = 0;
    int minDots = 0;
    int maxDots = 0;
    int dots = 0;
    bool waitForMainWindow = false;
    bool minDurationReached = false;
    bool finished = false;
};

void KelSplash::Private::tick()
{
    loadingText = QCoreApplication::translate("Application", "Loading%1")
                          .arg(QString(dots, QLatin1Char('.')));
    if (++dots > maxDots)
        dots = minDots;
    q->update();
    if (!minDurationReached && elapsed() >= minDuration) {
        minDurationReached = true;
        onMinDurationReached();
        if (!self)
            return;
    }
    if (!finished)
        animationTimer->start(animationInterval);
}

void KelSplash::Private::onMinDurationReached()
{
    if (!waitForMainWindow) {
        qInfo() << "Splash min wait time is reached and app is ready. No need to show "
                   "mainwindow, simply close splash";
        finished = true;
        animationTimer->stop();
        q->close();
        return;
    }
    qInfo() << "Splash min wait time is reached and app is ready. Show existing mainWindow or "
               "create it";
    KelUi *ui = kelUi();
    KelWindow *mainWindow = ui ? ui->mainWindow() : nullptr;
    if (!mainWindow) {
        qInfo() << "Main window still not exists";
        return;
    }
    qInfo() << "Main window already exists. Finish splash using" << mainWindow;
    finishOn(mainWindow);
}

void KelSplash::Private::finishOn(KelWindow *mainWindow)
{
    finished = true;
    animationTimer->stop();
    if (!mainWindow) {
        q->close();
        return;
    }
    mainWindow->showWithStrategy(KelWindow::NoChange);
    // Closes the splash once the main window is on screen.
    q->finish(mainWindow);
}

KelSplash::KelSplash(QRect screenGeometry, const QPixmap &pixmap, const QString &version,
                     int minDurationMs, int animationIntervalMs, int minDots, int maxDots,
                     bool waitForMainWindow, QPoint loadingTextOffset, QPoint versionTextOffset,
                     QColor loadingTextColor, QColor versionTextColor, bool versionAlignLeft)
    : QSplashScreen(pixmap), d(std::make_unique<Private>())
{
    d->q = this;
    d->self = this;

    QScreen *screen = chooseScreen(&screenGeometry);
    const double ratio = screen ? screen->devicePixelRatio() : 1.0;
    // The pixmap's device pixels as the screen shows them.
    const QRect logical = QRectF(0, 0, pixmap.width() / ratio, pixmap.height() / ratio)
                                  .toAlignedRect();

    d->loadingColor = loadingTextColor.isValid() ? loadingTextColor : QColor(Qt::white);
    const QPoint loadingOffset = loadingTextOffset.isNull() ? DefaultLoadingTextOffset
                                                            : loadingTextOffset;
    d->loadingRect = logical.adjusted(loadingOffset.x(), 0, 0, -loadingOffset.y());

    d->versionText = QStringLiteral("v%1").arg(version);
    d->versionColor = versionTextColor.isValid() ? versionTextColor : QColor(Qt::white);
    d->versionAlignLeft = versionAlignLeft;
    if (versionTextOffset.isNull()) {
        d->versionRect = logical.adjusted(0, 0, -DefaultVersionTextMargin.x(),
                                          -DefaultVersionTextMargin.y());
    } else if (versionAlignLeft) {
        d->versionRect = logical.adjusted(versionTextOffset.x(), 0, 0, -versionTextOffset.y());
    } else {
        d->versionRect = logical.adjusted(0, 0, -versionTextOffset.x(), -versionTextOffset.y());
    }

    d->animationInterval = animationIntervalMs;
    d->minDuration = minDurationMs;
    d->minDots = minDots;
    d->maxDots = maxDots;
    d->dots = minDots;
    d->waitForMainWindow = waitForMainWindow;
    d->clock = makeClock();
    d->startTime = d->clock();
    d->animationTimer = new QTimer(this);
    d->animationTimer->setObjectName(QStringLiteral("KelSplashAnimationTimer"));
    d->animationTimer->setSingleShot(true);
    d->animationTimer->start(0);

    setAttribute(Qt::WA_DeleteOnClose);
    // The splash closing before the main window shows must not end the
    // program.
    setAttribute(Qt::WA_QuitOnClose, false);
    if (screenGeometry.isValid()) {
        QRect frame = geometry();
        frame.moveCenter(screenGeometry.center());
        move(frame.topLeft());
    }
    connect(d->animationTimer, &QTimer::timeout, this, [this] { d->tick(); });
}

KelSplash::~KelSplash() = default;

void KelSplash::setMainWindowIsReady(KelWindow *mainWindow)
{
    // Until then the tick hands over when the time has passed.
    if (!d->minDurationReached)
        return;
    qInfo() << "Main window was created. Finish splash using" << mainWindow;
    d->finishOn(mainWindow);
}

QString KelSplash::loadingText() const
{
    return d->loadingText;
}

void KelSplash::setClock(Clock clock)
{
    clockOverride() = std::move(clock);
}

void KelSplash::drawContents(QPainter *painter)
{
    if (d->loadingColor.alpha() > 0) {
        painter->setPen(d->loadingColor);
        painter->drawText(d->loadingRect, Qt::AlignLeft | Qt::AlignBottom, d->loadingText);
    }
    if (d->versionColor.alpha() > 0) {
        painter->setPen(d->versionColor);
        const Qt::Alignment horizontal = d->versionAlignLeft ? Qt::AlignLeft : Qt::AlignRight;
        painter->drawText(d->versionRect, Qt::AlignBottom | horizontal, d->versionText);
    }
}

#include "moc_kelsplash.cpp"

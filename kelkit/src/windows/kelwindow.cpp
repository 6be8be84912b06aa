#include "windows/kelwindow.h"

#include "animators/kelgeometryanimator.h"
#include "animators/kelopacityanimator.h"
#include "kelapplication.h"
#include "kelsettings.h"
#include "kelui.h"
#include "painting/kelpaintcontext.h"
#include "painting/kelpainting.h"
#include "styles/kelstyle.h"
#include "utils/kelgeometryutils.h"
#include "utils/kellayoututils.h"
#include "utils/kelmaskutils.h"
#include "widgets/kelbutton.h"
#include "widgets/kellabel.h"
#include "windows/kelnativewindowutils.h"
#include "windows/keltitlebar.h"
#include "windows/kelwindowblockedoverlay.h"
#include "windows/kelwindowframe.h"
#include "windows/platform/compositingmanager.h"

#include <QCursor>
#include <QDataStream>
#include <QDebug>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPixmap>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

namespace {

// Typed with exactly Ctrl+Alt held, it toggles the maintenance mode.
const QString MaintenanceAccessWord = QStringLiteral("kelsvc");
// A drag-to-move starts past this Manhattan distance.
constexpr int DragThreshold = 4;
constexpr double InactiveBorderAlpha = 0.7;
constexpr int NoCompositorBorderWidth = 1;
constexpr int FadeDurationMetric = KelStyle::M_FadeDuration;
constexpr int GeometryDurationMetric = KelStyle::M_MoveDuration;

// The alignment along the edge's own axis: a side edge takes Left and Right
// as Top and Bottom, a top or bottom edge the reverse, so that a popup never
// keeps the coordinate it had before it was placed. Anything else centres.
int alignmentAlong(int edge, int alignment)
{
    const bool side = edge == Qt::LeftEdge || edge == Qt::RightEdge;
    switch (alignment) {
    case Qt::AlignJustify:
        return alignment;
    case Qt::AlignLeft:
    case Qt::AlignTop:
        return side ? Qt::AlignTop : Qt::AlignLeft;
    case Qt::AlignRight:
    case Qt::AlignBottom:
        return side ? Qt::AlignBottom : Qt::AlignRight;
    default:
        return side ? Qt::AlignVCenter : Qt::AlignHCenter;
    }
}

bool isModifierKey(int key)
{
    switch (key) {
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Shift:
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
        return true;
    default:
        return false;
    }
}

KelSettings *frameworkSettings()
{
    auto *app = dynamic_cast<KelApplication *>(QCoreApplication::instance());
    return app ? app->settings() : nullptr;
}

QString geometryKey(const QString &objectName)
{
    return objectName + QStringLiteral("_Geometry");
}

QString describe(const QWidget *window)
{
    if (!window)
        return QStringLiteral("KelWindow(nullptr)");
    const QString name = window->objectName().isEmpty()
            ? QString::fromLatin1(window->metaObject()->className())
            : window->objectName();
    return QStringLiteral("%1(0x%2)").arg(name).arg(quintptr(window), 16, 16, QLatin1Char('0'));
}

QString describe(const QScreen *screen)
{
    return screen ? screen->name() : QStringLiteral("QScreen(nullptr)");
}

Qt::WindowFlags windowFlagsFor(KelWindow::WindowParams params)
{
    Qt::WindowFlags flags = (params & KelWindow::PopupWindow) ? Qt::Popup : Qt::Window;
    flags |= Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint;
    if (params & KelWindow::WindowButtons) {
        flags |= Qt::WindowCloseButtonHint;
        if (params & KelWindow::MinimizeButton)
            flags |= Qt::WindowMinimizeButtonHint;
        if (params & KelWindow::MaximizeButton)
            flags |= Qt::WindowMaximizeButtonHint;
    }
    return flags;
}

// The frame rectangle stored in a QWidget::saveGeometry() value; null when
// it cannot be read. Qt moves a geometry that lies on no screen any more
// onto one when restoring it, so the stored one tells where it was.
QRect storedFrameGeometry(const QByteArray &geometry)
{
    QDataStream stream(geometry);
    stream.setVersion(QDataStream::Qt_4_0);
    quint32 magic = 0;
    quint16 major = 0;
    quint16 minor = 0;
    QRect frame;
    stream >> magic >> major >> minor >> frame;
    if (stream.status() != QDataStream::Ok || magic != 0x1D9D0CB || major > 3)
        return QRect();
    return frame;
}

bool intersectsSomeScreen(const QRect &rect)
{
    const QList<QScreen *> screens = QGuiApplication::screens();
    for (const QScreen *screen : screens) {
        if (screen->geometry().intersects(rect))
            return true;
    }
    return false;
}

KelWindow::ShadowType uiDefaultShadowType()
{
    KelUi *ui = kelUi();
    return ui ? ui->defaultShadowType() : KelWindow::DWM_API;
}

bool isMainWindow(const KelWindow *window)
{
    KelUi *ui = kelUi();
    return ui && ui->mainWindow() == window;
}

void toggleMaintenanceMode()
{
    if (KelUi *ui = kelUi())
        ui->setMaintenanceMode(!ui->isMaintenanceMode());
}

} // namespace

class KelWindow::Private
{
public:
    void restoreGeometryEarly(const QString &objectName);
    void placeOnParentScreen();
    void buildWidgetTree();
    void onScreenChanged(QScreen *screen);
    void checkTranslucentBackground();
    bool needsOutline() const;
    void updateOutlineMask();
    void placeByStrategy(ShowStrategy strategy);
    KelOpacityAnimator *opacityAnimator();
    KelGeometryAnimator *geometryAnimator();

    KelWindow *q = nullptr;
    WindowParams params;
    ShadowType shadowType = Not_Set;
    bool forceActivation = false;
    QString maintenanceKeys;
    KelNativeWindowUtils *nativeUtils = nullptr;
    bool geometryRestoredEarly = false;
    // Until the window has been shown its geometry is only a guess, never
    // worth saving.
    bool everShown = false;
    QPoint placementReference;
    QPointer<KelTitleBar> titleBar;
    QPointer<KelWidget> sideBar;
    QPointer<KelWidget> centralWidget;
    QPointer<QVBoxLayout> centralLayout;
    bool pressPending = false;
    QPoint pressPoint;
    double devicePixelRatio = -1.0;
    bool hovered = false;
    bool blocked = false;
    QPointer<KelWindowBlockedOverlay> blockedOverlay;
    QMetaObject::Connection screenChangedConnection;
    QPointer<QScreen> screen;
    KelOpacityAnimator *opacity = nullptr;
    KelGeometryAnimator *geometry = nullptr;
    bool outlineMasked = false;
};

void KelWindow::Private::restoreGeometryEarly(const QString &objectName)
{
    q->setObjectName(objectName);
    if (!q->hasSavedGeometry())
        return;
    const QRect previous = q->geometry();
    const QByteArray saved = q->savedGeometry();
    geometryRestoredEarly = q->restoreGeometry(saved);
    if (!geometryRestoredEarly) {
        qInfo() << "early restore geometry failed. Not a bug, maybe screen configuration was "
                   "changed";
        return;
    }
    qInfo() << "early restore geometry:" << geometryRestoredEarly << q->geometry()
            << "dpr:" << q->devicePixelRatioF() << q->windowState();
    const QRect stored = storedFrameGeometry(saved);
    if (intersectsSomeScreen(q->geometry()) && (stored.isNull() || intersectsSomeScreen(stored)))
        return;
    qWarning() << "  Restored geometry is out of screen!";
    qWarning() << "  Restored geom:" << (stored.isNull() ? q->geometry() : stored);
    qWarning() << "  Screens:";
    const QList<QScreen *> screens = QGuiApplication::screens();
    for (const QScreen *screen : screens)
        qWarning() << "    " << screen->name() << "dpr:" << screen->devicePixelRatio()
                   << "geom:" << screen->geometry();
    qWarning() << "Clear saved geometry";
    if (KelSettings *settings = frameworkSettings())
        settings->remove(geometryKey(objectName));
    q->setGeometry(previous);
    // setGeometry() marks the window moved; it was not.
    q->setAttribute(Qt::WA_Moved, false);
    geometryRestoredEarly = false;
}

void KelWindow::Private::placeOnParentScreen()
{
    QWidget *parent = q->parentWidget();
    QWidget *parentWindow = parent ? parent->window() : nullptr;
    QScreen *screen = parentWindow ? parentWindow->screen() : nullptr;
    if (!screen)
        return;
    placementReference = parentWindow->pos();
    // So that the native window is made on the parent's screen.
    q->move(screen->geometry().topLeft());
}

void KelWindow::Private::buildWidgetTree()
{
    centralLayout = new QVBoxLayout();
    centralLayout->setObjectName(QStringLiteral("KelCentralWidgetLayout"));
    centralLayout->setSpacing(0);
    centralLayout->setContentsMargins(0, 0, 0, 0);

    if (params & WindowButtons) {
        titleBar = new KelTitleBar(q);
        const Qt::WindowFlags flags = q->windowFlags();
        int buttons = 0;
        if (flags & Qt::WindowCloseButtonHint)
            buttons |= KelTitleBar::CloseButton;
        if (flags & Qt::WindowMinimizeButtonHint)
            buttons |= KelTitleBar::MinimizeButton;
        if (flags & Qt::WindowMaximizeButtonHint)
            buttons |= KelTitleBar::MaximizeButton;
        titleBar->setButtons(buttons);
        centralLayout->addWidget(titleBar);
        nativeUtils->setTitleBar(titleBar);
        const QList<KelButton *> titleButtons = titleBar->findChildren<KelButton *>();
        for (KelButton *button : titleButtons)
            nativeUtils->addClientAreaWidget(button);
    }

    centralWidget = new KelWidget(q);
    centralWidget->setObjectName(QStringLiteral("KelCentralWidget"));
    centralLayout->addWidget(centralWidget);

    QLayout *windowLayout = centralLayout;
    if (params & SideBarLayout) {
        auto *mainLayout = new QHBoxLayout();
        mainLayout->setObjectName(QStringLiteral("KelMainLayout"));
        mainLayout->setSpacing(0);
        sideBar = new KelWidget(q);
        sideBar->setObjectName(QStringLiteral("KelSideBar"));
        mainLayout->addWidget(sideBar);
        mainLayout->addLayout(centralLayout);
        windowLayout = mainLayout;
    }
    windowLayout->setContentsMargins(0, 0, 0, 0);
    windowLayout->setSizeConstraint(QLayout::SetMinAndMaxSize);
    q->setLayout(windowLayout);
}

void KelWindow::Private::onScreenChanged(QScreen *newScreen)
{
    const double ratio = q->devicePixelRatioF();
    if (devicePixelRatio < 0) {
        screen = newScreen;
        devicePixelRatio = ratio;
        qInfo() << describe(q) << "initial pixel ratio:" << ratio
                << "initial screen:" << describe(newScreen);
        return;
    }
    if (newScreen != screen) {
        qInfo() << describe(q) << "screen changed from" << describe(screen.data()) << "to"
                << describe(newScreen);
        screen = newScreen;
    }
    if (!qFuzzyCompare(ratio, devicePixelRatio)) {
        const double old = devicePixelRatio;
        qInfo() << describe(q) << "pixel ratio changed from" << old << "to" << ratio;
        emit q->devicePixelRatioChanged(ratio, old);
        devicePixelRatio = ratio;
        q->update();
    }
}

bool KelWindow::Private::needsOutline() const
{
    if (nativeUtils->usesDwmShadow())
        return false;
    KelWindowFrame *frame = nativeUtils->windowFrame();
    return frame->shapeFunction() || frame->hasCornerRadius();
}

void KelWindow::Private::checkTranslucentBackground()
{
    // Without a compositing manager a clear pixel shows black: the window
    // stays opaque and its outline is cut by a mask instead.
    const bool translucent = needsOutline() && KelPlatform::isCompositingManagerRunning();
    if (q->testAttribute(Qt::WA_TranslucentBackground) == translucent)
        return;
    qInfo() << describe(q) << "Turn Qt::WA_TranslucentBackground" << (translucent ? "ON" : "OFF");
    q->setAttribute(Qt::WA_TranslucentBackground, translucent);
    if (q->testAttribute(Qt::WA_WState_Created))
        qCritical() << "QTBUG-83424: Can't change Qt::WA_TranslucentBackground after window "
                       "creation. Please set Qt::WA_TranslucentBackground manually before "
                       "first call to winId()";
}

void KelWindow::Private::updateOutlineMask()
{
    const bool masked = needsOutline() && !KelPlatform::isCompositingManagerRunning();
    if (masked) {
        const QPainterPath outline = nativeUtils->windowFrame()->outline(q->size(), 1.0);
        KelUtils::setMask(q, q->size(), QPoint(), outline, 0.0, false, false);
    } else if (outlineMasked) {
        KelUtils::clearMask(q);
    }
    outlineMasked = masked;
}

void KelWindow::Private::placeByStrategy(ShowStrategy strategy)
{
    QWidget *parentWindow = q->parentWidget() ? q->parentWidget()->window() : nullptr;
    QRect geometry = q->geometry();
    geometry.setWidth(qMax(geometry.width(), q->minimumWidth()));
    geometry.setHeight(qMax(geometry.height(), q->minimumHeight()));
    switch (strategy) {
    case CenteredOnParent:
        if (parentWindow) {
            geometry.moveCenter(parentWindow->geometry().center());
        } else {
            const QList<QScreen *> screens = QGuiApplication::screens();
            KelSettings *settings = frameworkSettings();
            const int index = settings ? settings->lastScreen() : 0;
            QScreen *target = index >= 0 && index < screens.size()
                    ? screens.at(index)
                    : QGuiApplication::primaryScreen();
            if (target)
                geometry.moveCenter(target->geometry().center());
        }
        break;
    case CursorPos:
        geometry.moveTopLeft(QCursor::pos());
        break;
    case CursorScreen:
        if (QScreen *target = KelUtils::screenAtOrPrimary(QCursor::pos()))
            geometry.moveCenter(target->availableGeometry().center());
        break;
    case NoChange:
        break;
    }
    if (geometry != q->geometry())
        q->setGeometry(KelUtils::placeOnScreen(geometry, 1));
}

KelOpacityAnimator *KelWindow::Private::opacityAnimator()
{
    if (!opacity)
        opacity = new KelOpacityAnimator(q);
    return opacity;
}

KelGeometryAnimator *KelWindow::Private::geometryAnimator()
{
    if (!geometry)
        geometry = new KelGeometryAnimator(q);
    return geometry;
}

KelWindow::KelWindow(int styleId, WindowParams params, QWidget *parent, ShadowType shadowType,
                     bool deferStyle, const QString &objectName)
    : KelWidget(parent, windowFlagsFor(params)), KelStyleable(styleId),
      d(std::make_unique<Private>())
{
    d->q = this;
    d->params = params;

    setAttribute(Qt::WA_DontCreateNativeAncestors);
    setAttribute(Qt::WA_DeleteOnClose, false);
    d->shadowType = shadowType == Default ? uiDefaultShadowType() : shadowType;
    if (d->shadowType == DWM_API && !KelNativeWindowUtils::isDwmCompositionEnabled())
        d->shadowType = Custom_D2D_Compatible;
    d->nativeUtils = new KelNativeWindowUtils(this);
    d->nativeUtils->setResizable(params & Resizable);
    d->nativeUtils->setMovable(params & Movable);
    d->nativeUtils->setUseDwmShadow(d->shadowType == DWM_API);
    connect(d->nativeUtils, &KelNativeWindowUtils::moveByUserStarted, this,
            &KelWindow::moveByUserStarted);
    connect(d->nativeUtils, &KelNativeWindowUtils::moveByUserFinished, this,
            &KelWindow::moveByUserFinished);
    connect(d->nativeUtils, &KelNativeWindowUtils::resizeByUserStarted, this,
            &KelWindow::resizeByUserStarted);
    connect(d->nativeUtils, &KelNativeWindowUtils::resizeByUserFinished, this,
            &KelWindow::resizeByUserFinished);
    connect(d->nativeUtils->windowFrame(), &KelWindowFrame::outlineChanged, this,
            [this] { d->updateOutlineMask(); });

    if (!objectName.isEmpty())
        d->restoreGeometryEarly(objectName);
    if (!d->geometryRestoredEarly)
        d->placeOnParentScreen();

    d->buildWidgetTree();

    if (!deferStyle)
        applyStyle();

    connect(this, &KelWidget::hided, d->nativeUtils->windowFrame(),
            &KelWindowFrame::resetAnchorPlacement);
}

KelWindow::KelWindow(WindowParams params, QWidget *parent, ShadowType shadowType, bool deferStyle,
                     const QString &objectName)
    : KelWindow(KelStyle::WT_Window, params, parent, shadowType, deferStyle, objectName)
{ }

KelWindow::~KelWindow() = default;

QWidget *KelWindow::centralWidget() const
{
    return d->centralWidget;
}

KelTitleBar *KelWindow::titleBar() const
{
    return d->titleBar;
}

QWidget *KelWindow::sideBar() const
{
    return d->sideBar;
}

KelWindowFrame *KelWindow::windowFrame() const
{
    return d->nativeUtils->windowFrame();
}

KelNativeWindowUtils *KelWindow::nativeWindowUtils() const
{
    return d->nativeUtils;
}

KelWindow::WindowParams KelWindow::params() const
{
    return d->params;
}

KelWindow::ShadowType KelWindow::shadowType() const
{
    return d->shadowType;
}

void KelWindow::setTitle(const QString &title)
{
    if (d->titleBar)
        d->titleBar->titleLabel()->setText(title);
}

void KelWindow::setStaysOnTop(bool on)
{
    KelNativeWindowUtils::setStaysOnTop(this, on);
}

void KelWindow::setShowWithoutActivating(bool on)
{
    KelNativeWindowUtils::setShowWithoutActivating(this, on);
}

void KelWindow::setShowInTaskbar(bool on)
{
    KelNativeWindowUtils::setShowInTaskbar(this, on);
}

void KelWindow::setForceActivation(bool on)
{
    d->forceActivation = on;
}

bool KelWindow::isInSizeMoveLoop() const
{
    return d->nativeUtils->isInSizeMoveLoop();
}

void KelWindow::setBlocked(bool on)
{
    if (on && !d->blockedOverlay) {
        d->blockedOverlay = new KelWindowBlockedOverlay(this);
        d->blockedOverlay->setVisible(d->blocked);
    } else if (!on && d->blockedOverlay) {
        d->blockedOverlay->hide();
        d->blockedOverlay->deleteLater();
        d->blockedOverlay = nullptr;
    }
}

bool KelWindow::hasSavedGeometry() const
{
    KelSettings *settings = frameworkSettings();
    return !objectName().isEmpty() && settings && settings->contains(geometryKey(objectName()));
}

QByteArray KelWindow::savedGeometry() const
{
    KelSettings *settings = frameworkSettings();
    if (objectName().isEmpty() || !settings)
        return QByteArray();
    return settings->value(geometryKey(objectName())).toByteArray();
}

void KelWindow::restoreSavedGeometry()
{
    if (d->geometryRestoredEarly)
        return;
    const bool restored = hasSavedGeometry() && restoreGeometry(savedGeometry());
    if (!restored && isHidden())
        centerOnScreen();
}

void KelWindow::saveWindowGeometry()
{
    KelSettings *settings = frameworkSettings();
    if (!settings || !d->everShown)
        return;
    if (!objectName().isEmpty())
        settings->setValue(geometryKey(objectName()), saveGeometry());
    if (isMainWindow(this))
        settings->setLastScreen(QGuiApplication::screens().indexOf(screen()));
}

void KelWindow::centerOnScreen()
{
    if (isMaximized())
        return;
    if (!testAttribute(Qt::WA_Resized)) {
        adjustSize();
        resize(minimumSize().isEmpty() ? sizeHint() : minimumSize());
    }
    if (testAttribute(Qt::WA_Moved) && pos() != d->placementReference)
        return;
    QScreen *target = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!target)
        return;
    QRect geometry = this->geometry();
    geometry.moveCenter(target->availableGeometry().center());
    setGeometry(geometry);
}

void KelWindow::showWithStrategy(ShowStrategy strategy)
{
    QWidget *parentWindow = parentWidget() ? parentWidget()->window() : nullptr;
    if (parentWindow && strategy == CenteredOnParent) {
        if (parentWindow->isMinimized())
            parentWindow->setWindowState(parentWindow->windowState() & ~Qt::WindowMinimized);
        if (parentWindow->isHidden()) {
            parentWindow->show();
            parentWindow->raise();
        }
    }
    if (isMinimized())
        setWindowState(windowState() & ~Qt::WindowMinimized);

    if (isHidden()) {
        if (!(d->params & Resizable)) {
            if (!testAttribute(Qt::WA_WState_Created) && !parentWidget() && hasHeightForWidth()) {
                d->checkTranslucentBackground();
                winId();
            }
            if (!testAttribute(Qt::WA_Resized))
                resize(preferredShowSize());
        } else if (strategy != NoChange) {
            // The size show() would settle on, so that the window is centred
            // on what it shows.
            ensurePolished();
            KelUtils::activateLayoutsRecursively(this);
            if (!testAttribute(Qt::WA_Resized))
                adjustSize();
        }
        // Placed before it is mapped: a window manager may keep the first
        // position it sees and ignore a move that follows the map.
        if (strategy != NoChange)
            d->placeByStrategy(strategy);
        show();
    }
    // Again once shown, in case showing changed its size.
    if (strategy != NoChange)
        d->placeByStrategy(strategy);

    raise();
    if (testAttribute(Qt::WA_ShowWithoutActivating))
        return;
    if (d->forceActivation) {
        KelNativeWindowUtils::forcedActivateWindow(this);
        return;
    }
    if (!isActiveWindow())
        activateWindow();
}

void KelWindow::showAnimated()
{
    if (isHidden()) {
        setWindowOpacity(0.01);
        const bool movedAway = testAttribute(Qt::WA_Moved) && pos() != d->placementReference;
        showWithStrategy(parentWidget() && !movedAway ? CenteredOnParent : NoChange);
    }
    d->opacityAnimator()->animateOpacity(1.0, true, kelStyle()->metric(FadeDurationMetric));
}

void KelWindow::setVisibleAnimated(bool visible, bool animated, int durationMs)
{
    if (durationMs < 0 && animated)
        durationMs = kelStyle()->metric(FadeDurationMetric);
    if (visible && isHidden()) {
        if (animated)
            setWindowOpacity(0.01);
        const bool movedAway = testAttribute(Qt::WA_Moved) && pos() != d->placementReference;
        showWithStrategy(parentWidget() && !movedAway ? CenteredOnParent : NoChange);
    }
    d->opacityAnimator()->animateOpacity(visible ? 1.0 : 0.0, animated, qMax(0, durationMs));
}

void KelWindow::fadeOut()
{
    d->opacityAnimator()->animateOpacity(0.0, true, kelStyle()->metric(FadeDurationMetric));
}

void KelWindow::animateGeometry(const QRect &geometry, bool animated, int durationMs)
{
    if (durationMs < 0 && animated)
        durationMs = kelStyle()->metric(GeometryDurationMetric);
    d->geometryAnimator()->animateGeometry(geometry, animated, qMax(0, durationMs));
}

int KelWindow::placeBesideRect(const QRect &anchor, int edge, int alignment, bool animated,
                               const QPoint &offset, int step)
{
    KelWindowFrame *frame = windowFrame();
    const QSize size = preferredShowSize();
    frame->setAnchorPlacement(edge, alignment);
    auto placed = [&](int side) {
        const QRect rect = KelUtils::alignedRect(anchor, QRect(QPoint(), size), Qt::Edge(side),
                                                 Qt::AlignmentFlag(alignmentAlong(side, alignment)),
                                                 offset);
        return KelUtils::placeOnScreen(rect, step);
    };
    QRect rect = placed(edge);
    const bool fits = !rect.intersects(anchor);
    int opposite = edge;
    switch (edge) {
    case Qt::TopEdge:
        opposite = Qt::BottomEdge;
        break;
    case Qt::BottomEdge:
        opposite = Qt::TopEdge;
        break;
    case Qt::LeftEdge:
        opposite = Qt::RightEdge;
        break;
    case Qt::RightEdge:
        opposite = Qt::LeftEdge;
        break;
    default:
        break;
    }
    if (!fits) {
        const QRect flipped = placed(opposite);
        if (!flipped.intersects(anchor)) {
            rect = flipped;
            frame->setAnchorPlacement(opposite, alignment);
        } else {
            frame->resetAnchorPlacement();
        }
    }
    if (isVisible()) {
        animateGeometry(rect, true, kelStyle()->metric(GeometryDurationMetric));
    } else {
        setGeometry(rect);
        setVisibleAnimated(true, animated);
    }
    return fits ? edge : opposite;
}

QSize KelWindow::preferredShowSize()
{
    KelUtils::activateLayoutsRecursively(this);
    {
        // Rendering once lets layouts that settle while painting settle.
        QPixmap discarded(size().expandedTo(QSize(1, 1)));
        render(&discarded);
    }
    const QSize hint = sizeHint();
    const int width = qBound(minimumWidth(), hint.width(), maximumWidth());
    const int height = hasHeightForWidth() ? heightForWidth(width) : hint.height();
    return QSize(width, qBound(minimumHeight(), height, maximumHeight()));
}

void KelWindow::translateUi()
{
    qInfo() << "Retranslate" << describe(this);
    if (d->titleBar)
        d->titleBar->retranslate();
}

void KelWindow::setVisible(bool visible)
{
    // The translucency of a native window is fixed when it is made.
    if (visible && !testAttribute(Qt::WA_WState_Created))
        d->checkTranslucentBackground();
    KelWidget::setVisible(visible);
}

bool KelWindow::hasHeightForWidth() const
{
    if (d->nativeUtils->isSystemMoveInProgress())
        return false;
    return KelWidget::hasHeightForWidth();
}

void KelWindow::applyStyle()
{
    kelStyle()->applyWindowStyle(this, hasStyleId() ? styleId() : 0);
}

bool KelWindow::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::Enter:
        if (isEnabled()) {
            d->hovered = true;
            emit hovered();
        }
        break;
    case QEvent::Leave:
        d->hovered = false;
        emit leaved();
        break;
    case QEvent::WindowBlocked:
        d->blocked = true;
        if (d->blockedOverlay)
            d->blockedOverlay->show();
        break;
    case QEvent::WindowUnblocked:
        d->blocked = false;
        if (d->blockedOverlay)
            d->blockedOverlay->hide();
        break;
    case QEvent::WindowStateChange:
        if (d->titleBar)
            d->titleBar->setVisible(true);
        break;
    case QEvent::Show:
        d->everShown = true;
        break;
    case QEvent::WindowTitleChange:
        // The bar draws the title; a window that only names itself to the
        // system still shows its name.
        if (d->titleBar && !windowTitle().isEmpty())
            d->titleBar->titleLabel()->setText(windowTitle());
        break;
    case QEvent::WinIdChange:
        QObject::disconnect(d->screenChangedConnection);
        if (QWindow *handle = windowHandle()) {
            d->screenChangedConnection = connect(handle, &QWindow::screenChanged, this,
                                                 [this](QScreen *s) { d->onScreenChanged(s); });
            d->onScreenChanged(handle->screen());
        }
        break;
    default:
        break;
    }
    return KelWidget::event(event);
}

void KelWindow::mousePressEvent(QMouseEvent *event)
{
    if ((d->params & Movable) && event->button() == Qt::LeftButton && !isMaximized()
        && !isFullScreen()) {
        d->pressPending = true;
        d->pressPoint = event->globalPos();
        event->accept();
        return;
    }
    KelWidget::mousePressEvent(event);
}

void KelWindow::mouseReleaseEvent(QMouseEvent *event)
{
    d->pressPending = false;
    KelWidget::mouseReleaseEvent(event);
}

void KelWindow::mouseMoveEvent(QMouseEvent *event)
{
    if (d->pressPending && (event->globalPos() - d->pressPoint).manhattanLength() > DragThreshold) {
        d->pressPending = false;
        KelNativeWindowUtils::startSystemMove(this);
        event->accept();
        return;
    }
    KelWidget::mouseMoveEvent(event);
}

void KelWindow::keyPressEvent(QKeyEvent *event)
{
    // Pressing Ctrl or Alt again between letters, as typing the word as
    // chords does, neither adds to the word nor breaks it; a letter typed
    // without both does.
    if (isModifierKey(event->key())) {
        KelWidget::keyPressEvent(event);
        return;
    }
    const bool ctrlAlt = event->modifiers() == (Qt::ControlModifier | Qt::AltModifier);
    if (!ctrlAlt || event->text().isEmpty()) {
        d->maintenanceKeys.clear();
        KelWidget::keyPressEvent(event);
        return;
    }
    d->maintenanceKeys += QKeySequence(event->key()).toString(QKeySequence::PortableText);
    if (!MaintenanceAccessWord.startsWith(d->maintenanceKeys, Qt::CaseInsensitive)) {
        d->maintenanceKeys.clear();
        KelWidget::keyPressEvent(event);
        return;
    }
    if (d->maintenanceKeys.compare(MaintenanceAccessWord, Qt::CaseInsensitive) == 0) {
        toggleMaintenanceMode();
        d->maintenanceKeys.clear();
    }
    event->accept();
}

void KelWindow::paintEvent(QPaintEvent *)
{
    KelWindowFrame *frame = windowFrame();
    int borderWidth = frame->borderWidth();
    QColor borderColor = frame->borderColor();
    // Without a compositing manager there is no shadow to show where the
    // window ends, so a frameless window draws at least a hairline.
    if (borderWidth == 0 && !isMaximized() && !isFullScreen() && !d->nativeUtils->usesDwmShadow()
        && !KelPlatform::isCompositingManagerRunning()) {
        borderWidth = NoCompositorBorderWidth;
        if (borderColor.alpha() == 0)
            borderColor = kelStyle()->color(KelStyle::CL_Window_Border);
    }
    if (frame->dimInactiveBorder() && !isActiveWindow())
        borderColor.setAlphaF(borderColor.alphaF() * InactiveBorderAlpha);

    KelPaintContext ctx(this);
    const double ratio = ctx.devicePixelRatio();
    QRectF rect = ctx.rect();
    const QSize client = d->nativeUtils->clientSize();
    if (client.width() < rect.right() * ratio)
        rect.setRight(rect.right() - 1.0 / ratio);
    if (client.height() < rect.bottom() * ratio)
        rect.setBottom(rect.bottom() - 1.0 / ratio);

    QPen pen(Qt::NoPen);
    if (borderWidth > 0)
        pen = QPen(borderColor, qRound(borderWidth * ratio) / ratio, Qt::SolidLine, Qt::SquareCap,
                   Qt::MiterJoin);
    const QBrush brush = palette().brush(backgroundRole());

    d->checkTranslucentBackground();

    if (!d->nativeUtils->usesDwmShadow() && frame->shapeFunction()) {
        ctx.setPen(pen);
        ctx.setBrush(brush);
        ctx.setRenderHint(QPainter::Antialiasing);
        ctx.translate(rect.topLeft());
        ctx.drawPath(frame->outline(rect.size(), 1.0));
        return;
    }
    if (brush.style() != Qt::NoBrush) {
        ctx.setPen(Qt::NoPen);
        ctx.setBrush(brush);
        KelPainting::drawFramePath(&ctx, rect, frame->cornerRadii());
    }
    if (pen.style() != Qt::NoPen) {
        ctx.setPen(pen);
        ctx.setBrush(Qt::NoBrush);
        KelPainting::drawFramePath(&ctx, rect, frame->cornerRadii());
    }
}

void KelWindow::resizeEvent(QResizeEvent *event)
{
    KelWidget::resizeEvent(event);
    d->updateOutlineMask();
}

bool KelWindow::nativeEvent(const QByteArray &eventType, void *message, long *result)
{
    if (d->nativeUtils->nativeEvent(eventType, message, result))
        return true;
    return KelWidget::nativeEvent(eventType, message, result);
}

#include "moc_kelwindow.cpp"

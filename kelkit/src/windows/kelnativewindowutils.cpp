#include "windows/kelnativewindowutils.h"

#include "utils/kelgeometryutils.h"
#include "windows/kelcustomshadow.h"
#include "windows/kelwindowframe.h"
#include "windows/platform/systemmoveresize.h"
#include "windows/platform/windowhints.h"

#include <QDebug>
#include <QEvent>
#include <QPointer>
#include <QVector>
#include <QWidget>
#include <QWindow>

class KelNativeWindowUtils::Private
{
public:
    QWindow *nativeWindow() const;
    bool isClientAreaWidget(const QWidget *widget) const;
    HitZone resizeZone(int x, int y) const;
    void updateFrame();

    KelNativeWindowUtils *q = nullptr;
    QPointer<QWidget> window;
    KelWindowFrame *frame = nullptr;
    bool resizable = false;
    bool movable = false;
    QPointer<QWidget> captionWidget;
    QVector<QPointer<QWidget>> clientAreaWidgets;
    QPointer<QWindow> handle;
    bool dwmFrame = false;
    QPointer<KelCustomShadow> customShadow;
    KelPlatform::SystemMoveResize *moveResize = nullptr;
};

QWindow *KelNativeWindowUtils::Private::nativeWindow() const
{
    QWindow *w = window ? window->windowHandle() : nullptr;
    return w && w->handle() ? w : nullptr;
}

bool KelNativeWindowUtils::Private::isClientAreaWidget(const QWidget *widget) const
{
    for (const QPointer<QWidget> &client : clientAreaWidgets) {
        if (client == widget)
            return true;
    }
    return false;
}

KelNativeWindowUtils::HitZone KelNativeWindowUtils::Private::resizeZone(int x, int y) const
{
    if (!resizable || window->isMaximized() || window->isFullScreen())
        return HitNone;
    const QRect r = KelPlatform::nativeWindowRect(nativeWindow());
    const int left = r.x();
    const int top = r.y();
    const int right = r.x() + r.width();
    const int bottom = r.y() + r.height();
    const int band = KelPlatform::resizeBandWidth(window->devicePixelRatioF());
    const bool horizontal = window->minimumWidth() != window->maximumWidth();
    const bool vertical = window->minimumHeight() != window->maximumHeight();
    const bool inLeft = left <= x && x < left + band;
    const bool inRight = right - band <= x && x < right;
    const bool inTop = top <= y && y < top + band;
    const bool inBottom = bottom - band <= y && y < bottom;

    HitZone zone = HitNone;
    if (horizontal) {
        if (inLeft)
            zone = HitLeft;
        if (inRight)
            zone = HitRight;
    }
    if (vertical) {
        if (inBottom)
            zone = HitBottom;
        if (inTop)
            zone = HitTop;
    }
    if (horizontal && vertical) {
        if (inLeft && inBottom)
            zone = HitBottomLeft;
        if (inRight && inBottom)
            zone = HitBottomRight;
        if (inLeft && inTop)
            zone = inRight ? HitTopRight : HitTopLeft;
        else if (inRight && inTop)
            zone = HitTopRight;
    }
    return zone;
}

void KelNativeWindowUtils::Private::updateFrame()
{
    if (!dwmFrame && nativeWindow()) {
        if (!customShadow)
            customShadow = new KelCustomShadow(q, window, frame);
        else
            customShadow->updateShadowWindow();
        return;
    }
    delete customShadow;
}

KelNativeWindowUtils::KelNativeWindowUtils(QWidget *window)
    : QObject(window), d(std::make_unique<Private>())
{
    d->q = this;
    d->window = window;
    d->frame = new KelWindowFrame(this, window);
    d->moveResize = new KelPlatform::SystemMoveResize(
            window, [this](const QPoint &p) { return int(hitTest(p.x(), p.y())); }, this);
    connect(d->moveResize, &KelPlatform::SystemMoveResize::moveStarted, this, [this] {
        qInfo() << "System move started";
        emit moveByUserStarted();
    });
    connect(d->moveResize, &KelPlatform::SystemMoveResize::moveFinished, this, [this] {
        qInfo() << "System move finished";
        emit moveByUserFinished();
    });
    connect(d->moveResize, &KelPlatform::SystemMoveResize::resizeStarted, this, [this] {
        qInfo() << "System resize started";
        emit resizeByUserStarted();
    });
    connect(d->moveResize, &KelPlatform::SystemMoveResize::resizeFinished, this, [this] {
        qInfo() << "System resize finished";
        emit resizeByUserFinished();
    });
    if (window)
        window->installEventFilter(this);
}

KelNativeWindowUtils::~KelNativeWindowUtils() = default;

void KelNativeWindowUtils::setResizable(bool resizable)
{
    d->resizable = resizable;
}

void KelNativeWindowUtils::setMovable(bool movable)
{
    d->movable = movable;
}

void KelNativeWindowUtils::setUseDwmShadow(bool on)
{
    if (d->dwmFrame == on)
        return;
    d->dwmFrame = on;
    if (d->nativeWindow())
        d->updateFrame();
}

bool KelNativeWindowUtils::usesDwmShadow() const
{
    return d->dwmFrame;
}

void KelNativeWindowUtils::setTitleBar(QWidget *titleBar)
{
    d->captionWidget = titleBar;
}

void KelNativeWindowUtils::addClientAreaWidget(QWidget *widget)
{
    if (!widget || d->isClientAreaWidget(widget))
        return;
    d->clientAreaWidgets.append(widget);
}

void KelNativeWindowUtils::addClientAreaWidgets(const QList<QWidget *> &widgets)
{
    for (QWidget *widget : widgets)
        addClientAreaWidget(widget);
}

KelWindowFrame *KelNativeWindowUtils::windowFrame() const
{
    return d->frame;
}

KelCustomShadow *KelNativeWindowUtils::customShadow() const
{
    return d->customShadow;
}

QSize KelNativeWindowUtils::clientSize() const
{
    if (!d->window)
        return QSize();
    const double ratio = d->window->devicePixelRatioF();
    return QSize(qRound(d->window->width() * ratio), qRound(d->window->height() * ratio));
}

bool KelNativeWindowUtils::isSystemMoveInProgress() const
{
    return d->moveResize->isMoveInProgress();
}

bool KelNativeWindowUtils::isInSizeMoveLoop() const
{
    return d->moveResize->isMoveInProgress() || d->moveResize->isResizeInProgress();
}

KelNativeWindowUtils::HitZone KelNativeWindowUtils::hitTest(int x, int y) const
{
    QWindow *handle = d->nativeWindow();
    if (!handle)
        return HitNone;
    const HitZone band = d->resizeZone(x, y);
    if (band != HitNone)
        return band;

    const QPoint point(x, y);
    QWidget *caption = d->captionWidget;
    if (d->movable && caption && caption->isVisible()
        && caption->rect().contains(KelUtils::mapDeviceToWidget(caption, point))) {
        QWidget *child = d->window->childAt(KelUtils::mapDeviceToWidget(d->window, point));
        return child && d->isClientAreaWidget(child) ? HitClient : HitCaption;
    }

    const QRect r = KelPlatform::nativeWindowRect(handle);
    const bool inside = r.x() < x && x < r.x() + r.width() && r.y() < y && y < r.y() + r.height();
    return inside ? HitClient : HitNone;
}

bool KelNativeWindowUtils::nativeEvent(const QByteArray &eventType, void *message, long *result)
{
    // The X11 window manager asks the window nothing; moves and resizes
    // are requested from the mouse events (SystemMoveResize).
    Q_UNUSED(eventType)
    Q_UNUSED(message)
    Q_UNUSED(result)
    return false;
}

bool KelNativeWindowUtils::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != d->window)
        return false;
    switch (event->type()) {
    case QEvent::WinIdChange: {
        QWindow *handle = d->nativeWindow();
        if (!handle) {
            qCritical() << "WinIdChange but not created";
            break;
        }
        if (d->handle && d->handle != handle)
            qWarning() << "WinId changed:" << handle->winId();
        d->handle = handle;
        d->moveResize->attach();
        d->updateFrame();
        break;
    }
    case QEvent::Show:
        d->moveResize->attach();
        if (d->customShadow)
            d->customShadow->updateShadowWindow();
        break;
    case QEvent::Hide:
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::WindowStateChange:
        if (d->customShadow)
            d->customShadow->updateVisibility();
        break;
    default:
        break;
    }
    return false;
}

void KelNativeWindowUtils::startSystemMove(QWidget *widget)
{
    QWidget *window = widget ? widget->window() : nullptr;
    if (!window || !window->isVisible())
        return;
    auto *utils = window->findChild<KelNativeWindowUtils *>(QString(), Qt::FindDirectChildrenOnly);
    if (utils) {
        utils->d->moveResize->startMove();
    } else if (QWindow *handle = window->windowHandle()) {
        handle->startSystemMove();
    }
}

void KelNativeWindowUtils::forcedActivateWindow(QWidget *widget)
{
    if (!KelPlatform::forceActivate(widget))
        qCritical() << "Has no created native toplevel window";
}

void KelNativeWindowUtils::setStaysOnTop(QWidget *widget, bool on)
{
    KelPlatform::setStaysOnTop(widget, on);
}

void KelNativeWindowUtils::setShowWithoutActivating(QWidget *widget, bool on)
{
    KelPlatform::setShowWithoutActivating(widget, on);
}

void KelNativeWindowUtils::setShowInTaskbar(QWidget *widget, bool on)
{
    KelPlatform::setShowInTaskbar(widget, on);
}

bool KelNativeWindowUtils::isDwmCompositionEnabled()
{
    return false;
}

bool KelNativeWindowUtils::isWindows10OrGreater(int build)
{
    Q_UNUSED(build)
    return false;
}

#include "moc_kelnativewindowutils.cpp"

#include "windows/platform/systemmoveresize.h"

#include "windows/kelnativewindowutils.h"

#include <QCursor>
#include <QDebug>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <QX11Info>
#include <qpa/qwindowsysteminterface.h>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace {

using Zone = KelNativeWindowUtils::HitZone;

// How often the pointer is asked whether the window manager's move or
// resize has ended.
constexpr int PointerPollMs = 50;
// A caption drag starts moving past this Manhattan distance.
constexpr int DragThreshold = 4;

Qt::Edges edgesOf(int zone)
{
    switch (zone) {
    case Zone::HitLeft:
        return Qt::LeftEdge;
    case Zone::HitTop:
        return Qt::TopEdge;
    case Zone::HitRight:
        return Qt::RightEdge;
    case Zone::HitBottom:
        return Qt::BottomEdge;
    case Zone::HitTopLeft:
        return Qt::TopEdge | Qt::LeftEdge;
    case Zone::HitTopRight:
        return Qt::TopEdge | Qt::RightEdge;
    case Zone::HitBottomLeft:
        return Qt::BottomEdge | Qt::LeftEdge;
    case Zone::HitBottomRight:
        return Qt::BottomEdge | Qt::RightEdge;
    default:
        return Qt::Edges();
    }
}

Qt::CursorShape cursorOf(Qt::Edges edges)
{
    if (edges == (Qt::TopEdge | Qt::LeftEdge) || edges == (Qt::BottomEdge | Qt::RightEdge))
        return Qt::SizeFDiagCursor;
    if (edges == (Qt::TopEdge | Qt::RightEdge) || edges == (Qt::BottomEdge | Qt::LeftEdge))
        return Qt::SizeBDiagCursor;
    if (edges & (Qt::LeftEdge | Qt::RightEdge))
        return Qt::SizeHorCursor;
    return Qt::SizeVerCursor;
}

struct FreeDeleter
{
    void operator()(void *p) const { std::free(p); }
};

// Whether the left mouse button is held anywhere on the display.
bool isLeftButtonDown()
{
    if (!QX11Info::isPlatformX11())
        return false;
    xcb_connection_t *connection = QX11Info::connection();
    const xcb_query_pointer_cookie_t cookie = xcb_query_pointer(connection,
                                                                QX11Info::appRootWindow());
    std::unique_ptr<xcb_query_pointer_reply_t, FreeDeleter> reply(
            xcb_query_pointer_reply(connection, cookie, nullptr));
    return reply && (reply->mask & XCB_BUTTON_MASK_1);
}

} // namespace

namespace KelPlatform {

int resizeBandWidth(double devicePixelRatio)
{
    return qRound(4 + 4 * devicePixelRatio);
}

QPoint toNativePosition(const QWindow *window, const QPointF &globalPos)
{
    const QScreen *screen = window ? window->screen() : nullptr;
    if (!screen)
        return globalPos.toPoint();
    // Qt scales logical coordinates around each screen's top-left corner,
    // which is the same in logical and physical pixels.
    const QPointF origin = screen->geometry().topLeft();
    const double ratio = window->devicePixelRatio();
    return (origin + (globalPos - origin) * ratio).toPoint();
}

QRect nativeWindowRect(const QWindow *window)
{
    if (!window)
        return QRect();
    const QRect frame = window->frameGeometry();
    const QPoint topLeft = toNativePosition(window, frame.topLeft());
    const double ratio = window->devicePixelRatio();
    return QRect(topLeft, QSize(qRound(frame.width() * ratio), qRound(frame.height() * ratio)));
}

class SystemMoveResize::Private
{
public:
    enum class Operation { None, Move, Resize };

    bool mouseEvent(QMouseEvent *event);
    bool begin(Operation what, Qt::Edges which);
    // How the mouse came back from the window manager, when it ran it.
    enum class Return { Release, Press, Other };
    void finish(Return how = Return::Release);
    void releaseButtonInQt();
    void follow(const QPoint &globalPos);
    void showZoneCursor(int zone, const QPoint &globalPos);
    void restoreCursor(const QPoint &globalPos);
    void toggleMaximized();
    int zoneAt(const QMouseEvent *event) const;

    SystemMoveResize *q = nullptr;
    QPointer<QWidget> window;
    ZoneFunction zoneFunction;
    QPointer<QWindow> handle;

    Operation operation = Operation::None;
    // The window manager runs the operation and holds the mouse.
    bool byManager = false;
    Qt::Edges edges;
    QPoint origin;
    QRect startGeometry;

    QPoint lastGlobalPos;
    bool captionPressed = false;
    QPoint pressGlobalPos;
    bool bandCursorShown = false;
    QTimer pointerPoll;
};

int SystemMoveResize::Private::zoneAt(const QMouseEvent *event) const
{
    return zoneFunction ? zoneFunction(toNativePosition(handle, event->screenPos()))
                        : int(Zone::HitClient);
}

bool SystemMoveResize::Private::mouseEvent(QMouseEvent *event)
{
    const QPoint globalPos = event->screenPos().toPoint();
    lastGlobalPos = globalPos;
    const QEvent::Type type = event->type();

    if (operation != Operation::None) {
        if (byManager) {
            // The manager gave the mouse back: its operation is over.
            if (type == QEvent::MouseButtonPress)
                finish(Return::Press);
            else if (type == QEvent::MouseButtonRelease)
                finish(Return::Release);
            else
                return false;
        } else {
            if (type == QEvent::MouseMove) {
                follow(globalPos);
            } else if (type == QEvent::MouseButtonRelease && event->button() == Qt::LeftButton) {
                follow(globalPos);
                finish();
                // Qt's own press bookkeeping ends with the release.
                return false;
            }
            return true;
        }
    }

    switch (type) {
    case QEvent::MouseButtonPress: {
        if (event->button() != Qt::LeftButton)
            return captionPressed;
        const int zone = zoneAt(event);
        const Qt::Edges which = edgesOf(zone);
        if (which) {
            begin(Operation::Resize, which);
            return true;
        }
        if (zone == Zone::HitCaption) {
            captionPressed = true;
            pressGlobalPos = globalPos;
            return true;
        }
        return false;
    }
    case QEvent::MouseMove:
        if (captionPressed) {
            if (!(event->buttons() & Qt::LeftButton)) {
                captionPressed = false;
                return false;
            }
            if ((globalPos - pressGlobalPos).manhattanLength() > DragThreshold) {
                captionPressed = false;
                begin(Operation::Move, Qt::Edges());
            }
            return true;
        }
        if (event->buttons() == Qt::NoButton)
            showZoneCursor(zoneAt(event), globalPos);
        return false;
    case QEvent::MouseButtonRelease:
        if (captionPressed && event->button() == Qt::LeftButton) {
            captionPressed = false;
            return true;
        }
        return false;
    case QEvent::MouseButtonDblClick: {
        if (event->button() != Qt::LeftButton)
            return false;
        const int zone = zoneAt(event);
        if (zone == Zone::HitCaption) {
            captionPressed = false;
            toggleMaximized();
            return true;
        }
        return bool(edgesOf(zone));
    }
    default:
        return false;
    }
}

bool SystemMoveResize::Private::begin(Operation what, Qt::Edges which)
{
    if (operation != Operation::None || !window || !window->isVisible())
        return false;
    operation = what;
    edges = which;
    if (handle)
        byManager = what == Operation::Move ? handle->startSystemMove()
                                            : handle->startSystemResize(which);
    if (!byManager) {
        origin = lastGlobalPos.isNull() ? QCursor::pos() : lastGlobalPos;
        startGeometry = window->geometry();
    } else if (QX11Info::isPlatformX11()) {
        pointerPoll.start();
    }
    if (what == Operation::Move)
        emit q->moveStarted();
    else
        emit q->resizeStarted();
    return true;
}

void SystemMoveResize::Private::finish(Return how)
{
    const Operation finished = operation;
    const bool ranByManager = byManager;
    operation = Operation::None;
    byManager = false;
    pointerPoll.stop();
    if (ranByManager && how == Return::Other)
        releaseButtonInQt();
    if (finished == Operation::Move)
        emit q->moveFinished();
    else if (finished == Operation::Resize)
        emit q->resizeFinished();
}

// The window manager took the release of the button that started its
// operation; without it Qt would take the button as still held, and widgets
// entered later would not show hover.
void SystemMoveResize::Private::releaseButtonInQt()
{
    if (!handle || !(QGuiApplication::mouseButtons() & Qt::LeftButton))
        return;
    const QPoint global = QCursor::pos();
    QWindowSystemInterface::handleMouseEvent<QWindowSystemInterface::SynchronousDelivery>(
            handle, handle->mapFromGlobal(global), global,
            QGuiApplication::mouseButtons() & ~Qt::LeftButton, Qt::LeftButton,
            QEvent::MouseButtonRelease, QGuiApplication::keyboardModifiers());
}

void SystemMoveResize::Private::follow(const QPoint &globalPos)
{
    if (!window)
        return;
    const QPoint delta = globalPos - origin;
    if (operation == Operation::Move) {
        window->move(startGeometry.topLeft() + delta);
        return;
    }
    const QSize minimum = window->minimumSize();
    const QSize maximum = window->maximumSize();
    QRect geometry = startGeometry;
    if (edges & Qt::LeftEdge) {
        const int width = qBound(minimum.width(), startGeometry.width() - delta.x(),
                                 maximum.width());
        geometry.setLeft(startGeometry.right() + 1 - width);
    } else if (edges & Qt::RightEdge) {
        geometry.setWidth(
                qBound(minimum.width(), startGeometry.width() + delta.x(), maximum.width()));
    }
    if (edges & Qt::TopEdge) {
        const int height = qBound(minimum.height(), startGeometry.height() - delta.y(),
                                  maximum.height());
        geometry.setTop(startGeometry.bottom() + 1 - height);
    } else if (edges & Qt::BottomEdge) {
        geometry.setHeight(
                qBound(minimum.height(), startGeometry.height() + delta.y(), maximum.height()));
    }
    if (geometry != window->geometry())
        window->setGeometry(geometry);
}

void SystemMoveResize::Private::showZoneCursor(int zone, const QPoint &globalPos)
{
    const Qt::Edges which = edgesOf(zone);
    if (!which) {
        restoreCursor(globalPos);
        return;
    }
    // Widgets entered on the way set their own cursor on the window; the
    // next move in the band takes it back.
    const Qt::CursorShape shape = cursorOf(which);
    if (handle && handle->cursor().shape() != shape)
        handle->setCursor(shape);
    bandCursorShown = true;
}

void SystemMoveResize::Private::restoreCursor(const QPoint &globalPos)
{
    if (!bandCursorShown || !handle || !window)
        return;
    bandCursorShown = false;
    QWidget *under = window->childAt(window->mapFromGlobal(globalPos));
    handle->setCursor((under ? under : window.data())->cursor());
}

void SystemMoveResize::Private::toggleMaximized()
{
    if (!window || !(window->windowFlags() & Qt::WindowMaximizeButtonHint))
        return;
    if (window->isMaximized())
        window->showNormal();
    else
        window->showMaximized();
}

SystemMoveResize::SystemMoveResize(QWidget *window, ZoneFunction zoneAt, QObject *parent)
    : QObject(parent), d(std::make_unique<Private>())
{
    d->q = this;
    d->window = window;
    d->zoneFunction = std::move(zoneAt);
    d->pointerPoll.setInterval(PointerPollMs);
    connect(&d->pointerPoll, &QTimer::timeout, this, [this] {
        if (!isLeftButtonDown())
            d->finish(Private::Return::Other);
    });
    attach();
}

SystemMoveResize::~SystemMoveResize()
{
    if (d->handle)
        d->handle->removeEventFilter(this);
}

void SystemMoveResize::attach()
{
    QWindow *handle = d->window ? d->window->windowHandle() : nullptr;
    if (handle == d->handle)
        return;
    if (d->handle)
        d->handle->removeEventFilter(this);
    d->handle = handle;
    if (handle)
        handle->installEventFilter(this);
}

bool SystemMoveResize::startMove()
{
    return d->begin(Private::Operation::Move, Qt::Edges());
}

bool SystemMoveResize::isMoveInProgress() const
{
    return d->operation == Private::Operation::Move;
}

bool SystemMoveResize::isResizeInProgress() const
{
    return d->operation == Private::Operation::Resize;
}

bool SystemMoveResize::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != d->handle)
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
        return d->mouseEvent(static_cast<QMouseEvent *>(event));
    case QEvent::Enter:
        if (d->byManager)
            d->finish(Private::Return::Other);
        return false;
    case QEvent::Hide:
        d->captionPressed = false;
        if (d->operation != Private::Operation::None)
            d->finish(Private::Return::Other);
        return false;
    default:
        return false;
    }
}

} // namespace KelPlatform

#include "moc_systemmoveresize.cpp"

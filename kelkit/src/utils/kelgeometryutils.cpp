#include "utils/kelgeometryutils.h"

#include "utils/platform/screentoclient.h"

#include <QDebug>
#include <QGuiApplication>
#include <QScreen>
#include <QVarLengthArray>
#include <QWidget>
#include <QWindow>

#include <cmath>
#include <limits>

namespace {

void placeOnEdge(QRect &r, const QRect &anchor, Qt::Edge edge, int gap)
{
    switch (edge) {
    case Qt::TopEdge:
        r.moveBottom(anchor.top() - gap - 1);
        break;
    case Qt::LeftEdge:
        r.moveRight(anchor.left() - gap - 1);
        break;
    case Qt::RightEdge:
        r.moveLeft(anchor.left() + anchor.width() + gap);
        break;
    case Qt::BottomEdge:
        r.moveTop(anchor.top() + anchor.height() + gap);
        break;
    }
}

// Pulls the rect back over the anchor's span along the edge.
void justifyAlongEdge(QRect &r, const QRect &anchor, Qt::Edge edge, int shift)
{
    if (edge == Qt::TopEdge || edge == Qt::BottomEdge) {
        if (r.left() > anchor.left() + shift)
            r.moveLeft(anchor.left() + shift);
        else if (r.right() < anchor.right() + shift)
            r.moveRight(anchor.right() + shift);
    } else if (edge == Qt::LeftEdge || edge == Qt::RightEdge) {
        if (r.top() > anchor.top() + shift)
            r.moveTop(anchor.top() + shift);
        else if (r.bottom() < anchor.bottom() + shift)
            r.moveBottom(anchor.bottom() + shift);
    }
}

} // namespace

namespace KelUtils {

QRect alignedRect(const QRect &anchor, const QRect &rect, Qt::Edge edge,
                  Qt::AlignmentFlag alignment, const QPoint &offset)
{
    QRect r = rect;
    placeOnEdge(r, anchor, edge, offset.x());
    const int shift = offset.y();
    switch (alignment) {
    case Qt::AlignLeft:
        r.moveLeft(anchor.left() + shift);
        break;
    case Qt::AlignRight:
        r.moveRight(anchor.right() + shift);
        break;
    case Qt::AlignHCenter:
        r.moveCenter(QPoint(anchor.center().x() + shift, r.center().y()));
        break;
    case Qt::AlignTop:
        r.moveTop(anchor.top() + shift);
        break;
    case Qt::AlignBottom:
        r.moveBottom(anchor.bottom() + shift);
        break;
    case Qt::AlignVCenter:
        r.moveCenter(QPoint(r.center().x(), anchor.center().y() + shift));
        break;
    case Qt::AlignJustify:
        justifyAlongEdge(r, anchor, edge, shift);
        break;
    default:
        qWarning() << "NOT IMPLEMENTED";
        break;
    }
    return r;
}

QRect alignedRect(const QRect &anchor, const QRect &rect, int edge, int alignment,
                  const QPoint &offset)
{
    return alignedRect(anchor, rect, Qt::Edge(edge), Qt::AlignmentFlag(alignment), offset);
}

QRect fitRect(Qt::Alignment alignment, const QRect &bound, const QSize &size, bool clip)
{
    if (size == bound.size())
        return bound;
    QRect r(bound.topLeft(), size);
    if (alignment & Qt::AlignLeft)
        r.moveLeft(bound.left());
    if (alignment & Qt::AlignHCenter)
        r.moveLeft(bound.x() + (bound.width() - size.width()) / 2);
    if (alignment & Qt::AlignRight)
        r.moveRight(bound.right());
    if (alignment & Qt::AlignTop)
        r.moveTop(bound.top());
    if (alignment & Qt::AlignVCenter)
        r.moveTop(bound.top() + (bound.height() - size.height()) / 2);
    if (alignment & Qt::AlignBottom)
        r.moveBottom(bound.bottom());
    return clip ? r & bound : r;
}

QRectF fitRectF(Qt::Alignment alignment, const QRectF &bound, const QSizeF &size, bool clip)
{
    if (qFuzzyCompare(size.width(), bound.width()) && qFuzzyCompare(size.height(), bound.height()))
        return bound;
    QRectF r(bound.topLeft(), size);
    if (alignment & Qt::AlignLeft)
        r.moveLeft(bound.left());
    if (alignment & Qt::AlignHCenter)
        r.moveLeft(bound.x() + (bound.width() - size.width()) / 2.0);
    if (alignment & Qt::AlignRight)
        r.moveRight(bound.right());
    if (alignment & Qt::AlignTop)
        r.moveTop(bound.top());
    if (alignment & Qt::AlignVCenter)
        r.moveTop(bound.top() + (bound.height() - size.height()) / 2.0);
    if (alignment & Qt::AlignBottom)
        r.moveBottom(bound.bottom());
    return clip ? r & bound : r;
}

QRect scaledRectInside(const QRect &rect, const QRect &bound, Qt::AspectRatioMode mode)
{
    if (mode == Qt::IgnoreAspectRatio)
        return rect & bound;
    QRect r = rect;
    if (r.width() > bound.width() || r.height() > bound.height())
        r.setSize(r.size().scaled(bound.size(), mode));
    if (r.left() < bound.left())
        r.moveLeft(bound.left());
    if (r.top() < bound.top())
        r.moveTop(bound.top());
    if (r.right() > bound.right())
        r.moveRight(bound.right());
    if (r.bottom() > bound.bottom())
        r.moveBottom(bound.bottom());
    return r;
}

QRect globalRect(const QWidget *widget)
{
    if (!widget)
        return QRect();
    return QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size());
}

QPoint mapDeviceToWidget(QWidget *widget, const QPoint &devicePos)
{
    if (!widget)
        return QPoint();
    QWidget *window = widget->window();
    QWindow *handle = window->windowHandle();
    if (!handle || !handle->handle()) {
        qCritical() << "Native window is not created for" << window
                    << ", can't map from device pos!" << widget << devicePos;
        return QPoint();
    }
    QPoint client = devicePos;
    if (!KelPlatform::screenToClient(handle, &client)) {
        qCritical() << "ScreenToClient FAILED!" << window << widget << devicePos;
        return QPoint();
    }
    const double ratio = handle->devicePixelRatio();
    const QPoint logical(qRound(client.x() / ratio), qRound(client.y() / ratio));
    return logical - widget->mapTo(window, QPoint(0, 0));
}

QScreen *screenAt(const QPoint &globalPos)
{
    QVarLengthArray<QScreen *, 8> tested;
    const QList<QScreen *> screens = QGuiApplication::screens();
    for (QScreen *screen : screens) {
        if (tested.contains(screen))
            continue;
        const QList<QScreen *> siblings = screen->virtualSiblings();
        for (QScreen *sibling : siblings) {
            if (tested.contains(sibling))
                continue;
            tested.append(sibling);
            if (sibling->geometry().adjusted(0, 0, 1, 1).contains(globalPos))
                return sibling;
        }
    }
    return nullptr;
}

QScreen *screenAtOrPrimary(const QPoint &globalPos)
{
    if (QScreen *screen = screenAt(globalPos))
        return screen;
    return QGuiApplication::primaryScreen();
}

QScreen *widgetScreen(const QWidget *widget)
{
    return widget ? widget->screen() : nullptr;
}

QRect placeOnScreen(const QRect &rect, int step, int margin)
{
    QScreen *screen = screenAtOrPrimary(rect.center());
    if (!screen)
        return rect;
    const QRect area = screen->availableGeometry();
    // The last column and row inside the area.
    const int right = area.right();
    const int bottom = area.bottom();
    int top = area.y();
    if (step > 1)
        top += (area.height() - 2 * margin) % step;

    QRect r = rect;
    if (r.left() < area.x())
        r.moveLeft(area.x());
    if (r.right() > right)
        r.moveRight(right);
    if (r.left() < area.x())
        r.setLeft(area.x());
    if (r.top() < top)
        r.moveTop(top);
    if (r.bottom() > bottom)
        r.moveBottom(bottom);
    if (r.top() < top)
        r.setTop(top);
    return r;
}

int mapRange(int value, const QPair<int, int> &from, const QPair<int, int> &to)
{
    const qint64 fromSpan = qint64(from.second) - from.first;
    if (fromSpan == 0)
        return to.first;
    const qint64 toSpan = qint64(to.second) - to.first;
    const double ratio = double(qint64(value) - from.first) / double(fromSpan);
    // Halves round up for both signs, as qRound does; values far outside
    // the source range saturate instead of overflowing.
    const double mapped = std::floor(ratio * double(toSpan) + 0.5) + to.first;
    return int(qBound<double>(std::numeric_limits<int>::min(), mapped,
                              std::numeric_limits<int>::max()));
}

} // namespace KelUtils

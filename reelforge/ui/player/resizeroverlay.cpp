#include "ui/player/resizeroverlay.h"

#include "kelui.h"
#include "painting/kelpaintcontext.h"
#include "painting/kelpainting.h"
#include "shared/cursors.h"
#include "ui/style.h"
#include "utils/kelcolorutils.h"

#include <QCheckBox>
#include <QDebug>
#include <QKeyEvent>
#include <QLineF>
#include <QMap>
#include <QMouseEvent>
#include <QPainterPath>
#include <QPixmap>
#include <QPointer>
#include <QPolygonF>
#include <QSvgRenderer>
#include <QTransform>
#include <QtMath>

#include <cmath>
#include <optional>

// The cursor pictures live in this library's resources; a static library
// has to pull them in by hand. Outside any namespace, as the resource
// initialiser must be.
static void initResizerResources()
{
    static const bool initialised = [] {
        Q_INIT_RESOURCE(resizercursors);
        return true;
    }();
    Q_UNUSED(initialised)
}

namespace {

using Operation = ResizerOverlay::Operation;

// Below this the box counts as unrotated.
constexpr double AngleEpsilon = 1e-12;

bool fuzzyEqual(double a, double b)
{
    return qFuzzyCompare(a, b) || (qFuzzyIsNull(a) && qFuzzyIsNull(b));
}

bool fuzzyEqual(const QRectF &a, const QRectF &b)
{
    return fuzzyEqual(a.x(), b.x()) && fuzzyEqual(a.y(), b.y()) && fuzzyEqual(a.width(), b.width())
            && fuzzyEqual(a.height(), b.height());
}

bool movesTop(Operation op)
{
    return op & (ResizerOverlay::Top | ResizerOverlay::TopLeft | ResizerOverlay::TopRight);
}

bool movesLeft(Operation op)
{
    return op & (ResizerOverlay::Left | ResizerOverlay::TopLeft | ResizerOverlay::BottomLeft);
}

bool movesBottom(Operation op)
{
    return op & (ResizerOverlay::Bottom | ResizerOverlay::BottomLeft | ResizerOverlay::BottomRight);
}

bool movesRight(Operation op)
{
    return op & (ResizerOverlay::Right | ResizerOverlay::TopRight | ResizerOverlay::BottomRight);
}

QTransform rotationAbout(const QPointF &centre, double degrees)
{
    return QTransform()
            .translate(centre.x(), centre.y())
            .rotate(degrees)
            .translate(-centre.x(), -centre.y());
}

// 0 points up from the centre and angles grow clockwise; none at the centre
// itself, where the direction is undefined.
std::optional<double> angleOfPoint(const QPointF &point, const QPointF &centre)
{
    const QPointF v = point - centre;
    const double length = std::hypot(v.x(), v.y());
    if (length < 1e-9)
        return std::nullopt;
    double a = std::acos(qBound(-1.0, v.x() / length, 1.0));
    if (point.y() < centre.y())
        a = 2 * M_PI - a;
    a = std::fmod(a + M_PI / 2, 2 * M_PI);
    return qRadiansToDegrees(a);
}

// Moves rect inside bound, left, top, right and bottom in that order.
QRectF pushedInside(QRectF rect, const QRectF &bound)
{
    if (rect.left() < bound.left())
        rect.moveLeft(bound.left());
    if (rect.top() < bound.top())
        rect.moveTop(bound.top());
    if (rect.right() > bound.right())
        rect.moveRight(bound.right());
    if (rect.bottom() > bound.bottom())
        rect.moveBottom(bound.bottom());
    return rect;
}

// The new top-left of a box resized from start to size by op, keeping the
// side (or the centre, for a move) that op leaves in place.
QPointF anchoredTopLeft(Operation op, const QRectF &start, const QSizeF &size, const QPointF &delta)
{
    const double dw = size.width() - start.width();
    const double dh = size.height() - start.height();
    const double left = start.left();
    const double top = start.top();
    switch (op) {
    case ResizerOverlay::TopLeft:
        return {left - dw, top - dh};
    case ResizerOverlay::TopRight:
        return {left, top - dh};
    case ResizerOverlay::BottomLeft:
        return {left - dw, top};
    case ResizerOverlay::Top:
        return {left - dw / 2, top - dh};
    case ResizerOverlay::Bottom:
        return {left - dw / 2, top};
    case ResizerOverlay::Left:
        return {left - dw, top - dh / 2};
    case ResizerOverlay::Right:
        return {left, top - dh / 2};
    case ResizerOverlay::Move:
        return start.topLeft() + delta - QPointF(dw / 2, dh / 2);
    default:
        return start.topLeft();
    }
}

// Room for the box from the side that op keeps in place.
QSizeF availableSpace(Operation op, const QRectF &start, const QRectF &work)
{
    switch (op) {
    case ResizerOverlay::TopLeft:
        return {start.right() - work.left(), start.bottom() - work.top()};
    case ResizerOverlay::TopRight:
        return {work.right() - start.left(), start.bottom() - work.top()};
    case ResizerOverlay::BottomLeft:
        return {start.right() - work.left(), work.bottom() - start.top()};
    case ResizerOverlay::BottomRight:
        return {work.right() - start.left(), work.bottom() - start.top()};
    case ResizerOverlay::Top:
        return {work.width(), start.bottom() - work.top()};
    case ResizerOverlay::Bottom:
        return {work.width(), work.bottom() - start.top()};
    case ResizerOverlay::Left:
        return {start.right() - work.left(), work.height()};
    case ResizerOverlay::Right:
        return {work.right() - start.left(), work.height()};
    default:
        return work.size();
    }
}

struct CursorShape
{
    const char *picture;
    double offset;
};

CursorShape cursorShape(Operation op)
{
    switch (op) {
    case ResizerOverlay::TopRight:
    case ResizerOverlay::BottomLeft:
        return {":/mouse/resize_diag", 90};
    case ResizerOverlay::RotateTopLeft:
        return {":/mouse/rotate", -45};
    case ResizerOverlay::RotateTopRight:
        return {":/mouse/rotate", 45};
    case ResizerOverlay::RotateBottomLeft:
        return {":/mouse/rotate", -135};
    case ResizerOverlay::RotateBottomRight:
        return {":/mouse/rotate", 135};
    case ResizerOverlay::Top:
    case ResizerOverlay::Bottom:
        return {":/mouse/resize_hor", 90};
    case ResizerOverlay::Left:
    case ResizerOverlay::Right:
        return {":/mouse/resize_hor", 0};
    default:
        return {":/mouse/resize_diag", 0};
    }
}

// The picture turned by degrees about its centre, at the ratio, with the
// hot spot in the middle.
QCursor rotatedCursor(const QString &path, double degrees, double ratio)
{
    QSvgRenderer renderer(path);
    const QSize logical = renderer.defaultSize();
    QPixmap pixmap(qRound(logical.width() * ratio), qRound(logical.height() * ratio));
    pixmap.fill(Qt::transparent);
    {
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        const QPointF centre(pixmap.width() / 2.0, pixmap.height() / 2.0);
        painter.setTransform(rotationAbout(centre, degrees));
        renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(pixmap.size())));
    }
    pixmap.setDevicePixelRatio(ratio);
    return QCursor(pixmap);
}

} // namespace

class ResizerOverlay::Private
{
public:
    explicit Private(ResizerOverlay *owner) : owner(owner) { }

    QRectF toScreen(const QRectF &relative) const
    {
        return relative.translated(workingRect.topLeft());
    }
    QRectF fromScreen(const QRectF &screen) const
    {
        return screen.translated(-workingRect.topLeft());
    }
    int minimumSide() const { return 3 * appearance.handleSize + 2; }

    void placeScreenSelection(const QRectF &rect);
    void rebuildZones();
    void rebuildTransform();
    Operation hitTest(const QPoint &pos) const;
    double boundedAngle(double degrees) const;

    void rotate(const QPoint &pos, Qt::KeyboardModifiers modifiers);
    QRectF resizedOrMoved(const QPointF &delta);
    QRectF movedEdges(const QPointF &delta) const;
    QSizeF limitedSize(const QSizeF &proposed, double ratio) const;
    std::optional<QRectF> resizedRotated(const QPointF &pos) const;

    void setDiagnostics(bool on);
    bool diagnosticsShown() const { return diagnosticsBox && diagnosticsBox->isChecked(); }
    void paintBox(QPainter *painter, double ratio) const;
    void paintDiagnostics(QPainter *painter, const QRectF &work) const;

    ResizerOverlay *owner;
    QPoint pressPos;
    // A drag may begin at (0, 0), so pressPos alone cannot tell.
    bool dragging = false;
    QRectF startSelection;
    double startAngle = 0;
    Operation operation = Noop;
    int allowedOperations = All;
    QMap<Operation, QRect> zones;
    QRectF workingRect;
    QRectF screenSelection;
    QRectF relativeSelection{0, 0, 1, 1};
    double rotationAngle = 0;
    double minAngle = 0;
    double maxAngle = 359.0;
    QTransform transform;
    QTransform inverseTransform;
    bool keepAspect = false;
    bool aspectFlashPending = false;
    double aspectRatio = 0;
    Appearance appearance;
    bool cursorSet = false;
    // The picture, angle and ratio of the cursor last drawn.
    QString cursorKey;
    QPointer<QCheckBox> diagnosticsBox;
};

void ResizerOverlay::Private::placeScreenSelection(const QRectF &rect)
{
    screenSelection = rect;
    rebuildZones();
    rebuildTransform();
}

void ResizerOverlay::Private::rebuildZones()
{
    zones.clear();
    if (screenSelection.isNull())
        return;
    const int inset = appearance.handleSize / 2 + appearance.handleOffset;
    const QRect r = screenSelection.toAlignedRect().adjusted(inset, inset, -inset, -inset);
    const int s = appearance.hitMargin + appearance.handleSize;
    const int h = s / 2;
    const int x1 = r.x() + h;
    const int y1 = r.y() + h;
    const int x2 = r.x() - h + r.width();
    const int y2 = r.y() - h + r.height();
    const std::pair<Operation, QRect> table[] = {
            {TopLeft, QRect(x1 - s, y1 - s, s, s)},
            {TopRight, QRect(x2, y1 - s, s, s)},
            {BottomLeft, QRect(x1 - s, y2, s, s)},
            {BottomRight, QRect(x2, y2, s, s)},
            {RotateTopLeft, QRect(x1 - 2 * s, y1 - 2 * s, 2 * s, 2 * s)},
            {RotateTopRight, QRect(x2, y1 - 2 * s, 2 * s, 2 * s)},
            {RotateBottomLeft, QRect(x1 - 2 * s, y2, 2 * s, 2 * s)},
            {RotateBottomRight, QRect(x2, y2, 2 * s, 2 * s)},
            {Top, QRect(x1, y1 - s, x2 - x1, s)},
            {Bottom, QRect(x1, y2, x2 - x1, s)},
            {Left, QRect(x1 - s, y1, s, y2 - y1)},
            {Right, QRect(x2, y1, s, y2 - y1)},
            {Move, screenSelection.toAlignedRect()},
    };
    for (const auto &[op, zone] : table) {
        if ((allowedOperations & op) == op && !zone.isEmpty())
            zones.insert(op, zone);
    }
}

void ResizerOverlay::Private::rebuildTransform()
{
    transform = rotationAbout(screenSelection.center(), rotationAngle);
    inverseTransform = transform.inverted();
}

// Zones in ascending operation order: a corner wins over its rotate ring,
// every handle over Move.
ResizerOverlay::Operation ResizerOverlay::Private::hitTest(const QPoint &pos) const
{
    const QPoint unrotated = inverseTransform.map(QPointF(pos)).toPoint();
    for (auto it = zones.cbegin(); it != zones.cend(); ++it) {
        if (it.value().contains(unrotated))
            return it.key();
    }
    return Noop;
}

double ResizerOverlay::Private::boundedAngle(double degrees) const
{
    double a = std::fmod(degrees, 360.0);
    if (a < 0)
        a += 360.0;
    if (a >= 360.0)
        a -= 360.0;
    if (a > maxAngle) {
        // Going the other way round may land closer to the range.
        const double candidate = a - 360.0;
        if (std::trunc(candidate - minAngle) > std::trunc(maxAngle - a))
            a = candidate;
        a = qBound(minAngle, a, maxAngle);
    }
    if (minAngle > a)
        qWarning("ResizerOverlay: setting minAngle > 0 is not implemented yet");
    return a;
}

void ResizerOverlay::Private::rotate(const QPoint &pos, Qt::KeyboardModifiers modifiers)
{
    const QPointF centre = screenSelection.center();
    const std::optional<double> now = angleOfPoint(pos, centre);
    const std::optional<double> pressed = angleOfPoint(pressPos, centre);
    // Over the centre the direction is undefined: the box stays as it is.
    if (!now || !pressed)
        return;
    double angle = *now - *pressed + startAngle;
    if (modifiers == Qt::NoModifier) {
        const int k = (qRound(angle) / 45) * 45;
        if (std::abs(angle - k) < 5)
            angle = k;
    }
    owner->setRotationAngle(angle);
}

QRectF ResizerOverlay::Private::movedEdges(const QPointF &delta) const
{
    const Operation op = operation;
    const bool all = op == Move;
    const QRectF &work = workingRect;
    const double m = minimumSide();
    double left = startSelection.left();
    double top = startSelection.top();
    double right = startSelection.right();
    double bottom = startSelection.bottom();
    if (all || movesTop(op))
        top = qMax(work.top(), qMin(top + delta.y(), bottom - m));
    if (all || movesLeft(op))
        left = qMax(work.left(), qMin(left + delta.x(), right - m));
    if (all || movesBottom(op))
        bottom = qMax(top + m, qMin(bottom + delta.y(), work.bottom()));
    if (all || movesRight(op))
        right = qMax(left + m, qMin(right + delta.x(), work.right()));
    return QRectF(QPointF(left, top), QPointF(right, bottom));
}

// At least the minimum side, at most the room from the side kept in place,
// and of the given width / height.
QSizeF ResizerOverlay::Private::limitedSize(const QSizeF &proposed, double ratio) const
{
    const double m = minimumSide();
    const QSizeF minimum(qFuzzyCompare(ratio, 1.0) ? m : m * ratio, m);
    const QSizeF room = availableSpace(operation, startSelection, workingRect);
    QSizeF size = proposed.expandedTo(minimum).boundedTo(proposed.scaled(room, Qt::KeepAspectRatio));
    if (!qFuzzyCompare(size.width() / size.height(), ratio))
        size.setHeight(size.width() / ratio);
    return size;
}

QRectF ResizerOverlay::Private::resizedOrMoved(const QPointF &delta)
{
    const Operation op = operation;
    const QRectF &start = startSelection;
    const QRectF &work = workingRect;
    if (!keepAspect || aspectRatio <= 0) {
        if (op == Move && work.contains(start))
            return pushedInside(start.translated(delta), work);
        return movedEdges(delta);
    }

    const double a = aspectRatio;
    const double d = (op == Top || op == Bottom) ? delta.y() : delta.x();
    const double w = start.width();
    const double h = start.height();
    QSizeF proposed;
    switch (op) {
    case Top:
        proposed = QSizeF(w - d * a, h - d);
        break;
    case Bottom:
        proposed = QSizeF(w + d * a, h + d);
        break;
    case Left:
    case TopLeft:
    case BottomLeft:
        proposed = QSizeF(w - d, h - d / a);
        break;
    case Right:
    case TopRight:
    case BottomRight:
        proposed = QSizeF(w + d, h + d / a);
        break;
    default:
        proposed = start.size();
        break;
    }
    const QSizeF size = limitedSize(proposed, a);
    const QRectF result = pushedInside(QRectF(anchoredTopLeft(op, start, size, delta), size), work);

    const QRectF wanted(anchoredTopLeft(op, start, proposed, delta), proposed);
    if (work.contains(wanted)) {
        aspectFlashPending = false;
    } else if (!aspectFlashPending && fuzzyEqual(result, screenSelection) && work.contains(result)) {
        // The box cannot grow further with its aspect kept; said once until
        // it comes free.
        aspectFlashPending = true;
        emit owner->needFlashKeepAspectCheck();
    }
    return result;
}

// The box scaled about the point that stays fixed, so that the pointer's
// projection onto the axis through it is reached, and kept at the start
// angle.
std::optional<QRectF> ResizerOverlay::Private::resizedRotated(const QPointF &pos) const
{
    const Operation op = operation;
    const QRectF &start = startSelection;
    if (start.width() <= 0 || start.height() <= 0)
        return std::nullopt;
    const QPointF centre = start.center();
    QPointF fixed;
    QPointF grabbed;
    switch (op) {
    case TopLeft:
        fixed = start.bottomRight();
        grabbed = start.topLeft();
        break;
    case TopRight:
        fixed = start.bottomLeft();
        grabbed = start.topRight();
        break;
    case BottomLeft:
        fixed = start.topRight();
        grabbed = start.bottomLeft();
        break;
    case BottomRight:
        fixed = start.topLeft();
        grabbed = start.bottomRight();
        break;
    case Top:
        fixed = QPointF(centre.x(), start.bottom());
        grabbed = QPointF(centre.x(), start.top());
        break;
    case Bottom:
        fixed = QPointF(centre.x(), start.top());
        grabbed = QPointF(centre.x(), start.bottom());
        break;
    case Left:
        fixed = QPointF(start.right(), centre.y());
        grabbed = QPointF(start.left(), centre.y());
        break;
    case Right:
        fixed = QPointF(start.left(), centre.y());
        grabbed = QPointF(start.right(), centre.y());
        break;
    default:
        return std::nullopt;
    }
    const QTransform turn = rotationAbout(centre, startAngle);
    const QPolygonF polygon = turn.map(QPolygonF(start));
    const QPointF f = turn.map(fixed);
    const QPointF g = turn.map(grabbed);
    const QLineF toPointer(f, pos);

    QLineF axis(f, g);
    if (op & Corners) {
        const int i = polygon.indexOf(g);
        if (i < 0) {
            qCritical() << "Invalid resizer state!" << op << g << polygon;
            return std::nullopt;
        }
        // The polygon is closed: its last point repeats the first.
        const int n = polygon.size() - 1;
        const QPointF previous = polygon.at((i + n - 1) % n);
        const QPointF next = polygon.at((i + 1) % n);
        // The side towards which the pointer leans from the diagonal.
        const QLineF diagonal(f, g);
        const bool pointerPast = diagonal.angleTo(toPointer) > 180;
        const bool previousPast = diagonal.angleTo(QLineF(f, previous)) > 180;
        axis = QLineF(f, pointerPast == previousPast ? previous : next);
    }
    if (axis.length() <= 0)
        return std::nullopt;

    const double projected = qMax(1.0,
                                  toPointer.length()
                                          * std::cos(qDegreesToRadians(axis.angleTo(toPointer))));
    const auto scaledBox = [&](double factor) {
        const QTransform scale = QTransform()
                                         .translate(f.x(), f.y())
                                         .scale(factor, factor)
                                         .translate(-f.x(), -f.y());
        const QPolygonF scaled = scale.map(polygon);
        return rotationAbout(scaled.boundingRect().center(), -startAngle).map(scaled).boundingRect();
    };
    QRectF result = scaledBox(projected / axis.length());
    const double ratio = keepAspect && aspectRatio > 0 ? aspectRatio
                                                       : start.width() / start.height();
    const QSizeF limited = limitedSize(result.size(), ratio);
    if (!fuzzyEqual(limited.width(), result.width())
        || !fuzzyEqual(limited.height(), result.height()))
        result = scaledBox(limited.width() / start.width());
    return result;
}

void ResizerOverlay::Private::setDiagnostics(bool on)
{
    if (on && !diagnosticsBox) {
        auto *box = new QCheckBox(QStringLiteral("Debug resizer"), owner);
        // Readable over any picture.
        box->setAutoFillBackground(true);
        box->adjustSize();
        box->move(0, 0);
        box->show();
        QObject::connect(box, &QCheckBox::toggled, owner, qOverload<>(&QWidget::update));
        diagnosticsBox = box;
    } else if (!on && diagnosticsBox) {
        delete diagnosticsBox.data();
    }
    owner->update();
}

void ResizerOverlay::Private::paintBox(QPainter *painter, double ratio) const
{
    const auto snap = [ratio](double value) { return std::round(value * ratio) / ratio; };
    const Appearance &a = appearance;
    const QRectF box = KelPainting::snapRectToPixels(QRectF(screenSelection.toAlignedRect()), ratio);

    if (a.borderWidth > 0) {
        painter->setPen(QPen(a.borderColor, snap(a.borderWidth), Qt::PenStyle(a.borderStyle),
                             Qt::SquareCap, Qt::MiterJoin));
        painter->setBrush(Qt::NoBrush);
        const double o = snap(a.borderOffset);
        KelPainting::drawRectFrame(painter, box.adjusted(o, o, -o, -o));
    }

    if (a.handleBorderWidth > 0)
        painter->setPen(QPen(a.handleBorderColor, snap(a.handleBorderWidth), Qt::SolidLine,
                             Qt::SquareCap, Qt::MiterJoin));
    else
        painter->setPen(Qt::NoPen);
    painter->setBrush(a.handleColor);
    const double o = snap(a.handleOffset);
    const QRectF r = box.adjusted(o, o, -o, -o);
    const double size = snap(a.handleSize);
    const double thin = snap(a.handleSize - a.borderWidth);
    const double middleX = snap(r.center().x() - size / 2);
    const double middleY = snap(r.center().y() - size / 2);
    const std::pair<Operation, QRectF> handles[] = {
            {TopLeft, QRectF(r.left(), r.top(), size, size)},
            {TopRight, QRectF(r.right() - size, r.top(), size, size)},
            {BottomLeft, QRectF(r.left(), r.bottom() - size, size, size)},
            {BottomRight, QRectF(r.right() - size, r.bottom() - size, size, size)},
            {Top, QRectF(middleX, r.top(), size, thin)},
            {Bottom, QRectF(middleX, r.bottom() - thin, size, thin)},
            {Left, QRectF(r.left(), middleY, thin, size)},
            {Right, QRectF(r.right() - thin, middleY, thin, size)},
    };
    const double radius = snap(a.handleRadius);
    for (const auto &[op, handle] : handles) {
        if (allowedOperations & op)
            KelPainting::drawRoundedRect(painter, handle, radius);
    }
}

void ResizerOverlay::Private::paintDiagnostics(QPainter *painter, const QRectF &work) const
{
    painter->save();
    painter->setOpacity(0.3);
    const QList<QColor> colors = KelUtils::distinctColors(zones.size());
    int i = 0;
    for (const QRect &zone : zones)
        painter->fillRect(zone, colors.value(i++));
    const QPointF pointer = inverseTransform.map(QPointF(owner->mapFromGlobal(QCursor::pos())));
    if (workingRect.contains(pointer)) {
        painter->setOpacity(1.0);
        painter->setPen(QPen(appearance.borderColor, 0, Qt::DashLine));
        painter->drawLine(QPointF(work.left(), pointer.y()), QPointF(work.right(), pointer.y()));
        painter->drawLine(QPointF(pointer.x(), work.top()), QPointF(pointer.x(), work.bottom()));
    }
    painter->restore();

    // The measurements stay upright, below the check box.
    painter->save();
    painter->resetTransform();
    const QString text = QStringLiteral("X: %1, Y %2\nW: %3, H:%4")
                                 .arg(screenSelection.x())
                                 .arg(screenSelection.y())
                                 .arg(screenSelection.width())
                                 .arg(screenSelection.height());
    const QFontMetrics metrics = owner->fontMetrics();
    const QRect textRect = metrics.boundingRect(QRect(0, 0, owner->width(), owner->height()),
                                                Qt::AlignLeft | Qt::AlignTop, text);
    const int top = diagnosticsBox ? diagnosticsBox->geometry().bottom() + 4 : 0;
    const QRect label = textRect.translated(4, top + 4).adjusted(-4, -4, 4, 4);
    painter->fillRect(label, QColor(0, 0, 0, 160));
    painter->setPen(Qt::white);
    painter->drawText(label.adjusted(4, 4, -4, -4), Qt::AlignLeft | Qt::AlignTop, text);
    painter->restore();
}

ResizerOverlay::ResizerOverlay(int styleId, QWidget *parent)
    : QWidget(parent), KelStyleable(styleId), d(std::make_unique<Private>(this))
{
    initResizerResources();
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
    if (KelUi *ui = kelUi()) {
        d->setDiagnostics(ui->isMaintenanceMode());
        connect(ui, &KelUi::maintenanceModeStateChanged, this,
                [this](bool on) { d->setDiagnostics(on); });
    }
    applyStyle();
}

ResizerOverlay::~ResizerOverlay() = default;

int ResizerOverlay::allowedOperations() const
{
    return d->allowedOperations;
}

void ResizerOverlay::setAllowedOperations(int mask)
{
    if (d->allowedOperations == mask)
        return;
    d->allowedOperations = mask;
    d->rebuildZones();
    update();
}

bool ResizerOverlay::keepAspect() const
{
    return d->keepAspect;
}

void ResizerOverlay::setKeepAspect(bool keep)
{
    d->keepAspect = keep;
}

double ResizerOverlay::aspectRatio() const
{
    return d->aspectRatio;
}

void ResizerOverlay::setAspectRatio(double ratio)
{
    if (!qFuzzyCompare(d->aspectRatio, ratio))
        d->aspectRatio = ratio;
}

QRectF ResizerOverlay::workingRect() const
{
    return d->workingRect;
}

void ResizerOverlay::setWorkingRect(const QRectF &rect)
{
    const QSignalBlocker blocker(this);
    if (fuzzyEqual(rect, d->workingRect))
        return;
    d->workingRect = rect;
    if (rect.isNull()) {
        d->operation = Noop;
        d->placeScreenSelection(QRectF());
        updateCursor();
    } else {
        d->placeScreenSelection(d->toScreen(d->relativeSelection));
    }
    update();
}

QRectF ResizerOverlay::relativeSelection() const
{
    return d->relativeSelection;
}

void ResizerOverlay::setRelativeSelection(const QRectF &rect)
{
    if (fuzzyEqual(rect, d->relativeSelection))
        return;
    d->relativeSelection = rect;
    // Without a picture there is no box to show.
    d->placeScreenSelection(d->workingRect.isNull() ? QRectF() : d->toScreen(rect));
    emit relativeSelectionChanged(rect);
    update();
}

void ResizerOverlay::setRelativeSelectionQuiet(const QRectF &rect)
{
    const QSignalBlocker blocker(this);
    setRelativeSelection(rect);
}

QRectF ResizerOverlay::screenSelection() const
{
    return d->screenSelection;
}

void ResizerOverlay::setScreenSelection(const QRectF &rect)
{
    if (fuzzyEqual(rect, d->screenSelection))
        return;
    d->placeScreenSelection(rect);
    const QRectF relative = d->fromScreen(rect);
    if (!fuzzyEqual(relative, d->relativeSelection)) {
        d->relativeSelection = relative;
        emit relativeSelectionChanged(relative);
    }
    emit screenSelectionChanged(rect);
    update();
}

double ResizerOverlay::rotationAngle() const
{
    return d->rotationAngle;
}

void ResizerOverlay::setRotationAngle(double degrees)
{
    if (!std::isfinite(degrees))
        return;
    const double angle = d->boundedAngle(degrees);
    if (qFuzzyCompare(angle, d->rotationAngle))
        return;
    d->rotationAngle = angle;
    d->rebuildTransform();
    emit rotationAngleChanged(angle);
    update();
}

void ResizerOverlay::setRotationAngleQuiet(double degrees)
{
    const QSignalBlocker blocker(this);
    setRotationAngle(degrees);
}

double ResizerOverlay::minAngle() const
{
    return d->minAngle;
}

double ResizerOverlay::maxAngle() const
{
    return d->maxAngle;
}

void ResizerOverlay::setAngleRange(double minAngle, double maxAngle)
{
    d->minAngle = minAngle;
    d->maxAngle = maxAngle;
}

ResizerOverlay::Appearance ResizerOverlay::appearance() const
{
    return d->appearance;
}

void ResizerOverlay::setAppearance(const Appearance &appearance)
{
    const Appearance old = d->appearance;
    d->appearance = appearance;
    if (old.handleSize != appearance.handleSize || old.borderWidth != appearance.borderWidth
        || old.handleOffset != appearance.handleOffset || old.hitMargin != appearance.hitMargin)
        d->rebuildZones();
    update();
}

bool ResizerOverlay::isChanging() const
{
    return d->dragging;
}

void ResizerOverlay::applyStyle()
{
    if (!hasStyleId())
        return;
    if (const auto *style = dynamic_cast<const Style *>(kelStyle()))
        style->applyResizerOverlayStyle(this, styleId());
}

void ResizerOverlay::updateCursor()
{
    const Operation op = d->operation;
    if (op == Noop) {
        unsetCursor();
        d->cursorSet = false;
        d->cursorKey.clear();
        return;
    }
    if (op == Move) {
        setCursor(Cursors::cursor(d->dragging ? Cursors::ClosedHand : Cursors::OpenHand));
        d->cursorSet = true;
        d->cursorKey.clear();
        return;
    }
    const CursorShape shape = cursorShape(op);
    double angle = std::fmod(d->rotationAngle + shape.offset, 360.0);
    if (angle < 0)
        angle += 360.0;
    const QString path = QLatin1String(shape.picture)
            + (devicePixelRatio() == 1 ? QLatin1String(".svg") : QLatin1String("_125+.svg"));
    const double ratio = devicePixelRatioF();
    const QString key = QStringLiteral("%1 %2 %3").arg(path).arg(angle).arg(ratio);
    if (d->cursorSet && key == d->cursorKey)
        return;
    setCursor(rotatedCursor(path, angle, ratio));
    d->cursorSet = true;
    d->cursorKey = key;
}

void ResizerOverlay::mousePressEvent(QMouseEvent *event)
{
    d->operation = d->hitTest(event->pos());
    if (event->button() == Qt::LeftButton && event->buttons() == Qt::LeftButton
        && !d->screenSelection.isNull() && d->operation != Noop) {
        d->pressPos = event->pos();
        d->dragging = true;
        d->startSelection = d->screenSelection;
        d->startAngle = d->rotationAngle;
        d->aspectFlashPending = false;
        emit changeStarted(d->operation);
        updateCursor();
        event->accept();
        return;
    }
    event->ignore();
    updateCursor();
}

void ResizerOverlay::mouseMoveEvent(QMouseEvent *event)
{
    if (d->dragging) {
        const Operation op = d->operation;
        if (op & Rotate) {
            d->rotate(event->pos(), event->modifiers());
        } else if ((op & (Corners | Edges)) && std::abs(d->rotationAngle) > AngleEpsilon) {
            if (const std::optional<QRectF> box = d->resizedRotated(event->pos()))
                setScreenSelection(*box);
        } else {
            setScreenSelection(d->resizedOrMoved(event->pos() - d->pressPos));
        }
        updateCursor();
        update();
    } else {
        d->operation = d->hitTest(event->pos());
        updateCursor();
        event->ignore();
    }
    if (d->diagnosticsShown())
        update();
}

void ResizerOverlay::mouseReleaseEvent(QMouseEvent *event)
{
    if (!d->dragging) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    d->dragging = false;
    d->pressPos = QPoint();
    d->startAngle = 0;
    emit changeFinished(d->operation);
    d->operation = d->hitTest(event->pos());
    updateCursor();
}

void ResizerOverlay::keyPressEvent(QKeyEvent *event)
{
    event->ignore();
    if (d->dragging || !(d->allowedOperations & Move) || d->screenSelection.isNull())
        return;
    const int step = event->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier) ? 10 : 1;
    QPointF delta;
    switch (event->key()) {
    case Qt::Key_Left:
        delta = QPointF(-step, 0);
        break;
    case Qt::Key_Up:
        delta = QPointF(0, -step);
        break;
    case Qt::Key_Right:
        delta = QPointF(step, 0);
        break;
    case Qt::Key_Down:
        delta = QPointF(0, step);
        break;
    default:
        return;
    }
    event->accept();
    d->operation = Move;
    d->startSelection = d->screenSelection;
    setScreenSelection(d->resizedOrMoved(delta));
    d->operation = d->hitTest(mapFromGlobal(QCursor::pos()));
    updateCursor();
}

void ResizerOverlay::leaveEvent(QEvent *event)
{
    QWidget::leaveEvent(event);
    if (d->dragging)
        return;
    d->operation = Noop;
    updateCursor();
}

void ResizerOverlay::paintEvent(QPaintEvent *)
{
    if (d->allowedOperations == 0)
        return;
    KelPaintContext context(this);
    QPainter *painter = context.painter();
    const double ratio = context.devicePixelRatio();
    const QRectF work = KelPainting::snapRectToPixels(QRectF(d->workingRect.toAlignedRect()), ratio);
    const QRectF box = KelPainting::snapRectToPixels(QRectF(d->screenSelection.toAlignedRect()),
                                                     ratio);
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setTransform(d->transform, true);

    const Appearance &a = d->appearance;
    if (a.shadeColor.alpha() > 0) {
        QPainterPath shade;
        shade.setFillRule(Qt::OddEvenFill);
        shade.addRect(work);
        shade.addRect(box);
        painter->fillPath(shade, a.shadeColor);
    }
    if (!d->screenSelection.isNull())
        d->paintBox(painter, ratio);
    if (d->diagnosticsShown())
        d->paintDiagnostics(painter, work);
}

#include "moc_resizeroverlay.cpp"

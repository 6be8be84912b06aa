#include "painting/kelframepainter.h"

#include "animators/kelwidgetstateanimator.h"
#include "painting/kelpaintcontext.h"
#include "painting/kelpainting.h"
#include "utils/kelcolorutils.h"
#include "utils/kelmaskutils.h"

#include <QDebug>
#include <QPointer>
#include <QWidget>

#include <cmath>

namespace {

constexpr double Epsilon = 1e-12;

bool isFractional(double ratio)
{
    return std::abs(ratio - std::trunc(ratio)) > Epsilon;
}

bool allEqual(const QMargins &m)
{
    return m.left() == m.top() && m.top() == m.right() && m.right() == m.bottom();
}

bool isNull(const QMargins &m)
{
    return m.isNull();
}

QMarginsF toMarginsF(const QMargins &m)
{
    return QMarginsF(m.left(), m.top(), m.right(), m.bottom());
}

} // namespace

class KelFramePainter::Private
{
public:
    QMargins margins;
    QMargins borderWidths;
    KelStateColors borderColors;
    QMargins cornerRadii;
    double dashOffset = 0.0;
    QVector<double> dashPattern;
    int penOverlapping = KelPainting::BrushUnderPen;
    KelStateColors background;
    QMargins contentsMargins;
    double opacity = 1.0;
    FramePathFunction framePathFunction;
    QPainterPath framePath;
    bool dirty = true;
    QRect frameRect;
    QRect contentsRect;
    QPointer<QWidget> owner;
};

KelFramePainter::KelFramePainter(QWidget *owner)
    : KelVisibilityAnimatable(owner), d(std::make_unique<Private>())
{
    d->owner = owner;
}

KelFramePainter::~KelFramePainter() = default;

QMargins KelFramePainter::margins() const
{
    return d->margins;
}

void KelFramePainter::setMargins(const QMargins &margins)
{
    setGeometryValue(d->margins, margins);
}

QMargins KelFramePainter::borderWidths() const
{
    return d->borderWidths;
}

void KelFramePainter::setBorderWidths(const QMargins &widths)
{
    setGeometryValue(d->borderWidths, widths);
}

KelStateColors KelFramePainter::borderColors() const
{
    return d->borderColors;
}

void KelFramePainter::setBorderColors(const KelStateColors &colors)
{
    if (d->borderColors == colors)
        return;
    d->borderColors = colors;
    updateWidget();
}

QMargins KelFramePainter::cornerRadii() const
{
    return d->cornerRadii;
}

void KelFramePainter::setCornerRadii(const QMargins &radii)
{
    setGeometryValue(d->cornerRadii, radii);
}

void KelFramePainter::setPaddings(const QMargins &radii)
{
    setCornerRadii(radii);
}

int KelFramePainter::radius() const
{
    return d->cornerRadii.left();
}

KelStateColors KelFramePainter::background() const
{
    return d->background;
}

void KelFramePainter::setBackground(const KelStateColors &colors)
{
    if (d->background == colors)
        return;
    d->background = colors;
    updateWidget();
}

QMargins KelFramePainter::contentsMargins() const
{
    return d->contentsMargins;
}

void KelFramePainter::setContentsMargins(const QMargins &margins)
{
    setGeometryValue(d->contentsMargins, margins);
}

QVector<double> KelFramePainter::dashPattern() const
{
    return d->dashPattern;
}

double KelFramePainter::dashOffset() const
{
    return d->dashOffset;
}

void KelFramePainter::setDashPattern(const QVector<double> &pattern, double offset)
{
    if (d->dashPattern == pattern && qFuzzyCompare(1.0 + d->dashOffset, 1.0 + offset))
        return;
    d->dashPattern = pattern;
    d->dashOffset = offset;
    updateWidget();
}

int KelFramePainter::penOverlapping() const
{
    return d->penOverlapping;
}

void KelFramePainter::setPenOverlapping(int mode)
{
    if (d->penOverlapping == mode)
        return;
    d->penOverlapping = mode;
    updateWidget();
}

double KelFramePainter::opacity() const
{
    return d->opacity;
}

void KelFramePainter::setOpacity(double opacity)
{
    if (qFuzzyCompare(1.0 + d->opacity, 1.0 + opacity))
        return;
    d->opacity = opacity;
    updateWidget();
}

QRect KelFramePainter::frameRect() const
{
    return d->frameRect;
}

void KelFramePainter::setFrameRect(const QRect &rect)
{
    if (d->frameRect == rect)
        return;
    d->frameRect = rect;
    d->dirty = true;
    onInvalidated();
}

void KelFramePainter::setFrameSize(const QSize &size)
{
    setFrameRect(QRect(d->frameRect.topLeft(), size));
}

void KelFramePainter::setFramePathFunction(const FramePathFunction &function)
{
    // Functions cannot be compared; only setting or clearing one counts.
    if (!function && !d->framePathFunction)
        return;
    d->framePathFunction = function;
    d->dirty = true;
    onInvalidated();
}

QPainterPath KelFramePainter::framePath() const
{
    return d->framePath;
}

QRect KelFramePainter::contentsRect() const
{
    return d->contentsRect;
}

QWidget *KelFramePainter::widget() const
{
    return d->owner.data();
}

void KelFramePainter::invalidate()
{
    d->dirty = true;
    onInvalidated();
}

void KelFramePainter::invalidateGeometry()
{
    d->dirty = true;
    onGeometryChanged();
}

void KelFramePainter::repaint()
{
    updateWidget();
}

QSize KelFramePainter::sizeHint() const
{
    const QMargins m = d->margins;
    const QMargins b = d->borderWidths;
    const QMargins c = d->contentsMargins;
    return QSize(m.left() + m.right() + b.left() + b.right() + c.left() + c.right(),
                 m.top() + m.bottom() + b.top() + b.bottom() + c.top() + c.bottom());
}

QSize KelFramePainter::minimumSizeHint() const
{
    return sizeHint();
}

void KelFramePainter::ensureGeometryIsValid()
{
    if (!d->dirty)
        return;
    if (!d->frameRect.isValid()) {
        qWarning() << "Frame rect is not valid!";
        d->contentsRect = QRect();
        d->framePath = QPainterPath();
        return;
    }
    const bool hadPath = !d->framePath.isEmpty();
    d->contentsRect = d->frameRect.marginsRemoved(d->margins)
                              .marginsRemoved(d->borderWidths)
                              .marginsRemoved(d->contentsMargins);
    d->framePath = d->framePathFunction ? d->framePathFunction(this, d->frameRect) : QPainterPath();
    d->dirty = false;

    QWidget *owner = d->owner.data();
    if (!owner)
        return;
    if (!d->framePath.isEmpty()) {
        KelUtils::setMask(owner, owner->size(), QPoint(0, 0), d->framePath,
                          d->borderWidths.left() + 1.0, false, false);
    } else if (hadPath) {
        KelUtils::clearMask(owner);
    }
}

void KelFramePainter::paintFrame(KelPaintContext &ctx, KelWidgetStateAnimator *animator)
{
    drawFrame(ctx, KelUtils::animatedStateColor(d->borderColors, animator),
              KelUtils::animatedStateColor(d->background, animator));
}

void KelFramePainter::drawFrame(KelPaintContext &ctx, const QColor &borderColor,
                                const QColor &background)
{
    ensureGeometryIsValid();
    if (d->dirty)
        return;
    const bool fill = background.isValid() && background.alpha() >= 1;
    const bool stroke = borderColor.isValid() && !isNull(d->borderWidths);
    if (!fill && !stroke)
        return;

    QPainter *painter = ctx.painter();
    const double ratio = ctx.devicePixelRatio();
    const bool fractional = isFractional(ratio);
    QPen pen(Qt::NoPen);
    if (stroke) {
        pen = QPen(borderColor, std::round(ratio * d->borderWidths.left()) / ratio, Qt::SolidLine,
                   Qt::SquareCap, Qt::MiterJoin);
        if (!d->dashPattern.isEmpty())
            pen.setDashPattern(d->dashPattern);
        pen.setDashOffset(d->dashOffset);
    }
    const QBrush brush = fill ? QBrush(background) : QBrush(Qt::NoBrush);

    if (!d->framePath.isEmpty()) {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing, true);
        painter->setPen(pen);
        painter->setBrush(brush);
        painter->drawPath(d->framePath);
        painter->restore();
        return;
    }

    QRectF rect(d->frameRect);
    if (fractional)
        rect = KelPainting::snapRectToPixels(rect, ratio);
    rect &= ctx.rect();
    rect = rect.marginsRemoved(KelPainting::snapMargins(ratio, toMarginsF(d->margins)));
    if (rect.isEmpty())
        return;

    const auto overlapping = KelPainting::PenOverlapping(d->penOverlapping);
    painter->save();
    if (isNull(d->cornerRadii)) {
        if (allEqual(d->borderWidths)) {
            painter->setPen(pen);
            painter->setBrush(brush);
            KelPainting::drawRectFrame(painter, rect, overlapping);
        } else {
            drawVariadicBorders(painter, rect, ratio, fill, stroke, borderColor, background);
        }
    } else {
        if (!allEqual(d->borderWidths))
            qWarning() << "Rounded frame can't have variadic-width borders!" << d->borderWidths;
        painter->setPen(pen);
        painter->setBrush(brush);
        KelPainting::drawFramePath(painter, rect, d->cornerRadii, overlapping);
    }
    painter->restore();
}

void KelFramePainter::drawVariadicBorders(QPainter *painter, const QRectF &rect, double ratio,
                                          bool fill, bool stroke, const QColor &borderColor,
                                          const QColor &background)
{
    const QMarginsF b = KelPainting::snapMargins(ratio, toMarginsF(d->borderWidths));
    if (fill) {
        painter->fillRect(d->penOverlapping == KelPainting::BrushUnderPen ? rect
                                                                          : rect.marginsRemoved(b),
                          background);
    }
    if (!stroke)
        return;
    if (!d->dashPattern.isEmpty()) {
        qCritical() << "Dash-pen" << d->dashPattern
                    << "is not implemented for variadic-width borders" << d->borderWidths;
    }
    if (b.top() > Epsilon)
        painter->fillRect(QRectF(rect.left(), rect.top(), rect.width(), b.top()), borderColor);
    if (b.bottom() > Epsilon) {
        painter->fillRect(QRectF(rect.left(), rect.bottom() - b.bottom(), rect.width(), b.bottom()),
                          borderColor);
    }
    const double top = rect.top() + b.top();
    const double height = rect.height() - b.top() - b.bottom();
    if (b.left() > Epsilon)
        painter->fillRect(QRectF(rect.left(), top, b.left(), height), borderColor);
    if (b.right() > Epsilon)
        painter->fillRect(QRectF(rect.right() - b.right(), top, b.right(), height), borderColor);
}

void KelFramePainter::onGeometryChanged() { }

void KelFramePainter::onInvalidated()
{
    updateWidget();
}

void KelFramePainter::updateWidget()
{
    if (d->owner)
        d->owner->update();
}

bool KelFramePainter::isGeometryDirty() const
{
    return d->dirty;
}

void KelFramePainter::setGeometryValue(QMargins &field, const QMargins &value)
{
    if (field == value)
        return;
    field = value;
    d->dirty = true;
    onGeometryChanged();
    onInvalidated();
}

namespace KelPainting {

void diagPaintFramePainter(KelPaintContext &ctx, KelFramePainter *framePainter)
{
    if (!framePainter)
        return;
    framePainter->ensureGeometryIsValid();
    QPainter *painter = ctx.painter();
    const QRectF frame(framePainter->frameRect());
    const QRectF inMargins = frame.marginsRemoved(toMarginsF(framePainter->margins()));
    const QRectF inBorders = inMargins.marginsRemoved(toMarginsF(framePainter->borderWidths()));
    const QRectF contents = inBorders.marginsRemoved(toMarginsF(framePainter->contentsMargins()));
    diagPaintMargins(painter, frame, inMargins, diagYellow());
    diagPaintMargins(painter, inMargins, inBorders, diagMagenta());
    diagPaintMargins(painter, inBorders, contents, diagGreen());
    diagPaintRect(painter, contents, diagBlue());
}

} // namespace KelPainting

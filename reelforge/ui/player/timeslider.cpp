#include "ui/player/timeslider.h"

#include "painting/kelframepainter.h"
#include "widgets/kelbutton.h"

#include <QKeyEvent>
#include <QPainterPath>

namespace {

// Height of the bubble's pointer below its body.
constexpr double PointerHeight = 6.0;
// Distance of the pointer's tip from the body's inner corner.
constexpr double PointerInset = 14.0;
// How far below the tip the trim position lies.
constexpr int HotSpotDrop = 8;
constexpr double CornerRadius = 4.0;

// A speech bubble filling the handle, its pointer near the edge that faces
// the trim position: the right edge for the left handle, the left edge for
// the right one. Moves the handle's hot spot under the pointer.
QPainterPath bubblePath(KelFramePainter *painter, const QRect &frameRect, bool leftHandle)
{
    QRectF body = QRectF(frameRect.marginsRemoved(painter->margins()));
    body.setBottom(body.bottom() - PointerHeight);
    const QPointF tip = leftHandle
            ? QPointF(body.right() - PointerInset, body.bottom() + PointerHeight)
            : QPointF(body.left() + PointerInset, body.bottom() + PointerHeight);

    if (KelSlider *slider = KelSlider::sliderOfHandle(painter->widget())) {
        const QPoint hotSpot = (tip + QPointF(0, HotSpotDrop)).toPoint();
        if (leftHandle)
            slider->setLeftTrimHotSpot(hotSpot);
        else
            slider->setRightTrimHotSpot(hotSpot);
    }

    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    path.addRoundedRect(body, CornerRadius, CornerRadius);
    path.closeSubpath();
    path.moveTo(tip);
    path.lineTo(tip - QPointF(PointerHeight, PointerHeight));
    path.lineTo(tip.x() + PointerHeight, tip.y() - PointerHeight);
    path.closeSubpath();
    return path.simplified();
}

} // namespace

TimeSlider::TimeSlider(int styleId, QWidget *parent)
    : KelSlider(styleId, Qt::Horizontal, parent, true)
{
    connect(this, &QAbstractSlider::sliderPressed, this,
            [this] { emit timeSliderPressed(sliderPosition() * step); });
    connect(this, &QAbstractSlider::sliderReleased, this,
            [this] { emit timeSliderReleased(sliderPosition() * step); });
    connect(this, &QAbstractSlider::sliderMoved, this,
            [this](int v) { emit timeSliderMoved(v * step); });
    connect(this, &QAbstractSlider::valueChanged, this,
            [this](int v) { emit timeValueChanged(v * step); });
    connect(this, &KelSlider::lowerTrimChanged, this, &TimeSlider::emitTrimRange);
    connect(this, &KelSlider::upperTrimChanged, this, &TimeSlider::emitTrimRange);

    leftTrimHandle()->setFramePathFunction([](KelFramePainter *painter, const QRect &rect) {
        return bubblePath(painter, rect, true);
    });
    rightTrimHandle()->setFramePathFunction([](KelFramePainter *painter, const QRect &rect) {
        return bubblePath(painter, rect, false);
    });

    // Both are 0 at one millisecond per unit: arrow and page keys leave the
    // position alone.
    setSingleStep(int(500 / step));
    setPageStep(int(5000 / step));

    // Styled only now, so the style meets the bubble shapes.
    if (hasStyleId())
        applyStyle();
}

TimeSlider::~TimeSlider() = default;

void TimeSlider::setTimeRange(qint64 min, qint64 max)
{
    setRange(int(min / step), int(max / step));
}

void TimeSlider::setTrimRange(qint64 min, qint64 max)
{
    KelSlider::setTrimRange(int(min / step), int(max / step));
}

void TimeSlider::setTime(qint64 t)
{
    setValue(int(t / step));
}

void TimeSlider::setTimeQuiet(qint64 t)
{
    setValueSilently(int(t / step));
}

void TimeSlider::setMinTrimDuration(qint64 t)
{
    KelSlider::setMinTrimDuration(int(t / step));
}

QPair<qint64, qint64> TimeSlider::timeRange() const
{
    return {minimum() * step, maximum() * step};
}

QPair<qint64, qint64> TimeSlider::trimRange()
{
    if (!hasTrimHandles())
        return {0, 0};
    const QPair<int, int> range = KelSlider::trimRange();
    return {range.first * step, range.second * step};
}

qint64 TimeSlider::sliderTime() const
{
    return sliderPosition() * step;
}

void TimeSlider::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Space) {
        event->ignore();
        return;
    }
    KelSlider::keyPressEvent(event);
}

void TimeSlider::emitTrimRange()
{
    const QPair<int, int> range = KelSlider::trimRange();
    emit timeTrimRangeChanged(range.first * step, range.second * step);
    emit updateTrimTextsRequest();
}

#include "moc_timeslider.cpp"

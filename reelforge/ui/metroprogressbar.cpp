#include "ui/metroprogressbar.h"

#include <QBasicTimer>
#include <QEasingCurve>
#include <QElapsedTimer>
#include <QPainter>
#include <QTimerEvent>
#include <QtMath>

namespace {

QEasingCurve raceCurve()
{
    QEasingCurve curve(QEasingCurve::BezierSpline);
    curve.addCubicBezierSegment(QPointF(0.05, 0.47), QPointF(0.05, 0.47), QPointF(0.5, 0.5));
    curve.addCubicBezierSegment(QPointF(0.95, 0.53), QPointF(0.95, 0.53), QPointF(1.0, 1.0));
    return curve;
}

} // namespace

class MetroProgressBar::Private
{
public:
    QColor color = QColor(0x0078D7);
    double radius = 2.0;
    int fps = 60;
    int duration = 3000;
    int pause = 500;
    int delay = 250;
    int spacing = 10;
    int count = 5;
    QEasingCurve easing = raceCurve();
    QBasicTimer timer;
    QElapsedTimer clock;
};

MetroProgressBar::MetroProgressBar(QWidget *parent)
    : KelProgressBar(-1, parent), d(std::make_unique<Private>())
{ }

MetroProgressBar::~MetroProgressBar() = default;

QColor MetroProgressBar::color() const
{
    return d->color;
}

void MetroProgressBar::setColor(const QColor &color)
{
    d->color = color;
    update();
}

double MetroProgressBar::radius() const
{
    return d->radius;
}

void MetroProgressBar::setRadius(double radius)
{
    d->radius = radius;
    setFixedHeight(qCeil(2 * radius));
    update();
}

QVector<double> MetroProgressBar::dotPositions(int width, qint64 elapsedMs) const
{
    const double offset = qMax(d->radius, double(d->count * d->spacing));
    const double travel = d->duration - d->count * d->delay;
    const qint64 t = elapsedMs % (d->duration + d->pause);
    QVector<double> positions;
    positions.reserve(d->count);
    for (int i = 0; i < d->count; ++i) {
        const double progress = (t - i * d->delay) / travel;
        positions << (width + 2 * offset) * d->easing.valueForProgress(progress) - offset
                        - i * d->spacing;
    }
    return positions;
}

bool MetroProgressBar::isAnimating() const
{
    return d->timer.isActive();
}

void MetroProgressBar::paintEvent(QPaintEvent *event)
{
    if (minimum() != maximum()) {
        d->timer.stop();
        QProgressBar::paintEvent(event);
        return;
    }
    if (!d->timer.isActive()) {
        d->clock.start();
        d->timer.start(1000 / d->fps, this);
    }

    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(d->color);
    const double y = height() * 0.5;
    for (double x : dotPositions(width(), d->clock.elapsed()))
        painter.drawEllipse(QPointF(x, y), d->radius, d->radius);
}

void MetroProgressBar::timerEvent(QTimerEvent *event)
{
    if (event->timerId() != d->timer.timerId()) {
        KelProgressBar::timerEvent(event);
        return;
    }
    // A hidden bar gets no paint that could stop the timer.
    if (!isVisible() || minimum() != maximum()) {
        d->timer.stop();
        update();
        return;
    }
    update();
}

#include "moc_metroprogressbar.cpp"

#include "painting/kelgraphicsopacityeffect.h"

#include <QAbstractScrollArea>
#include <QDebug>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QWidget>

#include <cmath>

namespace {

bool isZero(double value)
{
    return std::abs(value) <= 1e-12;
}

} // namespace

// Passes its widget's picture through unchanged. A widget with an effect
// is repainted instead of scrolled by blitting, which keeps scroll areas
// right under a parent whose picture is cached.
class KelGraphicsOpacityEffect::ForceRepaintEffect : public QGraphicsEffect
{
public:
    explicit ForceRepaintEffect(QWidget *widget) : QGraphicsEffect(widget), widget(widget)
    {
        setObjectName(QStringLiteral("ForceRepaintEffect"));
        widget->setGraphicsEffect(this);
    }

    QPointer<QWidget> widget;

protected:
    void draw(QPainter *painter) override
    {
        QPoint offset;
        const QPixmap pixmap = sourcePixmap(Qt::DeviceCoordinates, &offset, NoPad);
        painter->save();
        painter->setWorldTransform(QTransform());
        painter->drawPixmap(offset, pixmap);
        painter->restore();
    }
};

class KelGraphicsOpacityEffect::Private
{
public:
    QPointer<QWidget> widget;
    double opacity = 1.0;
    Qt::Edge slideEdge = Qt::LeftEdge;
    int slideDistance = 0;
    bool disableAtFullOpacity = true;
    bool cacheSource = false;
    bool forceRepaintInstalled = false;
    QPixmap cachedPixmap;
    QPoint cachedOffset;
    QList<QPointer<ForceRepaintEffect>> forceRepaintEffects;
};

KelGraphicsOpacityEffect::KelGraphicsOpacityEffect(QWidget *widget)
    : QGraphicsEffect(widget), d(std::make_unique<Private>())
{
    d->widget = widget;
    setEnabled(false);
    if (widget)
        widget->setGraphicsEffect(this);
}

KelGraphicsOpacityEffect::~KelGraphicsOpacityEffect()
{
    // The pass-through effects are only meant to live as long as a fade.
    removeForceRepaint();
}

QWidget *KelGraphicsOpacityEffect::widget() const
{
    return d->widget;
}

double KelGraphicsOpacityEffect::opacity() const
{
    return d->opacity;
}

void KelGraphicsOpacityEffect::setOpacity(double opacity)
{
    if (d->widget && d->widget->testAttribute(Qt::WA_WState_InPaintEvent) && isZero(opacity)) {
        qCritical("WARNING! DONT SET GRAPHICS OPACITY TO 0 INSIDE PAINT EVENT\n"
                  "KelGraphicsOpacityEffect::draw() will call original paintEvent only if "
                  "opacity is not 0.0.\n"
                  "So if you call effect->setOpacity(0.0) inside paint event, you will never get "
                  "into this paint event!");
    }
    opacity = qBound(0.0, opacity, 1.0);
    if (qFuzzyCompare(opacity, d->opacity))
        return;
    d->opacity = opacity;
    if (d->disableAtFullOpacity)
        setEnabled(!qFuzzyCompare(opacity, 1.0));
    update();
}

Qt::Edge KelGraphicsOpacityEffect::slideEdge() const
{
    return d->slideEdge;
}

void KelGraphicsOpacityEffect::setSlideEdge(Qt::Edge edge)
{
    if (d->slideEdge == edge)
        return;
    d->slideEdge = edge;
    update();
}

int KelGraphicsOpacityEffect::slideDistance() const
{
    return d->slideDistance;
}

void KelGraphicsOpacityEffect::setSlideDistance(int distance)
{
    if (d->slideDistance == distance)
        return;
    d->slideDistance = distance;
    update();
}

bool KelGraphicsOpacityEffect::disableAtFullOpacity() const
{
    return d->disableAtFullOpacity;
}

void KelGraphicsOpacityEffect::setDisableAtFullOpacity(bool disable)
{
    if (d->disableAtFullOpacity == disable)
        return;
    d->disableAtFullOpacity = disable;
    setEnabled(!disable || !qFuzzyCompare(d->opacity, 1.0));
}

void KelGraphicsOpacityEffect::installForceRepaint()
{
    if (!d->widget || d->forceRepaintInstalled)
        return;
    d->forceRepaintInstalled = true;
    d->cacheSource = true;
    d->cachedPixmap = QPixmap();
    const auto areas = d->widget->findChildren<QAbstractScrollArea *>();
    for (QAbstractScrollArea *area : areas) {
        if (!area->isVisibleTo(d->widget))
            continue;
        d->forceRepaintEffects << new ForceRepaintEffect(area->viewport());
        if (area->horizontalScrollBarPolicy() != Qt::ScrollBarAlwaysOff)
            d->forceRepaintEffects << new ForceRepaintEffect(area->horizontalScrollBar());
        if (area->verticalScrollBarPolicy() != Qt::ScrollBarAlwaysOff)
            d->forceRepaintEffects << new ForceRepaintEffect(area->verticalScrollBar());
    }
}

void KelGraphicsOpacityEffect::removeForceRepaint()
{
    if (!d->forceRepaintInstalled)
        return;
    d->forceRepaintInstalled = false;
    d->cacheSource = false;
    d->cachedPixmap = QPixmap();
    while (!d->forceRepaintEffects.isEmpty()) {
        const QPointer<ForceRepaintEffect> effect = d->forceRepaintEffects.takeLast();
        if (!effect)
            continue; // gone with its widget, or replaced there
        if (effect->widget && effect->widget->graphicsEffect() == effect)
            effect->widget->setGraphicsEffect(nullptr);
        else
            effect->deleteLater();
    }
}

QPixmap KelGraphicsOpacityEffect::takeSourcePixmap(PixmapPadMode mode, QPoint *offset)
{
    if (!d->cacheSource)
        return sourcePixmap(Qt::DeviceCoordinates, offset, mode);

    bool valid = d->widget && !d->cachedPixmap.isNull();
    if (valid) {
        const QPoint position = d->widget->isWindow()
                ? QPoint()
                : d->widget->mapTo(d->widget->window(), QPoint());
        const QSize size = (QSizeF(d->cachedPixmap.size()) / d->cachedPixmap.devicePixelRatioF())
                                   .toSize();
        valid = boundingRectFor(QRectF(position, d->widget->size()))
                == QRectF(d->cachedOffset, size);
    }
    if (!valid)
        d->cachedPixmap = sourcePixmap(Qt::DeviceCoordinates, &d->cachedOffset, mode);
    *offset = d->cachedOffset;
    return d->cachedPixmap;
}

QPointF KelGraphicsOpacityEffect::slideDisplacement() const
{
    if (d->slideDistance == 0 || d->opacity >= 1.0)
        return {};
    const double distance = (1.0 - d->opacity) * d->slideDistance;
    switch (d->slideEdge) {
    case Qt::TopEdge:
        return {0.0, -distance};
    case Qt::LeftEdge:
        return {-distance, 0.0};
    case Qt::RightEdge:
        return {distance, 0.0};
    case Qt::BottomEdge:
        return {0.0, distance};
    }
    return {};
}

void KelGraphicsOpacityEffect::draw(QPainter *painter)
{
    // At 0 the widget's own paint code is not run either.
    if (isZero(d->opacity))
        return;
    QPoint offset;
    const QPixmap pixmap = takeSourcePixmap(NoPad, &offset);
    if (pixmap.isNull())
        return;
    painter->save();
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    painter->setOpacity(d->opacity);
    painter->setWorldTransform(QTransform());
    painter->drawPixmap(QPointF(offset) + slideDisplacement(), pixmap);
    painter->restore();
}

#include "moc_kelgraphicsopacityeffect.cpp"

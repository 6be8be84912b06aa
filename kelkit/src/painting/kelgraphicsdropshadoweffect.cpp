#include "painting/kelgraphicsdropshadoweffect.h"

#include "kelui.h"
#include "painting/kelpixmapcache.h"

#include <QPainter>
#include <QWidget>

#include <cmath>

// Qt Widgets' exported blur of the shadow filters.
Q_DECL_IMPORT void qt_blurImage(QPainter *p, QImage &blurImage, qreal radius, bool quality,
                                bool alphaOnly, int transposed = 0);

namespace {

// Qt's fuzzy comparison, which never holds against 0, with an absolute
// tolerance there.
bool fuzzyEqual(double a, double b)
{
    if (a == 0.0 || b == 0.0)
        return std::abs(a - b) <= 1e-12;
    return qFuzzyCompare(a, b);
}

} // namespace

class KelGraphicsDropShadowEffect::Private
{
public:
    QPointF offset = QPointF(8.0, 8.0);
    KelMargins padding;
    QColor color = QColor(63, 63, 63, 180);
    double blurRadius = 1.0;
};

KelGraphicsDropShadowEffect::KelGraphicsDropShadowEffect(QWidget *widget)
    : KelGraphicsOpacityEffect(widget), d(std::make_unique<Private>())
{
    setDisableAtFullOpacity(false);
}

KelGraphicsDropShadowEffect::~KelGraphicsDropShadowEffect() = default;

QPointF KelGraphicsDropShadowEffect::offset() const
{
    return d->offset;
}

void KelGraphicsDropShadowEffect::setOffset(const QPointF &offset)
{
    if (fuzzyEqual(offset.x(), d->offset.x()) && fuzzyEqual(offset.y(), d->offset.y()))
        return;
    d->offset = offset;
    updateBoundingRect();
    emit offsetChanged(offset);
}

double KelGraphicsDropShadowEffect::xOffset() const
{
    return d->offset.x();
}

void KelGraphicsDropShadowEffect::setXOffset(double x)
{
    setOffset(QPointF(x, d->offset.y()));
}

double KelGraphicsDropShadowEffect::yOffset() const
{
    return d->offset.y();
}

void KelGraphicsDropShadowEffect::setYOffset(double y)
{
    setOffset(QPointF(d->offset.x(), y));
}

double KelGraphicsDropShadowEffect::blurRadius() const
{
    return d->blurRadius;
}

void KelGraphicsDropShadowEffect::setBlurRadius(double radius)
{
    if (fuzzyEqual(radius, d->blurRadius))
        return;
    d->blurRadius = radius;
    updateBoundingRect();
    emit blurRadiusChanged(radius);
}

QColor KelGraphicsDropShadowEffect::color() const
{
    return d->color;
}

void KelGraphicsDropShadowEffect::setColor(const QColor &color)
{
    if (d->color == color)
        return;
    d->color = color;
    update();
    emit colorChanged(color);
}

KelMargins KelGraphicsDropShadowEffect::padding() const
{
    return d->padding;
}

void KelGraphicsDropShadowEffect::setPadding(const KelMargins &padding)
{
    if (d->padding == padding)
        return;
    d->padding = padding;
    updateBoundingRect();
    emit paddingChanged(padding);
}

KelMargins KelGraphicsDropShadowEffect::effectivePadding() const
{
    const KelMargins &p = d->padding;
    const QWidget *target = widget();
    if (p.isNull() || !target)
        return p;
    const int horizontal = target->width() / 2 - 2;
    const int vertical = target->height() / 2 - 2;
    return KelMargins(qMin(p.left(), horizontal), qMin(p.top(), vertical),
                      qMin(p.right(), horizontal), qMin(p.bottom(), vertical));
}

QRectF KelGraphicsDropShadowEffect::boundingRectFor(const QRectF &rect) const
{
    const KelMargins p = effectivePadding();
    const double blur = 2.0 * d->blurRadius;
    const QRectF shadow = rect.translated(d->offset)
                                  .adjusted(p.left(), p.top(), -p.right(), -p.bottom())
                                  .adjusted(-blur, -blur, blur, blur);
    return rect.united(shadow);
}

void KelGraphicsDropShadowEffect::draw(QPainter *painter)
{
    if (d->blurRadius <= 0.0 && d->offset.isNull()) {
        KelGraphicsOpacityEffect::draw(painter);
        return;
    }
    QPoint sourceOffset;
    const QPixmap source = takeSourcePixmap(PadToEffectiveBoundingRect, &sourceOffset);
    if (source.isNull())
        return;
    const QImage shadow = shadowImage(source);
    const QPointF position = QPointF(sourceOffset) + slideDisplacement();

    painter->save();
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    painter->setWorldTransform(QTransform());
    if (qFuzzyCompare(opacity(), 1.0)) {
        painter->drawImage(position, shadow);
        painter->drawPixmap(position, source);
    } else {
        QPixmap composed(source.size());
        composed.setDevicePixelRatio(source.devicePixelRatioF());
        composed.fill(Qt::transparent);
        {
            QPainter p(&composed);
            p.drawImage(QPointF(), shadow);
            p.drawPixmap(QPointF(), source);
        }
        painter->setOpacity(opacity());
        painter->drawPixmap(position, composed);
    }
    painter->restore();
}

QImage KelGraphicsDropShadowEffect::shadowImage(const QPixmap &source) const
{
    if (source.isNull())
        return {};

    const QWidget *target = widget();
    KelUi *ui = kelUi();
    KelPixmapCache *cache = target && target->testAttribute(Qt::WA_OpaquePaintEvent) && ui
            ? ui->shadowCache()
            : nullptr;
    const double ratio = source.devicePixelRatioF();
    // The colour is part of the key: shadows that differ only in colour
    // must not share a picture.
    QString key = QStringLiteral("ShadowEffect-%1-%2-%3-%4-%5-%6-%7")
                          .arg(source.width())
                          .arg(source.height())
                          .arg(ratio)
                          .arg(d->blurRadius)
                          .arg(d->offset.x())
                          .arg(d->offset.y())
                          .arg(d->color.name(QColor::HexArgb));
    if (!d->padding.isNull()) {
        key += QStringLiteral("%1-%2-%3-%4")
                       .arg(d->padding.left())
                       .arg(d->padding.top())
                       .arg(d->padding.right())
                       .arg(d->padding.bottom());
    }
    if (cache) {
        QPixmap cached;
        if (cache->find(key, &cached))
            return cached.toImage();
    }

    QImage image(source.size(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    const double blur = 2.0 * d->blurRadius;
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        const KelMargins pad = effectivePadding();
        if (pad.isNull()) {
            p.drawPixmap(d->offset, source);
        } else {
            const QRectF part = QRectF(source.rect())
                                        .adjusted((pad.left() + blur) * ratio,
                                                  (pad.top() + blur) * ratio,
                                                  -(pad.right() + blur) * ratio,
                                                  -(pad.bottom() + blur) * ratio);
            const QPointF at(pad.left() + blur + d->offset.x(), pad.top() + blur + d->offset.y());
            p.drawPixmap(QRectF(at, part.size() / ratio), source, part);
        }
    }

    QImage blurred(image.size(), QImage::Format_ARGB32_Premultiplied);
    blurred.setDevicePixelRatio(ratio);
    blurred.fill(Qt::transparent);
    {
        QPainter p(&blurred);
        qt_blurImage(&p, image, blur * ratio, false, true);
    }
    image = blurred;

    {
        QPainter p(&image);
        p.setCompositionMode(QPainter::CompositionMode_SourceIn);
        p.fillRect(QRectF(QPointF(), QSizeF(image.size()) / ratio), d->color);
    }

    if (cache)
        cache->insert(key, QPixmap::fromImage(image));
    return image;
}

#include "moc_kelgraphicsdropshadoweffect.cpp"

#include "widgets/kellinearshadowwidget.h"

#include "eventfilters/kelgeometrywatcher.h"
#include "kelui.h"
#include "painting/kelpixmapcache.h"
#include "styles/kelstyle.h"

#include <QImage>
#include <QPainter>
#include <QPointer>

#include <cmath>

// Qt Widgets' exported blur of the shadow filters.
Q_DECL_IMPORT void qt_blurImage(QPainter *p, QImage &blurImage, qreal radius, bool quality,
                                bool alphaOnly, int transposed = 0);

namespace {

// The tile is four shadow sizes square with the colour filling its middle
// half, blurred over one shadow size; the band outside the colour on each
// side fades from the colour's edge to nothing.
QPixmap renderTile(int shadowSize, const QColor &color, double ratio)
{
    const int band = qMax(1, int(std::ceil(shadowSize * ratio)));
    const int side = 4 * band;
    QImage source(side, side, QImage::Format_ARGB32_Premultiplied);
    source.fill(Qt::transparent);
    {
        QPainter p(&source);
        p.fillRect(QRect(band, band, 2 * band, 2 * band), Qt::black);
    }
    QImage tile(side, side, QImage::Format_ARGB32_Premultiplied);
    tile.fill(Qt::transparent);
    {
        QPainter p(&tile);
        qt_blurImage(&p, source, band, true, true);
        p.setCompositionMode(QPainter::CompositionMode_SourceIn);
        p.fillRect(tile.rect(), color);
    }
    QPixmap pixmap = QPixmap::fromImage(tile);
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}

// The band of the tile (in device pixels) whose dark side lies against
// the given side, one pixel thick along the edge's length.
QRectF tileBand(Qt::Edge side, const QSize &tileSize)
{
    const double band = tileSize.width() / 4.0;
    const double middle = tileSize.width() / 2.0;
    switch (side) {
    case Qt::TopEdge: // dark at its bottom
        return QRectF(middle, 0, 1, band);
    case Qt::BottomEdge: // dark at its top
        return QRectF(middle, 3 * band, 1, band);
    case Qt::LeftEdge: // dark at its right
        return QRectF(0, middle, band, 1);
    case Qt::RightEdge: // dark at its left
        return QRectF(3 * band, middle, band, 1);
    }
    return {};
}

Qt::Edge opposite(Qt::Edge edge)
{
    switch (edge) {
    case Qt::TopEdge:
        return Qt::BottomEdge;
    case Qt::BottomEdge:
        return Qt::TopEdge;
    case Qt::LeftEdge:
        return Qt::RightEdge;
    case Qt::RightEdge:
        return Qt::LeftEdge;
    }
    return edge;
}

} // namespace

class KelLinearShadowWidget::Private
{
public:
    explicit Private(KelLinearShadowWidget *q) : q(q) { }

    // A window target hosts its shadow itself.
    QWidget *host() const
    {
        if (!target)
            return nullptr;
        return target->isWindow() ? target.data() : target->parentWidget();
    }

    void followParent()
    {
        QWidget *parent = host();
        if (parent && q->parentWidget() != parent) {
            const bool visible = target->isVisible();
            q->setParent(parent);
            q->setVisibleAnimated(visible, false);
        }
        q->raise();
        updateGeometry();
    }

    void updateGeometry()
    {
        if (!target)
            return;
        const QRect r = target->isWindow() ? target->rect() : target->geometry();
        const int s = size;
        const int o = placement == OutsideEdge ? s : 0;
        const int i = placement == InsideEdge ? s : 0;
        QRect rect;
        switch (edge) {
        case Qt::TopEdge:
            rect = QRect(r.left(), r.top() - o, r.width(), s);
            break;
        case Qt::LeftEdge:
            rect = QRect(r.left() - o, r.top(), s, r.height());
            break;
        case Qt::RightEdge:
            rect = QRect(r.left() + r.width() - i, r.top(), s, r.height());
            break;
        case Qt::BottomEdge:
            rect = QRect(r.left(), r.top() + r.height() - i, r.width(), s);
            break;
        }
        q->setGeometry(rect);
    }

    KelLinearShadowWidget *q;
    Qt::Edge edge = Qt::TopEdge;
    int placement = FreeStanding;
    int size = 0;
    QColor color;
    QPointer<QWidget> target;
    QPointer<KelGeometryWatcher> watcher;
};

KelLinearShadowWidget::KelLinearShadowWidget(int styleId, Qt::Edge edge, int placement,
                                             QWidget *target, bool noStyle)
    : QWidget(target && placement != FreeStanding
                      ? (target->isWindow() ? target : target->parentWidget())
                      : nullptr),
      KelStyleable(styleId), KelVisibilityAnimatable(this), d(std::make_unique<Private>(this))
{
    d->edge = edge;
    d->placement = placement;
    setObjectName(QStringLiteral("LinearShadowWidget"));
    setAttribute(Qt::WA_TransparentForMouseEvents);

    if (target && placement != FreeStanding) {
        d->target = target;
        d->watcher = new KelGeometryWatcher(target, KelGeometryWatcher::WindowGeometry);
        connect(d->watcher, &KelGeometryWatcher::windowGeometryChanged, this,
                [this] { d->updateGeometry(); });
        connect(d->watcher, &KelGeometryWatcher::visibilityChanged, this,
                [this](bool visible) { setVisibleAnimated(visible, false); });
        connect(d->watcher, &KelGeometryWatcher::parentWidgetChanged, this,
                [this] { d->followParent(); });
        raise();
        d->updateGeometry();
        setVisibleAnimated(target->isVisible(), false);
    }

    if (!noStyle && hasStyleId())
        applyStyle();
}

KelLinearShadowWidget::~KelLinearShadowWidget()
{
    delete d->watcher;
}

void KelLinearShadowWidget::applyStyle()
{
    if (hasStyleId())
        kelStyle()->applyShadowStyle(this, styleId());
}

Qt::Edge KelLinearShadowWidget::edge() const
{
    return d->edge;
}

int KelLinearShadowWidget::placement() const
{
    return d->placement;
}

QWidget *KelLinearShadowWidget::target() const
{
    return d->target;
}

int KelLinearShadowWidget::shadowSize() const
{
    return d->size;
}

void KelLinearShadowWidget::setShadowSize(int size)
{
    if (d->size == size)
        return;
    d->size = size;
    if (d->target) {
        d->updateGeometry();
    } else if (d->edge == Qt::TopEdge || d->edge == Qt::BottomEdge) {
        setFixedWidth(QWIDGETSIZE_MAX);
        setFixedHeight(size);
    } else {
        setFixedWidth(size);
        setFixedHeight(QWIDGETSIZE_MAX);
    }
    update();
}

QColor KelLinearShadowWidget::color() const
{
    return d->color;
}

void KelLinearShadowWidget::setColor(const QColor &color)
{
    if (d->color == color)
        return;
    d->color = color;
    update();
}

void KelLinearShadowWidget::paintEvent(QPaintEvent *)
{
    if (d->size <= 0 || !d->color.isValid() || d->color.alpha() == 0)
        return;

    const double ratio = devicePixelRatioF();
    const QString key
            = QStringLiteral("%1-%2-%3").arg(ratio, 0, 'g').arg(2 * d->size).arg(d->color.rgba());
    KelUi *ui = kelUi();
    KelPixmapCache *cache = ui ? ui->shadowCache() : nullptr;
    QPixmap tile;
    if (!cache || !cache->find(key, &tile)) {
        tile = renderTile(d->size, d->color, ratio);
        if (cache)
            cache->insert(key, tile);
    }

    // Inside the target the dark side lies against the target's edge, so
    // the band comes from the opposite side of the tile.
    const Qt::Edge side = d->placement == InsideEdge ? opposite(d->edge) : d->edge;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(QRectF(rect()), tile, tileBand(side, tile.size()));
}

#include "moc_kellinearshadowwidget.cpp"

#include "ui/mainwindow/dragicon.h"

#include "animators/kelanimationparams.h"
#include "animators/kelpropertyanimator.h"
#include "eventfilters/kelglobalmousewatcher.h"
#include "painting/kelpainting.h"

#include <QCursor>
#include <QPainter>
#include <QPointer>

#include <cmath>

namespace {

const char ScaleProp[] = "scale";
const char ShadeProp[] = "dropAllowedProgress";
constexpr double Fuzz = 1e-12;
// Where the shrunk icon hangs: centred, this far below the cursor.
constexpr int SmallGrabY = 16;

bool fuzzyEqual(double a, double b)
{
    return std::abs(a - b) <= Fuzz * std::max(std::abs(a), std::abs(b));
}

} // namespace

class DragIcon::Private
{
public:
    QPixmap pixmap;
    bool dropAllowed = false;
    double dropAllowedProgress = 0.0;
    QPoint hotSpot;
    double scale = 0.0;
    const double scaleMax = 1.0;
    const double scaleMin = 0.7;
    QPointer<KelGlobalMouseWatcher> mouseWatcher;
    KelPropertyAnimator *animator = nullptr;
};

DragIcon::DragIcon(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint),
      d(new Private)
{
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setObjectName(QStringLiteral("DragIcon"));

    d->animator = new KelPropertyAnimator(this);
    KelAnimationParams shade;
    shade.forwardEasing = QEasingCurve::OutCubic;
    shade.forwardDuration = 150;
    shade.backwardEasing = QEasingCurve::InCubic;
    shade.backwardDuration = 150;
    shade.startValue = 0.0;
    shade.endValue = 1.0;
    d->animator->setupAnimation(this, ShadeProp, shade);

    KelAnimationParams shrink;
    shrink.forwardEasing = QEasingCurve::OutCubic;
    shrink.forwardDuration = 200;
    shrink.backwardEasing = QEasingCurve::InCubic;
    shrink.backwardDuration = 200;
    shrink.startValue = d->scaleMax;
    shrink.endValue = d->scaleMin;
    d->animator->setupAnimation(this, ScaleProp, shrink);
}

DragIcon::~DragIcon() = default;

void DragIcon::startDrag(QWidget *card, const QPoint &hotSpot)
{
    d->pixmap = card ? KelPainting::grabWidget(card) : QPixmap();
    d->hotSpot = hotSpot;
    updateGeometry();
    if (!isVisible() && !d->pixmap.isNull()) {
        d->animator->setValue(ScaleProp, KelPropertyAnimator::Start, false);
        show();
        raise();
        d->animator->animateValue(ScaleProp, KelPropertyAnimator::End);
    }
    // finish() deletes the watcher, so every drag needs one of its own.
    if (!d->mouseWatcher) {
        d->mouseWatcher = new KelGlobalMouseWatcher(this);
        connect(d->mouseWatcher, &KelGlobalMouseWatcher::mouseMoved, this,
                [this] { updateGeometry(); });
    }
}

void DragIcon::setDropAllowed(bool allowed)
{
    if (d->dropAllowed == allowed)
        return;
    d->dropAllowed = allowed;
    d->animator->setValue(ShadeProp,
                          allowed ? KelPropertyAnimator::Start : KelPropertyAnimator::End,
                          isVisible());
}

void DragIcon::finish()
{
    if (isVisible())
        hide();
    delete d->mouseWatcher;
}

double DragIcon::dropAllowedProgress() const
{
    return d->dropAllowedProgress;
}

void DragIcon::setDropAllowedProgress(double progress)
{
    if (fuzzyEqual(d->dropAllowedProgress, progress))
        return;
    d->dropAllowedProgress = progress;
    update();
}

double DragIcon::scale() const
{
    return d->scale;
}

void DragIcon::setScale(double scale)
{
    if (fuzzyEqual(d->scale, scale))
        return;
    d->scale = scale;
    updateGeometry();
}

QPoint DragIcon::grabPoint() const
{
    const QPointF small(width() / 2.0, SmallGrabY);
    const double t = (d->scale - d->scaleMin) / (d->scaleMax - d->scaleMin);
    return (small + t * (QPointF(d->hotSpot) - small)).toPoint();
}

void DragIcon::updateGeometry()
{
    if (d->pixmap.isNull()) {
        hide();
        return;
    }
    const QSizeF full = QSizeF(d->pixmap.size()) / d->pixmap.devicePixelRatioF();
    const QSize size(qRound(full.width() * d->scale), qRound(full.height() * d->scale));
    setFixedSize(size);
    move(QCursor::pos() - grabPoint());
}

void DragIcon::paintEvent(QPaintEvent *)
{
    if (d->pixmap.isNull())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QPixmap scaled = d->pixmap.scaled(size() * devicePixelRatioF(),
                                            Qt::KeepAspectRatioByExpanding,
                                            Qt::SmoothTransformation);
    painter.drawPixmap(rect(), scaled);
    if (d->dropAllowedProgress > Fuzz) {
        painter.setCompositionMode(QPainter::CompositionMode_SourceAtop);
        painter.setOpacity(d->dropAllowedProgress);
        painter.fillRect(rect(), QColor(0, 0, 0, 127));
    }
}

#include "moc_dragicon.cpp"

#include "windows/kelwindowblockedoverlay.h"

#include "animators/kelprogressanimator.h"
#include "eventfilters/kelgeometrywatcher.h"
#include "styles/kelstyle.h"

#include <QPainter>

namespace {

constexpr int OverlayColor = KelStyle::CL_BlockedOverlay;
constexpr int OverlayAnimation = 4;
// Below this the fade counts as finished and the overlay hides.
constexpr double HiddenProgress = 1e-12;

} // namespace

class KelWindowBlockedOverlay::Private
{
public:
    QColor color;
    QMargins margins;
    KelProgressAnimator *progress = nullptr;
};

KelWindowBlockedOverlay::KelWindowBlockedOverlay(QWidget *window)
    : QWidget(window), KelStyleable(-1), d(std::make_unique<Private>())
{
    setObjectName(QStringLiteral("KelWindowBlockedOverlay"));
    QWidget::setVisible(false);
    d->color = kelStyle()->color(OverlayColor);
    d->progress = new KelProgressAnimator(this, kelStyle()->animationParams(OverlayAnimation));
    connect(d->progress, &KelProgressAnimator::progressChanged, this, [this](double progress) {
        const bool shown = progress > HiddenProgress;
        if (shown != isVisible())
            QWidget::setVisible(shown);
        update();
    });
    if (window) {
        resize(window->size());
        auto *watcher = new KelGeometryWatcher(window, KelGeometryWatcher::LocalGeometry);
        connect(watcher, &KelGeometryWatcher::geometryChanged, this,
                [this](const QRect &geometry) { resize(geometry.size()); });
    }
}

KelWindowBlockedOverlay::~KelWindowBlockedOverlay() = default;

QMargins KelWindowBlockedOverlay::margins() const
{
    return d->margins;
}

void KelWindowBlockedOverlay::setMargins(const QMargins &margins)
{
    if (d->margins == margins)
        return;
    d->margins = margins;
    update();
}

double KelWindowBlockedOverlay::fadeProgress() const
{
    return d->progress->progress();
}

void KelWindowBlockedOverlay::setVisible(bool visible)
{
    // Fading out, the overlay no longer blocks: clicks reach the window.
    setAttribute(Qt::WA_TransparentForMouseEvents, !visible);
    if (visible) {
        raise();
        d->progress->animateForward();
    } else {
        d->progress->animateBackward();
    }
}

void KelWindowBlockedOverlay::applyStyle()
{
    d->progress->setAnimationParams(kelStyle()->animationParams(OverlayAnimation));
    d->color = kelStyle()->color(OverlayColor);
    update();
}

void KelWindowBlockedOverlay::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setOpacity(d->progress->progress());
    painter.fillRect(rect().marginsRemoved(d->margins), d->color);
}

#include "moc_kelwindowblockedoverlay.cpp"

#include "widgets/keliconlabel.h"

#include "animators/kelwidgetstateanimator.h"
#include "painting/kelicon.h"
#include "painting/kelpaintcontext.h"
#include "painting/kelpainting.h"
#include "styles/kelstyle.h"

#include <QEvent>

class KelIconLabel::Private
{
public:
    KelWidgetStateAnimator *animator(KelIconLabel *owner);

    QSize sizeHint = QSize(-1, -1);
    QSize minimumSizeHint = QSize(-1, -1);
    KelWidgetStateAnimator *stateAnimator = nullptr;
};

// Made on the first paint or hover: most labels of a long list are never
// shown. It starts at the label's present state without animating.
KelWidgetStateAnimator *KelIconLabel::Private::animator(KelIconLabel *owner)
{
    if (stateAnimator)
        return stateAnimator;
    // Follows hover and the enabled state; a label takes no focus, so the
    // checked state that focus would drive stays off.
    stateAnimator = new KelWidgetStateAnimator(2, owner);
    const bool animated = stateAnimator->isAnimationEnabled();
    stateAnimator->setAnimationEnabled(false);
    stateAnimator->setWidget(owner);
    stateAnimator->setHovered(owner->isEnabled() && owner->underMouse(), false);
    stateAnimator->setAnimationEnabled(animated);
    return stateAnimator;
}

KelIconLabel::KelIconLabel(int styleId, const QString &iconPath, QWidget *parent, bool noStyle)
    : KelWidget(parent), KelButtonPainter(this), KelStyleable(styleId),
      d(std::make_unique<Private>())
{
    setIcon(iconPath);
    setTextColors(KelStateColors(kelStyle()->color(KelStyle::CL_Text_Dark)));
    setSpacing(kelStyle()->metric(KelStyle::M_Button_Spacing));
    setMinimumSize(0, 0);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setFrameSize(size());
    if (!noStyle && hasStyleId())
        applyStyle();
}

KelIconLabel::KelIconLabel(int styleId, QWidget *parent, bool noStyle)
    : KelIconLabel(styleId, QString(), parent, noStyle)
{ }

KelIconLabel::KelIconLabel(QWidget *parent)
    : KelIconLabel(KelStyle::WT_IconLabel, QString(), parent, false)
{ }

KelIconLabel::~KelIconLabel() = default;

void KelIconLabel::applyStyle()
{
    if (!hasStyleId())
        return;
    KelIcon *current = icon();
    kelStyle()->applyButtonStyle(this, styleId(), current ? current->path() : QString());
}

KelWidgetStateAnimator *KelIconLabel::stateAnimator() const
{
    return d->animator(const_cast<KelIconLabel *>(this));
}

QSize KelIconLabel::sizeHint() const
{
    if (d->sizeHint == QSize(-1, -1))
        d->sizeHint = KelButtonPainter::sizeHint();
    return d->sizeHint;
}

QSize KelIconLabel::minimumSizeHint() const
{
    if (d->minimumSizeHint == QSize(-1, -1))
        d->minimumSizeHint = KelButtonPainter::minimumSizeHint();
    return d->minimumSizeHint;
}

void KelIconLabel::paint(KelPaintContext &ctx)
{
    KelWidgetStateAnimator *animator = d->animator(this);
    paintFrame(ctx, animator);
    paintContent(ctx, animator);
}

bool KelIconLabel::event(QEvent *event)
{
    if (event->type() == QEvent::ApplicationFontChange || event->type() == QEvent::FontChange)
        resetTextMetrics();
    // The animator's own filter sees the events after this one.
    if (event->type() == QEvent::Enter && !d->stateAnimator)
        d->animator(this)->setHovered(isEnabled(), true);
    return KelWidget::event(event);
}

void KelIconLabel::paintEvent(QPaintEvent *)
{
    KelPaintContext ctx(this);
    paint(ctx);
    if (KelPainting::dbgPaintKelFrame())
        KelPainting::diagPaintFramePainter(ctx, this);
    if (KelPainting::dbgPaintKelButton())
        KelPainting::diagPaintButtonPainter(ctx, this);
}

void KelIconLabel::resizeEvent(QResizeEvent *event)
{
    setFrameSize(size());
    KelWidget::resizeEvent(event);
}

void KelIconLabel::onGeometryChanged()
{
    d->sizeHint = QSize(-1, -1);
    d->minimumSizeHint = QSize(-1, -1);
    updateGeometry();
}

#include "moc_keliconlabel.cpp"

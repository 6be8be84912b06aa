#include "widgets/kelframe.h"

#include "animators/kelwidgetstateanimator.h"
#include "painting/kelpaintcontext.h"
#include "painting/kelpainting.h"
#include "styles/kelstyle.h"

class KelFrame::Private
{
public:
    KelWidgetStateAnimator *animator(KelFrame *owner);

    KelWidgetStateAnimator *stateAnimator = nullptr;
};

// Made on the first paint: most frames of a long list are never shown. It
// starts at the frame's present state without animating.
KelWidgetStateAnimator *KelFrame::Private::animator(KelFrame *owner)
{
    if (stateAnimator)
        return stateAnimator;
    stateAnimator = new KelWidgetStateAnimator(1, owner);
    const bool animated = stateAnimator->isAnimationEnabled();
    stateAnimator->setAnimationEnabled(false);
    stateAnimator->setWidget(owner);
    stateAnimator->setAnimationEnabled(animated);
    return stateAnimator;
}

KelFrame::KelFrame(int styleId, QWidget *parent, bool noStyle)
    : KelWidget(parent), KelFramePainter(this), KelStyleable(styleId),
      d(std::make_unique<Private>())
{
    setFrameSize(size());
    if (!noStyle && hasStyleId())
        applyStyle();
}

KelFrame::KelFrame(QWidget *parent, bool noStyle) : KelFrame(-1, parent, noStyle) { }

KelFrame::~KelFrame() = default;

void KelFrame::applyStyle()
{
    if (hasStyleId())
        kelStyle()->applyFrameStyle(this, styleId());
}

KelWidgetStateAnimator *KelFrame::stateAnimator() const
{
    return d->animator(const_cast<KelFrame *>(this));
}

void KelFrame::paintEvent(QPaintEvent *)
{
    KelPaintContext ctx(this);
    paintFrame(ctx, d->animator(this));
    if (KelPainting::dbgPaintKelFrame())
        KelPainting::diagPaintFramePainter(ctx, this);
}

void KelFrame::resizeEvent(QResizeEvent *event)
{
    setFrameSize(size());
    KelWidget::resizeEvent(event);
}

#include "moc_kelframe.cpp"

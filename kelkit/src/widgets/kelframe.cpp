#include "widgets/kelframe.h"

#include "animators/kelwidgetstateanimator.h"
#include "painting/kelpaintcontext.h"
#include "painting/kelpainting.h"
#include "styles/kelstyle.h"

class KelFrame::Private
{
public:
    KelWidgetStateAnimator *stateAnimator = nullptr;
};

KelFrame::KelFrame(int styleId, QWidget *parent, bool noStyle)
    : KelWidget(parent), KelFramePainter(this), KelStyleable(styleId),
      d(std::make_unique<Private>())
{
    d->stateAnimator = new KelWidgetStateAnimator(1, this);
    d->stateAnimator->setWidget(this);
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
    return d->stateAnimator;
}

void KelFrame::paintEvent(QPaintEvent *)
{
    KelPaintContext ctx(this);
    paintFrame(ctx, d->stateAnimator);
    if (KelPainting::dbgPaintKelFrame())
        KelPainting::diagPaintFramePainter(ctx, this);
}

void KelFrame::resizeEvent(QResizeEvent *event)
{
    setFrameSize(size());
    KelWidget::resizeEvent(event);
}

#include "moc_kelframe.cpp"

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
    KelWidgetStateAnimator *stateAnimator = nullptr;
};

KelIconLabel::KelIconLabel(int styleId, const QString &iconPath, QWidget *parent, bool noStyle)
    : KelWidget(parent), KelButtonPainter(this), KelStyleable(styleId),
      d(std::make_unique<Private>())
{
    setIcon(iconPath);
    setTextColors(KelStateColors(kelStyle()->color(KelStyle::CL_Text_Dark)));
    setSpacing(kelStyle()->metric(KelStyle::M_Button_Spacing));
    // Follows hover and the enabled state; a label takes no focus, so the
    // checked state that focus would drive stays off.
    d->stateAnimator = new KelWidgetStateAnimator(2, this);
    d->stateAnimator->setWidget(this);
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
    return d->stateAnimator;
}

QSize KelIconLabel::sizeHint() const
{
    return cachedSizeHint();
}

QSize KelIconLabel::minimumSizeHint() const
{
    return cachedMinimumSizeHint();
}

void KelIconLabel::paint(KelPaintContext &ctx)
{
    paintFrame(ctx, d->stateAnimator);
    paintContent(ctx, d->stateAnimator);
}

bool KelIconLabel::event(QEvent *event)
{
    if (event->type() == QEvent::ApplicationFontChange || event->type() == QEvent::FontChange)
        resetTextMetrics();
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
    dropCachedSizeHints();
}

#include "moc_keliconlabel.cpp"

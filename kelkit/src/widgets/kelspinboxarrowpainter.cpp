#include "widgets/kelspinboxarrowpainter.h"

#include "animators/kelwidgetstateanimator.h"
#include "widgets/kelspinboxpainter.h"

#include <QWidget>

KelSpinBoxArrowPainter::KelSpinBoxArrowPainter(KelSpinBoxPainter *spinBoxPainter)
    : KelButtonPainter(nullptr), m_spinBoxPainter(spinBoxPainter),
      m_stateAnimator(std::make_unique<KelWidgetStateAnimator>(0))
{
    m_stateAnimator->setWidget(spinBoxPainter->widget());
}

KelSpinBoxArrowPainter::~KelSpinBoxArrowPainter() = default;

KelWidgetStateAnimator *KelSpinBoxArrowPainter::stateAnimator() const
{
    return m_stateAnimator.get();
}

void KelSpinBoxArrowPainter::paintArrow(KelPaintContext &ctx, const QRect &rect, bool hovered,
                                        bool pressed, bool disabled)
{
    setFrameRect(rect);
    QWidget *owner = m_spinBoxPainter->widget();
    const bool animated = owner && owner->isVisible();
    m_stateAnimator->setHovered(hovered, animated);
    m_stateAnimator->setPressed(pressed, animated);
    m_stateAnimator->setDisabled(disabled, animated);
    paintFrame(ctx, m_stateAnimator.get());
    paintContent(ctx, m_stateAnimator.get());
}

void KelSpinBoxArrowPainter::onGeometryChanged()
{
    m_spinBoxPainter->invalidateGeometry();
}

void KelSpinBoxArrowPainter::onInvalidated()
{
    KelButtonPainter::onInvalidated();
    m_spinBoxPainter->invalidate();
}

void KelSpinBoxArrowPainter::updateWidget()
{
    m_spinBoxPainter->repaint();
}

#pragma once

#include "painting/kelbuttonpainter.h"

#include <memory>

class KelSpinBoxPainter;
class KelWidgetStateAnimator;

// One arrow of a spin box: a button painter without a widget of its own.
// Changes of its look re-lay out and repaint the spin box. GUI thread only.
class KelSpinBoxArrowPainter : public KelButtonPainter
{
public:
    explicit KelSpinBoxArrowPainter(KelSpinBoxPainter *spinBoxPainter);
    ~KelSpinBoxArrowPainter() override;

    KelWidgetStateAnimator *stateAnimator() const;

    // Paints the arrow into rect in the given state.
    void paintArrow(KelPaintContext &ctx, const QRect &rect, bool hovered, bool pressed,
                    bool disabled);

protected:
    void onGeometryChanged() override;
    void onInvalidated() override;
    void updateWidget() override;

private:
    KelSpinBoxPainter *m_spinBoxPainter;
    std::unique_ptr<KelWidgetStateAnimator> m_stateAnimator;
};

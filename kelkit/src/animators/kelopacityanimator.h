#pragma once

#include "animators/kelabstractanimator.h"

// Fades a window through its window opacity and a child widget through its
// opacity effect, installing one when the widget has no effect. A widget
// faded to 0 is hidden. A widget with another graphics effect keeps it and
// only follows the hiding. GUI thread only.
class KelOpacityAnimator : public KelAbstractAnimator
{
    Q_OBJECT

public:
    explicit KelOpacityAnimator(QWidget *target);
    ~KelOpacityAnimator() override;

    void animateOpacity(double opacity, bool animated, int duration, bool wait = false);

    void updateValue(const QVariant &value) override;
};

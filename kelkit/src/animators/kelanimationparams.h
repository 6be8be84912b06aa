#pragma once

#include <QEasingCurve>
#include <QVariant>

// Easing and duration of both directions of a framework animation, with
// the values it moves between.
struct KelAnimationParams
{
    int forwardEasing = QEasingCurve::Linear;
    int forwardDuration = 0;
    int backwardEasing = QEasingCurve::Linear;
    int backwardDuration = 0;
    QVariant startValue;
    QVariant endValue;

    bool operator==(const KelAnimationParams &other) const
    {
        return forwardEasing == other.forwardEasing && forwardDuration == other.forwardDuration
                && backwardEasing == other.backwardEasing
                && backwardDuration == other.backwardDuration && startValue == other.startValue
                && endValue == other.endValue;
    }
    bool operator!=(const KelAnimationParams &other) const { return !(*this == other); }
};

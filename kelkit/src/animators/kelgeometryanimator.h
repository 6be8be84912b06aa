#pragma once

#include "animators/kelabstractanimator.h"

#include <QRect>

// Moves and resizes a widget; a fixed size policy is kept by setting a fixed
// width or height. GUI thread only.
class KelGeometryAnimator : public KelAbstractAnimator
{
    Q_OBJECT

public:
    explicit KelGeometryAnimator(QWidget *target);
    ~KelGeometryAnimator() override;

    void animateGeometry(const QRect &geometry, bool animated, int duration, bool wait = false);

    void updateValue(const QVariant &value) override;
};

#pragma once

#include "animators/kelanimationparams.h"

#include <QObject>

#include <memory>

class QPropertyAnimation;

// Moves named properties of QObjects between a start and an end value, with
// one easing curve and duration for the way forward (start to end) and
// another for the way back. Callers only ask for a position; a request that
// reverses a running animation turns it round at the value it has reached,
// without a jump. GUI thread only, driven by Qt's animation timer.
class KelPropertyAnimator : public QObject
{
    Q_OBJECT

public:
    enum Pos { Start = 0, End = 1 };
    Q_ENUM(Pos)

    explicit KelPropertyAnimator(QObject *parent = nullptr);
    ~KelPropertyAnimator() override;

    // Registers target's property prop and writes the start value to it; for
    // a name registered already only the parameters change (the target
    // stays the one given first), and the property shows the value of its
    // current position at once.
    void setupAnimation(QObject *target, const char *prop, const KelAnimationParams &params);

    void setValue(const char *prop, Pos pos, bool animated);
    void animateValue(const char *prop, Pos pos);

    // The position asked for last; Start for an unknown name.
    Pos direction(const char *prop) const;
    // Running or paused.
    bool isActive(const char *prop) const;
    // All zero for an unknown name.
    KelAnimationParams animationParams(const char *prop) const;
    QPropertyAnimation *animation(const char *prop) const;

private:
    class Private;
    std::unique_ptr<Private> d;
};

#pragma once

#include "animators/kelprogressanimator.h"

#include <QPointer>

class QWidget;

// Lets a widget appear and disappear by fading: the opacity of a window, or
// of a child widget's opacity effect, runs to 1 after showing or to 0 before
// hiding. The fade's animator is made on first animated use; afterwards
// every visibility change goes through it, so opacity, effect and
// visibility stay consistent. GUI thread only.
class KelVisibilityAnimatable
{
public:
    class VisibilityAnimator;

    explicit KelVisibilityAnimatable(QWidget *widget);
    virtual ~KelVisibilityAnimatable();

    virtual void setVisibleAnimated(bool visible, bool animated);
    void showAnimated();
    void hideAnimated();

protected:
    // Called when a fade-in has finished.
    virtual void onShownAnimated();

    VisibilityAnimator *visibilityAnimator() const;

private:
    Q_DISABLE_COPY(KelVisibilityAnimatable)

    void createAnimator();

    QPointer<QWidget> m_widget;
    QPointer<VisibilityAnimator> m_animator;
};

// The fade of KelVisibilityAnimatable: its progress is the target's opacity.
// Forward OutCubic 250 ms, backward InCubic 250 ms. Showing follows a
// progress above 0 and hiding a progress of 0, unless a fade-in is under way;
// an explicit hide of the target ends any fade at the start.
class KelVisibilityAnimatable::VisibilityAnimator : public KelProgressAnimator
{
public:
    explicit VisibilityAnimator(QWidget *target);
    ~VisibilityAnimator() override;

    // Installs a plain opacity effect on a child widget without one.
    double readOpacityFromTarget();
    void writeOpacityToTarget(double opacity);
    void onProgressChanged(double progress);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPointer<QWidget> m_target;
};

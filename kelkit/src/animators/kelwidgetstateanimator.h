#pragma once

#include "animators/kelanimationparams.h"
#include "animators/keldisabledstateanimator.h"

#include <QColor>

struct KelStateColors;

// A framework widget's hovered, pressed and checked progress, besides the
// disabled one, each running between 0 and 1 on the current style's curves
// (animation kinds 1, 2 and 3). Press is always set by the owner; in watch
// mode 2 hover follows enter and leave, and checked follows focus.
// GUI thread only.
class KelWidgetStateAnimator : public KelDisabledStateAnimator
{
    Q_OBJECT
    Q_PROPERTY(double hoveredProgress READ hoveredProgress WRITE setHoveredProgress NOTIFY
                       hoveredProgressChanged)
    Q_PROPERTY(double pressedProgress READ pressedProgress WRITE setPressedProgress NOTIFY
                       pressedProgressChanged)
    Q_PROPERTY(double checkedProgress READ checkedProgress WRITE setCheckedProgress NOTIFY
                       checkedProgressChanged)

public:
    explicit KelWidgetStateAnimator(int watchMode, QObject *parent = nullptr);
    ~KelWidgetStateAnimator() override;

    void setHovered(bool hovered, bool animated);
    void setPressed(bool pressed, bool animated);
    void setChecked(bool checked, bool animated);
    bool isChecked() const;
    bool isPressed() const;

    double hoveredProgress() const;
    void setHoveredProgress(double progress);
    double pressedProgress() const;
    void setPressedProgress(double progress);
    double checkedProgress() const;
    void setCheckedProgress(double progress);
    bool isHoverActive() const;
    bool isPressActive() const;

    // Custom curves, kept over style changes.
    void setHoveredParams(const KelAnimationParams &params);
    void setCheckedParams(const KelAnimationParams &params);

    void applyStyle() override;

signals:
    void hoveredProgressChanged(double value);
    void pressedProgressChanged(double value);
    void checkedProgressChanged(double value);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    class Private;
    std::unique_ptr<Private> d;
};

namespace KelUtils {

// The colour of the moment of a state colour set: normal blended towards
// checked, the hover and press overlays composed over it, then the disabled
// colour, or a fade by the disabled opacity when that colour is invalid, or
// full transparency when it is transparent. A null animator gives normal.
QColor animatedStateColor(const KelStateColors &colors, const KelWidgetStateAnimator *animator);

} // namespace KelUtils

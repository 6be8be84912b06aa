#include "animators/kelwidgetstateanimator.h"

#include "animators/kelpropertyanimator.h"
#include "styles/kelstyle.h"
#include "utils/kelcolorutils.h"
#include "utils/kelstatecolors.h"

#include <QEvent>
#include <QWidget>

namespace {

constexpr char HoveredProgress[] = "hoveredProgress";
constexpr char PressedProgress[] = "pressedProgress";
constexpr char CheckedProgress[] = "checkedProgress";

} // namespace

class KelWidgetStateAnimator::Private
{
public:
    bool hovered = false;
    bool pressed = false;
    bool checked = false;
    bool customHoveredParams = false;
    bool customCheckedParams = false;
    double hoveredProgress = 0.0;
    double pressedProgress = 0.0;
    double checkedProgress = 0.0;
};

KelWidgetStateAnimator::KelWidgetStateAnimator(int watchMode, QObject *parent)
    : KelDisabledStateAnimator(watchMode, parent), d(std::make_unique<Private>())
{
    const KelStyle *style = kelStyle();
    propertyAnimator()->setupAnimation(this, HoveredProgress,
                                       style->animationParams(KelStyle::AN_Hovered));
    propertyAnimator()->setupAnimation(this, PressedProgress,
                                       style->animationParams(KelStyle::AN_Pressed));
    propertyAnimator()->setupAnimation(this, CheckedProgress,
                                       style->animationParams(KelStyle::AN_Checked));
}

KelWidgetStateAnimator::~KelWidgetStateAnimator() = default;

void KelWidgetStateAnimator::setHovered(bool hovered, bool animated)
{
    if (d->hovered == hovered)
        return;
    d->hovered = hovered;
    moveState(HoveredProgress, hovered, animated);
}

void KelWidgetStateAnimator::setPressed(bool pressed, bool animated)
{
    if (d->pressed == pressed)
        return;
    d->pressed = pressed;
    moveState(PressedProgress, pressed, animated);
}

void KelWidgetStateAnimator::setChecked(bool checked, bool animated)
{
    if (d->checked == checked)
        return;
    d->checked = checked;
    moveState(CheckedProgress, checked, animated);
}

bool KelWidgetStateAnimator::isChecked() const
{
    return d->checked;
}

bool KelWidgetStateAnimator::isPressed() const
{
    return d->pressed;
}

double KelWidgetStateAnimator::hoveredProgress() const
{
    return d->hoveredProgress;
}

void KelWidgetStateAnimator::setHoveredProgress(double progress)
{
    if (storeProgress(d->hoveredProgress, progress))
        emit hoveredProgressChanged(progress);
}

double KelWidgetStateAnimator::pressedProgress() const
{
    return d->pressedProgress;
}

void KelWidgetStateAnimator::setPressedProgress(double progress)
{
    if (storeProgress(d->pressedProgress, progress))
        emit pressedProgressChanged(progress);
}

double KelWidgetStateAnimator::checkedProgress() const
{
    return d->checkedProgress;
}

void KelWidgetStateAnimator::setCheckedProgress(double progress)
{
    if (storeProgress(d->checkedProgress, progress))
        emit checkedProgressChanged(progress);
}

bool KelWidgetStateAnimator::isHoverActive() const
{
    return qAbs(d->hoveredProgress) > 1e-12;
}

bool KelWidgetStateAnimator::isPressActive() const
{
    return qAbs(d->pressedProgress) > 1e-12;
}

void KelWidgetStateAnimator::setHoveredParams(const KelAnimationParams &params)
{
    d->customHoveredParams = true;
    propertyAnimator()->setupAnimation(this, HoveredProgress, params);
}

void KelWidgetStateAnimator::setCheckedParams(const KelAnimationParams &params)
{
    d->customCheckedParams = true;
    propertyAnimator()->setupAnimation(this, CheckedProgress, params);
}

void KelWidgetStateAnimator::applyStyle()
{
    KelDisabledStateAnimator::applyStyle();
    const KelStyle *style = kelStyle();
    if (!d->customHoveredParams)
        propertyAnimator()->setupAnimation(this, HoveredProgress,
                                           style->animationParams(KelStyle::AN_Hovered));
    propertyAnimator()->setupAnimation(this, PressedProgress,
                                       style->animationParams(KelStyle::AN_Pressed));
    if (!d->customCheckedParams)
        propertyAnimator()->setupAnimation(this, CheckedProgress,
                                           style->animationParams(KelStyle::AN_Checked));
}

bool KelWidgetStateAnimator::eventFilter(QObject *watched, QEvent *event)
{
    QWidget *target = widget();
    if (watchMode() == 2 && watched == target) {
        switch (event->type()) {
        case QEvent::FocusIn:
            setChecked(true, true);
            break;
        case QEvent::FocusOut:
            setChecked(false, true);
            break;
        case QEvent::Enter:
            setHovered(target->isEnabled(), true);
            break;
        case QEvent::Leave:
            setHovered(false, true);
            break;
        default:
            break;
        }
    }
    return KelDisabledStateAnimator::eventFilter(watched, event);
}

namespace KelUtils {

QColor animatedStateColor(const KelStateColors &c, const KelWidgetStateAnimator *a)
{
    if (!a)
        return c.normal;
    const double checked = a->checkedProgress();
    QColor result = interpolateColor(c.normal, c.checked, checked, 1);
    if (a->isHoverActive() || a->isPressActive()) {
        const QColor hoverOverlay = a->isHoverActive()
                ? interpolateColor(c.hovered, c.checkedHovered, checked, 1)
                : QColor(Qt::transparent);
        const QColor pressOverlay = a->isPressActive()
                ? interpolateColor(c.pressed, c.checkedPressed, checked, 1)
                : QColor(Qt::transparent);
        const QColor overlay = interpolateColor(hoverOverlay, pressOverlay, a->pressedProgress(), 1);
        result = interpolateColor(result, blendColors(result, overlay), a->hoveredProgress(), 1);
    }
    if (a->isDisabledActive()) {
        const QColor disabled = a->isChecked() ? c.checkedDisabled : c.disabled;
        if (disabled.isValid() && disabled.alpha() > 0)
            return interpolateColor(result, disabled, a->disabledProgress(), 1);
        // An invalid colour counts as opaque: fade by the disabled opacity.
        const double factor = disabled.alpha() != 0 ? a->disabledOpacity() : 0.0;
        result.setAlphaF(result.alphaF() * factor);
    }
    return result;
}

} // namespace KelUtils

#include "moc_kelwidgetstateanimator.cpp"

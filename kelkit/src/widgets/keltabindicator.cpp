#include "widgets/keltabindicator.h"

#include "animators/keldisabledstateanimator.h"
#include "painting/kelpaintcontext.h"
#include "painting/kelpainting.h"
#include "widgets/kelbutton.h"
#include "widgets/kelexclusivebuttongroup.h"

#include <QEasingCurve>
#include <QEvent>
#include <QPointer>
#include <QVariantAnimation>
#include <QtMath>

namespace {

constexpr int LeadingEdgeMs = 150;
constexpr int TrailingEdgeMs = 400;

void moveEdge(QVariantAnimation *animation, int target, bool animated, int duration)
{
    QVariant from = animation->currentValue();
    animation->stop();
    if (!animated || !from.isValid()) {
        animation->setStartValue(target);
        animation->setEndValue(target);
        return;
    }
    animation->setStartValue(from);
    animation->setEndValue(target);
    animation->setDuration(duration);
    animation->setEasingCurve(QEasingCurve::OutCubic);
    animation->start();
}

} // namespace

class KelTabIndicator::Private
{
public:
    bool fullHeight = false;
    int cornerRadius = 3;
    int halfThickness = 3;
    int centerX = 0;
    QColor color;
    QPointer<KelExclusiveButtonGroup> group;
    QVariantAnimation *leftAnimation = nullptr;
    QVariantAnimation *rightAnimation = nullptr;
    KelDisabledStateAnimator *disabledAnimator = nullptr;
};

KelTabIndicator::KelTabIndicator(QWidget *parent, KelExclusiveButtonGroup *group, bool fullHeight)
    : QWidget(parent), d(std::make_unique<Private>())
{
    d->fullHeight = fullHeight;
    d->group = group;
    setAttribute(Qt::WA_TransparentForMouseEvents);
    d->leftAnimation = new QVariantAnimation(this);
    d->rightAnimation = new QVariantAnimation(this);
    for (QVariantAnimation *animation : {d->leftAnimation, d->rightAnimation})
        connect(animation, &QVariantAnimation::valueChanged, this, [this] { update(); });
    d->disabledAnimator = new KelDisabledStateAnimator(1, this);
    d->disabledAnimator->setWidget(this);

    if (parent)
        parent->installEventFilter(this);
    if (group) {
        for (const QPointer<KelButton> &button : group->buttons()) {
            if (button)
                button->installEventFilter(this);
        }
        group->setTabIndicator(this);
    }
    move(0, 0);
    if (parent)
        resize(parent->size());
    setTabGeometry(false);
}

KelTabIndicator::~KelTabIndicator() = default;

QColor KelTabIndicator::color() const
{
    return d->color;
}

void KelTabIndicator::setColor(const QColor &color)
{
    if (d->color == color)
        return;
    d->color = color;
    update();
}

void KelTabIndicator::setTabGeometry(bool animated)
{
    KelButton *button = d->group ? d->group->checkedButton() : nullptr;
    if (!button)
        return;
    const QRect geometry = button->geometry();
    const int left = geometry.left();
    const int right = left + geometry.width();
    const int center = left + geometry.width() / 2;
    const bool movingRight = d->centerX < center;
    d->centerX = center;

    moveEdge(d->leftAnimation, left, animated, movingRight ? TrailingEdgeMs : LeadingEdgeMs);
    moveEdge(d->rightAnimation, right, animated, movingRight ? LeadingEdgeMs : TrailingEdgeMs);
    update();
}

bool KelTabIndicator::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Resize) {
        if (watched == parent()) {
            move(0, 0);
            resize(parentWidget()->size());
        }
        setTabGeometry(false);
    }
    return QWidget::eventFilter(watched, event);
}

void KelTabIndicator::paintEvent(QPaintEvent *)
{
    const QVariant leftValue = d->leftAnimation->currentValue();
    const QVariant rightValue = d->rightAnimation->currentValue();
    if (!d->color.isValid() || !leftValue.isValid() || !rightValue.isValid())
        return;
    const int a = leftValue.toInt();
    const int b = rightValue.toInt();
    const QRect contents = contentsRect();

    QRectF bar;
    if (d->fullHeight) {
        KelButton *button = d->group ? d->group->checkedButton() : nullptr;
        if (!button)
            return;
        bar = QRectF(qMin(a, b), button->y(), qAbs(b - a), button->height());
    } else {
        // Half of the bar lies below the contents and is clipped away.
        bar = QRectF(qMin(a, b), contents.top() + contents.height() - d->halfThickness, qAbs(b - a),
                     2 * d->halfThickness);
    }

    KelPaintContext context(this);
    const double ratio = context.devicePixelRatio();
    if (!qFuzzyCompare(ratio, qRound(ratio)))
        bar = KelPainting::snapRectToPixels(bar, ratio);
    context.setClipRect(contents);
    context.setPen(Qt::NoPen);
    context.setBrush(d->color);
    context.setOpacity(d->disabledAnimator->disabledOpacity());
    KelPainting::drawRoundedRect(&context, bar, d->cornerRadius);
}

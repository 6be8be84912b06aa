#include "widgets/keltabindicator.h"

#include "animators/keldisabledstateanimator.h"
#include "painting/kelpaintcontext.h"
#include "painting/kelpainting.h"
#include "utils/kelcolorutils.h"
#include "widgets/kelbutton.h"
#include "widgets/kelexclusivebuttongroup.h"

#include <QDebug>
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
    // A button's rect in the frame's coordinates, which are the indicator's.
    QRect buttonRect(const KelButton *button) const;
    void followFrame(KelTabIndicator *q) const;

    Shape shape = Underline;
    int cornerRadius = 3;
    int halfThickness = 3;
    int centerX = 0;
    QColor color;
    QPointer<QWidget> frame;
    QPointer<KelExclusiveButtonGroup> group;
    QVariantAnimation *leftAnimation = nullptr;
    QVariantAnimation *rightAnimation = nullptr;
    KelDisabledStateAnimator *disabledAnimator = nullptr;
};

QRect KelTabIndicator::Private::buttonRect(const KelButton *button) const
{
    if (!frame || button->parentWidget() == frame || !frame->isAncestorOf(button))
        return button->geometry();
    return QRect(button->mapTo(frame, QPoint(0, 0)), button->size());
}

void KelTabIndicator::Private::followFrame(KelTabIndicator *q) const
{
    if (!frame)
        return;
    QWidget *parent = q->parentWidget();
    q->setGeometry(parent == frame ? frame->rect()
                                   : QRect(frame->mapTo(parent, QPoint(0, 0)), frame->size()));
}

KelTabIndicator::KelTabIndicator(QWidget *frame, KelExclusiveButtonGroup *group, QWidget *parent)
    : KelTabIndicator(frame, group, Underline, parent)
{ }

KelTabIndicator::KelTabIndicator(QWidget *frame, KelExclusiveButtonGroup *group, Shape shape,
                                 QWidget *parent)
    : QWidget(frame), d(std::make_unique<Private>())
{
    if (parent && parent != frame) {
        if (frame && parent->isAncestorOf(frame))
            setParent(parent);
        else
            qWarning() << "KelTabIndicator: the parent must hold the frame, using the frame";
    }
    d->shape = shape;
    d->frame = frame;
    d->group = group;
    setAttribute(Qt::WA_TransparentForMouseEvents);
    d->leftAnimation = new QVariantAnimation(this);
    d->rightAnimation = new QVariantAnimation(this);
    for (QVariantAnimation *animation : {d->leftAnimation, d->rightAnimation})
        connect(animation, &QVariantAnimation::valueChanged, this, [this] { update(); });
    d->disabledAnimator = new KelDisabledStateAnimator(1, this);
    d->disabledAnimator->setWidget(this);

    if (frame)
        frame->installEventFilter(this);
    if (group) {
        for (const QPointer<KelButton> &button : group->buttons()) {
            if (button)
                button->installEventFilter(this);
        }
        group->setTabIndicator(this);
    }
    d->followFrame(this);
    setTabGeometry(false);
}

KelTabIndicator::~KelTabIndicator() = default;

KelTabIndicator::Shape KelTabIndicator::shape() const
{
    return d->shape;
}

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
    const QRect geometry = d->buttonRect(button);
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
    const bool frameMoved = event->type() == QEvent::Move && watched == d->frame
            && parentWidget() != d->frame;
    if (event->type() == QEvent::Resize || frameMoved) {
        if (watched == d->frame)
            d->followFrame(this);
        setTabGeometry(false);
    }
    return QWidget::eventFilter(watched, event);
}

void KelTabIndicator::paintEvent(QPaintEvent *)
{
    const QVariant leftValue = d->leftAnimation->currentValue();
    const QVariant rightValue = d->rightAnimation->currentValue();
    if (!KelUtils::isPaintable(d->color) || !leftValue.isValid() || !rightValue.isValid())
        return;
    const int a = leftValue.toInt();
    const int b = rightValue.toInt();
    const QRect contents = contentsRect();

    QRectF bar;
    if (d->shape == FullHeight) {
        KelButton *button = d->group ? d->group->checkedButton() : nullptr;
        if (!button)
            return;
        const QRect rect = d->buttonRect(button);
        bar = QRectF(qMin(a, b), rect.y(), qAbs(b - a), rect.height());
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

#include "moc_keltabindicator.cpp"

#include "widgets/kelbutton.h"

#include "animators/kelwidgetstateanimator.h"
#include "painting/kelicon.h"
#include "painting/kelpaintcontext.h"
#include "painting/kelpainting.h"
#include "styles/kelstyle.h"
#include "widgets/kelexclusivebuttongroup.h"

#include <QApplication>
#include <QCursor>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QTimer>
#include <QToolTip>

class KelButton::Private
{
public:
    explicit Private(KelButton *owner) : owner(owner) { }

    KelWidgetStateAnimator *animator();
    void refreshAnimator(bool animated);
    void refreshAnimator() { refreshAnimator(owner->isVisible()); }
    void setHovered(bool hovered);
    void setPressed(bool pressed);
    void tellGroup(bool checked, bool silent);

    KelButton *owner;
    QSize sizeHint = QSize(-1, -1);
    QSize minimumSizeHint = QSize(-1, -1);
    bool checkable = false;
    bool autoExclusive = false;
    bool clickableWhenChecked = false;
    bool checked = false;
    bool mouseDown = false;
    bool pressed = false;
    bool hovered = false;
    bool keepPressedOnDrag = false;
    bool windowBlocked = false;
    KelWidgetStateAnimator *stateAnimator = nullptr;
    QPointer<KelExclusiveButtonGroup> group;
};

// Made on the first paint, hover or press: most buttons of a long list are
// never shown, and until then the states have nothing to animate.
KelWidgetStateAnimator *KelButton::Private::animator()
{
    if (!stateAnimator) {
        stateAnimator = new KelWidgetStateAnimator(0, owner);
        stateAnimator->setWidget(owner);
        refreshAnimator(false);
    }
    return stateAnimator;
}

void KelButton::Private::refreshAnimator(bool animated)
{
    if (!stateAnimator)
        return;
    const bool enabled = owner->isEnabled();
    bool showHovered = false;
    bool showPressed = false;
    if (!enabled || windowBlocked) {
        showHovered = showPressed = false;
    } else if (keepPressedOnDrag && pressed) {
        showHovered = showPressed = true;
    } else if (hovered) {
        showHovered = true;
        showPressed = pressed;
    }
    stateAnimator->setDisabled(!enabled, animated);
    stateAnimator->setChecked(checked, animated);
    stateAnimator->setHovered(showHovered, animated);
    stateAnimator->setPressed(showPressed, animated);
}

void KelButton::Private::setHovered(bool value)
{
    if (hovered == value)
        return;
    hovered = value;
    if (hovered)
        animator();
    refreshAnimator();
    if (hovered)
        emit owner->hovered();
    else
        emit owner->leaved();
}

void KelButton::Private::tellGroup(bool checked, bool silent)
{
    if (group)
        group->setButtonChecked(owner, checked, silent);
}

void KelButton::Private::setPressed(bool value)
{
    if (pressed == value)
        return;
    pressed = value;
    if (pressed)
        animator();
    refreshAnimator();
}

KelButton::KelButton(int styleId, const QString &iconPath, QWidget *parent, bool noStyle)
    : KelWidget(parent), KelButtonPainter(this), KelStyleable(styleId),
      d(std::make_unique<Private>(this))
{
    setAttribute(Qt::WA_Hover);
    setFocusPolicy(Qt::NoFocus);
    setIcon(iconPath);
    setTextColors(KelStateColors(kelStyle()->color(KelStyle::CL_Text_Dark)));
    setSpacing(kelStyle()->metric(KelStyle::M_Button_Spacing));
    setMinimumSize(0, 0);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    if (!noStyle && hasStyleId())
        applyStyle();
}

KelButton::KelButton(int styleId, QWidget *parent, bool noStyle)
    : KelButton(styleId, QString(), parent, noStyle)
{ }

KelButton::~KelButton() = default;

void KelButton::applyStyle()
{
    if (!hasStyleId())
        return;
    KelIcon *current = icon();
    kelStyle()->applyButtonStyle(this, styleId(), current ? current->path() : QString());
}

bool KelButton::isCheckable() const
{
    return d->checkable;
}

void KelButton::setCheckable(bool checkable)
{
    if (d->checkable == checkable)
        return;
    d->checkable = checkable;
    if (!checkable) {
        d->checked = false;
        d->refreshAnimator();
    }
    update();
}

bool KelButton::isChecked() const
{
    return d->checkable && d->checked;
}

void KelButton::setChecked(bool checked)
{
    if (!d->checkable || d->checked == checked)
        return;
    d->checked = checked;
    d->refreshAnimator();
    update();
    const bool silent = signalsBlocked();
    QTimer::singleShot(0, this, [this, checked, silent] {
        // A receiver may delete the button.
        const QPointer<KelButton> alive(this);
        if (!silent)
            emit toggled(checked);
        if (alive)
            d->tellGroup(checked, silent);
    });
}

void KelButton::setCheckedState(bool checked)
{
    if (!d->checkable || d->checked == checked)
        return;
    d->checked = checked;
    d->refreshAnimator();
    update();
    d->tellGroup(checked, true);
}

bool KelButton::isPressed() const
{
    return d->pressed;
}

bool KelButton::isHovered() const
{
    return d->hovered;
}

bool KelButton::isAutoExclusive() const
{
    return d->autoExclusive;
}

void KelButton::setAutoExclusive(bool autoExclusive)
{
    d->autoExclusive = autoExclusive;
}

bool KelButton::isClickableWhenChecked() const
{
    return d->clickableWhenChecked;
}

void KelButton::setClickableWhenChecked(bool clickable)
{
    d->clickableWhenChecked = clickable;
}

bool KelButton::keepPressedOnDrag() const
{
    return d->keepPressedOnDrag;
}

void KelButton::setKeepPressedOnDrag(bool keep)
{
    d->keepPressedOnDrag = keep;
}

void KelButton::setButtonGroup(KelExclusiveButtonGroup *group)
{
    d->group = group;
}

KelWidgetStateAnimator *KelButton::stateAnimator() const
{
    return d->animator();
}

QSize KelButton::sizeHint() const
{
    if (d->sizeHint == QSize(-1, -1))
        d->sizeHint = KelButtonPainter::sizeHint();
    return d->sizeHint;
}

QSize KelButton::minimumSizeHint() const
{
    if (d->minimumSizeHint == QSize(-1, -1))
        d->minimumSizeHint = KelButtonPainter::minimumSizeHint();
    return d->minimumSizeHint;
}

bool KelButton::hasHeightForWidth() const
{
    return KelButtonPainter::hasHeightForWidth() || QWidget::hasHeightForWidth();
}

int KelButton::heightForWidth(int width) const
{
    if (KelButtonPainter::hasHeightForWidth())
        return KelButtonPainter::heightForWidth(width);
    return QWidget::heightForWidth(width);
}

void KelButton::paint(KelPaintContext &ctx)
{
    QPainter *painter = ctx.painter();
    painter->save();
    painter->setOpacity(opacity());
    KelWidgetStateAnimator *animator = d->animator();
    paintFrame(ctx, animator);
    paintContent(ctx, animator);
    painter->restore();
}

bool KelButton::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        const bool ignoresPress = d->checkable && d->checked && d->autoExclusive
                && !d->clickableWhenChecked;
        if (isEnabled() && !ignoresPress) {
            // Only the left button pressed alone starts a click.
            d->mouseDown = mouse->button() == Qt::LeftButton && mouse->buttons() == Qt::LeftButton;
            // The press says where the pointer is, also when no enter came
            // first: a press handed on after a popup closed, a still pointer.
            if (d->mouseDown && rect().contains(mouse->pos()))
                d->setHovered(true);
            d->setPressed(d->mouseDown);
        } else {
            d->mouseDown = false;
        }
        if (isEnabled() || event->type() == QEvent::MouseButtonDblClick) {
            event->accept();
            return true;
        }
        // A disabled button lets the press reach its parent.
        event->ignore();
        return KelWidget::event(event);
    }
    case QEvent::MouseButtonRelease: {
        d->pressed = false;
        bool clickDue = false;
        bool toggleDue = false;
        // A button kept pressed on drag shows hover wherever the mouse is;
        // only a release over it clicks.
        const bool over = rect().contains(static_cast<QMouseEvent *>(event)->pos());
        if (d->mouseDown && d->hovered && over) {
            if (!d->checkable) {
                clickDue = true;
            } else {
                toggleDue = !(d->checked && d->autoExclusive);
                clickDue = d->clickableWhenChecked;
            }
        }
        d->mouseDown = false;
        // setChecked() posts toggled() first, so it arrives before clicked().
        if (toggleDue)
            setChecked(!d->checked);
        if (clickDue)
            QTimer::singleShot(0, this, [this] { emit clicked(); });
        d->refreshAnimator();
        event->accept();
        return true;
    }
    case QEvent::MouseMove:
        if (isEnabled() && d->mouseDown && !d->keepPressedOnDrag) {
            // Qt keeps the under-mouse flag during the implicit grab of a
            // press, so the position decides.
            d->setHovered(rect().contains(static_cast<QMouseEvent *>(event)->pos()));
            d->setPressed(d->hovered);
            event->accept();
            return true;
        }
        return KelWidget::event(event);
    case QEvent::FocusIn:
    case QEvent::FocusOut:
    case QEvent::EnabledChange:
        d->refreshAnimator();
        return KelWidget::event(event);
    case QEvent::Move:
    case QEvent::Resize:
        d->setHovered(underMouse());
        return KelWidget::event(event);
    case QEvent::Hide:
        if (d->hovered) {
            d->hovered = false;
            d->refreshAnimator();
            emit leaved();
        }
        return KelWidget::event(event);
    case QEvent::ApplicationFontChange:
    case QEvent::FontChange:
        resetTextMetrics();
        return KelWidget::event(event);
    case QEvent::WindowBlocked:
        if (!d->windowBlocked) {
            d->windowBlocked = true;
            // A modal window takes the mouse away; end the press as a release
            // would, so the button is not left pressed.
            if (d->pressed) {
                const QPoint global = QCursor::pos();
                QMouseEvent release(QEvent::MouseButtonRelease, mapFromGlobal(global), global,
                                    Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
                QCoreApplication::sendEvent(this, &release);
            }
            d->refreshAnimator();
        }
        return KelWidget::event(event);
    case QEvent::WindowUnblocked:
        if (d->windowBlocked) {
            d->windowBlocked = false;
            d->refreshAnimator();
        }
        return KelWidget::event(event);
    case QEvent::ToolTip:
        if (isTextElided() && toolTip().isEmpty()) {
            QToolTip::showText(static_cast<QHelpEvent *>(event)->globalPos(), text(), this);
            event->accept();
            return true;
        }
        return KelWidget::event(event);
    default:
        return KelWidget::event(event);
    }
}

void KelButton::paintEvent(QPaintEvent *)
{
    KelPaintContext ctx(this);
    paint(ctx);
    if (KelPainting::dbgPaintKelFrame())
        KelPainting::diagPaintFramePainter(ctx, this);
    if (KelPainting::dbgPaintKelButton())
        KelPainting::diagPaintButtonPainter(ctx, this);
}

void KelButton::resizeEvent(QResizeEvent *event)
{
    setFrameSize(size());
    KelWidget::resizeEvent(event);
}

void KelButton::mousePressEvent(QMouseEvent *event)
{
    event->accept();
}

void KelButton::mouseMoveEvent(QMouseEvent *event)
{
    if (d->pressed)
        event->accept();
}

void KelButton::enterEvent(QEvent *event)
{
    QWidget::enterEvent(event);
    d->setHovered(d->mouseDown || QGuiApplication::mouseButtons() == Qt::NoButton);
}

void KelButton::leaveEvent(QEvent *event)
{
    QWidget::leaveEvent(event);
    d->setHovered(underMouse());
}

void KelButton::onGeometryChanged()
{
    d->sizeHint = QSize(-1, -1);
    d->minimumSizeHint = QSize(-1, -1);
    updateGeometry();
}

#include "moc_kelbutton.cpp"

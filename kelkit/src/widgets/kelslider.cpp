#include "widgets/kelslider.h"

#include "animators/keldisabledstateanimator.h"
#include "animators/kelgeometryanimator.h"
#include "eventfilters/kelfunctionfilter.h"
#include "eventfilters/kelgeometrywatcher.h"
#include "painting/kelgraphicsdropshadoweffect.h"
#include "painting/kelpaintcontext.h"
#include "styles/kelstyle.h"
#include "utils/kelcolorutils.h"
#include "utils/kelgeometryutils.h"
#include "widgets/kelbutton.h"

#include <QApplication>
#include <QCursor>
#include <QDebug>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QSignalBlocker>

namespace {

const char SliderProperty[] = "PROP_POINTER_TO_SLIDER";
const QPoint NoPoint(-1, -1);

// A handle of the slider: a plain button that knows its value and the
// point of it that stands on that value.
class SliderButton : public KelButton
{
public:
    SliderButton(KelSlider *slider, QObject *filter) : KelButton(-1, slider), slider(slider)
    {
        setAttribute(Qt::WA_ShowWithoutActivating);
        setAttribute(Qt::WA_TranslucentBackground);
        setFocusPolicy(Qt::NoFocus);
        setFocusProxy(slider);
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        setKeepPressedOnDrag(true);
        animator = new KelGeometryAnimator(this);
        applyStyle();
        connect(this, &KelWidget::moved, slider, QOverload<>::of(&QWidget::update));
        setProperty(SliderProperty, QVariant::fromValue(QPointer<QWidget>(slider)));
        installEventFilter(filter);
    }

    void applyStyle() override
    {
        KelButton::applyStyle();
        moveDuration = kelStyle()->metric(KelStyle::M_MoveDuration);
    }

    QPoint effectiveHotSpot() const
    {
        return hotSpot == NoPoint ? QPoint(width() / 2, height() / 2) : hotSpot;
    }

    int value = 0;
    QPoint hotSpot = NoPoint;
    int moveDuration = 0;
    KelGeometryAnimator *animator = nullptr;
    // Where the running animation heads.
    QRect animationTarget;
    QPointer<KelSlider> slider;

protected:
    void onTextChanged(const QString &) override { setFixedSize(sizeHint()); }
    void onSecondTextChanged(const QString &) override { setFixedSize(sizeHint()); }
};

bool isLeftButtonOnly(const QMouseEvent *event)
{
    return event->button() == Qt::LeftButton && event->buttons() == Qt::LeftButton;
}

bool isTrimKey(int key)
{
    switch (key) {
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_Right:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        return true;
    default:
        return false;
    }
}

} // namespace

class KelSlider::Private : public QObject
{
public:
    struct Trim
    {
        bool visible = false;
        QPointer<SliderButton> left;
        QPointer<SliderButton> right;
        QColor activeColor;
        QColor grooveColor;
        int minDuration = 1;
    };

    explicit Private(KelSlider *q)
        : QObject(q), q(q),
          handleFilter(
                  new KelFunctionFilter([this](QObject *watched,
                                               QEvent *event) { return handleEvent(watched, event); },
                                        this))
    { }

    SliderButton *handleOf(QObject *object) const;
    bool isTrimHandle(const SliderButton *handle) const;
    bool keepsPositionInTrim() const;
    void ensureTrim();
    int clampFor(const SliderButton *handle, int value) const;
    QPoint hotSpotInSlider(const SliderButton *handle) const;
    void placeHandle(SliderButton *handle, QPoint point, bool animated);
    void layoutPositionHandle(bool animated);
    void layoutTrimHandles(bool animated);
    bool trimAnimationRunning() const;
    void movePositionTo(int value);
    void setTrimValue(SliderButton *handle, int value);
    void setHotSpot(SliderButton *handle, const QPoint &hotSpot);
    void updateHoverMark(const QPoint &point);
    void setHoverMark(int mark);

    void handlePress(SliderButton *handle, QMouseEvent *event);
    void handleDrag(const QPoint &globalPos);
    void handleRelease(SliderButton *handle, QMouseEvent *event);

    bool handleEvent(QObject *watched, QEvent *event);

    KelSlider *q;
    KelFunctionFilter *handleFilter;
    KelDisabledStateAnimator *disabledAnimator = nullptr;
    bool horizontal = true;
    bool animated = true;
    std::unique_ptr<QMouseEvent> pendingPress;
    QRect pendingPressRect;
    int grooveThickness = 2;
    int grooveSecond = 0;
    // Along the groove at both ends, and across it on both sides.
    int grooveMarginAlong = 0;
    int grooveMarginAcross = 0;
    int handleMargin = 0;
    int grooveInsetMode = GrooveFull;
    QColor grooveColor;
    QColor activeColor;
    int hoverMode = 0;
    int hoverMark = -1;
    bool hovered = false;
    QSize handleSize;
    int handleRadius = 0;
    QColor handleColor;
    int clickMode = ClickHoldsDown;
    bool trimEnabled = true;
    SliderButton *positionHandle = nullptr;
    QPointer<SliderButton> dragged;
    QPointer<SliderButton> lastReleased;
    QPoint pressPoint = NoPoint;
    QPoint dragOffset = NoPoint;
    KelGeometryWatcher *watcher = nullptr;
    std::unique_ptr<Trim> trim;
};

SliderButton *KelSlider::Private::handleOf(QObject *object) const
{
    if (!object)
        return nullptr;
    if (object == positionHandle)
        return positionHandle;
    if (trim && (object == trim->left || object == trim->right))
        return static_cast<SliderButton *>(object);
    return nullptr;
}

bool KelSlider::Private::isTrimHandle(const SliderButton *handle) const
{
    return handle && trim && (handle == trim->left || handle == trim->right);
}

bool KelSlider::Private::keepsPositionInTrim() const
{
    return trimEnabled && q->hasTrimHandles();
}

void KelSlider::Private::ensureTrim()
{
    if (trim)
        return;
    trim = std::make_unique<Trim>();
    trim->left = new SliderButton(q, handleFilter);
    trim->left->setObjectName(QStringLiteral("KelLeftTrimHandle"));
    trim->left->hide();
    trim->right = new SliderButton(q, handleFilter);
    trim->right->setObjectName(QStringLiteral("KelRightTrimHandle"));
    trim->right->hide();
    watcher = new KelGeometryWatcher(q, KelGeometryWatcher::WindowGeometry);
    connect(watcher, &KelGeometryWatcher::windowGeometryChanged, this,
            [this] { layoutTrimHandles(trimAnimationRunning()); });
}

int KelSlider::Private::clampFor(const SliderButton *handle, int value) const
{
    const int minimum = q->minimum();
    const int maximum = q->maximum();
    if (handle == positionHandle && keepsPositionInTrim())
        return qMax(trim->left->value, qMin(trim->right->value, value));
    const bool trimHandles = trim && trim->left && trim->right;
    if (trimHandles && handle == trim->left)
        return qMax(minimum, qMin(trim->right->value - trim->minDuration, value));
    if (trimHandles && handle == trim->right) {
        // A trim shorter than the minimum duration at the end of the range
        // would push the right handle past the maximum.
        return qMin(maximum, qMax(trim->left->value + trim->minDuration, qMin(maximum, value)));
    }
    return qMax(minimum, qMin(maximum, value));
}

QPoint KelSlider::Private::hotSpotInSlider(const SliderButton *handle) const
{
    const QPoint hotSpot = handle->effectiveHotSpot();
    if (handle->parentWidget() == q)
        return handle->mapToParent(hotSpot);
    return q->mapFromGlobal(handle->mapToGlobal(hotSpot));
}

void KelSlider::Private::placeHandle(SliderButton *handle, QPoint point, bool animate)
{
    if (!handle)
        return;
    animate = animate && animated && handle->isVisible() && handle != dragged;

    QWidget *parent = handle->parentWidget();
    if (parent && parent != q)
        point = parent->mapFromGlobal(q->mapToGlobal(point));
    QRect target(point - handle->effectiveHotSpot(), handle->size());
    if (parent && parent != q) {
        QRect bound = parent->rect();
        if (auto *shadow = qobject_cast<KelGraphicsDropShadowEffect *>(handle->graphicsEffect())) {
            const int r = qRound(shadow->blurRadius());
            const int dx = qRound(shadow->xOffset());
            const int dy = qRound(shadow->yOffset());
            bound.adjust(r - dx, r - dy, -(r + dx), -(r + dy));
        }
        target = KelUtils::scaledRectInside(target, bound, Qt::KeepAspectRatio);
    }

    if (animate && handle->animator->isRunning() && handle->animationTarget == target)
        return;
    handle->animator->stop();
    if (animate && handle->geometry() != target) {
        handle->animationTarget = target;
        handle->animator->animateGeometry(target, true, handle->moveDuration);
    } else if (handle->pos() != target.topLeft()) {
        handle->move(target.topLeft());
    }
}

void KelSlider::Private::layoutPositionHandle(bool animate)
{
    placeHandle(positionHandle, q->pointFromValue(q->sliderPosition()), animate);
}

void KelSlider::Private::layoutTrimHandles(bool animate)
{
    if (!trim)
        return;
    for (SliderButton *handle : {trim->left.data(), trim->right.data()}) {
        if (handle)
            placeHandle(handle, q->pointFromValue(handle->value), animate);
    }
}

bool KelSlider::Private::trimAnimationRunning() const
{
    return trim
            && ((trim->left && trim->left->animator->isRunning())
                || (trim->right && trim->right->animator->isRunning()));
}

void KelSlider::Private::movePositionTo(int value)
{
    const int position = clampFor(positionHandle, value);
    if (position == q->sliderPosition())
        return;
    q->setSliderPosition(position);
    placeHandle(positionHandle, q->pointFromValue(position), false);
}

// Stores a new value of a trim handle that the user moved and reports it.
void KelSlider::Private::setTrimValue(SliderButton *handle, int value)
{
    handle->value = value;
    placeHandle(handle, q->pointFromValue(value), false);
    if (handle == trim->left) {
        emit q->lowerTrimMoved(value);
        emit q->lowerTrimChanged(value);
    } else {
        emit q->upperTrimMoved(value);
        emit q->upperTrimChanged(value);
    }
}

void KelSlider::Private::setHotSpot(SliderButton *handle, const QPoint &hotSpot)
{
    const QPoint old = handle->effectiveHotSpot();
    const QPoint effective = hotSpot == NoPoint ? QPoint(handle->width() / 2, handle->height() / 2)
                                                : hotSpot;
    if (effective == old)
        return;
    handle->hotSpot = hotSpot;
    if (handle == dragged) {
        // Keep dragging by the new point: the value follows it at once.
        pressPoint += effective - old;
        dragOffset += effective - old;
        const QPoint cursor = QCursor::pos();
        QMouseEvent move(QEvent::MouseMove, handle->mapFromGlobal(cursor), cursor, Qt::LeftButton,
                         Qt::LeftButton, QGuiApplication::keyboardModifiers());
        handleEvent(handle, &move);
    } else {
        layoutTrimHandles(false);
    }
}

void KelSlider::Private::updateHoverMark(const QPoint &point)
{
    int mark = -1;
    if (hoverMode == HoverMark && q->isEnabled() && !positionHandle->isHovered()
        && !positionHandle->isPressed() && q->contentsRect().contains(point)) {
        const QPoint p = q->pointFromValue(q->valueFromPoint(point));
        mark = horizontal ? p.x() : p.y();
    }
    setHoverMark(mark);
}

void KelSlider::Private::setHoverMark(int mark)
{
    if (mark == hoverMark)
        return;
    hoverMark = mark;
    q->update();
}

void KelSlider::Private::handlePress(SliderButton *handle, QMouseEvent *event)
{
    if (!q->isEnabled() || q->minimum() == q->maximum() || !isLeftButtonOnly(event))
        return;
    dragged = handle;
    const QPoint hotSpot = handle->effectiveHotSpot();
    pressPoint = hotSpotInSlider(handle);
    dragOffset = hotSpot - event->pos();
    q->setSliderDown(true);
    if (!isTrimHandle(handle))
        return;
    movePositionTo(handle->value);
    if (handle == trim->left)
        emit q->lowerTrimPressed(handle->value);
    else
        emit q->upperTrimPressed(handle->value);
}

void KelSlider::Private::handleDrag(const QPoint &globalPos)
{
    SliderButton *handle = dragged;
    const QPoint point = q->mapFromGlobal(globalPos) + dragOffset;
    const int value = clampFor(handle, q->valueFromPoint(point));
    if (handle == positionHandle) {
        q->setSliderPosition(value);
        placeHandle(handle, q->pointFromValue(value), false);
        return;
    }
    if (value == handle->value)
        return;
    setTrimValue(handle, value);
    // The picture under the cursor follows the trim handle.
    movePositionTo(value);
}

void KelSlider::Private::handleRelease(SliderButton *handle, QMouseEvent *event)
{
    if (QWidget::mouseGrabber() == handle)
        handle->releaseMouse();
    if (!dragged || event->button() != Qt::LeftButton)
        return;
    SliderButton *released = dragged;
    lastReleased = released;
    dragged = nullptr;
    pressPoint = NoPoint;
    dragOffset = NoPoint;
    q->setSliderDown(false);
    if (!isTrimHandle(released))
        return;
    if (released == trim->left)
        emit q->lowerTrimReleased(released->value);
    else
        emit q->upperTrimReleased(released->value);
}

bool KelSlider::Private::handleEvent(QObject *watched, QEvent *event)
{
    SliderButton *handle = handleOf(watched);
    if (!handle)
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        handlePress(handle, static_cast<QMouseEvent *>(event));
        break;
    case QEvent::MouseMove:
        if (dragged && dragged == handle)
            handleDrag(static_cast<QMouseEvent *>(event)->globalPos());
        break;
    case QEvent::MouseButtonRelease:
        handleRelease(handle, static_cast<QMouseEvent *>(event));
        break;
    default:
        break;
    }
    return false;
}

KelSlider::KelSlider(int styleId, Qt::Orientation orientation, QWidget *parent, bool noStyle)
    : QAbstractSlider(parent), KelStyleable(styleId), d(std::make_unique<Private>(this))
{
    qRegisterMetaType<QPointer<QWidget>>();
    d->disabledAnimator = new KelDisabledStateAnimator(1, d.get());
    d->disabledAnimator->setWidget(this);
    d->positionHandle = new SliderButton(this, d->handleFilter);
    connect(d->positionHandle, &KelWidget::resized, d.get(),
            [this] { d->placeHandle(d->positionHandle, pointFromValue(sliderPosition()), false); });
    setFocusPolicy(Qt::WheelFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_Hover);
    setTracking(true);
    setOrientation(orientation);
    d->horizontal = orientation == Qt::Horizontal;
    if (d->horizontal)
        setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Minimum);
    else
        setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Preferred);
    d->positionHandle->setObjectName(QStringLiteral("KelPosHandle"));
    if (!noStyle && hasStyleId())
        applyStyle();
}

KelSlider::KelSlider(int styleId, Qt::Orientation orientation, QWidget *parent, int options)
    : KelSlider(styleId, orientation, parent, bool(options & NoStyle))
{
    if (options & NoHandleGlide)
        setAnimated(false);
}

KelSlider::KelSlider(Qt::Orientation orientation, QWidget *parent, bool noStyle)
    : KelSlider(KelStyle::WT_Slider_Default, orientation, parent, noStyle)
{ }

KelSlider::~KelSlider()
{
    // Handles moved to an ancestor outlive the slider there, hidden.
    if (d->trim && d->trim->visible) {
        for (SliderButton *handle : {d->trim->left.data(), d->trim->right.data()}) {
            if (handle)
                handle->hide();
        }
    }
    for (SliderButton *handle : {d->positionHandle, d->trim ? d->trim->left.data() : nullptr,
                                 d->trim ? d->trim->right.data() : nullptr}) {
        if (handle)
            disconnect(handle, nullptr, this, nullptr);
    }
}

int KelSlider::valueFromPoint(const QPoint &point) const
{
    const QRect contents = contentsRect();
    int start, end, coordinate;
    if (d->horizontal) {
        const int half = d->positionHandle->width() / 2 + d->handleMargin;
        start = contents.left() + half;
        end = contents.left() + contents.width() - half;
        coordinate = point.x();
    } else {
        const int half = d->positionHandle->height() / 2 + d->handleMargin;
        start = contents.top() + half;
        end = contents.top() + contents.height() - half;
        coordinate = height() - point.y();
    }
    // A slider no wider than its handle has no span to map from.
    if (end <= start)
        return minimum();
    const int value = KelUtils::mapRange(coordinate, {start, end}, {minimum(), maximum()});
    return qBound(minimum(), value, maximum());
}

QPoint KelSlider::pointFromValue(int value) const
{
    const QRect contents = contentsRect();
    value = qBound(minimum(), value, maximum());
    if (d->horizontal) {
        const int half = d->positionHandle->width() / 2 + d->handleMargin;
        const int mapped = KelUtils::mapRange(value, {minimum(), maximum()},
                                              {contents.left() + half,
                                               contents.left() + contents.width() - half});
        return QPoint(mapped, height() / 2);
    }
    const int half = d->positionHandle->height() / 2 + d->handleMargin;
    const int mapped = KelUtils::mapRange(value, {minimum(), maximum()},
                                          {contents.top() + half,
                                           contents.top() + contents.height() - half});
    return QPoint(width() / 2, height() - mapped);
}

KelButton *KelSlider::positionHandle() const
{
    return d->positionHandle;
}

KelButton *KelSlider::leftTrimHandle()
{
    d->ensureTrim();
    return d->trim->left;
}

KelButton *KelSlider::rightTrimHandle()
{
    d->ensureTrim();
    return d->trim->right;
}

bool KelSlider::hasTrimHandles() const
{
    return d->trim && d->trim->left && d->trim->right && d->trim->visible;
}

KelSlider *KelSlider::sliderOfHandle(QWidget *handle)
{
    if (!handle)
        return nullptr;
    const QVariant value = handle->property(SliderProperty);
    if (!value.isValid())
        return nullptr;
    return qobject_cast<KelSlider *>(value.value<QPointer<QWidget>>().data());
}

bool KelSlider::isTrimVisible() const
{
    return d->trim && d->trim->visible;
}

void KelSlider::setTrimVisible(bool visible)
{
    d->ensureTrim();
    if (d->trim->visible == visible)
        return;
    d->trim->visible = visible;
    d->lastReleased = visible ? d->trim->left : nullptr;
    d->trim->left->setVisible(visible);
    d->trim->right->setVisible(visible);
    d->layoutTrimHandles(false);
    update();
}

bool KelSlider::isTrimEnabled() const
{
    return d->trimEnabled;
}

void KelSlider::setTrimEnabled(bool enabled)
{
    d->trimEnabled = enabled;
}

void KelSlider::setTrimRange(int a, int b)
{
    d->ensureTrim();
    // Both ends stay inside the range, so a range given wholly outside it
    // cannot invert the trim.
    const int lower = qBound(minimum(), qMin(a, b), maximum());
    const int upper = qBound(minimum(), qMax(a, b), maximum());
    bool changed = false;
    if (d->trim->left->value != lower) {
        d->trim->left->value = lower;
        emit lowerTrimChanged(lower);
        changed = true;
    }
    if (d->trim->right->value != upper) {
        d->trim->right->value = upper;
        emit upperTrimChanged(upper);
        changed = true;
    }
    if (changed)
        d->layoutTrimHandles(false);
}

QPair<int, int> KelSlider::trimRange()
{
    d->ensureTrim();
    return {d->trim->left->value, d->trim->right->value};
}

int KelSlider::minTrimDuration() const
{
    return d->trim ? d->trim->minDuration : 1;
}

void KelSlider::setMinTrimDuration(int duration)
{
    d->ensureTrim();
    if (d->trim->minDuration == duration)
        return;
    d->trim->minDuration = duration;
    const int length = d->trim->right->value - d->trim->left->value;
    if (length != 0 && length < duration) {
        qWarning() << "Current trim duration (" << length << ") is less than requested ("
                   << duration << ")";
    }
}

void KelSlider::setLeftTrimHotSpot(const QPoint &hotSpot)
{
    d->ensureTrim();
    d->setHotSpot(d->trim->left, hotSpot);
}

void KelSlider::setRightTrimHotSpot(const QPoint &hotSpot)
{
    d->ensureTrim();
    d->setHotSpot(d->trim->right, hotSpot);
}

void KelSlider::setSubcontrolsParent(QWidget *newParent)
{
    if (!d->trim)
        return;
    QWidget *parent = newParent ? newParent : this;
    if (parent != this && !parent->isAncestorOf(this))
        qFatal("KelSlider::setSubcontrolsParent: param 'newParent' must be an ancestor of slider");
    for (SliderButton *handle : {d->trim->left.data(), d->trim->right.data()}) {
        if (!handle)
            continue;
        handle->setParent(parent);
        handle->setVisible(d->trim->visible);
    }
    d->layoutTrimHandles(false);
}

void KelSlider::setValueSilently(int value)
{
    if (value != this->value()) {
        const QSignalBlocker blocker(this);
        setValue(value);
    }
    update();
}

void KelSlider::setGrooveColors(const QColor &groove, const QColor &active)
{
    if (d->grooveColor == groove && d->activeColor == active)
        return;
    d->grooveColor = groove;
    d->activeColor = active;
    update();
}

void KelSlider::setGrooveInsetMode(int mode)
{
    if (d->grooveInsetMode == mode)
        return;
    d->grooveInsetMode = mode;
    update();
}

void KelSlider::setGrooveGeometry(int thickness, int second)
{
    if (d->grooveThickness == thickness && d->grooveSecond == second)
        return;
    d->grooveThickness = thickness;
    d->grooveSecond = second;
    update();
}

void KelSlider::setGrooveHeight(int height)
{
    setGrooveGeometry(height, d->grooveSecond);
}

void KelSlider::setGrooveMargins(int along, int across)
{
    if (d->grooveMarginAlong == along && d->grooveMarginAcross == across)
        return;
    d->grooveMarginAlong = along;
    d->grooveMarginAcross = across;
    update();
}

void KelSlider::setHandleMargin(int margin)
{
    if (d->handleMargin == margin)
        return;
    d->handleMargin = margin;
    d->layoutPositionHandle(false);
    d->layoutTrimHandles(false);
    update();
}

QColor KelSlider::handleColor() const
{
    return d->handleColor;
}

void KelSlider::setHandleColor(const QColor &color)
{
    if (d->handleColor == color)
        return;
    d->handleColor = color;
    if (!color.isValid())
        return;
    // The handle keeps the style's hover and press overlays for its colour.
    const KelStyle *style = kelStyle();
    const QColor hover = style->hoverOverlayColor(color);
    const QColor press = style->pressedOverlayColor(color);
    d->positionHandle->setBackground({color, hover, press, QColor(), color, hover, press, QColor()});
}

QSize KelSlider::handleSize() const
{
    return d->handleSize;
}

void KelSlider::setHandleSize(const QSize &size, int radius)
{
    if (radius < 0)
        radius = size.isValid() ? qMin(size.width(), size.height()) / 2 : 0;
    if (d->handleSize == size && d->handleRadius == radius)
        return;
    d->handleSize = size;
    d->handleRadius = radius;
    if (!size.isValid())
        return;
    SliderButton *handle = d->positionHandle;
    const QSize fixed = d->horizontal ? size : size.transposed();
    if (handle->minimumSize() != fixed || handle->maximumSize() != fixed)
        handle->setFixedSize(fixed);
    handle->setCornerRadii(QMargins(radius, radius, radius, radius));
    updateGeometry();
}

void KelSlider::setTrimColors(const QColor &active, const QColor &groove)
{
    d->ensureTrim();
    if (d->trim->activeColor == active && d->trim->grooveColor == groove)
        return;
    d->trim->activeColor = active;
    d->trim->grooveColor = groove;
    update();
}

bool KelSlider::isAnimated() const
{
    return d->animated;
}

void KelSlider::setAnimated(bool animated)
{
    d->animated = animated;
}

int KelSlider::clickMode() const
{
    return d->clickMode;
}

void KelSlider::setClickMode(int mode)
{
    d->clickMode = mode;
}

void KelSlider::setHoverTracking(int mode)
{
    d->hoverMode = mode;
    if (isVisible())
        d->updateHoverMark(mapFromGlobal(QCursor::pos()));
}

int KelSlider::hoverMark() const
{
    return d->hoverMark;
}

void KelSlider::applyStyle()
{
    if (hasStyleId())
        kelStyle()->applySliderStyle(this, styleId());
}

QSize KelSlider::minimumSizeHint() const
{
    if (d->horizontal)
        return QSize(60, d->positionHandle->height());
    return QSize(d->positionHandle->width(), 60);
}

QSize KelSlider::sizeHint() const
{
    return minimumSizeHint();
}

void KelSlider::paintGroove(KelPaintContext &ctx, const QRect &groove, const QColor &grooveColor,
                            const QRect &active, const QColor &activeColor)
{
    ctx.setRenderHint(QPainter::Antialiasing);
    ctx.setPen(Qt::NoPen);
    const double radius = qMin<double>(d->grooveSecond, qMin(groove.width(), groove.height()) / 2.0);
    if (KelUtils::isPaintable(grooveColor)) {
        ctx.setBrush(grooveColor);
        ctx.drawRoundedRect(QRectF(groove), radius, radius);
    }
    if (KelUtils::isPaintable(activeColor) && !active.isEmpty()) {
        ctx.setBrush(activeColor);
        ctx.drawRoundedRect(QRectF(active), radius, radius);
    }
    if (d->hoverMark >= 0 && KelUtils::isPaintable(activeColor)) {
        const QRect mark = d->horizontal
                ? QRect(d->hoverMark, groove.top() - 1, 1, groove.height() + 2)
                : QRect(groove.left() - 1, d->hoverMark, groove.width() + 2, 1);
        ctx.fillRect(mark, activeColor);
    }
}

void KelSlider::sliderChange(SliderChange change)
{
    switch (change) {
    case SliderRangeChange:
        if (d->trim && d->trim->left && d->trim->right) {
            // Both ends are kept inside the new range, which also keeps
            // their order when the range moves past the trim entirely.
            const int lower = qBound(minimum(), d->trim->left->value, maximum());
            const int upper = qBound(minimum(), d->trim->right->value, maximum());
            if (lower != d->trim->left->value) {
                d->trim->left->value = lower;
                emit lowerTrimChanged(lower);
            }
            if (upper != d->trim->right->value) {
                d->trim->right->value = upper;
                emit upperTrimChanged(upper);
            }
        }
        d->layoutPositionHandle(false);
        d->layoutTrimHandles(false);
        break;
    case SliderOrientationChange:
        d->horizontal = orientation() == Qt::Horizontal;
        d->layoutPositionHandle(false);
        d->layoutTrimHandles(false);
        break;
    case SliderValueChange:
        if (!d->dragged)
            d->layoutPositionHandle(true);
        break;
    default:
        break;
    }
    QAbstractSlider::sliderChange(change);
}

bool KelSlider::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::Enter:
        if (isEnabled() && !d->hovered) {
            d->hovered = true;
            emit hovered();
        }
        break;
    case QEvent::Leave:
        if (d->hovered) {
            d->hovered = false;
            emit leaved();
        }
        break;
    case QEvent::Show:
    case QEvent::Hide:
    case QEvent::ShowToParent:
    case QEvent::HideToParent:
        if (d->positionHandle->parentWidget() != this)
            d->positionHandle->setVisible(isVisible());
        break;
    case QEvent::EnabledChange:
        if (!isEnabled() && d->hovered) {
            d->hovered = false;
            d->setHoverMark(-1);
            emit leaved();
        }
        break;
    case QEvent::HoverEnter:
    case QEvent::HoverMove:
    case QEvent::HoverLeave:
        d->updateHoverMark(static_cast<QHoverEvent *>(event)->pos());
        break;
    default:
        break;
    }
    return QAbstractSlider::event(event);
}

void KelSlider::keyPressEvent(QKeyEvent *event)
{
    event->ignore();
    if (d->dragged)
        return;
    if (!hasTrimHandles() || !isTrimKey(event->key())) {
        QAbstractSlider::keyPressEvent(event);
        return;
    }
    // With the trim shown the arrows move the last released trim handle;
    // the other navigation keys do nothing.
    event->accept();
    SliderButton *handle = d->lastReleased;
    const bool sideways = event->key() == Qt::Key_Left || event->key() == Qt::Key_Right;
    if (!sideways || !d->isTrimHandle(handle))
        return;
    const int step = event->modifiers() & Qt::ShiftModifier ? pageStep() : singleStep();
    const int wanted = handle->value + (event->key() == Qt::Key_Left ? -step : step);
    const int value = d->clampFor(handle, wanted);
    if (value == handle->value)
        return;
    d->setTrimValue(handle, value);
    setValue(value);
    d->layoutPositionHandle(false);
}

void KelSlider::mousePressEvent(QMouseEvent *event)
{
    if (!isEnabled() || minimum() == maximum() || !isLeftButtonOnly(event)) {
        event->ignore();
        return;
    }
    event->accept();
    if (d->positionHandle->isHidden())
        d->positionHandle->show();
    const int value = d->clampFor(d->positionHandle, valueFromPoint(event->pos()));
    if (value != this->value()) {
        if (QApplication::activePopupWidget()) {
            setSliderDown(true);
            setValue(value);
            setSliderDown(false);
        } else {
            if (d->clickMode == ClickHoldsDown)
                setSliderDown(true);
            const bool wasAnimated = d->animated;
            d->animated = false;
            setSliderPosition(value);
            d->animated = wasAnimated;
            if (hasTracking() || d->clickMode == ClickMovesValue)
                triggerAction(QAbstractSlider::SliderMove);
            else
                d->layoutPositionHandle(false);
        }
    }
    // The next moves hand the drag over to the position handle.
    d->pendingPress = std::make_unique<QMouseEvent>(event->type(), event->localPos(),
                                                    event->windowPos(), event->screenPos(),
                                                    event->button(), event->buttons(),
                                                    event->modifiers());
    d->pendingPressRect = KelUtils::globalRect(this);
}

void KelSlider::mouseMoveEvent(QMouseEvent *event)
{
    event->ignore();
    if (!d->pendingPress)
        return;
    const std::unique_ptr<QMouseEvent> pending = std::move(d->pendingPress);
    if (KelUtils::globalRect(this) != d->pendingPressRect)
        return;
    SliderButton *handle = d->positionHandle;
    handle->grabMouse();
    QMouseEvent press(QEvent::MouseButtonPress, handle->mapFromGlobal(pending->globalPos()),
                      pending->globalPos(), pending->button(), pending->buttons(),
                      pending->modifiers());
    QCoreApplication::sendEvent(handle, &press);
    QMouseEvent move(QEvent::MouseMove, handle->mapFromGlobal(event->globalPos()),
                     event->globalPos(), pending->button(), pending->buttons(),
                     pending->modifiers());
    QCoreApplication::sendEvent(handle, &move);
    event->accept();
}

void KelSlider::mouseReleaseEvent(QMouseEvent *)
{
    if (d->clickMode == ClickHoldsDown)
        setSliderDown(false);
    d->pendingPress.reset();
}

void KelSlider::paintEvent(QPaintEvent *)
{
    KelPaintContext ctx(this);
    const QRect contents = d->horizontal
            ? contentsRect().adjusted(d->grooveMarginAlong, d->grooveMarginAcross,
                                      -d->grooveMarginAlong, -d->grooveMarginAcross)
            : contentsRect().adjusted(d->grooveMarginAcross, d->grooveMarginAlong,
                                      -d->grooveMarginAcross, -d->grooveMarginAlong);
    QRect groove;
    if (d->horizontal) {
        const int offset = (contents.height() - d->grooveThickness + 1) / 2;
        groove = QRect(contents.left(), contents.top() + offset, contents.width(),
                       d->grooveThickness);
    } else {
        const int offset = (contents.width() - d->grooveThickness + 1) / 2;
        groove = QRect(contents.left() + offset, contents.top(), d->grooveThickness,
                       contents.height());
    }
    if (d->grooveInsetMode == GrooveInset
        || (d->grooveInsetMode == GrooveInsetWhileTrimmed && hasTrimHandles())) {
        if (d->horizontal) {
            const int inset = d->positionHandle->width() / 2;
            groove.adjust(inset, 0, -inset, 0);
        } else {
            const int inset = d->positionHandle->height() / 2;
            groove.adjust(0, inset, 0, -inset);
        }
    }

    QRect active;
    QColor grooveColor = d->grooveColor;
    QColor activeColor = d->activeColor;
    if (hasTrimHandles()) {
        const QPoint from = d->hotSpotInSlider(d->trim->left);
        const QPoint to = d->hotSpotInSlider(d->trim->right);
        active = d->horizontal
                ? QRect(QPoint(from.x(), groove.top()), QPoint(to.x(), groove.bottom()))
                : QRect(QPoint(groove.left(), to.y()), QPoint(groove.right(), from.y()));
        // Without trim colours of its own the trim takes the groove's.
        if (d->trim->grooveColor.isValid())
            grooveColor = d->trim->grooveColor;
        if (d->trim->activeColor.isValid())
            activeColor = d->trim->activeColor;
    } else if (value() > minimum() || d->hoverMode == HoverActiveAtMinimum) {
        const QPoint to = d->hotSpotInSlider(d->positionHandle);
        active = d->horizontal ? QRect(groove.topLeft(), QPoint(to.x(), groove.bottom()))
                               : QRect(QPoint(groove.left(), to.y()), groove.bottomRight());
    }
    active = active.normalized() & groove;

    ctx.setOpacity(d->disabledAnimator->disabledOpacity());
    paintGroove(ctx, groove, grooveColor, active, activeColor);
}

void KelSlider::resizeEvent(QResizeEvent *event)
{
    QAbstractSlider::resizeEvent(event);
    d->layoutPositionHandle(d->positionHandle->animator->isRunning());
}

#include "moc_kelslider.cpp"

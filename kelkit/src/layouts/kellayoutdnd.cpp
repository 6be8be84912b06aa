#include "layouts/kellayoutdnd.h"

#include "eventfilters/kelfunctionfilter.h"
#include "layouts/kelflowlayout.h"
#include "layouts/layoututils.h"
#include "widgets/kelscrollarea.h"

#include <QApplication>
#include <QBoxLayout>
#include <QDebug>
#include <QDragEnterEvent>
#include <QKeyEvent>
#include <QLayout>
#include <QMimeData>
#include <QPointer>
#include <QSet>
#include <QWidget>

namespace {

enum class DragState { None = 0, LocalDrag = 1, ExternalDrag = 2 };

struct HitTest
{
    QPoint pos;
    bool inVisibleArea = false;
    bool overSpacer = false;
    bool overIndicator = false;
    QWidget *widget = nullptr;
    int index = -1;
    QPoint offset;
};

// Spacing between the layout's items, horizontally and vertically.
QPair<int, int> itemSpacing(QLayout *layout)
{
    if (auto *box = qobject_cast<QBoxLayout *>(layout)) {
        const bool horizontal = box->direction() == QBoxLayout::LeftToRight
                || box->direction() == QBoxLayout::RightToLeft;
        return horizontal ? qMakePair(box->spacing(), 0) : qMakePair(0, box->spacing());
    }
    if (auto *flow = qobject_cast<KelFlowLayout *>(layout))
        return qMakePair(flow->horizontalSpacing(), flow->verticalSpacing());
    return qMakePair(0, 0);
}

} // namespace

class KelLayoutDnd::Private : public QObject
{
public:
    explicit Private(KelLayoutDnd *owner)
        : QObject(owner), owner(owner),
          filter(new KelFunctionFilter([this](QObject *watched,
                                              QEvent *event) { return filterEvent(watched, event); },
                                       this))
    { }

    // The events of the container and its children, seen through filter.
    bool filterEvent(QObject *watched, QEvent *event);

    bool isReady() const { return layout && container && dropIndicator; }
    HitTest hitTest(const QPoint &pos) const;
    bool updateIndicatorPosition();
    void setIndicatorIndex(int index);
    int indicatorIndex() const { return layout ? layout->indexOf(dropIndicator) : -1; }
    void removeIndicatorFromLayout();
    void setDropAllowed(bool allowed);
    void reset();
    void watchChild(QObject *child);

    bool containerEvent(QEvent *event);
    bool childEvent(QWidget *child, QEvent *event);
    void finishLocalMove(QMouseEvent *event);

    KelLayoutDnd *owner;
    KelFunctionFilter *filter;
    QPointer<QLayout> layout;
    QPointer<QWidget> container;
    QSet<QObject *> watchedChildren;
    HitTest currentTarget;
    bool localMoveEnabled = false;
    bool externalDropEnabled = false;
    DragState dragState = DragState::None;
    QPoint pressPos = QPoint(-1, -1);
    bool dragStarted = false;
    QPointer<QWidget> draggedWidget;
    int startIndex = -1;
    bool dropAllowed = false;
    DropFilter externalDropFilter;
    QPointer<QWidget> dropIndicator;
    int lastMoveAnswer = -1;
};

HitTest KelLayoutDnd::Private::hitTest(const QPoint &pos) const
{
    HitTest hit;
    const QRect layoutRect = layout->geometry() - layout->contentsMargins();
    const QRect r(layoutRect.topLeft(), layoutRect.size().expandedTo(QSize(1, 1)));
    QPoint p = pos;
    if (container->rect().contains(pos) && !r.contains(pos)) {
        p.setX(qBound(r.x(), p.x(), r.x() + r.width() - 1));
        p.setY(qBound(r.y(), p.y(), r.y() + r.height() - 1));
    }
    hit.pos = p;
    if (!r.contains(p))
        return hit;
    hit.inVisibleArea = container->visibleRegion().contains(pos);
    if (!hit.inVisibleArea)
        return hit;

    const auto spacing = itemSpacing(layout);
    const int left = spacing.first / 2;
    const int top = spacing.second / 2;
    const QMargins grow(left, top, spacing.first - left, spacing.second - top);
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem *item = layout->itemAt(i);
        if (!(item->geometry() + grow).contains(p))
            continue;
        QWidget *widget = item->widget();
        if (item->spacerItem() && !widget) {
            hit.overSpacer = true;
        } else if (widget && widget == dropIndicator) {
            hit.overIndicator = true;
        } else if (widget) {
            hit.widget = widget;
            hit.index = i;
            hit.offset = p - widget->pos();
        }
        break;
    }
    return hit;
}

bool KelLayoutDnd::Private::updateIndicatorPosition()
{
    bool allowed = false;
    bool moved = false;
    if (!currentTarget.inVisibleArea) {
        qDebug() << "Out of visible area, reject drop";
        setIndicatorIndex(-1);
    } else if (currentTarget.overIndicator) {
        qDebug() << "Over existing dropIndicator, allow drop";
        allowed = true;
    } else if (!currentTarget.widget) {
        if (currentTarget.overSpacer) {
            qWarning() << "Over spacer, NOT IMPLEMENTED! Please don't use spacers inside layout "
                          "for dnd or check following code";
            return dropAllowed;
        }
        qDebug() << "First dropped item";
        setIndicatorIndex(0);
        allowed = moved = true;
    } else {
        qDebug() << "Over another widget, allow drop";
        int newIndex = currentTarget.index;
        if (dropIndicator->height() < currentTarget.widget->height()) {
            const bool dropAfter = currentTarget.offset.y() > currentTarget.widget->height() / 2;
            const int current = indicatorIndex();
            int maxIndex = layout->count();
            if (current == -1) {
                if (dropAfter)
                    ++newIndex;
            } else {
                maxIndex = layout->count() - 1;
                if (dropAfter && newIndex <= current)
                    ++newIndex;
                else if (!dropAfter && current <= newIndex)
                    --newIndex;
            }
            const int bounded = newIndex > maxIndex ? maxIndex : (newIndex < 0 ? -1 : newIndex);
            qDebug() << "  small indicator, currDropIndex" << current << ", dropAfter" << dropAfter
                     << ", newDropIndex" << newIndex << ", maxDropIndex" << maxIndex << "bounded"
                     << bounded;
            newIndex = bounded;
        }
        setIndicatorIndex(newIndex);
        allowed = moved = true;
    }
    if (moved)
        currentTarget = hitTest(currentTarget.pos);
    setDropAllowed(allowed);
    return allowed;
}

void KelLayoutDnd::Private::setIndicatorIndex(int index)
{
    const int current = indicatorIndex();
    qDebug() << " - currDropIndex:" << current << ", newDropIndex:" << index
             << ", dropIsVisible:" << dropIndicator->isVisible();
    if (index >= 0 && index != current) {
        if (current != -1) {
            qDebug() << " - remove drop target from" << current;
            layout->removeWidget(dropIndicator);
        }
        if (dragState == DragState::LocalDrag && draggedWidget && draggedWidget->isVisible()) {
            qDebug() << " - remove dragged widget from" << layout->indexOf(draggedWidget);
            layout->removeWidget(draggedWidget);
            draggedWidget->hide();
        }
        qDebug() << " - insert drop target at" << index;
        LayoutUtils::insertWidget(layout, index, dropIndicator);
        if (dropIndicator->isHidden()) {
            qDebug() << " - show drop target";
            dropIndicator->show();
            emit owner->dropIndicatorVisibilityChanged(true);
        }
        QWidget *viewport = container->parentWidget();
        if (viewport && viewport->objectName() == QLatin1String("qt_scrollarea_viewport")) {
            if (auto *area = qobject_cast<KelScrollArea *>(viewport->parentWidget()))
                area->refreshGeometry();
        }
        layout->activate();
        emit owner->dropIndicatorGeometryChanged(dropIndicator->geometry());
    } else if (index < 0) {
        if (dragState == DragState::LocalDrag && draggedWidget) {
            qDebug() << " - insert dragged widget back into layout at initial pos:" << startIndex
                     << ", curr index:" << layout->indexOf(draggedWidget);
            if (layout->indexOf(draggedWidget) == -1)
                LayoutUtils::insertWidget(layout, startIndex, draggedWidget);
            draggedWidget->show();
        }
        if (dropIndicator->isVisible()) {
            qDebug() << " - hide drop target";
            dropIndicator->hide();
            emit owner->dropIndicatorVisibilityChanged(false);
        }
        removeIndicatorFromLayout();
    }
}

void KelLayoutDnd::Private::removeIndicatorFromLayout()
{
    const int current = indicatorIndex();
    if (current == -1)
        return;
    qDebug() << " - remove drop target from layout, curr index:" << current;
    layout->removeWidget(dropIndicator);
}

void KelLayoutDnd::Private::setDropAllowed(bool allowed)
{
    if (allowed == dropAllowed)
        return;
    dropAllowed = allowed;
    emit owner->dropAllowedChanged(allowed);
}

void KelLayoutDnd::Private::reset()
{
    if (isReady())
        setIndicatorIndex(-1);
    if (dragState == DragState::LocalDrag)
        draggedWidget = nullptr;
    if (container && QWidget::mouseGrabber() == container)
        container->releaseMouse();
    if (container && QWidget::keyboardGrabber() == container)
        container->releaseKeyboard();
    pressPos = QPoint(-1, -1);
    dragState = DragState::None;
    setDropAllowed(false);
    if (dragStarted) {
        dragStarted = false;
        emit owner->dragStopped();
    }
}

void KelLayoutDnd::Private::watchChild(QObject *child)
{
    if (!child->isWidgetType() || watchedChildren.contains(child))
        return;
    watchedChildren.insert(child);
    child->installEventFilter(filter);
}

bool KelLayoutDnd::Private::filterEvent(QObject *watched, QEvent *event)
{
    if (!isReady())
        return false;
    if (watched == container)
        return containerEvent(event);
    if (watchedChildren.contains(watched))
        return childEvent(static_cast<QWidget *>(watched), event);
    return false;
}

bool KelLayoutDnd::Private::childEvent(QWidget *child, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto *e = static_cast<QMouseEvent *>(event);
        if (localMoveEnabled && e->button() == Qt::LeftButton && e->buttons() == Qt::LeftButton
            && child->isEnabled() && dragState == DragState::None)
            pressPos = e->pos() + child->pos();
        return false;
    }
    case QEvent::MouseMove: {
        auto *e = static_cast<QMouseEvent *>(event);
        if (!localMoveEnabled || !(e->buttons() & Qt::LeftButton) || pressPos == QPoint(-1, -1)
            || dragState != DragState::None)
            return false;
        if ((e->pos() - pressPos + child->pos()).manhattanLength()
            < QApplication::startDragDistance())
            return false;
        const HitTest hit = hitTest(pressPos);
        if (!hit.widget) {
            pressPos = QPoint(-1, -1);
            return false;
        }
        dragState = DragState::LocalDrag;
        draggedWidget = hit.widget;
        dropIndicator->setFixedSize(hit.widget->size());
        startIndex = layout->indexOf(hit.widget);
        e->accept();
        container->grabMouse();
        return true;
    }
    case QEvent::MouseButtonRelease:
        if (static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
            pressPos = QPoint(-1, -1);
        return false;
    case QEvent::MouseButtonDblClick:
        reset();
        return false;
    case QEvent::KeyPress:
        if (dragStarted && static_cast<QKeyEvent *>(event)->matches(QKeySequence::Cancel)) {
            event->accept();
            reset();
            return true;
        }
        return false;
    case QEvent::FocusOut:
        if (child == draggedWidget) {
            qDebug() << "Dragged widget focus lost, reset current drag";
            reset();
        }
        return false;
    default:
        return false;
    }
}

void KelLayoutDnd::Private::finishLocalMove(QMouseEvent *event)
{
    event->ignore();
    container->releaseMouse();
    pressPos = QPoint(-1, -1);
    if (dragState != DragState::LocalDrag || !draggedWidget)
        return;
    QWidget *updatesOwner = container->parentWidget() ? container->parentWidget()
                                                      : container.data();
    updatesOwner->setUpdatesEnabled(false);
    QPointer<QWidget> widget = draggedWidget;
    const int dropIndex = indicatorIndex();
    const int from = startIndex;
    reset();
    event->accept();
    if (widget && dropIndex != -1 && from != -1 && dropIndex != from) {
        layout->removeWidget(widget);
        LayoutUtils::insertWidget(layout, dropIndex, widget);
        emit owner->widgetMoved(widget, from, dropIndex);
    }
    updatesOwner->setUpdatesEnabled(true);
}

bool KelLayoutDnd::Private::containerEvent(QEvent *event)
{
    switch (event->type()) {
    case QEvent::ChildAdded:
        watchChild(static_cast<QChildEvent *>(event)->child());
        return false;
    case QEvent::ChildRemoved: {
        QObject *child = static_cast<QChildEvent *>(event)->child();
        if (watchedChildren.remove(child))
            child->removeEventFilter(filter);
        return false;
    }
    case QEvent::MouseMove: {
        auto *e = static_cast<QMouseEvent *>(event);
        if (QWidget::mouseGrabber() != container || dragState != DragState::LocalDrag
            || !draggedWidget)
            return false;
        currentTarget = hitTest(e->pos());
        if (!dragStarted) {
            if ((e->pos() - pressPos).manhattanLength() >= QApplication::startDragDistance()) {
                dragStarted = true;
                updateIndicatorPosition();
                emit owner->dragStarted(draggedWidget, draggedWidget->mapFrom(container, pressPos));
            }
        } else {
            updateIndicatorPosition();
        }
        e->accept();
        return true;
    }
    case QEvent::MouseButtonRelease: {
        auto *e = static_cast<QMouseEvent *>(event);
        if (e->button() != Qt::LeftButton || QWidget::mouseGrabber() != container)
            return false;
        finishLocalMove(e);
        return e->isAccepted();
    }
    case QEvent::MouseButtonDblClick:
        reset();
        return false;
    case QEvent::KeyPress:
        if (dragStarted && static_cast<QKeyEvent *>(event)->matches(QKeySequence::Cancel)) {
            event->accept();
            reset();
            return true;
        }
        return false;
    case QEvent::WindowBlocked:
        reset();
        return false;
    case QEvent::DragEnter: {
        auto *e = static_cast<QDragEnterEvent *>(event);
        const bool allowed = externalDropEnabled
                && (!externalDropFilter || externalDropFilter(e->mimeData()));
        if (allowed) {
            dragState = DragState::ExternalDrag;
            dropIndicator->setFixedSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
            e->setDropAction(Qt::CopyAction);
            qDebug() << "Enter: Allow drop";
        } else {
            qDebug() << "Enter: Reject drop";
        }
        e->setAccepted(allowed);
        lastMoveAnswer = -1;
        return true;
    }
    case QEvent::DragMove: {
        auto *e = static_cast<QDragMoveEvent *>(event);
        bool allowed = false;
        if (dragState == DragState::ExternalDrag) {
            currentTarget = hitTest(e->pos());
            allowed = updateIndicatorPosition();
        }
        if (lastMoveAnswer != int(allowed)) {
            lastMoveAnswer = int(allowed);
            qDebug() << (allowed ? "Move: Allow drop" : "Move: Reject drop");
        }
        e->setAccepted(allowed);
        return true;
    }
    case QEvent::DragLeave:
        if (dragState == DragState::ExternalDrag) {
            qDebug() << "Leave";
            reset();
        }
        return false;
    case QEvent::Drop: {
        auto *e = static_cast<QDropEvent *>(event);
        const int dropIndex = indicatorIndex();
        reset();
        qDebug() << "Current drop target index:" << dropIndex;
        if (dropIndex == -1) {
            e->ignore();
            return true;
        }
        e->setDropAction(e->proposedAction());
        e->accept();
        qDebug() << "Notify dropped";
        emit owner->dropped(e->mimeData(), e->proposedAction(), dropIndex);
        return true;
    }
    default:
        return false;
    }
}

KelLayoutDnd::KelLayoutDnd(QObject *parent)
    : QObject(parent), d(std::make_unique<Private>(this)) { }

KelLayoutDnd::~KelLayoutDnd() = default;

void KelLayoutDnd::setLayout(QLayout *layout)
{
    if (layout == d->layout)
        return;
    d->reset();
    if (d->container)
        d->container->removeEventFilter(d->filter);
    for (QObject *child : qAsConst(d->watchedChildren))
        child->removeEventFilter(d->filter);
    d->watchedChildren.clear();

    d->layout = layout;
    d->container = layout ? layout->parentWidget() : nullptr;
    if (!d->container) {
        if (d->dropIndicator)
            d->dropIndicator->setParent(nullptr);
        return;
    }
    d->container->installEventFilter(d->filter);
    d->container->setAcceptDrops(d->localMoveEnabled || d->externalDropEnabled);
    const auto children = d->container->findChildren<QWidget *>(QString(),
                                                                Qt::FindDirectChildrenOnly);
    for (QWidget *child : children)
        d->watchChild(child);
    if (d->dropIndicator) {
        d->dropIndicator->setParent(d->container);
        d->dropIndicator->hide();
    }
}

QLayout *KelLayoutDnd::layout() const
{
    return d->layout;
}

bool KelLayoutDnd::isLocalMoveEnabled() const
{
    return d->localMoveEnabled;
}

void KelLayoutDnd::setLocalMoveEnabled(bool enabled)
{
    if (enabled != d->localMoveEnabled) {
        d->localMoveEnabled = enabled;
        emit localMoveEnabledChanged(enabled);
    }
    if (d->container)
        d->container->setAcceptDrops(d->localMoveEnabled || d->externalDropEnabled);
}

bool KelLayoutDnd::isExternalDropEnabled() const
{
    return d->externalDropEnabled;
}

void KelLayoutDnd::setExternalDropEnabled(bool enabled)
{
    if (enabled != d->externalDropEnabled) {
        d->externalDropEnabled = enabled;
        emit externalDropEnabledChanged(enabled);
    }
    if (d->container)
        d->container->setAcceptDrops(d->localMoveEnabled || d->externalDropEnabled);
}

void KelLayoutDnd::setExternalDropFilter(const DropFilter &filter)
{
    d->externalDropFilter = filter;
}

void KelLayoutDnd::setDropIndicator(QWidget *indicator)
{
    d->dropIndicator = indicator;
    if (!indicator)
        return;
    indicator->hide();
    if (d->container)
        indicator->setParent(d->container);
}

QWidget *KelLayoutDnd::dropIndicator() const
{
    return d->dropIndicator;
}

bool KelLayoutDnd::isDropAllowed() const
{
    return d->dropAllowed;
}

#include "moc_kellayoutdnd.cpp"

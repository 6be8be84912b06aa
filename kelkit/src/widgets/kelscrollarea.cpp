#include "widgets/kelscrollarea.h"

#include "eventfilters/kelfunctionfilter.h"
#include "styles/kelstyle.h"
#include "utils/kelcolorutils.h"
#include "widgets/kelabstractscrollareashadows.h"
#include "widgets/kelqmenustyler.h"
#include "widgets/kelscrollareawatcher.h"
#include "widgets/kelwheelanimator.h"

#include <QDebug>
#include <QEvent>
#include <QPointer>
#include <QResizeEvent>
#include <QScrollBar>
#include <QScroller>

namespace {

constexpr int DefaultStyleId = KelStyle::WT_ScrollArea;
constexpr int ScrollBarMenuStyleId = KelStyle::WT_Menu;
constexpr int AutoSizeMinimumHeight = 32;

} // namespace

class KelScrollArea::Private : public QObject
{
public:
    explicit Private(KelScrollArea *q)
        : QObject(q), q(q), autoSizeFilter(new KelFunctionFilter(
                                    [this](QObject *watched, QEvent *event) {
                                        followAutoSize(watched, event);
                                        return false;
                                    },
                                    this))
    { }

    // Auto size follows the content widget's resizing.
    void followAutoSize(QObject *watched, QEvent *event)
    {
        if (autoSizeEnabled && watched == q->widget() && event->type() == QEvent::Resize)
            q->updateGeometry();
    }

    void updateVisibleWidgetRect()
    {
        const QRect rect = q->isHidden()
                ? QRect()
                : QRect(q->horizontalScrollBar()->value(), q->verticalScrollBar()->value(),
                        q->viewport()->width(), q->viewport()->height());
        if (rect == lastVisibleWidgetRect)
            return;
        lastVisibleWidgetRect = rect;
        emit q->visibleWidgetRectChanged(rect);
    }

    KelScrollArea *q;
    KelFunctionFilter *autoSizeFilter;
    bool autoSizeEnabled = false;
    QPointer<QWidget> autoSizeWidget;
    KelScrollAreaWatcher *watcher = nullptr;
    KelAbstractScrollAreaShadows *shadows = nullptr;
    KelWheelAnimator *wheelAnimator = nullptr;
    QMargins scrollToMargins;
    QRect lastVisibleWidgetRect;
};

KelScrollArea::KelScrollArea(int styleId, QWidget *parent, bool noStyle)
    : QScrollArea(parent), KelStyleable(styleId), d(std::make_unique<Private>(this))
{
    setFrameStyle(0);
    setFocusPolicy(Qt::NoFocus);
    setWidgetResizable(true);
    d->watcher = new KelScrollAreaWatcher(this);
    d->shadows = new KelAbstractScrollAreaShadows(this, this);
    d->wheelAnimator = new KelWheelAnimator(this);
    new KelQMenuStyler(horizontalScrollBar(), ScrollBarMenuStyleId);
    new KelQMenuStyler(verticalScrollBar(), ScrollBarMenuStyleId);
    KelUtils::setBackgroundColor(this, Qt::transparent);
    setAutoFillBackground(false);
    viewport()->setAutoFillBackground(false);
    if (!noStyle && hasStyleId())
        applyStyle();
    setObjectName(QStringLiteral("KelScrollArea"));
}

KelScrollArea::KelScrollArea(QWidget *parent, bool noStyle)
    : KelScrollArea(DefaultStyleId, parent, noStyle)
{ }

KelScrollArea::~KelScrollArea()
{
    // Their filters must not see the area's last events, when it is a
    // scroll area no longer.
    delete d->watcher;
    delete d->shadows;
}

void KelScrollArea::applyStyle()
{
    if (hasStyleId())
        kelStyle()->applyScrollAreaStyle(this, styleId());
}

bool KelScrollArea::isAutoSizeEnabled() const
{
    return d->autoSizeEnabled;
}

void KelScrollArea::setAutoSizeEnabled(bool enabled)
{
    if (d->autoSizeEnabled == enabled)
        return;
    d->autoSizeEnabled = enabled;
    // A filter of its own, not the area: QScrollArea needs its own filter
    // on the content widget to follow its size.
    if (d->autoSizeWidget)
        d->autoSizeWidget->removeEventFilter(d->autoSizeFilter);
    d->autoSizeWidget = enabled ? widget() : nullptr;
    if (d->autoSizeWidget)
        d->autoSizeWidget->installEventFilter(d->autoSizeFilter);
    updateGeometry();
    emit autoSizeEnabledChanged(enabled);
}

void KelScrollArea::setScrollToMargins(const QMargins &margins)
{
    d->scrollToMargins = margins;
}

QMargins KelScrollArea::scrollToMargins() const
{
    return d->scrollToMargins;
}

KelAbstractScrollAreaShadows *KelScrollArea::shadows() const
{
    return d->shadows;
}

KelWheelAnimator *KelScrollArea::wheelAnimator() const
{
    return d->wheelAnimator;
}

QRect KelScrollArea::visibleWidgetRect() const
{
    return d->lastVisibleWidgetRect;
}

void KelScrollArea::scrollTo(QWidget *w, bool animated)
{
    if (!w)
        return;
    QWidget *content = widget();
    if (!content || !content->isAncestorOf(w)) {
        qWarning() << "Trying to scroll to" << w << "which is not ancestor of scroll area" << this;
        return;
    }
    scrollToRect(QRect(w->mapTo(content, QPoint(0, 0)), w->size()), animated);
}

void KelScrollArea::scrollToRect(const QRect &rect, bool animated)
{
    int h = horizontalScrollBar()->value();
    int v = verticalScrollBar()->value();
    const QRect r = rect.translated(-h, -v) + d->scrollToMargins;
    const QRect vr = viewport()->rect();
    if (vr.contains(r))
        return;

    if (r.top() < vr.top())
        v += r.top();
    else if (r.bottom() > vr.bottom())
        v += qMin(r.top(), r.bottom() - vr.height() + 1);

    // As vertically: the last column must come into view too.
    if (r.left() < vr.left())
        h += r.left();
    else if (r.right() > vr.right() && r.left() > vr.left())
        h += qMin(r.left(), r.right() - vr.width() + 1);

    if (animated) {
        QScroller::scroller(viewport())->scrollTo(QPointF(h, v));
    } else {
        horizontalScrollBar()->setValue(h);
        verticalScrollBar()->setValue(v);
    }
}

void KelScrollArea::refreshGeometry()
{
    QResizeEvent event(size(), size());
    resizeEvent(&event);
}

QSize KelScrollArea::sizeHint() const
{
    if (d->autoSizeEnabled && widget())
        return widget()->sizeHint();
    return QScrollArea::sizeHint();
}

QSize KelScrollArea::minimumSizeHint() const
{
    if (d->autoSizeEnabled && widget()) {
        const QSize hint = widget()->sizeHint();
        return QSize(hint.width(), qMin(hint.height(), AutoSizeMinimumHeight));
    }
    return QScrollArea::minimumSizeHint();
}

void KelScrollArea::showEvent(QShowEvent *event)
{
    QScrollArea::showEvent(event);
    emit visibilityChanged(true);
    emit showed();
    d->updateVisibleWidgetRect();
}

void KelScrollArea::hideEvent(QHideEvent *event)
{
    QScrollArea::hideEvent(event);
    emit visibilityChanged(false);
    emit hided();
    d->updateVisibleWidgetRect();
}

void KelScrollArea::moveEvent(QMoveEvent *event)
{
    QScrollArea::moveEvent(event);
    emit moved(pos());
    emit geometryChanged(geometry());
}

void KelScrollArea::resizeEvent(QResizeEvent *event)
{
    QScrollArea::resizeEvent(event);
    emit resized(size());
    emit geometryChanged(geometry());
    d->updateVisibleWidgetRect();
}

void KelScrollArea::scrollContentsBy(int dx, int dy)
{
    QScrollArea::scrollContentsBy(dx, dy);
    d->updateVisibleWidgetRect();
}

#include "moc_kelscrollarea.cpp"

#include "widgets/kelanimatedscrollbar.h"

#include "animators/kelwidgetstateanimator.h"
#include "eventfilters/kelgeometrywatcher.h"
#include "widgets/scrollbarproxystyle.h"

#include <QAbstractItemView>
#include <QDebug>
#include <QMouseEvent>
#include <QPointer>
#include <QScrollArea>
#include <QTimer>

namespace {

constexpr int WideningDelayMs = 100;
constexpr int NarrowingDelayMs = 500;

} // namespace

class KelAnimatedScrollBar::Private
{
public:
    explicit Private(KelAnimatedScrollBar *q) : q(q) { }

    void followContainer()
    {
        if (!container)
            return;
        QRect rect = container->rect();
        const QSize hint = q->sizeHint();
        if (q->orientation() == Qt::Vertical)
            rect.setLeft(rect.left() + rect.width() - hint.width());
        else
            rect.setTop(rect.top() + rect.height() - hint.height());
        q->setGeometry(rect);
    }

    void reserveRoom(bool available)
    {
        if (auto *area = qobject_cast<QScrollArea *>(container.data())) {
            QWidget *content = area->widget();
            if (!content)
                return;
            QMargins margins = content->contentsMargins();
            const int room = available ? proxy->extent() : 0;
            if (q->orientation() == Qt::Vertical)
                margins.setRight(room);
            else
                margins.setBottom(room);
            content->setContentsMargins(margins);
        } else if (qobject_cast<QAbstractItemView *>(container.data())) {
            qWarning() << "Side-by-side scroll bars are not implemented for QAbstractItemView "
                          "instances. Set margins manually using itemView->setViewportMargins()";
        }
    }

    void runTimers()
    {
        if (pressed)
            return;
        if (hovered) {
            narrowingTimer->stop();
            wideningTimer->start();
        } else {
            wideningTimer->stop();
            narrowingTimer->start();
        }
    }

    KelAnimatedScrollBar *q;
    int placement = Overlay;
    QPointer<QWidget> container;
    ScrollBarProxyStyle *proxy = nullptr;
    QPointer<KelGeometryWatcher> watcher;
    QTimer *wideningTimer = nullptr;
    QTimer *narrowingTimer = nullptr;
    bool hovered = false;
    bool pressed = false;
};

void KelAnimatedScrollBar::installOn(int styleId, QAbstractScrollArea *area, bool sideBySide)
{
    if (!area || area->findChild<KelScrollBar *>(QString(), Qt::FindDirectChildrenOnly))
        return;
    const int placement = sideBySide ? SideBySide : Overlay;
    if (area->verticalScrollBarPolicy() != Qt::ScrollBarAlwaysOff)
        new KelAnimatedScrollBar(styleId, area, placement, Qt::Vertical, area);
    if (area->horizontalScrollBarPolicy() != Qt::ScrollBarAlwaysOff)
        new KelAnimatedScrollBar(styleId, area, placement, Qt::Horizontal, area);
}

KelAnimatedScrollBar::KelAnimatedScrollBar(int styleId, QWidget *container, int placement,
                                           Qt::Orientation orientation, QAbstractScrollArea *area,
                                           bool noStyle)
    : KelScrollBar(styleId, orientation, area, AlwaysShown, true, container),
      d(std::make_unique<Private>(this))
{
    d->placement = placement;
    d->container = container;
    d->proxy = new ScrollBarProxyStyle(this);
    setStyle(d->proxy);
    setAttribute(Qt::WA_Hover);

    d->wideningTimer = new QTimer(this);
    d->wideningTimer->setSingleShot(true);
    d->wideningTimer->setInterval(WideningDelayMs);
    connect(d->wideningTimer, &QTimer::timeout, this,
            [this] { d->proxy->expansionAnimator()->setHovered(true, true); });
    d->narrowingTimer = new QTimer(this);
    d->narrowingTimer->setSingleShot(true);
    d->narrowingTimer->setInterval(NarrowingDelayMs);
    connect(d->narrowingTimer, &QTimer::timeout, this,
            [this] { d->proxy->expansionAnimator()->setHovered(false, true); });

    if (container) {
        d->watcher = new KelGeometryWatcher(container, KelGeometryWatcher::WindowGeometry);
        connect(d->watcher, &KelGeometryWatcher::windowGeometryChanged, this,
                [this] { d->followContainer(); });
        d->followContainer();
    }

    setEnabled(isScrollAvailable());
    connect(this, &KelScrollBar::scrollAvailableChanged, this, &QWidget::setEnabled);
    if (placement == SideBySide) {
        d->reserveRoom(isScrollAvailable());
        connect(this, &KelScrollBar::scrollAvailableChanged, this,
                [this](bool available) { d->reserveRoom(available); });
    }
    setContextMenuPolicy(Qt::NoContextMenu);

    if (!noStyle && hasStyleId())
        applyStyle();
}

KelAnimatedScrollBar::~KelAnimatedScrollBar()
{
    delete d->watcher;
}

int KelAnimatedScrollBar::placement() const
{
    return d->placement;
}

ScrollBarProxyStyle *KelAnimatedScrollBar::proxyStyle() const
{
    return d->proxy;
}

void KelAnimatedScrollBar::setGrooveColor(const QColor &color)
{
    d->proxy->setGrooveColor(color);
}

void KelAnimatedScrollBar::setHandleColors(const KelStateColors &colors)
{
    d->proxy->setHandleColors(colors);
}

bool KelAnimatedScrollBar::event(QEvent *event)
{
    if (event->type() == QEvent::HoverEnter || event->type() == QEvent::HoverLeave) {
        d->hovered = event->type() == QEvent::HoverEnter;
        d->runTimers();
    }
    return KelScrollBar::event(event);
}

void KelAnimatedScrollBar::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && event->buttons() == Qt::LeftButton)
        d->pressed = true;
    KelScrollBar::mousePressEvent(event);
}

void KelAnimatedScrollBar::mouseReleaseEvent(QMouseEvent *event)
{
    KelScrollBar::mouseReleaseEvent(event);
    if (event->buttons() == Qt::NoButton && d->pressed) {
        d->pressed = false;
        if (!d->hovered)
            d->runTimers();
    }
}

void KelAnimatedScrollBar::changeEvent(QEvent *event)
{
    KelScrollBar::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) {
        setVisible(isEnabled());
        d->proxy->expansionAnimator()->setDisabled(!isEnabled(), isVisible());
    }
}

#include "moc_kelanimatedscrollbar.cpp"

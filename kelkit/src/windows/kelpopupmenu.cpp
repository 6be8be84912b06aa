#include "windows/kelpopupmenu.h"

#include "eventfilters/kelchildwatcher.h"
#include "kelui.h"
#include "styles/kelstyle.h"
#include "utils/kellayoututils.h"
#include "widgets/kelbutton.h"
#include "widgets/kelscrollarea.h"
#include "widgets/kelwheelanimator.h"
#include "widgets/kelwidget.h"
#include "windows/kelpopupmenubutton.h"

#include <QApplication>
#include <QBoxLayout>
#include <QHash>
#include <QListView>
#include <QPointer>
#include <QTimer>
#include <QVector>

namespace {

constexpr int HoverDelayMetric = KelStyle::M_PopupMenu_HoverDelay;
constexpr int ScrollMargin = 50;

} // namespace

class KelPopupMenu::Private
{
public:
    void itemAdded(QWidget *item);
    void itemRemoved(QWidget *item);
    void forgetItem(QObject *item);
    void hoverStep();
    void runPendingScroll();

    KelPopupMenu *owner = nullptr;
    Qt::Orientation orientation = Qt::Vertical;
    KelChildWatcher *childWatcher = nullptr;
    QList<QPointer<KelPopupMenuButton>> submenuButtons;
    QPointer<QWidget> hovered;
    QTimer hoverTimer;
    bool closeOnClick = true;
    // Owned by the content widget once setupContent() made it.
    QPointer<QBoxLayout> itemLayout;
    KelScrollArea *scrollArea = nullptr;
    KelWidget *contentWidget = nullptr;
    QPointer<QWidget> pendingVisible;
    // What itemAdded() connected, undone when the item leaves.
    QHash<QObject *, QVector<QMetaObject::Connection>> itemConnections;
};

void KelPopupMenu::Private::itemAdded(QWidget *item)
{
    if (itemConnections.contains(item))
        return;
    QVector<QMetaObject::Connection> connections;
    auto closeOnItemClick = [this] {
        if (closeOnClick)
            KelPopup::closeActivePopups();
    };
    if (auto *menuButton = qobject_cast<KelPopupMenuButton *>(item)) {
        submenuButtons.append(menuButton);
    } else if (auto *button = qobject_cast<KelButton *>(item)) {
        connections << QObject::connect(button, &KelButton::clicked, owner, closeOnItemClick);
        connections << QObject::connect(button, &KelButton::toggled, owner,
                                        [closeOnItemClick](bool checked) {
                                            if (checked)
                                                closeOnItemClick();
                                        });
    } else if (auto *list = qobject_cast<QListView *>(item)) {
        connections << QObject::connect(list, &QListView::clicked, owner, closeOnItemClick);
    }
    // The watcher says nothing of items deleted while in the menu.
    connections << QObject::connect(item, &QObject::destroyed, owner,
                                    [this](QObject *gone) { forgetItem(gone); });
    itemConnections.insert(item, connections);
}

void KelPopupMenu::Private::itemRemoved(QWidget *item)
{
    const QVector<QMetaObject::Connection> connections = itemConnections.take(item);
    for (const QMetaObject::Connection &connection : connections)
        QObject::disconnect(connection);
    forgetItem(item);
}

void KelPopupMenu::Private::forgetItem(QObject *item)
{
    itemConnections.remove(item);
    for (int i = submenuButtons.size() - 1; i >= 0; --i) {
        if (!submenuButtons.at(i) || submenuButtons.at(i) == item)
            submenuButtons.removeAt(i);
    }
}

void KelPopupMenu::Private::hoverStep()
{
    QWidget *item = hovered;
    hovered = nullptr;
    KelUi *ui = kelUi();
    QWidget *under = ui ? ui->widgetUnderMouse() : QApplication::widgetAt(QCursor::pos());
    const QList<QPointer<KelPopupMenuButton>> buttons = submenuButtons;
    if (item && (item == under || item->isAncestorOf(under))) {
        for (const QPointer<KelPopupMenuButton> &button : buttons) {
            if (button && button != item && button->isPopupVisible())
                button->closePopup();
        }
        if (auto *menuButton = qobject_cast<KelPopupMenuButton *>(item))
            menuButton->showPopup(true);
        return;
    }
    // Over no window at all, no submenu is the one under the mouse.
    QWidget *underWindow = under ? under->window() : nullptr;
    for (const QPointer<KelPopupMenuButton> &button : buttons) {
        if (button && button->isPopupVisible() && button->popup() != underWindow)
            button->closePopup();
    }
}

void KelPopupMenu::Private::runPendingScroll()
{
    QWidget *item = pendingVisible;
    pendingVisible = nullptr;
    if (item && scrollArea)
        scrollArea->ensureWidgetVisible(item, ScrollMargin, ScrollMargin);
}

KelPopupMenu::KelPopupMenu(int styleId, Qt::Orientation orientation, QWidget *parent,
                           ShadowType shadow, bool noStyle)
    : KelPopup(styleId, {}, parent, shadow, true), d(std::make_unique<Private>())
{
    d->owner = this;
    d->orientation = orientation;
    d->childWatcher = new KelChildWatcher(KelChildWatcher::WatchAdded
                                                  | KelChildWatcher::WatchRemoved
                                                  | KelChildWatcher::WatchEnter,
                                          centralWidget(), this);
    d->itemLayout = new QBoxLayout(orientation == Qt::Horizontal ? QBoxLayout::LeftToRight
                                                                 : QBoxLayout::TopToBottom);
    d->itemLayout->setSpacing(0);
    d->itemLayout->setContentsMargins(0, 0, 0, 0);
    d->hoverTimer.setSingleShot(true);

    connect(d->childWatcher, &KelChildWatcher::childWidgetAdded, this,
            [this](QWidget *item) { d->itemAdded(item); });
    connect(d->childWatcher, &KelChildWatcher::childWidgetRemoved, this,
            [this](QWidget *item) { d->itemRemoved(item); });
    connect(d->childWatcher, &KelChildWatcher::childWidgetEntered, this, [this](QWidget *item) {
        d->hovered = item;
        d->hoverTimer.start();
    });
    connect(&d->hoverTimer, &QTimer::timeout, this, [this] { d->hoverStep(); });
    connect(this, &KelWidget::hided, this, [this] {
        const QList<QPointer<KelPopupMenuButton>> buttons = d->submenuButtons;
        for (const QPointer<KelPopupMenuButton> &button : buttons) {
            if (button && button->isPopupVisible())
                button->closePopup();
        }
    });

    if (!noStyle)
        applyStyle();
}

KelPopupMenu::KelPopupMenu(Qt::Orientation orientation, QWidget *parent, ShadowType shadow,
                           bool noStyle)
    : KelPopupMenu(KelStyle::WT_PopupMenu, orientation, parent, shadow, noStyle)
{ }

KelPopupMenu::~KelPopupMenu()
{
    // The items go after the private part; they must not call into it.
    for (const QVector<QMetaObject::Connection> &connections : qAsConst(d->itemConnections)) {
        for (const QMetaObject::Connection &connection : connections)
            disconnect(connection);
    }
    delete d->childWatcher;
    // Without content the layout and the items laid out in it have no
    // owner but the menu.
    if (d->itemLayout && !d->itemLayout->parent()) {
        KelUtils::deleteLayoutItems(d->itemLayout);
        delete d->itemLayout;
    }
}

void KelPopupMenu::setupContent(int scrollBars, int scrollAreaStyleId)
{
    if (d->contentWidget)
        return;
    d->contentWidget = new KelWidget(this);
    d->contentWidget->setObjectName(QStringLiteral("KelPopupMenuContent"));
    d->childWatcher->watch(d->contentWidget);
    d->contentWidget->setFocusPolicy(Qt::NoFocus);
    d->contentWidget->setAutoFillBackground(false);
    d->contentWidget->setLayout(d->itemLayout);

    QWidget *central = centralWidget();
    if (!central->layout()) {
        auto *centralLayout = new QVBoxLayout(central);
        centralLayout->setContentsMargins(0, 0, 0, 0);
        centralLayout->setSpacing(0);
    }
    d->scrollArea = new KelScrollArea(scrollAreaStyleId, central);
    central->layout()->addWidget(d->scrollArea);
    d->scrollArea->setWidget(d->contentWidget);
    d->scrollArea->setAutoSizeEnabled(true);
    d->contentWidget->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);

    if (!(scrollBars & Qt::Horizontal))
        d->scrollArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    if (!(scrollBars & Qt::Vertical))
        d->scrollArea->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    d->scrollArea->wheelAnimator()->setEnabled(scrollBars == Qt::Horizontal);
    // A vertical wheel scrolls a row of items.
    if (d->orientation == Qt::Horizontal)
        d->scrollArea->wheelAnimator()->setOrientationSwapped(true);
}

void KelPopupMenu::addWidget(QWidget *w)
{
    d->itemLayout->addWidget(w);
}

KelButton *KelPopupMenu::addButton(int styleId, const QString &iconPath)
{
    // Made without a parent, so that the menu hears of it as a whole button
    // when the layout adopts it.
    auto *button = new KelButton(styleId, iconPath);
    addWidget(button);
    return button;
}

QBoxLayout *KelPopupMenu::contentLayout() const
{
    return d->itemLayout;
}

KelScrollArea *KelPopupMenu::scrollArea() const
{
    return d->scrollArea;
}

void KelPopupMenu::ensureVisible(QWidget *item)
{
    if (!d->scrollArea || !item)
        return;
    if (isVisible())
        d->scrollArea->ensureWidgetVisible(item, ScrollMargin, ScrollMargin);
    else
        d->pendingVisible = item;
}

void KelPopupMenu::setCloseOnClick(bool closeOnClick)
{
    d->closeOnClick = closeOnClick;
}

void KelPopupMenu::setTimerInterval(int ms)
{
    d->hoverTimer.setInterval(ms);
}

void KelPopupMenu::applyStyle()
{
    d->hoverTimer.setInterval(kelStyle()->metric(HoverDelayMetric));
    KelPopup::applyStyle();
}

bool KelPopupMenu::event(QEvent *event)
{
    if (event->type() == QEvent::WinIdChange)
        d->runPendingScroll();
    return KelPopup::event(event);
}

void KelPopupMenu::showEvent(QShowEvent *event)
{
    d->runPendingScroll();
    KelPopup::showEvent(event);
}

#include "windows/keltitlebar.h"

#include "styles/kelstyle.h"
#include "utils/kelwidgetsutils.h"
#include "widgets/kelbutton.h"
#include "widgets/keliconwidget.h"
#include "widgets/kellabel.h"

#include <QCoreApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QPointer>

class KelTitleBar::Private
{
public:
    void updateButtons();
    void updateSpacers();
    KelButton *makeButton(int styleId, int iconId, const char *objectName);

    KelTitleBar *q = nullptr;
    int buttons = 0;
    QPointer<QWidget> window;
    QHBoxLayout *layout = nullptr;
    KelIconWidget *appIcon = nullptr;
    KelLabel *title = nullptr;
    QWidget *leftContainer = nullptr;
    QWidget *rightContainer = nullptr;
    QHBoxLayout *leftLayout = nullptr;
    QHBoxLayout *rightLayout = nullptr;
    QWidget *leftSpacer = nullptr;
    QWidget *rightSpacer = nullptr;
    KelButton *minimizeButton = nullptr;
    KelButton *maximizeButton = nullptr;
    KelButton *restoreButton = nullptr;
    KelButton *closeButton = nullptr;
};

KelButton *KelTitleBar::Private::makeButton(int styleId, int iconId, const char *objectName)
{
    auto *button = new KelButton(styleId, kelStyle()->iconPath(iconId), q);
    button->setObjectName(QLatin1String(objectName));
    return button;
}

void KelTitleBar::Private::updateButtons()
{
    const bool full = window && (window->isMaximized() || window->isFullScreen());
    const QPair<KelButton *, bool> visibility[] = {
            {minimizeButton, bool(buttons & MinimizeButton)},
            {maximizeButton, (buttons & MaximizeButton) && !full},
            {restoreButton, (buttons & MaximizeButton) && full},
            {closeButton, bool(buttons & CloseButton)},
    };
    // Hidden first: with maximize and restore shown at once for a moment,
    // the window's minimum width, which the window manager may take, would
    // grow by a button.
    for (const auto &button : visibility) {
        if (!button.second)
            button.first->setVisible(false);
    }
    for (const auto &button : visibility) {
        if (button.second)
            button.first->setVisible(true);
    }
    updateSpacers();
}

void KelTitleBar::Private::updateSpacers()
{
    if (!(title->alignment() & Qt::AlignHCenter)) {
        leftSpacer->setFixedWidth(0);
        rightSpacer->setFixedWidth(0);
        return;
    }
    const int leftEnd = appIcon->x() + qMax(0, appIcon->sizeHint().width())
            + qMax(0, leftContainer->sizeHint().width());
    int rightWidth = 0;
    const QWidget *rightSide[] = {rightContainer, minimizeButton, maximizeButton, restoreButton,
                                  closeButton};
    for (const QWidget *widget : rightSide) {
        if (!widget || widget->isHidden())
            continue;
        const bool fixed = widget->sizePolicy().horizontalPolicy() == QSizePolicy::Fixed;
        rightWidth += qMax(0, fixed ? widget->width() : widget->sizeHint().width());
    }
    leftSpacer->setFixedWidth(qMax(0, rightWidth - leftEnd));
    rightSpacer->setFixedWidth(qMax(0, leftEnd - rightWidth));
}

KelTitleBar::KelTitleBar(QWidget *window) : KelFrame(-1, window), d(std::make_unique<Private>())
{
    d->q = this;
    d->window = window;
    setObjectName(QStringLiteral("KelTitleBar"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);

    d->layout = qobject_cast<QHBoxLayout *>(layout());
    if (!d->layout) {
        d->layout = new QHBoxLayout(this);
        d->layout->setContentsMargins(0, 0, 0, 0);
        d->layout->setSpacing(0);
    }

    d->appIcon = new KelIconWidget(this);
    d->appIcon->setObjectName(QStringLiteral("KelAppIcon"));
    d->appIcon->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Preferred);
    d->appIcon->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    d->title = new KelLabel(this);
    d->title->setObjectName(QStringLiteral("KelTitle"));
    d->title->setSizePolicy(QSizePolicy::MinimumExpanding, QSizePolicy::Fixed);
    d->title->setAlignment(Qt::AlignCenter);

    auto makeContainer = [this](const char *name, QHBoxLayout **containerLayout) {
        auto *container = new QWidget(this);
        container->setObjectName(QLatin1String(name));
        container->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Preferred);
        *containerLayout = new QHBoxLayout(container);
        (*containerLayout)->setContentsMargins(0, 0, 0, 0);
        container->installEventFilter(this);
        return container;
    };
    d->leftContainer = makeContainer("KelLeftWidgetsContainer", &d->leftLayout);
    d->rightContainer = makeContainer("KelRightWidgetsContainer", &d->rightLayout);

    d->leftSpacer = new QWidget(this);
    d->leftSpacer->setObjectName(QStringLiteral("KelLeftSpacer"));
    d->rightSpacer = new QWidget(this);
    d->rightSpacer->setObjectName(QStringLiteral("KelRightSpacer"));

    d->minimizeButton = d->makeButton(KelStyle::WT_TitleBar_Minimize,
                                      KelStyle::IC_TitleBar_Minimize, "KelMinimizeButton");
    d->maximizeButton = d->makeButton(KelStyle::WT_TitleBar_Maximize,
                                      KelStyle::IC_TitleBar_Maximize, "KelMaximizeButton");
    d->restoreButton = d->makeButton(KelStyle::WT_TitleBar_Restore, KelStyle::IC_TitleBar_Restore,
                                     "KelRestoreButton");
    d->closeButton = d->makeButton(KelStyle::WT_TitleBar_Close, KelStyle::IC_TitleBar_Close,
                                   "KelCloseButton");

    d->layout->addWidget(d->appIcon);
    d->layout->addWidget(d->leftContainer, 1);
    d->layout->addWidget(d->leftSpacer);
    d->layout->addWidget(d->title);
    d->layout->addWidget(d->rightSpacer);
    d->layout->addWidget(d->rightContainer, 1);
    for (KelButton *button :
         {d->minimizeButton, d->maximizeButton, d->restoreButton, d->closeButton})
        d->layout->addWidget(button, 0, Qt::AlignTop);

    connect(d->closeButton, &KelButton::clicked, this, [this] {
        if (d->window)
            d->window->close();
    });
    connect(d->restoreButton, &KelButton::clicked, this, [this] {
        if (d->window)
            d->window->showNormal();
    });
    connect(d->maximizeButton, &KelButton::clicked, this, [this] {
        if (d->window)
            d->window->showMaximized();
    });
    connect(d->minimizeButton, &KelButton::clicked, this, [this] {
        if (!d->window)
            return;
        // A modal window takes its whole application down with it.
        if (d->window->isModal())
            KelUtils::topLevelOwnerWindow(d->window)->showMinimized();
        else
            d->window->showMinimized();
    });

    if (window)
        window->installEventFilter(this);
    d->updateButtons();
    retranslate();
}

KelTitleBar::~KelTitleBar() = default;

KelIconWidget *KelTitleBar::appIcon() const
{
    return d->appIcon;
}

KelLabel *KelTitleBar::titleLabel() const
{
    return d->title;
}

QHBoxLayout *KelTitleBar::leftWidgetsLayout() const
{
    return d->leftLayout;
}

QHBoxLayout *KelTitleBar::rightWidgetsLayout() const
{
    return d->rightLayout;
}

KelButton *KelTitleBar::button(int kind) const
{
    switch (kind) {
    case MinimizeButton:
        return d->minimizeButton;
    case MaximizeButton:
        return d->maximizeButton;
    case CloseButton:
        return d->closeButton;
    default:
        return nullptr;
    }
}

void KelTitleBar::setButtons(int mask)
{
    d->buttons = mask;
    d->updateButtons();
}

int KelTitleBar::buttons() const
{
    return d->buttons;
}

void KelTitleBar::retranslate()
{
    d->minimizeButton->setToolTip(QCoreApplication::translate("Application", "Minimize"));
    d->maximizeButton->setToolTip(QCoreApplication::translate("Application", "Maximize"));
    d->restoreButton->setToolTip(QCoreApplication::translate("Application", "Restore"));
    d->closeButton->setToolTip(QCoreApplication::translate("Application", "Close"));
}

bool KelTitleBar::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Resize
        && (watched == d->leftContainer || watched == d->rightContainer))
        d->updateSpacers();
    else if (event->type() == QEvent::WindowStateChange && watched == d->window)
        d->updateButtons();
    return KelFrame::eventFilter(watched, event);
}

void KelTitleBar::showEvent(QShowEvent *event)
{
    KelFrame::showEvent(event);
    d->updateSpacers();
}

#include "moc_keltitlebar.cpp"

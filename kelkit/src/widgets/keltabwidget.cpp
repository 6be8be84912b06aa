#include "widgets/keltabwidget.h"

#include "widgets/kelbutton.h"
#include "widgets/kelframe.h"
#include "widgets/kelstackedwidget.h"

#include <QBoxLayout>
#include <QMap>
#include <QPointer>

class KelTabWidget::Private
{
public:
    explicit Private(KelTabWidget *owner) : owner(owner) { }

    KelButton *buttonOf(int index) const
    {
        for (auto it = buttons.cbegin(); it != buttons.cend(); ++it) {
            if (it.value() == index)
                return it.key();
        }
        return nullptr;
    }

    void switchTo(int index);
    void buildLayout();

    KelTabWidget *owner;
    Qt::Edge tabPosition = Qt::TopEdge;
    int tabButtonStyleId = -1;
    int currentIndex = -1;
    QPointer<KelFrame> tabsContainer;
    QPointer<QBoxLayout> tabsLayout;
    QMap<KelButton *, int> buttons;
    QPointer<KelStackedWidget> stack;
};

void KelTabWidget::Private::buildLayout()
{
    const bool sideTabs = tabPosition == Qt::LeftEdge || tabPosition == Qt::RightEdge;
    const QBoxLayout::Direction outer = sideTabs ? QBoxLayout::LeftToRight
                                                 : QBoxLayout::TopToBottom;
    const QBoxLayout::Direction inner = sideTabs ? QBoxLayout::TopToBottom
                                                 : QBoxLayout::LeftToRight;

    auto *layout = qobject_cast<QBoxLayout *>(owner->layout());
    if (!layout || layout->direction() != outer) {
        delete owner->layout();
        layout = new QBoxLayout(outer, owner);
    }
    layout->setObjectName(QStringLiteral("KelTabWidgetLayout"));
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    tabsContainer = new KelFrame(owner);
    tabsContainer->setObjectName(QStringLiteral("KelTabsContainer"));
    tabsLayout = new QBoxLayout(inner, tabsContainer);
    tabsLayout->setObjectName(QStringLiteral("KelTabsLayout"));
    tabsLayout->setContentsMargins(0, 0, 0, 0);
    tabsLayout->setSpacing(0);

    stack = new KelStackedWidget(owner);
    stack->setObjectName(QStringLiteral("KelTabsStack"));
    stack->layout()->setObjectName(QStringLiteral("KelTabsStackLayout"));

    if (tabPosition == Qt::TopEdge || tabPosition == Qt::LeftEdge) {
        layout->addWidget(tabsContainer);
        layout->addWidget(stack);
    } else {
        layout->addWidget(stack);
        layout->addWidget(tabsContainer);
    }
}

void KelTabWidget::Private::switchTo(int index)
{
    KelButton *next = buttonOf(index);
    KelButton *current = buttonOf(currentIndex);
    if (index == currentIndex || !next || !current)
        return;
    bool accept = true;
    emit owner->tabToggleRequest(currentIndex, index, accept);
    if (!accept) {
        // Undo the click that asked for the switch.
        next->setCheckedState(false);
        return;
    }
    current->setCheckedState(false);
    next->setCheckedState(true);
    stack->setCurrentIndex(index);
    currentIndex = index;
    emit owner->currentChanged(index);
}

KelTabWidget::KelTabWidget(Qt::Edge tabPosition, int tabButtonStyleId, QWidget *parent)
    : KelWidget(parent), d(std::make_unique<Private>(this))
{
    d->tabPosition = tabPosition;
    d->tabButtonStyleId = tabButtonStyleId;
    d->buildLayout();
}

KelTabWidget::~KelTabWidget() = default;

bool KelTabWidget::addTab(int index, QWidget *page, int tabStyleId, const char *iconPath)
{
    if (d->buttonOf(index))
        return false;
    auto *button = new KelButton(tabStyleId, QString::fromUtf8(iconPath), d->tabsContainer);
    button->setAutoExclusive(true);
    button->setCheckable(true);
    d->buttons.insert(button, index);
    d->tabsLayout->addWidget(button);
    d->stack->insertWidget(index, page);
    if (d->stack->count() == 1) {
        d->stack->setCurrentWidget(page);
        button->setCheckedState(true);
        d->currentIndex = 0;
    }
    connect(button, &KelButton::toggled, this, [this, button](bool checked) {
        if (!checked)
            return;
        d->switchTo(d->buttons.value(button, -1));
        d->stack->setFocus();
    });
    return true;
}

bool KelTabWidget::addTab(int index, QWidget *page, const char *iconPath)
{
    return addTab(index, page, d->tabButtonStyleId, iconPath);
}

void KelTabWidget::setCurrentIndex(int index)
{
    if (index < 0)
        return;
    d->switchTo(index);
}

void KelTabWidget::setTabText(int index, const QString &text)
{
    if (KelButton *button = d->buttonOf(index))
        button->setText(text);
}

int KelTabWidget::count() const
{
    return d->stack ? d->stack->count() : 0;
}

int KelTabWidget::currentIndex() const
{
    return d->currentIndex;
}

KelFrame *KelTabWidget::tabsContainer() const
{
    return d->tabsContainer;
}

QBoxLayout *KelTabWidget::tabsLayout() const
{
    return d->tabsLayout;
}

#include "moc_keltabwidget.cpp"

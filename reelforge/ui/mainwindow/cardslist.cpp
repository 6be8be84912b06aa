#include "ui/mainwindow/cardslist.h"

#include "styles/kelstyle.h"
#include "ui/mainwindow/card.h"
#include "ui/style.h"
#include "widgets/kelabstractscrollareashadows.h"
#include "widgets/kelexclusivebuttongroup.h"

#include <QApplication>
#include <QScrollBar>
#include <QScroller>
#include <QVBoxLayout>

namespace {

constexpr int ListStyleId = Style::WT_ScrollArea_List;
constexpr int ShadowStyleId = KelStyle::WT_Shadow;
constexpr int Margin = 22;
constexpr int CardSpacing = 8;

} // namespace

CardsList::CardsList(QWidget *parent)
    : KelListWidget(ListStyleId, parent), m_buttonGroup(new KelExclusiveButtonGroup(this))
{
    m_buttonGroup->setObjectName(QStringLiteral("CardsListButtonsGroup"));
    shadows()->setShadowEdges(Qt::TopEdge | Qt::BottomEdge, ShadowStyleId, Qt::TopEdge);

    widget()->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    widget()->layout()->setSizeConstraint(QLayout::SetDefaultConstraint);

    auto *column = new QVBoxLayout;
    column->setContentsMargins(Margin, 0, Margin, Margin);
    column->setSpacing(CardSpacing);
    registerLayout(0, column);
    setCurrentLayoutId(0);

    setScrollToMargins(QMargins(Margin, Margin, Margin, Margin));
    setItemFactory([this](QWidget *parent, const QModelIndex &index) {
        return createCard(parent, index);
    });
    connect(m_buttonGroup, &KelExclusiveButtonGroup::toggled, this,
            [this](KelButton *button, const QVariant &) { onCardToggled(button); });
}

CardsList::~CardsList() = default;

KelExclusiveButtonGroup *CardsList::buttonGroup() const
{
    return m_buttonGroup;
}

KelListWidgetItem *CardsList::createCard(QWidget *parent, const QModelIndex &index)
{
    auto *card = new Card(parent, Card::WhenInView);
    card->setIndex(index);
    card->translateUi();
    m_buttonGroup->addButton(card, QVariant());
    return card;
}

void CardsList::onCardToggled(KelButton *button)
{
    if (!button)
        return;
    QWidget *focused = QApplication::focusWidget();
    if (focused && focused != button && !button->isAncestorOf(focused))
        button->setFocus();
    // What stands above the first card (the history's Clear bar) stays in
    // sight with it: the list goes to its very top.
    if (isFirstRow(qobject_cast<Card *>(button))) {
        QScroller::scroller(viewport())->stop();
        verticalScrollBar()->setValue(verticalScrollBar()->minimum());
        return;
    }
    scrollTo(button, true);
}

bool CardsList::isFirstRow(const Card *card) const
{
    const QAbstractItemModel *items = model();
    if (!card || !card->videoItem() || !items || items->rowCount() == 0)
        return false;
    return items->index(0, 0).data(Qt::UserRole).value<VideoItemPtr>() == card->videoItem();
}

Card *CardsList::findCard(const QUuid &id) const
{
    QAbstractItemModel *items = model();
    if (!items || id.isNull())
        return nullptr;
    for (int row = 0; row < items->rowCount(); ++row) {
        const auto item = items->index(row, 0).data(Qt::UserRole).value<VideoItemPtr>();
        if (item && item->id() == id)
            return qobject_cast<Card *>(rowWidget(row));
    }
    return nullptr;
}

void CardsList::ensureCardVisible(const QUuid &id)
{
    if (Card *card = findCard(id))
        scrollTo(card, true);
}

VideoItemPtr CardsList::selectedVideoItem() const
{
    auto *card = qobject_cast<Card *>(m_buttonGroup->checkedButton());
    return card ? card->videoItem() : VideoItemPtr();
}

bool CardsList::selectFirstCard()
{
    QAbstractItemModel *items = model();
    if (!items || items->rowCount() == 0)
        return false;
    return selectIndex(items->index(0, 0));
}

#include "moc_cardslist.cpp"

#pragma once

#include "datamodel/videoitem.h"
#include "itemviews/kellistwidget.h"

#include <QUuid>

class Card;
class KelButton;
class KelExclusiveButtonGroup;

// The list of cards behind the queue and the history: one Card per model
// row in a vertical column, all in one exclusive selection group, so that
// checking a card selects it, gives it the focus (when the focus is
// elsewhere in the program) and scrolls it into view. Cards are found by
// their item's identifier; a queue row whose card is still waiting for its
// pass gets it when asked for. GUI thread only.
//
//     auto *list = new CardsList(window);
//     list->setModel(queueModel);
//     list->ensureCardVisible(item->id());
class CardsList : public KelListWidget
{
    Q_OBJECT

public:
    explicit CardsList(QWidget *parent = nullptr);
    ~CardsList() override;

    KelExclusiveButtonGroup *buttonGroup() const;

    // Null when no row holds that item, or when its row is out of view in a
    // list that builds only visible cards.
    Card *findCard(const QUuid &id) const;
    // Scrolls, animated, to the card of that item, when there is one.
    void ensureCardVisible(const QUuid &id);
    // The item of the checked card, or null.
    VideoItemPtr selectedVideoItem() const;
    // Checks the card of row 0; false when that row has no card.
    bool selectFirstCard();

private:
    KelListWidgetItem *createCard(QWidget *parent, const QModelIndex &index);
    void onCardToggled(KelButton *button);
    bool isFirstRow(const Card *card) const;

    KelExclusiveButtonGroup *m_buttonGroup = nullptr;
};

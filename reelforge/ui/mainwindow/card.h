#pragma once

#include "datamodel/videoitemwatcher.h"
#include "itemviews/kellistwidgetitem.h"
#include "widgets/kelbutton.h"

#include <memory>

class CardThumbnail;

// The row widget of one queue or history item: the thumbnail, the editable
// output name with the top tools, the source and target media lines with
// the actions that fit the item's state, and a bottom row with the editing
// buttons (trim, subtitles, watermark, audio) while the item waits, its
// progress while it imports or converts, and its final message. Every
// button turns into an operation of the item or of the application's Ui;
// every signal of the item is followed, so the card always shows the
// item's present state. Without an item the card is disabled.
//
// The card list makes and pools cards; a pooled card given another row
// drops every connection to its previous item first. A list of many cards
// makes them WhenInView: such a card is the bare button, with the size of a
// complete card in its item's state, until the list prepares it for view
// (or hands it out); then it builds the rest and shows its item.
//
//     auto *card = new Card(list, Card::WhenInView);
//     card->setIndex(model->index(row, 0));
//
// GUI thread only.
class Card : public KelButton, public VideoItemWatcher, public KelListWidgetItem
{
    Q_OBJECT

public:
    class TopRow;
    class MidRow;
    class BottomRow;
    class ExtraPropButton;

    enum Construction { Complete, WhenInView };
    Q_ENUM(Construction)

    explicit Card(QWidget *parent = nullptr, Construction construction = Complete);
    ~Card() override;

    // Enables the card exactly when an item is set and hands the item to
    // both media lines.
    void setVideoItem(VideoItemPtr item) override;

    void setIndex(const QModelIndex &index) override;
    void reset() override;
    void layoutIdChanged(int id) override;
    void translateUi() override;
    void prepareForView() override;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void videoItemAttached(VideoItemPtr item) override;
    bool event(QEvent *event) override;

private:
    class Private;
    std::unique_ptr<Private> const d;
};

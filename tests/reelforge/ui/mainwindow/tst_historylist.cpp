#include "application.h"
#include "datamodel/historymodel.h"
#include "kelui.h"
#include "shared/formattables.h"
#include "ui/mainwindow/card.h"
#include "ui/mainwindow/cardslist.h"
#include "ui/mainwindow/cardthumbnail.h"
#include "waitbound.h"
#include "widgets/kelexclusivebuttongroup.h"

#include "appservicesfixture.h"

#include <QScrollBar>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QVBoxLayout>
#include <QtTest>

namespace {

constexpr int RecordCount = 1000;
const Qt::GlobalColor Colours[] = {Qt::red, Qt::green, Qt::blue};

// The colour of a stored item's thumbnail, from the number in its name.
QColor colourOf(const VideoItemPtr &item)
{
    const int number = item->sourceFileInfo().completeBaseName().mid(4).toInt();
    return QColor(Colours[number % 3]);
}

bool isNear(const QColor &a, const QColor &b)
{
    // JPEG keeps a plain colour within a few steps.
    return qAbs(a.red() - b.red()) < 16 && qAbs(a.green() - b.green()) < 16
            && qAbs(a.blue() - b.blue()) < 16;
}

VideoItemPtr itemAt(const HistoryModel &model, int row)
{
    return model.data(model.index(row), Qt::UserRole).value<VideoItemPtr>();
}

// The picture a card shows; null until its item's thumbnail is there.
QImage shownPicture(Card *card)
{
    auto *thumbnail = card->findChild<CardThumbnail *>(QStringLiteral("Thumbnail"));
    return thumbnail ? thumbnail->image() : QImage();
}

} // namespace

class tst_HistoryList : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void thumbnailsAreReadForShownCardsOnly();
};

// A history as the program writes it: records with a JPEG thumbnail each.
void tst_HistoryList::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)).removeRecursively();
    HistoryModel model;
    for (int i = RecordCount - 1; i >= 0; --i) {
        auto item = VideoItemPtr::create(QFileInfo(QStringLiteral("/media/clip%1.mp4").arg(i)));
        item->setDuration(12345678901LL);
        item->setState(VideoItem::History);
        QImage thumbnail(32, 24, QImage::Format_RGB32);
        thumbnail.fill(Colours[i % 3]);
        item->setThumbnail(thumbnail);
        model.addItem(item);
    }
}

void tst_HistoryList::thumbnailsAreReadForShownCardsOnly()
{
    HistoryModel model;
    QCOMPARE(model.rowCount(), RecordCount);
    for (int row = 0; row < RecordCount; ++row)
        QVERIFY(itemAt(model, row)->thumbnail().isNull());

    // As the main window has it: the history is a page of a stack that
    // shows the queue first, and its list creates only the visible cards.
    QWidget window;
    auto *stack = new QStackedWidget(&window);
    (new QVBoxLayout(&window))->addWidget(stack);
    stack->addWidget(new QWidget);
    auto *list = new CardsList;
    stack->addWidget(list);
    list->setCreateOnlyVisibleItems(true);
    list->setModel(&model);
    window.resize(900, 600);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window, WaitBound::ms()));

    // The cards that show an item (the list keeps a prototype without one).
    const auto cards = [list] {
        QList<Card *> shown;
        for (KelButton *button : list->buttonGroup()->buttons()) {
            auto *card = qobject_cast<Card *>(button);
            if (card && card->videoItem())
                shown << card;
        }
        return shown;
    };
    QVERIFY(cards().isEmpty());
    stack->setCurrentWidget(list);
    QTRY_VERIFY(!cards().isEmpty());
    QVERIFY(cards().size() < RecordCount / 10);
    // Each shown card gets its own item's picture.
    const auto allShowPictures = [&cards] {
        const QList<Card *> shown = cards();
        return std::all_of(shown.cbegin(), shown.cend(),
                           [](Card *card) { return !shownPicture(card).isNull(); });
    };
    QTRY_VERIFY(allShowPictures());
    for (Card *card : cards()) {
        const QImage picture = shownPicture(card);
        QVERIFY(isNear(picture.pixelColor(picture.rect().center()), colourOf(card->videoItem())));
    }

    // No picture was decoded for a row that never had a card.
    QSet<QUuid> shownIds;
    for (Card *card : cards())
        shownIds.insert(card->videoItem()->id());
    for (int row = 0; row < RecordCount; ++row) {
        const VideoItemPtr item = itemAt(model, row);
        QCOMPARE(item->thumbnail().isNull(), !shownIds.contains(item->id()));
    }

    // The last card, once scrolled to, shows its picture too.
    const VideoItemPtr last = itemAt(model, RecordCount - 1);
    QVERIFY(!list->findCard(last->id()));
    list->verticalScrollBar()->setValue(list->verticalScrollBar()->maximum());
    QTRY_VERIFY(list->findCard(last->id()));
    Card *lastCard = list->findCard(last->id());
    QTRY_VERIFY(!shownPicture(lastCard).isNull());
    QVERIFY(isNear(shownPicture(lastCard).pixelColor(4, 4), colourOf(last)));
    QVERIFY(itemAt(model, RecordCount / 2)->thumbnail().isNull());
}

int main(int argc, char **argv)
{
    Application app(argc, argv);
    app.initFormats();
    AppServicesFixture services(app);
    kelUi();
    tst_HistoryList test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_historylist.moc"

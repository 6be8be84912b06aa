#include "application.h"
#include "kelui.h"
#include "styles/kelstyle.h"
#include "ui/mainwindow/card.h"
#include "ui/mainwindow/cardslist.h"
#include "ui/mainwindow/dragicon.h"
#include "ui/mainwindow/dropindicator.h"
#include "waitbound.h"
#include "widgets/kelexclusivebuttongroup.h"

#include "appservicesfixture.h"
#include "manualanimationdriver.h"

#include <QPainter>
#include <QStandardItemModel>
#include <QtTest>

namespace {

// A plain opaque square with a transparent margin, to be dragged.
class Swatch : public QWidget
{
public:
    Swatch()
    {
        setAttribute(Qt::WA_TranslucentBackground);
        resize(200, 100);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter(this).fillRect(rect().adjusted(10, 10, -10, -10), Qt::white);
    }
};

QImage grabbed(QWidget *widget)
{
    return widget->grab().toImage().convertToFormat(QImage::Format_ARGB32);
}

// Pixels of the accent colour in a rectangle of the picture.
int accentPixels(const QImage &image, const QRect &rect, const QColor &accent)
{
    int count = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (qAbs(pixel.red() - accent.red()) < 40 && qAbs(pixel.green() - accent.green()) < 40
                && qAbs(pixel.blue() - accent.blue()) < 40)
                ++count;
        }
    }
    return count;
}

} // namespace

class tst_DragFeedback : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void iconShrinksTowardsItsTopCentre();
    void iconShadesWhereDropIsRefused();
    void everyDragFollowsTheMouse();
    void placardDrawsArrowOnlyWithHint();
    void listFindsAndSelectsCards();
    void cardsWaitingForTheirPassAreFound();

private:
    ManualAnimationDriver *m_driver = nullptr;
    bool m_driverInstalled = false;
};

void tst_DragFeedback::initTestCase()
{
    m_driver = new ManualAnimationDriver(this);
    m_driver->install();
    m_driverInstalled = true;
}

void tst_DragFeedback::cleanupTestCase()
{
    if (m_driverInstalled)
        m_driver->uninstall();
}

void tst_DragFeedback::iconShrinksTowardsItsTopCentre()
{
    Swatch card;
    DragIcon icon;
    const QPoint hotSpot(30, 40);
    QCursor::setPos(500, 400);

    icon.startDrag(&card, hotSpot);
    QVERIFY(icon.isVisible());
    QCOMPARE(icon.scale(), 1.0);
    QCOMPARE(icon.size(), card.size());
    QCOMPARE(icon.grabPoint(), hotSpot);
    QCOMPARE(icon.pos(), QCursor::pos() - hotSpot);

    m_driver->advanceInSteps(100);
    QVERIFY(icon.scale() < 1.0 && icon.scale() > 0.7);

    m_driver->advanceInSteps(120);
    QCOMPARE(icon.scale(), 0.7);
    QCOMPARE(icon.size(), QSize(140, 70));
    QCOMPARE(icon.grabPoint(), QPoint(70, 16));
    QCOMPARE(icon.pos(), QCursor::pos() - QPoint(70, 16));

    icon.finish();
    QVERIFY(!icon.isVisible());
}

void tst_DragFeedback::iconShadesWhereDropIsRefused()
{
    Swatch card;
    DragIcon icon;
    icon.startDrag(&card, QPoint(0, 0));
    m_driver->advanceInSteps(250);

    // Allowed first, then refused: the shade comes within 150 ms.
    icon.setDropAllowed(true);
    QCOMPARE(icon.dropAllowedProgress(), 0.0);
    icon.setDropAllowed(false);
    m_driver->advanceInSteps(150);
    QCOMPARE(icon.dropAllowedProgress(), 1.0);

    // Only the picture's own pixels darken; its transparent margin stays.
    const QImage shaded = grabbed(&icon);
    const QColor inside = shaded.pixelColor(shaded.width() / 2, shaded.height() / 2);
    QVERIFY2(inside.red() < 160 && inside.red() > 96, qPrintable(inside.name()));
    QCOMPARE(shaded.pixelColor(1, 1).alpha(), 0);

    icon.setDropAllowed(true);
    m_driver->advanceInSteps(150);
    QCOMPARE(icon.dropAllowedProgress(), 0.0);
    const QImage clear = grabbed(&icon);
    QCOMPARE(clear.pixelColor(clear.width() / 2, clear.height() / 2).red(), 255);

    // While hidden a change is immediate.
    icon.finish();
    icon.setDropAllowed(false);
    QCOMPARE(icon.dropAllowedProgress(), 1.0);
}

void tst_DragFeedback::everyDragFollowsTheMouse()
{
    QWidget window;
    window.resize(600, 400);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window, WaitBound::ms()));
    Swatch card;
    DragIcon icon;

    for (int drag = 0; drag < 2; ++drag) {
        icon.startDrag(&card, QPoint(20, 20));
        m_driver->advanceInSteps(250);
        const QPoint local(100 + 50 * drag, 120);
        const QPoint global = window.mapToGlobal(local);
        QCursor::setPos(global);
        QTest::mouseMove(window.windowHandle(), local);
        QCOMPARE(icon.pos(), global - icon.grabPoint());
        icon.finish();
    }
}

void tst_DragFeedback::placardDrawsArrowOnlyWithHint()
{
    QWidget window;
    window.resize(600, 400);
    auto *placard = new DropIndicator(DropIndicator::Placard, &window);
    placard->setContentsMargins(16, 16, 16, 16);
    placard->resize(window.size());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window, WaitBound::ms()));
    const QColor accent = kelStyle()->color(KelStyle::CL_Accent);
    // Where the arrow's stem runs: below the hint point, left of the text.
    const QRect arrowArea(80, 30, 40, 70);

    QCOMPARE(accentPixels(grabbed(placard), arrowArea, accent), 0);
    placard->setHintPoint(placard->mapToGlobal(QPoint(100, 250)));
    QCOMPARE(placard->hintPoint(), QPoint(100, 16 + 18));
    QVERIFY(accentPixels(grabbed(placard), arrowArea, accent) > 20);

    // The marker draws no text and no arrow, only its frame.
    DropIndicator marker(DropIndicator::Marker);
    marker.resize(300, 200);
    marker.setHintPoint(marker.mapToGlobal(QPoint(100, 100)));
    QCOMPARE(accentPixels(grabbed(&marker), QRect(60, 30, 100, 120), accent), 0);
    QCOMPARE(marker.minimumSizeHint(), QSize(100, 100));
}

void tst_DragFeedback::listFindsAndSelectsCards()
{
    // The list scrolls with a kinetic scroller, which keeps its own time.
    m_driver->uninstall();
    m_driverInstalled = false;
    QWidget window;
    auto *list = new CardsList(&window);
    QCOMPARE(list->buttonGroup()->objectName(), QStringLiteral("CardsListButtonsGroup"));

    QStandardItemModel model;
    list->setModel(&model);
    window.resize(900, 600);
    list->resize(window.size());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window, WaitBound::ms()));

    // Empty: nothing to find or select, and asking is harmless.
    QVERIFY(!list->selectFirstCard());
    QVERIFY(!list->findCard(QUuid::createUuid()));
    list->ensureCardVisible(QUuid::createUuid());
    QVERIFY(!list->selectedVideoItem());

    QList<VideoItemPtr> items;
    for (int i = 0; i < 8; ++i) {
        auto item = VideoItemPtr::create(QFileInfo(QStringLiteral("/nowhere/clip%1.mp4").arg(i)));
        items << item;
        auto *row = new QStandardItem;
        row->setData(QVariant::fromValue(item), Qt::UserRole);
        model.appendRow(row);
    }
    for (const VideoItemPtr &item : items)
        QVERIFY(list->findCard(item->id()));
    QVERIFY(!list->findCard(QUuid::createUuid()));

    // Selecting checks the first card, focuses it when the focus was
    // elsewhere, and tells its item.
    auto *outside = new QWidget(&window);
    outside->setFocusPolicy(Qt::StrongFocus);
    outside->show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window, WaitBound::ms()));
    outside->setFocus();
    QCOMPARE(QApplication::focusWidget(), outside);
    QVERIFY(list->selectFirstCard());
    Card *first = list->findCard(items.first()->id());
    QTRY_VERIFY(first->isChecked());
    QCOMPARE(list->selectedVideoItem(), items.first());
    QTRY_VERIFY(first->hasFocus());

    // The far card scrolls into view, animated.
    Card *last = list->findCard(items.last()->id());
    QVERIFY(!list->visibleWidgetRect().contains(last->geometry()));
    list->ensureCardVisible(items.last()->id());
    QTRY_VERIFY(list->visibleWidgetRect().contains(last->geometry()));
}

void tst_DragFeedback::cardsWaitingForTheirPassAreFound()
{
    QWidget window;
    auto *list = new CardsList(&window);
    // One card per pass: right after the insertion only row 0 has its card.
    list->setCreationBudget(0);
    QStandardItemModel model;
    list->setModel(&model);
    window.resize(900, 600);
    list->resize(window.size());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window, WaitBound::ms()));

    QList<VideoItemPtr> items;
    QList<QStandardItem *> rows;
    for (int i = 0; i < 12; ++i) {
        auto item = VideoItemPtr::create(QFileInfo(QStringLiteral("/nowhere/clip%1.mp4").arg(i)));
        items << item;
        rows << new QStandardItem;
        rows.last()->setData(QVariant::fromValue(item), Qt::UserRole);
    }
    // Cards of rows; the list's size prototype has no item.
    const auto builtCards = [list] {
        int count = 0;
        for (const QPointer<KelButton> &button : list->buttonGroup()->buttons()) {
            auto *card = qobject_cast<Card *>(button.data());
            count += card && card->videoItem() ? 1 : 0;
        }
        return count;
    };
    model.invisibleRootItem()->appendRows(rows);
    QCOMPARE(builtCards(), 1);

    // Asked for out of order, before any pass ran: each card is built for
    // its own row and shows its own item.
    for (int i : {7, 11, 3}) {
        Card *card = list->findCard(items[i]->id());
        QVERIFY(card);
        QCOMPARE(card->videoItem(), items[i]);
        QCOMPARE(list->rowWidget(i), card);
    }
    QVERIFY(list->selectIndex(model.index(9, 0)));
    QCOMPARE(list->selectedVideoItem(), items[9]);

    // The passes build the rest around them, each row once, in model order.
    QTRY_COMPARE(builtCards(), items.size());
    for (int i = 0; i < items.size(); ++i) {
        auto *card = qobject_cast<Card *>(list->rowWidget(i));
        QVERIFY(card);
        QCOMPARE(card->videoItem(), items[i]);
        QCOMPARE(list->findCard(items[i]->id()), card);
    }
    QVERIFY(!list->rowWidget(items.size()));
}

int main(int argc, char **argv)
{
    Application app(argc, argv);
    app.initFormats();
    AppServicesFixture services(app);
    kelUi();
    tst_DragFeedback test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_dragfeedback.moc"

#include "application.h"
#include "core/appservices.h"
#include "datamodel/codecinfo.h"
#include "datamodel/historymodel.h"
#include "datamodel/queuemodel.h"
#include "kelui.h"
#include "layouts/kellayoutdnd.h"
#include "metrics/usagestatistics.h"
#include "ui/mainwindow/card.h"
#include "ui/mainwindow/cardslist.h"
#include "ui/mainwindow/dropindicator.h"
#include "ui/mainwindow/mainfooter.h"
#include "ui/mainwindow/mainheader.h"
#include "ui/mainwindow/mainwindow.h"
#include "ui/progressbar.h"
#include "ui/widgets/badgedbutton.h"
#include "ui/widgets/fontscombo.h"
#include "waitbound.h"
#include "widgets/kelexclusivebuttongroup.h"
#include "widgets/keliconlabel.h"
#include "widgets/kellineedit.h"
#include "windows/kelmessagebox.h"
#include "windows/keltitlebar.h"
#include "windows/kelwindowblockedoverlay.h"

#include "appservicesfixture.h"
#include "httpstubserver.h"
#include "mediafixtures.h"
#include "messageboxinput.h"
#include "messagelog.h"
#include "unexpectedboxguard.h"
#include "windowcatcher.h"
#include "windowinput.h"

#include <metrics/metricsender.h>

#include <QApplication>
#include <QLabel>
#include <QMimeData>
#include <QScopeGuard>
#include <QScrollBar>
#include <QTimer>
#include <QtTest>
#include <qpa/qplatformdrag.h>
#include <qpa/qwindowsysteminterface.h>

#include <memory>

namespace {

constexpr int AnswerNo = 1;
constexpr int AnswerYes = 2;
constexpr int NothingButton = 1;
constexpr int SelectionButton = 2;
constexpr int QueueButton = 3;

Application *app()
{
    return static_cast<Application *>(QCoreApplication::instance());
}

QueueModel *queue()
{
    return app()->queueModel();
}

HistoryModel *history()
{
    return app()->historyModel();
}

QString buttonText(KelMessageBox *box, int index)
{
    auto *button = qobject_cast<KelButton *>(box->button(index));
    return button && !button->isHidden() ? button->text() : QString();
}

// An item state as a test names it: a trailing '*' pauses the item, which
// also keeps the scheduler off it.
struct ItemState
{
    VideoItem::State state;
    bool paused;
};

ItemState parseState(const QString &name)
{
    const bool paused = name.endsWith(QLatin1Char('*'));
    const QString bare = paused ? name.chopped(1) : name;
    const QMetaEnum states = QMetaEnum::fromType<VideoItem::State>();
    return {VideoItem::State(states.keyToValue(qPrintable(bare))), paused};
}

} // namespace

class tst_MainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void closeAsksOnlyWhileUnfinished_data();
    void closeAsksOnlyWhileUnfinished();
    void convertedItemsMoveAtTheirMoments();
    void applyPreset_data();
    void applyPreset();
    void clearHistory();
    void abortAllAsks();
    void placardHidesWhileFilesAreDraggedOver();
    void unreadableFilesBecomeFailedCards();
    void runningItemIsFoundFarDownTheQueue();
    void farCardsAreBuiltNearTheView();
    void windowOwnsTheSharedFontsMenu();
    void everyButtonOpensItsWindow_data();
    void everyButtonOpensItsWindow();
    void convertedViewOpensAtItsTop();

private:
    QList<VideoItemPtr> addItems(const QStringList &states);
    QList<VideoItemPtr> queueItems() const;
    void showView(Enums::ListViewMode mode);

    MediaFixtures m_media;
    QString m_clip;
    QString m_broken;
    MainWindow *m_window = nullptr;
};

void tst_MainWindow::initTestCase()
{
    QVERIFY(m_media.isValid());
    MediaFixtures::Clip clip;
    clip.frames = 10;
    m_clip = m_media.make(QStringLiteral("clip.mp4"), clip);
    QVERIFY(!m_clip.isEmpty());
    m_broken = m_media.path(QStringLiteral("broken.mp4"));
    QFile broken(m_broken);
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write("not a media file");
    broken.close();

    // No worker: the items are put in their states by hand.
    appServices().dataExchangeSvc = [] { return nullptr; };
    QVERIFY(app()->init());
    // The application's own window is not under test; each test makes one.
    delete kelUi()->mainWindow();
}

void tst_MainWindow::init()
{
    m_window = new MainWindow;
    m_window->resize(1000, 760);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window, WaitBound::ms()));
}

void tst_MainWindow::cleanup()
{
    delete m_window;
    m_window = nullptr;
    for (const VideoItemPtr &item : queueItems())
        queue()->removeItem(item);
    history()->clear();
}

QList<VideoItemPtr> tst_MainWindow::queueItems() const
{
    QList<VideoItemPtr> items;
    for (int row = 0; row < queue()->rowCount(); ++row)
        items << queue()->data(queue()->index(row), Qt::UserRole).value<VideoItemPtr>();
    return items;
}

QList<VideoItemPtr> tst_MainWindow::addItems(const QStringList &states)
{
    const int before = queue()->rowCount();
    QList<QUrl> urls;
    for (int i = 0; i < states.size(); ++i)
        urls << QUrl::fromLocalFile(m_clip);
    queue()->addNewItems(urls, -1);
    const QList<VideoItemPtr> items = queueItems().mid(before);
    if (items.size() != states.size())
        return {};
    for (const VideoItemPtr &item : items) {
        QSignalSpy imported(item.data(), &VideoItem::stateChanged);
        if (item->state() == VideoItem::Importing && !imported.wait(WaitBound::ms()))
            return {};
    }
    for (int i = 0; i < items.size(); ++i) {
        const ItemState wanted = parseState(states.at(i));
        items.at(i)->setState(wanted.state);
        items.at(i)->setPaused(wanted.paused);
    }
    return items;
}

void tst_MainWindow::showView(Enums::ListViewMode mode)
{
    MainHeader *header = m_window->header();
    WindowInput::click(mode == Enums::Queue ? static_cast<QWidget *>(header->queueButton())
                                            : header->convertedButton());
    QTRY_COMPARE(m_window->viewMode(), mode);
}

void tst_MainWindow::everyButtonOpensItsWindow_data()
{
    // The title bar's buttons; the card's are in the card's own test.
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("opens");
    QTest::newRow("settings") << "Settings"
                              << "SettingsDialog";
    QTest::newRow("maintenance") << "Maintenance"
                                 << "ServiceModeWindow";
}

void tst_MainWindow::everyButtonOpensItsWindow()
{
    QFETCH(QString, button);
    QFETCH(QString, opens);
    if (opens == QLatin1String("ServiceModeWindow")) {
        // Switching the mode on opens the window at once; the button again.
        WindowCatcher first("ServiceModeWindow");
        kelUi()->setMaintenanceMode(true);
        QTRY_VERIFY(!first.caught.isEmpty());
    }
    const auto maintenanceOff = qScopeGuard([] { kelUi()->setMaintenanceMode(false); });
    auto *target = m_window->titleBar()->findChild<KelButton *>(button);
    QVERIFY(target);
    QTRY_VERIFY(target->isVisible());
    WindowCatcher catcher(opens.toLatin1());
    WindowInput::click(target);
    QTRY_COMPARE(catcher.caught, opens);
}

void tst_MainWindow::convertedViewOpensAtItsTop()
{
    QCOMPARE(addItems({"Converted", "Converted", "Converted", "Converted", "Converted"}).size(), 5);
    showView(Enums::History);
    QTRY_COMPARE(history()->rowCount(), 5);
    CardsList *list = m_window->historyList();
    QTRY_VERIFY(list->verticalScrollBar()->maximum() > 0);
    QCoreApplication::processEvents();
    QCOMPARE(list->verticalScrollBar()->value(), 0);
    KelButton *clear = m_window->clearHistoryButton();
    const QRect shown = list->viewport()->rect();
    QVERIFY(shown.contains(QRect(clear->mapTo(list->viewport(), QPoint()), clear->size())));

    // Back and again: still at the top.
    showView(Enums::Queue);
    showView(Enums::History);
    QCoreApplication::processEvents();
    QCOMPARE(list->verticalScrollBar()->value(), 0);
}

void tst_MainWindow::closeAsksOnlyWhileUnfinished_data()
{
    QTest::addColumn<QStringList>("states");
    QTest::addColumn<int>("answer"); // 0: no question expected
    QTest::addColumn<bool>("closes");

    QTest::newRow("scheduled, no") << QStringList{"Scheduled*", "Converted"} << AnswerNo << false;
    QTest::newRow("paused converting, no")
            << QStringList{"Converting*", "Converted"} << AnswerNo << false;
    QTest::newRow("scheduled, yes") << QStringList{"Scheduled*", "Converted"} << AnswerYes << true;
    QTest::newRow("finished only")
            << QStringList{"Imported", "Converted", "ConvertFailed", "ImportFailed"} << 0 << true;
}

void tst_MainWindow::closeAsksOnlyWhileUnfinished()
{
    QFETCH(QStringList, states);
    QFETCH(int, answer);
    QFETCH(bool, closes);

    const QList<VideoItemPtr> items = addItems(states);
    QCOMPARE(items.size(), states.size());
    const VideoItemPtr converted = items.at(1);

    if (answer) {
        MessageBoxInput::pressButton(answer);
        QCOMPARE(m_window->close(), closes);
    } else {
        UnexpectedBoxGuard guard;
        QVERIFY(m_window->close());
        QVERIFY(!guard.shown());
    }

    QCOMPARE(m_window->isVisible(), !closes);
    QCOMPARE(history()->rowCount(), closes ? 1 : 0);
    QCOMPARE(converted->state(), closes ? VideoItem::History : VideoItem::Converted);
    QCOMPARE(queue()->rowCount(), states.size() - (closes ? 1 : 0));
}

void tst_MainWindow::convertedItemsMoveAtTheirMoments()
{
    const QList<VideoItemPtr> items = addItems({"Converted", "Imported", "Imported"});
    QCOMPARE(items.size(), 3);
    QSignalSpy moved(queue(), &QueueModel::movedToHistory);

    // In the Queue view a converted card stays.
    items.at(1)->setState(VideoItem::Converted);
    QCoreApplication::processEvents();
    QCOMPARE(moved.count(), 0);

    // Opening the Converted view moves them at once; a second request for
    // the same view changes nothing.
    showView(Enums::History);
    QCOMPARE(moved.count(), 2);
    QCOMPARE(history()->rowCount(), 2);
    emit m_window->header()->viewModeToggled(Enums::History);
    QCOMPARE(moved.count(), 2);

    // While it shows, a finished item follows on the next pass of the event
    // loop, not inside the counters' signal.
    items.at(2)->setState(VideoItem::Converted);
    QCOMPARE(moved.count(), 2);
    QCoreApplication::processEvents();
    QCOMPARE(moved.count(), 3);
    QCOMPARE(history()->rowCount(), 3);
    QCOMPARE(queue()->rowCount(), 0);
    QVERIFY(m_window->footer()->isHidden());

    // Back in the queue nothing moves.
    showView(Enums::Queue);
    const QList<VideoItemPtr> later = addItems({"Converted"});
    QCOMPARE(later.size(), 1);
    QCoreApplication::processEvents();
    QCOMPARE(moved.count(), 3);
    QVERIFY(!m_window->footer()->isHidden());
}

void tst_MainWindow::applyPreset_data()
{
    QTest::addColumn<QStringList>("states");
    QTest::addColumn<bool>("select");
    QTest::addColumn<bool>("nullPreset");
    QTest::addColumn<QStringList>("buttons"); // empty: no question
    QTest::addColumn<int>("press");
    QTest::addColumn<QString>("applied"); // per item: 1 the preset's format
    QTest::addColumn<int>("counted");

    const QString nothing = QStringLiteral("Nothing");
    const QString selected = QStringLiteral("Selected video");
    const QString all = QStringLiteral("Entire queue");

    QTest::newRow("none imported") << QStringList{"Converted", "ConvertFailed"} << false << false
                                   << QStringList() << 0 << "00" << 0;
    QTest::newRow("one imported, no question") << QStringList{"Imported", "Converted"} << false
                                               << false << QStringList() << 0 << "10" << 0;
    QTest::newRow("two, no selection, queue")
            << QStringList{"Imported", "Imported"} << false << false
            << QStringList{nothing, QString(), all} << QueueButton << "11" << 1;
    QTest::newRow("two, same as source")
            << QStringList{"Imported", "Imported"} << false << true
            << QStringList{nothing, QString(), all} << QueueButton << "00" << 1;
    QTest::newRow("two, nothing") << QStringList{"Imported", "Imported"} << false << false
                                  << QStringList{nothing, QString(), all} << NothingButton << "00"
                                  << 0;
    QTest::newRow("two, selection")
            << QStringList{"Imported", "Imported"} << true << false
            << QStringList{nothing, selected, all} << SelectionButton << "10" << 1;
}

void tst_MainWindow::applyPreset()
{
    QFETCH(QStringList, states);
    QFETCH(bool, select);
    QFETCH(bool, nullPreset);
    QFETCH(QStringList, buttons);
    QFETCH(int, press);
    QFETCH(QString, applied);
    QFETCH(int, counted);

    const QList<VideoItemPtr> items = addItems(states);
    QCOMPARE(items.size(), states.size());
    if (select)
        QVERIFY(m_window->queueList()->selectFirstCard());
    QCOMPARE(m_window->queueList()->selectedVideoItem() == items.first(), select);

    PresetInfo preset;
    preset.name = QStringLiteral("Matroska test");
    preset.extension = QStringLiteral("mkv");
    UsageStatistics *usage = appServices().usageStatistics;
    const qint64 countedBefore = usage->value(QStringLiteral("useprst"));

    QStringList seenButtons;
    QString seenMessage;
    if (!buttons.isEmpty()) {
        MessageBoxInput::pressButton(press, [&](KelMessageBox *box) {
            seenMessage = box->messageLabel()->text();
            seenButtons = QStringList{buttonText(box, 1), buttonText(box, 2), buttonText(box, 3)};
        });
        emit m_window->footer()->presetClicked(nullPreset ? nullptr : &preset);
        QCOMPARE(seenButtons, buttons);
        QVERIFY2(seenMessage.contains(nullPreset ? QStringLiteral("Same as source") : preset.name),
                 qPrintable(seenMessage));
    } else {
        UnexpectedBoxGuard guard;
        emit m_window->footer()->presetClicked(&preset);
        QVERIFY(!guard.shown());
    }

    QString formats;
    for (const VideoItemPtr &item : items)
        formats += item->targetCodecInfo()->format() == QLatin1String("mkv") ? '1' : '0';
    QCOMPARE(formats, applied);
    QCOMPARE(usage->value(QStringLiteral("useprst")) - countedBefore, qint64(counted));
}

void tst_MainWindow::clearHistory()
{
    KelButton *button = m_window->clearHistoryButton();
    QVERIFY(!button->isEnabled());
    QCOMPARE(button->text(), QStringLiteral("Convertation history is empty"));

    QCOMPARE(addItems({"Converted", "Converted"}).size(), 2);
    showView(Enums::History);
    QCOMPARE(history()->rowCount(), 2);
    QVERIFY(button->isEnabled());
    QCOMPARE(button->text(), QStringLiteral("Clear history"));
    QCOMPARE(m_window->header()->convertedButton()->badge()->text(), QStringLiteral("2"));

    HttpStubServer server;
    QVERIFY(server.listen());
    MetricSender::init(QStringLiteral("device"), QStringLiteral("15"), QStringLiteral("1.0"), true,
                       server.baseUrl(), 50);

    // No keeps the history.
    const auto asked = std::make_shared<bool>(false);
    MessageBoxInput::pressButton(AnswerNo, [asked](KelMessageBox *) { *asked = true; });
    WindowInput::click(button);
    QTRY_VERIFY(*asked);
    QTRY_VERIFY(!QApplication::activeModalWidget());
    QCoreApplication::processEvents();
    QCOMPARE(history()->rowCount(), 2);

    // The window takes clicks again once its blocked shade has faded.
    const auto overlays = m_window->findChildren<KelWindowBlockedOverlay *>();
    QTRY_VERIFY(std::all_of(overlays.begin(), overlays.end(),
                            [](QWidget *overlay) { return overlay->isHidden(); }));
    MessageBoxInput::pressButton(AnswerYes);
    WindowInput::click(button);
    QTRY_COMPARE(history()->rowCount(), 0);
    MetricSender::flush();
    MetricSender::setEnabled(false);
    const QString sent = server.requests().join(QLatin1Char('\n'));
    QVERIFY2(sent.contains(QStringLiteral("clhst")), qPrintable(sent));
    QVERIFY(!button->isEnabled());
    QCOMPARE(button->text(), QStringLiteral("Convertation history is empty"));
    QCOMPARE(m_window->header()->convertedButton()->badge()->text(), QStringLiteral("0"));
}

void tst_MainWindow::abortAllAsks()
{
    const QList<VideoItemPtr> items = addItems({"Scheduled*", "Scheduled*"});
    QCOMPARE(items.size(), 2);
    MessageBoxInput::pressButton(AnswerNo);
    emit m_window->footer()->abortAllClicked();
    QCOMPARE(items.at(0)->state(), VideoItem::Scheduled);

    MessageBoxInput::pressButton(AnswerYes);
    emit m_window->footer()->abortAllClicked();
    QTRY_COMPARE(items.at(0)->state(), VideoItem::Imported);
    QTRY_COMPARE(items.at(1)->state(), VideoItem::Imported);
}

void tst_MainWindow::placardHidesWhileFilesAreDraggedOver()
{
    const MessageLog log;
    DropIndicator *placard = m_window->queuePlaceholder();
    CardsList *list = m_window->queueList();
    QVERIFY(placard->isVisible());
    QCOMPARE(placard->size(), list->size());

    // The arrow points at the Add file button.
    const QPoint anchor = m_window->header()->addButtonAnchor();
    QCOMPARE(placard->mapToGlobal(placard->hintPoint()).x(), anchor.x());

    QWindow *window = m_window->windowHandle();
    const QPoint over = list->mapTo(m_window, list->rect().center());
    QMimeData clip;
    clip.setUrls({QUrl::fromLocalFile(m_clip)});
    QWindowSystemInterface::handleDrag(window, &clip, over, Qt::CopyAction, Qt::LeftButton,
                                       Qt::NoModifier);
    QVERIFY(list->layoutDnd()->isDropAllowed());
    QVERIFY(placard->isHidden());

    QWindowSystemInterface::handleDrag(window, nullptr, QPoint(), Qt::IgnoreAction, Qt::NoButton,
                                       Qt::NoModifier);
    QVERIFY(!list->layoutDnd()->isDropAllowed());
    QVERIFY(placard->isVisible());

    // Only readable media are taken: anything else is refused at enter.
    QMimeData text;
    text.setUrls({QUrl::fromLocalFile(m_media.path(QStringLiteral("notes.txt")))});
    QWindowSystemInterface::handleDrag(window, &text, over, Qt::CopyAction, Qt::LeftButton,
                                       Qt::NoModifier);
    QVERIFY(!list->layoutDnd()->isDropAllowed());
    QVERIFY(placard->isVisible());
    QWindowSystemInterface::handleDrag(window, nullptr, QPoint(), Qt::IgnoreAction, Qt::NoButton,
                                       Qt::NoModifier);

    // A drop adds the file, and the placard stays away.
    QWindowSystemInterface::handleDrag(window, &clip, over, Qt::CopyAction, Qt::LeftButton,
                                       Qt::NoModifier);
    QWindowSystemInterface::handleDrop(window, &clip, over, Qt::CopyAction, Qt::LeftButton,
                                       Qt::NoModifier);
    QCOMPARE(queue()->rowCount(), 1);
    QTRY_VERIFY(placard->isHidden());
    QVERIFY(log.messages().filter(QStringLiteral("setCreateOnlyVisibleItems")).isEmpty());
}

void tst_MainWindow::unreadableFilesBecomeFailedCards()
{
    emit m_window->header()->addFiles({QUrl::fromLocalFile(m_broken)}, -1);
    QCOMPARE(queue()->rowCount(), 1);
    const VideoItemPtr item = queueItems().first();
    QTRY_COMPARE(item->state(), VideoItem::ImportFailed);
    Card *card = m_window->queueList()->findCard(item->id());
    QVERIFY(card);
    QVERIFY(card->isVisible());
}

void tst_MainWindow::runningItemIsFoundFarDownTheQueue()
{
    QStringList states;
    for (int i = 0; i < 12; ++i)
        states << QStringLiteral("Imported");
    states.last() = QStringLiteral("Converting");
    const QList<VideoItemPtr> items = addItems(states);
    QCOMPARE(items.size(), states.size());
    CardsList *list = m_window->queueList();
    // Every queue card exists, the far one included, once the list has
    // taken the new rows.
    QTRY_VERIFY(list->findCard(items.last()->id()));
    Card *running = list->findCard(items.last()->id());
    // Cards still waiting for their pass would push it down after the
    // scroll; looking each up builds it now.
    for (const VideoItemPtr &item : items)
        QVERIFY(list->findCard(item->id()));
    // Laid out on the next pass of the event loop.
    QTRY_VERIFY(!list->visibleWidgetRect().intersects(running->geometry()));

    // The footer runs; a press on it brings the running card into view.
    QVERIFY(!m_window->footer()->progressBar()->isHidden());
    // In the footer's top margin, away from the window's resize borders.
    MainFooter *footer = m_window->footer();
    const QPoint onFooter = footer->mapTo(m_window, QPoint(footer->width() / 2, 3));
    QTest::mousePress(m_window->windowHandle(), Qt::LeftButton, Qt::NoModifier, onFooter);
    QTest::mouseRelease(m_window->windowHandle(), Qt::LeftButton, Qt::NoModifier, onFooter);
    QTRY_VERIFY(list->visibleWidgetRect().contains(running->geometry()));
    items.last()->setState(VideoItem::Imported);
}

void tst_MainWindow::farCardsAreBuiltNearTheView()
{
    const QList<VideoItemPtr> items = addItems(QVector<QString>(24, "Imported").toList());
    QCOMPARE(items.size(), 24);
    CardsList *list = m_window->queueList();
    // Each row's card, as the list holds it: not through findCard, which
    // completes the card it hands out.
    auto cardOf = [list](const VideoItemPtr &item) -> Card * {
        for (const QPointer<KelButton> &button : list->buttonGroup()->buttons()) {
            auto *card = qobject_cast<Card *>(button.data());
            if (card && card->videoItem() == item)
                return card;
        }
        return nullptr;
    };
    QTRY_VERIFY(cardOf(items.last()));
    Card *first = cardOf(items.first());
    Card *last = cardOf(items.last());
    QTRY_VERIFY(first->findChild<QWidget *>(QStringLiteral("MidConvert")));
    QTRY_VERIFY(last->y() > list->visibleWidgetRect().bottom() + list->viewport()->height());

    // Far below the view it is the bare button, at a complete card's size.
    QVERIFY(last->findChildren<QWidget *>().isEmpty());
    QCOMPARE(last->sizeHint().height(), first->sizeHint().height());
    QCOMPARE(last->minimumSizeHint().height(), first->minimumSizeHint().height());
    // Looked up, a card is complete wherever it is.
    Card *far = cardOf(items.at(20));
    QVERIFY(far->findChildren<QWidget *>().isEmpty());
    QCOMPARE(list->findCard(items.at(20)->id()), far);
    QVERIFY(far->findChild<QWidget *>(QStringLiteral("MidConvert")));

    // Its item goes on meanwhile; brought into view, the card shows its
    // present state.
    items.last()->setState(VideoItem::ConvertFailed);
    list->verticalScrollBar()->setValue(list->verticalScrollBar()->maximum());
    QTRY_VERIFY(last->findChild<KelIconLabel *>(QStringLiteral("BottomMessage")));
    auto *message = last->findChild<KelIconLabel *>(QStringLiteral("BottomMessage"));
    QTRY_VERIFY(message->isVisible());
    QCOMPARE(message->text(), QStringLiteral("Convert failed"));
    QVERIFY(last->findChild<QWidget *>(QStringLiteral("MidRestart"))->isVisible());
}

void tst_MainWindow::windowOwnsTheSharedFontsMenu()
{
    GlobalFamiliesMenu *menu = FontsCombo::sharedMenu();
    QVERIFY(menu);
    QCOMPARE(menu->parent(), m_window);
    QCOMPARE(menu->filterField()->placeholderText(), QStringLiteral("Start typing to filter fonts"));

    // The next window makes its own menu instead of finding a dead one.
    delete m_window;
    m_window = nullptr;
    QVERIFY(!FontsCombo::sharedMenu());
    init();
    QVERIFY(FontsCombo::sharedMenu());
    QCOMPARE(FontsCombo::sharedMenu()->parent(), m_window);
}

int main(int argc, char **argv)
{
    Application app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    AppServicesFixture services(app);
    kelUi();
    tst_MainWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_mainwindow.moc"

#include "application.h"
#include "kelui.h"
#include "ui/mainwindow/mainfooter.h"
#include "ui/mainwindow/mainheader.h"
#include "ui/mainwindow/maintitlebar.h"
#include "ui/progressbar.h"
#include "ui/widgets/badgedbutton.h"
#include "ui/widgets/postactionscombo.h"
#include "waitbound.h"
#include "widgets/kelexclusivebuttongroup.h"
#include "widgets/keliconlabel.h"
#include "windows/kelnativewindowutils.h"
#include "windows/kelwindow.h"

#include "appservicesfixture.h"
#include "filedialoginput.h"
#include "mediafixtures.h"
#include "windowinput.h"

#include <QFileDialog>
#include <QtTest>

namespace {

// "Imported=2 Scheduled=1" into a counters map.
VideoItem::StateCountersMap counters(const QString &text)
{
    VideoItem::StateCountersMap map;
    const QMetaEnum states = QMetaEnum::fromType<VideoItem::State>();
    for (const QString &pair : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QStringList parts = pair.split(QLatin1Char('='));
        map.insert(VideoItem::State(states.keyToValue(qPrintable(parts.at(0)))),
                   parts.at(1).toInt());
    }
    return map;
}

} // namespace

class tst_MainBars : public QObject
{
    Q_OBJECT

private slots:
    void footerFollowsCounters_data();
    void footerFollowsCounters();
    void footerPressShowsRunningItemOnlyWhileRunning();
    void footerPauseIsSetSilently();
    void runningFooterKeepsTheWindowWidth();
    void headerBadges_data();
    void headerBadges();
    void addFile();
    void titleAndButtons();
    void maintenanceButtonFollowsTheMode();
};

void tst_MainBars::footerFollowsCounters_data()
{
    QTest::addColumn<QString>("counters");
    QTest::addColumn<bool>("running");
    QTest::addColumn<bool>("pauseChecked");
    QTest::addColumn<QString>("cancelBadge");
    QTest::addColumn<bool>("convertEnabled");
    QTest::addColumn<QString>("convertBadge");
    QTest::addColumn<bool>("pausedLook");
    QTest::addColumn<QString>("counter"); // done and total, empty when hidden

    QTest::newRow("two scheduled, both paused")
            << "Scheduled=2 Paused=2" << true << true << "2" << false << "" << true << "0/2";
    QTest::newRow("one running, one paused, two done")
            << "Converting=1 Scheduled=1 Paused=1 Converted=1 ConvertFailed=1 Imported=1" << true
            << false << "2" << true << "1" << false << "2/4";
    QTest::newRow("nothing active, nothing imported")
            << "Converted=3" << false << true << "" << false << "" << true << "3/3";
    QTest::newRow("imported only")
            << "Imported=3" << false << true << "" << true << "3" << true << "";
}

void tst_MainBars::footerFollowsCounters()
{
    QFETCH(QString, counters);
    QFETCH(bool, running);
    QFETCH(bool, pauseChecked);
    QFETCH(QString, cancelBadge);
    QFETCH(bool, convertEnabled);
    QFETCH(QString, convertBadge);
    QFETCH(bool, pausedLook);
    QFETCH(QString, counter);

    MainFooter footer;
    footer.updateCounters(::counters(counters));

    const QWidget *settings = footer.findChild<QWidget *>(QStringLiteral("SettingsBox"));
    QVERIFY(settings);
    QCOMPARE(settings->isHidden(), running);
    QCOMPARE(footer.convertButton()->isHidden(), running);
    QCOMPARE(footer.progressBar()->isHidden(), !running);
    QCOMPARE(footer.pauseButton()->isHidden(), !running);
    QCOMPARE(footer.cancelButton()->isHidden(), !running);
    QVERIFY(!footer.postActionsCombo()->isHidden());

    QCOMPARE(footer.pauseButton()->isChecked(), pauseChecked);
    QCOMPARE(footer.pauseButton()->isEnabled(), running);
    QCOMPARE(footer.cancelButton()->isEnabled(), running);
    QCOMPARE(footer.cancelButton()->badge()->text(), cancelBadge);
    QCOMPARE(footer.convertButton()->isEnabled(), convertEnabled);
    QCOMPARE(footer.convertButton()->badge()->text(), convertBadge);
    QCOMPARE(footer.progressBar()->state() == ProgressBar::Paused, pausedLook);
    const KelIconLabel *label = footer.progressBar()->counterLabel();
    QCOMPARE(label->text() + label->secondText(), counter);
}

void tst_MainBars::footerPressShowsRunningItemOnlyWhileRunning()
{
    QWidget window;
    auto *footer = new MainFooter(&window);
    window.resize(1100, footer->sizeHint().height());
    footer->resize(window.size());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window, WaitBound::ms()));
    QSignalSpy show(footer, &MainFooter::requestShowCurrentItem);

    const QPoint corner(3, 3);
    QTest::mouseClick(window.windowHandle(), Qt::LeftButton, Qt::NoModifier, corner);
    QCOMPARE(show.count(), 0);

    footer->updateCounters(counters(QStringLiteral("Converting=1")));
    QTest::mouseClick(window.windowHandle(), Qt::LeftButton, Qt::NoModifier, corner);
    QCOMPARE(show.count(), 1);
}

void tst_MainBars::footerPauseIsSetSilently()
{
    MainFooter footer;
    QSignalSpy pauses(&footer, &MainFooter::pauseAllToggled);
    footer.updateCounters(counters(QStringLiteral("Converting=1 Paused=1")));
    QVERIFY(footer.pauseButton()->isChecked());
    footer.updateCounters(counters(QStringLiteral("Converting=1")));
    QVERIFY(!footer.pauseButton()->isChecked());
    QCoreApplication::processEvents();
    QCOMPARE(pauses.count(), 0);
}

void tst_MainBars::runningFooterKeepsTheWindowWidth()
{
    MainFooter footer;
    footer.updateCounters(counters(QStringLiteral("Imported=1")));
    const int idle = footer.minimumSizeHint().width();
    footer.updateCounters(counters(QStringLiteral("Converting=1 Imported=1")));
    footer.setProgress(500, QTime(1, 2, 3));
    QVERIFY2(footer.minimumSizeHint().width() <= idle,
             qPrintable(QStringLiteral("%1 > %2").arg(footer.minimumSizeHint().width()).arg(idle)));
}

void tst_MainBars::headerBadges_data()
{
    QTest::addColumn<QString>("counters");
    QTest::addColumn<QString>("queueBadge");
    QTest::addColumn<QString>("convertedSecond");

    QTest::newRow("empty") << ""
                           << "0"
                           << "";
    QTest::newRow("paused and converted left out")
            << "Imported=2 Scheduled=2 Paused=1 Converted=3 ConvertFailed=1"
            << "5"
            << "+3";
    QTest::newRow("no converted") << "Importing=1 Imported=1"
                                  << "2"
                                  << "";
}

void tst_MainBars::headerBadges()
{
    QFETCH(QString, counters);
    QFETCH(QString, queueBadge);
    QFETCH(QString, convertedSecond);

    MainHeader header;
    header.updateCounters(::counters(counters));
    header.setHistoryCount(7);
    QCOMPARE(header.queueButton()->badge()->text(), queueBadge);
    QCOMPARE(header.convertedButton()->badge()->secondText(), convertedSecond);
    QCOMPARE(header.convertedButton()->badge()->text(), QStringLiteral("7"));
}

void tst_MainBars::addFile()
{
    MediaFixtures media;
    QVERIFY(media.isValid());
    MediaFixtures::Clip clip;
    clip.frames = 5;
    const QString path = media.make(QStringLiteral("clip.mp4"), clip);
    QVERIFY(!path.isEmpty());

    QWidget window;
    auto *header = new MainHeader(&window);
    window.resize(900, header->sizeHint().height());
    header->resize(window.size());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window, WaitBound::ms()));

    // In the Converted view first.
    QSignalSpy views(header, &MainHeader::viewModeToggled);
    WindowInput::click(header->convertedButton());
    QTRY_COMPARE(views.count(), 1);
    QCOMPARE(views.takeFirst().at(0).value<Enums::ListViewMode>(), Enums::History);

    // A cancelled chooser changes nothing.
    QSignalSpy adds(header, &MainHeader::addFiles);
    FileDialogInput::whenShown([](QFileDialog *dialog) { dialog->reject(); });
    WindowInput::click(header->addButton());
    QTRY_VERIFY(!QApplication::activeModalWidget());
    QCoreApplication::processEvents();
    QCOMPARE(adds.count(), 0);
    QCOMPARE(views.count(), 0);

    // A chosen file switches to the queue first, then is appended.
    QList<int> order;
    connect(header, &MainHeader::viewModeToggled, this, [&order] { order << 1; });
    connect(header, &MainHeader::addFiles, this, [&order] { order << 2; });
    FileDialogInput::whenShown([path](QFileDialog *dialog) {
        dialog->selectFile(path);
        static_cast<QDialog *>(dialog)->accept();
    });
    WindowInput::click(header->addButton());
    QTRY_COMPARE(adds.count(), 1);
    QCOMPARE(adds.first().at(0).value<QList<QUrl>>(), QList<QUrl>{QUrl::fromLocalFile(path)});
    QCOMPARE(adds.first().at(1).toInt(), -1);
    QCOMPARE(views.count(), 1);
    QCOMPARE(views.first().at(0).value<Enums::ListViewMode>(), Enums::Queue);
    QCOMPARE(order, (QList<int>{1, 2}));
}

void tst_MainBars::titleAndButtons()
{
    KelWindow window(KelWindow::WindowButtons);
    auto *titlebar = new MainTitlebar(&window);
    titlebar->translateUi();
    QCOMPARE(window.windowTitle(),
             QStringLiteral("Corvina Reelmorph ") + QCoreApplication::applicationVersion());
    QVERIFY(titlebar->updateButton()->isHidden());
    QVERIFY(titlebar->helpButton()->isHidden());
    QVERIFY(!titlebar->settingsButton()->isHidden());

    emit static_cast<Application *>(QCoreApplication::instance())->updateAvalible();
    QVERIFY(!titlebar->updateButton()->isHidden());
    QVERIFY(titlebar->helpButton()->isHidden());

    // The buttons take clicks: none of them is caption to drag the window by.
    window.resize(800, 500);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window, WaitBound::ms()));
    KelNativeWindowUtils *utils = window.nativeWindowUtils();
    QVERIFY(utils);
    for (KelButton *button : {titlebar->updateButton(), titlebar->settingsButton()}) {
        const QPoint centre = button->mapTo(&window, button->rect().center());
        QCOMPARE(utils->hitTest(centre.x(), centre.y()), KelNativeWindowUtils::HitClient);
    }
}

void tst_MainBars::maintenanceButtonFollowsTheMode()
{
    KelWindow window(KelWindow::WindowButtons);
    auto *titlebar = new MainTitlebar(&window);
    KelButton *button = titlebar->maintenanceButton();
    QVERIFY(button->isHidden());
    QSignalSpy clicks(button, &KelButton::clicked);

    kelUi()->setMaintenanceMode(true);
    QVERIFY(!button->isHidden());
    QCOMPARE(clicks.count(), 1);

    kelUi()->setMaintenanceMode(false);
    QVERIFY(button->isHidden());
    QCOMPARE(clicks.count(), 1);

    // Made while the mode is on, it shows from the start.
    kelUi()->setMaintenanceMode(true);
    KelWindow other(KelWindow::WindowButtons);
    auto *second = new MainTitlebar(&other);
    QVERIFY(!second->maintenanceButton()->isHidden());
    kelUi()->setMaintenanceMode(false);
}

int main(int argc, char **argv)
{
    Application app(argc, argv);
    app.initFormats();
    AppServicesFixture services(app);
    kelUi();
    tst_MainBars test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_mainbars.moc"

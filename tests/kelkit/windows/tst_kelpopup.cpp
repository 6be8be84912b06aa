#include "kelapplication.h"
#include "waitbound.h"
#include "widgets/kelbutton.h"
#include "windows/kelpopup.h"
#include "windows/keltitlebar.h"
#include "windows/platform/popuppressreplay.h"

#include "../offscreenleak.h"
#include "popupinput.h"

#include <QCloseEvent>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QVBoxLayout>
#include <QtTest>

#include <memory>

namespace {

const KelWindow::WindowParams Framed = KelWindow::Movable | KelWindow::Resizable
        | KelWindow::WindowButtons | KelWindow::MaximizeButton;

// Records every mouse event it gets and takes them all.
class MouseProbe : public QWidget
{
public:
    struct Record
    {
        QEvent::Type type;
        Qt::MouseButton button;
        QPoint pos;
        QPoint globalPos;
    };

    MouseProbe() { setMouseTracking(true); }

    QVector<Record> records;

    QVector<Record> recordsOf(QEvent::Type type) const
    {
        QVector<Record> found;
        for (const Record &record : records) {
            if (record.type == type)
                found.append(record);
        }
        return found;
    }

protected:
    bool event(QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove: {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            records.append({event->type(), mouse->button(), mouse->pos(), mouse->globalPos()});
            event->accept();
            return true;
        }
        default:
            return QWidget::event(event);
        }
    }
};

// Counts the presses a native window gets.
class PressCounter : public QObject
{
public:
    int presses = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::MouseButtonPress)
            ++presses;
        return false;
    }
};

class RefusingPopup : public KelPopup
{
public:
    using KelPopup::KelPopup;
    int closeAttempts = 0;

protected:
    void closeEvent(QCloseEvent *event) override
    {
        ++closeAttempts;
        event->ignore();
    }
};

std::unique_ptr<KelPopup> makePopup(const QRect &geometry, QWidget *parent = nullptr)
{
    auto popup = std::make_unique<KelPopup>(5, KelWindow::WindowParams(), parent);
    popup->centralWidget()->setMinimumSize(geometry.size());
    popup->setGeometry(geometry);
    return popup;
}

// A framework window with a button and a probe, a plain window below it and
// a popup beside them, none overlapping another.
struct Scene
{
    Scene() : main(Framed)
    {
        main.setGeometry(20, 20, 360, 240);
        auto *layout = new QVBoxLayout(main.centralWidget());
        button = new KelButton(-1);
        button->setText(QStringLiteral("Button"));
        button->setFixedSize(120, 40);
        layout->addWidget(button);
        probe = new MouseProbe;
        probe->setFixedSize(120, 40);
        layout->addWidget(probe);
        plain.setGeometry(20, 320, 200, 100);
        popup = makePopup(QRect(450, 20, 150, 100));
        main.show();
        plain.show();
    }

    bool exposed()
    {
        return QTest::qWaitForWindowExposed(&main, WaitBound::ms())
                && QTest::qWaitForWindowExposed(&plain, WaitBound::ms());
    }

    bool openPopup(KelPopup *which)
    {
        which->show();
        return QTest::qWaitForWindowExposed(which, WaitBound::ms())
                && QApplication::activePopupWidget() == which;
    }

    QPoint caption() const { return main.titleBar()->mapToGlobal(QPoint(60, 12)); }

    KelWindow main;
    QWidget plain;
    KelButton *button = nullptr;
    MouseProbe *probe = nullptr;
    std::unique_ptr<KelPopup> popup;
};

} // namespace

class tst_KelPopup : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void pressOutsideCloses_data();
    void pressOutsideCloses();
    void closingPressIsReplayedWhereThePlatformDoesNot_data();
    void closingPressIsReplayedWhereThePlatformDoesNot();
    void replayedPressClicksTheButtonBelow();
    void replayedCaptionPressMovesTheWindow();
    void openingButtonGetsTheReleaseOfItsClick();
    void hidingReleasesHeldButtonsLastFirst();
    void forwardedEventsArriveInTheReceiversCoordinates();
    void doubleClickIsFollowedByItsRelease_data();
    void doubleClickIsFollowedByItsRelease();
    void escapeClosesOnlyThisPopup();
    void closeActivePopupsGivesUp();
};

void tst_KelPopup::cleanup()
{
    KelPopup::closeActivePopups();
    KelPlatform::setPlatformReplaysPopupPressOverride(-1);
    QTRY_COMPARE(QGuiApplication::mouseButtons(), Qt::NoButton);
}

void tst_KelPopup::pressOutsideCloses_data()
{
    QTest::addColumn<QString>("place");
    QTest::addColumn<bool>("closedAtOnce");
    QTest::addColumn<bool>("closedAfterPass");

    // The window still gets a caption press and moves from it.
    QTest::newRow("framework window's title bar") << "caption" << false << true;
    QTest::newRow("framework window's client area") << "client" << true << true;
    QTest::newRow("window of another kind") << "plain" << true << true;
    QTest::newRow("no window") << "nowhere" << true << true;
    QTest::newRow("another popup") << "other popup" << false << false;
}

void tst_KelPopup::pressOutsideCloses()
{
    QFETCH(QString, place);
    QFETCH(bool, closedAtOnce);
    QFETCH(bool, closedAfterPass);

    Scene scene;
    QVERIFY(scene.exposed());
    const auto other = makePopup(QRect(450, 200, 150, 100));
    QVERIFY(scene.openPopup(other.get()));
    QVERIFY(scene.openPopup(scene.popup.get()));

    const QMap<QString, QPoint> points{
            {QStringLiteral("caption"), scene.caption()},
            {QStringLiteral("client"), PopupInput::centreOf(scene.button)},
            {QStringLiteral("plain"), PopupInput::centreOf(&scene.plain)},
            {QStringLiteral("nowhere"), QPoint(700, 500)},
            {QStringLiteral("other popup"), PopupInput::centreOf(other.get())},
    };
    const QPoint at = points.value(place);
    PopupInput::move(at);
    PopupInput::press(at);
    QCOMPARE(scene.popup->isVisible(), !closedAtOnce);
    QCOMPARE(other->isVisible(), !closedAtOnce);
    QCoreApplication::processEvents();
    QCOMPARE(scene.popup->isVisible(), !closedAfterPass);
    QCOMPARE(other->isVisible(), !closedAfterPass);
    PopupInput::release(at);
}

void tst_KelPopup::closingPressIsReplayedWhereThePlatformDoesNot_data()
{
    QTest::addColumn<int>("platformReplays");
    QTest::addColumn<QString>("place");
    QTest::addColumn<int>("windowPresses");

    QTest::newRow("client area") << 0 << "client" << 1;
    QTest::newRow("caption, after the deferred close") << 0 << "caption" << 1;
    QTest::newRow("watched widget: forwarded, nothing closes") << 0 << "watched" << 0;
    QTest::newRow("grabber: forwarded, nothing closes") << 0 << "grabber" << 0;
    QTest::newRow("platform replays itself") << 1 << "client" << 0;
}

void tst_KelPopup::closingPressIsReplayedWhereThePlatformDoesNot()
{
    QFETCH(int, platformReplays);
    QFETCH(QString, place);
    QFETCH(int, windowPresses);

    KelPlatform::setPlatformReplaysPopupPressOverride(platformReplays);
    Scene scene;
    QVERIFY(scene.exposed());
    scene.popup->addWatchedWidget(scene.probe);
    if (place == QLatin1String("grabber"))
        scene.probe->grabMouse();
    QVERIFY(scene.openPopup(scene.popup.get()));
    PressCounter counter;
    scene.main.windowHandle()->installEventFilter(&counter);

    const QPoint at = place == QLatin1String("caption") ? scene.caption()
            : place == QLatin1String("client")          ? PopupInput::centreOf(scene.button)
                                                        : PopupInput::centreOf(scene.probe);
    PopupInput::move(at);
    PopupInput::press(at);
    // The deferred close, then the replay it posts.
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    QCOMPARE(counter.presses, windowPresses);
    const bool forwarded = place == QLatin1String("watched") || place == QLatin1String("grabber");
    QCOMPARE(scene.popup->isVisible(), forwarded);
    QCOMPARE(scene.probe->recordsOf(QEvent::MouseButtonPress).size(), forwarded ? 1 : 0);
    PopupInput::release(at);
    scene.probe->releaseMouse();
}

void tst_KelPopup::replayedPressClicksTheButtonBelow()
{
    KelPlatform::setPlatformReplaysPopupPressOverride(0);
    // The pointer rests where the button comes up: no enter reaches the
    // button before the press.
    const QPoint at = [] {
        Scene layout;
        layout.main.layout()->activate();
        layout.main.centralWidget()->layout()->activate();
        return PopupInput::centreOf(layout.button);
    }();
    PopupInput::move(at);
    Scene scene;
    QVERIFY(scene.exposed());
    QCOMPARE(PopupInput::centreOf(scene.button), at);
    QVERIFY(scene.openPopup(scene.popup.get()));
    QSignalSpy clicked(scene.button, &KelButton::clicked);

    PopupInput::move(at);
    PopupInput::press(at);
    QVERIFY(!scene.popup->isVisible());
    QTRY_VERIFY(scene.button->isPressed());
    PopupInput::release(at);
    QVERIFY(clicked.wait(WaitBound::ms()));
    QCOMPARE(clicked.count(), 1);
}

void tst_KelPopup::replayedCaptionPressMovesTheWindow()
{
    KelPlatform::setPlatformReplaysPopupPressOverride(0);
    Scene scene;
    QVERIFY(scene.exposed());
    QVERIFY(scene.openPopup(scene.popup.get()));
    QSignalSpy started(&scene.main, &KelWindow::moveByUserStarted);
    const QPoint before = scene.main.pos();

    const QPoint at = scene.caption();
    PopupInput::move(at);
    PopupInput::press(at);
    QTRY_VERIFY(!scene.popup->isVisible());
    QCoreApplication::processEvents();
    // Past the drag threshold the move starts; from there the window follows.
    PopupInput::move(at + QPoint(6, 0));
    QCOMPARE(started.count(), 1);
    PopupInput::move(at + QPoint(106, 40));
    PopupInput::release(at + QPoint(106, 40));
    QTRY_COMPARE(scene.main.pos(), before + QPoint(100, 40));
}

void tst_KelPopup::openingButtonGetsTheReleaseOfItsClick()
{
    Scene scene;
    QVERIFY(scene.exposed());
    QSignalSpy clicked(scene.button, &KelButton::clicked);

    const QPoint at = PopupInput::centreOf(scene.button);
    PopupInput::move(at);
    PopupInput::press(at);
    QVERIFY(scene.button->isPressed());
    // Opened by the press, as a button that opens on press does.
    const auto popup = makePopup(QRect(450, 20, 150, 100), scene.button);
    QVERIFY(scene.openPopup(popup.get()));
    PopupInput::release(at);
    QVERIFY(clicked.wait(WaitBound::ms()));
    QVERIFY(!scene.button->isPressed());
    QVERIFY(popup->isVisible());
}

void tst_KelPopup::hidingReleasesHeldButtonsLastFirst()
{
    Scene scene;
    QVERIFY(scene.exposed());
    scene.popup->addWatchedWidget(scene.probe);
    QVERIFY(scene.openPopup(scene.popup.get()));

    const QPoint at = PopupInput::centreOf(scene.probe);
    QCursor::setPos(at);
    PopupInput::move(at);
    PopupInput::press(at, Qt::LeftButton);
    PopupInput::press(at, Qt::RightButton);
    QCOMPARE(scene.probe->recordsOf(QEvent::MouseButtonPress).size(), 2);

    scene.popup->hide();
    const auto releases = scene.probe->recordsOf(QEvent::MouseButtonRelease);
    QCOMPARE(releases.size(), 2);
    QCOMPARE(releases.at(0).button, Qt::RightButton);
    QCOMPARE(releases.at(1).button, Qt::LeftButton);
    QCOMPARE(releases.at(0).pos, scene.probe->mapFromGlobal(QCursor::pos()));
    PopupInput::release(at, Qt::RightButton);
    PopupInput::release(at, Qt::LeftButton);
}

void tst_KelPopup::forwardedEventsArriveInTheReceiversCoordinates()
{
    Scene scene;
    QVERIFY(scene.exposed());
    scene.probe->grabMouse();
    QVERIFY(scene.openPopup(scene.popup.get()));

    const QPoint at = PopupInput::centreOf(scene.probe) + QPoint(7, 3);
    PopupInput::move(at);
    PopupInput::press(at);
    PopupInput::move(at + QPoint(2, 1));
    PopupInput::release(at + QPoint(2, 1));
    PopupInput::doubleClick(at);
    scene.probe->releaseMouse();

    QVector<QEvent::Type> types;
    for (const MouseProbe::Record &record : qAsConst(scene.probe->records)) {
        types.append(record.type);
        QCOMPARE(record.pos, scene.probe->mapFromGlobal(record.globalPos));
    }
    QVERIFY(types.contains(QEvent::MouseMove));
    QVERIFY(types.contains(QEvent::MouseButtonPress));
    QVERIFY(types.contains(QEvent::MouseButtonRelease));
    QVERIFY(types.contains(QEvent::MouseButtonDblClick));
    QCOMPARE(scene.probe->records.first().pos, scene.probe->mapFromGlobal(at));
    QVERIFY(scene.popup->isVisible());
}

void tst_KelPopup::doubleClickIsFollowedByItsRelease_data()
{
    QTest::addColumn<bool>("grabber");
    QTest::newRow("watched widget") << false;
    QTest::newRow("mouse grabber") << true;
}

void tst_KelPopup::doubleClickIsFollowedByItsRelease()
{
    QFETCH(bool, grabber);

    Scene scene;
    QVERIFY(scene.exposed());
    if (grabber)
        scene.probe->grabMouse();
    else
        scene.popup->addWatchedWidget(scene.probe);
    QVERIFY(scene.openPopup(scene.popup.get()));

    const QPoint at = PopupInput::centreOf(scene.probe);
    PopupInput::move(at);
    scene.probe->records.clear();
    PopupInput::doubleClick(at);
    scene.probe->releaseMouse();

    QVector<QEvent::Type> types;
    for (const MouseProbe::Record &record : qAsConst(scene.probe->records)) {
        if (record.type != QEvent::MouseMove)
            types.append(record.type);
    }
    // Qt sends no second press, only the double click.
    const QVector<QEvent::Type> expected{QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                                         QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease};
    QCOMPARE(types, expected);
}

void tst_KelPopup::escapeClosesOnlyThisPopup()
{
    Scene scene;
    QVERIFY(scene.exposed());
    const auto inner = makePopup(QRect(450, 200, 150, 100));
    QVERIFY(scene.openPopup(scene.popup.get()));
    QVERIFY(scene.openPopup(inner.get()));

    QTest::keyClick(scene.popup->windowHandle(), Qt::Key_Escape);
    QVERIFY(!inner->isVisible());
    QVERIFY(scene.popup->isVisible());
    QTest::keyClick(scene.popup->windowHandle(), Qt::Key_Escape);
    QVERIFY(!scene.popup->isVisible());
}

void tst_KelPopup::closeActivePopupsGivesUp()
{
    RefusingPopup popup(5);
    popup.setGeometry(450, 20, 150, 100);
    popup.show();
    QVERIFY(QTest::qWaitForWindowExposed(&popup, WaitBound::ms()));

    QTest::ignoreMessage(QtWarningMsg, "Popups still open after 1024 attempts to close them");
    KelPopup::closeActivePopups();
    QCOMPARE(popup.closeAttempts, 1024);
    QVERIFY(popup.isVisible());
    popup.hide();
}

int main(int argc, char **argv)
{
    KelApplication app(argc, argv);
    tst_KelPopup test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_kelpopup.moc"

#include "kelapplication.h"
#include "kelui.h"
#include "styles/kelstyle.h"
#include "waitbound.h"
#include "widgets/kelbutton.h"
#include "widgets/kellabel.h"
#include "windows/kelnotificationmanager.h"
#include "windows/kelwindow.h"

#include "../offscreenleak.h"
#include "linkcatcher.h"
#include "manualanimationdriver.h"
#include "windowinput.h"

#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <QtTest>

#include <memory>

namespace {

QRect availableArea()
{
    return QGuiApplication::primaryScreen()->availableGeometry();
}

QMargins screenDistance()
{
    return kelStyle()->margins(KelStyle::MG_Notification_ScreenDistance);
}

KelWindow *toastWindow(int id)
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *widget : windows) {
        if (widget->objectName() == QStringLiteral("KelNotificationWindow_%1").arg(id))
            return qobject_cast<KelWindow *>(widget);
    }
    return nullptr;
}

QTimer *hideTimer(int id)
{
    KelWindow *window = toastWindow(id);
    return window ? window->findChild<QTimer *>(QStringLiteral("KelNotificationHideTimer"))
                  : nullptr;
}

} // namespace

class tst_KelNotificationManager : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void toastIsAnOnTopWindowThatTakesNoFocus();
    void toastsStackUpwards();
    void displayTime_data();
    void displayTime();
    void pointerOnTheToastHoldsIt();
    void click_data();
    void click();
    void closeButtonAndLinksHideIt();
    void destructionClosesNewestFirst();

private:
    void finishAnimations() { m_driver->advanceInSteps(1000, 50); }

    std::unique_ptr<ManualAnimationDriver> m_driver;
    std::unique_ptr<KelNotificationManager> m_manager;
};

void tst_KelNotificationManager::init()
{
    m_driver = std::make_unique<ManualAnimationDriver>();
    m_manager = std::make_unique<KelNotificationManager>();
}

void tst_KelNotificationManager::cleanup()
{
    m_manager.reset();
    finishAnimations();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    m_driver.reset();
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *widget : windows)
        QVERIFY2(!widget->objectName().startsWith(QStringLiteral("KelNotificationWindow_")),
                 qPrintable(widget->objectName()));
}

void tst_KelNotificationManager::toastIsAnOnTopWindowThatTakesNoFocus()
{
    // Ids count from 1 for the process.
    QCOMPARE(m_manager->showNotification(QStringLiteral("Title"), QStringLiteral("Text"), 0), 1);
    QCOMPARE(m_manager->showNotification(QStringLiteral("Title"), QStringLiteral("Text"), 0), 2);
    KelWindow *window = toastWindow(2);
    QVERIFY(window);
    QVERIFY(window->isVisible());
    QVERIFY(window->windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(window->windowFlags() & Qt::WindowDoesNotAcceptFocus);
    QCOMPARE(window->windowFlags() & Qt::WindowType_Mask, Qt::Tool);
    QVERIFY(window->testAttribute(Qt::WA_ShowWithoutActivating));
    QCOMPARE(window->focusPolicy(), Qt::NoFocus);
    QCOMPARE(window->styleId(), KelStyle::WT_Notification);
    // The offscreen platform activates every window it shows; that the
    // focus stays where it is shows under a real window manager (the X11
    // toast scenario).
}

void tst_KelNotificationManager::toastsStackUpwards()
{
    const QRect area = availableArea();
    const QMargins margins = screenDistance();
    const int first = m_manager->showNotification(QStringLiteral("One"), QStringLiteral("1"), 0);
    // Shown while the ones before still slide in.
    const int second = m_manager->showNotification(QStringLiteral("Two"), QStringLiteral("2"), 0);
    const int third = m_manager->showNotification(QStringLiteral("Three"), QStringLiteral("3"), 0);
    finishAnimations();

    const QList<KelWindow *> windows{toastWindow(first), toastWindow(second), toastWindow(third)};
    QCOMPARE(windows.at(0)->geometry().bottom(), area.bottom() - margins.bottom());
    for (int i = 0; i < windows.size(); ++i) {
        QCOMPARE(windows.at(i)->geometry().right(), area.right() - margins.right());
        if (i > 0) {
            QCOMPARE(windows.at(i)->geometry().bottom(),
                     windows.at(i - 1)->geometry().top() - margins.bottom());
        }
    }

    // The lowest goes; the next comes above the highest still shown, and
    // the others keep their places.
    const QRect secondPlace = windows.at(1)->geometry();
    QPointer<KelWindow> lowest = windows.at(0);
    m_manager->hide(first);
    finishAnimations();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!lowest);
    const int fourth = m_manager->showNotification(QStringLiteral("Four"), QStringLiteral("4"), 0);
    finishAnimations();
    QCOMPARE(windows.at(1)->geometry(), secondPlace);
    QCOMPARE(toastWindow(fourth)->geometry().bottom(),
             windows.at(2)->geometry().top() - margins.bottom());

    // A passing position that the window manager reports for a toast, as
    // while it takes the window in, does not move the next one.
    const QRect fourthPlace = toastWindow(fourth)->geometry();
    windows.at(1)->move(secondPlace.left(), area.top());
    const int fifth = m_manager->showNotification(QStringLiteral("Five"), QStringLiteral("5"), 0);
    finishAnimations();
    QCOMPARE(toastWindow(fifth)->geometry().bottom(), fourthPlace.top() - margins.bottom());
}

void tst_KelNotificationManager::displayTime_data()
{
    QTest::addColumn<int>("seconds");
    QTest::addColumn<int>("expectedMs");
    const int fade = kelStyle()->metric(KelStyle::M_FadeDuration);
    QTest::newRow("0 s: the accessibility default") << 0 << 5000 + fade;
    QTest::newRow("3 s") << 3 << 3000 + fade;
}

void tst_KelNotificationManager::displayTime()
{
    QFETCH(int, seconds);
    QFETCH(int, expectedMs);
    QCOMPARE(KelNotificationManager::messageDuration(), 5000);

    const int id = m_manager->showNotification(QStringLiteral("T"), QStringLiteral("x"), seconds);
    QTimer *timer = hideTimer(id);
    QVERIFY(timer);
    QCOMPARE(timer->interval(), expectedMs);
    QVERIFY(timer->isActive());

    // When the time is up the toast fades out and goes.
    QPointer<KelWindow> window = toastWindow(id);
    QVERIFY(QMetaObject::invokeMethod(timer, "timeout"));
    finishAnimations();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!window);
}

void tst_KelNotificationManager::pointerOnTheToastHoldsIt()
{
    const int id = m_manager->showNotification(QStringLiteral("T"), QStringLiteral("x"), 0);
    finishAnimations();
    KelWindow *window = toastWindow(id);
    QVERIFY(QTest::qWaitForWindowExposed(window, WaitBound::ms()));
    QTimer *timer = hideTimer(id);
    QVERIFY(timer->isActive());

    WindowInput::enter(window->windowHandle(), window->geometry().center());
    QVERIFY(!timer->isActive());
    WindowInput::leave(window->windowHandle());
    QVERIFY(timer->isActive());
    QVERIFY(timer->remainingTime() > timer->interval() / 2);
}

void tst_KelNotificationManager::click_data()
{
    QTest::addColumn<int>("distance");
    QTest::addColumn<bool>("clicked");
    const int drag = QApplication::startDragDistance();
    QTest::newRow("in place") << 0 << true;
    QTest::newRow("within the drag distance") << drag - 1 << true;
    QTest::newRow("beyond the drag distance") << drag + 1 << false;
}

void tst_KelNotificationManager::click()
{
    QFETCH(int, distance);
    QFETCH(bool, clicked);

    const int id = m_manager->showNotification(QStringLiteral("Title"),
                                               QStringLiteral("A text long enough to press on"), 0);
    finishAnimations();
    KelWindow *window = toastWindow(id);
    QVERIFY(QTest::qWaitForWindowExposed(window, WaitBound::ms()));
    QPointer<KelWindow> guard(window);
    QSignalSpy clicks(m_manager.get(), &KelNotificationManager::clicked);

    // On the text label, which leaves the press to the window.
    auto labels = window->findChildren<KelLabel *>();
    QCOMPARE(labels.size(), 2);
    const QPoint start = labels.at(1)->mapToGlobal(QPoint(10, labels.at(1)->height() / 2));
    WindowInput::enter(window->windowHandle(), start);
    WindowInput::press(window, start);
    WindowInput::move(window, start + QPoint(distance, 0));
    WindowInput::release(window, start + QPoint(distance, 0));

    QCOMPARE(clicks.count(), clicked ? 1 : 0);
    if (clicked)
        QCOMPARE(clicks.at(0).at(0).toInt(), id);
    finishAnimations();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(!guard, clicked);
}

void tst_KelNotificationManager::closeButtonAndLinksHideIt()
{
    LinkCatcher catcher({QStringLiteral("https")});

    const int plain = m_manager->showNotification(QStringLiteral("T"), QStringLiteral("x"), 0);
    const int linked = m_manager->showNotification(
            QStringLiteral("T"), QStringLiteral("<a href='https://example.org/a'>Open it</a>"), 0);
    finishAnimations();
    QPointer<KelWindow> plainWindow = toastWindow(plain);
    QPointer<KelWindow> linkedWindow = toastWindow(linked);
    QVERIFY(QTest::qWaitForWindowExposed(plainWindow, WaitBound::ms()));
    QVERIFY(QTest::qWaitForWindowExposed(linkedWindow, WaitBound::ms()));

    WindowInput::click(plainWindow->findChild<KelButton *>());
    auto *text = linkedWindow->findChildren<KelLabel *>().at(1);
    const QPoint onLink = text->mapToGlobal(QPoint(5, text->height() / 2));
    WindowInput::enter(linkedWindow->windowHandle(), onLink);
    WindowInput::press(linkedWindow, onLink);
    WindowInput::release(linkedWindow, onLink);
    // The button's click comes through the event loop.
    QCoreApplication::processEvents();

    finishAnimations();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!plainWindow);
    QVERIFY(!linkedWindow);
    QCOMPARE(catcher.opened, QList<QUrl>{QUrl(QStringLiteral("https://example.org/a"))});
}

void tst_KelNotificationManager::destructionClosesNewestFirst()
{
    QStringList closed;
    QStringList expected;
    for (int i = 0; i < 3; ++i) {
        const int id = m_manager->showNotification(QStringLiteral("T"), QStringLiteral("x"), 0);
        KelWindow *window = toastWindow(id);
        expected.prepend(window->objectName());
        connect(window, &KelWidget::hided, this,
                [&closed, window] { closed.append(window->objectName()); });
    }
    m_manager.reset();
    QCOMPARE(closed, expected);
}

int main(int argc, char **argv)
{
    KelApplication app(argc, argv);
    tst_KelNotificationManager test;
    const int result = QTest::qExec(&test, argc, argv);
    delete kelUi();
    return result;
}

#include "tst_kelnotificationmanager.moc"

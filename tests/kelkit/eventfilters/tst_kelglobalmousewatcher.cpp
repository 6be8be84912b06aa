#include "eventfilters/kelglobalmousewatcher.h"
#include "eventfilters/platform/globalmousefeed.h"
#include "kelapplication.h"
#include "waitbound.h"

#include "../offscreenleak.h"

#include <QScreen>
#include <QSignalSpy>
#include <QWidget>
#include <QWindow>
#include <QtTest>
#include <qpa/qwindowsysteminterface.h>

#include <memory>

namespace {

QPoint devicePos(QWidget *window, const QPoint &local)
{
    const QScreen *screen = window->screen();
    const QPoint origin = screen->geometry().topLeft();
    return origin + (window->mapToGlobal(local) - origin) * screen->devicePixelRatio();
}

} // namespace

class tst_KelGlobalMouseWatcher : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void pressesReachEveryLiveWatcher_data();
    void pressesReachEveryLiveWatcher();
    void feedExistsOnlyWhileWatchersLive();
    void nonClientPressIsReported();
    void moveToTheSamePositionEmitsNothing();
    void slotMayDeleteWatchers();

private:
    std::unique_ptr<QWidget> m_window;
    std::unique_ptr<QWidget> m_other;
};

void tst_KelGlobalMouseWatcher::initTestCase()
{
    m_window = std::make_unique<QWidget>();
    m_window->setGeometry(40, 50, 200, 100);
    m_other = std::make_unique<QWidget>();
    m_other->setGeometry(300, 50, 200, 100);
    m_window->show();
    m_other->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get(), WaitBound::ms()));
    QVERIFY(QTest::qWaitForWindowExposed(m_other.get(), WaitBound::ms()));
}

void tst_KelGlobalMouseWatcher::pressesReachEveryLiveWatcher_data()
{
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<bool>("reported");
    QTest::newRow("left") << Qt::LeftButton << true;
    QTest::newRow("right") << Qt::RightButton << true;
    QTest::newRow("middle") << Qt::MiddleButton << true;
    QTest::newRow("back") << Qt::BackButton << false;
}

void tst_KelGlobalMouseWatcher::pressesReachEveryLiveWatcher()
{
    QFETCH(Qt::MouseButton, button);
    QFETCH(bool, reported);

    auto first = std::make_unique<KelGlobalMouseWatcher>();
    KelGlobalMouseWatcher second;
    QSignalSpy firstPresses(first.get(), &KelGlobalMouseWatcher::mousePressed);
    QSignalSpy secondPresses(&second, &KelGlobalMouseWatcher::mousePressed);

    const QPoint at(12, 34);
    QTest::mousePress(m_window->windowHandle(), button, {}, at);
    QTest::mouseRelease(m_window->windowHandle(), button, {}, at);
    QCOMPARE(firstPresses.count(), reported ? 1 : 0);
    QCOMPARE(secondPresses.count(), reported ? 1 : 0);
    if (reported) {
        QCOMPARE(firstPresses.at(0).at(0).toPoint(), devicePos(m_window.get(), at));
        QCOMPARE(firstPresses.at(0).at(1).value<Qt::MouseButton>(), button);
    }

    // The one left goes on hearing presses, in any window.
    first.reset();
    QTest::mousePress(m_other->windowHandle(), button, {}, at);
    QTest::mouseRelease(m_other->windowHandle(), button, {}, at);
    QCOMPARE(secondPresses.count(), reported ? 2 : 0);
    if (reported)
        QCOMPARE(secondPresses.at(1).at(0).toPoint(), devicePos(m_other.get(), at));
}

void tst_KelGlobalMouseWatcher::feedExistsOnlyWhileWatchersLive()
{
    QVERIFY(!KelPlatform::hasGlobalMouseHook());
    auto first = std::make_unique<KelGlobalMouseWatcher>();
    auto second = std::make_unique<KelGlobalMouseWatcher>();
    first.reset();
    QVERIFY(KelPlatform::hasGlobalMouseHook());
    second.reset();
    QVERIFY(!KelPlatform::hasGlobalMouseHook());
}

void tst_KelGlobalMouseWatcher::nonClientPressIsReported()
{
    KelGlobalMouseWatcher watcher;
    QSignalSpy presses(&watcher, &KelGlobalMouseWatcher::mousePressed);
    QWindow *window = m_window->windowHandle();
    const QPoint local(-3, -10);
    const QPoint global = m_window->mapToGlobal(local);
    QWindowSystemInterface::handleFrameStrutMouseEvent(window, local, global, Qt::LeftButton,
                                                       Qt::LeftButton,
                                                       QEvent::NonClientAreaMouseButtonPress);
    QWindowSystemInterface::handleFrameStrutMouseEvent(window, local, global, Qt::NoButton,
                                                       Qt::LeftButton,
                                                       QEvent::NonClientAreaMouseButtonRelease);
    QWindowSystemInterface::flushWindowSystemEvents();
    QCOMPARE(presses.count(), 1);
    QCOMPARE(presses.at(0).at(0).toPoint(), devicePos(m_window.get(), local));
}

void tst_KelGlobalMouseWatcher::moveToTheSamePositionEmitsNothing()
{
    KelGlobalMouseWatcher watcher;
    QSignalSpy moves(&watcher, &KelGlobalMouseWatcher::mouseMoved);
    QTest::mouseMove(m_window->windowHandle(), QPoint(20, 20));
    QCOMPARE(moves.count(), 1);
    QCOMPARE(moves.at(0).at(0).toPoint(), devicePos(m_window.get(), QPoint(20, 20)));

    // The same screen point reached through the other window, then anew.
    const QPoint same = m_other->mapFromGlobal(m_window->mapToGlobal(QPoint(20, 20)));
    QTest::mouseMove(m_other->windowHandle(), same);
    QCOMPARE(moves.count(), 1);
    QTest::mouseMove(m_other->windowHandle(), QPoint(21, 20));
    QCOMPARE(moves.count(), 2);
    QCOMPARE(moves.at(1).at(0).toPoint(), devicePos(m_other.get(), QPoint(21, 20)));
}

void tst_KelGlobalMouseWatcher::slotMayDeleteWatchers()
{
    // The first to hear the press deletes itself and the next one; the
    // last one still hears it.
    auto *first = new KelGlobalMouseWatcher;
    auto *second = new KelGlobalMouseWatcher;
    KelGlobalMouseWatcher third;
    QPointer<KelGlobalMouseWatcher> secondAlive(second);
    QSignalSpy thirdPresses(&third, &KelGlobalMouseWatcher::mousePressed);
    connect(first, &KelGlobalMouseWatcher::mousePressed, first, [first, second] {
        delete second;
        delete first;
    });

    QTest::mousePress(m_window->windowHandle(), Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(m_window->windowHandle(), Qt::LeftButton, {}, QPoint(5, 5));
    QVERIFY(!secondAlive);
    QCOMPARE(thirdPresses.count(), 1);
}

int main(int argc, char **argv)
{
    KelApplication app(argc, argv);
    tst_KelGlobalMouseWatcher test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_kelglobalmousewatcher.moc"

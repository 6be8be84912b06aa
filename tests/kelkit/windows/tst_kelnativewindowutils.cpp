#include "kelapplication.h"
#include "waitbound.h"
#include "widgets/kelbutton.h"
#include "windows/kelnativewindowutils.h"
#include "windows/keltitlebar.h"
#include "windows/kelwindow.h"

#include "../offscreenleak.h"
#include "windowinput.h"

#include <QScreen>
#include <QSignalSpy>
#include <QWindow>
#include <QtTest>

#include <memory>

namespace {

using Zone = KelNativeWindowUtils::HitZone;

const KelWindow::WindowParams Framed = KelWindow::Movable | KelWindow::Resizable
        | KelWindow::WindowButtons | KelWindow::MinimizeButton | KelWindow::MaximizeButton;

// Band width at ratio 1: round(4 + 4 * 1).
constexpr int Band = 8;

std::unique_ptr<KelWindow> shownWindow(KelWindow::WindowParams params, const QRect &geometry)
{
    auto window = std::make_unique<KelWindow>(params);
    window->setGeometry(geometry);
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get(), WaitBound::ms()))
        return nullptr;
    return window;
}

QPoint centreOf(QWidget *widget)
{
    return widget->mapToGlobal(widget->rect().center());
}

// Over the title bar, clear of its buttons and of the resize band.
QPoint captionPoint(KelWindow *window)
{
    return window->titleBar()->mapToGlobal(QPoint(window->width() / 3, 16));
}

// Mouse input to the window at global positions.
class Mouse
{
public:
    explicit Mouse(QWidget *window) : m_window(window) { }
    void press(const QPoint &global) { WindowInput::press(m_window, global); }
    void move(const QPoint &global) { WindowInput::move(m_window, global); }
    void release(const QPoint &global) { WindowInput::release(m_window, global); }
    void doubleClick(const QPoint &global) { WindowInput::doubleClick(m_window, global); }

private:
    QWidget *m_window;
};

} // namespace

class tst_KelNativeWindowUtils : public QObject
{
    Q_OBJECT

private slots:
    void hitTest_data();
    void hitTest();
    void captionDragMovesByTheMouse();
    void titleBarButtonStillClicks();
    void cornerDragStopsAtTheMaximumSize();
    void captionDoubleClickMaximizesOnlyWithTheHint_data();
    void captionDoubleClickMaximizesOnlyWithTheHint();
    void dragOnTheWindowBackgroundMoves();
};

void tst_KelNativeWindowUtils::hitTest_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QPoint>("offset");
    QTest::addColumn<int>("expected");

    // offset: from the window's top-left, in physical pixels (ratio 1).
    QTest::newRow("top-left square") << "framed" << QPoint(2, 2) << int(Zone::HitTopLeft);
    QTest::newRow("bottom-right square")
            << "framed" << QPoint(297, 197) << int(Zone::HitBottomRight);
    QTest::newRow("left band") << "framed" << QPoint(Band - 1, 100) << int(Zone::HitLeft);
    QTest::newRow("past the left band") << "framed" << QPoint(Band, 100) << int(Zone::HitClient);
    QTest::newRow("top band over the title bar") << "framed" << QPoint(150, 3) << int(Zone::HitTop);
    QTest::newRow("title bar") << "framed" << QPoint(150, 16) << int(Zone::HitCaption);
    QTest::newRow("outside") << "framed" << QPoint(300, 100) << int(Zone::HitNone);

    QTest::newRow("fixed width: no left zone")
            << "fixedWidth" << QPoint(2, 100) << int(Zone::HitClient);
    QTest::newRow("fixed width: no corner") << "fixedWidth" << QPoint(2, 2) << int(Zone::HitTop);
    QTest::newRow("fixed width: left edge below the caption is no zone")
            << "fixedWidth" << QPoint(0, 100) << int(Zone::HitNone);

    QTest::newRow("narrower than two bands: top-left square")
            << "narrow" << QPoint(5, 2) << int(Zone::HitTopRight);
    QTest::newRow("narrower than two bands: left only")
            << "narrow" << QPoint(2, 2) << int(Zone::HitTopLeft);

    QTest::newRow("maximized: no band") << "maximized" << QPoint(2, 2) << int(Zone::HitCaption);
    QTest::newRow("maximized: title bar")
            << "maximized" << QPoint(200, 16) << int(Zone::HitCaption);
    QTest::newRow("maximized: close button")
            << "maximized" << QPoint(-1, -1) << int(Zone::HitClient);
}

void tst_KelNativeWindowUtils::hitTest()
{
    QFETCH(QString, kind);
    QFETCH(QPoint, offset);
    QFETCH(int, expected);

    const QRect geometry(100, 100, kind == "narrow" ? 12 : 300, 200);
    std::unique_ptr<KelWindow> window;
    if (kind == "narrow") {
        window = shownWindow(KelWindow::Resizable, geometry);
    } else {
        window = shownWindow(Framed, geometry);
        if (kind == "fixedWidth") {
            window->centralWidget()->setFixedWidth(300);
            window->titleBar()->setMaximumWidth(300);
        }
        if (kind == "maximized") {
            window->showMaximized();
            QTRY_COMPARE(window->geometry(), window->screen()->availableGeometry());
        }
    }
    QVERIFY(window);
    if (kind == "fixedWidth")
        QTRY_COMPARE(window->maximumWidth(), 300);
    else if (kind != "maximized")
        QCOMPARE(window->geometry(), geometry);

    QPoint point = window->geometry().topLeft() + offset;
    if (offset == QPoint(-1, -1))
        point = centreOf(window->titleBar()->button(KelTitleBar::CloseButton));
    QCOMPARE(int(window->nativeWindowUtils()->hitTest(point.x(), point.y())), expected);
}

void tst_KelNativeWindowUtils::captionDragMovesByTheMouse()
{
    auto window = shownWindow(Framed, QRect(100, 100, 300, 200));
    QVERIFY(window);
    QSignalSpy started(window.get(), &KelWindow::moveByUserStarted);
    QSignalSpy finished(window.get(), &KelWindow::moveByUserFinished);
    const QPoint before = window->pos();
    const QPoint press = captionPoint(window.get());
    Mouse mouse(window.get());

    mouse.press(press);
    mouse.move(press + QPoint(4, 0));
    QCOMPARE(started.count(), 0); // Manhattan 4 is not a drag yet
    mouse.move(press + QPoint(6, 0));
    QCOMPARE(started.count(), 1);
    QVERIFY(window->isInSizeMoveLoop());
    mouse.move(press + QPoint(120, 40));
    mouse.move(press + QPoint(200, 100));
    mouse.release(press + QPoint(200, 100));

    // The move follows the mouse from where it started, as the window
    // manager's does.
    QCOMPARE(window->pos(), before + QPoint(194, 100));
    QCOMPARE(started.count(), 1);
    QCOMPARE(finished.count(), 1);
    QVERIFY(!window->isInSizeMoveLoop());
}

void tst_KelNativeWindowUtils::titleBarButtonStillClicks()
{
    auto window = shownWindow(Framed, QRect(100, 100, 300, 200));
    QVERIFY(window);
    KelButton *maximize = window->titleBar()->button(KelTitleBar::MaximizeButton);
    QSignalSpy clicked(maximize, &KelButton::clicked);
    QSignalSpy started(window.get(), &KelWindow::moveByUserStarted);
    Mouse mouse(window.get());
    const QPoint at = centreOf(maximize);

    WindowInput::enter(window->windowHandle(), at - QPoint(2, 0));
    mouse.move(at);
    mouse.press(at);
    mouse.move(at + QPoint(1, 0));
    mouse.release(at + QPoint(1, 0));

    QVERIFY(clicked.count() == 1 || clicked.wait(WaitBound::ms()));
    QTRY_VERIFY(window->isMaximized());
    QCOMPARE(started.count(), 0);
}

void tst_KelNativeWindowUtils::cornerDragStopsAtTheMaximumSize()
{
    auto window = shownWindow(Framed, QRect(50, 50, 300, 200));
    QVERIFY(window);
    // A vertical box is as wide as its widest item allows.
    window->centralWidget()->setMaximumSize(400, 250);
    window->titleBar()->setMaximumWidth(400);
    QTRY_COMPARE(window->maximumWidth(), 400);
    const QSize maximum = window->maximumSize();
    QVERIFY(maximum.height() > 250 && maximum.height() < 400);
    QSignalSpy started(window.get(), &KelWindow::resizeByUserStarted);
    QSignalSpy finished(window.get(), &KelWindow::resizeByUserFinished);
    const QPoint topLeft = window->pos();
    const QPoint corner = window->geometry().bottomRight() - QPoint(1, 1);
    Mouse mouse(window.get());

    mouse.press(corner);
    QCOMPARE(started.count(), 1);
    mouse.move(corner + QPoint(50, 30));
    QCOMPARE(window->size(), QSize(350, 230));
    mouse.move(corner + QPoint(500, 500));
    mouse.release(corner + QPoint(500, 500));

    QCOMPARE(window->size(), maximum);
    QCOMPARE(window->pos(), topLeft);
    QCOMPARE(started.count(), 1);
    QCOMPARE(finished.count(), 1);
}

void tst_KelNativeWindowUtils::captionDoubleClickMaximizesOnlyWithTheHint_data()
{
    QTest::addColumn<bool>("maximizeButton");
    QTest::newRow("with the maximize button") << true;
    QTest::newRow("without") << false;
}

void tst_KelNativeWindowUtils::captionDoubleClickMaximizesOnlyWithTheHint()
{
    QFETCH(bool, maximizeButton);
    KelWindow::WindowParams params = Framed;
    if (!maximizeButton)
        params &= ~KelWindow::MaximizeButton;
    auto window = shownWindow(params, QRect(100, 100, 300, 200));
    QVERIFY(window);
    QSignalSpy started(window.get(), &KelWindow::moveByUserStarted);
    const QPoint caption = captionPoint(window.get());

    Mouse(window.get()).doubleClick(caption);

    if (maximizeButton) {
        QTRY_VERIFY(window->isMaximized());
        Mouse(window.get()).doubleClick(captionPoint(window.get()));
        QTRY_VERIFY(!window->isMaximized());
    } else {
        QCoreApplication::processEvents();
        QVERIFY(!window->isMaximized());
    }
    QCOMPARE(started.count(), 0);
}

void tst_KelNativeWindowUtils::dragOnTheWindowBackgroundMoves()
{
    auto window = shownWindow(Framed, QRect(100, 100, 300, 200));
    QVERIFY(window);
    QSignalSpy finished(window.get(), &KelWindow::moveByUserFinished);
    const QPoint before = window->pos();
    const QPoint press = centreOf(window->centralWidget());
    Mouse mouse(window.get());

    mouse.press(press);
    mouse.move(press + QPoint(3, 2)); // Manhattan 5
    mouse.move(press + QPoint(30, 20));
    mouse.release(press + QPoint(30, 20));

    QCOMPARE(window->pos(), before + QPoint(27, 18));
    QCOMPARE(finished.count(), 1);
}

int main(int argc, char **argv)
{
    KelApplication app(argc, argv);
    tst_KelNativeWindowUtils test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_kelnativewindowutils.moc"

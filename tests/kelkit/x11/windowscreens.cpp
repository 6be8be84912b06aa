// The pixel ratio of a window that goes to another screen, on an X server
// with three screens of pixel ratios 1, 1 and 2 (main() sets the factors).
// Each X screen is a desktop of its own to Qt 5, so a window changes screens
// through QWindow::setScreen, which makes its native window anew there.

#include "kelapplication.h"
#include "waitbound.h"
#include "windows/kelwindow.h"

#include <QScreen>
#include <QSignalSpy>
#include <QWindow>
#include <QtTest>

class tst_KelWindowScreens : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void ratioChangeIsAnnouncedOnce_data();
    void ratioChangeIsAnnouncedOnce();
};

void tst_KelWindowScreens::initTestCase()
{
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    const QList<QScreen *> screens = QGuiApplication::screens();
    QCOMPARE(screens.size(), 3);
    QCOMPARE(screens.at(0)->devicePixelRatio(), 1.0);
    QCOMPARE(screens.at(1)->devicePixelRatio(), 1.0);
    QCOMPARE(screens.at(2)->devicePixelRatio(), 2.0);
}

void tst_KelWindowScreens::ratioChangeIsAnnouncedOnce_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<QVariantList>("announced"); // (new, old), empty for none

    QTest::newRow("same ratio") << 0 << 1 << QVariantList();
    QTest::newRow("larger ratio") << 1 << 2 << QVariantList{2.0, 1.0};
    QTest::newRow("smaller ratio") << 2 << 0 << QVariantList{1.0, 2.0};
}

void tst_KelWindowScreens::ratioChangeIsAnnouncedOnce()
{
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(QVariantList, announced);
    QScreen *start = QGuiApplication::screens().at(from);
    QScreen *target = QGuiApplication::screens().at(to);

    KelWindow window(KelWindow::Movable);
    window.resize(200, 150);
    window.winId();
    window.windowHandle()->setScreen(start);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window, WaitBound::ms()));
    QCOMPARE(window.windowHandle()->screen(), start);
    QSignalSpy changed(&window, &KelWindow::devicePixelRatioChanged);

    window.windowHandle()->setScreen(target);
    // The new native window is made hidden; shown again, it has settled.
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window, WaitBound::ms()));
    QCOMPARE(window.windowHandle()->screen(), target);
    QCOMPARE(window.devicePixelRatioF(), target->devicePixelRatio());

    if (announced.isEmpty()) {
        QCOMPARE(changed.count(), 0);
    } else {
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.at(0), announced);
    }
}

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "xcb");
    qunsetenv("QT_SCALE_FACTOR");
    qunsetenv("QT_AUTO_SCREEN_SCALE_FACTOR");
    qputenv("QT_SCREEN_SCALE_FACTORS", "1;1;2");
    KelApplication app(argc, argv);
    tst_KelWindowScreens test;
    return QTest::qExec(&test, argc, argv);
}

#include "windowscreens.moc"

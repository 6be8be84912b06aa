#include "eventfilters/kelgeometrywatcher.h"

#include <QSignalSpy>
#include <QVBoxLayout>
#include <QtTest>

class tst_KelGeometryWatcher : public QObject
{
    Q_OBJECT

private slots:
    void localGeometryAndVisibility();
    void windowGeometryIgnoresWindowMoves();
    void reparentingFollowsTheNewWindow();
};

void tst_KelGeometryWatcher::localGeometryAndVisibility()
{
    QWidget window;
    window.resize(200, 200);
    auto *child = new QWidget(&window);
    child->setGeometry(10, 10, 50, 20);
    auto *watcher = new KelGeometryWatcher(child, KelGeometryWatcher::LocalGeometry);
    QSignalSpy geometry(watcher, &KelGeometryWatcher::geometryChanged);
    QSignalSpy visibility(watcher, &KelGeometryWatcher::visibilityChanged);
    QSignalSpy windowGeometry(watcher, &KelGeometryWatcher::windowGeometryChanged);

    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(visibility.count(), 1);
    QCOMPARE(visibility.at(0).at(0).toBool(), true);
    // The first report comes with the first show, not at construction.
    QCOMPARE(geometry.count(), 1);
    QCOMPARE(geometry.at(0).at(0).toRect(), QRect(10, 10, 50, 20));

    child->move(30, 10);
    child->resize(60, 20);
    QCOMPARE(geometry.count(), 3);
    QCOMPARE(geometry.last().at(0).toRect(), QRect(30, 10, 60, 20));

    child->hide();
    QCOMPARE(visibility.count(), 2);
    QCOMPARE(visibility.last().at(0).toBool(), false);
    QCOMPARE(windowGeometry.count(), 0);
}

void tst_KelGeometryWatcher::windowGeometryIgnoresWindowMoves()
{
    QWidget outer;
    auto *window = new QWidget(&outer, Qt::Window);
    auto *layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto *top = new QWidget(window);
    top->setFixedHeight(30);
    auto *watched = new QWidget(window);
    layout->addWidget(top);
    layout->addWidget(watched);
    window->resize(200, 200);
    auto *watcher = new KelGeometryWatcher(watched, KelGeometryWatcher::WindowGeometry);
    QSignalSpy windowGeometry(watcher, &KelGeometryWatcher::windowGeometryChanged);
    QSignalSpy geometry(watcher, &KelGeometryWatcher::geometryChanged);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QTRY_COMPARE(windowGeometry.last().at(0).toRect(), QRect(0, 30, 200, 170));
    windowGeometry.clear();

    window->move(window->pos() + QPoint(40, 40));
    QCoreApplication::processEvents();
    QCOMPARE(windowGeometry.count(), 0);

    top->setFixedHeight(50);
    QTRY_COMPARE(windowGeometry.count(), 1);
    QCOMPARE(windowGeometry.last().at(0).toRect(), QRect(0, 50, 200, 150));
    QCOMPARE(geometry.count(), 0);
}

void tst_KelGeometryWatcher::reparentingFollowsTheNewWindow()
{
    QWidget first;
    QWidget second;
    first.setGeometry(0, 0, 100, 100);
    second.setGeometry(200, 0, 100, 100);
    auto *child = new QWidget(&first);
    child->setGeometry(10, 10, 20, 20);
    first.show();
    second.show();
    QVERIFY(QTest::qWaitForWindowExposed(&second));
    auto *watcher = new KelGeometryWatcher(child, KelGeometryWatcher::ScreenGeometry);
    QSignalSpy parent(watcher, &KelGeometryWatcher::parentWidgetChanged);
    QSignalSpy screenGeometry(watcher, &KelGeometryWatcher::screenGeometryChanged);

    child->setParent(&second);
    QCOMPARE(parent.count(), 1);
    QCOMPARE(parent.at(0).at(0).value<QWidget *>(), &second);
    child->show();
    QTRY_COMPARE(screenGeometry.last().at(0).toRect().topLeft(), second.mapToGlobal(QPoint(10, 10)));

    // Only the new window is followed now.
    screenGeometry.clear();
    first.move(first.pos() + QPoint(0, 30));
    QCoreApplication::processEvents();
    QCOMPARE(screenGeometry.count(), 0);
    second.move(second.pos() + QPoint(0, 30));
    QTRY_COMPARE(screenGeometry.count(), 1);
    QCOMPARE(screenGeometry.last().at(0).toRect().topLeft(), second.mapToGlobal(QPoint(10, 10)));
}

QTEST_MAIN(tst_KelGeometryWatcher)
#include "tst_kelgeometrywatcher.moc"

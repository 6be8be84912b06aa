#include "eventfilters/kelchildwatcher.h"
#include "eventfilters/kelgeometrywatcher.h"
#include "waitbound.h"

#include <QSignalSpy>
#include <QVBoxLayout>
#include <QtTest>

class tst_KelWatchers : public QObject
{
    Q_OBJECT

private slots:
    void childWatcherReportsAddedWidgetsAtAnyDepth();
    void childWatcherWithoutRecursionStaysAtTheRoot();
    void childWatcherForgetsRemovedAndDeletedWidgets();
    void geometryWatcherInWindowCoordinates();
    void geometryWatcherFollowsParentAndVisibility();
};

void tst_KelWatchers::childWatcherReportsAddedWidgetsAtAnyDepth()
{
    QWidget root;
    auto *existing = new QWidget(&root);
    KelChildWatcher watcher(KelChildWatcher::WatchAdded | KelChildWatcher::Recursive, &root);
    QSignalSpy added(&watcher, &KelChildWatcher::childWidgetAdded);

    auto *deep = new QWidget(existing);
    QCOMPARE(added.count(), 1);
    QCOMPARE(added.takeFirst().at(0).value<QWidget *>(), deep);

    // A subtree moved in brings its descendants, which are watched too.
    QWidget subtree;
    auto *inner = new QWidget(&subtree);
    subtree.setParent(deep);
    QCOMPARE(added.count(), 2);
    new QWidget(inner);
    QCOMPARE(added.count(), 3);
    subtree.setParent(nullptr);
}

void tst_KelWatchers::childWatcherWithoutRecursionStaysAtTheRoot()
{
    QWidget root;
    KelChildWatcher watcher(KelChildWatcher::WatchAdded, &root);
    QSignalSpy added(&watcher, &KelChildWatcher::childWidgetAdded);
    auto *child = new QWidget(&root);
    new QWidget(child);
    new QObject(&root);
    QCOMPARE(added.count(), 1);
    QCOMPARE(added.at(0).at(0).value<QWidget *>(), child);
}

void tst_KelWatchers::childWatcherForgetsRemovedAndDeletedWidgets()
{
    QWidget root;
    auto *child = new QWidget(&root);
    auto *grandChild = new QWidget(child);
    KelChildWatcher watcher(KelChildWatcher::WatchAdded | KelChildWatcher::WatchRemoved
                                    | KelChildWatcher::Recursive,
                            &root);
    QSignalSpy added(&watcher, &KelChildWatcher::childWidgetAdded);
    QSignalSpy removed(&watcher, &KelChildWatcher::childWidgetRemoved);

    // Moved out with its child: both leave, and what happens below them
    // afterwards is no longer reported.
    QWidget outside;
    child->setParent(&outside);
    QCOMPARE(removed.count(), 2);
    new QWidget(grandChild);
    QCOMPARE(added.count(), 0);

    // A watched widget deleted with its children leaves no dangling entry:
    // watching again and destroying the watcher touch only live widgets.
    child->setParent(&root);
    QCOMPARE(added.count(), 3);
    delete child;
    watcher.watch(&root);
    new QWidget(&root);
    QCOMPARE(added.count(), 4);
}

void tst_KelWatchers::geometryWatcherInWindowCoordinates()
{
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *spacer = new QWidget;
    spacer->setFixedHeight(20);
    auto *widget = new QWidget;
    layout->addWidget(spacer);
    layout->addWidget(widget);
    window.resize(200, 200);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window, WaitBound::ms()));

    KelGeometryWatcher watcher(widget, KelGeometryWatcher::WindowGeometry);
    QSignalSpy windowGeometry(&watcher, &KelGeometryWatcher::windowGeometryChanged);
    QSignalSpy localGeometry(&watcher, &KelGeometryWatcher::geometryChanged);

    spacer->setFixedHeight(50);
    QTRY_COMPARE(windowGeometry.count(), 1);
    QCOMPARE(windowGeometry.at(0).at(0).toRect(),
             QRect(widget->mapTo(&window, QPoint()), widget->size()));
    QCOMPARE(localGeometry.count(), 0);

    // Inside the window nothing changes when the window moves.
    window.move(window.pos() + QPoint(30, 30));
    QCoreApplication::processEvents();
    QCOMPARE(windowGeometry.count(), 1);
}

void tst_KelWatchers::geometryWatcherFollowsParentAndVisibility()
{
    QWidget first;
    QWidget second;
    auto *widget = new QWidget(&first);
    first.show();
    second.show();
    auto *watcher = new KelGeometryWatcher(widget, KelGeometryWatcher::WindowGeometry);
    QSignalSpy parent(watcher, &KelGeometryWatcher::parentWidgetChanged);
    QSignalSpy visibility(watcher, &KelGeometryWatcher::visibilityChanged);

    widget->hide();
    QCOMPARE(visibility.count(), 1);
    QCOMPARE(visibility.at(0).at(0).toBool(), false);

    widget->setParent(&second);
    QCOMPARE(parent.count(), 1);
    QCOMPARE(parent.at(0).at(0).value<QWidget *>(), &second);
    widget->show();
    QCOMPARE(visibility.count(), 2);

    // The new window is watched, the old one no longer.
    QSignalSpy windowGeometry(watcher, &KelGeometryWatcher::windowGeometryChanged);
    first.resize(first.size() + QSize(10, 10));
    QCOMPARE(windowGeometry.count(), 0);
    widget->move(5, 5);
    QCOMPARE(windowGeometry.count(), 1);
}

QTEST_MAIN(tst_KelWatchers)

#include "tst_kelwatchers.moc"

#include "shared/cursors.h"

#include "plainwindowui.h"

#include <QtTest>

// The cursor table is filled once per process: this executable asks once
// the main window exists.
class tst_CursorsWithWindow : public QObject
{
    Q_OBJECT

private slots:
    void handsAreDrawnForTheMainWindow_data();
    void handsAreDrawnForTheMainWindow();
    void unknownIdIsTheArrowAndIdsDiffer();
};

void tst_CursorsWithWindow::handsAreDrawnForTheMainWindow_data()
{
    QTest::addColumn<int>("id");

    QTest::newRow("closed hand") << int(Cursors::ClosedHand);
    QTest::newRow("open hand") << int(Cursors::OpenHand);
}

void tst_CursorsWithWindow::handsAreDrawnForTheMainWindow()
{
    QFETCH(int, id);

    kelUi()->setupMainWindow();
    QWidget *window = kelUi()->mainWindow();
    QVERIFY(window);

    const QCursor cursor = Cursors::cursor(id);
    QCOMPARE(cursor.shape(), Qt::BitmapCursor);
    QCOMPARE(cursor.hotSpot(), QPoint(3, 3));
    const QPixmap pixmap = cursor.pixmap();
    QVERIFY(!pixmap.isNull());
    QCOMPARE(pixmap.devicePixelRatio(), window->devicePixelRatioF());
    // A hand of its own: opaque somewhere, transparent in the corners.
    const QImage image = pixmap.toImage();
    QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
    QVERIFY(qAlpha(image.pixel(image.width() / 2, image.height() * 2 / 3)) > 0);
}

void tst_CursorsWithWindow::unknownIdIsTheArrowAndIdsDiffer()
{
    QCOMPARE(Cursors::cursor(2).shape(), Qt::ArrowCursor);
    // Each id has its own picture.
    QVERIFY(Cursors::cursor(Cursors::OpenHand).pixmap().toImage()
            != Cursors::cursor(Cursors::ClosedHand).pixmap().toImage());
}

int main(int argc, char **argv)
{
    PlainWindowApplication<> app(argc, argv);
    tst_CursorsWithWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_cursorswithwindow.moc"

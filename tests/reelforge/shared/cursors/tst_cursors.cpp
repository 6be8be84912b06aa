#include "shared/cursors.h"

#include "plainwindowui.h"

#include <QtTest>

// The cursor table is filled once per process: this executable asks before
// the main window exists.
class tst_Cursors : public QObject
{
    Q_OBJECT

private slots:
    void askedBeforeTheMainWindowStaysTheArrow();
};

void tst_Cursors::askedBeforeTheMainWindowStaysTheArrow()
{
    QVERIFY(!kelUi()->mainWindow());
    for (int id : {int(Cursors::ClosedHand), int(Cursors::OpenHand)}) {
        QCOMPARE(Cursors::cursor(id).shape(), Qt::ArrowCursor);
        QVERIFY(Cursors::cursor(id).pixmap().isNull());
    }

    kelUi()->setupMainWindow();
    QVERIFY(kelUi()->mainWindow());
    for (int id : {int(Cursors::ClosedHand), int(Cursors::OpenHand)}) {
        QCOMPARE(Cursors::cursor(id).shape(), Qt::ArrowCursor);
        QVERIFY(Cursors::cursor(id).pixmap().isNull());
    }
}

int main(int argc, char **argv)
{
    PlainWindowApplication<> app(argc, argv);
    tst_Cursors test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_cursors.moc"

#include "kelapplication.h"
#include "kelui.h"
#include "styles/kelstyle.h"
#include "utils/keldaychangetimer.h"

#include "offscreenleak.h"

#include <QCursor>
#include <QHBoxLayout>
#include <QTimer>
#include <QWidget>
#include <QtTest>
#include <qpa/qwindowsysteminterface.h>

#include <cerrno>

namespace {

// Counts the enter and leave events a widget gets.
class HoverCounter : public QWidget
{
public:
    using QWidget::QWidget;
    int enters = 0;
    int leaves = 0;

protected:
    void enterEvent(QEvent *) override { ++enters; }
    void leaveEvent(QEvent *) override { ++leaves; }
};

// Runs the event loop until every zero-interval timer started before it
// has fired.
void runOnePass()
{
    QEventLoop loop;
    QTimer::singleShot(0, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

class tst_KelUi : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void makeLink_data();
    void makeLink();
    void maintenanceModeSignalsChanges();
    void waitCursorDoesNotNest();
    void dayChange_data();
    void dayChange();
    void dayChangeReachesUi();
    void lastErrorText_data();
    void lastErrorText();
    void spuriousLeaveUndone_data();
    void spuriousLeaveUndone();
};

void tst_KelUi::initTestCase()
{
    QVERIFY(kelUi());
}

void tst_KelUi::makeLink_data()
{
    QTest::addColumn<int>("flags");
    QTest::addColumn<QColor>("color");
    QTest::addColumn<QString>("expected");

    const QString link = kelStyle()->color(18).name();
    QTest::newRow("plain") << 0 << QColor(Qt::red)
                           << "<a href='http://x' style='color: #ff0000; '>Go</a>";
    QTest::newRow("style colour") << 0 << QColor()
                                  << QStringLiteral("<a href='http://x' style='color: %1; '>Go</a>")
                                             .arg(link);
    QTest::newRow("no underline")
            << int(KelUi::LinkWithoutUnderline) << QColor(Qt::red)
            << "<a href='http://x' style='color: #ff0000; text-decoration: none;'>Go</a>";
    QTest::newRow("bold italic")
            << int(KelUi::LinkBold | KelUi::LinkItalic) << QColor(Qt::red)
            << "<i><b><a href='http://x' style='color: #ff0000; '>Go</a></b></i>";
}

void tst_KelUi::makeLink()
{
    QFETCH(int, flags);
    QFETCH(QColor, color);
    QFETCH(QString, expected);
    QCOMPARE(kelUi()->makeLink(QStringLiteral("http://x"), QStringLiteral("Go"), flags, color),
             expected);
}

void tst_KelUi::maintenanceModeSignalsChanges()
{
    KelUi *ui = kelUi();
    QSignalSpy changed(ui, &KelUi::maintenanceModeStateChanged);
    ui->setMaintenanceMode(true);
    ui->setMaintenanceMode(true);
    QVERIFY(ui->isMaintenanceMode());
    ui->setMaintenanceMode(false);
    ui->setMaintenanceMode(false);
    QCOMPARE(changed.count(), 2);
    QCOMPARE(changed.at(0).at(0).toBool(), true);
    QCOMPARE(changed.at(1).at(0).toBool(), false);
}

void tst_KelUi::waitCursorDoesNotNest()
{
    KelUi *ui = kelUi();
    QTest::ignoreMessage(QtWarningMsg, "UI is locked");
    ui->showWaitCursor();
    ui->showWaitCursor();
    QVERIFY(QGuiApplication::overrideCursor());
    QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    QTest::ignoreMessage(QtWarningMsg, "UI is unlocked");
    ui->hideWaitCursor();
    QVERIFY(!QGuiApplication::overrideCursor());
    ui->hideWaitCursor();
    QVERIFY(!QGuiApplication::overrideCursor());
}

void tst_KelUi::dayChange_data()
{
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<qint64>("expected");

    const QDate day(2024, 3, 5);
    QTest::newRow("23:59") << QDateTime(day, QTime(23, 59)) << qint64(2 * 60 * 1000);
    QTest::newRow("00:00") << QDateTime(day, QTime(0, 0)) << qint64(24 * 3600 * 1000 + 60 * 1000);
    QTest::newRow("00:01") << QDateTime(day, QTime(0, 1)) << qint64(24 * 3600 * 1000);
    QTest::newRow("new year's eve")
            << QDateTime(QDate(2023, 12, 31), QTime(23, 59, 30), Qt::UTC) << qint64(90 * 1000);
}

void tst_KelUi::dayChange()
{
    QFETCH(QDateTime, now);
    QFETCH(qint64, expected);

    QDateTime clock = now;
    KelDayChangeTimer timer(nullptr, [&clock] { return clock; });
    QSignalSpy changed(&timer, &KelDayChangeTimer::dayChanged);
    auto qtTimer = timer.findChild<QTimer *>();
    QVERIFY(qtTimer);
    QVERIFY(qtTimer->isActive());
    QVERIFY(qtTimer->isSingleShot());
    QCOMPARE(qint64(qtTimer->interval()), expected);

    // When it fires at 00:01, it is armed for the day after.
    clock = now.addMSecs(expected);
    QCOMPARE(clock.time(), QTime(0, 1));
    QVERIFY(QMetaObject::invokeMethod(qtTimer, "timeout"));
    QCOMPARE(changed.count(), 1);
    QVERIFY(qtTimer->isActive());
    QCOMPARE(qint64(qtTimer->interval()), qint64(24 * 3600 * 1000));
}

void tst_KelUi::dayChangeReachesUi()
{
    KelUi *ui = kelUi();
    auto timer = ui->findChild<KelDayChangeTimer *>();
    QVERIFY(timer);
    QSignalSpy changed(ui, &KelUi::currentDayChanged);
    emit timer->dayChanged();
    QCOMPARE(changed.count(), 1);
}

void tst_KelUi::lastErrorText_data()
{
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("expected");
    QTest::newRow("none") << 0 << QString();
    QTest::newRow("access") << EACCES << "Permission denied (13)";
    QTest::newRow("missing") << ENOENT << "No such file or directory (2)";
}

void tst_KelUi::lastErrorText()
{
    QFETCH(int, error);
    QFETCH(QString, expected);
    errno = error;
    QCOMPARE(KelUi::lastWindowsErrorText(), expected);
}

void tst_KelUi::spuriousLeaveUndone_data()
{
    QTest::addColumn<bool>("cursorInside");
    QTest::newRow("cursor inside") << true;
    QTest::newRow("cursor gone") << false;
}

void tst_KelUi::spuriousLeaveUndone()
{
    QFETCH(bool, cursorInside);

    // Qt ignores a move to where the cursor already is.
    QCursor::setPos(QPoint(0, 0));
    QWidget window;
    window.setGeometry(100, 100, 200, 100);
    auto layout = new QHBoxLayout(&window);
    auto left = new HoverCounter;
    auto right = new HoverCounter;
    layout->addWidget(left);
    layout->addWidget(right);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    const QPoint inLeft = left->mapToGlobal(left->rect().center());
    QCursor::setPos(inLeft);
    QTRY_VERIFY(left->underMouse());
    QCOMPARE(kelUi()->widgetUnderMouse(), left);
    const int enters = left->enters;

    // The platform says the cursor left while it may still be inside.
    if (!cursorInside)
        QCursor::setPos(QPoint(0, 0));
    QWindowSystemInterface::handleLeaveEvent<QWindowSystemInterface::SynchronousDelivery>(
            window.windowHandle());
    QVERIFY(!left->underMouse());
    runOnePass();
    QCOMPARE(left->underMouse(), cursorInside);
    QCOMPARE(left->enters, enters + (cursorInside ? 1 : 0));
    QVERIFY(!right->underMouse());
}

int main(int argc, char **argv)
{
    KelApplication app(argc, argv);
    tst_KelUi test;
    const int result = QTest::qExec(&test, argc, argv);
    delete kelUi();
    return result;
}

#include "tst_kelui.moc"

#include "waitbound.h"
#include "widgets/kelwheelanimator.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>
#include <QtTest>

namespace {

// Records the wheel events that reach a scroll bar and when they came.
class WheelRecorder : public QObject
{
public:
    explicit WheelRecorder(QScrollBar *bar) { bar->installEventFilter(this); }

    int sum() const
    {
        int total = 0;
        for (const QPoint &delta : deltas)
            total += delta.x() + delta.y();
        return total;
    }
    // True when no two events came further apart than the animator's
    // threshold for late ticks (with a margin), so that every tick ran one
    // round.
    bool onTime() const
    {
        for (int i = 1; i < times.size(); ++i) {
            if (times.at(i) - times.at(i - 1) > 25)
                return false;
        }
        return true;
    }

    QList<QPoint> deltas;
    QList<qint64> times;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Wheel) {
            deltas << static_cast<QWheelEvent *>(event)->angleDelta();
            times << clock.elapsed();
        }
        return false;
    }

private:
    QElapsedTimer clock = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
};

// A scroll area whose bars keep the ranges a test gives them.
struct Area
{
    Area(int verticalMax, int horizontalMax)
    {
        area.resize(200, 200);
        area.verticalScrollBar()->setRange(0, verticalMax);
        area.horizontalScrollBar()->setRange(0, horizontalMax);
        for (QScrollBar *bar : {area.verticalScrollBar(), area.horizontalScrollBar()}) {
            bar->setSingleStep(1000);
            bar->setPageStep(1000);
        }
    }

    void wheel(int delta, Qt::Orientation orientation = Qt::Vertical)
    {
        const QPoint angle = orientation == Qt::Vertical ? QPoint(0, delta) : QPoint(delta, 0);
        QWheelEvent event(QPointF(10, 10), QPointF(10, 10), QPoint(), angle, Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QVERIFY(QCoreApplication::sendEvent(area.viewport(), &event));
    }

    QTimer *stepTimer() const { return animator->findChild<QTimer *>(); }

    QAbstractScrollArea area;
    KelWheelAnimator *animator = new KelWheelAnimator(&area);
};

} // namespace

class tst_KelWheelAnimator : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void oneNotchIsOneEntryOverItsTicks_data();
    void oneNotchIsOneEntryOverItsTicks();
    void rapidEventsAccelerate();
    void verticalWheelFallsBackToHorizontalBar();
    void swappedOrientation();
    void nothingToScrollStopsTheTimer();
    void lateTicksCatchUp();
    void disabledLetsEventsThrough();
};

void tst_KelWheelAnimator::cleanup()
{
    QApplication::setWheelScrollLines(3);
}

void tst_KelWheelAnimator::oneNotchIsOneEntryOverItsTicks_data()
{
    QTest::addColumn<int>("lines");
    QTest::addColumn<double>("entryDelta");

    // The notch is its own first recent event: accelerated by 2.5 / 15.
    const double accelerated = 1.0 + 2.5 / 15.0;
    QTest::newRow("3 lines") << 3 << 40 * accelerated;
    QTest::newRow("1 line") << 1 << 120 * accelerated;
}

void tst_KelWheelAnimator::oneNotchIsOneEntryOverItsTicks()
{
    QFETCH(int, lines);
    QFETCH(double, entryDelta);

    QApplication::setWheelScrollLines(lines);
    Area a(1000, 0);
    WheelRecorder recorder(a.area.verticalScrollBar());
    a.wheel(-120);
    QVERIFY(a.stepTimer()->isActive());
    QCOMPARE(a.stepTimer()->interval(), 8);
    QTRY_VERIFY(!a.stepTimer()->isActive());

    for (const QPoint &delta : recorder.deltas)
        QCOMPARE(delta.x(), 0);
    // Each tick rounds its share of the cosine curve, which may lose a
    // little of the entry.
    QVERIFY2(qAbs(recorder.sum() + entryDelta) <= 2.0, qPrintable(QString::number(recorder.sum())));
    if (recorder.onTime())
        QCOMPARE(recorder.deltas.size(), 24);
    else
        QVERIFY(recorder.deltas.size() <= 24);
    QVERIFY(a.area.verticalScrollBar()->value() > 0);
}

void tst_KelWheelAnimator::rapidEventsAccelerate()
{
    // Event i of 15 within 500 ms is accelerated by 2.5 x i / 15: the
    // fifteenth by the full 3.5.
    Area a(100000, 0);
    WheelRecorder recorder(a.area.verticalScrollBar());
    for (int i = 0; i < 15; ++i)
        a.wheel(120);
    QTRY_VERIFY(!a.stepTimer()->isActive());

    double expected = 0.0;
    for (int i = 1; i <= 15; ++i)
        expected += 40.0 * (1.0 + 2.5 * i / 15.0);
    QCOMPARE(expected, 1400.0);
    // At most half a unit of rounding per tick.
    QVERIFY2(qAbs(recorder.sum() - expected) <= 12, qPrintable(QString::number(recorder.sum())));
}

void tst_KelWheelAnimator::verticalWheelFallsBackToHorizontalBar()
{
    Area a(0, 100);
    WheelRecorder vertical(a.area.verticalScrollBar());
    a.wheel(-120);
    QTRY_COMPARE(a.area.horizontalScrollBar()->value(), 100);
    QTRY_VERIFY(!a.stepTimer()->isActive());
    QVERIFY(vertical.deltas.isEmpty());
    QCOMPARE(a.area.verticalScrollBar()->value(), 0);

    // And a horizontal wheel over a vertical-only area scrolls vertically.
    Area b(100, 0);
    b.wheel(-120, Qt::Horizontal);
    QTRY_COMPARE(b.area.verticalScrollBar()->value(), 100);
    QTRY_VERIFY(!b.stepTimer()->isActive());
}

void tst_KelWheelAnimator::swappedOrientation()
{
    Area a(100, 100);
    a.animator->setOrientationSwapped(true);
    a.wheel(-120);
    QTRY_COMPARE(a.area.horizontalScrollBar()->value(), 100);
    QTRY_VERIFY(!a.stepTimer()->isActive());
    QCOMPARE(a.area.verticalScrollBar()->value(), 0);
}

void tst_KelWheelAnimator::nothingToScrollStopsTheTimer()
{
    Area a(0, 0);
    a.wheel(-120);
    QVERIFY(a.stepTimer()->isActive());
    QTRY_VERIFY(!a.stepTimer()->isActive());
}

void tst_KelWheelAnimator::lateTicksCatchUp()
{
    // Ticks 40 ms apart: the first runs one round, each later one at least
    // four times the rounds of the one before, so the entry (40, accelerated
    // to 46.7) is spent in a few ticks and nothing is lost beyond rounding.
    Area a(1000, 0);
    WheelRecorder recorder(a.area.verticalScrollBar());
    a.wheel(-120);
    for (int i = 0; i < 6 && a.stepTimer()->isActive(); ++i) {
        QThread::msleep(40);
        QCoreApplication::processEvents();
    }
    QTRY_VERIFY(!a.stepTimer()->isActive());
    QVERIFY2(recorder.deltas.size() >= 2 && recorder.deltas.size() <= 4,
             qPrintable(QString::number(recorder.deltas.size())));
    QVERIFY2(qAbs(recorder.sum() + 46.7) <= 2.0, qPrintable(QString::number(recorder.sum())));
}

void tst_KelWheelAnimator::disabledLetsEventsThrough()
{
    Area a(1000, 0);
    a.animator->setEnabled(false);
    QWheelEvent event(QPointF(10, 10), QPointF(10, 10), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(a.area.viewport(), &event);
    QVERIFY(!a.stepTimer()->isActive());
    // The area handled the event itself at once.
    QVERIFY(a.area.verticalScrollBar()->value() > 0);
}

QTEST_MAIN(tst_KelWheelAnimator)

#include "tst_kelwheelanimator.moc"

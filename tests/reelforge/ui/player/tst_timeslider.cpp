#include "kelapplication.h"
#include "kelui.h"
#include "styles/kelstylemanager.h"
#include "ui/player/timeslider.h"
#include "ui/style.h"
#include "waitbound.h"
#include "widgets/kelbutton.h"

#include <QKeyEvent>
#include <QPainterPath>
#include <QSignalSpy>
#include <QtTest>

namespace {

// 3 s in time units (100 ns).
constexpr qint64 Duration = 30000000;

// Hears the keys its children leave unhandled.
class KeyRecorder : public QWidget
{
public:
    QList<int> keys;

protected:
    void keyPressEvent(QKeyEvent *event) override { keys << event->key(); }
};

// A trim slider over 3 s with the trim handles shown, in a window that
// takes input.
class Host
{
public:
    Host()
    {
        window.resize(640, 140);
        slider = new TimeSlider(Style::WT_Slider_Trim, &window);
        // Tall enough to hold the bubbles above the groove.
        slider->setGeometry(20, 20, 600, 90);
        slider->setAnimated(false);
        slider->setTimeRange(0, Duration);
        slider->leftTrimHandle()->setText(QStringLiteral("0:00.5"));
        slider->rightTrimHandle()->setText(QStringLiteral("0:02.5"));
        slider->setTrimVisible(true);
        slider->setTrimRange(5000000, 25000000);
        window.show();
    }

    bool exposed()
    {
        window.activateWindow();
        return QTest::qWaitForWindowExposed(&window, WaitBound::ms())
                && QTest::qWaitForWindowActive(&window, WaitBound::ms());
    }

    QWindow *handle() { return window.windowHandle(); }

    KeyRecorder window;
    TimeSlider *slider = nullptr;
};

// The lowest point of a bubble: its pointer's tip.
QPointF tipOf(const QPainterPath &path)
{
    QPointF tip(0, -1e9);
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        if (e.y > tip.y())
            tip = QPointF(e.x, e.y);
    }
    return tip;
}

} // namespace

class tst_TimeSlider : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void timesTruncateToWholeMilliseconds();
    void trimChangesReportTimes();
    void spaceReachesTheParent();
    void bubbleTipsSitAboveTheTrimPositions();
};

void tst_TimeSlider::initTestCase()
{
    QVERIFY(KelStyleManager::instance());
    Style::registerThemes(kelUi());
    QVERIFY(KelStyleManager::instance()->setCurrentStyle(QStringLiteral("LightStyle")));
}

void tst_TimeSlider::timesTruncateToWholeMilliseconds()
{
    Host host;
    QVERIFY(host.exposed());
    TimeSlider *slider = host.slider;

    slider->setTime(10000);
    const QRect shown = slider->positionHandle()->geometry();
    QSignalSpy values(slider, &TimeSlider::timeValueChanged);
    slider->setTime(19999);
    QCOMPARE(slider->sliderTime(), qint64(10000));
    QCOMPARE(slider->positionHandle()->geometry(), shown);
    QVERIFY(values.isEmpty());

    slider->setTime(2 * 10000 + 9999);
    QCOMPARE(values.size(), 1);
    QCOMPARE(values.last().at(0).toLongLong(), qlonglong(20000));

    slider->setTimeQuiet(3 * 10000 + 9999);
    QCOMPARE(slider->sliderTime(), qint64(30000));
    QCOMPARE(values.size(), 1);

    slider->setTimeRange(9999, Duration + 9999);
    QCOMPARE(slider->timeRange(), qMakePair(qint64(0), Duration));
}

void tst_TimeSlider::trimChangesReportTimes()
{
    Host host;
    QVERIFY(host.exposed());
    TimeSlider *slider = host.slider;
    QCOMPARE(slider->trimRange(), qMakePair(qint64(5000000), qint64(25000000)));

    QSignalSpy ranges(slider, &TimeSlider::timeTrimRangeChanged);
    QSignalSpy texts(slider, &TimeSlider::updateTrimTextsRequest);
    slider->setTrimRange(10000000, 20000000);
    QCOMPARE(ranges.size(), 2);
    QCOMPARE(texts.size(), 2);
    QCOMPARE(ranges.last(), (QVariantList{qlonglong(10000000), qlonglong(20000000)}));

    // Dragging the right handle by hand reports the range it leaves.
    ranges.clear();
    texts.clear();
    KelButton *right = slider->rightTrimHandle();
    const QPoint grab = right->mapTo(&host.window, right->rect().center());
    QTest::mousePress(host.handle(), Qt::LeftButton, {}, grab);
    QTest::mouseEvent(QTest::MouseMove, host.handle(), Qt::NoButton, {}, grab + QPoint(100, 0));
    QTest::mouseRelease(host.handle(), Qt::LeftButton, {}, grab + QPoint(100, 0));

    QVERIFY(!ranges.isEmpty());
    QCOMPARE(texts.size(), ranges.size());
    const qlonglong upper = ranges.last().at(1).toLongLong();
    QVERIFY(upper > 20000000);
    QCOMPARE(ranges.last().at(0).toLongLong(), qlonglong(10000000));
    QCOMPARE(upper, slider->KelSlider::trimRange().second * qlonglong(10000));
    QCOMPARE(slider->trimRange().second, qint64(upper));

    slider->setTrimVisible(false);
    QCOMPARE(slider->trimRange(), qMakePair(qint64(0), qint64(0)));
}

void tst_TimeSlider::spaceReachesTheParent()
{
    Host host;
    QVERIFY(host.exposed());
    TimeSlider *slider = host.slider;
    slider->setTime(15000000);
    slider->setFocus();
    QTRY_VERIFY(slider->hasFocus());

    QTest::keyClick(host.handle(), Qt::Key_Space);
    QCOMPARE(host.window.keys, QList<int>{Qt::Key_Space});

    // Arrow and page keys step by nothing.
    for (int key : {Qt::Key_Right, Qt::Key_Left, Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_Space})
        QTest::keyClick(host.handle(), Qt::Key(key));
    QCOMPARE(slider->sliderTime(), qint64(15000000));
}

void tst_TimeSlider::bubbleTipsSitAboveTheTrimPositions()
{
    Host host;
    QVERIFY(host.exposed());
    TimeSlider *slider = host.slider;
    const QPair<int, int> values = slider->KelSlider::trimRange();

    struct Case
    {
        KelButton *handle;
        int value;
        bool left;
    };
    for (const Case &c : {Case{slider->leftTrimHandle(), values.first, true},
                          Case{slider->rightTrimHandle(), values.second, false}}) {
        c.handle->ensureGeometryIsValid();
        const QPainterPath path = c.handle->framePath();
        QVERIFY(!path.isEmpty());
        const QPointF tip = tipOf(path);
        // The pointer leans towards the trim position's side of the bubble.
        QCOMPARE(tip.x() > path.boundingRect().center().x(), c.left);
        const QPoint hotSpot = (tip + QPointF(0, 8)).toPoint();
        QTRY_COMPARE(c.handle->mapToParent(hotSpot), slider->pointFromValue(c.value));
    }
}

int main(int argc, char **argv)
{
    KelApplication app(argc, argv);
    tst_TimeSlider test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_timeslider.moc"

#include "animators/kelprogressanimator.h"

#include "manualanimationdriver.h"

#include <QtTest>

namespace {

const KelAnimationParams Linear = {QEasingCurve::Linear, 200, QEasingCurve::Linear, 100, 0.0, 1.0};

using Pos = KelPropertyAnimator::Pos;

Pos posAt(const QSignalSpy &spy, int i)
{
    return spy.at(i).first().value<Pos>();
}

} // namespace

class tst_KelProgressAnimator : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { qRegisterMetaType<KelPropertyAnimator::Pos>(); }
    void runsAndReportsStartAndFinish();
    void reversalStartsNothingNew();
    void jumpsReportNoStart();
    void zeroDurationWayBack();
};

void tst_KelProgressAnimator::runsAndReportsStartAndFinish()
{
    ManualAnimationDriver driver;
    KelProgressAnimator animator(nullptr, Linear);
    QSignalSpy started(&animator, &KelProgressAnimator::started);
    QSignalSpy finished(&animator, &KelProgressAnimator::finished);
    QSignalSpy progress(&animator, &KelProgressAnimator::progressChanged);

    animator.animateForward();
    animator.animateTo(KelPropertyAnimator::End);
    QCOMPARE(started.count(), 1);
    QCOMPARE(posAt(started, 0), KelPropertyAnimator::End);
    QVERIFY(animator.isAnimating());
    driver.advance(50);
    QCOMPARE(animator.progress(), 0.25);
    driver.advance(150);
    QCOMPARE(animator.progress(), 1.0);
    QVERIFY(!animator.isAnimating());
    QCOMPARE(finished.count(), 1);
    QCOMPARE(posAt(finished, 0), KelPropertyAnimator::End);
    QCOMPARE(progress.last().first().toDouble(), 1.0);

    animator.animateBackward();
    driver.advance(100);
    QCOMPARE(animator.progress(), 0.0);
    QCOMPARE(started.count(), 2);
    QCOMPARE(posAt(started, 1), KelPropertyAnimator::Start);
    QCOMPARE(posAt(finished, 1), KelPropertyAnimator::Start);
}

void tst_KelProgressAnimator::reversalStartsNothingNew()
{
    ManualAnimationDriver driver;
    KelProgressAnimator animator(nullptr, Linear);
    QSignalSpy started(&animator, &KelProgressAnimator::started);
    QSignalSpy finished(&animator, &KelProgressAnimator::finished);

    animator.animateForward();
    driver.advance(100);
    animator.animateBackward(); // turns round at 0.5: 50 ms of the 100 ms way back
    QCOMPARE(animator.progress(), 0.5);
    QCOMPARE(animator.direction(), KelPropertyAnimator::Start);
    driver.advance(25);
    QCOMPARE(animator.progress(), 0.25);
    driver.advance(25);
    QCOMPARE(animator.progress(), 0.0);
    QCOMPARE(started.count(), 1);
    QCOMPARE(finished.count(), 1);
    QCOMPARE(posAt(finished, 0), KelPropertyAnimator::Start);
}

void tst_KelProgressAnimator::jumpsReportNoStart()
{
    KelProgressAnimator animator(nullptr, Linear);
    QSignalSpy started(&animator, &KelProgressAnimator::started);
    QSignalSpy progress(&animator, &KelProgressAnimator::progressChanged);
    animator.jumpToEnd();
    QCOMPARE(animator.progress(), 1.0);
    QCOMPARE(animator.direction(), KelPropertyAnimator::End);
    animator.jumpToEnd();
    animator.jumpToStart();
    QCOMPARE(animator.progress(), 0.0);
    QCOMPARE(progress.count(), 2);
    QCOMPARE(started.count(), 0);

    // New parameters show the current position's value at once.
    animator.setAnimationParams({QEasingCurve::Linear, 10, QEasingCurve::Linear, 10, 0.5, 2.0});
    QCOMPARE(animator.progress(), 0.5);
}

void tst_KelProgressAnimator::zeroDurationWayBack()
{
    // A fade in over 250 ms whose way back is immediate.
    ManualAnimationDriver driver;
    KelProgressAnimator animator(nullptr,
                                 {QEasingCurve::InQuad, 250, QEasingCurve::Linear, 0, 0.0, 1.0});
    QSignalSpy finished(&animator, &KelProgressAnimator::finished);
    animator.animateForward();
    driver.advance(250);
    QCOMPARE(animator.progress(), 1.0);
    animator.animateBackward();
    driver.advance(1);
    QCOMPARE(animator.progress(), 0.0);
    QVERIFY(!animator.isAnimating());
    QCOMPARE(animator.direction(), KelPropertyAnimator::Start);
}

QTEST_MAIN(tst_KelProgressAnimator)
#include "tst_kelprogressanimator.moc"

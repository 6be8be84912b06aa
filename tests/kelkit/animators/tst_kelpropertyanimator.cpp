#include "animators/kelpropertyanimator.h"

#include "manualanimationdriver.h"

#include <QPropertyAnimation>
#include <QtTest>

namespace {

// Records every value written to its property.
class Target : public QObject
{
    Q_OBJECT
    Q_PROPERTY(double value READ value WRITE setValue)
    Q_PROPERTY(double writeOnly WRITE setValue)

public:
    double value() const { return m_value; }
    void setValue(double value)
    {
        m_value = value;
        writes << value;
    }

    QList<double> writes;

private:
    double m_value = -1.0;
};

KelAnimationParams params(int forwardEasing, int forwardMs, int backwardEasing, int backwardMs,
                          double start = 0.0, double end = 1.0)
{
    return {forwardEasing, forwardMs, backwardEasing, backwardMs, start, end};
}

// Forward 200 ms OutCubic, backward 500 ms InCubic.
const KelAnimationParams Asymmetric = params(QEasingCurve::OutCubic, 200, QEasingCurve::InCubic,
                                             500);

bool noJump(const QList<double> &writes, double from, double limit)
{
    double previous = from;
    for (double v : writes) {
        if (qAbs(v - previous) > limit)
            return false;
        previous = v;
    }
    return true;
}

} // namespace

class tst_KelPropertyAnimator : public QObject
{
    Q_OBJECT

private slots:
    void registeringWritesStartValue();
    void runsForwardOnItsCurve();
    void secondRequestLeavesRunUndisturbed();
    void turnRoundKeepsValue_data();
    void turnRoundKeepsValue();
    void nonInjectiveCurveTurnsAtRawValue();
    void jumpToCurrentPositionWritesNothing();
    void changedParamsShowAtOnce();
    void reRegisteringKeepsFirstTarget();
    void zeroDurationJumps();
    void misuseIsLoggedAndIgnored();

private:
    ManualAnimationDriver *driver = nullptr;
};

void tst_KelPropertyAnimator::registeringWritesStartValue()
{
    Target target;
    KelPropertyAnimator animator;
    animator.setupAnimation(&target, "value",
                            params(QEasingCurve::Linear, 100, QEasingCurve::Linear, 100, 0.25,
                                   0.75));
    QCOMPARE(target.value(), 0.25);
    QCOMPARE(animator.direction("value"), KelPropertyAnimator::Start);
    QVERIFY(!animator.isActive("value"));
    QCOMPARE(animator.animation("value")->targetObject(), &target);
}

void tst_KelPropertyAnimator::runsForwardOnItsCurve()
{
    ManualAnimationDriver driver;
    Target target;
    KelPropertyAnimator animator;
    animator.setupAnimation(&target, "value", Asymmetric);

    animator.animateValue("value", KelPropertyAnimator::End);
    QVERIFY(animator.isActive("value"));
    QCOMPARE(animator.direction("value"), KelPropertyAnimator::End);
    driver.advance(100);
    QCOMPARE(target.value(), QEasingCurve(QEasingCurve::OutCubic).valueForProgress(0.5));
    driver.advance(100);
    QCOMPARE(target.value(), 1.0);
    QVERIFY(!animator.isActive("value"));
}

void tst_KelPropertyAnimator::secondRequestLeavesRunUndisturbed()
{
    ManualAnimationDriver driver;
    Target target;
    KelPropertyAnimator animator;
    animator.setupAnimation(&target, "value", Asymmetric);

    animator.animateValue("value", KelPropertyAnimator::End);
    driver.advance(80);
    const int writes = target.writes.size();
    animator.animateValue("value", KelPropertyAnimator::End);
    QCOMPARE(target.writes.size(), writes);
    QCOMPARE(animator.animation("value")->currentTime(), 80);
    QCOMPARE(animator.animation("value")->state(), QAbstractAnimation::Running);
    driver.advance(120);
    QCOMPARE(target.value(), 1.0);
}

void tst_KelPropertyAnimator::turnRoundKeepsValue_data()
{
    QTest::addColumn<bool>("stoppedFirst");
    QTest::newRow("running") << false;
    // Stopped part-way (as Qt does when another animation takes the
    // property over): the reversal must not restart from the far end.
    QTest::newRow("stopped") << true;
}

void tst_KelPropertyAnimator::turnRoundKeepsValue()
{
    QFETCH(bool, stoppedFirst);
    ManualAnimationDriver driver;
    Target target;
    KelPropertyAnimator animator;
    animator.setupAnimation(&target, "value", Asymmetric);
    QPropertyAnimation *animation = animator.animation("value");

    animator.animateValue("value", KelPropertyAnimator::End);
    driver.advance(80); // 40 % of the forward run
    const double reached = target.value();
    QVERIFY(qAbs(reached - 0.784) < 1e-9);
    if (stoppedFirst)
        animation->stop();

    target.writes.clear();
    animator.animateValue("value", KelPropertyAnimator::Start);
    QCOMPARE(animator.direction("value"), KelPropertyAnimator::Start);
    QCOMPARE(animation->direction(), QAbstractAnimation::Backward);
    QCOMPARE(animation->duration(), 500);
    QCOMPARE(animation->easingCurve().type(), QEasingCurve::InCubic);
    // Six bisection steps give 0.922375 on InCubic: 461 ms of 500.
    QCOMPARE(animation->currentTime(), 461);
    QCOMPARE(animation->state(), QAbstractAnimation::Running);
    QVERIFY(noJump(target.writes, reached, 0.01));

    driver.advance(200);
    QCOMPARE(target.value(), QEasingCurve(QEasingCurve::InCubic).valueForProgress(261 / 500.0));
    QVERIFY(noJump(target.writes, reached, 0.7));
    driver.advance(261);
    QCOMPARE(target.value(), 0.0);
    QVERIFY(!animator.isActive("value"));
}

void tst_KelPropertyAnimator::nonInjectiveCurveTurnsAtRawValue()
{
    ManualAnimationDriver driver;
    Target target;
    KelPropertyAnimator animator;
    animator.setupAnimation(&target, "value",
                            params(QEasingCurve::Linear, 100, QEasingCurve::OutBounce, 400));
    animator.animateValue("value", KelPropertyAnimator::End);
    driver.advance(25);

    QTest::ignoreMessage(QtWarningMsg,
                         "progressForValue(): QEasingCurves of type 38 do not have an inverse, "
                         "since they are not injective.");
    animator.animateValue("value", KelPropertyAnimator::Start);
    QCOMPARE(animator.animation("value")->currentTime(), 100); // 0.25 of 400 ms
}

void tst_KelPropertyAnimator::jumpToCurrentPositionWritesNothing()
{
    Target target;
    KelPropertyAnimator animator;
    animator.setupAnimation(&target, "value", Asymmetric);
    animator.setValue("value", KelPropertyAnimator::End, false);
    QCOMPARE(target.value(), 1.0);
    QVERIFY(!animator.isActive("value"));

    target.writes.clear();
    animator.setValue("value", KelPropertyAnimator::End, false);
    animator.animateValue("value", KelPropertyAnimator::End);
    QVERIFY(target.writes.isEmpty());
    QVERIFY(!animator.isActive("value"));

    animator.setValue("value", KelPropertyAnimator::Start, false);
    QCOMPARE(target.value(), 0.0);
}

void tst_KelPropertyAnimator::changedParamsShowAtOnce()
{
    ManualAnimationDriver driver;
    Target target;
    KelPropertyAnimator animator;
    animator.setupAnimation(&target, "value", Asymmetric);
    animator.setValue("value", KelPropertyAnimator::End, false);

    const KelAnimationParams changed = params(QEasingCurve::Linear, 100, QEasingCurve::Linear, 300,
                                              0.0, 2.0);
    animator.setupAnimation(&target, "value", changed);
    QCOMPARE(target.value(), 2.0);
    QVERIFY(animator.animationParams("value") == changed);

    // Equal parameters change nothing.
    target.writes.clear();
    animator.setupAnimation(&target, "value", changed);
    QVERIFY(target.writes.isEmpty());

    // The way back now takes 300 ms, linearly.
    animator.animateValue("value", KelPropertyAnimator::Start);
    driver.advance(150);
    QCOMPARE(target.value(), 1.0);
    driver.advance(150);
    QCOMPARE(target.value(), 0.0);
}

void tst_KelPropertyAnimator::reRegisteringKeepsFirstTarget()
{
    Target first;
    Target second;
    KelPropertyAnimator animator;
    animator.setupAnimation(&first, "value", Asymmetric);
    animator.setupAnimation(&second, "value",
                            params(QEasingCurve::Linear, 10, QEasingCurve::Linear, 10, 0.5, 1.0));
    animator.setValue("value", KelPropertyAnimator::End, false);
    QCOMPARE(first.value(), 1.0);
    QCOMPARE(second.value(), -1.0);
    QVERIFY(second.writes.isEmpty());
}

void tst_KelPropertyAnimator::zeroDurationJumps()
{
    // Qt evaluates a zero-duration animation at its end value in both
    // directions; such moves must still reach the asked position.
    ManualAnimationDriver driver;
    Target target;
    KelPropertyAnimator animator;
    animator.setupAnimation(&target, "value", KelAnimationParams{0, 0, 0, 0, 0.0, 1.0});
    animator.animateValue("value", KelPropertyAnimator::End);
    driver.advance(1);
    QCOMPARE(target.value(), 1.0);
    animator.animateValue("value", KelPropertyAnimator::Start);
    driver.advance(1);
    QCOMPARE(target.value(), 0.0);
    QVERIFY(!animator.isActive("value"));
    animator.setValue("value", KelPropertyAnimator::End, false);
    QCOMPARE(target.value(), 1.0);
}

void tst_KelPropertyAnimator::misuseIsLoggedAndIgnored()
{
    Target target;
    KelPropertyAnimator animator;

    QTest::ignoreMessage(QtCriticalMsg, "Invalid param! Target is null");
    animator.setupAnimation(nullptr, "value", Asymmetric);
    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("^Invalid param! Prop is null for"));
    animator.setupAnimation(&target, nullptr, Asymmetric);
    QTest::ignoreMessage(QtCriticalMsg,
                         QRegularExpression("^Invalid param! Property missing not found in"));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("has no property 'missing'$"));
    animator.setupAnimation(&target, "missing", Asymmetric);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("has no property 'writeOnly'$"));
    animator.setupAnimation(&target, "writeOnly", Asymmetric);
    QVERIFY(target.writes.isEmpty());

    const char *unknown = "Invaid param! There are no registered animation for property 'missing'";
    QTest::ignoreMessage(QtCriticalMsg, unknown);
    animator.animateValue("missing", KelPropertyAnimator::End);
    QTest::ignoreMessage(QtCriticalMsg, unknown);
    QCOMPARE(animator.direction("missing"), KelPropertyAnimator::Start);
    QTest::ignoreMessage(QtCriticalMsg, unknown);
    QVERIFY(!animator.isActive("missing"));
    QVERIFY(animator.animationParams("missing") == KelAnimationParams());
    QVERIFY(!animator.animation("missing"));
}

QTEST_MAIN(tst_KelPropertyAnimator)
#include "tst_kelpropertyanimator.moc"

#include "animators/kelgeometryanimator.h"
#include "animators/kelopacityanimator.h"
#include "painting/kelgraphicsopacityeffect.h"

#include "manualanimationdriver.h"

#include <QGraphicsBlurEffect>
#include <QTimer>
#include <QtTest>

namespace {

// A shown window with one child.
struct Scene
{
    Scene()
    {
        window.resize(400, 400);
        child.setGeometry(0, 0, 100, 100);
        window.show();
    }

    QWidget window;
    QWidget child{&window};
};

} // namespace

class tst_KelAbstractAnimator : public QObject
{
    Q_OBJECT

private slots:
    void geometryRetargetKeepsEndTime();
    void geometryOfHiddenWidgetIsSetAtOnce();
    void geometryKeepsFixedSizePolicy();
    void waitReturnsWhenRunEnds();
    void opacityFadesChildThroughEffect();
    void opacityOfHiddenChildHidesAtOnce();
    void opacityLeavesForeignEffectAlone();
    void opacityOfWindow();
};

void tst_KelAbstractAnimator::geometryRetargetKeepsEndTime()
{
    ManualAnimationDriver driver;
    Scene scene;
    auto animator = new KelGeometryAnimator(&scene.child);
    QCOMPARE(animator->parent(), &scene.child);
    QSignalSpy finished(animator, &KelAbstractAnimator::finished);

    animator->animateGeometry(QRect(0, 0, 100, 100).translated(300, 0), true, 300);
    driver.advance(100);
    QVERIFY(animator->isRunning());
    const QRect reached = scene.child.geometry();
    QCOMPARE(reached.topLeft(), QPoint(66, 0)); // InOutQuad at 1/3, truncated

    const QRect goal(0, 200, 100, 100);
    animator->animateGeometry(goal, true, 300);
    QCOMPARE(scene.child.geometry(), reached);
    driver.advance(100);
    QCOMPARE(scene.child.pos(), QPoint(reached.x() / 2, 100)); // half way on InOutQuad
    QVERIFY(animator->isRunning());
    driver.advance(100);
    QCOMPARE(scene.child.geometry(), goal);
    QVERIFY(!animator->isRunning());
    QCOMPARE(finished.count(), 1);
}

void tst_KelAbstractAnimator::geometryOfHiddenWidgetIsSetAtOnce()
{
    ManualAnimationDriver driver;
    Scene scene;
    scene.child.hide();
    KelGeometryAnimator animator(&scene.child);
    animator.animateGeometry(QRect(10, 20, 30, 40), true, 300);
    QVERIFY(!animator.isRunning());
    QCOMPARE(scene.child.geometry(), QRect(10, 20, 30, 40));

    scene.child.show();
    animator.animateGeometry(QRect(0, 0, 50, 50), false, 300);
    QCOMPARE(scene.child.geometry(), QRect(0, 0, 50, 50));
}

void tst_KelAbstractAnimator::geometryKeepsFixedSizePolicy()
{
    Scene scene;
    scene.child.setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    KelGeometryAnimator animator(&scene.child);
    animator.animateGeometry(QRect(5, 5, 60, 70), false, 0);
    QCOMPARE(scene.child.geometry(), QRect(5, 5, 60, 70));
    QCOMPARE(scene.child.minimumWidth(), 60);
    QCOMPARE(scene.child.maximumWidth(), 60);
    QCOMPARE(scene.child.minimumHeight(), 0);
}

void tst_KelAbstractAnimator::waitReturnsWhenRunEnds()
{
    ManualAnimationDriver driver;
    Scene scene;
    KelGeometryAnimator animator(&scene.child);
    QTimer::singleShot(0, &scene.window, [&driver] { driver.advance(300); });
    animator.animateGeometry(QRect(50, 50, 100, 100), true, 300, true);
    QVERIFY(!animator.isRunning());
    QCOMPARE(scene.child.geometry(), QRect(50, 50, 100, 100));
}

void tst_KelAbstractAnimator::opacityFadesChildThroughEffect()
{
    ManualAnimationDriver driver;
    Scene scene;
    KelOpacityAnimator animator(&scene.child);
    animator.animateOpacity(0.5, true, 200, false);
    auto effect = qobject_cast<KelGraphicsOpacityEffect *>(scene.child.graphicsEffect());
    QVERIFY(effect);
    driver.advance(200);
    QCOMPARE(effect->opacity(), 0.5);
    QVERIFY(scene.child.isVisible());

    animator.animateOpacity(0.0, true, 200, false);
    driver.advance(100);
    QCOMPARE(effect->opacity(), 0.25);
    driver.advance(100);
    QCOMPARE(effect->opacity(), 0.0);
    QVERIFY(scene.child.isHidden());
}

void tst_KelAbstractAnimator::opacityOfHiddenChildHidesAtOnce()
{
    Scene scene;
    scene.child.hide();
    KelOpacityAnimator animator(&scene.child);
    animator.animateOpacity(0.0, true, 300, false);
    auto effect = qobject_cast<KelGraphicsOpacityEffect *>(scene.child.graphicsEffect());
    QVERIFY(effect);
    QCOMPARE(effect->opacity(), 0.0);
    QVERIFY(!animator.isRunning());
    QVERIFY(scene.child.isHidden());
}

void tst_KelAbstractAnimator::opacityLeavesForeignEffectAlone()
{
    Scene scene;
    auto blur = new QGraphicsBlurEffect;
    scene.child.setGraphicsEffect(blur);
    KelOpacityAnimator animator(&scene.child);
    animator.animateOpacity(0.5, true, 300, false);
    QVERIFY(!animator.isRunning());
    QCOMPARE(scene.child.graphicsEffect(), blur);
    QVERIFY(scene.child.isVisible());
    animator.animateOpacity(0.0, true, 300, false);
    QCOMPARE(scene.child.graphicsEffect(), blur);
    QVERIFY(scene.child.isHidden());
}

void tst_KelAbstractAnimator::opacityOfWindow()
{
    ManualAnimationDriver driver;
    Scene scene;
    KelOpacityAnimator animator(&scene.window);
    animator.animateOpacity(0.2, true, 100, false);
    QVERIFY(!scene.window.graphicsEffect());
    driver.advance(100);
    QVERIFY(qAbs(scene.window.windowOpacity() - 0.2) < 0.01);
}

QTEST_MAIN(tst_KelAbstractAnimator)
#include "tst_kelabstractanimator.moc"

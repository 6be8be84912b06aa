#include "animators/kelvisibilityanimatable.h"
#include "painting/kelgraphicsdropshadoweffect.h"
#include "painting/kelgraphicsopacityeffect.h"

#include "manualanimationdriver.h"

#include <QScrollArea>
#include <QtTest>

#include <memory>

namespace {

class Fader : public QWidget, public KelVisibilityAnimatable
{
public:
    explicit Fader(QWidget *parent = nullptr) : QWidget(parent), KelVisibilityAnimatable(this) { }

    using KelVisibilityAnimatable::visibilityAnimator;
    int shown = 0;

protected:
    void onShownAnimated() override { ++shown; }
};

struct Scene
{
    Scene()
    {
        window.resize(200, 200);
        child.setGeometry(10, 10, 50, 50);
        window.show();
    }

    double opacity() const
    {
        auto effect = qobject_cast<KelGraphicsOpacityEffect *>(child.graphicsEffect());
        return effect ? effect->opacity() : -1.0;
    }

    QWidget window;
    Fader child{&window};
};

double curve(QEasingCurve::Type type, double t)
{
    return QEasingCurve(type).valueForProgress(t);
}

} // namespace

class tst_KelVisibilityAnimatable : public QObject
{
    Q_OBJECT

private slots:
    void showAnimatedFadesInAndLeavesNoEffect();
    void hideAnimatedFadesOutAndHides();
    void hideDuringFadeInResets();
    void turnRoundMidFade();
    void withoutAnimationJustSetsVisibility();
    void windowFadesThroughWindowOpacity();
    void dropShadowSurvivesFades();
    void forceRepaintLastsForFade();
    void deadWidgetIsReported();
};

void tst_KelVisibilityAnimatable::showAnimatedFadesInAndLeavesNoEffect()
{
    ManualAnimationDriver driver;
    Scene scene;
    scene.child.hide();

    scene.child.showAnimated();
    QVERIFY(scene.child.isVisible());
    QCOMPARE(scene.opacity(), 0.001);
    driver.advance(125);
    QCOMPARE(scene.opacity(), curve(QEasingCurve::OutCubic, 0.5));
    QCOMPARE(scene.child.shown, 0);
    driver.advance(125);
    QVERIFY(scene.child.isVisible());
    QVERIFY(!scene.child.graphicsEffect());
    QCOMPARE(scene.child.shown, 1);
    QCOMPARE(scene.child.visibilityAnimator()->progress(), 1.0);
}

void tst_KelVisibilityAnimatable::hideAnimatedFadesOutAndHides()
{
    ManualAnimationDriver driver;
    Scene scene;
    scene.child.hideAnimated();
    QCOMPARE(scene.opacity(), 1.0);
    driver.advance(125);
    // The way back runs the curve backwards in time.
    QCOMPARE(scene.opacity(), curve(QEasingCurve::InCubic, 0.5));
    QVERIFY(scene.child.isVisible());
    driver.advance(125);
    QVERIFY(scene.child.isHidden());
    QVERIFY(!scene.child.graphicsEffect());
    QCOMPARE(scene.child.shown, 0);
    QVERIFY(!scene.child.visibilityAnimator()->isAnimating());

    // And back again.
    scene.child.showAnimated();
    driver.advance(250);
    QVERIFY(scene.child.isVisible());
    QVERIFY(!scene.child.graphicsEffect());
    QCOMPARE(scene.child.shown, 1);
}

void tst_KelVisibilityAnimatable::hideDuringFadeInResets()
{
    ManualAnimationDriver driver;
    Scene scene;
    scene.child.hide();
    scene.child.showAnimated();
    driver.advance(100);
    scene.child.hide();
    KelProgressAnimator *animator = scene.child.visibilityAnimator();
    QCOMPARE(animator->progress(), 0.0);
    QVERIFY(!animator->isAnimating());
    driver.advance(200);
    QVERIFY(scene.child.isHidden());
    QCOMPARE(scene.child.shown, 0);
}

void tst_KelVisibilityAnimatable::turnRoundMidFade()
{
    ManualAnimationDriver driver;
    Scene scene;
    scene.child.hide();
    scene.child.showAnimated();
    driver.advance(100);
    const double reached = scene.opacity();
    scene.child.hideAnimated();
    QVERIFY(qAbs(scene.opacity() - reached) < 0.01);
    driver.advance(250);
    QVERIFY(scene.child.isHidden());
    QCOMPARE(scene.child.shown, 0);
}

void tst_KelVisibilityAnimatable::withoutAnimationJustSetsVisibility()
{
    Scene scene;
    scene.child.hide();
    scene.child.setVisibleAnimated(true, false);
    QVERIFY(scene.child.isVisible());
    QVERIFY(!scene.child.graphicsEffect());
    QVERIFY(!scene.child.visibilityAnimator());

    // Once the animator exists, jumps go through it.
    ManualAnimationDriver driver;
    scene.child.hideAnimated();
    driver.advance(250);
    scene.child.setVisibleAnimated(true, false);
    QVERIFY(scene.child.isVisible());
    QCOMPARE(scene.child.visibilityAnimator()->progress(), 1.0);
    scene.child.setVisibleAnimated(false, false);
    QVERIFY(scene.child.isHidden());
}

void tst_KelVisibilityAnimatable::windowFadesThroughWindowOpacity()
{
    // A hidden window is fully opaque: the fade must still start from 0.
    ManualAnimationDriver driver;
    Fader window;
    window.resize(100, 100);
    window.showAnimated();
    QVERIFY(window.windowOpacity() < 0.01);
    driver.advance(125);
    QVERIFY(window.windowOpacity() > 0.5);
    QVERIFY(window.isVisible());
    QVERIFY(!window.graphicsEffect());
    driver.advance(250);
    QCOMPARE(window.windowOpacity(), 1.0);
    QCOMPARE(window.shown, 1);
    window.hideAnimated();
    driver.advance(125);
    QVERIFY(window.windowOpacity() < 0.99);
    driver.advance(125);
    QVERIFY(window.isHidden());
}

void tst_KelVisibilityAnimatable::dropShadowSurvivesFades()
{
    ManualAnimationDriver driver;
    Scene scene;
    auto shadow = new KelGraphicsDropShadowEffect(&scene.child);
    scene.child.hideAnimated();
    driver.advance(125);
    QVERIFY(shadow->opacity() < 1.0);
    driver.advance(125);
    QVERIFY(scene.child.isHidden());
    QCOMPARE(scene.child.graphicsEffect(), shadow);
    QCOMPARE(shadow->opacity(), 1.0);

    scene.child.showAnimated();
    QCOMPARE(shadow->opacity(), 0.001);
    driver.advance(250);
    QCOMPARE(scene.child.graphicsEffect(), shadow);
    QCOMPARE(shadow->opacity(), 1.0);
}

void tst_KelVisibilityAnimatable::forceRepaintLastsForFade()
{
    ManualAnimationDriver driver;
    Scene scene;
    auto area = new QScrollArea(&scene.child);
    area->show();
    scene.child.hide();
    scene.child.showAnimated();
    QVERIFY(area->viewport()->graphicsEffect());
    driver.advance(250);
    QVERIFY(!area->viewport()->graphicsEffect());
}

void tst_KelVisibilityAnimatable::deadWidgetIsReported()
{
    auto widget = std::make_unique<QWidget>();
    KelVisibilityAnimatable animatable(widget.get());
    widget.reset();
    QTest::ignoreMessage(QtWarningMsg, "Can't change visibility, no base widget was setted");
    animatable.showAnimated();
}

QTEST_MAIN(tst_KelVisibilityAnimatable)
#include "tst_kelvisibilityanimatable.moc"

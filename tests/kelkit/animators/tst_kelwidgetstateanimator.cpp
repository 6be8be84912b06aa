#include "animators/kelpropertyanimator.h"
#include "animators/kelwidgetstateanimator.h"
#include "kelapplication.h"
#include "kelsettings.h"
#include "kelui.h"
#include "styles/kelstyle.h"
#include "styles/kelstylemanager.h"
#include "utils/kelcolorutils.h"
#include "utils/kelstatecolors.h"

#include "manualanimationdriver.h"

#include <QTemporaryDir>
#include <QWidget>
#include <QtTest>

#include <memory>

Q_DECLARE_METATYPE(KelStateColors)

namespace {

// A theme whose state curves are all linear and 100 ms long, with its own
// disabled opacity.
class LinearStyle : public KelStyle
{
public:
    QString styleId() const override { return QStringLiteral("LinearStyle"); }
    double opacity(int id) const override { return id == 0 ? 0.5 : KelStyle::opacity(id); }
    KelAnimationParams animationParams(int kind) const override
    {
        if (kind > 3)
            return KelStyle::animationParams(kind);
        return {QEasingCurve::Linear, 100, QEasingCurve::Linear, 100, 0.0, 1.0};
    }
};

const KelAnimationParams CustomHover
        = {QEasingCurve::InQuad, 70, QEasingCurve::InQuad, 70, 0.0, 1.0};

void sendEvent(QWidget *widget, QEvent::Type type)
{
    QEvent event(type);
    QCoreApplication::sendEvent(widget, &event);
}

} // namespace

class tst_KelWidgetStateAnimator : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void statesAnimateOnStyleCurves();
    void sameStateTwiceStartsNothing();
    void widgetDisabledBeforeShownStartsFaded();
    void followsEnabledChange();
    void watchModeTwoFollowsHoverAndFocus();
    void animationOffJumps();
    void disabledOpacity_data();
    void disabledOpacity();
    void deadWidgetIsHarmless();
    void animatedStateColor_data();
    void animatedStateColor();
    // Last: the switched style stays current.
    void styleSwitchKeepsCustomSettings();

private:
    QTemporaryDir m_dir;
    std::unique_ptr<KelSettings> m_settings;
    LinearStyle m_linear;
};

void tst_KelWidgetStateAnimator::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_settings = std::make_unique<KelSettings>(m_dir.filePath(QStringLiteral("settings.ini")),
                                               QSettings::IniFormat);
    static_cast<KelApplication *>(qApp)->setSettings(m_settings.get());
    KelStyleManager::instance()->addStyle(&m_linear);
}

void tst_KelWidgetStateAnimator::cleanupTestCase()
{
    delete kelUi();
    m_settings.reset();
}

void tst_KelWidgetStateAnimator::statesAnimateOnStyleCurves()
{
    // The plain style: hover forward OutCubic 200 ms, backward InCubic 500 ms.
    ManualAnimationDriver driver;
    KelWidgetStateAnimator animator(0);
    QCOMPARE(animator.hoveredProgress(), 0.0);
    animator.setHovered(true, true);
    driver.advance(100);
    QCOMPARE(animator.hoveredProgress(), QEasingCurve(QEasingCurve::OutCubic).valueForProgress(0.5));
    QVERIFY(animator.isHoverActive());
    driver.advance(100);
    QCOMPARE(animator.hoveredProgress(), 1.0);

    animator.setHovered(false, true);
    driver.advance(250);
    QCOMPARE(animator.hoveredProgress(), QEasingCurve(QEasingCurve::InCubic).valueForProgress(0.5));
    driver.advance(250);
    QVERIFY(!animator.isHoverActive());

    animator.setPressed(true, false);
    QCOMPARE(animator.pressedProgress(), 1.0);
    QVERIFY(animator.isPressed() && animator.isPressActive());
    animator.setChecked(true, false);
    QVERIFY(animator.isChecked());
    QCOMPARE(animator.checkedProgress(), 1.0);
    animator.setDisabled(true, false);
    QCOMPARE(animator.disabledProgress(), 1.0);
    QVERIFY(animator.isDisabledActive());
}

void tst_KelWidgetStateAnimator::sameStateTwiceStartsNothing()
{
    ManualAnimationDriver driver;
    KelWidgetStateAnimator animator(0);
    QSignalSpy changes(&animator, &KelWidgetStateAnimator::checkedProgressChanged);
    animator.setChecked(true, true);
    driver.advance(150);
    const int seen = changes.count();
    const int time = animator.findChild<QPropertyAnimation *>()->currentTime();
    animator.setChecked(true, true);
    animator.setChecked(true, false);
    QCOMPARE(changes.count(), seen);
    QCOMPARE(animator.findChild<QPropertyAnimation *>()->currentTime(), time);
}

void tst_KelWidgetStateAnimator::widgetDisabledBeforeShownStartsFaded()
{
    QWidget widget;
    widget.setEnabled(false);
    KelWidgetStateAnimator animator(1);
    QSignalSpy changes(&animator, &KelDisabledStateAnimator::disabledProgressChanged);
    animator.setWidget(&widget);
    QCOMPARE(animator.widget(), &widget);
    QCOMPARE(animator.disabledProgress(), 1.0);
    QCOMPARE(changes.count(), 1);

    widget.show();
    QCOMPARE(animator.disabledProgress(), 1.0);
}

void tst_KelWidgetStateAnimator::followsEnabledChange()
{
    ManualAnimationDriver driver;
    QWidget widget;
    KelWidgetStateAnimator animator(1);
    animator.setWidget(&widget);

    // Hidden: a jump.
    widget.setEnabled(false);
    QCOMPARE(animator.disabledProgress(), 1.0);
    widget.setEnabled(true);
    QCOMPARE(animator.disabledProgress(), 0.0);

    // Visible: on the curve (OutCubic 500 ms).
    widget.show();
    widget.setEnabled(false);
    QCOMPARE(animator.disabledProgress(), 0.0);
    driver.advance(250);
    QCOMPARE(animator.disabledProgress(),
             QEasingCurve(QEasingCurve::OutCubic).valueForProgress(0.5));

    // Mode 0 takes the state once, when attached, and then leaves it to the
    // owner.
    widget.hide();
    KelDisabledStateAnimator manual(0);
    manual.setWidget(&widget);
    QCOMPARE(manual.disabledProgress(), 1.0);
    widget.setEnabled(true);
    QCOMPARE(manual.disabledProgress(), 1.0);
}

void tst_KelWidgetStateAnimator::watchModeTwoFollowsHoverAndFocus()
{
    ManualAnimationDriver driver;
    QWidget widget;
    widget.show();
    KelWidgetStateAnimator animator(2);
    animator.setWidget(&widget);

    sendEvent(&widget, QEvent::Enter);
    driver.advance(200);
    QCOMPARE(animator.hoveredProgress(), 1.0);
    sendEvent(&widget, QEvent::Leave);
    driver.advance(500);
    QCOMPARE(animator.hoveredProgress(), 0.0);

    sendEvent(&widget, QEvent::FocusIn);
    QVERIFY(animator.isChecked());
    sendEvent(&widget, QEvent::FocusOut);
    QVERIFY(!animator.isChecked());

    // Entering a disabled widget does not hover it.
    widget.setEnabled(false);
    sendEvent(&widget, QEvent::Enter);
    driver.advance(200);
    QCOMPARE(animator.hoveredProgress(), 0.0);

    // Mode 1 leaves hover to the owner.
    widget.setEnabled(true);
    KelWidgetStateAnimator modeOne(1);
    modeOne.setWidget(&widget);
    sendEvent(&widget, QEvent::Enter);
    QVERIFY(!modeOne.isHoverActive());
    driver.advance(200);
    QCOMPARE(modeOne.hoveredProgress(), 0.0);
}

void tst_KelWidgetStateAnimator::animationOffJumps()
{
    KelWidgetStateAnimator animator(0);
    animator.setAnimationEnabled(false);
    QVERIFY(!animator.isAnimationEnabled());
    QSignalSpy hovered(&animator, &KelWidgetStateAnimator::hoveredProgressChanged);
    QSignalSpy disabled(&animator, &KelDisabledStateAnimator::disabledProgressChanged);
    animator.setHovered(true, true);
    animator.setDisabled(true, true);
    QCOMPARE(hovered.count(), 1);
    QCOMPARE(hovered.first().first().toDouble(), 1.0);
    QCOMPARE(disabled.count(), 1);
    QCOMPARE(animator.disabledProgress(), 1.0);
}

void tst_KelWidgetStateAnimator::styleSwitchKeepsCustomSettings()
{
    KelWidgetStateAnimator animator(0);
    auto params = [&animator](const char *prop) {
        return animator.findChild<KelPropertyAnimator *>()->animationParams(prop);
    };
    const KelAnimationParams linear = m_linear.animationParams(0);
    animator.setHoveredParams(CustomHover);
    animator.setDisabledOpacity(0.3);
    QVERIFY(params("hoveredProgress") == CustomHover);

    QVERIFY(KelStyleManager::instance()->setCurrentStyle(m_linear.styleId()));
    QVERIFY(params("hoveredProgress") == CustomHover);
    for (const char *prop : {"disabledProgress", "pressedProgress", "checkedProgress"})
        QVERIFY2(params(prop) == linear, prop);
    animator.setDisabled(true, false);
    QCOMPARE(animator.disabledOpacity(), 0.7);

    KelWidgetStateAnimator plain(0);
    plain.setDisabled(true, false);
    QCOMPARE(plain.disabledOpacity(), 0.5); // the style's factor
}

void tst_KelWidgetStateAnimator::disabledOpacity_data()
{
    QTest::addColumn<double>("progress");
    QTest::addColumn<double>("expected");
    QTest::newRow("enabled") << 0.0 << 1.0;
    QTest::newRow("half way") << 0.5 << 0.7;
    QTest::newRow("disabled") << 1.0 << 0.4;
}

void tst_KelWidgetStateAnimator::disabledOpacity()
{
    QFETCH(double, progress);
    QFETCH(double, expected);
    KelDisabledStateAnimator animator(0);
    animator.setDisabledOpacity(0.6);
    animator.setDisabledProgress(progress);
    QCOMPARE(animator.disabledOpacity(), expected);
}

void tst_KelWidgetStateAnimator::deadWidgetIsHarmless()
{
    ManualAnimationDriver driver;
    auto widget = std::make_unique<QWidget>();
    widget->show();
    KelWidgetStateAnimator animator(2);
    animator.setWidget(widget.get());
    animator.setHovered(true, true);
    driver.advance(50);
    widget.reset();
    QVERIFY(!animator.widget());
    driver.advance(200);
    QCOMPARE(animator.hoveredProgress(), 1.0);
    animator.setWidget(nullptr);
}

void tst_KelWidgetStateAnimator::animatedStateColor_data()
{
    QTest::addColumn<KelStateColors>("colors");
    QTest::addColumn<double>("hovered");
    QTest::addColumn<double>("pressed");
    QTest::addColumn<bool>("checked");
    QTest::addColumn<double>("disabled");
    QTest::addColumn<QColor>("expected");

    const QColor red(255, 0, 0);
    const QColor blue(0, 0, 255);
    const QColor white50(255, 255, 255, 128);
    const QColor black50(0, 0, 0, 128);
    const KelStateColors plain(red);
    const KelStateColors full(red, white50, black50, QColor(128, 128, 128), blue, white50, black50,
                              QColor(Qt::transparent));

    QTest::newRow("normal") << full << 0.0 << 0.0 << false << 0.0 << red;
    QTest::newRow("checked") << full << 0.0 << 0.0 << true << 0.0 << blue;
    QTest::newRow("transparent overlays ignore hover and press")
            << plain << 1.0 << 1.0 << false << 0.0 << red;
    QTest::newRow("hovered") << full << 1.0 << 0.0 << false << 0.0
                             << KelUtils::blendColors(red, white50);
    QTest::newRow("pressed") << full << 1.0 << 1.0 << false << 0.0
                             << KelUtils::blendColors(red, black50);
    QTest::newRow("disabled colour replaces")
            << full << 0.0 << 0.0 << false << 1.0 << QColor(128, 128, 128);
    QTest::newRow("invalid disabled colour fades")
            << plain << 0.0 << 0.0 << false << 1.0 << QColor(255, 0, 0, 102);
    QTest::newRow("transparent disabled colour hides")
            << full << 0.0 << 0.0 << true << 0.5 << QColor(0, 0, 255, 0);
}

void tst_KelWidgetStateAnimator::animatedStateColor()
{
    QFETCH(KelStateColors, colors);
    QFETCH(double, hovered);
    QFETCH(double, pressed);
    QFETCH(bool, checked);
    QFETCH(double, disabled);
    QFETCH(QColor, expected);

    KelWidgetStateAnimator animator(0);
    animator.setDisabledOpacity(0.6);
    animator.setChecked(checked, false);
    animator.setHoveredProgress(hovered);
    animator.setPressedProgress(pressed);
    animator.setDisabledProgress(disabled);
    QCOMPARE(KelUtils::animatedStateColor(colors, &animator).rgba(), expected.rgba());
    QCOMPARE(KelUtils::animatedStateColor(colors, nullptr), colors.normal);
}

int main(int argc, char **argv)
{
    KelApplication app(argc, argv);
    tst_KelWidgetStateAnimator test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_kelwidgetstateanimator.moc"

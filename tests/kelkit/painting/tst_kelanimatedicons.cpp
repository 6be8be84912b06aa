#include "animators/kelwidgetstateanimator.h"
#include "kelapplication.h"
#include "kelui.h"
#include "painting/kelanimatedicons.h"
#include "painting/keliconsprovider.h"
#include "styles/kelstyle.h"
#include "styles/kelstylemanager.h"

#include <QPainter>
#include <QtTest>

#include <cmath>

using namespace KelAnimatedIcons;

namespace {

const QColor Accent(0, 120, 212);
const QColor Track(0x65, 0x65, 0x65);
const QColor BorderNormal(0xE2, 0xE2, 0xE2);
const QColor White(255, 255, 255);

class AccentStyle : public KelStyle
{
public:
    QString styleId() const override { return QStringLiteral("AccentStyle"); }
    QColor color(int id) const override { return id == CL_Accent ? Accent : KelStyle::color(id); }
};

class OtherIcon : public KelIcon
{
public:
    explicit OtherIcon(const QString &name) { m_path = name; }
    bool isValid() const override { return true; }
};

bool near(const QColor &actual, const QColor &expected, int tolerance)
{
    return std::abs(actual.red() - expected.red()) <= tolerance
            && std::abs(actual.green() - expected.green()) <= tolerance
            && std::abs(actual.blue() - expected.blue()) <= tolerance
            && std::abs(actual.alpha() - expected.alpha()) <= tolerance;
}

bool sameColor(const QColor &actual, const QColor &expected, int tolerance = 6)
{
    const bool ok = near(actual, expected, tolerance);
    if (!ok)
        qWarning() << "colour is" << actual << "expected" << expected;
    return ok;
}

// An animator at rest in the given checked state and progress.
struct Animator
{
    Animator(bool checked, double progress) : animator(0)
    {
        animator.setAnimationEnabled(false);
        animator.setChecked(checked, false);
        animator.setCheckedProgress(progress);
    }
    KelWidgetStateAnimator animator;
};

QImage draw(const char *name, double ratio, bool checked, double progress)
{
    Animator state(checked, progress);
    KelIcon *icon = KelIconsProvider::instance()->icon(name);
    return icon->animatedPixmap(ratio, QSize(), QColor(), &state.animator).toImage();
}

// The run of device pixels in row y that are mostly (at least about 90 %)
// of the colour.
QPair<int, int> span(const QImage &image, int y, const QColor &color)
{
    int first = -1;
    int last = -1;
    for (int x = 0; x < image.width(); ++x) {
        const QColor c = image.pixelColor(x, y);
        if (near(c, color, 24)) {
            if (first < 0)
                first = x;
            last = x;
        }
    }
    return {first, last};
}

} // namespace

class tst_KelAnimatedIcons : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void registeredByName_data();
    void registeredByName();
    void toggle_data();
    void toggle();
    void checkBoxAtRest();
    void checkMarkDrawnIn();
    void radio();
    void borderOnDevicePixels();
    void styleErrors();
    void restyledOnThemeSwitch();
    void invalidColourPaintsNothing_data();
    void invalidColourPaintsNothing();

private:
    AccentStyle m_style;
};

void tst_KelAnimatedIcons::initTestCase()
{
    QVERIFY(kelUi());
    KelStyleManager::instance()->addStyle(&m_style);
    QVERIFY(KelStyleManager::instance()->setCurrentStyle(m_style.styleId()));
}

void tst_KelAnimatedIcons::registeredByName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("size");
    QTest::newRow("toggle") << "KelAnimatedToggleIcon" << QSize(28, 18);
    QTest::newRow("check box") << "KelAnimatedCheckBoxIcon" << QSize(18, 18);
    QTest::newRow("radio") << "KelAnimatedRadioIcon" << QSize(18, 18);
}

void tst_KelAnimatedIcons::registeredByName()
{
    QFETCH(QString, name);
    QFETCH(QSize, size);
    // Found without touching the file system: no "path not found".
    KelIcon *icon = KelIconsProvider::instance()->icon(name);
    QVERIFY(dynamic_cast<AnimatedIcon *>(icon));
    QVERIFY(icon->isValid());
    QCOMPARE(icon->path(), name);
    QCOMPARE(icon->size1x(), size);
    QCOMPARE(KelIconsProvider::instance()->icon(name), icon);

    // Plain pixmaps need an animator.
    QTest::ignoreMessage(QtWarningMsg, "KelIcon: Invalid usage!");
    const QImage plain = icon->pixmap(1.0, QSize(), QColor(), KelPainting::Normal).toImage();
    QCOMPARE(plain.size(), size);
    QCOMPARE(plain.pixelColor(size.width() / 2, size.height() / 2).alpha(), 0);

    // A second creation keeps the registered icons.
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("is already registered in IconsProvider"));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("is already registered in IconsProvider"));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("is already registered in IconsProvider"));
    create();
    QCOMPARE(KelIconsProvider::instance()->icon(name), icon);
}

void tst_KelAnimatedIcons::toggle_data()
{
    QTest::addColumn<bool>("checked");
    QTest::addColumn<double>("progress");
    QTest::addColumn<int>("knobLeft");
    QTest::addColumn<int>("knobRight");
    QTest::addColumn<QColor>("track");
    // Knob area (3, 3, 22, 12); the knob is 12 wide at rest and 22 wide
    // half-way, centred on the middle of its travel.
    QTest::newRow("off") << false << 0.0 << 3 << 14 << Track;
    QTest::newRow("on") << true << 1.0 << 13 << 24 << Accent;
    QTest::newRow("half-way") << true << 0.5 << 3 << 24 << QColor();
}

void tst_KelAnimatedIcons::toggle()
{
    QFETCH(bool, checked);
    QFETCH(double, progress);
    QFETCH(int, knobLeft);
    QFETCH(int, knobRight);
    QFETCH(QColor, track);
    const QImage image = draw("KelAnimatedToggleIcon", 1.0, checked, progress);
    QCOMPARE(image.size(), QSize(28, 18));
    const QPair<int, int> knob = span(image, 9, White);
    QCOMPARE(knob.first, knobLeft);
    QCOMPARE(knob.second, knobRight);
    // The knob touches the inset edges: it is as tall as the knob area.
    const int centre = (knobLeft + knobRight) / 2;
    QVERIFY(sameColor(image.pixelColor(centre, 3), White, 40));
    QVERIFY(!near(image.pixelColor(centre, 2), White, 40));
    if (track.isValid()) {
        QVERIFY(sameColor(image.pixelColor(checked ? 6 : 21, 9), track));
        QVERIFY(sameColor(image.pixelColor(checked ? 6 : 21, 1), track));
    }
    QCOMPARE(image.pixelColor(0, 0).alpha(), 0);
}

void tst_KelAnimatedIcons::checkBoxAtRest()
{
    const QImage off = draw("KelAnimatedCheckBoxIcon", 1.0, false, 0.0);
    QCOMPARE(off.size(), QSize(18, 18));
    QVERIFY(sameColor(off.pixelColor(0, 9), BorderNormal));
    QVERIFY(sameColor(off.pixelColor(17, 9), BorderNormal));
    QVERIFY(sameColor(off.pixelColor(3, 9), White));
    // No mark: its corner point is the box colour.
    QVERIFY(sameColor(off.pixelColor(7, 12), White));

    const QImage on = draw("KelAnimatedCheckBoxIcon", 1.0, true, 1.0);
    QVERIFY(sameColor(on.pixelColor(0, 9), Accent));
    QVERIFY(sameColor(on.pixelColor(4, 4), Accent));
    QVERIFY(sameColor(on.pixelColor(12, 14), Accent));
    // The whole mark, from (4.5, 10) over (7.5, 13) to (14, 6).
    QVERIFY(sameColor(on.pixelColor(5, 10), White, 40));
    QVERIFY(sameColor(on.pixelColor(7, 12), White, 40));
    QVERIFY(sameColor(on.pixelColor(13, 6), White, 40));
}

void tst_KelAnimatedIcons::checkMarkDrawnIn()
{
    // Being checked: only the first part of the mark is stroked.
    const QImage checking = draw("KelAnimatedCheckBoxIcon", 1.0, true, 0.7);
    const QColor box = checking.pixelColor(12, 14);
    QVERIFY(!near(checking.pixelColor(5, 10), box, 20));
    QVERIFY(sameColor(checking.pixelColor(13, 6), box, 2));

    // Being unchecked: the whole mark fades through its colour.
    const QImage unchecking = draw("KelAnimatedCheckBoxIcon", 1.0, false, 0.7);
    const QColor fading = unchecking.pixelColor(12, 14);
    QVERIFY(!near(unchecking.pixelColor(5, 10), fading, 20));
    QVERIFY(!near(unchecking.pixelColor(13, 6), fading, 20));
}

void tst_KelAnimatedIcons::radio()
{
    // Being checked, at 0: no dot, the circle still clear.
    const QImage start = draw("KelAnimatedRadioIcon", 1.0, true, 0.0);
    QCOMPARE(start.size(), QSize(18, 18));
    QCOMPARE(start.pixelColor(9, 9).alpha(), 0);
    QCOMPARE(start.pixelColor(6, 9).alpha(), 0);
    // The antialiased rim of the circle is the border colour.
    QVERIFY(sameColor(start.pixelColor(0, 9), BorderNormal, 30));
    QCOMPARE(start.pixelColor(1, 1).alpha(), 0);

    // At 1 the full dot inset by 5 (device pixels 5 to 12) on the accent.
    const QImage end = draw("KelAnimatedRadioIcon", 1.0, true, 1.0);
    QVERIFY(sameColor(end.pixelColor(4, 9), Accent));
    QVERIFY(end.pixelColor(5, 9).red() > 200);
    QVERIFY(sameColor(end.pixelColor(6, 9), White));
    QVERIFY(sameColor(end.pixelColor(9, 6), White));
    QVERIFY(end.pixelColor(12, 9).red() > 200);
    QVERIFY(sameColor(end.pixelColor(13, 9), Accent));
    QVERIFY(sameColor(end.pixelColor(0, 9), BorderNormal, 30));
    QCOMPARE(end.pixelColor(1, 1).alpha(), 0);

    // Half-way the dot covers device pixels 7 to 10, half as wide.
    const QImage half = draw("KelAnimatedRadioIcon", 1.0, true, 0.5);
    const QColor circle = half.pixelColor(4, 9);
    QVERIFY(sameColor(half.pixelColor(6, 9), circle, 2));
    QVERIFY(!near(half.pixelColor(7, 9), circle, 20));
    QVERIFY(!near(half.pixelColor(10, 9), circle, 20));
    QVERIFY(sameColor(half.pixelColor(11, 9), circle, 2));
}

void tst_KelAnimatedIcons::borderOnDevicePixels()
{
    // At 1.5 the border of 1 takes two whole device pixels.
    const QImage image = draw("KelAnimatedCheckBoxIcon", 1.5, false, 0.0);
    QCOMPARE(image.size(), QSize(27, 27));
    QVERIFY(sameColor(image.pixelColor(0, 13), BorderNormal, 2));
    QVERIFY(sameColor(image.pixelColor(1, 13), BorderNormal, 2));
    QVERIFY(sameColor(image.pixelColor(2, 13), White, 2));
    QVERIFY(sameColor(image.pixelColor(26, 13), BorderNormal, 2));
    QVERIFY(sameColor(image.pixelColor(25, 13), BorderNormal, 2));
    QVERIFY(sameColor(image.pixelColor(24, 13), White, 2));
}

void tst_KelAnimatedIcons::styleErrors()
{
    kelStyle()->applyIconStyle(nullptr);

    OtherIcon impostor(QStringLiteral("KelAnimatedCheckBoxIcon"));
    QTest::ignoreMessage(QtCriticalMsg,
                         QRegularExpression("^KelStyle::wrong usage. Can't apply icon style for "
                                            "icon \"KelAnimatedCheckBoxIcon\""));
    kelStyle()->applyIconStyle(&impostor);
    QVERIFY(!impostor.size1x().isValid());

    OtherIcon unknown(QStringLiteral("Something"));
    QTest::ignoreMessage(QtCriticalMsg,
                         QRegularExpression("^KelStyle::wrong usage. Can't apply icon style"));
    kelStyle()->applyIconStyle(&unknown);
}

void tst_KelAnimatedIcons::restyledOnThemeSwitch()
{
    class GreenAccent : public AccentStyle
    {
    public:
        QString styleId() const override { return QStringLiteral("GreenAccent"); }
        QColor color(int id) const override
        {
            return id == CL_Accent ? QColor(0, 200, 0) : AccentStyle::color(id);
        }
    } green;
    KelStyleManager::instance()->addStyle(&green);
    QVERIFY(KelStyleManager::instance()->setCurrentStyle(green.styleId()));
    QVERIFY(sameColor(draw("KelAnimatedRadioIcon", 1.0, true, 1.0).pixelColor(3, 9),
                      QColor(0, 200, 0)));
    QVERIFY(KelStyleManager::instance()->setCurrentStyle(m_style.styleId()));
    QVERIFY(sameColor(draw("KelAnimatedRadioIcon", 1.0, true, 1.0).pixelColor(3, 9), Accent));
}

void tst_KelAnimatedIcons::invalidColourPaintsNothing_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QPoint>("probe");
    // Checked, where only the first colour set (box, circle, track) shows.
    QTest::newRow("check box") << "KelAnimatedCheckBoxIcon" << QPoint(3, 3);
    QTest::newRow("radio") << "KelAnimatedRadioIcon" << QPoint(3, 9);
    QTest::newRow("toggle") << "KelAnimatedToggleIcon" << QPoint(6, 9);
}

void tst_KelAnimatedIcons::invalidColourPaintsNothing()
{
    QFETCH(QString, name);
    QFETCH(QPoint, probe);
    std::unique_ptr<AnimatedIcon> icon;
    if (name == QLatin1String(CheckBoxIcon::Name))
        icon = std::make_unique<CheckBoxIcon>();
    else if (name == QLatin1String(RadioIcon::Name))
        icon = std::make_unique<RadioIcon>();
    else
        icon = std::make_unique<ToggleIcon>();
    Animator checked(true, 1.0);
    auto probed = [&] {
        return icon->animatedPixmap(1.0, QSize(), QColor(), &checked.animator)
                .toImage()
                .pixelColor(probe);
    };

    // The base style has no accent: its checked look takes the link colour.
    const KelStyle base;
    QVERIFY(!base.color(KelStyle::CL_Accent).isValid());
    base.applyIconStyle(icon.get());
    QVERIFY(sameColor(probed(), base.color(KelStyle::CL_Text_Link)));

    // A colour that resolves invalid paints nothing, not black.
    icon->setColors1(KelStateColors(QColor()));
    QCOMPARE(probed().alpha(), 0);

    // Without an animator: the resting, unchecked picture.
    Animator unchecked(false, 0.0);
    QCOMPARE(icon->animatedPixmap(1.0, QSize(), QColor(), nullptr).toImage(),
             icon->animatedPixmap(1.0, QSize(), QColor(), &unchecked.animator).toImage());
}

int main(int argc, char **argv)
{
    KelApplication app(argc, argv);
    tst_KelAnimatedIcons test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_kelanimatedicons.moc"

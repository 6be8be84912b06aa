#include "utils/kelcolorutils.h"
#include "utils/kelstatecolors.h"

#include "../offscreenleak.h"

#include <QLabel>
#include <QSpinBox>
#include <QtTest>

using namespace KelUtils;

class tst_KelColorUtils : public QObject
{
    Q_OBJECT

private slots:
    void blendColors_data();
    void blendColors();
    void interpolateColor_data();
    void interpolateColor();
    void isDarkColor_data();
    void isDarkColor();
    void distinctColors();
    void stateColorShapes();
    void setPaletteColorFillsGroupsOnce();
    void textAndBackgroundRoles();
};

// Colours compared by their 8-bit channels, as they are painted.
static QString channels(const QColor &c)
{
    return c.isValid() ? QString::asprintf("%d,%d,%d,%d", c.red(), c.green(), c.blue(), c.alpha())
                       : QStringLiteral("invalid");
}

void tst_KelColorUtils::blendColors_data()
{
    QTest::addColumn<QColor>("base");
    QTest::addColumn<QColor>("overlay");
    QTest::addColumn<QString>("expected");

    QTest::newRow("transparent overlay keeps base")
            << QColor(10, 20, 30) << QColor(255, 0, 0, 0) << "10,20,30,255";
    QTest::newRow("opaque overlay replaces base")
            << QColor(10, 20, 30, 40) << QColor(1, 2, 3) << "1,2,3,255";
    QTest::newRow("half white over black")
            << QColor(Qt::black) << QColor(255, 255, 255, 128) << "128,128,128,255";
    QTest::newRow("overlay onto transparent keeps overlay colour")
            << QColor(Qt::transparent) << QColor(200, 100, 50, 128) << "200,100,50,128";
    QTest::newRow("two translucent layers")
            << QColor(0, 0, 255, 128) << QColor(255, 0, 0, 128) << "170,0,85,192";
    // An invalid colour is nothing, never opaque black.
    QTest::newRow("overlay onto invalid keeps overlay")
            << QColor() << QColor(200, 100, 50, 128) << "200,100,50,128";
    QTest::newRow("invalid overlay keeps base") << QColor(10, 20, 30) << QColor() << "10,20,30,255";
}

void tst_KelColorUtils::blendColors()
{
    QFETCH(QColor, base);
    QFETCH(QColor, overlay);
    QFETCH(QString, expected);
    QCOMPARE(channels(KelUtils::blendColors(base, overlay)), expected);
}

void tst_KelColorUtils::interpolateColor_data()
{
    QTest::addColumn<QColor>("from");
    QTest::addColumn<QColor>("to");
    QTest::addColumn<double>("t");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("expected");

    const QColor red(255, 0, 0);
    const QColor blue(0, 0, 255);
    QTest::newRow("equal colours") << red << QColor(red) << 0.5 << 1 << "255,0,0,255";
    QTest::newRow("t below 0 clamps to from") << red << blue << -3.0 << 1 << "255,0,0,255";
    QTest::newRow("t above 1 clamps to to") << red << blue << 7.0 << 1 << "0,0,255,255";
    QTest::newRow("t almost 1") << red << blue << 1.0 - 1e-14 << 0 << "0,0,255,255";
    QTest::newRow("linear truncates")
            << QColor(0, 0, 0, 0) << QColor(255, 101, 3, 255) << 0.5 << 0 << "127,50,1,127";
    QTest::newRow("squared mixes light") << red << blue << 0.5 << 1 << "180,0,180,255";
    QTest::newRow("fade in from transparent")
            << QColor(Qt::transparent) << red << 0.5 << 1 << "255,0,0,127";
    QTest::newRow("fade out to transparent")
            << red << QColor(Qt::transparent) << 0.25 << 1 << "255,0,0,191";
    QTest::newRow("both transparent gives to")
            << QColor(255, 0, 0, 0) << QColor(0, 255, 0, 0) << 0.5 << 1 << "0,255,0,0";
    QTest::newRow("fade in from invalid") << QColor() << red << 0.5 << 1 << "255,0,0,127";
    QTest::newRow("linear fade out to invalid") << red << QColor() << 0.5 << 0 << "255,0,0,127";
    QTest::newRow("unknown mode gives to") << red << blue << 0.5 << 7 << "0,0,255,255";
}

void tst_KelColorUtils::interpolateColor()
{
    QFETCH(QColor, from);
    QFETCH(QColor, to);
    QFETCH(double, t);
    QFETCH(int, mode);
    QFETCH(QString, expected);
    QCOMPARE(channels(KelUtils::interpolateColor(from, to, t, mode)), expected);
}

void tst_KelColorUtils::isDarkColor_data()
{
    QTest::addColumn<QColor>("color");
    QTest::addColumn<bool>("dark");

    // 11 r + 16 g + 5 b with the low five bits cleared, below 4096.
    QTest::newRow("grey 128 is the threshold") << QColor(128, 128, 128) << false;
    QTest::newRow("grey 127 is dark") << QColor(127, 127, 127) << true;
    QTest::newRow("4101 is not dark") << QColor(128, 128, 129) << false;
    QTest::newRow("4069 is dark") << QColor(127, 127, 128) << true;
    QTest::newRow("black") << QColor(Qt::black) << true;
    QTest::newRow("white") << QColor(Qt::white) << false;
    QTest::newRow("invalid") << QColor() << false;
    QTest::newRow("transparent") << QColor(Qt::transparent) << false;
}

void tst_KelColorUtils::isDarkColor()
{
    QFETCH(QColor, color);
    QFETCH(bool, dark);
    QCOMPARE(KelUtils::isDarkColor(color), dark);
}

void tst_KelColorUtils::distinctColors()
{
    QVERIFY(KelUtils::distinctColors(0).isEmpty());
    QVERIFY(KelUtils::distinctColors(-2).isEmpty());
    const QList<QColor> colors = KelUtils::distinctColors(3);
    QCOMPARE(colors.size(), 3);
    QCOMPARE(colors.at(0).hsvHue(), 0);
    QCOMPARE(colors.at(1).hsvHue(), 74);
    QCOMPARE(colors.at(2).hsvHue(), 148);
    QCOMPARE(colors.at(2).hsvSaturation(), 245);
    QCOMPARE(colors.at(2).value(), 245);
}

void tst_KelColorUtils::stateColorShapes()
{
    const QColor n(1, 1, 1), h(2, 2, 2), p(3, 3, 3), d(4, 4, 4);
    const QColor cn(5, 5, 5), ch(6, 6, 6), cp(7, 7, 7);
    const QColor tr = Qt::transparent;
    const QColor inv;

    QCOMPARE(KelStateColors(), KelStateColors(tr, tr, tr, inv, tr, tr, tr, inv));
    QCOMPARE(KelStateColors(n), KelStateColors(n, tr, tr, inv, n, tr, tr, inv));
    QCOMPARE(KelStateColors(n, h, p), KelStateColors(n, h, p, inv, n, h, p, inv));
    QCOMPARE(KelStateColors(n, h, p, d), KelStateColors(n, h, p, d, n, h, p, d));
    QCOMPARE(KelStateColors(n, h, p, cn, ch, cp), KelStateColors(n, h, p, inv, cn, ch, cp, inv));
    QVERIFY(KelStateColors(n, h, p, d, cn, ch, cp, inv)
            != KelStateColors(n, h, p, d, cn, ch, cp, d));
}

void tst_KelColorUtils::setPaletteColorFillsGroupsOnce()
{
    QWidget widget;
    const QColor c(10, 20, 30);
    KelUtils::setPaletteColor(&widget, QPalette::Window, c);
    QPalette palette = widget.palette();
    QCOMPARE(palette.color(QPalette::Active, QPalette::Window), c);
    QCOMPARE(palette.color(QPalette::Inactive, QPalette::Window), c);
    QCOMPARE(palette.color(QPalette::Disabled, QPalette::Window).rgb(), c.rgb());
    QCOMPARE(palette.color(QPalette::Disabled, QPalette::Window).alphaF(), 0.6);
    QVERIFY(widget.autoFillBackground());

    // A palette that has the colour in all three groups is left alone; one
    // that only shares the active colour gets the faded disabled colour
    // too, so the result never depends on what was set before.
    const qint64 key = widget.palette().cacheKey();
    KelUtils::setPaletteColor(&widget, QPalette::Window, c);
    QCOMPARE(widget.palette().cacheKey(), key);
    palette.setColor(QPalette::Disabled, QPalette::Window, Qt::red);
    widget.setPalette(palette);
    KelUtils::setPaletteColor(&widget, QPalette::Window, c);
    QCOMPARE(widget.palette().color(QPalette::Disabled, QPalette::Window).rgb(), c.rgb());
    QCOMPARE(widget.palette().color(QPalette::Disabled, QPalette::Window).alphaF(), 0.6);

    QWidget other;
    KelUtils::setPaletteColor(&other, QPalette::Text, c);
    QVERIFY(!other.autoFillBackground());

    KelUtils::setPaletteColor(nullptr, QPalette::Text, c);
    KelUtils::setTextColor(nullptr, c);
    KelUtils::setBackgroundColor(nullptr, c);
    KelUtils::setBackgroundBrush(nullptr, QBrush(c));
}

void tst_KelColorUtils::textAndBackgroundRoles()
{
    const QColor c(10, 200, 30);
    QSpinBox spinBox;
    KelUtils::setTextColor(&spinBox, c);
    QCOMPARE(spinBox.palette().color(QPalette::Text), c);

    QLabel label;
    KelUtils::setTextColor(&label, c);
    QCOMPARE(label.palette().color(label.foregroundRole()), c);

    QWidget widget;
    KelUtils::setBackgroundColor(&widget, c);
    QCOMPARE(widget.palette().color(widget.backgroundRole()), c);

    const QBrush brush(Qt::blue, Qt::Dense4Pattern);
    KelUtils::setBackgroundBrush(&label, brush);
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        QCOMPARE(label.palette().brush(group, label.backgroundRole()), brush);
    QVERIFY(label.autoFillBackground());
}

QTEST_MAIN(tst_KelColorUtils)
#include "tst_kelcolorutils.moc"

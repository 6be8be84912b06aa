#include "utils/kelmaskutils.h"

#include "../offscreenleak.h"

#include <QApplication>
#include <QPainterPath>
#include <QWidget>
#include <QtTest>

// Runs with a Qt scale factor of 2, so device and logical pixels differ.
class tst_KelMaskUtils : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void scaledRegion_data();
    void scaledRegion();
    void regionIsGivenInDevicePixels();
    void pathMask_data();
    void pathMask();
    void clearMaskRemovesIt();
    void nullTargetIsIgnored();
};

void tst_KelMaskUtils::initTestCase()
{
    QWidget widget;
    QCOMPARE(widget.devicePixelRatioF(), 2.0);
}

void tst_KelMaskUtils::scaledRegion_data()
{
    QTest::addColumn<QRegion>("region");
    QTest::addColumn<double>("factor");
    QTest::addColumn<QRegion>("expected");

    QTest::newRow("halved, edges grow outwards")
            << QRegion(1, 1, 3, 3) << 0.5 << QRegion(0, 0, 2, 2);
    QTest::newRow("halved, position floored") << QRegion(3, 5, 1, 1) << 0.5 << QRegion(1, 2, 1, 1);
    QTest::newRow("doubled") << QRegion(1, 2, 3, 4) << 2.0 << QRegion(2, 4, 6, 8);
    QTest::newRow("each rectangle on its own")
            << (QRegion(0, 0, 4, 4) + QRegion(10, 0, 4, 4)) << 0.5
            << (QRegion(0, 0, 2, 2) + QRegion(5, 0, 2, 2));
    QTest::newRow("empty") << QRegion() << 0.5 << QRegion();
}

void tst_KelMaskUtils::scaledRegion()
{
    QFETCH(QRegion, region);
    QFETCH(double, factor);
    QFETCH(QRegion, expected);

    QCOMPARE(KelUtils::scaledRegion(region, factor), expected);
}

void tst_KelMaskUtils::regionIsGivenInDevicePixels()
{
    QWidget widget;
    widget.resize(60, 60);
    KelUtils::setMask(&widget, QRegion(20, 40, 40, 20));
    QCOMPARE(widget.mask(), QRegion(10, 20, 20, 10));
}

void tst_KelMaskUtils::pathMask_data()
{
    QTest::addColumn<bool>("invert");
    QTest::addColumn<bool>("invertPen");
    // Whether the mask keeps a point on the outline, inside it, just outside
    // it and far outside it.
    QTest::addColumn<bool>("onOutline");
    QTest::addColumn<bool>("inside");
    QTest::addColumn<bool>("outside");
    QTest::addColumn<bool>("farOutside");

    QTest::newRow("path with its outline") << false << false << true << true << false << false;
    QTest::newRow("inverted: all but the path") << true << false << true << false << true << true;
    QTest::newRow("outline left out") << false << true << false << true << false << false;
    QTest::newRow("inverted, outline left out") << true << true << false << false << true << true;
}

void tst_KelMaskUtils::pathMask()
{
    QFETCH(bool, invert);
    QFETCH(bool, invertPen);
    QFETCH(bool, onOutline);
    QFETCH(bool, inside);
    QFETCH(bool, outside);
    QFETCH(bool, farOutside);

    QWidget widget;
    widget.resize(60, 60);
    QPainterPath path;
    path.addRect(10, 10, 20, 20);
    // Moved by the offset to 15..35 x 10..30; the 2-pixel outline covers
    // x 14..16 on the left side.
    KelUtils::setMask(&widget, QSize(60, 60), QPoint(5, 0), path, 2.0, invert, invertPen);

    const QRegion mask = widget.mask();
    QCOMPARE(mask.contains(QPoint(15, 20)), onOutline);
    QCOMPARE(mask.contains(QPoint(25, 20)), inside);
    QCOMPARE(mask.contains(QPoint(10, 20)), outside);
    QCOMPARE(mask.contains(QPoint(50, 50)), farOutside);
}

void tst_KelMaskUtils::clearMaskRemovesIt()
{
    QWidget widget;
    widget.resize(60, 60);
    KelUtils::setMask(&widget, QRegion(0, 0, 20, 20));
    QVERIFY(!widget.mask().isEmpty());
    KelUtils::clearMask(&widget);
    QVERIFY(widget.mask().isEmpty());
}

void tst_KelMaskUtils::nullTargetIsIgnored()
{
    QTest::ignoreMessage(QtWarningMsg, "Trying to set mask to null target, ignore");
    KelUtils::setMask(nullptr, QRegion(0, 0, 10, 10));
    QTest::ignoreMessage(QtWarningMsg, "Trying to set mask to null target, ignore");
    KelUtils::setMask(nullptr, QSize(10, 10), QPoint(), QPainterPath(), 1.0, false, false);
    QTest::ignoreMessage(QtWarningMsg, "Trying to set mast to null target, ignore");
    KelUtils::clearMask(nullptr);
}

int main(int argc, char **argv)
{
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    tst_KelMaskUtils test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_kelmaskutils.moc"

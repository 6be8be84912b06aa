#include "utils/kelgeometryutils.h"
#include "waitbound.h"

#include "../offscreenleak.h"

#include <QApplication>
#include <QScreen>
#include <QtTest>

#include <climits>

using namespace KelUtils;
using Range = QPair<int, int>;

// Runs with a Qt scale factor of 2, so device and logical pixels differ.
class tst_KelGeometryUtils : public QObject
{
    Q_OBJECT

private slots:
    void alignedRect_data();
    void alignedRect();
    void fitRect_data();
    void fitRect();
    void fitRectF();
    void scaledRectInside_data();
    void scaledRectInside();
    void mapRange_data();
    void mapRange();
    void screenAt();
    void globalRect();
    void mapDeviceToWidget();
    void placeOnScreen_data();
    void placeOnScreen();
};

void tst_KelGeometryUtils::alignedRect_data()
{
    QTest::addColumn<QRect>("rect");
    QTest::addColumn<int>("edge");
    QTest::addColumn<int>("alignment");
    QTest::addColumn<QPoint>("offset");
    QTest::addColumn<QRect>("expected");

    // The anchor is QRect(100, 100, 50, 20): right 149, bottom 119, centre (124, 109).
    const QRect small(0, 0, 30, 10);
    QTest::newRow("below, left, with a gap") << small << int(Qt::BottomEdge) << int(Qt::AlignLeft)
                                             << QPoint(4, 0) << QRect(100, 124, 30, 10);
    QTest::newRow("above, right, shifted") << small << int(Qt::TopEdge) << int(Qt::AlignRight)
                                           << QPoint(2, 3) << QRect(123, 88, 30, 10);
    QTest::newRow("left, vertically centred") << small << int(Qt::LeftEdge) << int(Qt::AlignVCenter)
                                              << QPoint() << QRect(70, 105, 30, 10);
    QTest::newRow("right, top, shifted up") << small << int(Qt::RightEdge) << int(Qt::AlignTop)
                                            << QPoint(5, -2) << QRect(155, 98, 30, 10);
    QTest::newRow("right, bottom") << small << int(Qt::RightEdge) << int(Qt::AlignBottom)
                                   << QPoint() << QRect(150, 110, 30, 10);
    QTest::newRow("below, centred") << small << int(Qt::BottomEdge) << int(Qt::AlignHCenter)
                                    << QPoint() << QRect(110, 120, 30, 10);
    QTest::newRow("justify pulls a rect left of the span")
            << QRect(20, 0, 30, 10) << int(Qt::BottomEdge) << int(Qt::AlignJustify) << QPoint()
            << QRect(120, 120, 30, 10);
    QTest::newRow("justify pulls a rect right of the span")
            << QRect(200, 0, 30, 10) << int(Qt::BottomEdge) << int(Qt::AlignJustify) << QPoint()
            << QRect(100, 120, 30, 10);
    QTest::newRow("justify keeps a rect covering the span")
            << QRect(90, 0, 80, 10) << int(Qt::BottomEdge) << int(Qt::AlignJustify) << QPoint()
            << QRect(90, 120, 80, 10);
    QTest::newRow("justify on a side edge works vertically")
            << QRect(0, 130, 30, 10) << int(Qt::LeftEdge) << int(Qt::AlignJustify) << QPoint()
            << QRect(70, 100, 30, 10);
    QTest::newRow("unknown alignment keeps the edge placement")
            << small << int(Qt::BottomEdge) << int(Qt::AlignBaseline) << QPoint()
            << QRect(0, 120, 30, 10);
}

void tst_KelGeometryUtils::alignedRect()
{
    QFETCH(QRect, rect);
    QFETCH(int, edge);
    QFETCH(int, alignment);
    QFETCH(QPoint, offset);
    QFETCH(QRect, expected);
    if (alignment == Qt::AlignBaseline)
        QTest::ignoreMessage(QtWarningMsg, "NOT IMPLEMENTED");
    QCOMPARE(KelUtils::alignedRect(QRect(100, 100, 50, 20), rect, Qt::Edge(edge),
                                   Qt::AlignmentFlag(alignment), offset),
             expected);
}

void tst_KelGeometryUtils::fitRect_data()
{
    QTest::addColumn<int>("alignment");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("clip");
    QTest::addColumn<QRect>("expected");

    // The bound is QRect(10, 10, 100, 50).
    QTest::newRow("equal size ignores the flags")
            << int(Qt::AlignRight | Qt::AlignBottom) << QSize(100, 50) << false
            << QRect(10, 10, 100, 50);
    QTest::newRow("no flags: top-left") << 0 << QSize(20, 10) << false << QRect(10, 10, 20, 10);
    QTest::newRow("centred, odd differences round down")
            << int(Qt::AlignCenter) << QSize(21, 11) << false << QRect(49, 29, 21, 11);
    QTest::newRow("bottom-right") << int(Qt::AlignRight | Qt::AlignBottom) << QSize(20, 10) << false
                                  << QRect(90, 50, 20, 10);
    QTest::newRow("too wide, unclipped")
            << int(Qt::AlignRight) << QSize(120, 20) << false << QRect(-10, 10, 120, 20);
    QTest::newRow("too wide, clipped")
            << int(Qt::AlignRight) << QSize(120, 20) << true << QRect(10, 10, 100, 20);
}

void tst_KelGeometryUtils::fitRect()
{
    QFETCH(int, alignment);
    QFETCH(QSize, size);
    QFETCH(bool, clip);
    QFETCH(QRect, expected);
    QCOMPARE(KelUtils::fitRect(Qt::Alignment(alignment), QRect(10, 10, 100, 50), size, clip),
             expected);
}

void tst_KelGeometryUtils::fitRectF()
{
    const QRectF bound(0.5, 0.5, 10, 10);
    QCOMPARE(KelUtils::fitRectF(Qt::AlignRight, bound, QSizeF(10 + 1e-12, 10)), bound);
    QCOMPARE(KelUtils::fitRectF(Qt::AlignCenter, bound, QSizeF(3, 4)), QRectF(4.0, 3.5, 3, 4));
    QCOMPARE(KelUtils::fitRectF(Qt::AlignRight | Qt::AlignBottom, bound, QSizeF(12, 4), true),
             QRectF(0.5, 6.5, 10, 4));
}

void tst_KelGeometryUtils::scaledRectInside_data()
{
    QTest::addColumn<QRect>("rect");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QRect>("expected");

    // The bound is QRect(0, 0, 100, 100).
    QTest::newRow("fitting rect is only moved")
            << QRect(-5, 10, 20, 20) << int(Qt::KeepAspectRatio) << QRect(0, 10, 20, 20);
    QTest::newRow("moved back from bottom-right")
            << QRect(90, 95, 20, 20) << int(Qt::KeepAspectRatio) << QRect(80, 80, 20, 20);
    QTest::newRow("too wide is scaled and moved")
            << QRect(50, 50, 200, 100) << int(Qt::KeepAspectRatio) << QRect(0, 50, 100, 50);
    QTest::newRow("ignoring the ratio intersects")
            << QRect(50, 50, 100, 100) << int(Qt::IgnoreAspectRatio) << QRect(50, 50, 50, 50);
}

void tst_KelGeometryUtils::scaledRectInside()
{
    QFETCH(QRect, rect);
    QFETCH(int, mode);
    QFETCH(QRect, expected);
    QCOMPARE(KelUtils::scaledRectInside(rect, QRect(0, 0, 100, 100), Qt::AspectRatioMode(mode)),
             expected);
}

void tst_KelGeometryUtils::mapRange_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<Range>("from");
    QTest::addColumn<Range>("to");
    QTest::addColumn<int>("expected");

    QTest::newRow("middle") << 5 << Range(0, 10) << Range(0, 100) << 50;
    QTest::newRow("start onto an offset range") << 0 << Range(0, 10) << Range(20, 30) << 20;
    QTest::newRow("half rounds up") << 1 << Range(0, 4) << Range(0, 2) << 1;
    QTest::newRow("negative half rounds up") << -1 << Range(0, 4) << Range(0, 2) << 0;
    QTest::newRow("negative one and a half") << -3 << Range(0, 4) << Range(0, 2) << -1;
    QTest::newRow("reversed source") << 2 << Range(10, 0) << Range(0, 100) << 80;
    QTest::newRow("reversed target") << 3 << Range(0, 10) << Range(100, 0) << 70;
    QTest::newRow("outside extrapolates") << 20 << Range(0, 10) << Range(0, 100) << 200;
    QTest::newRow("empty source range") << 3 << Range(7, 7) << Range(5, 100) << 5;
    QTest::newRow("extremes saturate")
            << INT_MAX << Range(INT_MIN, INT_MIN + 1) << Range(0, INT_MAX) << INT_MAX;
}

void tst_KelGeometryUtils::mapRange()
{
    QFETCH(int, value);
    QFETCH(Range, from);
    QFETCH(Range, to);
    QFETCH(int, expected);
    QCOMPARE(KelUtils::mapRange(value, from, to), expected);
}

void tst_KelGeometryUtils::screenAt()
{
    QScreen *primary = QGuiApplication::primaryScreen();
    const QRect g = primary->geometry();
    QCOMPARE(KelUtils::screenAt(g.topLeft()), primary);
    QCOMPARE(KelUtils::screenAt(QPoint(g.right() + 1, g.center().y())), primary);
    QCOMPARE(KelUtils::screenAt(QPoint(g.center().x(), g.bottom() + 1)), primary);
    QCOMPARE(KelUtils::screenAt(QPoint(g.right() + 2, g.center().y())), nullptr);
    QCOMPARE(KelUtils::screenAt(QPoint(g.left() - 1, g.top())), nullptr);
    QCOMPARE(KelUtils::screenAtOrPrimary(QPoint(-5000, -5000)), primary);

    QWidget widget;
    QCOMPARE(KelUtils::widgetScreen(&widget), primary);
    QCOMPARE(KelUtils::widgetScreen(nullptr), nullptr);
}

void tst_KelGeometryUtils::globalRect()
{
    QVERIFY(!KelUtils::globalRect(nullptr).isValid());
    QWidget window;
    window.setGeometry(30, 40, 120, 80);
    QWidget child(&window);
    child.setGeometry(5, 6, 20, 10);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window, WaitBound::ms()));
    const QPoint origin = window.mapToGlobal(QPoint(0, 0));
    QCOMPARE(KelUtils::globalRect(&child), QRect(origin + QPoint(5, 6), QSize(20, 10)));
}

void tst_KelGeometryUtils::mapDeviceToWidget()
{
    QCOMPARE(KelUtils::mapDeviceToWidget(nullptr, QPoint(3, 4)), QPoint());

    QWidget window;
    window.setGeometry(30, 40, 120, 80);
    QWidget child(&window);
    child.setGeometry(5, 6, 20, 10);

    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("^Native window is not created for"));
    QCOMPARE(KelUtils::mapDeviceToWidget(&child, QPoint(3, 4)), QPoint());

    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window, WaitBound::ms()));
    const double ratio = window.windowHandle()->devicePixelRatio();
    QCOMPARE(ratio, 2.0);
    const QPoint screenOrigin = window.screen()->geometry().topLeft();
    const QPoint logical = child.mapToGlobal(QPoint(3, 4));
    const QPoint device = screenOrigin + (logical - screenOrigin) * ratio;
    QCOMPARE(KelUtils::mapDeviceToWidget(&child, device), QPoint(3, 4));
    // One device pixel further is half a logical pixel, which rounds up.
    QCOMPARE(KelUtils::mapDeviceToWidget(&child, device + QPoint(1, -1)), QPoint(4, 4));
}

void tst_KelGeometryUtils::placeOnScreen_data()
{
    QTest::addColumn<QRect>("rect");
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("margin");
    QTest::addColumn<QRect>("expected");

    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const int x = area.x();
    const int y = area.y();
    const int right = area.right();
    const int bottom = area.bottom();

    QTest::newRow("inside stays") << QRect(x + 10, y + 10, 50, 40) << 1 << 0
                                  << QRect(x + 10, y + 10, 50, 40);
    QTest::newRow("left of the area")
            << QRect(x - 30, y + 10, 50, 40) << 1 << 0 << QRect(x, y + 10, 50, 40);
    QTest::newRow("above the area")
            << QRect(x + 10, y - 30, 50, 40) << 1 << 0 << QRect(x + 10, y, 50, 40);
    // The last column or row lands on the area's last one, not past it.
    QTest::newRow("right of the area")
            << QRect(right - 20, y + 10, 50, 40) << 1 << 0 << QRect(right - 49, y + 10, 50, 40);
    QTest::newRow("below the area")
            << QRect(x + 10, bottom - 10, 50, 40) << 1 << 0 << QRect(x + 10, bottom - 39, 50, 40);
    QTest::newRow("wider than the area") << QRect(x - 10, y + 10, area.width() + 100, 40) << 1 << 0
                                         << QRect(QPoint(x, y + 10), QPoint(right, y + 49));
    // A step leaves the height's remainder above the first step.
    const int remainder = area.height() % 7;
    QTest::newRow("stepped top") << QRect(x + 10, y - 5, 50, 40) << 7 << 0
                                 << QRect(x + 10, y + remainder, 50, 40);
    const int marginRemainder = (area.height() - 2 * 3) % 7;
    QTest::newRow("stepped top with margins")
            << QRect(x + 10, y - 5, 50, 40) << 7 << 3 << QRect(x + 10, y + marginRemainder, 50, 40);
}

void tst_KelGeometryUtils::placeOnScreen()
{
    QFETCH(QRect, rect);
    QFETCH(int, step);
    QFETCH(int, margin);
    QFETCH(QRect, expected);
    QCOMPARE(KelUtils::placeOnScreen(rect, step, margin), expected);
}

int main(int argc, char **argv)
{
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    tst_KelGeometryUtils test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_kelgeometryutils.moc"

#include "kelapplication.h"
#include "styles/kelstyle.h"
#include "waitbound.h"
#include "windows/kelwindow.h"
#include "windows/kelwindowframe.h"

#include "../offscreenleak.h"

#include <QBrush>
#include <QSignalSpy>
#include <QtTest>

namespace {

// Every value applyWindowStyle reads is distinct: metric(n) is 100 + n and
// colour n is (n, 0, 0).
class DistinctStyle : public KelStyle
{
public:
    int metric(int id) const override { return 100 + id; }
    QColor color(int id) const override { return QColor(id, 0, 0); }
};

struct Look
{
    int background;
    int border;
    int shadow;
    int borderWidth;
    int shadowRadius;
    int cornerRadius;
};

} // namespace

Q_DECLARE_METATYPE(Look)

class tst_KelWindowFrame : public QObject
{
    Q_OBJECT

private slots:
    void applyWindowStyle_data();
    void applyWindowStyle();
    void popupMenuStyleSetsTheCentralMinimumWidth();
    void unknownIdLeavesTheFrameAlone();
    void borderVanishesWhileMaximized();
    void shadowColourChangeIsSignalled();
    void outlineFollowsRadiiOrShape();
};

void tst_KelWindowFrame::applyWindowStyle_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<Look>("look");

    // The third metric of each row is the corner radius.
    QTest::newRow("0 window") << 0 << Look{2, 3, 4, 100, 101, 102};
    QTest::newRow("1 dialog") << 1 << Look{6, 7, 8, 103, 104, 105};
    QTest::newRow("2 message box, as 1") << 2 << Look{6, 7, 8, 103, 104, 105};
    QTest::newRow("3 popup menu") << 3 << Look{9, 10, 11, 107, 108, 109};
    QTest::newRow("4 popup, as 3") << 4 << Look{9, 10, 11, 107, 108, 109};
    QTest::newRow("5") << 5 << Look{13, 14, 15, 113, 114, 115};
    QTest::newRow("6 notification, as 0 with metric 30") << 6 << Look{2, 3, 4, 130, 101, 102};
}

void tst_KelWindowFrame::applyWindowStyle()
{
    QFETCH(int, id);
    QFETCH(Look, look);
    KelWindow window(KelWindow::WindowParams(), nullptr, KelWindow::Default, true);
    DistinctStyle style;

    style.applyWindowStyle(&window, id);

    const KelWindowFrame *frame = window.windowFrame();
    QCOMPARE(frame->background(), QBrush(QColor(look.background, 0, 0)));
    QCOMPARE(frame->borderColor(), QColor(look.border, 0, 0));
    QCOMPARE(frame->shadowColor(), QColor(look.shadow, 0, 0));
    QCOMPARE(frame->borderWidth(), look.borderWidth);
    QCOMPARE(frame->shadowRadius(), look.shadowRadius);
    const int r = look.cornerRadius;
    QCOMPARE(frame->cornerRadii(), QMargins(r, r, r, r));
    QCOMPARE(frame->shadowOffset(), 0);
}

void tst_KelWindowFrame::popupMenuStyleSetsTheCentralMinimumWidth()
{
    KelWindow window(KelWindow::WindowParams(), nullptr, KelWindow::Default, true);
    DistinctStyle style;
    style.applyWindowStyle(&window, 3);
    QCOMPARE(window.centralWidget()->minimumWidth(), 0);
    style.applyWindowStyle(&window, 4);
    QCOMPARE(window.centralWidget()->minimumWidth(), 112);
}

void tst_KelWindowFrame::unknownIdLeavesTheFrameAlone()
{
    KelWindow window(KelWindow::WindowParams(), nullptr, KelWindow::Default, true);
    DistinctStyle().applyWindowStyle(&window, 7);
    QVERIFY(!window.windowFrame()->borderColor().isValid());
    QCOMPARE(window.windowFrame()->shadowRadius(), 0);
    kelStyle()->applyWindowStyle(nullptr, 0);
}

void tst_KelWindowFrame::borderVanishesWhileMaximized()
{
    KelWindow window(KelWindow::Resizable | KelWindow::WindowButtons | KelWindow::MaximizeButton);
    window.windowFrame()->setBorderWidth(3);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window, WaitBound::ms()));
    QCOMPARE(window.windowFrame()->borderWidth(), 3);
    window.showMaximized();
    QTRY_VERIFY(window.isMaximized());
    QCOMPARE(window.windowFrame()->borderWidth(), 0);
    window.showNormal();
    QTRY_VERIFY(!window.isMaximized());
    QCOMPARE(window.windowFrame()->borderWidth(), 3);
}

void tst_KelWindowFrame::shadowColourChangeIsSignalled()
{
    KelWindow window(KelWindow::WindowParams(), nullptr, KelWindow::Default, true);
    KelWindowFrame *frame = window.windowFrame();
    QSignalSpy changed(frame, &KelWindowFrame::shadowColorChanged);
    frame->setShadowColor(Qt::red);
    frame->setShadowColor(Qt::red);
    frame->setShadowRadius(12);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.at(0).at(0).value<QColor>(), QColor(Qt::red));
}

void tst_KelWindowFrame::outlineFollowsRadiiOrShape()
{
    KelWindow window(KelWindow::WindowParams(), nullptr, KelWindow::Default, true);
    KelWindowFrame *frame = window.windowFrame();
    QSignalSpy changed(frame, &KelWindowFrame::outlineChanged);

    QCOMPARE(frame->outline(QSizeF(100, 50), 1.0).boundingRect(), QRectF(0, 0, 100, 50));
    frame->setCornerRadius(10);
    // A 10-pixel corner, scaled by 2, leaves the corner pixel outside.
    const QPainterPath scaled = frame->outline(QSizeF(200, 100), 2.0);
    QVERIFY(!scaled.contains(QPointF(1, 1)));
    QVERIFY(scaled.contains(QPointF(15, 15)));

    frame->setShapeFunction([](KelWindowFrame *, const QSizeF &size, double) {
        QPainterPath path;
        path.addEllipse(QRectF(QPointF(0, 0), size));
        return path;
    });
    QVERIFY(!frame->outline(QSizeF(100, 100), 1.0).contains(QPointF(10, 10)));
    frame->setShapeFunction(nullptr);
    QVERIFY(frame->outline(QSizeF(100, 100), 1.0).contains(QPointF(10, 10)));
    QCOMPARE(changed.count(), 3);
}

int main(int argc, char **argv)
{
    KelApplication app(argc, argv);
    tst_KelWindowFrame test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_kelwindowframe.moc"

#include "layouts/kelflowlayout.h"
#include "waitbound.h"

#include "../offscreenleak.h"

#include <QHBoxLayout>
#include <QStyle>
#include <QtTest>

namespace {

// Counts the layout passes so that the height-for-width cache shows.
class CountingFlowLayout : public KelFlowLayout
{
public:
    using KelFlowLayout::KelFlowLayout;
    mutable int passes = 0;

protected:
    int doLayout(const QRect &rect, const QList<QLayoutItem *> &items, bool testOnly) const override
    {
        ++passes;
        return KelFlowLayout::doLayout(rect, items, testOnly);
    }
};

QSpacerItem *box(int w, int h)
{
    return new QSpacerItem(w, h, QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QList<QRect> geometries(const QLayout &layout)
{
    QList<QRect> result;
    for (int i = 0; i < layout.count(); ++i)
        result << layout.itemAt(i)->geometry();
    return result;
}

} // namespace

class tst_KelFlowLayout : public QObject
{
    Q_OBJECT

private slots:
    void wrapsRows_data();
    void wrapsRows();
    void heightForWidthIsCachedPerWidth();
    void uniformStretch_data();
    void uniformStretch();
    void spacingFallsBackToParent();
    void itemAccess();
    void relaysOutInsertedWidgetsInSameGeometry();
};

void tst_KelFlowLayout::wrapsRows_data()
{
    QTest::addColumn<QList<QSize>>("sizes");
    QTest::addColumn<int>("width");
    QTest::addColumn<QList<QRect>>("expected");
    QTest::addColumn<int>("height");

    // Margins 1, 2, 3, 4; spacing 10 horizontally and 5 vertically.
    QTest::newRow("one row") << QList<QSize>{{30, 20}, {30, 10}} << 200
                             << QList<QRect>{{1, 2, 30, 20}, {41, 2, 30, 10}} << 26;
    QTest::newRow("wraps at right edge")
            << QList<QSize>{{30, 20}, {30, 10}, {30, 15}} << 80
            << QList<QRect>{{1, 2, 30, 20}, {41, 2, 30, 10}, {1, 27, 30, 15}} << 46;
    QTest::newRow("exact fit stays") << QList<QSize>{{30, 20}, {36, 20}} << 80
                                     << QList<QRect>{{1, 2, 30, 20}, {41, 2, 36, 20}} << 26;
    QTest::newRow("too wide item gets its own row")
            << QList<QSize>{{200, 20}, {30, 10}, {300, 5}} << 100
            << QList<QRect>{{1, 2, 200, 20}, {1, 27, 30, 10}, {1, 42, 300, 5}} << 51;
    QTest::newRow("empty") << QList<QSize>{} << 100 << QList<QRect>{} << 6;
}

void tst_KelFlowLayout::wrapsRows()
{
    QFETCH(QList<QSize>, sizes);
    QFETCH(int, width);
    QFETCH(QList<QRect>, expected);
    QFETCH(int, height);

    KelFlowLayout layout(nullptr, QMargins(1, 2, 3, 4), 10, 5);
    for (const QSize &size : sizes)
        layout.addItem(box(size.width(), size.height()));
    QCOMPARE(layout.heightForWidth(width), height);
    layout.setGeometry(QRect(0, 0, width, height));
    QCOMPARE(geometries(layout), expected);

    // An offset rectangle moves everything along and uses the same height.
    layout.setGeometry(QRect(7, 9, width, height));
    QList<QRect> moved;
    for (const QRect &rect : expected)
        moved << rect.translated(7, 9);
    QCOMPARE(geometries(layout), moved);
}

void tst_KelFlowLayout::heightForWidthIsCachedPerWidth()
{
    CountingFlowLayout layout(nullptr, QMargins(), 0, 0);
    layout.addItem(box(50, 10));
    layout.addItem(box(50, 10));

    QCOMPARE(layout.heightForWidth(100), 10);
    QCOMPARE(layout.heightForWidth(100), 10);
    QCOMPARE(layout.minimumHeightForWidth(100), 10);
    QCOMPARE(layout.passes, 1);

    QCOMPARE(layout.heightForWidth(60), 20);
    QCOMPARE(layout.passes, 2);

    // Every change of the item list drops the cache.
    layout.addItem(box(50, 30));
    QCOMPARE(layout.heightForWidth(60), 50);
    QCOMPARE(layout.passes, 3);
    delete layout.takeAt(2);
    QCOMPARE(layout.heightForWidth(60), 20);
    layout.insertItem(0, box(10, 40));
    QCOMPARE(layout.heightForWidth(60), 50);
    QCOMPARE(layout.passes, 5);
    layout.invalidate();
    QCOMPARE(layout.heightForWidth(60), 50);
    QCOMPARE(layout.passes, 6);

    // Items' minimum sizes, largest of each side, plus the margins.
    layout.setContentsMargins(1, 2, 3, 4);
    QCOMPARE(layout.minimumSize(), QSize(54, 46));
    QCOMPARE(layout.sizeHint(), layout.minimumSize());
}

void tst_KelFlowLayout::uniformStretch_data()
{
    QTest::addColumn<int>("stretch");
    QTest::addColumn<int>("itemCount");
    QTest::addColumn<QSize>("cell");
    QTest::addColumn<QList<QPoint>>("positions");

    // First item 40 x 20, spacing 10, width 200: three columns of 60 x 30
    // when stretched.
    QTest::newRow("no stretch") << int(KelFlowLayout::NoStretch) << 3 << QSize(40, 20)
                                << QList<QPoint>{{0, 0}, {50, 0}, {100, 0}};
    QTest::newRow("always stretch") << int(KelFlowLayout::AlwaysStretch) << 3 << QSize(60, 30)
                                    << QList<QPoint>{{0, 0}, {70, 0}, {140, 0}};
    QTest::newRow("one row is not stretched")
            << int(KelFlowLayout::StretchWhenWrapped) << 3 << QSize(40, 20)
            << QList<QPoint>{{0, 0}, {50, 0}, {100, 0}};
    QTest::newRow("stretched when wrapped")
            << int(KelFlowLayout::StretchWhenWrapped) << 4 << QSize(60, 30)
            << QList<QPoint>{{0, 0}, {70, 0}, {140, 0}, {0, 40}};
}

void tst_KelFlowLayout::uniformStretch()
{
    QFETCH(int, stretch);
    QFETCH(int, itemCount);
    QFETCH(QSize, cell);
    QFETCH(QList<QPoint>, positions);

    KelFlowLayout layout(nullptr, QMargins(), 10, 10);
    layout.setUniformItemSizes(true);
    layout.setStretch(KelFlowLayout::Stretch(stretch));
    layout.addItem(box(40, 20));
    for (int i = 1; i < itemCount; ++i)
        layout.addItem(box(25 + i * 10, 5));
    layout.setGeometry(QRect(0, 0, 200, 100));

    QList<QRect> expected;
    for (const QPoint &position : positions)
        expected << QRect(position, cell);
    QCOMPARE(geometries(layout), expected);
}

void tst_KelFlowLayout::spacingFallsBackToParent()
{
    KelFlowLayout orphan;
    QCOMPARE(orphan.horizontalSpacing(), -1);
    QCOMPARE(orphan.verticalSpacing(), -1);
    orphan.addItem(box(10, 10));
    orphan.addItem(box(10, 10));
    orphan.setGeometry(QRect(0, 0, 100, 50));
    QCOMPARE(orphan.itemAt(1)->geometry().x(), 9);

    QWidget widget;
    auto *onWidget = new KelFlowLayout(&widget);
    QCOMPARE(onWidget->horizontalSpacing(),
             widget.style()->pixelMetric(QStyle::PM_LayoutHorizontalSpacing, nullptr, &widget));
    QCOMPARE(onWidget->verticalSpacing(),
             widget.style()->pixelMetric(QStyle::PM_LayoutVerticalSpacing, nullptr, &widget));

    QHBoxLayout outer;
    outer.setSpacing(13);
    auto *inner = new KelFlowLayout(nullptr, QMargins(), 4, -1);
    outer.addLayout(inner);
    QCOMPARE(inner->horizontalSpacing(), 4);
    QCOMPARE(inner->verticalSpacing(), 13);
}

void tst_KelFlowLayout::itemAccess()
{
    KelFlowLayout layout;
    QSpacerItem *a = box(1, 1);
    QSpacerItem *b = box(2, 2);
    QSpacerItem *c = box(3, 3);
    layout.addItem(a);
    layout.insertItem(-5, c);
    layout.insertItem(1, b);
    QCOMPARE(layout.count(), 3);
    QCOMPARE(layout.itemAt(0), a);
    QCOMPARE(layout.itemAt(1), b);
    QCOMPARE(layout.itemAt(2), c);
    QCOMPARE(layout.itemAt(3), nullptr);
    QCOMPARE(layout.itemAt(-1), nullptr);
    QCOMPARE(layout.takeAt(3), nullptr);
    QCOMPARE(layout.takeAt(0), a);
    delete a;
    QCOMPARE(layout.count(), 2);
    QCOMPARE(layout.expandingDirections(), Qt::Horizontal);
    QVERIFY(layout.hasHeightForWidth());
}

void tst_KelFlowLayout::relaysOutInsertedWidgetsInSameGeometry()
{
    QWidget window;
    auto *layout = new KelFlowLayout(&window, QMargins(), 0, 0);
    auto makeChild = [] {
        auto *child = new QWidget;
        child->setFixedSize(40, 10);
        return child;
    };
    QWidget *first = makeChild();
    layout->addWidget(first);
    QWidget *second = makeChild();
    layout->addWidget(second);
    window.resize(100, 100);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window, WaitBound::ms()));
    QTRY_COMPARE(second->geometry(), QRect(40, 0, 40, 10));
    QCOMPARE(window.heightForWidth(100), 10);

    // Same window size, one more widget in front: all move along and the
    // third one wraps.
    QWidget *front = makeChild();
    layout->insertWidget(0, front);
    QCOMPARE(front->parentWidget(), &window);
    QTRY_COMPARE(front->geometry(), QRect(0, 0, 40, 10));
    QTRY_COMPARE(first->geometry(), QRect(40, 0, 40, 10));
    QTRY_COMPARE(second->geometry(), QRect(0, 10, 40, 10));
    QCOMPARE(window.heightForWidth(100), 20);

    // A deleted widget leaves the layout.
    delete first;
    QCOMPARE(layout->count(), 2);
    QTRY_COMPARE(second->geometry(), QRect(40, 0, 40, 10));
}

QTEST_MAIN(tst_KelFlowLayout)
#include "tst_kelflowlayout.moc"

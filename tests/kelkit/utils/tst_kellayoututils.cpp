#include "layouts/kelflowlayout.h"
#include "utils/kellayoututils.h"

#include "../offscreenleak.h"

#include <QBoxLayout>
#include <QGridLayout>
#include <QtTest>

namespace {

QSpacerItem *box(int w, int h)
{
    return new QSpacerItem(w, h, QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSet<int> range(int first, int last)
{
    QSet<int> result;
    for (int i = first; i <= last; ++i)
        result.insert(i);
    return result;
}

QStringList warnings;

void collectWarnings(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtWarningMsg)
        warnings << message;
}

} // namespace

class tst_KelLayoutUtils : public QObject
{
    Q_OBJECT

private slots:
    void boxLayout_data();
    void boxLayout();
    void flowLayout_data();
    void flowLayout();
    void otherLayoutsScanWithBoundedWarning();
};

void tst_KelLayoutUtils::boxLayout_data()
{
    QTest::addColumn<int>("direction");
    QTest::addColumn<QRect>("rect");
    QTest::addColumn<QSet<int>>("expected");

    // 100 rows (or columns) of 10 pixels, no spacing: item i covers [10i, 10i + 9]
    // along the axis, counted from the far end in a reversed layout.
    const int down = QBoxLayout::TopToBottom;
    QTest::newRow("first") << down << QRect(0, 0, 50, 5) << QSet<int>{0};
    QTest::newRow("middle, partial rows") << down << QRect(0, 455, 50, 30) << range(45, 48);
    QTest::newRow("boundary pixel") << down << QRect(0, 499, 50, 2) << range(49, 50);
    QTest::newRow("last") << down << QRect(0, 995, 50, 100) << QSet<int>{99};
    QTest::newRow("whole") << down << QRect(0, -20, 50, 2000) << range(0, 99);
    QTest::newRow("below all") << down << QRect(0, 1000, 50, 40) << QSet<int>{};
    QTest::newRow("empty rect") << down << QRect(0, 100, 50, 0) << QSet<int>{};
    QTest::newRow("left to right")
            << int(QBoxLayout::LeftToRight) << QRect(205, 0, 20, 5) << range(20, 22);
    QTest::newRow("bottom to top")
            << int(QBoxLayout::BottomToTop) << QRect(0, 0, 50, 15) << range(98, 99);
    QTest::newRow("right to left")
            << int(QBoxLayout::RightToLeft) << QRect(205, 0, 20, 5) << range(77, 79);
}

void tst_KelLayoutUtils::boxLayout()
{
    QFETCH(int, direction);
    QFETCH(QRect, rect);
    QFETCH(QSet<int>, expected);

    QBoxLayout layout{QBoxLayout::Direction(direction)};
    layout.setContentsMargins(0, 0, 0, 0);
    layout.setSpacing(0);
    for (int i = 0; i < 100; ++i)
        layout.addItem(box(10, 10));
    const bool horizontal = direction == QBoxLayout::LeftToRight
            || direction == QBoxLayout::RightToLeft;
    layout.setGeometry(horizontal ? QRect(0, 0, 1000, 50) : QRect(0, 0, 50, 1000));

    QCOMPARE(KelUtils::findLayoutItemsAt(&layout, rect), expected);
}

void tst_KelLayoutUtils::flowLayout_data()
{
    QTest::addColumn<QRect>("rect");
    QTest::addColumn<QSet<int>>("expected");

    // 10 rows of 4 cells, 25 × 10 each: cell i is at (25 (i % 4), 10 (i / 4)).
    QTest::newRow("full width, one row") << QRect(0, 12, 100, 5) << range(4, 7);
    QTest::newRow("wider than the layout") << QRect(-10, 35, 200, 10) << range(12, 19);
    QTest::newRow("one column, two rows") << QRect(30, 52, 10, 10) << QSet<int>{21, 25};
    QTest::newRow("last cell") << QRect(90, 95, 50, 50) << QSet<int>{39};
    QTest::newRow("below") << QRect(0, 100, 100, 10) << QSet<int>{};
}

void tst_KelLayoutUtils::flowLayout()
{
    QFETCH(QRect, rect);
    QFETCH(QSet<int>, expected);

    KelFlowLayout layout(nullptr, QMargins(), 0, 0);
    for (int i = 0; i < 40; ++i)
        layout.addItem(box(25, 10));
    layout.setGeometry(QRect(0, 0, 100, 100));

    QCOMPARE(KelUtils::findLayoutItemsAt(&layout, rect), expected);
}

void tst_KelLayoutUtils::otherLayoutsScanWithBoundedWarning()
{
    QGridLayout grid;
    grid.setContentsMargins(0, 0, 0, 0);
    grid.setSpacing(0);
    for (int i = 0; i < 9; ++i)
        grid.addItem(box(10, 10), i / 3, i % 3);
    grid.setGeometry(QRect(0, 0, 30, 30));

    QCOMPARE(KelUtils::findLayoutItemsAt(nullptr, QRect(0, 0, 10, 10)), QSet<int>{});
    warnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(collectWarnings);
    for (int i = 0; i < 12; ++i)
        QCOMPARE(KelUtils::findLayoutItemsAt(&grid, QRect(12, 12, 10, 10)), (QSet<int>{4, 5, 7, 8}));
    qInstallMessageHandler(previous);

    QCOMPARE(warnings.filter("is not optimized! Linear algorythm is used now.").size(), 10);
    QCOMPARE(warnings.filter("Use QBoxLayout or KelFlowLayout").size(), 10);
}

QTEST_MAIN(tst_KelLayoutUtils)
#include "tst_kellayoututils.moc"

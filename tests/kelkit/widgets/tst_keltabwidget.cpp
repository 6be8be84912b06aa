#include "kelapplication.h"
#include "kelui.h"
#include "waitbound.h"
#include "widgets/kelbutton.h"
#include "widgets/kelframe.h"
#include "widgets/kelstackedwidget.h"
#include "widgets/keltabwidget.h"

#include "../offscreenleak.h"

#include <QBoxLayout>
#include <QtTest>

namespace {

void click(QWidget *widget)
{
    widget->setAttribute(Qt::WA_UnderMouse, true);
    const QPoint pos = widget->rect().center();
    QEnterEvent enter(pos, widget->mapTo(widget->window(), pos), widget->mapToGlobal(pos));
    QApplication::sendEvent(widget, &enter);
    QTest::mousePress(widget, Qt::LeftButton, Qt::NoModifier, pos);
    QTest::mouseRelease(widget, Qt::LeftButton, Qt::NoModifier, pos);
}

// A shown tab widget with three tabs.
struct Tabs
{
    Tabs() : tabs(Qt::TopEdge)
    {
        for (int i = 0; i < 3; ++i) {
            pages << new QWidget;
            QVERIFY(tabs.addTab(i, pages.last()));
            // A text gives the tab button a size to be clicked in.
            tabs.setTabText(i, QStringLiteral("Tab %1").arg(i));
        }
        tabs.resize(300, 200);
        tabs.show();
    }

    KelButton *button(int i) const
    {
        return qobject_cast<KelButton *>(tabs.tabsLayout()->itemAt(i)->widget());
    }
    KelStackedWidget *stack() const
    {
        return tabs.findChild<KelStackedWidget *>(QStringLiteral("KelTabsStack"));
    }

    KelTabWidget tabs;
    QList<QWidget *> pages;
};

} // namespace

class tst_KelTabWidget : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void layoutByPosition_data();
    void layoutByPosition();
    void firstTabIsCurrent();
    void clickSwitches();
    void vetoKeepsOldTab();
    void setCurrentIndex();
};

void tst_KelTabWidget::initTestCase()
{
    QVERIFY(kelUi());
}

void tst_KelTabWidget::cleanupTestCase()
{
    delete kelUi();
}

void tst_KelTabWidget::layoutByPosition_data()
{
    QTest::addColumn<int>("edge");
    QTest::addColumn<int>("outer");
    QTest::addColumn<int>("inner");
    QTest::addColumn<bool>("tabsFirst");

    QTest::newRow("top") << int(Qt::TopEdge) << int(QBoxLayout::TopToBottom)
                         << int(QBoxLayout::LeftToRight) << true;
    QTest::newRow("bottom") << int(Qt::BottomEdge) << int(QBoxLayout::TopToBottom)
                            << int(QBoxLayout::LeftToRight) << false;
    QTest::newRow("left") << int(Qt::LeftEdge) << int(QBoxLayout::LeftToRight)
                          << int(QBoxLayout::TopToBottom) << true;
    QTest::newRow("right") << int(Qt::RightEdge) << int(QBoxLayout::LeftToRight)
                           << int(QBoxLayout::TopToBottom) << false;
}

void tst_KelTabWidget::layoutByPosition()
{
    QFETCH(int, edge);
    QFETCH(int, outer);
    QFETCH(int, inner);
    QFETCH(bool, tabsFirst);

    KelTabWidget tabs{Qt::Edge(edge)};
    auto *layout = qobject_cast<QBoxLayout *>(tabs.layout());
    QVERIFY(layout);
    QCOMPARE(layout->objectName(), QStringLiteral("KelTabWidgetLayout"));
    QCOMPARE(int(layout->direction()), outer);
    QCOMPARE(layout->contentsMargins(), QMargins());
    QCOMPARE(layout->spacing(), 0);
    QCOMPARE(int(tabs.tabsLayout()->direction()), inner);
    QCOMPARE(tabs.tabsLayout()->objectName(), QStringLiteral("KelTabsLayout"));
    QCOMPARE(tabs.tabsContainer()->objectName(), QStringLiteral("KelTabsContainer"));
    QCOMPARE(tabs.tabsContainer()->layout(), tabs.tabsLayout());

    auto *stack = tabs.findChild<KelStackedWidget *>(QStringLiteral("KelTabsStack"));
    QVERIFY(stack);
    QCOMPARE(stack->layout()->objectName(), QStringLiteral("KelTabsStackLayout"));
    QCOMPARE(layout->indexOf(tabs.tabsContainer()), tabsFirst ? 0 : 1);
    QCOMPARE(layout->indexOf(stack), tabsFirst ? 1 : 0);
}

void tst_KelTabWidget::firstTabIsCurrent()
{
    Tabs t;
    QCOMPARE(t.tabs.count(), 3);
    QCOMPARE(t.tabs.currentIndex(), 0);
    QCOMPARE(t.stack()->currentWidget(), t.pages.at(0));
    QVERIFY(t.button(0)->isChecked());
    QVERIFY(!t.button(1)->isChecked());
    QVERIFY(t.button(1)->isAutoExclusive());

    QWidget spare;
    QVERIFY(!t.tabs.addTab(1, &spare));
    QCOMPARE(t.tabs.count(), 3);
    QCOMPARE(spare.parent(), nullptr);

    t.tabs.setTabText(2, QStringLiteral("Third"));
    QCOMPARE(t.button(2)->text(), QStringLiteral("Third"));
    t.tabs.setTabText(7, QStringLiteral("Nothing"));
}

void tst_KelTabWidget::clickSwitches()
{
    Tabs t;
    QVERIFY(QTest::qWaitForWindowExposed(&t.tabs, WaitBound::ms()));
    QSignalSpy changed(&t.tabs, &KelTabWidget::currentChanged);
    click(t.button(2));
    QTRY_COMPARE(changed.count(), 1);
    QCOMPARE(changed.first().first().toInt(), 2);
    QCOMPARE(t.tabs.currentIndex(), 2);
    QCOMPARE(t.stack()->currentWidget(), t.pages.at(2));
    QVERIFY(!t.button(0)->isChecked());
    QVERIFY(t.button(2)->isChecked());
    QTRY_VERIFY(t.stack()->hasFocus());

    // The current tab ignores clicks.
    click(t.button(2));
    QTest::qWait(20);
    QCOMPARE(changed.count(), 1);
    QVERIFY(t.button(2)->isChecked());
}

void tst_KelTabWidget::vetoKeepsOldTab()
{
    Tabs t;
    QList<QPair<int, int>> requests;
    connect(&t.tabs, &KelTabWidget::tabToggleRequest, this, [&](int from, int to, bool &accept) {
        requests << qMakePair(from, to);
        accept = false;
    });
    QSignalSpy changed(&t.tabs, &KelTabWidget::currentChanged);
    click(t.button(1));
    QTRY_COMPARE(requests.size(), 1);
    QCOMPARE(requests.first(), qMakePair(0, 1));
    QTest::qWait(20);
    QCOMPARE(changed.count(), 0);
    QCOMPARE(t.tabs.currentIndex(), 0);
    QCOMPARE(t.stack()->currentWidget(), t.pages.at(0));
    QVERIFY(t.button(0)->isChecked());
    QVERIFY(!t.button(1)->isChecked());
}

void tst_KelTabWidget::setCurrentIndex()
{
    Tabs t;
    QSignalSpy requests(&t.tabs, &KelTabWidget::tabToggleRequest);
    QSignalSpy changed(&t.tabs, &KelTabWidget::currentChanged);
    t.tabs.setCurrentIndex(-1);
    t.tabs.setCurrentIndex(0);
    t.tabs.setCurrentIndex(5);
    QCOMPARE(requests.count(), 0);

    t.tabs.setCurrentIndex(1);
    QCOMPARE(requests.count(), 1);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(t.tabs.currentIndex(), 1);
    QCOMPARE(t.stack()->currentIndex(), 1);
    QVERIFY(t.button(1)->isChecked());
    QVERIFY(!t.button(0)->isChecked());
}

int main(int argc, char **argv)
{
    KelApplication app(argc, argv);
    tst_KelTabWidget test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_keltabwidget.moc"

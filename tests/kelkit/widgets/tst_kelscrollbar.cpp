#include "animators/kelwidgetstateanimator.h"
#include "kelapplication.h"
#include "styles/kelstyle.h"
#include "styles/kelstylemanager.h"
#include "waitbound.h"
#include "widgets/kelanimatedscrollbar.h"
#include "widgets/kelscrollarea.h"
#include "widgets/scrollbarproxystyle.h"

#include <QHoverEvent>
#include <QListView>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStyleOptionSlider>
#include <QTimer>
#include <QtTest>

namespace {

class DarkStyle : public KelStyle
{
public:
    QString styleId() const override { return QStringLiteral("Dark"); }
    bool isDarkTheme() const override { return true; }
};

// A 200 x 100 scroll area over content of the given height.
struct Scene
{
    explicit Scene(int contentHeight)
    {
        area.resize(200, 100);
        content = new QWidget;
        content->setMinimumHeight(contentHeight);
        area.setWidget(content);
        area.setWidgetResizable(true);
    }

    KelAnimatedScrollBar *bar(Qt::Orientation orientation) const
    {
        for (KelAnimatedScrollBar *b : area.findChildren<KelAnimatedScrollBar *>()) {
            if (b->orientation() == orientation)
                return b;
        }
        return nullptr;
    }

    QScrollArea area;
    QWidget *content;
};

QTimer *timer(QObject *bar, int interval)
{
    for (QTimer *t : bar->findChildren<QTimer *>()) {
        if (t->interval() == interval)
            return t;
    }
    return nullptr;
}

void hover(QWidget *widget, QEvent::Type type)
{
    QHoverEvent event(type, QPointF(5, 5), QPointF(-1, -1));
    QCoreApplication::sendEvent(widget, &event);
}

} // namespace

class tst_KelScrollBar : public QObject
{
    Q_OBJECT

private slots:
    void mirrorsAndDrivesTheAreaBar();
    void hidingBarFollowsTheRange();
    void sideBySideBarReservesRoom();
    void installOnce();
    void widensOnlyAfterResting();
    void pressHoldsTheWidth();
    void style();
    void noStepButtonsAtTheEnds();
};

void tst_KelScrollBar::mirrorsAndDrivesTheAreaBar()
{
    Scene scene(500);
    scene.area.show();
    QScrollBar *own = scene.area.verticalScrollBar();
    KelScrollBar bar(-1, Qt::Vertical, &scene.area);
    QCOMPARE(bar.objectName(), QStringLiteral("KelVerticalScrollBar"));
    QCOMPARE(bar.parentWidget(), &scene.area);
    QCOMPARE(bar.target(), own);
    QCOMPARE(scene.area.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QTRY_COMPARE(bar.maximum(), own->maximum());
    QVERIFY(bar.maximum() > 0);
    QCOMPARE(bar.pageStep(), own->pageStep());
    QCOMPARE(bar.singleStep(), own->singleStep());

    bar.setValue(30);
    QCOMPARE(own->value(), 30);
    own->setValue(50);
    QCOMPARE(bar.value(), 50);
    QCOMPARE(KelScrollBar(-1, Qt::Horizontal).objectName(),
             QStringLiteral("KelHorizontalScrollBar"));
}

void tst_KelScrollBar::hidingBarFollowsTheRange()
{
    Scene scene(500);
    KelScrollBar bar(-1, Qt::Vertical, &scene.area, KelScrollBar::HideUnavailable);
    scene.area.show();
    QTRY_VERIFY(bar.isScrollAvailable());
    QVERIFY(bar.isVisible());

    QSignalSpy available(&bar, &KelScrollBar::scrollAvailableChanged);
    scene.content->setMinimumHeight(10);
    QTRY_COMPARE(available.count(), 1);
    QCOMPARE(available.at(0).at(0).toBool(), false);
    QVERIFY(!bar.isVisible());
    scene.content->setMinimumHeight(400);
    QTRY_VERIFY(bar.isVisible());
    QCOMPARE(available.last().at(0).toBool(), true);
}

void tst_KelScrollBar::sideBySideBarReservesRoom()
{
    Scene scene(500);
    scene.area.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    KelAnimatedScrollBar::installOn(KelStyle::WT_ScrollBar, &scene.area, true);
    scene.area.show();
    KelAnimatedScrollBar *bar = scene.bar(Qt::Vertical);
    QVERIFY(bar);
    QVERIFY(!scene.bar(Qt::Horizontal));
    QCOMPARE(bar->placement(), int(KelAnimatedScrollBar::SideBySide));
    QCOMPARE(bar->contextMenuPolicy(), Qt::NoContextMenu);
    QTRY_VERIFY(bar->isVisible());
    QVERIFY(bar->isEnabled());
    QCOMPARE(scene.content->contentsMargins().right(), 18);
    // Over the right edge of the area, as wide as the proxy's extent.
    QCOMPARE(bar->geometry(), QRect(200 - 18, 0, 18, 100));
    scene.area.resize(300, 150);
    QCOMPARE(bar->geometry(), QRect(300 - 18, 0, 18, 150));

    QSignalSpy available(bar, &KelScrollBar::scrollAvailableChanged);
    scene.content->setMinimumHeight(10);
    QTRY_VERIFY(!available.isEmpty());
    QCOMPARE(available.last().at(0).toBool(), false);
    QVERIFY(!bar->isEnabled());
    QVERIFY(!bar->isVisible());
    QCOMPARE(scene.content->contentsMargins().right(), 0);
}

void tst_KelScrollBar::installOnce()
{
    Scene scene(500);
    KelAnimatedScrollBar::installOn(KelStyle::WT_ScrollBar, &scene.area);
    QCOMPARE(scene.area.findChildren<KelScrollBar *>().size(), 2);
    QCOMPARE(scene.bar(Qt::Vertical)->placement(), int(KelAnimatedScrollBar::Overlay));
    KelAnimatedScrollBar::installOn(KelStyle::WT_ScrollBar, &scene.area);
    QCOMPARE(scene.area.findChildren<KelScrollBar *>().size(), 2);

    // An item view cannot keep room beside its content.
    QListView view;
    const QRegularExpression warning("^Side-by-side scroll bars are not implemented for "
                                     "QAbstractItemView instances");
    QTest::ignoreMessage(QtWarningMsg, warning);
    QTest::ignoreMessage(QtWarningMsg, warning);
    KelAnimatedScrollBar::installOn(KelStyle::WT_ScrollBar, &view, true);
    QCOMPARE(view.findChildren<KelScrollBar *>().size(), 2);
}

void tst_KelScrollBar::widensOnlyAfterResting()
{
    Scene scene(500);
    KelAnimatedScrollBar::installOn(KelStyle::WT_ScrollBar, &scene.area);
    scene.area.show();
    KelAnimatedScrollBar *bar = scene.bar(Qt::Vertical);
    KelWidgetStateAnimator *expansion = bar->proxyStyle()->expansionAnimator();
    QTimer *widening = timer(bar, 100);
    QTimer *narrowing = timer(bar, 500);
    QVERIFY(widening && narrowing);

    // In and out again before 100 ms: it never widens.
    hover(bar, QEvent::HoverEnter);
    QVERIFY(widening->isActive());
    hover(bar, QEvent::HoverLeave);
    QVERIFY(!widening->isActive());
    QVERIFY(narrowing->isActive());
    QTRY_VERIFY(!narrowing->isActive());
    QCOMPARE(expansion->hoveredProgress(), 0.0);

    // Resting on it widens it; leaving narrows it again after 500 ms.
    hover(bar, QEvent::HoverEnter);
    QTRY_COMPARE(expansion->hoveredProgress(), 1.0);
    QVERIFY(!narrowing->isActive());
    hover(bar, QEvent::HoverLeave);
    QVERIFY(narrowing->isActive());
    QCOMPARE(expansion->hoveredProgress(), 1.0);
    QTRY_COMPARE(expansion->hoveredProgress(), 0.0);
}

void tst_KelScrollBar::pressHoldsTheWidth()
{
    Scene scene(500);
    KelAnimatedScrollBar::installOn(KelStyle::WT_ScrollBar, &scene.area);
    scene.area.show();
    KelAnimatedScrollBar *bar = scene.bar(Qt::Vertical);
    QTimer *widening = timer(bar, 100);
    QTimer *narrowing = timer(bar, 500);

    hover(bar, QEvent::HoverEnter);
    QTest::mousePress(bar, Qt::LeftButton, Qt::NoModifier, QPoint(9, 50));
    widening->stop();
    // Leaving while pressed changes nothing; the release outside starts
    // the narrowing.
    hover(bar, QEvent::HoverLeave);
    QVERIFY(!narrowing->isActive());
    QTest::mouseRelease(bar, Qt::LeftButton, Qt::NoModifier, QPoint(9, 50));
    QVERIFY(narrowing->isActive());
}

void tst_KelScrollBar::style()
{
    Scene scene(500);
    KelAnimatedScrollBar::installOn(KelStyle::WT_ScrollBar, &scene.area);
    KelAnimatedScrollBar *bar = scene.bar(Qt::Vertical);
    ScrollBarProxyStyle *proxy = bar->proxyStyle();
    QCOMPARE(bar->style(), proxy);
    QCOMPARE(proxy->pixelMetric(QStyle::PM_ScrollBarExtent), 18);
    QCOMPARE(proxy->grooveColor(), QColor(0, 0, 0, 24));
    QCOMPARE(proxy->handleColors(),
             KelStateColors(QColor(0, 0, 0, 92), QColor(0, 0, 0, 24), QColor(0, 0, 0, 46), QColor(),
                            QColor(0, 0, 0, 92), QColor(0, 0, 0, 24), QColor(0, 0, 0, 46),
                            QColor()));

    DarkStyle dark;
    KelStyleManager::instance()->addStyle(&dark);
    QVERIFY(KelStyleManager::instance()->setCurrentStyle(dark.styleId()));
    const QColor white60(255, 255, 255, 60);
    const QColor white30(255, 255, 255, 30);
    QCOMPARE(proxy->grooveColor(), white30);
    QCOMPARE(proxy->handleColors(),
             KelStateColors(white60, white60, white30, QColor(), white60, white60, white30,
                            QColor()));

    // Style 40 has no look for other scroll bars.
    QScrollBar plain;
    QTest::ignoreMessage(QtWarningMsg,
                         "There is no default style for scrollbars! Each app shoud define it's "
                         "own style");
    kelStyle()->applyScrollBarStyle(&plain, 40);
    kelStyle()->applyScrollBarStyle(&plain, 39);
}

// A press at either end pages or grabs the handle; no hidden button steps.
void tst_KelScrollBar::noStepButtonsAtTheEnds()
{
    Scene scene(1000);
    KelAnimatedScrollBar::installOn(KelStyle::WT_ScrollBar, &scene.area);
    scene.area.show();
    KelAnimatedScrollBar *bar = scene.bar(Qt::Vertical);
    QTRY_VERIFY(bar->maximum() > 0);
    QVERIFY(bar->pageStep() > bar->singleStep());
    const int x = bar->width() / 2;
    const int bottom = bar->height() - 2;

    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, QPoint(x, bottom));
    QCOMPARE(bar->value(), bar->pageStep());

    // At the end the handle reaches the bar's last pixel.
    bar->setValue(bar->maximum());
    QStyleOptionSlider option;
    option.initFrom(bar);
    option.orientation = bar->orientation();
    option.minimum = bar->minimum();
    option.maximum = bar->maximum();
    option.sliderPosition = bar->sliderPosition();
    option.pageStep = bar->pageStep();
    const QRect handle = bar->style()->subControlRect(QStyle::CC_ScrollBar, &option,
                                                      QStyle::SC_ScrollBarSlider, bar);
    QCOMPARE(handle.bottom(), bar->height() - 1);
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, QPoint(x, 1));
    QCOMPARE(bar->value(), bar->maximum() - bar->pageStep());
}

int main(int argc, char **argv)
{
    KelApplication app(argc, argv);
    tst_KelScrollBar test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_kelscrollbar.moc"

#include "kelapplication.h"
#include "kelui.h"
#include "styles/kelstyle.h"
#include "styles/kelstylemanager.h"
#include "waitbound.h"
#include "widgets/kelbutton.h"
#include "widgets/kelscrollarea.h"
#include "widgets/kelwheelanimator.h"

#include <QEnterEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSignalSpy>
#include <QVBoxLayout>
#include <QtTest>

Q_DECLARE_METATYPE(QMargins)

namespace {

// Counts the enter and leave events a widget receives.
class HoverProbe : public QWidget
{
public:
    using QWidget::QWidget;

    int enters = 0;
    int leaves = 0;

protected:
    bool event(QEvent *event) override
    {
        if (event->type() == QEvent::Enter)
            ++enters;
        else if (event->type() == QEvent::Leave)
            ++leaves;
        return QWidget::event(event);
    }
};

// Records the scroll areas it is asked to dress.
class RecordingStyle : public KelStyle
{
public:
    QString styleId() const override { return QStringLiteral("Recording"); }
    void applyScrollAreaStyle(KelScrollArea *area, int id) const override
    {
        applied << qMakePair(area, id);
    }

    mutable QList<QPair<KelScrollArea *, int>> applied;
};

// A 100 x 100 view over a 400 x 400 content widget.
struct Scene
{
    Scene()
    {
        area.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        area.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        area.setGeometry(0, 0, 100, 100);
        content->setMinimumSize(400, 400);
        area.setWidget(content);
        area.show();
    }

    KelScrollArea area;
    QWidget *content = new QWidget;
};

} // namespace

class tst_KelScrollArea : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void construction();
    void scrollToRect_data();
    void scrollToRect();
    void scrollToWidget();
    void scrollToAnimated();
    void autoSize();
    void visibleWidgetRect();
    void refreshGeometry();
    void hoverFollowsScrolledContent();
    void scrolledAwayButtonLosesHover();
    void hiddenAreaHoversNothing();

private:
    RecordingStyle m_style;
};

void tst_KelScrollArea::initTestCase()
{
    KelStyleManager::instance()->addStyle(&m_style);
    QVERIFY(KelStyleManager::instance()->setCurrentStyle(m_style.styleId()));
}

void tst_KelScrollArea::construction()
{
    m_style.applied.clear();
    KelScrollArea area;
    QCOMPARE(area.objectName(), QStringLiteral("KelScrollArea"));
    QCOMPARE(area.frameStyle(), 0);
    QCOMPARE(area.focusPolicy(), Qt::NoFocus);
    QVERIFY(area.widgetResizable());
    QVERIFY(!area.viewport()->autoFillBackground());
    QCOMPARE(area.palette().color(area.backgroundRole()), QColor(Qt::transparent));
    QCOMPARE(area.styleId(), KelStyle::WT_ScrollArea);
    QCOMPARE(m_style.applied, (QList<QPair<KelScrollArea *, int>>{{&area, 39}}));
    QVERIFY(area.shadows());
    QCOMPARE(area.wheelAnimator()->parent(), area.viewport());

    KelScrollArea unstyled(5, nullptr, true);
    QCOMPARE(m_style.applied.size(), 1);
    unstyled.applyStyle();
    QCOMPARE(m_style.applied.last(), qMakePair(&unstyled, 5));
}

void tst_KelScrollArea::scrollToRect_data()
{
    QTest::addColumn<QPoint>("start");
    QTest::addColumn<QRect>("rect");
    QTest::addColumn<QMargins>("margins");
    QTest::addColumn<QPoint>("expected");

    const QMargins none;
    QTest::newRow("visible already")
            << QPoint(0, 0) << QRect(10, 10, 20, 20) << none << QPoint(0, 0);
    QTest::newRow("below: bottom edge aligned")
            << QPoint(0, 0) << QRect(10, 200, 20, 20) << none << QPoint(0, 120);
    QTest::newRow("above: top edge aligned")
            << QPoint(0, 150) << QRect(10, 100, 20, 20) << none << QPoint(0, 100);
    QTest::newRow("right: last column in view")
            << QPoint(0, 0) << QRect(200, 10, 20, 20) << none << QPoint(120, 0);
    QTest::newRow("left") << QPoint(150, 0) << QRect(100, 10, 20, 20) << none << QPoint(100, 0);
    QTest::newRow("taller than the view: top wins")
            << QPoint(0, 0) << QRect(10, 200, 20, 150) << none << QPoint(0, 200);
    QTest::newRow("margins grow the target")
            << QPoint(0, 0) << QRect(10, 200, 20, 20) << QMargins(0, 8, 0, 8) << QPoint(0, 128);
}

void tst_KelScrollArea::scrollToRect()
{
    QFETCH(QPoint, start);
    QFETCH(QRect, rect);
    QFETCH(QMargins, margins);
    QFETCH(QPoint, expected);

    Scene scene;
    scene.area.setScrollToMargins(margins);
    scene.area.horizontalScrollBar()->setValue(start.x());
    scene.area.verticalScrollBar()->setValue(start.y());
    scene.area.scrollToRect(rect);
    const QPoint reached(scene.area.horizontalScrollBar()->value(),
                         scene.area.verticalScrollBar()->value());
    QCOMPARE(reached, expected);
    // A second request for the same target changes nothing.
    scene.area.scrollToRect(rect);
    QCOMPARE(scene.area.verticalScrollBar()->value(), expected.y());
    QCOMPARE(scene.area.horizontalScrollBar()->value(), expected.x());
}

void tst_KelScrollArea::scrollToWidget()
{
    Scene scene;
    auto *target = new QWidget(scene.content);
    target->setGeometry(30, 300, 10, 10);
    scene.area.scrollTo(target);
    QCOMPARE(scene.area.verticalScrollBar()->value(), 300 + 10 - scene.area.viewport()->height());

    scene.area.scrollTo(nullptr);
    QWidget otherWindow;
    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression("^Trying to scroll to QWidget.* which is not "
                                            "ancestor of scroll area KelScrollArea"));
    scene.area.scrollTo(&otherWindow);
    QCOMPARE(scene.area.verticalScrollBar()->value(), 300 + 10 - scene.area.viewport()->height());
}

void tst_KelScrollArea::scrollToAnimated()
{
    Scene scene;
    scene.area.scrollToRect(QRect(200, 300, 10, 10), true);
    QCOMPARE(scene.area.verticalScrollBar()->value(), 0);
    QTRY_COMPARE(scene.area.verticalScrollBar()->value(), 210);
    QTRY_COMPARE(scene.area.horizontalScrollBar()->value(), 110);
}

void tst_KelScrollArea::autoSize()
{
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *area = new KelScrollArea;
    area->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    auto *content = new QWidget;
    auto *contentLayout = new QVBoxLayout(content);
    contentLayout->setContentsMargins(0, 0, 0, 0);
    auto *child = new QWidget;
    child->setFixedSize(150, 60);
    contentLayout->addWidget(child);
    area->setWidget(content);
    layout->addWidget(area);
    layout->addStretch();
    QSignalSpy changed(area, &KelScrollArea::autoSizeEnabledChanged);

    area->setAutoSizeEnabled(true);
    area->setAutoSizeEnabled(true);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(area->sizeHint(), QSize(150, 60));
    QCOMPARE(area->minimumSizeHint(), QSize(150, 32));
    window.resize(300, 400);
    window.show();
    QTRY_COMPARE(area->height(), 60);

    // The area follows its content as it grows.
    child->setFixedSize(150, 90);
    QTRY_COMPARE(area->height(), 90);
    child->setFixedSize(150, 20);
    QCOMPARE(area->minimumSizeHint(), QSize(150, 20));

    // And QScrollArea still tracks the content once auto size is off.
    area->setAutoSizeEnabled(false);
    QCOMPARE(changed.count(), 2);
    QCOMPARE(area->sizeHint(), static_cast<QScrollArea *>(area)->QScrollArea::sizeHint());
    child->setFixedSize(150, 1000);
    QTRY_VERIFY(area->verticalScrollBar()->maximum() > 0);
}

void tst_KelScrollArea::visibleWidgetRect()
{
    KelScrollArea area;
    area.setGeometry(0, 0, 100, 100);
    auto *content = new QWidget;
    content->setMinimumSize(400, 400);
    area.setWidget(content);
    QSignalSpy changed(&area, &KelScrollArea::visibleWidgetRectChanged);
    QCOMPARE(area.visibleWidgetRect(), QRect());

    area.show();
    const QSize view = area.viewport()->size();
    QCOMPARE(area.visibleWidgetRect(), QRect(QPoint(0, 0), view));
    area.verticalScrollBar()->setValue(40);
    QCOMPARE(area.visibleWidgetRect(), QRect(QPoint(0, 40), view));
    area.hide();
    QCOMPARE(area.visibleWidgetRect(), QRect());
    // Emitted on changes only.
    QVERIFY(changed.count() >= 3);
    for (int i = 1; i < changed.count(); ++i)
        QVERIFY(changed.at(i).at(0) != changed.at(i - 1).at(0));
    QCOMPARE(changed.last().at(0).toRect(), QRect());
}

void tst_KelScrollArea::refreshGeometry()
{
    Scene scene;
    QSignalSpy resized(&scene.area, &KelScrollArea::resized);
    QSignalSpy geometry(&scene.area, &KelScrollArea::geometryChanged);
    scene.area.refreshGeometry();
    QCOMPARE(resized.count(), 1);
    QCOMPARE(resized.at(0).at(0).toSize(), scene.area.size());
    QCOMPARE(geometry.count(), 1);
}

void tst_KelScrollArea::hoverFollowsScrolledContent()
{
    Scene scene;
    auto *first = new HoverProbe(scene.content);
    first->setGeometry(0, 0, 400, 50);
    auto *inner = new HoverProbe(first);
    inner->setGeometry(0, 0, 400, 50);
    auto *second = new HoverProbe(scene.content);
    second->setGeometry(0, 50, 400, 50);
    for (QWidget *probe : {first, inner, second})
        probe->show();
    // Widgets added after the area was built track the mouse too.
    QVERIFY(second->hasMouseTracking());
    QVERIFY(inner->hasMouseTracking());

    const QPoint local(20, 20);
    const QPoint global = scene.area.viewport()->mapToGlobal(local);
    QCursor::setPos(global);
    QMouseEvent move(QEvent::MouseMove, local, global, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(scene.area.viewport(), &move);
    first->enters = inner->enters = second->enters = 0;
    first->leaves = inner->leaves = second->leaves = 0;

    // The content moves up by 50 under the still pointer: the first row
    // and its child are left, the second entered.
    scene.area.verticalScrollBar()->setValue(50);
    QCOMPARE(first->leaves, 1);
    QCOMPARE(inner->leaves, 1);
    QCOMPARE(second->enters, 1);
    QCOMPARE(second->leaves, 0);

    // Leaving the viewport leaves the hovered row.
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(scene.area.viewport(), &leave);
    QCOMPARE(second->leaves, 1);
}

// Rows are buttons, as the queue's cards are: the row that scrolls away
// from under the still pointer must not stay highlighted.
void tst_KelScrollArea::scrolledAwayButtonLosesHover()
{
    Scene scene;
    QVERIFY(QTest::qWaitForWindowExposed(&scene.area, WaitBound::ms()));
    KelButton *rows[2];
    for (int i = 0; i < 2; ++i) {
        rows[i] = new KelButton(-1, scene.content);
        rows[i]->setGeometry(0, 50 * i, 400, 50);
        rows[i]->show();
    }

    // The platform moves the cursor in from outside, over the first row.
    QTest::mouseMove(scene.area.viewport(), QPoint(300, 300));
    QTest::mouseMove(scene.area.viewport(), QPoint(20, 20));
    QVERIFY(rows[0]->isHovered());

    scene.area.verticalScrollBar()->setValue(50);
    QVERIFY(!rows[0]->isHovered());
    QVERIFY(!rows[0]->underMouse());
    QVERIFY(rows[1]->isHovered());
    QVERIFY(rows[1]->underMouse());

    // Leaving the area leaves the row the watcher entered.
    QTest::mouseMove(scene.area.viewport(), QPoint(300, 300));
    QVERIFY(!rows[1]->isHovered());
    QVERIFY(!rows[1]->underMouse());
}

// A popup's list is laid out before the popup shows, wherever it was made.
void tst_KelScrollArea::hiddenAreaHoversNothing()
{
    KelScrollArea area;
    area.setGeometry(0, 0, 100, 100);
    auto *content = new QWidget;
    content->setMinimumSize(100, 100);
    auto *row = new KelButton(-1, content);
    row->setGeometry(0, 0, 100, 50);
    area.setWidget(content);
    QCursor::setPos(area.mapToGlobal(QPoint(20, 20)));
    QCoreApplication::processEvents();

    QEvent request(QEvent::LayoutRequest);
    QCoreApplication::sendEvent(area.viewport(), &request);
    // The watcher looks on the next pass.
    QCoreApplication::processEvents();
    QVERIFY(!row->isHovered());
    QVERIFY(!row->underMouse());
}

int main(int argc, char **argv)
{
    KelApplication app(argc, argv);
    tst_KelScrollArea test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_kelscrollarea.moc"

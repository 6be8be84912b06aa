// The framework as the application's windows call it: each call here has
// the argument shapes those callers use, and must mean what they mean by it.

#include "kelapplication.h"
#include "kelui.h"
#include "layouts/kelflowlayout.h"
#include "utils/kelfontutils.h"
#include "utils/kelgeometryutils.h"
#include "widgets/kelbutton.h"
#include "widgets/kelexclusivebuttongroup.h"
#include "widgets/kelframe.h"
#include "widgets/kelslider.h"
#include "widgets/keltabindicator.h"

#include <QLabel>
#include <QtTest>

#include <type_traits>

// A bool third argument once meant the full-height bar; a parent widget
// passed there must not turn into one, and a bool no longer compiles.
static_assert(std::is_constructible<KelTabIndicator, QWidget *, KelExclusiveButtonGroup *,
                                    QWidget *>::value,
              "frame, group, parent");
static_assert(
        !std::is_constructible<KelTabIndicator, QWidget *, KelExclusiveButtonGroup *, bool>::value,
        "a bool is no indicator shape");

class tst_KelCallShapes : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void sliderOptionsAndDressing();
    void tabIndicatorFrameGroupParent();
    void intArguments();
};

void tst_KelCallShapes::initTestCase()
{
    QVERIFY(kelUi());
}

void tst_KelCallShapes::sliderOptionsAndDressing()
{
    QWidget parent;
    // Options 1: styled, and the handle does not glide.
    KelSlider timeSlider(37, Qt::Horizontal, &parent, 1);
    QVERIFY(!timeSlider.isAnimated());
    QCOMPARE(timeSlider.positionHandle()->size(), QSize(8, 24));
    QCOMPARE(timeSlider.positionHandle()->cornerRadii(), QMargins(4, 4, 4, 4));

    // The other constructor's bool still means "no style".
    KelSlider plain(37, Qt::Horizontal, &parent, true);
    QVERIFY(plain.isAnimated());
    QVERIFY(plain.positionHandle()->size() != QSize(8, 24));

    timeSlider.setGrooveMargins(4, 2);
    timeSlider.setGrooveHeight(2);
    timeSlider.setHandleMargin(1);
    timeSlider.setHandleColor(QColor(0x20, 0x20, 0x20));
    timeSlider.setHandleSize(QSize(2, 14));
    timeSlider.setHoverTracking(-1);
    QCOMPARE(timeSlider.positionHandle()->size(), QSize(2, 14));
    QCOMPARE(timeSlider.positionHandle()->background().normal, QColor(0x20, 0x20, 0x20));
}

void tst_KelCallShapes::tabIndicatorFrameGroupParent()
{
    QWidget window;
    auto *frame = new KelFrame(-1, &window);
    frame->setGeometry(10, 20, 200, 40);
    KelExclusiveButtonGroup group;
    auto *button = group.createButton(1, QString());
    button->setParent(frame);
    button->setGeometry(30, 0, 50, 40);
    group.setCheckedSilently(1);

    // Drawn over the frame from the frame's parent, in the frame's place.
    auto *indicator = new KelTabIndicator(frame, &group, &window);
    QCOMPARE(indicator->parentWidget(), &window);
    QCOMPARE(indicator->shape(), KelTabIndicator::Underline);
    QCOMPARE(indicator->geometry(), frame->geometry());
    window.show();
    frame->move(15, 25);
    QCOMPARE(indicator->geometry(), frame->geometry());

    // Without a parent it lies on the frame itself.
    auto *own = new KelTabIndicator(frame, &group, nullptr);
    QCOMPARE(own->parentWidget(), frame);
    QCOMPARE(own->geometry(), frame->rect());
}

void tst_KelCallShapes::intArguments()
{
    QLabel label;
    KelUtils::setFontSize(&label, 14, 57);
    QCOMPARE(label.font().pixelSize(), 14);
    QCOMPARE(label.font().weight(), 57);

    const int edge = Qt::BottomEdge;
    const int alignment = Qt::AlignRight;
    QCOMPARE(KelUtils::alignedRect(QRect(100, 100, 50, 20), QRect(0, 0, 30, 10), edge, alignment,
                                   QPoint(2, 0)),
             KelUtils::alignedRect(QRect(100, 100, 50, 20), QRect(0, 0, 30, 10), Qt::BottomEdge,
                                   Qt::AlignRight, QPoint(2, 0)));

    QWidget holder;
    auto *flow = new KelFlowLayout(&holder, 0, -1, -1);
    QCOMPARE(flow->contentsMargins(), QMargins(0, 0, 0, 0));
    QWidget other;
    auto *spaced = new KelFlowLayout(&other, 6);
    QCOMPARE(spaced->contentsMargins(), QMargins(6, 6, 6, 6));
}

int main(int argc, char **argv)
{
    KelApplication app(argc, argv);
    tst_KelCallShapes test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_kelcallshapes.moc"

#include "kelapplication.h"
#include "kelui.h"
#include "paintprobe.h"
#include "waitbound.h"
#include "widgets/kelbutton.h"
#include "widgets/kelslider.h"

#include <QMouseEvent>
#include <QSignalSpy>
#include <QtTest>

namespace {

void sendMouse(QWidget *widget, QEvent::Type type, const QPoint &globalPos, Qt::MouseButton button,
               Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QMouseEvent event(type, widget->mapFromGlobal(globalPos), globalPos, button, buttons, modifiers);
    QApplication::sendEvent(widget, &event);
}

// Presses a handle at its centre, moves the cursor to where the slider shows
// value and releases there.
void dragHandle(KelSlider *slider, KelButton *handle, int value)
{
    const QPoint centre(handle->width() / 2, handle->height() / 2);
    sendMouse(handle, QEvent::MouseButtonPress, handle->mapToGlobal(centre), Qt::LeftButton,
              Qt::LeftButton);
    const QPoint target = slider->mapToGlobal(slider->pointFromValue(value));
    sendMouse(handle, QEvent::MouseMove, target, Qt::NoButton, Qt::LeftButton);
    sendMouse(handle, QEvent::MouseButtonRelease, target, Qt::LeftButton, Qt::NoButton);
}

// The slider and its handles on a transparent image.
QImage render(QWidget *widget)
{
    QImage image = PaintProbe::canvas(widget->size());
    widget->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

QPoint handleCentreInSlider(KelSlider *slider, KelButton *handle)
{
    return slider->mapFromGlobal(
            handle->mapToGlobal(QPoint(handle->width() / 2, handle->height() / 2)));
}

// A shown 0-10 slider whose values lie 10 pixels apart: with the 8 pixel
// wide handle the span runs from x 4 to x 104.
struct Fixture
{
    Fixture()
    {
        window.resize(200, 60);
        slider = new KelSlider(Qt::Horizontal, &window);
        slider->setGeometry(20, 10, 108, 24);
        slider->setRange(0, 10);
        slider->setAnimated(false);
        window.show();
    }

    void showTrim(int lower, int upper)
    {
        slider->setTrimRange(lower, upper);
        slider->setTrimVisible(true);
    }

    QWidget window;
    KelSlider *slider;
};

} // namespace

class tst_KelSlider : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void mapping_data();
    void mapping();
    void mappingWithoutSpan();
    void setTrimRange_data();
    void setTrimRange();
    void trimRangeSignals();
    void dragTrimHandle_data();
    void dragTrimHandle();
    void positionStaysInsideTrimWhileEnabled();
    void rangeChangeClampsTrim_data();
    void rangeChangeClampsTrim();
    void pressOnEmptyRangeIsIgnored();
    void groovePressHandsDragToHandle();
    void arrowKeysMoveLastReleasedTrimHandle();
    void minTrimDurationWarning();
    void valueChangeGlidesUnlessDisabled();
    void hoverSignalsAndMark();
    void hotSpotAndSubcontrolsParent();
    void grooveAndHandleDressing();
};

void tst_KelSlider::initTestCase()
{
    QVERIFY(kelUi());
}

void tst_KelSlider::cleanupTestCase()
{
    delete kelUi();
}

void tst_KelSlider::mapping_data()
{
    QTest::addColumn<int>("orientation");
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<int>("value");
    QTest::addColumn<QPoint>("back");

    // Horizontal: 108 x 24, span x 4..104. Vertical: 24 x 108, values grow
    // upwards, span y 104..4.
    QTest::newRow("h start") << int(Qt::Horizontal) << QPoint(0, 0) << 0 << QPoint(4, 12);
    QTest::newRow("h middle") << int(Qt::Horizontal) << QPoint(55, 3) << 5 << QPoint(54, 12);
    QTest::newRow("h rounds") << int(Qt::Horizontal) << QPoint(38, 3) << 3 << QPoint(34, 12);
    QTest::newRow("h beyond end") << int(Qt::Horizontal) << QPoint(500, 3) << 10 << QPoint(104, 12);
    QTest::newRow("v bottom") << int(Qt::Vertical) << QPoint(5, 104) << 0 << QPoint(12, 104);
    QTest::newRow("v value 7") << int(Qt::Vertical) << QPoint(5, 34) << 7 << QPoint(12, 34);
}

void tst_KelSlider::mapping()
{
    QFETCH(int, orientation);
    QFETCH(QPoint, point);
    QFETCH(int, value);
    QFETCH(QPoint, back);

    KelSlider slider{Qt::Orientation(orientation)};
    slider.setRange(0, 10);
    slider.resize(orientation == Qt::Horizontal ? QSize(108, 24) : QSize(24, 108));
    QCOMPARE(slider.valueFromPoint(point), value);
    QCOMPARE(slider.pointFromValue(value), back);
}

void tst_KelSlider::mappingWithoutSpan()
{
    KelSlider slider(Qt::Horizontal);
    slider.resize(108, 24);
    slider.setRange(5, 5);
    QCOMPARE(slider.valueFromPoint(QPoint(50, 5)), 5);
    QCOMPARE(slider.pointFromValue(5), QPoint(4, 12));

    // No wider than the handle: every point is the range start.
    slider.setRange(0, 10);
    for (int width : {8, 6, 0}) {
        slider.resize(width, 24);
        QCOMPARE(slider.valueFromPoint(QPoint(3, 5)), 0);
        slider.pointFromValue(7);
    }
}

void tst_KelSlider::setTrimRange_data()
{
    QTest::addColumn<int>("a");
    QTest::addColumn<int>("b");
    QTest::addColumn<int>("lower");
    QTest::addColumn<int>("upper");

    QTest::newRow("ordered") << 8 << 3 << 3 << 8;
    QTest::newRow("clamped") << -5 << 20 << 0 << 10;
    QTest::newRow("empty") << 4 << 4 << 4 << 4;
    // A range wholly outside the slider's must not invert the trim.
    QTest::newRow("above") << 15 << 20 << 10 << 10;
    QTest::newRow("below") << -5 << -3 << 0 << 0;
}

void tst_KelSlider::setTrimRange()
{
    QFETCH(int, a);
    QFETCH(int, b);
    QFETCH(int, lower);
    QFETCH(int, upper);

    KelSlider slider(Qt::Horizontal);
    slider.setRange(0, 10);
    slider.setTrimRange(a, b);
    QCOMPARE(slider.trimRange(), qMakePair(lower, upper));
}

void tst_KelSlider::trimRangeSignals()
{
    KelSlider slider(Qt::Horizontal);
    slider.setRange(0, 10);
    QCOMPARE(slider.trimRange(), qMakePair(0, 0));
    QSignalSpy lower(&slider, &KelSlider::lowerTrimChanged);
    QSignalSpy upper(&slider, &KelSlider::upperTrimChanged);

    slider.setTrimRange(8, 3);
    QCOMPARE(lower.count(), 1);
    QCOMPARE(lower.at(0).at(0).toInt(), 3);
    QCOMPARE(upper.count(), 1);
    QCOMPARE(upper.at(0).at(0).toInt(), 8);

    slider.setTrimRange(3, 8);
    QCOMPARE(lower.count() + upper.count(), 2);

    slider.blockSignals(true);
    slider.setTrimRange(1, 9);
    slider.blockSignals(false);
    QCOMPARE(slider.trimRange(), qMakePair(1, 9));
    QCOMPARE(lower.count() + upper.count(), 2);
}

void tst_KelSlider::dragTrimHandle_data()
{
    QTest::addColumn<bool>("left");
    QTest::addColumn<int>("lower");
    QTest::addColumn<int>("upper");
    QTest::addColumn<int>("minDuration");
    QTest::addColumn<int>("target");
    QTest::addColumn<int>("result");

    QTest::newRow("left stops before right") << true << 3 << 8 << 1 << 9 << 7;
    QTest::newRow("right stops after left") << false << 3 << 8 << 1 << 2 << 4;
    QTest::newRow("left at minimum") << true << 3 << 8 << 1 << 0 << 0;
    QTest::newRow("right at maximum") << false << 3 << 8 << 1 << 10 << 10;
    QTest::newRow("left keeps duration") << true << 3 << 8 << 3 << 7 << 5;
    // A trim shorter than the duration at the end of the range: the right
    // handle must still stay inside the range.
    QTest::newRow("right never past maximum") << false << 9 << 10 << 2 << 10 << 10;
}

void tst_KelSlider::dragTrimHandle()
{
    QFETCH(bool, left);
    QFETCH(int, lower);
    QFETCH(int, upper);
    QFETCH(int, minDuration);
    QFETCH(int, target);
    QFETCH(int, result);

    Fixture f;
    f.slider->setMinTrimDuration(minDuration);
    f.showTrim(lower, upper);
    KelButton *handle = left ? f.slider->leftTrimHandle() : f.slider->rightTrimHandle();
    QSignalSpy pressed(f.slider, left ? &KelSlider::lowerTrimPressed : &KelSlider::upperTrimPressed);
    QSignalSpy moved(f.slider, left ? &KelSlider::lowerTrimMoved : &KelSlider::upperTrimMoved);
    QSignalSpy changed(f.slider, left ? &KelSlider::lowerTrimChanged : &KelSlider::upperTrimChanged);
    QSignalSpy released(f.slider,
                        left ? &KelSlider::lowerTrimReleased : &KelSlider::upperTrimReleased);
    const int start = left ? lower : upper;

    dragHandle(f.slider, handle, target);

    const QPair<int, int> range = f.slider->trimRange();
    QCOMPARE(left ? range.first : range.second, result);
    QCOMPARE(left ? range.second : range.first, left ? upper : lower);
    QCOMPARE(pressed.count(), 1);
    QCOMPARE(pressed.at(0).at(0).toInt(), start);
    QCOMPARE(released.count(), 1);
    QCOMPARE(released.at(0).at(0).toInt(), result);
    if (result != start) {
        QCOMPARE(moved.count(), 1);
        QCOMPARE(moved.at(0).at(0).toInt(), result);
        QCOMPARE(changed.count(), 1);
    }
    // The position follows the dragged handle, and so does the handle.
    QCOMPARE(f.slider->sliderPosition(), result);
    QCOMPARE(handleCentreInSlider(f.slider, handle), f.slider->pointFromValue(result));
    QVERIFY(!f.slider->isSliderDown());
}

void tst_KelSlider::positionStaysInsideTrimWhileEnabled()
{
    Fixture f;
    f.showTrim(3, 8);
    QVERIFY(f.slider->isTrimEnabled());
    KelButton *position = f.slider->positionHandle();

    dragHandle(f.slider, position, 10);
    QCOMPARE(f.slider->value(), 8);
    QTest::mouseClick(f.slider, Qt::LeftButton, {}, f.slider->pointFromValue(1));
    QCOMPARE(f.slider->value(), 3);

    // Cleared, as while the timeline follows playback: anywhere goes.
    f.slider->setTrimEnabled(false);
    dragHandle(f.slider, position, 10);
    QCOMPARE(f.slider->value(), 10);
    QTest::mouseClick(f.slider, Qt::LeftButton, {}, f.slider->pointFromValue(1));
    QCOMPARE(f.slider->value(), 1);
    QCOMPARE(handleCentreInSlider(f.slider, position), f.slider->pointFromValue(1));
}

void tst_KelSlider::rangeChangeClampsTrim_data()
{
    QTest::addColumn<int>("minimum");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<int>("lower");
    QTest::addColumn<int>("upper");

    QTest::newRow("upper lowered") << 0 << 5 << 3 << 5;
    QTest::newRow("lower raised") << 4 << 20 << 4 << 8;
    QTest::newRow("both") << 5 << 6 << 5 << 6;
    // The range moves past the whole trim: both ends stay inside, in order.
    QTest::newRow("past the trim") << 20 << 30 << 20 << 20;
}

void tst_KelSlider::rangeChangeClampsTrim()
{
    QFETCH(int, minimum);
    QFETCH(int, maximum);
    QFETCH(int, lower);
    QFETCH(int, upper);

    Fixture f;
    f.showTrim(3, 8);
    QSignalSpy lowerChanged(f.slider, &KelSlider::lowerTrimChanged);
    QSignalSpy upperChanged(f.slider, &KelSlider::upperTrimChanged);

    f.slider->setRange(minimum, maximum);

    QCOMPARE(f.slider->trimRange(), qMakePair(lower, upper));
    QCOMPARE(lowerChanged.count(), lower != 3 ? 1 : 0);
    if (lower != 3)
        QCOMPARE(lowerChanged.at(0).at(0).toInt(), lower);
    QCOMPARE(upperChanged.count(), upper != 8 ? 1 : 0);
    if (upper != 8)
        QCOMPARE(upperChanged.at(0).at(0).toInt(), upper);
    QCOMPARE(handleCentreInSlider(f.slider, f.slider->rightTrimHandle()),
             f.slider->pointFromValue(upper));
}

void tst_KelSlider::pressOnEmptyRangeIsIgnored()
{
    Fixture f;
    f.showTrim(3, 8);
    f.slider->setRange(5, 5);
    QSignalSpy sliderPressed(f.slider, &QAbstractSlider::sliderPressed);
    QSignalSpy trimPressed(f.slider, &KelSlider::lowerTrimPressed);

    QMouseEvent press(QEvent::MouseButtonPress, QPoint(50, 12),
                      f.slider->mapToGlobal(QPoint(50, 12)), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(f.slider, &press);
    QVERIFY(!press.isAccepted());
    dragHandle(f.slider, f.slider->leftTrimHandle(), 5);
    dragHandle(f.slider, f.slider->positionHandle(), 5);

    QCOMPARE(sliderPressed.count(), 0);
    QCOMPARE(trimPressed.count(), 0);
    QVERIFY(!f.slider->isSliderDown());

    // Neither does a right-button press on a usable slider.
    f.slider->setRange(0, 10);
    QMouseEvent right(QEvent::MouseButtonPress, QPoint(50, 12),
                      f.slider->mapToGlobal(QPoint(50, 12)), Qt::RightButton, Qt::RightButton,
                      Qt::NoModifier);
    QApplication::sendEvent(f.slider, &right);
    QVERIFY(!right.isAccepted());
    QCOMPARE(sliderPressed.count(), 0);
}

void tst_KelSlider::groovePressHandsDragToHandle()
{
    Fixture f;
    f.slider->setAnimated(true);
    KelButton *position = f.slider->positionHandle();
    QSignalSpy moved(f.slider, &QAbstractSlider::sliderMoved);

    const QPoint press = f.slider->mapToGlobal(f.slider->pointFromValue(6));
    sendMouse(f.slider, QEvent::MouseButtonPress, press, Qt::LeftButton, Qt::LeftButton);
    // A groove press jumps, it does not glide.
    QCOMPARE(f.slider->value(), 6);
    QVERIFY(f.slider->isSliderDown());
    QCOMPARE(handleCentreInSlider(f.slider, position), f.slider->pointFromValue(6));

    // The next move reaches the slider and is passed on to the handle,
    // which from then on drags.
    const QPoint to = f.slider->mapToGlobal(f.slider->pointFromValue(9));
    sendMouse(f.slider, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
    QCOMPARE(f.slider->value(), 9);
    QCOMPARE(QWidget::mouseGrabber(), position);
    const QPoint further = f.slider->mapToGlobal(f.slider->pointFromValue(2));
    sendMouse(position, QEvent::MouseMove, further, Qt::NoButton, Qt::LeftButton);
    QCOMPARE(f.slider->value(), 2);
    QCOMPARE(handleCentreInSlider(f.slider, position), f.slider->pointFromValue(2));
    sendMouse(position, QEvent::MouseButtonRelease, further, Qt::LeftButton, Qt::NoButton);
    QVERIFY(!f.slider->isSliderDown());
    QCOMPARE(QWidget::mouseGrabber(), nullptr);
    QVERIFY(moved.count() >= 2);
}

void tst_KelSlider::arrowKeysMoveLastReleasedTrimHandle()
{
    Fixture f;
    f.slider->setPageStep(3);
    f.showTrim(3, 8);
    QSignalSpy lowerMoved(f.slider, &KelSlider::lowerTrimMoved);

    // Right after showing, the left handle takes the keys.
    QTest::keyClick(f.slider, Qt::Key_Right);
    QCOMPARE(f.slider->trimRange(), qMakePair(4, 8));
    QCOMPARE(lowerMoved.count(), 1);
    QCOMPARE(f.slider->value(), 4);
    QTest::keyClick(f.slider, Qt::Key_Right, Qt::ShiftModifier);
    QCOMPARE(f.slider->trimRange(), qMakePair(7, 8));
    QTest::keyClick(f.slider, Qt::Key_Right);
    QCOMPARE(f.slider->trimRange(), qMakePair(7, 8));
    QCOMPARE(lowerMoved.count(), 2);

    // After a drag the released handle takes them.
    dragHandle(f.slider, f.slider->rightTrimHandle(), 9);
    QTest::keyClick(f.slider, Qt::Key_Left);
    QCOMPARE(f.slider->trimRange(), qMakePair(7, 8));
    QCOMPARE(f.slider->value(), 8);

    // Other navigation keys do nothing while the trim is shown.
    QTest::keyClick(f.slider, Qt::Key_End);
    QCOMPARE(f.slider->value(), 8);
    f.slider->setTrimVisible(false);
    QTest::keyClick(f.slider, Qt::Key_End);
    QCOMPARE(f.slider->value(), 10);
}

void tst_KelSlider::minTrimDurationWarning()
{
    KelSlider slider(Qt::Horizontal);
    slider.setRange(0, 10);
    slider.setTrimRange(3, 5);
    QTest::ignoreMessage(QtWarningMsg, "Current trim duration ( 2 ) is less than requested ( 5 )");
    slider.setMinTrimDuration(5);
    QCOMPARE(slider.trimRange(), qMakePair(3, 5));
    QCOMPARE(slider.minTrimDuration(), 5);
}

void tst_KelSlider::valueChangeGlidesUnlessDisabled()
{
    Fixture f;
    KelButton *position = f.slider->positionHandle();
    f.slider->setAnimated(true);
    f.slider->setValue(8);
    QVERIFY(handleCentreInSlider(f.slider, position) != f.slider->pointFromValue(8));
    QTRY_COMPARE(handleCentreInSlider(f.slider, position), f.slider->pointFromValue(8));

    f.slider->setAnimated(false);
    f.slider->setValue(2);
    QCOMPARE(handleCentreInSlider(f.slider, position), f.slider->pointFromValue(2));

    QSignalSpy valueChanged(f.slider, &QAbstractSlider::valueChanged);
    f.slider->setValueSilently(5);
    QCOMPARE(f.slider->value(), 5);
    QCOMPARE(valueChanged.count(), 0);
    QVERIFY(!f.slider->signalsBlocked());
}

void tst_KelSlider::hoverSignalsAndMark()
{
    Fixture f;
    QSignalSpy hovered(f.slider, &KelSlider::hovered);
    QSignalSpy leaved(f.slider, &KelSlider::leaved);
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(f.slider, &enter);
    QCOMPARE(hovered.count(), 1);

    f.slider->setHoverTracking(KelSlider::HoverMark);
    QHoverEvent move(QEvent::HoverMove, QPoint(67, 5), QPoint(0, 0));
    QApplication::sendEvent(f.slider, &move);
    QCOMPARE(f.slider->hoverMark(), 64);

    // Disabling while hovered counts as leaving.
    f.slider->setEnabled(false);
    QCOMPARE(leaved.count(), 1);
    QCOMPARE(f.slider->hoverMark(), -1);
    QApplication::sendEvent(f.slider, &move);
    QCOMPARE(f.slider->hoverMark(), -1);
}

void tst_KelSlider::hotSpotAndSubcontrolsParent()
{
    Fixture f;
    f.showTrim(3, 8);
    KelButton *left = f.slider->leftTrimHandle();
    KelButton *right = f.slider->rightTrimHandle();
    left->setFixedSize(10, 20);
    right->setFixedSize(10, 20);
    QCOMPARE(KelSlider::sliderOfHandle(left), f.slider);
    QCOMPARE(KelSlider::sliderOfHandle(&f.window), nullptr);

    // The left handle's right edge stands on its value.
    f.slider->setLeftTrimHotSpot(QPoint(left->width(), left->height() / 2));
    QCOMPARE(left->geometry().left() + left->width(), f.slider->pointFromValue(3).x());

    f.slider->setSubcontrolsParent(&f.window);
    QCOMPARE(right->parentWidget(), &f.window);
    QVERIFY(right->isVisible());
    const auto rightCentreInWindow = [&] {
        return right->geometry().topLeft() + QPoint(right->width() / 2, right->height() / 2);
    };
    QCOMPARE(rightCentreInWindow(), f.slider->pos() + f.slider->pointFromValue(8));
    // Moving the slider inside its window moves the handles along.
    f.slider->move(40, 20);
    QCOMPARE(rightCentreInWindow(), QPoint(40, 20) + f.slider->pointFromValue(8));

    // They stay with the window, hidden, when the slider goes.
    QPointer<KelButton> guard(right);
    delete f.slider;
    QVERIFY(guard);
    QVERIFY(!guard->isVisible());
}

// What the slider recipes set is what the slider shows.
void tst_KelSlider::grooveAndHandleDressing()
{
    Fixture f;
    const QColor groove(0, 0, 255);
    const QColor active(0, 200, 0);
    const QColor handle(255, 0, 0);
    f.slider->setGrooveColors(groove, active);
    f.slider->setGrooveHeight(4);
    f.slider->setGrooveMargins(10, 0);
    f.slider->setHandleColor(handle);
    f.slider->setHandleSize(QSize(6, 20));
    f.slider->setHandleMargin(3);
    QCOMPARE(f.slider->positionHandle()->size(), QSize(6, 20));
    // The travel starts at the margin plus half the handle.
    QCOMPARE(f.slider->pointFromValue(0).x(), 3 + 3);

    // The groove (rows 10 to 13) starts 10 pixels in; the handle (x 3 to 8)
    // sits on value 0 in its own colour.
    QImage image = render(f.slider);
    QVERIFY(PaintProbe::pixelIs(image, 1, 11, Qt::transparent));
    QVERIFY(PaintProbe::pixelIs(image, 60, 11, groove));
    QVERIFY(PaintProbe::pixelIs(image, 5, 12, handle));

    // A trim without colours of its own shows in the groove's colours.
    f.showTrim(2, 8);
    image = render(f.slider);
    QVERIFY(PaintProbe::pixelIs(image, 95, 11, groove));
    QVERIFY(PaintProbe::pixelIs(image, 60, 11, active));
}

int main(int argc, char **argv)
{
    KelApplication app(argc, argv);
    tst_KelSlider test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_kelslider.moc"

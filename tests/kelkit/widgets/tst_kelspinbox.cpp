#include "kelapplication.h"
#include "kelui.h"
#include "styles/kelstyle.h"
#include "waitbound.h"
#include "warninglog.h"
#include "widgets/kelspinbox.h"
#include "widgets/kelspinboxarrowpainter.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QStyleOptionSpinBox>
#include <QtTest>

namespace {

// Style 36: 1 pixel border, contents margins 8 left and none right, arrow
// boxes of 24 x 11.
class SpinBox : public KelSpinBox
{
public:
    explicit SpinBox(QWidget *parent = nullptr) : KelSpinBox(KelStyle::WT_SpinBox, parent) { }

    using KelSpinBox::lineEdit;

    QRect subControl(QStyle::SubControl control)
    {
        QStyleOptionSpinBox option;
        initStyleOption(&option);
        return style()->subControlRect(QStyle::CC_SpinBox, &option, control, this);
    }
};

bool sendKey(QWidget *widget, int key)
{
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
    return event.isAccepted();
}

} // namespace

class tst_KelSpinBox : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void fieldKeys();
    void arrowsMeetAtTheCentreLine();
    void arrowPressAndRelease();
    void noButtons();
    void setValueSilently();
};

void tst_KelSpinBox::initTestCase()
{
    QVERIFY(kelUi());
}

void tst_KelSpinBox::cleanupTestCase()
{
    delete kelUi();
}

void tst_KelSpinBox::fieldKeys()
{
    SpinBox spin;
    spin.setRange(0, 999);
    spin.setValue(42);
    QLineEdit *edit = spin.lineEdit();
    QSignalSpy prev(&spin, &KelSpinBox::prevWidgetRequested);
    QSignalSpy next(&spin, &KelSpinBox::nextWidgetRequested);
    QSignalSpy enter(&spin, &KelSpinBox::enterPressed);
    QSignalSpy esc(&spin, &KelSpinBox::escPressed);

    edit->setCursorPosition(1);
    QVERIFY(sendKey(&spin, Qt::Key_Left));
    QCOMPARE(edit->cursorPosition(), 0);
    QCOMPARE(prev.count(), 0);
    QVERIFY(sendKey(&spin, Qt::Key_Left));
    QCOMPARE(prev.count(), 1);
    QCOMPARE(edit->cursorPosition(), 0);

    QVERIFY(sendKey(&spin, Qt::Key_Right));
    QCOMPARE(edit->cursorPosition(), 1);
    edit->setCursorPosition(2);
    QVERIFY(sendKey(&spin, Qt::Key_Right));
    QCOMPARE(next.count(), 1);
    QCOMPARE(edit->cursorPosition(), 2);

    QVERIFY(sendKey(&spin, Qt::Key_Return));
    QVERIFY(sendKey(&spin, Qt::Key_Enter));
    QVERIFY(sendKey(&spin, Qt::Key_Escape));
    QCOMPARE(enter.count(), 2);
    QCOMPARE(esc.count(), 1);
    QCOMPARE(spin.value(), 42);
}

void tst_KelSpinBox::arrowsMeetAtTheCentreLine()
{
    SpinBox spin;
    spin.resize(100, 24);
    const QRect content(1, 1, 98, 22);
    const QSize arrow = spin.upArrowPainter()->sizeHint();
    QCOMPARE(arrow, QSize(24, 11));

    const QRect edit = spin.subControl(QStyle::SC_SpinBoxEditField);
    QCOMPARE(edit, content.adjusted(0, 0, -arrow.width(), 0));
    const QRect up = spin.subControl(QStyle::SC_SpinBoxUp);
    const QRect down = spin.subControl(QStyle::SC_SpinBoxDown);
    QCOMPARE(up.size(), arrow);
    QCOMPARE(up.right(), content.right());
    QCOMPARE(down.right(), content.right());
    QCOMPARE(up.bottom(), content.center().y());
    QCOMPARE(down.top(), content.center().y() + 1);

    // The size hint holds frame, contents margins and the arrows around the
    // text.
    QStyleOptionSpinBox option;
    option.initFrom(&spin);
    option.buttonSymbols = QAbstractSpinBox::UpDownArrows;
    QCOMPARE(spin.style()->sizeFromContents(QStyle::CT_SpinBox, &option, QSize(30, 16), &spin),
             QSize(30 + 1 + 8 + 1 + 24, 16 + 2));
    QVERIFY(spin.style()->styleHint(QStyle::SH_SpinControls_DisableOnBounds, &option, &spin));
}

void tst_KelSpinBox::arrowPressAndRelease()
{
    SpinBox spin;
    spin.setRange(0, 5);
    spin.setValue(4);
    spin.resize(100, 24);
    spin.show();
    QVERIFY(QTest::qWaitForWindowExposed(&spin, WaitBound::ms()));
    QSignalSpy pressed(&spin, &KelSpinBox::buttonPressed);
    QSignalSpy released(&spin, &KelSpinBox::buttonReleased);
    QSignalSpy changed(&spin, &KelSpinBox::intValueChanged);
    const QPoint up = spin.subControl(QStyle::SC_SpinBoxUp).center();

    QTest::mousePress(&spin, Qt::LeftButton, {}, up);
    QCOMPARE(pressed.count(), 1);
    QCOMPARE(spin.value(), 5);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.at(0).at(0).toInt(), 5);
    QTest::mouseRelease(&spin, Qt::LeftButton, {}, up);
    QCOMPARE(released.count(), 1);

    // At the maximum the up arrow is disabled.
    QTest::mousePress(&spin, Qt::LeftButton, {}, up);
    QTest::mouseRelease(&spin, Qt::LeftButton, {}, up);
    QCOMPARE(pressed.count(), 1);
    QCOMPARE(released.count(), 1);

    // A press in the text is no arrow press.
    const QPoint text = spin.subControl(QStyle::SC_SpinBoxEditField).center();
    QTest::mousePress(&spin, Qt::LeftButton, {}, text);
    QTest::mouseRelease(&spin, Qt::LeftButton, {}, text);
    QCOMPARE(pressed.count(), 1);
    spin.grab();
}

void tst_KelSpinBox::noButtons()
{
    SpinBox spin;
    spin.setButtonSymbols(QAbstractSpinBox::NoButtons);
    spin.resize(100, 24);
    QCOMPARE(spin.subControl(QStyle::SC_SpinBoxEditField), QRect(1, 1, 98, 22));
    QVERIFY(spin.subControl(QStyle::SC_SpinBoxUp).isNull());
    QVERIFY(spin.subControl(QStyle::SC_SpinBoxDown).isNull());
    QSignalSpy pressed(&spin, &KelSpinBox::buttonPressed);
    QTest::mousePress(&spin, Qt::LeftButton, {}, QPoint(95, 5));
    QCOMPARE(pressed.count(), 0);
    spin.grab();

    // Without arrow settings there is no room for the arrows: said once per
    // spin box, not on every paint.
    WarningLog log;
    KelSpinBox bare(-1);
    bare.resize(100, 24);
    bare.grab();
    bare.grab();
    QCOMPARE(log.count(QStringLiteral("Cant calc spinbox up arrow rect")), 1);
}

void tst_KelSpinBox::setValueSilently()
{
    SpinBox spin;
    spin.setRange(0, 10);
    QSignalSpy valueChanged(&spin, QOverload<int>::of(&QSpinBox::valueChanged));
    QSignalSpy intValueChanged(&spin, &KelSpinBox::intValueChanged);
    spin.setValueSilently(7);
    spin.setValueSilently(7);
    QCOMPARE(spin.value(), 7);
    QCOMPARE(valueChanged.count() + intValueChanged.count(), 0);
    QVERIFY(!spin.signalsBlocked());
    spin.setValue(3);
    QCOMPARE(intValueChanged.count(), 1);
    QCOMPARE(intValueChanged.at(0).at(0).toInt(), 3);
}

int main(int argc, char **argv)
{
    KelApplication app(argc, argv);
    tst_KelSpinBox test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_kelspinbox.moc"

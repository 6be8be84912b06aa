#include "kelapplication.h"
#include "kelui.h"
#include "ui/style.h"
#include "ui/widgets/alignmentselector.h"
#include "ui/widgets/buttonswitcher.h"
#include "ui/widgets/colorselector.h"
#include "ui/widgets/displayslider.h"
#include "ui/widgets/editablelabel.h"
#include "waitbound.h"
#include "widgets/kelbutton.h"
#include "widgets/kelexclusivebuttongroup.h"
#include "widgets/kelslider.h"
#include "widgets/kelspinbox.h"

#include "../../../kelkit/offscreenleak.h"

#include <QKeyEvent>
#include <QSignalSpy>
#include <QVBoxLayout>
#include <QtTest>

namespace {

// Records the keys that reach it, as a dialog would.
class KeyWitness : public QWidget
{
public:
    QList<int> keys;

protected:
    void keyPressEvent(QKeyEvent *event) override { keys << event->key(); }
};

KelButton *circleOf(const ColorSelector &selector, const QColor &color)
{
    const auto buttons = selector.findChildren<KelButton *>();
    for (KelButton *button : buttons) {
        if (button->iconColors().normal == color)
            return button;
    }
    return nullptr;
}

} // namespace

class tst_SmallWidgets : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void colorSelectorMatchesOpaque_data();
    void colorSelectorMatchesOpaque();
    void hiddenColorsKeepTheirPlaces();
    void displaySliderValues();
    void alignmentSelectorEmits();
    void buttonSwitcherReportsData();
    void editableLabelEscapeRestores();
    void editableLabelReturnEndsEditing();
    void editableLabelPressOutsideEndsEditing();
};

void tst_SmallWidgets::initTestCase()
{
    qRegisterMetaType<Qt::Alignment>();
    Style::registerThemes(kelUi());
}

void tst_SmallWidgets::colorSelectorMatchesOpaque_data()
{
    QTest::addColumn<QColor>("given");
    QTest::addColumn<QColor>("checked");

    QTest::newRow("half-transparent accent")
            << QColor::fromRgb(0xE0, 0x65, 0x7B, 128) << QColor(0xE0657B);
    QTest::newRow("opaque blue") << QColor(0x3188EF) << QColor(0x3188EF);
    QTest::newRow("transparent white") << QColor(255, 255, 255, 0) << QColor(Qt::white);
}

void tst_SmallWidgets::colorSelectorMatchesOpaque()
{
    QFETCH(QColor, given);
    QFETCH(QColor, checked);

    ColorSelector selector;
    QSignalSpy changed(&selector, &ColorSelector::colorChanged);
    QVERIFY(!selector.color().isValid());

    selector.setColor(given);
    QVERIFY(changed.wait(WaitBound::ms()));
    QCOMPARE(changed.size(), 1);
    QCOMPARE(changed.at(0).at(0).value<QColor>(), checked);
    QCOMPARE(selector.color(), checked);
    QVERIFY(circleOf(selector, checked)->isChecked());

    // Silently to black: checked at once, no signal.
    selector.setColorSilently(QColor(0, 0, 0, 10));
    QCOMPARE(selector.color(), QColor(Qt::black));
    QCoreApplication::processEvents();
    QCOMPARE(changed.size(), 1);
}

void tst_SmallWidgets::hiddenColorsKeepTheirPlaces()
{
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *selector = new ColorSelector;
    layout->addWidget(selector);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window, WaitBound::ms()));
    KelButton *white = circleOf(*selector, Qt::white);
    KelButton *black = circleOf(*selector, Qt::black);
    const QRect whiteBefore = white->geometry();
    const QRect blackBefore = black->geometry();

    selector->setExtraColorsVisible(false);
    layout->activate();
    QCoreApplication::processEvents();
    QVERIFY(!circleOf(*selector, QColor(0xE0657B))->isVisible());
    QVERIFY(!circleOf(*selector, QColor(0x3188EF))->isVisible());
    QCOMPARE(white->geometry(), whiteBefore);
    QCOMPARE(black->geometry(), blackBefore);
    QVERIFY(white->isVisible() && black->isVisible());

    selector->setExtraColorsVisible(true);
    QVERIFY(circleOf(*selector, QColor(0x3188EF))->isVisible());
}

void tst_SmallWidgets::displaySliderValues()
{
    DisplaySlider slider(0, 100, 1067, 1064);
    QSignalSpy ints(&slider, &DisplaySlider::intValueChanged);
    QSignalSpy percents(&slider, &DisplaySlider::percentValueChanged);

    slider.setPercentValue(0.125);
    QCOMPARE(slider.intValue(), 13);
    QCOMPARE(slider.spinBox()->value(), 13);
    QCOMPARE(ints.size(), 1);
    QCOMPARE(ints.at(0).at(0).toInt(), 13);
    QCOMPARE(percents.size(), 1);
    QCOMPARE(percents.at(0).at(0).toDouble(), 0.13);

    // A decimal half rounds up despite its binary form.
    slider.setPercentValue(0.145);
    QCOMPARE(slider.intValue(), 15);

    ints.clear();
    percents.clear();
    slider.setPercentValueSilently(0.5);
    QCOMPARE(slider.intValue(), 50);
    QCOMPARE(slider.spinBox()->value(), 50);
    slider.setIntValueSilently(70);
    QCOMPARE(slider.slider()->value(), 70);
    QCOMPARE(slider.spinBox()->value(), 70);
    // Beyond the range both parts agree on the bound.
    slider.setIntValueSilently(140);
    QCOMPARE(slider.spinBox()->value(), 100);
    QCOMPARE(ints.size(), 0);
    QCOMPARE(percents.size(), 0);

    // The spin box drives the slider, which reports.
    slider.spinBox()->setValue(42);
    QCOMPARE(slider.intValue(), 42);
    QCOMPARE(ints.size(), 1);
    QCOMPARE(percents.at(0).at(0).toDouble(), 0.42);

    slider.setSuffix(QStringLiteral("%"));
    QCOMPARE(slider.spinBox()->suffix(), QStringLiteral("%"));
}

void tst_SmallWidgets::alignmentSelectorEmits()
{
    AlignmentSelector selector;
    QSignalSpy changed(&selector, &AlignmentSelector::alignmentChanged);

    for (Qt::Alignment alignment : {Qt::AlignTop, Qt::AlignVCenter, Qt::AlignBottom}) {
        selector.setAlignment(alignment);
        QVERIFY(changed.wait(WaitBound::ms()));
        QCOMPARE(changed.takeFirst().at(0).value<Qt::Alignment>(), alignment);
        QCOMPARE(selector.alignment(), alignment);
    }
}

void tst_SmallWidgets::buttonSwitcherReportsData()
{
    ButtonSwitcher switcher(1049, 1016);
    switcher.addButton(QStringLiteral("queue"));
    KelButton *history = switcher.addButton(QStringLiteral("history"));
    QCOMPARE(switcher.group()->buttons().size(), 2);
    QCOMPARE(history->parentWidget(), &switcher);
    QCOMPARE(history->styleId(), Style::WT_Button_Segment_34);
    QSignalSpy toggled(&switcher, &ButtonSwitcher::toggled);

    switcher.group()->setCheckedData(QStringLiteral("history"));
    QVERIFY(toggled.wait(WaitBound::ms()));
    QCOMPARE(toggled.takeFirst().at(0).toString(), QStringLiteral("history"));
}

void tst_SmallWidgets::editableLabelEscapeRestores()
{
    KeyWitness window;
    auto *layout = new QVBoxLayout(&window);
    auto *label = new EditableLabel(Style::WT_LineEdit_Title);
    auto *other = new QWidget;
    other->setFocusPolicy(Qt::StrongFocus);
    layout->addWidget(label);
    layout->addWidget(other);
    label->setText(QStringLiteral("Holiday"));
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window, WaitBound::ms()));

    label->setFocus(Qt::MouseFocusReason);
    QTRY_VERIFY(label->hasFocus());
    QTest::keyClicks(label, QStringLiteral(" clip"));
    QCOMPARE(label->text(), QStringLiteral("Holiday clip"));
    // A change made while editing does not move the restore point.
    label->setText(QStringLiteral("Other"));

    QSignalSpy edited(label, &QLineEdit::textEdited);
    QSignalSpy changed(label, &QLineEdit::textChanged);
    QTest::keyClick(label, Qt::Key_Escape);
    QCOMPARE(label->text(), QStringLiteral("Holiday"));
    QVERIFY(!label->hasFocus());
    QCOMPARE(edited.size(), 0);
    QCOMPARE(changed.size(), 0);
    QCOMPARE(window.keys, QList<int>());
}

void tst_SmallWidgets::editableLabelReturnEndsEditing()
{
    KeyWitness window;
    auto *layout = new QVBoxLayout(&window);
    auto *label = new EditableLabel(Style::WT_LineEdit_Title);
    layout->addWidget(label);
    label->setText(QStringLiteral("A rather long name of a clip"));
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window, WaitBound::ms()));

    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
        label->setFocus(Qt::MouseFocusReason);
        QTRY_VERIFY(label->hasFocus());
        label->end(false);
        QTest::keyClicks(label, QStringLiteral("!"));
        QSignalSpy finished(label, &QLineEdit::editingFinished);
        QTest::keyClick(label, key);
        QVERIFY(!label->hasFocus());
        QCOMPARE(finished.size(), 1);
        QCOMPARE(label->cursorPosition(), 0);
    }
    QCOMPARE(label->text(), QStringLiteral("A rather long name of a clip!!"));
    QCOMPARE(window.keys, QList<int>());
}

void tst_SmallWidgets::editableLabelPressOutsideEndsEditing()
{
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *label = new EditableLabel(Style::WT_LineEdit_Title);
    auto *spot = new QWidget;
    spot->setMinimumSize(100, 40);
    layout->addWidget(label);
    layout->addWidget(spot);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window, WaitBound::ms()));

    const auto pressOn = [&window](QWidget *widget) {
        const QPoint inWindow = widget->mapTo(&window, widget->rect().center());
        QTest::mousePress(window.windowHandle(), Qt::LeftButton, {}, inWindow);
        QTest::mouseRelease(window.windowHandle(), Qt::LeftButton, {}, inWindow);
    };
    label->setFocus(Qt::MouseFocusReason);
    QTRY_VERIFY(label->hasFocus());
    pressOn(label);
    QVERIFY(label->hasFocus());
    pressOn(spot);
    QVERIFY(!label->hasFocus());
}

int main(int argc, char **argv)
{
    KelApplication app(argc, argv);
    tst_SmallWidgets test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_smallwidgets.moc"

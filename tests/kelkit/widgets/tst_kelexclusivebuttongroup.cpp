#include "kelapplication.h"
#include "kelui.h"
#include "styles/kelstyle.h"
#include "waitbound.h"
#include "widgets/kelbutton.h"
#include "widgets/kelexclusivebuttongroup.h"
#include "widgets/keltabindicator.h"

#include "../offscreenleak.h"

#include <QHBoxLayout>
#include <QVariantAnimation>
#include <QtTest>

namespace {

// A click as Qt delivers it: the cursor enters, presses and releases.
void click(QWidget *widget)
{
    widget->setAttribute(Qt::WA_UnderMouse, true);
    const QPoint pos = widget->rect().center();
    QEnterEvent enter(pos, widget->mapTo(widget->window(), pos), widget->mapToGlobal(pos));
    QApplication::sendEvent(widget, &enter);
    QTest::mousePress(widget, Qt::LeftButton, Qt::NoModifier, pos);
    QTest::mouseRelease(widget, Qt::LeftButton, Qt::NoModifier, pos);
}

// Three 40 x 20 buttons in a row, data "a", "b" and "c".
struct Row
{
    Row()
    {
        auto *layout = new QHBoxLayout(&holder);
        layout->setContentsMargins(0, 0, 0, 10);
        layout->setSpacing(10);
        for (const char *data : {"a", "b", "c"}) {
            auto *button = new KelButton(-1, &holder);
            button->setFixedSize(40, 20);
            layout->addWidget(button);
            group.addButton(button, QString::fromLatin1(data));
        }
        layout->addStretch(1);
        holder.resize(200, 30);
        holder.show();
    }

    KelButton *button(int i) const { return group.buttons().at(i); }

    QWidget holder;
    KelExclusiveButtonGroup group;
};

using Toggles = QList<QPair<KelButton *, QVariant>>;

Toggles toggles(const QSignalSpy &spy)
{
    Toggles result;
    for (const QVariantList &args : spy)
        result << qMakePair(args.at(0).value<KelButton *>(), args.at(1));
    return result;
}

} // namespace

class tst_KelExclusiveButtonGroup : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void addButton();
    void clickMovesTheCheck();
    void setCheckedData();
    void silentChecks();
    void destroyedButtonsDropOut();
    void indicatorFollowsCheckedButton();
    void indicatorFollowsGeometry();
};

void tst_KelExclusiveButtonGroup::initTestCase()
{
    qRegisterMetaType<KelButton *>();
    QVERIFY(kelUi());
}

void tst_KelExclusiveButtonGroup::cleanupTestCase()
{
    delete kelUi();
}

void tst_KelExclusiveButtonGroup::addButton()
{
    KelExclusiveButtonGroup group(28);
    QCOMPARE(group.buttonStyleId(), 28);
    QCOMPARE(KelExclusiveButtonGroup().buttonStyleId(), -1);

    QTest::ignoreMessage(QtCriticalMsg,
                         QRegularExpression("Ignore trying to add nullptr button into"));
    QCOMPARE(group.addButton(nullptr, 1), nullptr);

    KelButton button;
    QCOMPARE(group.addButton(&button, 1), &button);
    QVERIFY(button.isCheckable());
    QVERIFY(button.isAutoExclusive());
    QCOMPARE(button.property("__kel_button_group_btn_user_data"), QVariant(1));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("because it's already registered"));
    QCOMPARE(group.addButton(&button, 2), &button);
    QCOMPARE(group.buttons().size(), 1);
    QCOMPARE(group.buttonData(&button), QVariant(1));
    QCOMPARE(group.buttonData(nullptr), QVariant());

    std::unique_ptr<KelButton> made(group.createButton(QStringLiteral("x")));
    QCOMPARE(made->styleId(), KelStyle::WT_Button_Chip);
    QCOMPARE(group.buttonByData(QStringLiteral("x")), made.get());
    QCOMPARE(group.buttonByData(QStringLiteral("y")), nullptr);
    QCOMPARE(group.checkedButton(), nullptr);
    QVERIFY(!group.checkedData().isValid());
}

void tst_KelExclusiveButtonGroup::clickMovesTheCheck()
{
    Row row;
    QSignalSpy spy(&row.group, &KelExclusiveButtonGroup::toggled);
    click(row.button(0));
    QTRY_COMPARE(spy.count(), 1);
    QCOMPARE(row.group.checkedButton(), row.button(0));

    click(row.button(1));
    QCOMPARE(spy.count(), 1);
    QTRY_COMPARE(spy.count(), 2);
    QCOMPARE(toggles(spy).last(), qMakePair(row.button(1), QVariant(QStringLiteral("b"))));
    QVERIFY(!row.button(0)->isChecked());
    QVERIFY(row.button(1)->isChecked());
    QCOMPARE(row.group.checkedData(), QVariant(QStringLiteral("b")));

    // The checked button ignores clicks.
    click(row.button(1));
    QTest::qWait(20);
    QCOMPARE(spy.count(), 2);
    QVERIFY(row.button(1)->isChecked());
}

void tst_KelExclusiveButtonGroup::setCheckedData()
{
    Row row;
    QSignalSpy spy(&row.group, &KelExclusiveButtonGroup::toggled);
    row.group.setCheckedData(QStringLiteral("c"));
    QTRY_COMPARE(toggles(spy), (Toggles{{row.button(2), QStringLiteral("c")}}));

    row.group.setCheckedData(QStringLiteral("unknown"));
    row.group.setCheckedData(QStringLiteral("c"));
    QTest::qWait(20);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(row.group.checkedButton(), row.button(2));

    row.group.setCheckedData(QStringLiteral("a"));
    QTRY_COMPARE(spy.count(), 2);
    QCOMPARE(row.group.checkedButton(), row.button(0));
    QVERIFY(!row.button(2)->isChecked());
}

void tst_KelExclusiveButtonGroup::silentChecks()
{
    Row row;
    QSignalSpy spy(&row.group, &KelExclusiveButtonGroup::toggled);
    QSignalSpy buttonSpy(row.button(1), &KelButton::toggled);

    row.group.setCheckedSilently(QStringLiteral("b"));
    // At once, not from the event loop.
    QCOMPARE(row.group.checkedButton(), row.button(1));
    QVERIFY(!row.group.signalsBlocked());

    row.group.blockSignals(true);
    row.group.setCheckedData(QStringLiteral("c"));
    QCOMPARE(row.group.checkedButton(), row.button(2));
    QVERIFY(!row.button(1)->isChecked());
    row.group.blockSignals(false);

    QTest::qWait(20);
    QCOMPARE(spy.count(), 0);
    QCOMPARE(buttonSpy.count(), 0);
}

void tst_KelExclusiveButtonGroup::destroyedButtonsDropOut()
{
    Row row;
    row.group.setCheckedSilently(QStringLiteral("b"));
    delete row.button(1);
    QCOMPARE(row.group.buttons().size(), 2);
    QCOMPARE(row.group.checkedButton(), nullptr);
    QVERIFY(!row.group.checkedData().isValid());
    QCOMPARE(row.group.buttonByData(QStringLiteral("c")), row.button(1));
}

void tst_KelExclusiveButtonGroup::indicatorFollowsCheckedButton()
{
    Row row;
    QVERIFY(QTest::qWaitForWindowExposed(&row.holder, WaitBound::ms()));
    row.group.setCheckedSilently(QStringLiteral("a"));
    auto *indicator = new KelTabIndicator(&row.holder, &row.group);
    indicator->setColor(Qt::red);
    QCOMPARE(indicator->geometry(), row.holder.rect());
    QVERIFY(indicator->testAttribute(Qt::WA_TransparentForMouseEvents));

    const auto animations = indicator->findChildren<QVariantAnimation *>(QString(),
                                                                         Qt::FindDirectChildrenOnly);
    QCOMPARE(animations.size(), 2);
    QVariantAnimation *left = animations.at(0);
    QVariantAnimation *right = animations.at(1);
    // Placed at once under the first button.
    QCOMPARE(left->state(), QAbstractAnimation::Stopped);
    QCOMPARE(left->currentValue().toInt(), 0);
    QCOMPARE(right->currentValue().toInt(), 40);

    // The bar is drawn at the bottom of the holder under the first button,
    // its lower half clipped away.
    QImage image(indicator->size(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    indicator->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    QCOMPARE(image.pixelColor(20, 28), QColor(Qt::red));
    QCOMPARE(qAlpha(image.pixel(20, 24)), 0);
    QCOMPARE(qAlpha(image.pixel(60, 28)), 0);

    // Moving right: the right edge leads, fast; the left one trails.
    row.group.setCheckedData(QStringLiteral("c"));
    QTRY_COMPARE(right->state(), QAbstractAnimation::Running);
    QCOMPARE(left->endValue().toInt(), 100);
    QCOMPARE(right->endValue().toInt(), 140);
    QCOMPARE(left->duration(), 400);
    QCOMPARE(right->duration(), 150);
    QCOMPARE(left->easingCurve().type(), QEasingCurve::OutCubic);
    QTRY_COMPARE(left->currentValue().toInt(), 100);
    QCOMPARE(right->currentValue().toInt(), 140);

    // Moving left: the left edge leads.
    row.group.setCheckedData(QStringLiteral("b"));
    QTRY_COMPARE(left->state(), QAbstractAnimation::Running);
    QCOMPARE(left->duration(), 150);
    QCOMPARE(right->duration(), 400);
    QCOMPARE(left->startValue().toInt(), 100);
    QTRY_COMPARE(right->currentValue().toInt(), 90);
    QCOMPARE(left->currentValue().toInt(), 50);
}

void tst_KelExclusiveButtonGroup::indicatorFollowsGeometry()
{
    Row row;
    row.group.setCheckedSilently(QStringLiteral("b"));
    auto *indicator = new KelTabIndicator(&row.holder, &row.group, KelTabIndicator::FullHeight);
    const auto animations = indicator->findChildren<QVariantAnimation *>(QString(),
                                                                         Qt::FindDirectChildrenOnly);
    QVariantAnimation *left = animations.at(0);
    QVariantAnimation *right = animations.at(1);
    QCOMPARE(right->currentValue().toInt(), 90);

    // A wider button moves the edges at once.
    row.button(1)->setFixedSize(60, 20);
    QTRY_COMPARE(right->currentValue().toInt(), 110);
    QCOMPARE(left->state(), QAbstractAnimation::Stopped);
    QCOMPARE(right->state(), QAbstractAnimation::Stopped);

    row.holder.resize(300, 40);
    QTRY_COMPARE(indicator->size(), QSize(300, 40));

    // Full height: the bar covers the checked button.
    indicator->setColor(Qt::blue);
    QImage image(indicator->size(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    indicator->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    const QPoint middle = row.button(1)->geometry().center();
    QCOMPARE(image.pixelColor(middle), QColor(Qt::blue));
    QCOMPARE(qAlpha(image.pixel(middle.x(), 35)), 0);
}

int main(int argc, char **argv)
{
    KelApplication app(argc, argv);
    tst_KelExclusiveButtonGroup test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_kelexclusivebuttongroup.moc"

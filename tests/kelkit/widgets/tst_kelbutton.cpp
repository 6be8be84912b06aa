#include "animators/kelwidgetstateanimator.h"
#include "kelapplication.h"
#include "waitbound.h"
#include "widgets/kelbutton.h"
#include "widgets/kelexclusivebuttongroup.h"

#include <QDialog>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QToolTip>
#include <QWindow>
#include <QtTest>

namespace {

// Counts the mouse presses that reach it.
class Parent : public QWidget
{
public:
    int presses = 0;

protected:
    void mousePressEvent(QMouseEvent *event) override
    {
        ++presses;
        event->accept();
    }
    void mouseDoubleClickEvent(QMouseEvent *event) override
    {
        ++presses;
        event->accept();
    }
};

void sendMouse(QWidget *widget, QEvent::Type type, const QPoint &pos, Qt::MouseButton button,
               Qt::MouseButtons buttons)
{
    QMouseEvent event(type, pos, widget->mapToGlobal(pos), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

// What Qt delivers when the cursor enters a widget.
void enter(QWidget *widget)
{
    widget->setAttribute(Qt::WA_UnderMouse, true);
    const QPoint pos = widget->rect().center();
    QEnterEvent event(pos, widget->mapTo(widget->window(), pos), widget->mapToGlobal(pos));
    QApplication::sendEvent(widget, &event);
}

} // namespace

class tst_KelButton : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void clickIsPostedAfterRelease();
    void pressesThatDoNotClick_data();
    void pressesThatDoNotClick();
    void toggledComesBeforeClicked();
    void checkableWithoutClickableWhenChecked();
    void autoExclusiveCheckedIgnoresPresses();
    void dragOutAndBackClicks();
    void releaseOutsideDoesNotClick_data();
    void releaseOutsideDoesNotClick();
    void modalWindowEndsPress();
    void disabledButtonPassesPressToParent();
    void setCheckedPostsToggled();
    void setCheckableOffClearsChecked();
    void groupHearsOfCheckChanges();
    void toggledReceiverMayDeleteTheButton();
    void hoverSignals();
    void toolTipShowsElidedText_data();
    void toolTipShowsElidedText();
    void sizeHintFollowsText();

private:
    std::unique_ptr<Parent> m_window;
    KelButton *m_button = nullptr;
};

void tst_KelButton::init()
{
    m_window = std::make_unique<Parent>();
    m_window->resize(200, 100);
    m_button = new KelButton(-1, m_window.get());
    m_button->setText(QStringLiteral("Press"));
    m_button->setGeometry(10, 10, 80, 30);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get(), WaitBound::ms()));
}

void tst_KelButton::cleanup()
{
    // A failed check must not leave the next test with the button held.
    if (QGuiApplication::mouseButtons() & Qt::LeftButton)
        QTest::mouseRelease(m_window->windowHandle(), Qt::LeftButton);
    m_window.reset();
    // The next fixture starts with the cursor away from its button.
    QCursor::setPos(QPoint(1000, 1000));
}

void tst_KelButton::clickIsPostedAfterRelease()
{
    QSignalSpy clicked(m_button, &KelButton::clicked);
    enter(m_button);
    QVERIFY(m_button->isHovered());
    QTest::mousePress(m_button, Qt::LeftButton);
    QVERIFY(m_button->isPressed());
    QTest::mouseRelease(m_button, Qt::LeftButton);
    QVERIFY(!m_button->isPressed());
    QCOMPARE(clicked.count(), 0);
    QTRY_COMPARE(clicked.count(), 1);
}

void tst_KelButton::pressesThatDoNotClick_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("buttons");
    QTest::newRow("right button") << int(Qt::RightButton) << int(Qt::RightButton);
    QTest::newRow("left with right held")
            << int(Qt::LeftButton) << int(Qt::LeftButton | Qt::RightButton);
}

void tst_KelButton::pressesThatDoNotClick()
{
    QFETCH(int, button);
    QFETCH(int, buttons);
    QSignalSpy clicked(m_button, &KelButton::clicked);
    enter(m_button);
    const QPoint pos = m_button->rect().center();
    sendMouse(m_button, QEvent::MouseButtonPress, pos, Qt::MouseButton(button),
              Qt::MouseButtons(buttons));
    QVERIFY(!m_button->isPressed());
    sendMouse(m_button, QEvent::MouseButtonRelease, pos, Qt::MouseButton(button), Qt::NoButton);
    QTest::qWait(0);
    QCoreApplication::processEvents();
    QCOMPARE(clicked.count(), 0);
}

void tst_KelButton::toggledComesBeforeClicked()
{
    m_button->setCheckable(true);
    m_button->setClickableWhenChecked(true);
    QStringList order;
    connect(m_button, &KelButton::toggled, this,
            [&](bool checked) { order << QStringLiteral("toggled %1").arg(checked); });
    connect(m_button, &KelButton::clicked, this, [&] { order << QStringLiteral("clicked"); });

    enter(m_button);
    QTest::mouseClick(m_button, Qt::LeftButton);
    QVERIFY(m_button->isChecked());
    QVERIFY(order.isEmpty());
    QTRY_COMPARE(order, QStringList({"toggled 1", "clicked"}));
}

void tst_KelButton::checkableWithoutClickableWhenChecked()
{
    m_button->setCheckable(true);
    QSignalSpy clicked(m_button, &KelButton::clicked);
    QSignalSpy toggled(m_button, &KelButton::toggled);
    enter(m_button);
    QTest::mouseClick(m_button, Qt::LeftButton);
    QTRY_COMPARE(toggled.count(), 1);
    QTest::mouseClick(m_button, Qt::LeftButton);
    QTRY_COMPARE(toggled.count(), 2);
    QCOMPARE(toggled.at(1).at(0).toBool(), false);
    QCOMPARE(clicked.count(), 0);
}

void tst_KelButton::autoExclusiveCheckedIgnoresPresses()
{
    m_button->setCheckable(true);
    m_button->setAutoExclusive(true);
    m_button->setChecked(true);
    QSignalSpy clicked(m_button, &KelButton::clicked);
    QSignalSpy toggled(m_button, &KelButton::toggled);
    QTRY_COMPARE(toggled.count(), 1);
    toggled.clear();

    enter(m_button);
    QTest::mousePress(m_button, Qt::LeftButton);
    QVERIFY(!m_button->isPressed());
    QTest::mouseRelease(m_button, Qt::LeftButton);
    QTest::qWait(0);
    QCOMPARE(clicked.count(), 0);
    QCOMPARE(toggled.count(), 0);
    QVERIFY(m_button->isChecked());

    // Clickable when checked: the press counts and clicks, the check stays.
    m_button->setClickableWhenChecked(true);
    QTest::mousePress(m_button, Qt::LeftButton);
    QVERIFY(m_button->isPressed());
    QTest::mouseRelease(m_button, Qt::LeftButton);
    QTRY_COMPARE(clicked.count(), 1);
    QCOMPARE(toggled.count(), 0);
    QVERIFY(m_button->isChecked());
}

// Presses and releases go through the window and moves through the cursor,
// as the platform delivers them: while the button holds the implicit grab
// of a press it gets moves with the button held and no Enter or Leave.
void tst_KelButton::dragOutAndBackClicks()
{
    QSignalSpy clicked(m_button, &KelButton::clicked);
    QWindow *window = m_window->windowHandle();
    const QPoint inside = m_button->geometry().center();
    const QPoint outside(150, 70);
    QTest::mouseMove(m_window.get(), inside);
    QVERIFY(m_button->isHovered());
    QTest::mousePress(window, Qt::LeftButton, {}, inside);
    QVERIFY(m_button->isPressed());

    QTest::mouseMove(m_window.get(), outside);
    QVERIFY(!m_button->isHovered());
    QVERIFY(!m_button->isPressed());

    QTest::mouseMove(m_window.get(), inside + QPoint(5, 0));
    QVERIFY(m_button->isHovered());
    QVERIFY(m_button->isPressed());

    QTest::mouseRelease(window, Qt::LeftButton, {}, inside + QPoint(5, 0));
    QTRY_COMPARE(clicked.count(), 1);
}

void tst_KelButton::releaseOutsideDoesNotClick_data()
{
    QTest::addColumn<bool>("keepPressedOnDrag");
    QTest::newRow("plain") << false;
    // Shown pressed all the way, yet a release outside is no click.
    QTest::newRow("kept pressed on drag") << true;
}

void tst_KelButton::releaseOutsideDoesNotClick()
{
    QFETCH(bool, keepPressedOnDrag);
    m_button->setKeepPressedOnDrag(keepPressedOnDrag);
    QSignalSpy clicked(m_button, &KelButton::clicked);
    QWindow *window = m_window->windowHandle();
    const QPoint inside = m_button->geometry().center();
    const QPoint outside(150, 70);
    QTest::mouseMove(m_window.get(), inside);
    QVERIFY(m_button->isHovered());
    QTest::mousePress(window, Qt::LeftButton, {}, inside);
    QTest::mouseMove(m_window.get(), outside);
    QCOMPARE(m_button->isPressed(), keepPressedOnDrag);
    QTest::mouseRelease(window, Qt::LeftButton, {}, outside);
    QTest::qWait(0);
    QCoreApplication::processEvents();
    QCOMPARE(clicked.count(), 0);
    QVERIFY(!m_button->isPressed());
    QVERIFY(!m_button->isHovered());

    // Back over it, a press and a release in place click.
    QTest::mouseMove(m_window.get(), inside);
    QTest::mouseClick(window, Qt::LeftButton, {}, inside);
    QTRY_COMPARE(clicked.count(), 1);
}

void tst_KelButton::modalWindowEndsPress()
{
    QSignalSpy clicked(m_button, &KelButton::clicked);
    QTest::mouseMove(m_button);
    QVERIFY(m_button->isHovered());
    QTest::mousePress(m_button, Qt::LeftButton);
    QVERIFY(m_button->isPressed());

    // Qt takes the cursor away from the button first, so the release that
    // ends the press does not click.
    {
        QDialog dialog;
        dialog.setWindowModality(Qt::ApplicationModal);
        dialog.show();
        QVERIFY(!m_button->isPressed());
        QTest::mouseRelease(m_button, Qt::LeftButton);
        QTest::qWait(0);
        QCoreApplication::processEvents();
        QCOMPARE(clicked.count(), 0);
    }

    // Blocked while the cursor is still over it: released like a real
    // release, which clicks; no hover is shown until unblocked.
    enter(m_button);
    QTest::mousePress(m_button, Qt::LeftButton);
    QEvent blocked(QEvent::WindowBlocked);
    QApplication::sendEvent(m_button, &blocked);
    QVERIFY(!m_button->isPressed());
    QTRY_COMPARE(clicked.count(), 1);
    QTRY_COMPARE(m_button->stateAnimator()->hoveredProgress(), 0.0);
    QEvent unblocked(QEvent::WindowUnblocked);
    QApplication::sendEvent(m_button, &unblocked);
    QTRY_COMPARE(m_button->stateAnimator()->hoveredProgress(), 1.0);
    QTest::mouseRelease(m_button, Qt::LeftButton);
}

void tst_KelButton::disabledButtonPassesPressToParent()
{
    m_button->setEnabled(false);
    QSignalSpy clicked(m_button, &KelButton::clicked);
    const QPoint pos = m_button->rect().center();
    sendMouse(m_button, QEvent::MouseButtonPress, pos, Qt::LeftButton, Qt::LeftButton);
    QCOMPARE(m_window->presses, 1);
    QVERIFY(!m_button->isPressed());

    // A double click stops at the disabled button.
    sendMouse(m_button, QEvent::MouseButtonDblClick, pos, Qt::LeftButton, Qt::LeftButton);
    QCOMPARE(m_window->presses, 1);
    QTest::qWait(0);
    QCOMPARE(clicked.count(), 0);
}

void tst_KelButton::setCheckedPostsToggled()
{
    QSignalSpy toggled(m_button, &KelButton::toggled);
    m_button->setChecked(true);
    QVERIFY(!m_button->isChecked());

    m_button->setCheckable(true);
    m_button->setChecked(true);
    m_button->setChecked(false);
    QCOMPARE(toggled.count(), 0);
    QTRY_COMPARE(toggled.count(), 2);
    QCOMPARE(toggled.at(0).at(0).toBool(), true);
    QCOMPARE(toggled.at(1).at(0).toBool(), false);

    // Blocked at the call: nothing, even though the block is lifted before
    // the event loop runs.
    m_button->blockSignals(true);
    m_button->setChecked(true);
    m_button->blockSignals(false);
    QTest::qWait(0);
    QCoreApplication::processEvents();
    QCOMPARE(toggled.count(), 2);
    QVERIFY(m_button->isChecked());

    // setCheckedState is silent.
    m_button->setCheckedState(false);
    QTest::qWait(0);
    QCOMPARE(toggled.count(), 2);
    QVERIFY(!m_button->isChecked());
}

void tst_KelButton::setCheckableOffClearsChecked()
{
    m_button->setCheckable(true);
    m_button->setCheckedState(true);
    QVERIFY(m_button->isChecked());
    m_button->setCheckable(false);
    m_button->setCheckable(true);
    QVERIFY(!m_button->isChecked());
}

void tst_KelButton::groupHearsOfCheckChanges()
{
    KelExclusiveButtonGroup group;
    auto *other = new KelButton(-1, m_window.get());
    group.addButton(m_button, 1);
    group.addButton(other, 2);
    QSignalSpy groupToggled(&group, &KelExclusiveButtonGroup::toggled);

    // Told from the event loop, after the button's own toggled().
    m_button->setChecked(true);
    QCOMPARE(groupToggled.count(), 0);
    QTRY_COMPARE(groupToggled.count(), 1);
    QCOMPARE(groupToggled.at(0).at(1).toInt(), 1);

    // Told silently when the button's signals were blocked.
    other->blockSignals(true);
    other->setChecked(true);
    other->blockSignals(false);
    QTRY_VERIFY(!m_button->isChecked());
    QCOMPARE(groupToggled.count(), 1);

    // setCheckedState tells the group at once, silently.
    m_button->setCheckedState(true);
    QVERIFY(!other->isChecked());
    QTest::qWait(0);
    QCOMPARE(groupToggled.count(), 1);
}

void tst_KelButton::toggledReceiverMayDeleteTheButton()
{
    // A combo rebuilds its items, buttons included, from the choice of one.
    KelExclusiveButtonGroup group;
    auto *button = new KelButton(-1, m_window.get());
    button->setCheckable(true);
    group.addButton(button, 1);
    const QPointer<KelButton> guard(button);
    connect(button, &KelButton::toggled, this, [button] { delete button; });
    button->setChecked(true);
    QTRY_VERIFY(!guard);
}

void tst_KelButton::hoverSignals()
{
    QSignalSpy hovered(m_button, &KelButton::hovered);
    QSignalSpy leaved(m_button, &KelButton::leaved);
    QTest::mouseMove(m_button);
    QCOMPARE(hovered.count(), 1);
    QTRY_COMPARE(m_button->stateAnimator()->hoveredProgress(), 1.0);
    QTest::mouseMove(m_window.get(), QPoint(150, 60));
    QCOMPARE(leaved.count(), 1);
    QTRY_COMPARE(m_button->stateAnimator()->hoveredProgress(), 0.0);

    // Hiding a hovered button leaves it.
    enter(m_button);
    QCOMPARE(hovered.count(), 2);
    m_button->hide();
    QCOMPARE(leaved.count(), 2);
    QVERIFY(!m_button->isHovered());
}

void tst_KelButton::toolTipShowsElidedText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("ownToolTip");
    QTest::addColumn<QString>("expected");
    const QString longText = QStringLiteral("A text far too long for a button of eighty pixels");
    QTest::newRow("elided") << longText << QString() << longText;
    QTest::newRow("elided, own tip") << longText << QStringLiteral("own") << QStringLiteral("own");
    QTest::newRow("fits") << QStringLiteral("Ok") << QString() << QString();
}

void tst_KelButton::toolTipShowsElidedText()
{
    QFETCH(QString, text);
    QFETCH(QString, ownToolTip);
    QFETCH(QString, expected);
    QToolTip::hideText();
    m_button->setText(text);
    m_button->setToolTip(ownToolTip);
    m_button->grab();
    QCOMPARE(m_button->isTextElided(), text != QLatin1String("Ok"));

    const QPoint pos = m_button->rect().center();
    QHelpEvent help(QEvent::ToolTip, pos, m_button->mapToGlobal(pos));
    QApplication::sendEvent(m_button, &help);
    if (expected.isEmpty()) {
        QVERIFY(!QToolTip::isVisible());
    } else {
        QTRY_VERIFY(QToolTip::isVisible());
        QCOMPARE(QToolTip::text(), expected);
    }
    QToolTip::hideText();
}

void tst_KelButton::sizeHintFollowsText()
{
    const QSize small = m_button->sizeHint();
    QVERIFY(small.width() > 0);
    m_button->setText(QStringLiteral("Press here, please"));
    QVERIFY(m_button->sizeHint().width() > small.width());
    m_button->setContentsMargins(QMargins(5, 0, 5, 0));
    QCOMPARE(m_button->sizeHint().width(),
             QFontMetrics(m_button->font()).horizontalAdvance(QStringLiteral("Press here, please"))
                     + 10);
}

int main(int argc, char **argv)
{
    KelApplication app(argc, argv);
    tst_KelButton test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_kelbutton.moc"

#include "kelapplication.h"
#include "styles/kelstyle.h"
#include "waitbound.h"
#include "widgets/kelbutton.h"
#include "widgets/kelframe.h"
#include "windows/keldialog.h"
#include "windows/keltitlebar.h"

#include "../offscreenleak.h"
#include "windowinput.h"

#include <QBoxLayout>
#include <QPointer>
#include <QTimer>
#include <QWindow>
#include <QtTest>

#include <functional>

namespace {

const KelWindow::WindowParams Framed = KelWindow::Movable | KelWindow::Resizable
        | KelWindow::WindowButtons | KelWindow::MinimizeButton | KelWindow::MaximizeButton;

// Records the keys that reach the window's own key handling.
class KeyDialog : public KelDialog
{
public:
    using KelDialog::KelDialog;
    QList<int> keys;

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        keys.append(event->key());
        KelDialog::keyPressEvent(event);
    }
};

// Runs action on the event loop once the widget is shown and exposed, as
// the user would act on a dialog that exec() has opened.
void whenExposed(QWidget *widget, std::function<void()> action)
{
    auto *timer = new QTimer;
    QPointer<QWidget> guard(widget);
    QObject::connect(timer, &QTimer::timeout, [timer, guard, action] {
        if (guard && !(guard->isVisible() && guard->windowHandle()
                       && guard->windowHandle()->isExposed())) {
            return;
        }
        timer->deleteLater();
        timer->stop();
        if (guard)
            action();
    });
    timer->start(5);
}

void key(QWidget *window, Qt::Key key)
{
    QTest::sendKeyEvent(QTest::Click, window->windowHandle(), key, QString(), Qt::NoModifier);
}

enum Action { Escape, Return, Enter, CloseButton, ClickButton3 };

} // namespace

Q_DECLARE_METATYPE(Action)

class tst_KelDialog : public QObject
{
    Q_OBJECT

private slots:
    void outcome_data();
    void outcome();
    void buttonsCarryTheirIndex();
    void secondExecGivesZeroAtOnce();
    void deleteOnCloseWaitsForExec();
    void destroyedDuringExecGivesZero();
    void waitsForHiddenOrMinimizedParent_data();
    void waitsForHiddenOrMinimizedParent();
    void minimizing_data();
    void minimizing();
};

void tst_KelDialog::outcome_data()
{
    QTest::addColumn<int>("defaultIndex");
    QTest::addColumn<bool>("defaultEnabled");
    QTest::addColumn<Action>("action");
    // -1: the dialog stays open and the window got the key.
    QTest::addColumn<int>("expected");

    QTest::newRow("Escape without buttons") << 0 << true << Escape << 0;
    QTest::newRow("Escape with a default") << 2 << true << Escape << 0;
    QTest::newRow("Return chooses the default") << 2 << true << Return << 2;
    QTest::newRow("Enter chooses the default") << 3 << true << Enter << 3;
    QTest::newRow("Return without a default") << 0 << true << Return << -1;
    QTest::newRow("Return with the default disabled") << 2 << false << Return << -1;
    QTest::newRow("title bar close") << 2 << true << CloseButton << 0;
    QTest::newRow("a button's click") << 2 << true << ClickButton3 << 3;
}

void tst_KelDialog::outcome()
{
    QFETCH(int, defaultIndex);
    QFETCH(bool, defaultEnabled);
    QFETCH(Action, action);
    QFETCH(int, expected);

    KeyDialog dialog(1, KelWindow::Movable);
    // A button of index 0 is an ordinary button, never the default.
    dialog.addButton(0, new KelButton(KelStyle::WT_Button_Dialog));
    for (int index = 2; index <= 3; ++index)
        dialog.addButton(index, new KelButton(KelStyle::WT_Button_Dialog), index == defaultIndex);
    if (QWidget *button = dialog.defaultButton())
        button->setEnabled(defaultEnabled);
    dialog.resize(300, 150);

    bool stayedOpen = false;
    whenExposed(&dialog, [&] {
        switch (action) {
        case Escape:
            key(&dialog, Qt::Key_Escape);
            break;
        case Return:
            key(&dialog, Qt::Key_Return);
            break;
        case Enter:
            key(&dialog, Qt::Key_Enter);
            break;
        case CloseButton:
            WindowInput::click(dialog.titleBar()->button(KelTitleBar::CloseButton));
            break;
        case ClickButton3:
            WindowInput::click(dialog.button(3));
            break;
        }
        if (expected >= 0)
            return;
        // The key has been handled; the dialog must still be there.
        QTimer::singleShot(0, &dialog, [&] {
            stayedOpen = dialog.isVisible();
            dialog.done(7);
        });
    });
    const int result = dialog.exec();

    if (expected >= 0) {
        QCOMPARE(result, expected);
        QCOMPARE(dialog.result(), expected);
    } else {
        QVERIFY(stayedOpen);
        QCOMPARE(result, 7);
        QCOMPARE(dialog.keys, QList<int>{Qt::Key_Return});
    }
    QVERIFY(dialog.isHidden());
}

void tst_KelDialog::buttonsCarryTheirIndex()
{
    KelDialog dialog(1, KelWindow::Movable);
    auto *first = new KelButton(KelStyle::WT_Button_Dialog);
    auto *replacement = new KelButton(KelStyle::WT_Button_Dialog_Accent);
    auto *front = new KelButton(KelStyle::WT_Button_Dialog);
    QCOMPARE(dialog.addButton(1, first, true), first);
    QCOMPARE(dialog.addButton(1, replacement), replacement);
    QCOMPARE(dialog.addButton(2, front, true, true), front);
    QCOMPARE(replacement->property("KELPROP_ButtonIndex").toInt(), 1);
    QCOMPARE(front->property("KELPROP_ButtonIndex").toInt(), 2);
    QCOMPARE(dialog.button(1), replacement);
    // The first default one stays the default.
    QCOMPARE(dialog.defaultButton(), replacement);
    QCOMPARE(dialog.footerLayout()->indexOf(front), 0);
    QCOMPARE(dialog.contentWidget()->objectName(), QStringLiteral("KelDialogContent"));
    QCOMPARE(dialog.footerWidget()->objectName(), QStringLiteral("KelFooter"));
    QCOMPARE(dialog.windowModality(), Qt::WindowModal);
}

void tst_KelDialog::secondExecGivesZeroAtOnce()
{
    KelDialog dialog(1, KelWindow::Movable);
    dialog.addButton(2, new KelButton(KelStyle::WT_Button_Dialog_Accent), true);
    int second = -1;
    whenExposed(&dialog, [&] {
        second = dialog.exec();
        dialog.done(2);
    });
    QCOMPARE(dialog.exec(), 2);
    QCOMPARE(second, 0);
}

void tst_KelDialog::deleteOnCloseWaitsForExec()
{
    auto *dialog = new KelDialog(KelStyle::WT_Dialog, KelWindow::Movable);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    QPointer<KelDialog> guard(dialog);
    bool aliveAfterClose = false;
    whenExposed(dialog, [&] {
        guard->done(5);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        aliveAfterClose = guard;
    });
    QCOMPARE(dialog->exec(), 5);
    QVERIFY(aliveAfterClose);
    QVERIFY(!guard);
}

void tst_KelDialog::destroyedDuringExecGivesZero()
{
    auto *dialog = new KelDialog(KelStyle::WT_Dialog, KelWindow::Movable);
    dialog->addButton(1, new KelButton(KelStyle::WT_Button_Dialog_Accent), true);
    whenExposed(dialog, [dialog] {
        dialog->done(1);
        delete dialog;
    });
    QCOMPARE(dialog->exec(), 0);
}

void tst_KelDialog::waitsForHiddenOrMinimizedParent_data()
{
    QTest::addColumn<bool>("minimized");
    QTest::newRow("hidden parent") << false;
    QTest::newRow("minimized parent") << true;
}

void tst_KelDialog::waitsForHiddenOrMinimizedParent()
{
    QFETCH(bool, minimized);

    KelWindow parent(Framed);
    parent.setGeometry(300, 200, 600, 400);
    if (minimized) {
        parent.show();
        QVERIFY(QTest::qWaitForWindowExposed(&parent, WaitBound::ms()));
        parent.showMinimized();
        QTRY_VERIFY(parent.isMinimized());
    }
    KelDialog dialog(1, KelWindow::Movable, &parent);
    dialog.resize(240, 120);

    bool hiddenMeanwhile = false;
    QPoint centre;
    // The dialog is asked for at the cursor, yet comes centred on the
    // parent once that shows.
    QTimer::singleShot(0, &parent, [&] {
        hiddenMeanwhile = dialog.isHidden();
        whenExposed(&dialog, [&] {
            centre = dialog.geometry().center();
            dialog.done(1);
        });
        if (minimized)
            parent.showNormal();
        else
            parent.show();
    });
    QCOMPARE(dialog.exec(KelWindow::CursorPos), 1);
    QVERIFY(hiddenMeanwhile);
    QCOMPARE(centre, parent.geometry().center());
}

void tst_KelDialog::minimizing_data()
{
    QTest::addColumn<KelWindow::WindowParams>("params");
    QTest::addColumn<int>("expected");
    QTest::newRow("with a minimize button exec goes on")
            << KelWindow::WindowParams(KelWindow::MinimizeButton) << 4;
    QTest::newRow("without one it ends") << KelWindow::WindowParams() << 0;
}

void tst_KelDialog::minimizing()
{
    QFETCH(KelWindow::WindowParams, params);
    QFETCH(int, expected);

    KelDialog dialog(1, params);
    whenExposed(&dialog, [&] {
        dialog.showMinimized();
        // Only a loop still running can end with a later result.
        if (expected != 0) {
            QTimer::singleShot(0, &dialog, [&] {
                dialog.showNormal();
                dialog.done(expected);
            });
        }
    });
    QCOMPARE(dialog.exec(), expected);
}

int main(int argc, char **argv)
{
    KelApplication app(argc, argv);
    tst_KelDialog test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_keldialog.moc"

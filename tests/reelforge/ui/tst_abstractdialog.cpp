#include "kelapplication.h"
#include "kelui.h"
#include "ui/abstractdialog.h"
#include "ui/style.h"
#include "ui/widgets/badgedbutton.h"
#include "widgets/kelbutton.h"

#include "windowinput.h"

#include <QBoxLayout>
#include <QPointer>
#include <QTimer>
#include <QWindow>
#include <QtTest>

#include <functional>

namespace {

// Counts the questions the base asks and answers them as told.
class CountingDialog : public AbstractDialog
{
public:
    CountingDialog() : AbstractDialog(1, KelWindow::Movable) { }

    bool onReject() override
    {
        ++rejects;
        return rejectAnswer;
    }
    bool onAccept() override
    {
        ++accepts;
        return acceptAnswer;
    }

    bool rejectAnswer = true;
    bool acceptAnswer = true;
    int rejects = 0;
    int accepts = 0;
};

enum Step { Done0, Done1, Done2, PressReject, PressAccept, PressClose, Escape };

void perform(AbstractDialog *dialog, Step step)
{
    switch (step) {
    case Done0:
        dialog->done(0);
        break;
    case Done1:
        dialog->done(1);
        break;
    case Done2:
        dialog->done(2);
        break;
    case PressReject:
        WindowInput::click(dialog->rejectButton());
        break;
    case PressAccept:
        WindowInput::click(dialog->acceptButton());
        break;
    case PressClose:
        WindowInput::click(dialog->findChild<KelButton *>(QStringLiteral("KelCloseButton")));
        break;
    case Escape:
        QTest::keyClick(dialog->windowHandle(), Qt::Key_Escape);
        break;
    }
}

// Runs action once the dialog is on screen.
void whenExposed(QWidget *dialog, std::function<void()> action)
{
    auto *timer = new QTimer(dialog);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, dialog, action] {
        if (!dialog->isVisible() || !dialog->windowHandle() || !dialog->windowHandle()->isExposed())
            return;
        timer->stop();
        timer->deleteLater();
        action();
    });
    timer->start(5);
}

} // namespace

Q_DECLARE_METATYPE(QList<Step>)

class tst_AbstractDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void footerButtons();
    void roadsToClose_data();
    void roadsToClose();
    void plainDialogClosesOnEveryRoad();
};

void tst_AbstractDialog::initTestCase()
{
    Style::registerThemes(kelUi());
}

void tst_AbstractDialog::footerButtons()
{
    CountingDialog dialog;
    KelButton *reject = dialog.rejectButton();
    KelButton *accept = dialog.acceptButton();
    QVERIFY(reject && accept);
    QCOMPARE(reject->styleId(), KelStyle::WT_Button_Dialog);
    QCOMPARE(accept->styleId(), KelStyle::WT_Button_Dialog_Accent);
    QCOMPARE(dialog.button(0), reject);
    QCOMPARE(dialog.button(1), accept);
    QCOMPARE(reject->property("KELPROP_ButtonIndex").toInt(), 0);
    QCOMPARE(accept->property("KELPROP_ButtonIndex").toInt(), 1);
    // Reject first, at the footer's end.
    QBoxLayout *footer = dialog.footerLayout();
    QVERIFY(footer);
    const int rejectAt = footer->indexOf(reject);
    QVERIFY(rejectAt >= 0);
    QCOMPARE(footer->indexOf(accept), rejectAt + 1);
    QCOMPARE(footer->indexOf(accept), footer->count() - 1);
}

void tst_AbstractDialog::roadsToClose_data()
{
    QTest::addColumn<QList<Step>>("steps");
    QTest::addColumn<bool>("rejectAnswer");
    QTest::addColumn<bool>("acceptAnswer");
    QTest::addColumn<int>("rejects");
    QTest::addColumn<int>("accepts");
    QTest::addColumn<int>("result"); // -1: still open

    QTest::newRow("done(0)") << QList<Step>{Done0} << true << true << 1 << 0 << 0;
    QTest::newRow("done(0) refused") << QList<Step>{Done0} << false << true << 1 << 0 << -1;
    QTest::newRow("done(1)") << QList<Step>{Done1} << true << true << 0 << 1 << 1;
    QTest::newRow("done(1) refused, then cancel")
            << QList<Step>{Done1, PressReject} << true << false << 1 << 1 << 0;
    QTest::newRow("done(2)") << QList<Step>{Done2} << false << false << 0 << 0 << 2;
    QTest::newRow("reject button") << QList<Step>{PressReject} << true << true << 1 << 0 << 0;
    QTest::newRow("accept button") << QList<Step>{PressAccept} << true << true << 0 << 1 << 1;
    QTest::newRow("window close button") << QList<Step>{PressClose} << true << true << 1 << 0 << 0;
    QTest::newRow("window close button refused")
            << QList<Step>{PressClose} << false << true << 1 << 0 << -1;
    QTest::newRow("Escape") << QList<Step>{Escape} << true << true << 1 << 0 << 0;
}

void tst_AbstractDialog::roadsToClose()
{
    QFETCH(QList<Step>, steps);
    QFETCH(bool, rejectAnswer);
    QFETCH(bool, acceptAnswer);
    QFETCH(int, rejects);
    QFETCH(int, accepts);
    QFETCH(int, result);

    CountingDialog dialog;
    dialog.rejectAnswer = rejectAnswer;
    dialog.acceptAnswer = acceptAnswer;
    bool openAfterSteps = false;
    int rejectsAfterSteps = 0;
    int acceptsAfterSteps = 0;
    whenExposed(&dialog, [&] {
        for (Step step : steps)
            perform(&dialog, step);
        openAfterSteps = dialog.isVisible();
        rejectsAfterSteps = dialog.rejects;
        acceptsAfterSteps = dialog.accepts;
        // A dialog that stayed open ends without asking.
        if (openAfterSteps)
            dialog.done(2);
    });
    const int returned = dialog.exec();

    QCOMPARE(rejectsAfterSteps, rejects);
    QCOMPARE(acceptsAfterSteps, accepts);
    QCOMPARE(openAfterSteps, result < 0);
    if (result >= 0)
        QCOMPARE(returned, result);
    // The close that ends the dialog asks nothing more.
    QCOMPARE(dialog.rejects, rejects);
    QCOMPARE(dialog.accepts, accepts);
}

void tst_AbstractDialog::plainDialogClosesOnEveryRoad()
{
    for (Step step : {Done0, Done1, PressReject, PressAccept, PressClose, Escape}) {
        AbstractDialog dialog(1, KelWindow::Movable);
        dialog.loadData();
        bool closed = false;
        whenExposed(&dialog, [&] {
            perform(&dialog, step);
            closed = dialog.isHidden();
            if (!closed)
                dialog.done(2);
        });
        dialog.exec();
        QVERIFY2(closed, qPrintable(QStringLiteral("step %1").arg(int(step))));
    }
}

int main(int argc, char **argv)
{
    KelApplication app(argc, argv);
    tst_AbstractDialog test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_abstractdialog.moc"

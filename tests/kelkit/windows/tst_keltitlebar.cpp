#include "kelapplication.h"
#include "waitbound.h"
#include "widgets/kelbutton.h"
#include "widgets/kellabel.h"
#include "windows/keltitlebar.h"
#include "windows/kelwindow.h"

#include "../offscreenleak.h"
#include "windowinput.h"

#include <QHBoxLayout>
#include <QSignalSpy>
#include <QtTest>

namespace {

const KelWindow::WindowParams AllButtons = KelWindow::Movable | KelWindow::Resizable
        | KelWindow::WindowButtons | KelWindow::MinimizeButton | KelWindow::MaximizeButton;

KelButton *restoreButton(KelWindow *window)
{
    return window->titleBar()->findChild<KelButton *>(QStringLiteral("KelRestoreButton"));
}

void click(KelButton *button)
{
    QSignalSpy clicked(button, &KelButton::clicked);
    WindowInput::click(button);
    QVERIFY(clicked.count() == 1 || clicked.wait(WaitBound::ms()));
}

} // namespace

class tst_KelTitleBar : public QObject
{
    Q_OBJECT

private slots:
    void buttonsFollowTheParams_data();
    void buttonsFollowTheParams();
    void maximizedShowsRestore();
    void titleStaysCentredBesideWideWidgets();
    void minimizingModalWindowMinimizesItsOwner();
};

void tst_KelTitleBar::buttonsFollowTheParams_data()
{
    QTest::addColumn<int>("params");
    QTest::addColumn<bool>("minimize");
    QTest::addColumn<bool>("maximize");

    QTest::newRow("close only") << int(KelWindow::WindowButtons) << false << false;
    QTest::newRow("all") << int(AllButtons) << true << true;
    QTest::newRow("button bits need WindowButtons")
            << int(KelWindow::MinimizeButton | KelWindow::MaximizeButton) << false << false;
}

void tst_KelTitleBar::buttonsFollowTheParams()
{
    QFETCH(int, params);
    QFETCH(bool, minimize);
    QFETCH(bool, maximize);
    KelWindow window{KelWindow::WindowParams(params)};
    if (!(params & KelWindow::WindowButtons)) {
        QVERIFY(!window.titleBar());
        QVERIFY(!(window.windowFlags() & Qt::WindowMinimizeButtonHint));
        return;
    }
    KelTitleBar *bar = window.titleBar();
    QVERIFY(!bar->button(KelTitleBar::CloseButton)->isHidden());
    QCOMPARE(!bar->button(KelTitleBar::MinimizeButton)->isHidden(), minimize);
    QCOMPARE(!bar->button(KelTitleBar::MaximizeButton)->isHidden(), maximize);
    QVERIFY(restoreButton(&window)->isHidden());
}

void tst_KelTitleBar::maximizedShowsRestore()
{
    KelWindow window(AllButtons);
    window.resize(400, 300);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window, WaitBound::ms()));
    KelButton *maximize = window.titleBar()->button(KelTitleBar::MaximizeButton);

    click(maximize);
    QTRY_VERIFY(window.isMaximized());
    QVERIFY(maximize->isHidden());
    QVERIFY(!restoreButton(&window)->isHidden());

    click(restoreButton(&window));
    QTRY_VERIFY(!window.isMaximized());
    QVERIFY(!maximize->isHidden());
    QVERIFY(restoreButton(&window)->isHidden());
}

void tst_KelTitleBar::titleStaysCentredBesideWideWidgets()
{
    KelWindow window(AllButtons);
    window.resize(700, 300);
    window.setTitle(QStringLiteral("Title"));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window, WaitBound::ms()));
    KelTitleBar *bar = window.titleBar();
    KelLabel *title = bar->titleLabel();
    auto centreOffset = [&] { return title->geometry().center().x() - bar->rect().center().x(); };
    QTRY_VERIFY(qAbs(centreOffset()) <= 1);

    auto *wide = new QWidget;
    wide->setFixedSize(180, 20);
    bar->rightWidgetsLayout()->addWidget(wide);
    QTRY_COMPARE(wide->width(), 180);
    QTRY_VERIFY(qAbs(centreOffset()) <= 1);

    auto *left = new QWidget;
    left->setFixedSize(300, 20);
    bar->leftWidgetsLayout()->addWidget(left);
    QTRY_COMPARE(left->width(), 300);
    QTRY_VERIFY(qAbs(centreOffset()) <= 1);
}

void tst_KelTitleBar::minimizingModalWindowMinimizesItsOwner()
{
    KelWindow owner(AllButtons);
    owner.show();
    QVERIFY(QTest::qWaitForWindowExposed(&owner, WaitBound::ms()));
    auto *dialog = new KelWindow(AllButtons, &owner);
    auto *nested = new KelWindow(AllButtons, dialog);
    nested->setWindowModality(Qt::ApplicationModal);
    nested->show();
    QVERIFY(QTest::qWaitForWindowExposed(nested, WaitBound::ms()));

    click(nested->titleBar()->button(KelTitleBar::MinimizeButton));

    QTRY_VERIFY(owner.isMinimized());
    QVERIFY(!nested->isMinimized());
    nested->close();

    // A window that is not modal goes down alone.
    owner.showNormal();
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog, WaitBound::ms()));
    click(dialog->titleBar()->button(KelTitleBar::MinimizeButton));
    QTRY_VERIFY(dialog->isMinimized());
    QVERIFY(!owner.isMinimized());
}

int main(int argc, char **argv)
{
    KelApplication app(argc, argv);
    tst_KelTitleBar test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_keltitlebar.moc"

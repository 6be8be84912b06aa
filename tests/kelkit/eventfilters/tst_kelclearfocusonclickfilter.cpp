#include "eventfilters/kelclearfocusonclickfilter.h"
#include "eventfilters/kelglobalmousewatcher.h"
#include "kelapplication.h"
#include "kelui.h"
#include "styles/kelstyle.h"
#include "waitbound.h"
#include "widgets/kellineedit.h"
#include "windows/keltitlebar.h"
#include "windows/kelwindow.h"

#include "../offscreenleak.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QWindow>
#include <QtTest>

#include <memory>

namespace {

enum Target { InsideEdit, SameWindow, OtherWindow, OtherTitleBar };

// A window with a field that its activation gives the focus to when it
// has none, the line edit and a spot that takes no focus, and a framework
// window with its title bar.
struct Fixture
{
    Fixture()
    {
        main.setGeometry(40, 50, 320, 120);
        first = new QLineEdit(&main);
        first->setGeometry(170, 60, 100, 30);
        edit = new KelLineEdit(KelStyle::WT_LineEdit, &main);
        edit->setGeometry(10, 10, 150, 30);
        edit->setClearFocusOnClickOutside(true);
        spot = new QWidget(&main);
        spot->setGeometry(10, 60, 150, 40);
        other = std::make_unique<KelWindow>(KelWindow::Movable | KelWindow::WindowButtons);
        other->setGeometry(420, 50, 300, 200);
    }

    QWidget main;
    QLineEdit *first = nullptr;
    KelLineEdit *edit = nullptr;
    QWidget *spot = nullptr;
    std::unique_ptr<KelWindow> other;
};

KelClearFocusOnClickFilter *filterOf(QWidget *widget)
{
    return widget->findChild<KelClearFocusOnClickFilter *>();
}

void pressAt(QWidget *widget, const QPoint &local)
{
    QWidget *window = widget->window();
    const QPoint inWindow = widget->mapTo(window, local);
    QTest::mousePress(window->windowHandle(), Qt::LeftButton, {}, inWindow);
    QTest::mouseRelease(window->windowHandle(), Qt::LeftButton, {}, inWindow);
}

} // namespace

class tst_KelClearFocusOnClickFilter : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void pressDecidesTheFocus_data();
    void pressDecidesTheFocus();
    void watcherLivesWhileTheFocusIsHeld();
    void pressInAPopupKeepsTheFocus();
    void disablingRemovesTheFilter();
};

void tst_KelClearFocusOnClickFilter::initTestCase()
{
    QVERIFY(kelUi());
}

void tst_KelClearFocusOnClickFilter::pressDecidesTheFocus_data()
{
    QTest::addColumn<int>("target");
    // The window manager of X11 activates a clicked window before the
    // press arrives.
    QTest::addColumn<bool>("activatedFirst");
    QTest::addColumn<bool>("cleared");

    QTest::newRow("inside the line edit, near its far corner") << int(InsideEdit) << false << false;
    QTest::newRow("outside, same window") << int(SameWindow) << false << true;
    QTest::newRow("another window") << int(OtherWindow) << false << true;
    QTest::newRow("another window's title bar") << int(OtherTitleBar) << false << true;
    QTest::newRow("another window's title bar, activated first")
            << int(OtherTitleBar) << true << true;
}

void tst_KelClearFocusOnClickFilter::pressDecidesTheFocus()
{
    QFETCH(int, target);
    QFETCH(bool, activatedFirst);
    QFETCH(bool, cleared);

    Fixture f;
    f.main.show();
    f.other->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.other.get(), WaitBound::ms()));
    f.main.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f.main, WaitBound::ms()));
    if (qEnvironmentVariableIntValue("QT_SCALE_FACTOR") == 2)
        QCOMPARE(f.main.windowHandle()->devicePixelRatio(), 2.0);
    f.edit->setFocus();
    QVERIFY(f.edit->hasFocus());
    QSignalSpy lost(f.edit, &KelLineEdit::focusLost);

    if (activatedFirst) {
        f.other->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.other.get(), WaitBound::ms()));
        QCOMPARE(f.main.focusWidget(), f.edit);
    }
    switch (Target(target)) {
    case InsideEdit:
        pressAt(f.edit, QPoint(f.edit->width() - 3, f.edit->height() - 3));
        break;
    case SameWindow:
        pressAt(f.spot, QPoint(5, 5));
        break;
    case OtherWindow:
        pressAt(f.other->centralWidget(), QPoint(20, 20));
        break;
    case OtherTitleBar:
        pressAt(f.other->titleBar(), QPoint(30, f.other->titleBar()->height() / 2));
        break;
    }

    if (!activatedFirst) {
        QCOMPARE(f.edit->hasFocus(), !cleared);
        QCOMPARE(lost.count(), cleared ? 1 : 0);
    }
    // Back in its window, the line edit gets the focus again only when it
    // kept it; else the window's first field does.
    f.main.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f.main, WaitBound::ms()));
    QCOMPARE(f.edit->hasFocus(), !cleared);
    QCOMPARE(f.main.focusWidget() == f.edit, !cleared);
}

void tst_KelClearFocusOnClickFilter::watcherLivesWhileTheFocusIsHeld()
{
    Fixture f;
    f.main.show();
    f.other->show();
    f.main.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f.main, WaitBound::ms()));
    KelClearFocusOnClickFilter *filter = filterOf(f.edit);
    QVERIFY(filter);
    QVERIFY(!filter->watcher());

    f.edit->setFocus();
    QPointer<KelGlobalMouseWatcher> watcher = filter->watcher();
    QVERIFY(watcher);

    // Another window taking the activation leaves the focus with the line
    // edit in its window, and the watcher with it.
    f.other->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f.other.get(), WaitBound::ms()));
    f.main.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f.main, WaitBound::ms()));
    QCOMPARE(filter->watcher(), watcher.data());

    f.first->setFocus();
    QVERIFY(!filter->watcher());
    QTRY_VERIFY(!watcher);
}

void tst_KelClearFocusOnClickFilter::pressInAPopupKeepsTheFocus()
{
    Fixture f;
    f.main.show();
    f.main.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f.main, WaitBound::ms()));
    f.edit->setFocus();

    // A menu opened from the line edit borrows the focus and gives it back.
    QWidget popup(&f.main, Qt::Popup);
    popup.setGeometry(f.edit->mapToGlobal(QPoint(0, f.edit->height())).x(),
                      f.edit->mapToGlobal(QPoint(0, f.edit->height())).y(), 120, 80);
    popup.show();
    QVERIFY(QTest::qWaitForWindowExposed(&popup, WaitBound::ms()));
    pressAt(&popup, QPoint(20, 20));
    popup.close();
    QTRY_VERIFY(f.edit->hasFocus());
    QVERIFY(filterOf(f.edit)->watcher());
}

void tst_KelClearFocusOnClickFilter::disablingRemovesTheFilter()
{
    Fixture f;
    QPointer<KelClearFocusOnClickFilter> filter = filterOf(f.edit);
    QVERIFY(filter);
    f.edit->setClearFocusOnClickOutside(true);
    QCOMPARE(filterOf(f.edit), filter.data());
    f.edit->setClearFocusOnClickOutside(false);
    QVERIFY(!filter);

    // Enabled while it has the focus, it watches at once.
    f.main.show();
    f.main.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f.main, WaitBound::ms()));
    f.edit->setFocus();
    f.edit->setClearFocusOnClickOutside(true);
    QVERIFY(filterOf(f.edit)->watcher());
    pressAt(f.spot, QPoint(5, 5));
    QVERIFY(!f.edit->hasFocus());
}

int main(int argc, char **argv)
{
    KelApplication app(argc, argv);
    tst_KelClearFocusOnClickFilter test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_kelclearfocusonclickfilter.moc"

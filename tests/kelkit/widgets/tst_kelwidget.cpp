#include "waitbound.h"
#include "widgets/kelwidget.h"

#include <QSignalSpy>
#include <QtTest>

class tst_KelWidget : public QObject
{
    Q_OBJECT

private slots:
    void visibilitySignals();
    void geometrySignals();
    void enabledAndFocusSignals();
    void windowFlags();
};

void tst_KelWidget::visibilitySignals()
{
    QWidget window;
    KelWidget child(&window);
    QSignalSpy showed(&child, &KelWidget::showed);
    QSignalSpy hided(&child, &KelWidget::hided);
    QSignalSpy visibility(&child, &KelWidget::visibilityChanged);
    QSignalSpy showedToParent(&child, &KelWidget::showedToParent);
    QSignalSpy hidedToParent(&child, &KelWidget::hidedToParent);
    QSignalSpy toParent(&child, &KelWidget::visibilityToParentChanged);

    window.show();
    QCOMPARE(showed.count(), 1);
    QCOMPARE(visibility.takeFirst().at(0).toBool(), true);
    toParent.clear();
    showedToParent.clear();

    // Hiding the window hides the child on screen but not towards its parent.
    window.hide();
    QCOMPARE(hided.count(), 1);
    QCOMPARE(visibility.takeFirst().at(0).toBool(), false);
    QCOMPARE(toParent.count(), 0);

    window.show();
    child.hide();
    QCOMPARE(hidedToParent.count(), 1);
    QCOMPARE(toParent.takeLast().at(0).toBool(), false);
    QCOMPARE(hided.count(), 2);
    child.show();
    QCOMPARE(showedToParent.count(), 1);
    QCOMPARE(toParent.takeLast().at(0).toBool(), true);
    QCOMPARE(showed.count(), 3);
}

void tst_KelWidget::geometrySignals()
{
    KelWidget widget;
    widget.setGeometry(10, 20, 100, 50);
    widget.show();
    QSignalSpy moved(&widget, &KelWidget::moved);
    QSignalSpy resized(&widget, &KelWidget::resized);
    QSignalSpy geometry(&widget, &KelWidget::geometryChanged);

    widget.resize(120, 60);
    QCOMPARE(resized.count(), 1);
    QCOMPARE(resized.at(0).at(0).toSize(), QSize(120, 60));
    QCOMPARE(geometry.takeLast().at(0).toRect().size(), QSize(120, 60));

    widget.move(30, 40);
    QCOMPARE(moved.count(), 1);
    QCOMPARE(moved.at(0).at(0).toPoint(), widget.pos());
    QCOMPARE(geometry.takeLast().at(0).toRect(), widget.geometry());
}

void tst_KelWidget::enabledAndFocusSignals()
{
    QWidget window;
    KelWidget child(&window);
    child.setFocusPolicy(Qt::StrongFocus);
    qRegisterMetaType<Qt::FocusReason>();
    QSignalSpy enabled(&child, &KelWidget::enabledChanged);
    QSignalSpy focused(&child, &KelWidget::focused);
    QSignalSpy focusLost(&child, &KelWidget::focusLost);

    window.setEnabled(false);
    window.setEnabled(true);
    QCOMPARE(enabled.count(), 2);
    QCOMPARE(enabled.at(0).at(0).toBool(), false);
    QCOMPARE(enabled.at(1).at(0).toBool(), true);

    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window, WaitBound::ms()));
    // The only focusable child may take the focus on activation already.
    child.clearFocus();
    focused.clear();
    focusLost.clear();
    child.setFocus(Qt::TabFocusReason);
    QCOMPARE(focused.count(), 1);
    QCOMPARE(focused.at(0).at(0).value<Qt::FocusReason>(), Qt::TabFocusReason);
    child.clearFocus();
    QCOMPARE(focusLost.count(), 1);
}

void tst_KelWidget::windowFlags()
{
    KelWidget popup(nullptr, Qt::Tool | Qt::FramelessWindowHint);
    QVERIFY(popup.windowFlags().testFlag(Qt::FramelessWindowHint));
    QCOMPARE(popup.windowType(), Qt::Tool);
}

QTEST_MAIN(tst_KelWidget)

#include "tst_kelwidget.moc"

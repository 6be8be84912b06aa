#include "kelapplication.h"
#include "ui/metroprogressbar.h"
#include "ui/splash.h"
#include "waitbound.h"
#include "windows/kelsplash.h"

#include <QLayout>
#include <QPointer>
#include <QtTest>

class tst_Splash : public QObject
{
    Q_OBJECT

private slots:
    void busyDotsRunAlongTheBottom();
};

void tst_Splash::busyDotsRunAlongTheBottom()
{
    QPointer<KelSplash> splash = Splash::showSplash(2000, true);
    QVERIFY(splash);
    QVERIFY(!splash->pixmap().isNull());

    auto *bar = splash->findChild<MetroProgressBar *>();
    QVERIFY(bar);
    QCOMPARE(bar->color(), QColor(Qt::white));
    QCOMPARE(bar->state(), KelProgressBar::Indeterminate);
    QCOMPARE(bar->minimum(), bar->maximum());
    QCOMPARE(bar->minimumHeight(), 9);
    QCOMPARE(bar->maximumHeight(), 9);
    QVERIFY(splash->layout());
    QCOMPARE(splash->layout()->contentsMargins(), QMargins(80, 0, 80, 22));

    QVERIFY(QTest::qWaitForWindowExposed(splash, WaitBound::ms()));
    const QRect expected(80, splash->height() - 22 - 9, splash->width() - 160, 9);
    QTRY_COMPARE(bar->geometry(), expected);
    QTRY_VERIFY(bar->isAnimating());

    splash->close();
    QTRY_VERIFY(splash.isNull());
}

int main(int argc, char **argv)
{
    KelApplication app(argc, argv);
    tst_Splash test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_splash.moc"

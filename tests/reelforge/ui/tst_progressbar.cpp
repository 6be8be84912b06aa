#include "kelapplication.h"
#include "kelui.h"
#include "styles/kelstyle.h"
#include "styles/kelstylemanager.h"
#include "ui/metroprogressbar.h"
#include "ui/progressbar.h"
#include "ui/style.h"
#include "waitbound.h"
#include "widgets/keliconlabel.h"

#include "contexttranslator.h"
#include "paintprobe.h"

#include <QPainter>
#include <QTime>
#include <QtTest>

#include <functional>

namespace {

QString inContext(const char *text)
{
    return ContextTranslator::inContext("ProgressBar", text);
}

// Paints the bar as the screen would show it.
QImage paintedBar(ProgressBar *bar)
{
    QImage image = PaintProbe::canvas(bar->size());
    bar->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

} // namespace

class tst_ProgressBar : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void percentText_data();
    void percentText();
    void statusPrecedence_data();
    void statusPrecedence();
    void counter_data();
    void counter();
    void filledPartColour_data();
    void filledPartColour();

    void metroDotsLeaveBetweenRuns_data();
    void metroDotsLeaveBetweenRuns();
    void metroTimerRunsOnlyWhileBusyAndVisible();

private:
    ContextTranslator m_translator;
};

void tst_ProgressBar::initTestCase()
{
    Style::registerThemes(kelUi());
    QVERIFY(KelStyleManager::instance()->setCurrentStyle(QStringLiteral("LightStyle")));
    QCoreApplication::installTranslator(&m_translator);
}

void tst_ProgressBar::cleanupTestCase()
{
    QCoreApplication::removeTranslator(&m_translator);
}

void tst_ProgressBar::percentText_data()
{
    QTest::addColumn<int>("perMille");
    QTest::addColumn<QString>("text");
    QTest::newRow("full") << 1000 << "100%";
    QTest::newRow("almost full rounds down") << 999 << "99%";
    QTest::newRow("a sliver") << 5 << "0%";
}

void tst_ProgressBar::percentText()
{
    QFETCH(int, perMille);
    QFETCH(QString, text);
    ProgressBar bar;
    QCOMPARE(bar.percentLabel()->text(), QString());
    bar.setProgress(perMille);
    QCOMPARE(bar.percentLabel()->text(), text);
    QCOMPARE(bar.value(), perMille);
    QVERIFY(bar.isEnabled());
    // Importing again clears it.
    bar.setImporting();
    QCOMPARE(bar.percentLabel()->text(), QString());
}

using Steps = std::function<void(ProgressBar &)>;
Q_DECLARE_METATYPE(Steps)

void tst_ProgressBar::statusPrecedence_data()
{
    QTest::addColumn<Steps>("steps");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("detail");

    const QString paused = inContext("Paused");
    const QString importing = inContext("Importing...");
    const QString scheduled = inContext("Scheduled");
    const QString calculating = inContext("Calculating...");
    const QString remaining = inContext("Remaining:");
    const QTime time(0, 1, 20);

    QTest::newRow("new bar") << Steps([](ProgressBar &) {}) << importing << QString();
    QTest::newRow("scheduled") << Steps([](ProgressBar &b) { b.setScheduled(); }) << scheduled
                               << QString();
    QTest::newRow("converting, time unknown")
            << Steps([](ProgressBar &b) { b.setProgress(10); }) << calculating << QString();
    QTest::newRow("converting, time known") << Steps([time](ProgressBar &b) {
        b.setProgress(10);
        b.setRemainingTime(time);
    }) << remaining << "00:01:20";
    QTest::newRow("paused beats remaining") << Steps([time](ProgressBar &b) {
        b.setProgress(10);
        b.setRemainingTime(time);
        b.setPaused(true);
    }) << paused << QString();
    QTest::newRow("paused beats importing")
            << Steps([](ProgressBar &b) { b.setPaused(true); }) << paused << QString();
    QTest::newRow("paused beats scheduled") << Steps([](ProgressBar &b) {
        b.setScheduled();
        b.setPaused(true);
    }) << paused << QString();
    QTest::newRow("unpaused, back to remaining") << Steps([time](ProgressBar &b) {
        b.setProgress(10);
        b.setRemainingTime(time);
        b.setPaused(true);
        b.setPaused(false);
    }) << remaining << "00:01:20";
    QTest::newRow("unpaused, back to calculating") << Steps([](ProgressBar &b) {
        b.setProgress(10);
        b.setPaused(true);
        b.setPaused(false);
    }) << calculating << QString();
    QTest::newRow("importing beats scheduled and remaining") << Steps([time](ProgressBar &b) {
        b.setScheduled();
        b.setRemainingTime(time);
        b.setImporting();
    }) << importing << QString();
    QTest::newRow("scheduled beats remaining") << Steps([time](ProgressBar &b) {
        b.setRemainingTime(time);
        b.setScheduled();
    }) << scheduled << QString();
}

void tst_ProgressBar::statusPrecedence()
{
    QFETCH(Steps, steps);
    QFETCH(QString, status);
    QFETCH(QString, detail);
    ProgressBar bar;
    steps(bar);
    QCOMPARE(bar.statusLabel()->text(), status);
    QCOMPARE(bar.statusLabel()->secondText(), detail);
}

void tst_ProgressBar::counter_data()
{
    QTest::addColumn<int>("done");
    QTest::addColumn<int>("total");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("second");
    QTest::newRow("more done than total") << 3 << 2 << QString() << QString();
    QTest::newRow("nothing at all") << 0 << 0 << QString() << QString();
    QTest::newRow("two of five") << 2 << 5 << "2"
                                 << "/5";
    QTest::newRow("all done") << 5 << 5 << "5"
                              << "/5";
}

void tst_ProgressBar::counter()
{
    QFETCH(int, done);
    QFETCH(int, total);
    QFETCH(QString, text);
    QFETCH(QString, second);
    ProgressBar bar;
    // A counter shown before must go when the new one is not valid.
    bar.setCounter(1, 9);
    bar.setCounter(done, total);
    QCOMPARE(bar.counterLabel()->text(), text);
    QCOMPARE(bar.counterLabel()->secondText(), second);
}

void tst_ProgressBar::filledPartColour_data()
{
    QTest::addColumn<bool>("paused");
    QTest::addColumn<int>("fillRole");
    QTest::newRow("converting") << false << 1018;
    QTest::newRow("paused") << true << 1011;
}

void tst_ProgressBar::filledPartColour()
{
    QFETCH(bool, paused);
    QFETCH(int, fillRole);
    ProgressBar bar;
    bar.resize(200, 40);
    bar.setProgress(500);
    bar.setPaused(paused);

    const QImage image = paintedBar(&bar);
    // The bar is the bottom six rows; probe its middle row away from the
    // rounded ends and the boundary.
    const int y = bar.height() - 3;
    QVERIFY(PaintProbe::pixelIs(image, 50, y, kelStyle()->color(fillRole)));
    QVERIFY(PaintProbe::pixelIs(image, 150, y, kelStyle()->color(Style::CL_Gray_8)));
    // Nothing is painted above the bar but the texts.
    QVERIFY(PaintProbe::pixelIs(image, 100, bar.height() - 10, Qt::transparent));
}

void tst_ProgressBar::metroDotsLeaveBetweenRuns_data()
{
    QTest::addColumn<int>("width");
    QTest::newRow("splash bar") << 440;
    QTest::newRow("narrow") << 60;
}

void tst_ProgressBar::metroDotsLeaveBetweenRuns()
{
    QFETCH(int, width);
    MetroProgressBar bar;
    const double radius = bar.radius();
    const auto insideAt = [&](qint64 ms) {
        int inside = 0;
        for (double x : bar.dotPositions(width, ms))
            inside += (x + radius > 0 && x - radius < width) ? 1 : 0;
        return inside;
    };

    QCOMPARE(bar.dotPositions(width, 0).size(), 5);
    // From the moment the last dot has left until the next run starts, and
    // at the very start, the widget is empty.
    for (qint64 ms = 2750; ms < 3500; ++ms) {
        if (insideAt(ms) != 0)
            QFAIL(qPrintable(QStringLiteral("a dot is inside at %1 ms").arg(ms)));
    }
    QCOMPARE(insideAt(0), 0);
    QCOMPARE(insideAt(3500), 0);
    // In the middle of a run the dots are inside, in order, first dot ahead.
    QVERIFY(insideAt(1500) > 0);
    const QVector<double> middle = bar.dotPositions(width, 1500);
    for (int i = 1; i < middle.size(); ++i)
        QVERIFY(middle.at(i) < middle.at(i - 1));
    // The runs repeat.
    QCOMPARE(bar.dotPositions(width, 1500 + 3500), middle);
}

void tst_ProgressBar::metroTimerRunsOnlyWhileBusyAndVisible()
{
    MetroProgressBar bar;
    bar.resize(200, 10);
    bar.setState(KelProgressBar::Indeterminate);
    QVERIFY(!bar.isAnimating());

    bar.show();
    QVERIFY(QTest::qWaitForWindowExposed(&bar, WaitBound::ms()));
    QTRY_VERIFY(bar.isAnimating());

    // Hidden, it stops; shown again, it runs.
    bar.hide();
    QTRY_VERIFY(!bar.isAnimating());
    bar.show();
    QTRY_VERIFY(bar.isAnimating());

    // A real range paints a plain bar and stops the dots.
    bar.setState(KelProgressBar::Normal);
    bar.setRange(0, 100);
    bar.setValue(40);
    QTRY_VERIFY(!bar.isAnimating());
}

int main(int argc, char **argv)
{
    KelApplication app(argc, argv);
    tst_ProgressBar test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_progressbar.moc"

#include "kelapplication.h"
#include "kelsettings.h"
#include "kelui.h"
#include "painting/kelicon.h"
#include "painting/keliconsprovider.h"
#include "waitbound.h"
#include "windows/kelsplash.h"
#include "windows/kelwindow.h"

#include "../offscreenleak.h"
#include "plainwindowui.h"

#include <QPointer>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

namespace {

const QString IconPath = QStringLiteral(":/kelui/close-10.svg");

class SplashApplication : public PlainWindowApplication<>
{
public:
    using PlainWindowApplication::PlainWindowApplication;
    int splashesDestroyed = 0;

protected:
    void onSplashDestroyed() override { ++splashesDestroyed; }
};

SplashApplication *application()
{
    return static_cast<SplashApplication *>(QCoreApplication::instance());
}

KelSplash *showSplash(bool waitForMainWindow, int minDurationMs = 2000)
{
    return application()->showSplash(IconPath, minDurationMs, 5, 1, 3, QString(), 12,
                                     waitForMainWindow, QPoint(), QPoint(), QColor(), QColor(),
                                     false);
}

void tick(KelSplash *splash)
{
    auto *timer = splash->findChild<QTimer *>(QStringLiteral("KelSplashAnimationTimer"));
    QVERIFY(timer);
    QVERIFY(QMetaObject::invokeMethod(timer, "timeout"));
}

} // namespace

// Runs at a device pixel ratio of 2 (see main()).
class tst_KelSplash : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void loadingDotsCycle();
    void mainWindowMadeBeforeTheMinimumTimeShowsThen();
    void mainWindowMadeAfterTheMinimumTimeShowsAtOnce();
    void withoutWaitingTheSplashJustCloses();
    void placement_data();
    void placement();
    void textsFollowThePixmapAtTheScreenRatio();
    void savedScreen_data();
    void savedScreen();

private:
    qint64 m_now = 0;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<KelSettings> m_settings;
};

void tst_KelSplash::init()
{
    m_now = 0;
    KelSplash::setClock([this] { return m_now; });
    m_dir = std::make_unique<QTemporaryDir>();
    m_settings = std::make_unique<KelSettings>(m_dir->filePath(QStringLiteral("kel.ini")),
                                               QSettings::IniFormat);
    application()->setSettings(m_settings.get());
}

void tst_KelSplash::cleanup()
{
    delete application()->splash();
    // A fresh main window for every test.
    delete kelUi()->mainWindow();
    KelSplash::setClock({});
    m_settings.reset();
    m_dir.reset();
}

void tst_KelSplash::loadingDotsCycle()
{
    KelSplash splash(QRect(), QPixmap(200, 100), QStringLiteral("1.0"), 2000, 60000, 1, 3, false,
                     QPoint(), QPoint(), QColor(), QColor(), false);
    QVERIFY(splash.loadingText().isEmpty());
    // The first step comes at once.
    QTRY_COMPARE(splash.loadingText(), QStringLiteral("Loading."));
    const QStringList expected{QStringLiteral("Loading.."), QStringLiteral("Loading..."),
                               QStringLiteral("Loading."), QStringLiteral("Loading..")};
    for (const QString &text : expected) {
        tick(&splash);
        QCOMPARE(splash.loadingText(), text);
    }
}

void tst_KelSplash::mainWindowMadeBeforeTheMinimumTimeShowsThen()
{
    QPointer<KelSplash> splash = showSplash(true);
    QVERIFY(splash);
    QCOMPARE(application()->splash(), splash.data());
    QVERIFY(application()->isSplashVisible());

    KelUi *ui = kelUi();
    ui->setupMainWindow();
    KelWindow *main = ui->mainWindow();
    QVERIFY(main);
    // Several steps go by; the time has not passed yet.
    QTRY_COMPARE(splash->loadingText(), QStringLiteral("Loading..."));
    QTRY_COMPARE(splash->loadingText(), QStringLiteral("Loading."));
    QVERIFY(main->isHidden());
    QVERIFY(splash->isVisible());

    QSignalSpy firstShow(ui, &KelUi::mainWindowShowedFirstTimeInCurrentSession);
    m_now = 2000;
    QTRY_VERIFY(main->isVisible());
    QTRY_VERIFY(!splash);
    QVERIFY(!application()->splash());
    QCOMPARE(application()->splashesDestroyed, 1);
    QTRY_COMPARE(firstShow.count(), 1);
}

void tst_KelSplash::mainWindowMadeAfterTheMinimumTimeShowsAtOnce()
{
    QPointer<KelSplash> splash = showSplash(true);
    m_now = 5000;
    // The next step notices the time; the splash stays for the window.
    const QString before = splash->loadingText();
    QTRY_VERIFY(splash->loadingText() != before);
    QVERIFY(splash->isVisible());

    KelUi *ui = kelUi();
    ui->setupMainWindow();
    QVERIFY(ui->mainWindow()->isVisible());
    QVERIFY(!splash || splash->isHidden());
    QTRY_VERIFY(!splash);
}

void tst_KelSplash::withoutWaitingTheSplashJustCloses()
{
    QPointer<KelSplash> splash = showSplash(false);
    kelUi()->setupMainWindow();
    m_now = 2000;
    QTRY_VERIFY(!splash);
    QVERIFY(kelUi()->mainWindow()->isHidden());
}

void tst_KelSplash::placement_data()
{
    QTest::addColumn<QRect>("screenGeometry");
    QTest::addColumn<QPoint>("expectedCentre");

    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    const QRect inside(available.topLeft() + QPoint(10, 20), QSize(200, 100));
    QTest::newRow("on a screen") << inside << inside.center();
    QTest::newRow("on no screen: the primary's available area")
            << QRect(available.right() + 5000, 100, 640, 480) << available.center();
}

void tst_KelSplash::placement()
{
    QFETCH(QRect, screenGeometry);
    QFETCH(QPoint, expectedCentre);

    KelSplash splash(screenGeometry, QPixmap(120, 80), QStringLiteral("1.0"), 2000, 60000, 0, 0,
                     false, QPoint(), QPoint(), QColor(), QColor(), false);
    QCOMPARE(splash.geometry().center(), expectedCentre);
}

void tst_KelSplash::textsFollowThePixmapAtTheScreenRatio()
{
    QCOMPARE(QGuiApplication::primaryScreen()->devicePixelRatio(), 2.0);
    // 800 x 600 device pixels show as 400 x 300 at ratio 2: the version
    // ends 20 pixels inside that area's bottom-right corner.
    QPixmap pixmap(800, 600);
    pixmap.fill(Qt::black);
    KelSplash splash(QRect(), pixmap, QStringLiteral("1.0"), 2000, 60000, 0, 0, false, QPoint(),
                     QPoint(), QColor(Qt::transparent), QColor(Qt::red), false);
    const QImage image = splash.grab().toImage();
    const double ratio = image.devicePixelRatio();
    QRect text;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 128 && c.green() < 64)
                text |= QRect(QPoint(x / ratio, y / ratio), QSize(1, 1));
        }
    }
    QVERIFY(!text.isEmpty());
    QVERIFY2(text.right() <= 380 && text.right() >= 370, qPrintable(QString::number(text.right())));
    QVERIFY2(text.bottom() <= 280 && text.bottom() >= 265,
             qPrintable(QString::number(text.bottom())));
}

void tst_KelSplash::savedScreen_data()
{
    QTest::addColumn<int>("lastScreen");
    QTest::addColumn<bool>("warned");
    QTest::newRow("the saved screen") << 0 << false;
    QTest::newRow("a screen no longer attached") << 2 << true;
    QTest::newRow("a negative number") << -1 << true;
}

void tst_KelSplash::savedScreen()
{
    QFETCH(int, lastScreen);
    QFETCH(bool, warned);

    m_settings->setLastScreen(lastScreen);
    if (warned) {
        QTest::ignoreMessage(QtWarningMsg,
                             qPrintable(QStringLiteral("No screen found for previous saved main "
                                                       "window pos. Use default screen. Old "
                                                       "screen number is %1")
                                                .arg(lastScreen)));
    }
    KelSplash *splash = showSplash(false);
    QVERIFY(splash);
    QCOMPARE(splash->screen(), QGuiApplication::primaryScreen());
    QCOMPARE(splash->geometry().center(), QGuiApplication::primaryScreen()->geometry().center());
    // The picture at its natural size, sharp at the screen's ratio.
    const KelIcon *icon = application()->iconsProvider()->icon(IconPath);
    QCOMPARE(splash->size(), icon->size1x());
    QCOMPARE(splash->pixmap().devicePixelRatio(), 2.0);
}

int main(int argc, char **argv)
{
    qputenv("QT_SCALE_FACTOR", "2");
    SplashApplication app(argc, argv);
    tst_KelSplash test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_kelsplash.moc"

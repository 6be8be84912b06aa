#include "kelapplication.h"
#include "waitbound.h"
#include "windows/kelcustomshadow.h"
#include "windows/kelnativewindowutils.h"
#include "windows/kelwindow.h"
#include "windows/kelwindowframe.h"
#include "windows/platform/compositingmanager.h"
#include "windows/platform/layeredshadowwindow.h"

#include "../offscreenleak.h"
#include "manualanimationdriver.h"

#include <QScreen>
#include <QtTest>

#include <memory>

namespace {

KelPlatform::LayeredShadowWindow *shadowOf(KelWindow *window)
{
    KelCustomShadow *shadow = window->nativeWindowUtils()->customShadow();
    return shadow ? shadow->shadowWindow() : nullptr;
}

int alphaAt(const QImage &image, const QPoint &p)
{
    return qAlpha(image.pixel(p));
}

} // namespace

class tst_KelCustomShadow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void shadowImageAlpha_data();
    void shadowImageAlpha();
    void shadowFadesOutwardsAndShiftsDown();
    void shadowImageTakesTheShadowColour();
    void shadowFollowsWindowOpacity();
    void moveDoesNotRebuildTheImage();
    void restoringFromMaximizedFadesIn();
    void noShadowWindowWithoutCompositing();

private:
    std::unique_ptr<KelWindow> showWindow();

    std::unique_ptr<ManualAnimationDriver> m_driver;
};

void tst_KelCustomShadow::init()
{
    KelPlatform::setCompositingManagerOverride(1);
    m_driver = std::make_unique<ManualAnimationDriver>();
}

void tst_KelCustomShadow::cleanup()
{
    m_driver.reset();
    KelPlatform::setCompositingManagerOverride(-1);
}

std::unique_ptr<KelWindow> tst_KelCustomShadow::showWindow()
{
    auto window = std::make_unique<KelWindow>(KelWindow::Movable | KelWindow::Resizable
                                              | KelWindow::WindowButtons
                                              | KelWindow::MaximizeButton);
    window->windowFrame()->setShadowRadius(10);
    window->windowFrame()->setShadowColor(QColor(0, 0, 0, 200));
    window->setGeometry(100, 100, 300, 200);
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get(), WaitBound::ms()))
        return nullptr;
    return window;
}

void tst_KelCustomShadow::shadowImageAlpha_data()
{
    QTest::addColumn<int>("radius");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<bool>("shaded");

    // Shadow images of a 120 x 100 window plus the shadow on each side, at
    // ratio 1.
    QTest::newRow("radius 0: window-sized, no shadow at the border")
            << 0 << 0 << QPoint(0, 50) << false;
    QTest::newRow("radius 0: none inside") << 0 << 0 << QPoint(60, 50) << false;
    QTest::newRow("clear under the window") << 10 << 0 << QPoint(70, 60) << false;
    QTest::newRow("clear under the window's edge") << 10 << 0 << QPoint(10, 60) << false;
    QTest::newRow("shaded beside the window") << 10 << 0 << QPoint(8, 60) << true;
    QTest::newRow("shaded at the far border") << 10 << 0 << QPoint(0, 60) << true;
    QTest::newRow("offset: clear under the window") << 10 << 4 << QPoint(70, 12) << false;
}

void tst_KelCustomShadow::shadowImageAlpha()
{
    QFETCH(int, radius);
    QFETCH(int, offset);
    QFETCH(QPoint, point);
    QFETCH(bool, shaded);
    KelWindow window(KelWindow::WindowParams(), nullptr, KelWindow::Default, true);
    KelWindowFrame *frame = window.windowFrame();
    frame->setShadowColor(QColor(0, 0, 0, 255));
    frame->setShadowRadius(radius);
    frame->setShadowOffset(offset);
    const QSize size = QSize(120, 100) + QSize(2 * radius, 2 * radius);

    const QImage image = KelCustomShadow::shadowImage(frame, size, 1.0);

    QCOMPARE(image.size(), size);
    QCOMPARE(alphaAt(image, point) > 0, shaded);
}

void tst_KelCustomShadow::shadowFadesOutwardsAndShiftsDown()
{
    KelWindow window(KelWindow::WindowParams(), nullptr, KelWindow::Default, true);
    KelWindowFrame *frame = window.windowFrame();
    frame->setShadowColor(QColor(0, 0, 0, 255));
    frame->setShadowRadius(10);
    QImage image = KelCustomShadow::shadowImage(frame, QSize(140, 120), 1.0);
    QVERIFY(alphaAt(image, QPoint(0, 60)) < alphaAt(image, QPoint(5, 60)));
    QVERIFY(alphaAt(image, QPoint(5, 60)) < alphaAt(image, QPoint(9, 60)));
    // Qt's blur is a little uneven; an offset shows well beyond that.
    QVERIFY(qAbs(alphaAt(image, QPoint(70, 114)) - alphaAt(image, QPoint(70, 5))) <= 3);

    frame->setShadowOffset(4);
    image = KelCustomShadow::shadowImage(frame, QSize(140, 120), 1.0);
    QVERIFY(alphaAt(image, QPoint(70, 114)) > alphaAt(image, QPoint(70, 5)) + 10);
}

void tst_KelCustomShadow::shadowImageTakesTheShadowColour()
{
    KelWindow window(KelWindow::WindowParams(), nullptr, KelWindow::Default, true);
    KelWindowFrame *frame = window.windowFrame();
    frame->setShadowColor(QColor(40, 90, 200));
    frame->setShadowRadius(10);

    const QImage image = KelCustomShadow::shadowImage(frame, QSize(140, 120), 1.0);

    const QColor beside = QColor::fromRgba(qUnpremultiply(image.pixel(7, 60)));
    QVERIFY(beside.alpha() > 0);
    QVERIFY(qAbs(beside.red() - 40) <= 3 && qAbs(beside.green() - 90) <= 3
            && qAbs(beside.blue() - 200) <= 3);
}

void tst_KelCustomShadow::shadowFollowsWindowOpacity()
{
    auto window = showWindow();
    QVERIFY(window);
    KelPlatform::LayeredShadowWindow *shadow = shadowOf(window.get());
    QVERIFY(shadow);
    m_driver->advance(250);
    QCOMPARE(shadow->alpha(), 1.0);

    window->setWindowOpacity(0.5);

    QCOMPARE(shadow->alpha(), 0.5);
}

void tst_KelCustomShadow::moveDoesNotRebuildTheImage()
{
    auto window = showWindow();
    QVERIFY(window);
    KelPlatform::LayeredShadowWindow *shadow = shadowOf(window.get());
    QVERIFY(shadow);
    const qint64 image = shadow->image().cacheKey();
    const QRect before = shadow->nativeGeometry();
    QCOMPARE(before, QRect(90, 90, 320, 220));

    window->move(150, 120);
    QTRY_COMPARE(shadow->nativeGeometry(), before.translated(50, 20));
    QCOMPARE(shadow->image().cacheKey(), image);

    window->resize(310, 200);
    QTRY_COMPARE(shadow->nativeGeometry().size(), QSize(330, 220));
    QVERIFY(shadow->image().cacheKey() != image);
    QCOMPARE(shadow->image().size(), QSize(330, 220));
}

void tst_KelCustomShadow::restoringFromMaximizedFadesIn()
{
    auto window = showWindow();
    QVERIFY(window);
    KelPlatform::LayeredShadowWindow *shadow = shadowOf(window.get());
    QVERIFY(shadow);
    m_driver->advance(250);

    window->showMaximized();
    QTRY_VERIFY(!shadow->isVisible());

    window->showNormal();
    QTRY_VERIFY(shadow->isVisible());
    QCOMPARE(shadow->alpha(), 0.0);
    m_driver->advance(125);
    // An ease-in: a quarter of the way at half the time.
    QVERIFY(qAbs(shadow->alpha() - 0.25) < 0.05);
    m_driver->advance(125);
    QCOMPARE(shadow->alpha(), 1.0);
}

void tst_KelCustomShadow::noShadowWindowWithoutCompositing()
{
    KelPlatform::setCompositingManagerOverride(0);
    auto window = showWindow();
    QVERIFY(window);
    QVERIFY(!shadowOf(window.get()));
    const QList<QWindow *> windows = QGuiApplication::allWindows();
    for (QWindow *w : windows)
        QVERIFY(w->objectName() != QLatin1String("KelCustomShadowWindow"));
}

int main(int argc, char **argv)
{
    KelApplication app(argc, argv);
    tst_KelCustomShadow test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_kelcustomshadow.moc"

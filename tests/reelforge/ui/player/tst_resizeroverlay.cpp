#include "kelapplication.h"
#include "kelui.h"
#include "styles/kelstylemanager.h"
#include "ui/player/resizeroverlay.h"
#include "ui/style.h"
#include "waitbound.h"

#include "../../../kelkit/offscreenleak.h"
#include "paintprobe.h"

#include <QCheckBox>
#include <QPainter>
#include <QSignalSpy>
#include <QSvgRenderer>
#include <QTransform>
#include <QtTest>

#include <memory>

namespace {

using Op = ResizerOverlay::Operation;

// The overlay lies in its host window at this offset, so that its own (0, 0)
// is a point the pointer can reach.
const QPoint Offset(10, 10);
const QRectF WorkRect(20, 20, 600, 360);
// A box in the middle of the working rect, centred on (260, 180).
const QRectF Box(200, 150, 120, 60);

// A point of an unrotated box where it shows once the box is turned.
QPointF turned(const QRectF &box, double degrees, const QPointF &point)
{
    const QPointF c = box.center();
    return QTransform().translate(c.x(), c.y()).rotate(degrees).translate(-c.x(), -c.y()).map(point);
}

// An overlay in a fixed host window, input delivered through the window.
class Host
{
public:
    explicit Host(int styleId = -1)
    {
        // Room around the overlay for pointers that leave it during a drag.
        window.resize(720, 480);
        overlay = new ResizerOverlay(styleId, &window);
        overlay->setGeometry(QRect(Offset, QSize(640, 400)));
        overlay->setWorkingRect(WorkRect);
        overlay->setScreenSelection(Box);
        window.show();
    }

    bool exposed()
    {
        window.activateWindow();
        return QTest::qWaitForWindowExposed(&window, WaitBound::ms())
                && QTest::qWaitForWindowActive(&window, WaitBound::ms());
    }

    QWindow *handle() { return window.windowHandle(); }

    void press(const QPoint &p, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::mousePress(handle(), Qt::LeftButton, modifiers, p + Offset);
    }
    // With whatever buttons are held.
    void move(const QPoint &p, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::mouseEvent(QTest::MouseMove, handle(), Qt::NoButton, modifiers, p + Offset);
    }
    void release(const QPoint &p) { QTest::mouseRelease(handle(), Qt::LeftButton, {}, p + Offset); }
    void drag(const QPoint &from, const QPoint &to, Qt::KeyboardModifiers modifiers = {})
    {
        press(from);
        move(to, modifiers);
        release(to);
    }

    // A point of the unrotated box as it shows on screen.
    QPoint onScreen(const QPointF &p) const
    {
        return turned(overlay->screenSelection(), overlay->rotationAngle(), p).toPoint();
    }

    QImage render()
    {
        QImage image = PaintProbe::canvas(overlay->size(), overlay->devicePixelRatioF());
        // Only what the overlay paints itself: it fills no background.
        overlay->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        return image;
    }

    QWidget window;
    ResizerOverlay *overlay = nullptr;
};

// The pixel under a logical point.
QColor pixelAt(const QImage &image, const QPointF &p)
{
    const double ratio = image.devicePixelRatio();
    return image.pixelColor(int(p.x() * ratio), int(p.y() * ratio));
}

// The cursor picture as the overlay should show it: the SVG at the ratio,
// turned about its middle.
QImage expectedCursor(const QString &path, double degrees, double ratio)
{
    QSvgRenderer renderer(path);
    const QSize size = renderer.defaultSize();
    QPixmap pixmap(qRound(size.width() * ratio), qRound(size.height() * ratio));
    pixmap.fill(Qt::transparent);
    {
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        const QPointF c(pixmap.width() / 2.0, pixmap.height() / 2.0);
        painter.translate(c);
        painter.rotate(degrees);
        painter.translate(-c);
        renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(pixmap.size())));
    }
    pixmap.setDevicePixelRatio(ratio);
    return pixmap.toImage();
}

bool near(const QPointF &a, const QPointF &b, double tolerance)
{
    const bool ok = QLineF(a, b).length() <= tolerance;
    if (!ok)
        qWarning() << a << "is not within" << tolerance << "of" << b;
    return ok;
}

} // namespace

class tst_ResizerOverlay : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void minimumSide_data();
    void minimumSide();
    void hitTest_data();
    void hitTest();
    void drags_data();
    void drags();
    void rotationSnap_data();
    void rotationSnap();
    void angleBounds_data();
    void angleBounds();
    void angleBelowMinimumIsKeptWithAWarning();
    void rotationThroughTheCentreKeepsTheAngle();
    void rotatedResizeKeepsTheFixedPoint_data();
    void rotatedResizeKeepsTheFixedPoint();
    void aspectFlashOncePerPress();
    void arrowKeys_data();
    void arrowKeys();
    void arrowKeysIgnored_data();
    void arrowKeysIgnored();
    void quietSetters();
    void changingOnlyDuringDrag_data();
    void changingOnlyDuringDrag();
    void paint_data();
    void paint();
    void paintStyle1070();
    void cursors_data();
    void cursors();
    void styleAppearance_data();
    void styleAppearance();
    void diagnosticsFollowMaintenanceMode();
};

void tst_ResizerOverlay::initTestCase()
{
    qRegisterMetaType<ResizerOverlay::Operation>();
    QVERIFY(KelStyleManager::instance());
    Style::registerThemes(kelUi());
    QVERIFY(KelStyleManager::instance()->setCurrentStyle(QStringLiteral("LightStyle")));
}

void tst_ResizerOverlay::init()
{
    kelUi()->setMaintenanceMode(false);
}

void tst_ResizerOverlay::minimumSide_data()
{
    QTest::addColumn<int>("styleId");
    QTest::addColumn<int>("side");
    QTest::newRow("default look") << -1 << 26;
    QTest::newRow("style 1070") << 1070 << 32;
}

void tst_ResizerOverlay::minimumSide()
{
    QFETCH(int, styleId);
    QFETCH(int, side);

    Host host(styleId);
    QVERIFY(host.exposed());
    // Bottom-right dragged up and left past the top-left corner.
    host.drag(QPoint(320, 210), QPoint(150, 100));
    QCOMPARE(host.overlay->screenSelection(), QRectF(200, 150, side, side));

    // Top-left dragged down and right past the bottom-right corner.
    host.overlay->setScreenSelection(Box);
    host.drag(QPoint(200, 150), QPoint(400, 300));
    QCOMPARE(host.overlay->screenSelection(), QRectF(320 - side, 210 - side, side, side));
}

void tst_ResizerOverlay::hitTest_data()
{
    QTest::addColumn<double>("angle");
    QTest::addColumn<int>("allowed");
    QTest::addColumn<QPointF>("point");
    QTest::addColumn<int>("expected");

    for (double angle : {0.0, 30.0}) {
        const QByteArray at = " at " + QByteArray::number(angle);
        QTest::newRow("corner square" + at) << angle << int(ResizerOverlay::All)
                                            << QPointF(200, 150) << int(ResizerOverlay::TopLeft);
        QTest::newRow("rotate ring" + at) << angle << int(ResizerOverlay::All) << QPointF(190, 146)
                                          << int(ResizerOverlay::RotateTopLeft);
        QTest::newRow("far ring" + at) << angle << int(ResizerOverlay::All) << QPointF(332, 214)
                                       << int(ResizerOverlay::RotateBottomRight);
        QTest::newRow("top middle" + at) << angle << int(ResizerOverlay::All) << QPointF(260, 152)
                                         << int(ResizerOverlay::Top);
        QTest::newRow("left middle" + at) << angle << int(ResizerOverlay::All) << QPointF(200, 180)
                                          << int(ResizerOverlay::Left);
        QTest::newRow("inside" + at) << angle << int(ResizerOverlay::All) << QPointF(260, 180)
                                     << int(ResizerOverlay::Move);
        QTest::newRow("outside" + at) << angle << int(ResizerOverlay::All) << QPointF(100, 100)
                                      << int(ResizerOverlay::Noop);
        // Corners, rings and Move only: the edge middle falls through to Move.
        QTest::newRow("no edges, top middle" + at)
                << angle << 4351 << QPointF(260, 152) << int(ResizerOverlay::Move);
        QTest::newRow("no edges, corner" + at)
                << angle << 4351 << QPointF(200, 150) << int(ResizerOverlay::TopLeft);
        QTest::newRow("no rotation, ring" + at)
                << angle << int(ResizerOverlay::Corners | ResizerOverlay::Move) << QPointF(190, 146)
                << int(ResizerOverlay::Noop);
    }
}

void tst_ResizerOverlay::hitTest()
{
    QFETCH(double, angle);
    QFETCH(int, allowed);
    QFETCH(QPointF, point);
    QFETCH(int, expected);

    Host host;
    QVERIFY(host.exposed());
    host.overlay->setAllowedOperations(allowed);
    host.overlay->setRotationAngle(angle);
    QSignalSpy started(host.overlay, &ResizerOverlay::changeStarted);
    const QPoint p = host.onScreen(point);
    host.press(p);
    if (expected == ResizerOverlay::Noop) {
        QCOMPARE(started.count(), 0);
        QVERIFY(!host.overlay->isChanging());
    } else {
        QCOMPARE(started.count(), 1);
        QCOMPARE(int(started.first().first().value<Op>()), expected);
    }
    host.release(p);
}

void tst_ResizerOverlay::drags_data()
{
    QTest::addColumn<QRectF>("start");
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<int>("op");
    QTest::addColumn<QPoint>("delta");
    QTest::addColumn<double>("ratio");
    QTest::addColumn<QRectF>("expected");

    QTest::newRow("move pushed back inside")
            << QRectF(500, 300, 100, 60) << QPoint(550, 330) << int(ResizerOverlay::Move)
            << QPoint(100, 100) << 0.0 << QRectF(520, 320, 100, 60);
    QTest::newRow("left stopped at right - m")
            << Box << QPoint(200, 180) << int(ResizerOverlay::Left) << QPoint(200, 0) << 0.0
            << QRectF(294, 150, 26, 60);
    QTest::newRow("left stopped at the working rect")
            << Box << QPoint(200, 180) << int(ResizerOverlay::Left) << QPoint(-500, 0) << 0.0
            << QRectF(20, 150, 300, 60);
    QTest::newRow("bottom-right free")
            << Box << QPoint(320, 210) << int(ResizerOverlay::BottomRight) << QPoint(30, -10) << 0.0
            << QRectF(200, 150, 150, 50);
    QTest::newRow("top-left with ratio 2 limited by the working rect")
            << QRectF(100, 100, 100, 50) << QPoint(100, 100) << int(ResizerOverlay::TopLeft)
            << QPoint(-200, -200) << 2.0 << QRectF(20, 60, 180, 90);
    QTest::newRow("right with ratio 2 keeps the vertical centre")
            << Box << QPoint(320, 180) << int(ResizerOverlay::Right) << QPoint(40, 0) << 2.0
            << QRectF(200, 140, 160, 80);
    QTest::newRow("aspect-locked move that shrinks keeps its centre")
            << QRectF(100, 0, 400, 400) << QPoint(300, 200) << int(ResizerOverlay::Move)
            << QPoint(4, 0) << 1.0 << QRectF(124, 20, 360, 360);
}

void tst_ResizerOverlay::drags()
{
    QFETCH(QRectF, start);
    QFETCH(QPoint, from);
    QFETCH(int, op);
    QFETCH(QPoint, delta);
    QFETCH(double, ratio);
    QFETCH(QRectF, expected);

    Host host;
    QVERIFY(host.exposed());
    host.overlay->setScreenSelection(start);
    host.overlay->setKeepAspect(ratio > 0);
    host.overlay->setAspectRatio(ratio);
    QSignalSpy started(host.overlay, &ResizerOverlay::changeStarted);
    QSignalSpy finished(host.overlay, &ResizerOverlay::changeFinished);
    host.drag(from, from + delta);
    QCOMPARE(started.count(), 1);
    QCOMPARE(int(started.first().first().value<Op>()), op);
    QCOMPARE(finished.count(), 1);
    QCOMPARE(host.overlay->screenSelection(), expected);
    QCOMPARE(host.overlay->relativeSelection(), expected.translated(-WorkRect.topLeft()));
}

void tst_ResizerOverlay::rotationSnap_data()
{
    QTest::addColumn<double>("turn");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<double>("expected");
    QTest::addColumn<double>("tolerance");

    // Pointer positions are whole pixels: unsnapped angles come out within
    // a fraction of a degree.
    QTest::newRow("47 snaps to 45") << 47.0 << 0 << 45.0 << 0.0;
    QTest::newRow("93 snaps to 90") << 93.0 << 0 << 90.0 << 0.0;
    QTest::newRow("44 kept") << 44.0 << 0 << 44.0 << 0.5;
    QTest::newRow("88 kept") << 88.0 << 0 << 88.0 << 0.5;
    QTest::newRow("-47 snaps to 315") << -47.0 << 0 << 315.0 << 0.0;
    QTest::newRow("47 with Shift turns freely") << 47.0 << int(Qt::ShiftModifier) << 47.0 << 0.5;
    QTest::newRow("93 with Ctrl turns freely") << 93.0 << int(Qt::ControlModifier) << 93.0 << 0.5;
}

void tst_ResizerOverlay::rotationSnap()
{
    QFETCH(double, turn);
    QFETCH(int, modifiers);
    QFETCH(double, expected);
    QFETCH(double, tolerance);

    Host host;
    QVERIFY(host.exposed());
    const QRectF box(260, 170, 120, 60);
    host.overlay->setScreenSelection(box);
    const QPointF centre = box.center();
    // On the bottom-right ring, outside the corner square.
    const QPoint from(390, 240);
    const QPointF v = from - centre;
    const double pressed = qRadiansToDegrees(std::atan2(v.x(), -v.y()));
    const double target = qDegreesToRadians(pressed + turn);
    const QPoint to = (centre + 150 * QPointF(std::sin(target), -std::cos(target))).toPoint();

    QSignalSpy started(host.overlay, &ResizerOverlay::changeStarted);
    host.press(from);
    QCOMPARE(int(started.first().first().value<Op>()), int(ResizerOverlay::RotateBottomRight));
    host.move(to, Qt::KeyboardModifiers(modifiers));
    host.release(to);
    QVERIFY2(std::abs(host.overlay->rotationAngle() - expected) <= tolerance,
             qPrintable(QString::number(host.overlay->rotationAngle())));
    // Turning leaves the box itself alone.
    QCOMPARE(host.overlay->screenSelection(), box);
}

void tst_ResizerOverlay::angleBounds_data()
{
    QTest::addColumn<double>("minimum");
    QTest::addColumn<double>("maximum");
    QTest::addColumn<double>("angle");
    QTest::addColumn<double>("expected");

    QTest::newRow("270 in -90..90") << -90.0 << 90.0 << 270.0 << -90.0;
    QTest::newRow("100 in -90..90") << -90.0 << 90.0 << 100.0 << 90.0;
    QTest::newRow("200 in -90..90") << -90.0 << 90.0 << 200.0 << -90.0;
    QTest::newRow("-30 in -90..90") << -90.0 << 90.0 << -30.0 << -30.0;
    QTest::newRow("45 in -90..90") << -90.0 << 90.0 << 45.0 << 45.0;
    QTest::newRow("370 by default") << 0.0 << 359.0 << 370.0 << 10.0;
    QTest::newRow("-10 by default") << 0.0 << 359.0 << -10.0 << 350.0;
    QTest::newRow("359.5 by default") << 0.0 << 359.0 << 359.5 << 359.0;
}

void tst_ResizerOverlay::angleBounds()
{
    QFETCH(double, minimum);
    QFETCH(double, maximum);
    QFETCH(double, angle);
    QFETCH(double, expected);

    ResizerOverlay overlay;
    overlay.setAngleRange(minimum, maximum);
    QSignalSpy changed(&overlay, &ResizerOverlay::rotationAngleChanged);
    overlay.setRotationAngle(angle);
    QCOMPARE(overlay.rotationAngle(), expected);
    QCOMPARE(changed.count(), qFuzzyIsNull(expected) ? 0 : 1);
    if (!changed.isEmpty())
        QCOMPARE(changed.first().first().toDouble(), expected);
}

void tst_ResizerOverlay::angleBelowMinimumIsKeptWithAWarning()
{
    ResizerOverlay overlay;
    overlay.setAngleRange(10, 90);
    QTest::ignoreMessage(QtWarningMsg,
                         "ResizerOverlay: setting minAngle > 0 is not implemented yet");
    overlay.setRotationAngle(5);
    QCOMPARE(overlay.rotationAngle(), 5.0);
}

void tst_ResizerOverlay::rotationThroughTheCentreKeepsTheAngle()
{
    Host host;
    QVERIFY(host.exposed());
    const QRectF box(260, 170, 120, 60);
    host.overlay->setScreenSelection(box);
    host.overlay->setRotationAngle(20);
    QSignalSpy changed(host.overlay, &ResizerOverlay::rotationAngleChanged);

    const QPoint ring = host.onScreen(QPointF(390, 240));
    host.press(ring);
    QVERIFY(host.overlay->isChanging());
    host.move(box.center().toPoint());
    QCOMPARE(host.overlay->rotationAngle(), 20.0);
    QCOMPARE(changed.count(), 0);

    // The drag is still live: leaving the centre turns the box again.
    host.move(QPoint(320, 360));
    host.release(QPoint(320, 360));
    QVERIFY(!qIsNaN(host.overlay->rotationAngle()));
    QCOMPARE(changed.count(), 1);
    QVERIFY(!qFuzzyCompare(host.overlay->rotationAngle(), 20.0));
}

void tst_ResizerOverlay::rotatedResizeKeepsTheFixedPoint_data()
{
    QTest::addColumn<QPointF>("grabbed");
    QTest::addColumn<QPointF>("fixed");
    QTest::addColumn<QPoint>("delta");

    const QRectF box(260, 170, 120, 60);
    QTest::newRow("bottom-right outwards") << box.bottomRight() << box.topLeft() << QPoint(30, 40);
    QTest::newRow("top-left outwards") << box.topLeft() << box.bottomRight() << QPoint(-20, -35);
    QTest::newRow("top-right inwards") << box.topRight() << box.bottomLeft() << QPoint(-20, 10);
    QTest::newRow("right edge outwards") << QPointF(box.right(), box.center().y())
                                         << QPointF(box.left(), box.center().y()) << QPoint(35, 20);
    QTest::newRow("top edge inwards") << QPointF(box.center().x(), box.top())
                                      << QPointF(box.center().x(), box.bottom()) << QPoint(-5, 12);
}

void tst_ResizerOverlay::rotatedResizeKeepsTheFixedPoint()
{
    QFETCH(QPointF, grabbed);
    QFETCH(QPointF, fixed);
    QFETCH(QPoint, delta);

    Host host;
    QVERIFY(host.exposed());
    const QRectF box(260, 170, 120, 60);
    host.overlay->setScreenSelection(box);
    host.overlay->setRotationAngle(30);
    const QPointF fixedOnScreen = turned(box, 30, fixed);
    // The fixed point relative to the box, as fractions of its size.
    const QPointF share((fixed.x() - box.left()) / box.width(),
                        (fixed.y() - box.top()) / box.height());

    const QPoint from = host.onScreen(grabbed);
    QSignalSpy started(host.overlay, &ResizerOverlay::changeStarted);
    host.press(from);
    QCOMPARE(started.count(), 1);
    host.move(from + delta);
    host.release(from + delta);

    const QRectF now = host.overlay->screenSelection();
    QCOMPARE(host.overlay->rotationAngle(), 30.0);
    QVERIFY(now.size() != box.size());
    // The box kept its aspect.
    QVERIFY(qAbs(now.width() / now.height() - 2.0) < 1e-6);
    const QPointF fixedNow(now.left() + share.x() * now.width(),
                           now.top() + share.y() * now.height());
    QVERIFY(near(turned(now, 30, fixedNow), fixedOnScreen, 0.5));
}

void tst_ResizerOverlay::aspectFlashOncePerPress()
{
    Host host;
    QVERIFY(host.exposed());
    host.overlay->setScreenSelection(QRectF(400, 200, 100, 50));
    host.overlay->setKeepAspect(true);
    host.overlay->setAspectRatio(2.0);
    QSignalSpy flashes(host.overlay, &ResizerOverlay::needFlashKeepAspectCheck);

    const QPoint corner(500, 250);
    host.press(corner);
    // Free, reaching the right edge, pressing against it, pressing further,
    // back inside, out to the edge again, pressing again.
    const int steps[] = {50, 150, 160, 170, 50, 170, 180};
    const int expected[] = {0, 0, 1, 1, 1, 1, 2};
    for (int i = 0; i < int(std::size(steps)); ++i) {
        host.move(corner + QPoint(steps[i], 0));
        QVERIFY2(flashes.count() == expected[i], qPrintable(QStringLiteral("step %1").arg(i)));
    }
    QCOMPARE(host.overlay->screenSelection(), QRectF(400, 200, 220, 110));
    host.release(corner + QPoint(180, 0));
}

void tst_ResizerOverlay::arrowKeys_data()
{
    QTest::addColumn<QRectF>("start");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QRectF>("expected");

    QTest::newRow("right by 1") << Box << int(Qt::Key_Right) << 0 << Box.translated(1, 0);
    QTest::newRow("up by 1") << Box << int(Qt::Key_Up) << 0 << Box.translated(0, -1);
    QTest::newRow("left by 10 with Ctrl")
            << Box << int(Qt::Key_Left) << int(Qt::ControlModifier) << Box.translated(-10, 0);
    QTest::newRow("down by 10 with Shift")
            << Box << int(Qt::Key_Down) << int(Qt::ShiftModifier) << Box.translated(0, 10);
    QTest::newRow("up clamped at the top") << QRectF(200, 25, 120, 60) << int(Qt::Key_Up)
                                           << int(Qt::ControlModifier) << QRectF(200, 20, 120, 60);
    QTest::newRow("right clamped at the right")
            << QRectF(585, 150, 30, 60) << int(Qt::Key_Right) << int(Qt::ShiftModifier)
            << QRectF(590, 150, 30, 60);
    QTest::newRow("other keys do nothing") << Box << int(Qt::Key_A) << 0 << Box;
}

void tst_ResizerOverlay::arrowKeys()
{
    QFETCH(QRectF, start);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QRectF, expected);

    Host host;
    QVERIFY(host.exposed());
    host.overlay->setScreenSelection(start);
    host.overlay->setFocus();
    QCOMPARE(QApplication::focusWidget(), host.overlay);
    QTest::keyClick(host.handle(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(host.overlay->screenSelection(), expected);
}

void tst_ResizerOverlay::arrowKeysIgnored_data()
{
    QTest::addColumn<bool>("dragging");
    QTest::addColumn<int>("allowed");
    QTest::newRow("during a drag") << true << int(ResizerOverlay::All);
    QTest::newRow("without Move") << false << int(ResizerOverlay::All & ~ResizerOverlay::Move);
}

void tst_ResizerOverlay::arrowKeysIgnored()
{
    QFETCH(bool, dragging);
    QFETCH(int, allowed);

    Host host;
    QVERIFY(host.exposed());
    host.overlay->setAllowedOperations(allowed);
    host.overlay->setFocus();
    QSignalSpy moved(host.overlay, &ResizerOverlay::screenSelectionChanged);
    const QPoint inside(260, 180);
    if (dragging)
        host.press(inside);
    for (Qt::Key key : {Qt::Key_Left, Qt::Key_Up, Qt::Key_Right, Qt::Key_Down})
        QTest::keyClick(host.handle(), key);
    if (dragging)
        host.release(inside);
    QCOMPARE(moved.count(), 0);
    QCOMPARE(host.overlay->screenSelection(), Box);
}

void tst_ResizerOverlay::quietSetters()
{
    Host host;
    QVERIFY(host.exposed());
    ResizerOverlay *overlay = host.overlay;
    QList<std::shared_ptr<QSignalSpy>> spies{
            std::make_shared<QSignalSpy>(overlay, &ResizerOverlay::changeStarted),
            std::make_shared<QSignalSpy>(overlay, &ResizerOverlay::changeFinished),
            std::make_shared<QSignalSpy>(overlay, &ResizerOverlay::workingRectChanged),
            std::make_shared<QSignalSpy>(overlay, &ResizerOverlay::screenSelectionChanged),
            std::make_shared<QSignalSpy>(overlay, &ResizerOverlay::relativeSelectionChanged),
            std::make_shared<QSignalSpy>(overlay, &ResizerOverlay::rotationAngleChanged),
            std::make_shared<QSignalSpy>(overlay, &ResizerOverlay::needFlashKeepAspectCheck),
    };
    const auto signalCount = [&] {
        int n = 0;
        for (const auto &spy : spies)
            n += spy->count();
        return n;
    };

    // A moved picture carries the box along.
    overlay->setWorkingRect(WorkRect.translated(10, 5));
    QCOMPARE(overlay->screenSelection(), Box.translated(10, 5));
    // No picture: no box, and nothing under the pointer.
    overlay->setWorkingRect(QRectF());
    QVERIFY(overlay->screenSelection().isNull());
    host.press(QPoint(260, 180));
    QVERIFY(!overlay->isChanging());
    host.release(QPoint(260, 180));
    overlay->setWorkingRect(WorkRect);
    QCOMPARE(overlay->screenSelection(), Box);

    overlay->setRelativeSelectionQuiet(QRectF(10, 10, 50, 40));
    QCOMPARE(overlay->screenSelection(), QRectF(30, 30, 50, 40));
    overlay->setRotationAngleQuiet(15);
    QCOMPARE(overlay->rotationAngle(), 15.0);
    QCOMPARE(signalCount(), 0);

    // The loud setters tell, once, and not again for the same value.
    const QSignalSpy &screen = *spies.at(3);
    const QSignalSpy &relative = *spies.at(4);
    const QSignalSpy &angle = *spies.at(5);
    overlay->setScreenSelection(QRectF(40, 40, 60, 30));
    overlay->setScreenSelection(QRectF(40, 40, 60, 30));
    QCOMPARE(screen.count(), 1);
    QCOMPARE(relative.count(), 1);
    QCOMPARE(relative.last().first().toRectF(), QRectF(20, 20, 60, 30));
    overlay->setRelativeSelection(QRectF(0, 0, 60, 30));
    overlay->setRelativeSelection(QRectF(0, 0, 60, 30));
    QCOMPARE(relative.count(), 2);
    QCOMPARE(overlay->screenSelection(), QRectF(20, 20, 60, 30));
    overlay->setRotationAngle(15);
    QCOMPARE(angle.count(), 0);
    overlay->setRotationAngle(16);
    QCOMPARE(angle.count(), 1);
}

void tst_ResizerOverlay::changingOnlyDuringDrag_data()
{
    QTest::addColumn<QRectF>("work");
    QTest::addColumn<QRectF>("box");
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<int>("op");

    QTest::newRow("inside the box")
            << WorkRect << Box << QPoint(260, 180) << int(ResizerOverlay::Move);
    // A drag that begins on the overlay's own origin is a drag like any other.
    QTest::newRow("at the overlay's origin") << QRectF(0, 0, 600, 360) << QRectF(0, 0, 100, 50)
                                             << QPoint(0, 0) << int(ResizerOverlay::TopLeft);
}

void tst_ResizerOverlay::changingOnlyDuringDrag()
{
    QFETCH(QRectF, work);
    QFETCH(QRectF, box);
    QFETCH(QPoint, at);
    QFETCH(int, op);

    Host host;
    QVERIFY(host.exposed());
    host.overlay->setWorkingRect(work);
    host.overlay->setScreenSelection(box);
    QSignalSpy started(host.overlay, &ResizerOverlay::changeStarted);
    QSignalSpy finished(host.overlay, &ResizerOverlay::changeFinished);

    QVERIFY(!host.overlay->isChanging());
    host.press(at);
    QVERIFY(host.overlay->isChanging());
    QCOMPARE(started.count(), 1);
    QCOMPARE(int(started.first().first().value<Op>()), op);
    host.move(at + QPoint(5, 5));
    QVERIFY(host.overlay->isChanging());
    host.release(at + QPoint(5, 5));
    QVERIFY(!host.overlay->isChanging());
    QCOMPARE(finished.count(), 1);
    QCOMPARE(int(finished.first().first().value<Op>()), op);
}

void tst_ResizerOverlay::paint_data()
{
    QTest::addColumn<int>("allowed");
    QTest::addColumn<bool>("corners");
    QTest::addColumn<bool>("edges");
    QTest::newRow("nothing allowed") << 0 << false << false;
    QTest::newRow("everything") << int(ResizerOverlay::All) << true << true;
    QTest::newRow("no edges") << 4351 << true << false;
    QTest::newRow("edges only") << int(ResizerOverlay::Edges) << false << true;
}

void tst_ResizerOverlay::paint()
{
    QFETCH(int, allowed);
    QFETCH(bool, corners);
    QFETCH(bool, edges);

    Host host;
    QVERIFY(host.exposed());
    host.overlay->setAllowedOperations(allowed);
    const QImage image = host.render();
    if (allowed == 0) {
        // No box, no border, no shade.
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if (image.pixelColor(x, y).alpha() != 0)
                    QFAIL(qPrintable(QStringLiteral("pixel %1, %2 painted").arg(x).arg(y)));
            }
        }
        return;
    }
    const ResizerOverlay::Appearance look;
    // Corner handles sit on the corners, edge handles on the middles of the
    // sides, each reaching into the box.
    const QPointF insideCorners[] = {{201.5, 151.5}, {318.5, 151.5}, {201.5, 208.5}, {318.5, 208.5}};
    for (const QPointF &p : insideCorners)
        QCOMPARE(pixelAt(image, p) == look.handleColor, corners);
    const QPointF insideEdges[] = {{260.5, 151.5}, {260.5, 208.5}, {201.5, 180.5}, {318.5, 180.5}};
    for (const QPointF &p : insideEdges)
        QCOMPARE(pixelAt(image, p) == look.handleColor, edges);
    // Inside the box, clear of handles, nothing; outside it, the shade.
    QCOMPARE(pixelAt(image, {260.5, 180.5}).alpha(), 0);
    QCOMPARE(pixelAt(image, {100.5, 100.5}), look.shadeColor);
    QCOMPARE(pixelAt(image, {5.5, 5.5}).alpha(), 0);
}

void tst_ResizerOverlay::paintStyle1070()
{
    Host host(1070);
    QVERIFY(host.exposed());
    const QImage image = host.render();
    const QColor accent = kelStyle()->color(KelStyle::CL_Accent);
    // The border lies in the two pixels outside the box; the box stays
    // clear and nothing is shaded.
    QCOMPARE(pixelAt(image, {240.5, 148.5}), accent);
    QCOMPARE(pixelAt(image, {240.5, 149.5}), accent);
    QCOMPARE(pixelAt(image, {240.5, 150.5}).alpha(), 0);
    QCOMPARE(pixelAt(image, {240.5, 147.5}).alpha(), 0);
    QCOMPARE(pixelAt(image, {100.5, 100.5}).alpha(), 0);
    // Round white handles centred on the corners.
    for (const QPointF &corner : {Box.topLeft(), Box.bottomRight()}) {
        for (const QPointF &offset :
             {QPointF(-1.5, -1.5), QPointF(1.5, 1.5), QPointF(-1.5, 1.5), QPointF(1.5, -1.5)})
            QCOMPARE(pixelAt(image, corner + offset), QColor(Qt::white));
        QCOMPARE(pixelAt(image, corner + QPointF(-4.5, -4.5)).alpha(), 0);
    }
}

void tst_ResizerOverlay::cursors_data()
{
    QTest::addColumn<QPointF>("point");
    QTest::addColumn<double>("angle");
    QTest::addColumn<QString>("picture");
    QTest::addColumn<double>("turn");

    QTest::newRow("top-left corner") << QPointF(200, 150) << 0.0 << "resize_diag" << 0.0;
    QTest::newRow("top-right corner at 30") << QPointF(320, 150) << 30.0 << "resize_diag" << 120.0;
    QTest::newRow("bottom-right corner at 300")
            << QPointF(320, 210) << 300.0 << "resize_diag" << 300.0;
    QTest::newRow("top-left ring at 30") << QPointF(190, 146) << 30.0 << "rotate" << 345.0;
    QTest::newRow("top-right ring") << QPointF(330, 146) << 0.0 << "rotate" << 45.0;
    QTest::newRow("bottom-left ring") << QPointF(190, 214) << 0.0 << "rotate" << 225.0;
    QTest::newRow("bottom-right ring") << QPointF(332, 214) << 0.0 << "rotate" << 135.0;
    QTest::newRow("top edge at 30") << QPointF(260, 152) << 30.0 << "resize_hor" << 120.0;
    QTest::newRow("left edge at 330") << QPointF(200, 180) << 330.0 << "resize_hor" << 330.0;
}

void tst_ResizerOverlay::cursors()
{
    QFETCH(QPointF, point);
    QFETCH(double, angle);
    QFETCH(QString, picture);
    QFETCH(double, turn);

    Host host;
    QVERIFY(host.exposed());
    host.overlay->setRotationAngle(angle);
    host.move(host.onScreen(point));
    QVERIFY(host.overlay->testAttribute(Qt::WA_SetCursor));

    const double ratio = host.overlay->devicePixelRatioF();
    const QString suffix = host.overlay->devicePixelRatio() == 1 ? ".svg" : "_125+.svg";
    const QString path = ":/mouse/" + picture + suffix;
    QVERIFY(QFile::exists(path));
    const QCursor cursor = host.overlay->cursor();
    const QImage shown = cursor.pixmap().toImage();
    QCOMPARE(cursor.pixmap().devicePixelRatio(), ratio);
    QCOMPARE(shown, expectedCursor(path, turn, ratio));
    QCOMPARE(cursor.hotSpot(), QPoint(12, 12));

    // Off the box the overlay gives the cursor back.
    host.move(QPoint(100, 100));
    QVERIFY(!host.overlay->testAttribute(Qt::WA_SetCursor));
}

void tst_ResizerOverlay::styleAppearance_data()
{
    QTest::addColumn<QString>("theme");
    QTest::newRow("light") << "LightStyle";
    QTest::newRow("dark") << "DarkStyle";
}

void tst_ResizerOverlay::styleAppearance()
{
    QFETCH(QString, theme);

    ResizerOverlay overlay(1070);
    // Switched after construction: the theme change re-applies the look.
    QVERIFY(KelStyleManager::instance()->setCurrentStyle(theme));
    const ResizerOverlay::Appearance a = overlay.appearance();
    const QColor accent = kelStyle()->color(KelStyle::CL_Accent);
    QCOMPARE(a.shadeColor.alpha(), 0);
    QCOMPARE(a.hitMargin, 4);
    QCOMPARE(a.borderWidth, 2);
    QCOMPARE(a.borderOffset, -2);
    QCOMPARE(a.borderColor, accent);
    QCOMPARE(a.borderStyle, int(Qt::SolidLine));
    QCOMPARE(a.handleSize, 10);
    QCOMPARE(a.handleOffset, -5);
    QCOMPARE(a.handleBorderWidth, 1);
    QCOMPARE(a.handleRadius, 5);
    QCOMPARE(a.handleBorderColor, accent);
    QCOMPARE(a.handleColor, QColor(Qt::white));
    QVERIFY(KelStyleManager::instance()->setCurrentStyle(QStringLiteral("LightStyle")));

    // Other ids keep the overlay's own look.
    ResizerOverlay plain(1069);
    QCOMPARE(plain.appearance().handleSize, 8);
    QCOMPARE(plain.appearance().borderColor, QColor(Qt::red));
}

void tst_ResizerOverlay::diagnosticsFollowMaintenanceMode()
{
    Host host;
    QVERIFY(host.exposed());
    const auto box = [&] { return host.overlay->findChild<QCheckBox *>(); };
    QVERIFY(!box());
    const QImage plain = host.render();

    kelUi()->setMaintenanceMode(true);
    QVERIFY(box());
    QCOMPARE(box()->text(), QStringLiteral("Debug resizer"));
    QCOMPARE(box()->pos(), QPoint(0, 0));
    QVERIFY(box()->isVisible());
    // Unchecked, the picture stays as it was around the box.
    QCOMPARE(pixelAt(host.render(), {300.5, 250.5}), pixelAt(plain, {300.5, 250.5}));
    box()->setChecked(true);
    // The zones are drawn: the bottom-right rotate ring shows.
    const QImage diagnostics = host.render();
    QVERIFY(pixelAt(diagnostics, {334.5, 222.5}) != pixelAt(plain, {334.5, 222.5}));

    // A second overlay made in maintenance mode has its box at once.
    ResizerOverlay other(-1, &host.window);
    QVERIFY(other.findChild<QCheckBox *>());

    kelUi()->setMaintenanceMode(false);
    QVERIFY(!box());
    QVERIFY(!other.findChild<QCheckBox *>());
}

int main(int argc, char **argv)
{
    KelApplication app(argc, argv);
    tst_ResizerOverlay test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_resizeroverlay.moc"

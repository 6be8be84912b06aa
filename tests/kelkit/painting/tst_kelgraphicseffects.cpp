#include "kelapplication.h"
#include "kelui.h"
#include "painting/kelgraphicsdropshadoweffect.h"
#include "painting/kelgraphicsopacityeffect.h"
#include "painting/kelpixmapcache.h"

#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QtTest>

#include <memory>

namespace {

// A widget painted in one colour.
class Solid : public QWidget
{
public:
    Solid(const QColor &color, QWidget *parent) : QWidget(parent), color(color) { }

    QColor color;

protected:
    void paintEvent(QPaintEvent *) override { QPainter(this).fillRect(rect(), color); }
};

// A white window with a 40 x 40 red child at (20, 20).
struct Scene
{
    Scene()
    {
        window.resize(120, 120);
        child.setGeometry(20, 20, 40, 40);
        window.show();
    }

    QColor pixel(int x, int y) { return window.grab().toImage().pixelColor(x, y); }

    Solid window{Qt::white, nullptr};
    Solid child{Qt::red, &window};
};

QString shadowKey(const QColor &color)
{
    // A 40 x 40 widget with offset (8, 8) and blur 1: padded to 50 x 50.
    return QStringLiteral("ShadowEffect-50-50-1-1-8-8-%1").arg(color.name(QColor::HexArgb));
}

} // namespace

class tst_KelGraphicsEffects : public QObject
{
    Q_OBJECT

private slots:
    void opacityIsClampedAndSwitchesEffect_data();
    void opacityIsClampedAndSwitchesEffect();
    void drawsAtWidgetPosition_data();
    void drawsAtWidgetPosition();
    void forceRepaintCachesAndCoversScrollAreas();
    void shadowStaysEnabledAndLimitsPadding();
    void shadowSignalsOnlyOnChange();
    void shadowColoursAreCachedApart();
    void transparentWidgetShadowIsNotCached();
};

void tst_KelGraphicsEffects::opacityIsClampedAndSwitchesEffect_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("stored");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("above 1") << 1.5 << 1.0 << false;
    QTest::newRow("below 0") << -1.0 << 0.0 << true;
    QTest::newRow("between") << 0.25 << 0.25 << true;
}

void tst_KelGraphicsEffects::opacityIsClampedAndSwitchesEffect()
{
    QFETCH(double, value);
    QFETCH(double, stored);
    QFETCH(bool, enabled);
    QWidget widget;
    auto effect = new KelGraphicsOpacityEffect(&widget);
    QCOMPARE(widget.graphicsEffect(), effect);
    QCOMPARE(effect->opacity(), 1.0);
    QVERIFY(!effect->isEnabled());

    effect->setOpacity(0.5);
    effect->setOpacity(value);
    QCOMPARE(effect->opacity(), stored);
    QCOMPARE(effect->isEnabled(), enabled);

    effect->setDisableAtFullOpacity(false);
    QVERIFY(effect->isEnabled());
    effect->setDisableAtFullOpacity(true);
    QCOMPARE(effect->isEnabled(), enabled);
}

void tst_KelGraphicsEffects::drawsAtWidgetPosition_data()
{
    QTest::addColumn<double>("opacity");
    QTest::addColumn<int>("edge");
    QTest::addColumn<QPoint>("inside");
    QTest::addColumn<QPoint>("outside");
    // The child covers 20..59; sliding by 20 at opacity 0.5 moves its
    // picture by 10, clipped to the child's own rectangle.
    QTest::newRow("no slide") << 0.5 << 0 << QPoint(57, 57) << QPoint(10, 10);
    QTest::newRow("left") << 0.5 << int(Qt::LeftEdge) << QPoint(22, 40) << QPoint(55, 40);
    QTest::newRow("right") << 0.5 << int(Qt::RightEdge) << QPoint(57, 40) << QPoint(25, 40);
    QTest::newRow("top") << 0.5 << int(Qt::TopEdge) << QPoint(40, 22) << QPoint(40, 55);
    QTest::newRow("bottom") << 0.5 << int(Qt::BottomEdge) << QPoint(40, 57) << QPoint(40, 25);
    QTest::newRow("transparent") << 0.0 << 0 << QPoint(-1, -1) << QPoint(40, 40);
}

void tst_KelGraphicsEffects::drawsAtWidgetPosition()
{
    QFETCH(double, opacity);
    QFETCH(int, edge);
    QFETCH(QPoint, inside);
    QFETCH(QPoint, outside);
    Scene scene;
    auto effect = new KelGraphicsOpacityEffect(&scene.child);
    effect->setOpacity(opacity);
    if (edge) {
        effect->setSlideEdge(Qt::Edge(edge));
        effect->setSlideDistance(20);
    }
    const QImage image = scene.window.grab().toImage();
    if (inside.x() >= 0) {
        const QColor half = image.pixelColor(inside);
        QVERIFY2(qAbs(half.red() - 255) <= 1 && qAbs(half.green() - 128) <= 2,
                 qPrintable(half.name()));
    }
    QCOMPARE(image.pixelColor(outside), QColor(Qt::white));
}

void tst_KelGraphicsEffects::forceRepaintCachesAndCoversScrollAreas()
{
    Scene scene;
    auto area = new QScrollArea(&scene.child);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area->show();
    auto hiddenArea = new QScrollArea(&scene.child);
    auto effect = new KelGraphicsOpacityEffect(&scene.child);
    effect->setOpacity(0.5);

    effect->installForceRepaint();
    QCOMPARE(area->viewport()->graphicsEffect()->objectName(), QStringLiteral("ForceRepaintEffect"));
    QCOMPARE(area->verticalScrollBar()->graphicsEffect()->objectName(),
             QStringLiteral("ForceRepaintEffect"));
    QVERIFY(!area->horizontalScrollBar()->graphicsEffect());
    QVERIFY(!hiddenArea->viewport()->graphicsEffect());

    // While installed the child's picture is taken once and reused.
    const QColor first = scene.pixel(22, 22);
    scene.child.color = Qt::blue;
    QCOMPARE(scene.pixel(22, 22), first);

    effect->removeForceRepaint();
    QVERIFY(!area->viewport()->graphicsEffect());
    QVERIFY(!area->verticalScrollBar()->graphicsEffect());
    QVERIFY(scene.pixel(22, 22) != first);

    // Removing the effect takes the pass-through effects with it.
    effect->installForceRepaint();
    QVERIFY(area->viewport()->graphicsEffect());
    scene.child.setGraphicsEffect(nullptr);
    QVERIFY(!area->viewport()->graphicsEffect());
}

void tst_KelGraphicsEffects::shadowStaysEnabledAndLimitsPadding()
{
    QWidget widget;
    widget.resize(40, 40);
    auto effect = new KelGraphicsDropShadowEffect(&widget);
    QVERIFY(effect->isEnabled());
    QCOMPARE(effect->offset(), QPointF(8, 8));
    QCOMPARE(effect->color(), QColor(63, 63, 63, 180));
    QCOMPARE(effect->blurRadius(), 1.0);

    const QRectF rect(0, 0, 40, 40);
    QCOMPARE(effect->boundingRectFor(rect), QRectF(0, 0, 50, 50));
    effect->setPadding(KelMargins(30, 30, 30, 30));
    QCOMPARE(effect->effectivePadding(), KelMargins(18, 18, 18, 18));
    // The shadow rectangle shrinks to 4 x 4 at (26, 26), grown by 2.
    QCOMPARE(effect->boundingRectFor(rect), rect);
    effect->setPadding(KelMargins(30, 0, 0, 0));
    QCOMPARE(effect->effectivePadding(), KelMargins(18, 0, 0, 0));
}

void tst_KelGraphicsEffects::shadowSignalsOnlyOnChange()
{
    QWidget widget;
    auto effect = new KelGraphicsDropShadowEffect(&widget);
    QSignalSpy offsets(effect, &KelGraphicsDropShadowEffect::offsetChanged);
    QSignalSpy colours(effect, &KelGraphicsDropShadowEffect::colorChanged);
    QSignalSpy radii(effect, &KelGraphicsDropShadowEffect::blurRadiusChanged);

    effect->setOffset(QPointF(8, 8));
    effect->setXOffset(0.0);
    effect->setXOffset(1e-13);
    effect->setYOffset(3.0);
    QCOMPARE(offsets.count(), 2);
    QCOMPARE(effect->offset(), QPointF(0, 3));

    const QRectF before = effect->boundingRectFor(QRectF(0, 0, 40, 40));
    effect->setColor(Qt::blue);
    effect->setColor(Qt::blue);
    QCOMPARE(colours.count(), 1);
    QCOMPARE(effect->boundingRectFor(QRectF(0, 0, 40, 40)), before);

    effect->setBlurRadius(1.0);
    effect->setBlurRadius(4.0);
    QCOMPARE(radii.count(), 1);
}

void tst_KelGraphicsEffects::shadowColoursAreCachedApart()
{
    KelPixmapCache *cache = kelUi()->shadowCache();
    const QColor blue(0, 0, 255), green(0, 255, 0);
    QColor seen[2];
    for (int i = 0; i < 2; ++i) {
        Scene scene;
        scene.child.setAttribute(Qt::WA_OpaquePaintEvent);
        auto effect = new KelGraphicsDropShadowEffect(&scene.child);
        effect->setColor(i == 0 ? blue : green);
        seen[i] = scene.pixel(64, 40); // right of the child, inside its shadow
    }
    QVERIFY2(seen[0].blue() > 200 && seen[0].green() < 60, qPrintable(seen[0].name()));
    QVERIFY2(seen[1].green() > 200 && seen[1].blue() < 60, qPrintable(seen[1].name()));
    QVERIFY(cache->find(shadowKey(blue), nullptr));
    QVERIFY(cache->find(shadowKey(green), nullptr));

    // Two widgets alike share the picture: a second one finds it cached.
    QPixmap cached;
    QVERIFY(cache->find(shadowKey(blue), &cached));
    Scene scene;
    scene.child.setAttribute(Qt::WA_OpaquePaintEvent);
    auto effect = new KelGraphicsDropShadowEffect(&scene.child);
    effect->setColor(blue);
    cache->insert(shadowKey(blue), QPixmap()); // a marker: an empty picture
    const QColor shared = scene.pixel(64, 40);
    QCOMPARE(shared, QColor(Qt::white));
}

void tst_KelGraphicsEffects::transparentWidgetShadowIsNotCached()
{
    const QColor magenta(255, 0, 255);
    Scene scene;
    auto effect = new KelGraphicsDropShadowEffect(&scene.child);
    effect->setColor(magenta);
    const QColor shadow = scene.pixel(64, 40);
    QVERIFY2(shadow.red() > 200 && shadow.green() < 60, qPrintable(shadow.name()));
    QVERIFY(!kelUi()->shadowCache()->find(shadowKey(magenta), nullptr));
}

int main(int argc, char **argv)
{
    KelApplication app(argc, argv);
    tst_KelGraphicsEffects test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_kelgraphicseffects.moc"

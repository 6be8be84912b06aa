#include "kelapplication.h"
#include "kelui.h"
#include "manualanimationdriver.h"
#include "painting/kelgraphicsopacityeffect.h"
#include "painting/kelpixmapcache.h"
#include "styles/kelstyle.h"
#include "widgets/kelabstractscrollareashadows.h"
#include "widgets/kellinearshadowwidget.h"
#include "widgets/kelscrollarea.h"

#include <QScrollBar>
#include <QVBoxLayout>
#include <QtTest>

namespace {

// A window holding a 200 x 100 scroll area at (10, 10) over a list of
// rows 20 px high.
struct Scene
{
    explicit Scene(int rows)
    {
        window.resize(220, 120);
        area = new KelScrollArea(&window);
        area->setGeometry(10, 10, 200, 100);
        area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        area->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        auto *content = new QWidget;
        content->setFixedHeight(rows * 20);
        area->setWidget(content);
    }

    KelLinearShadowWidget *shadow(Qt::Edge edge) const
    {
        for (KelLinearShadowWidget *s : window.findChildren<KelLinearShadowWidget *>()) {
            if (s->edge() == edge)
                return s;
        }
        return nullptr;
    }

    // Visible with its fade finished.
    static bool shown(KelLinearShadowWidget *shadow)
    {
        if (!shadow->isVisible())
            return false;
        auto *effect = qobject_cast<KelGraphicsOpacityEffect *>(shadow->graphicsEffect());
        return !effect || qFuzzyCompare(effect->opacity(), 1.0);
    }

    QWidget window;
    KelScrollArea *area;
};

// The alpha of each pixel along the middle of a shadow, across its
// thickness, starting at the shadow's top or left.
QList<int> alphaAcross(KelLinearShadowWidget *shadow)
{
    QImage image(shadow->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    shadow->render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
    QList<int> alphas;
    const bool horizontal = shadow->edge() == Qt::TopEdge || shadow->edge() == Qt::BottomEdge;
    const int count = horizontal ? image.height() : image.width();
    for (int i = 0; i < count; ++i) {
        const QPoint at = horizontal ? QPoint(image.width() / 2, i) : QPoint(i, image.height() / 2);
        alphas << qAlpha(image.pixel(at));
    }
    return alphas;
}

} // namespace

class tst_KelScrollAreaShadows : public QObject
{
    Q_OBJECT

private slots:
    void scrollFollowingTopShadow();
    void steadyBottomShadowFollowsTheArea();
    void shadowsAreReplacedAndDieWithTheArea();
    void geometry_data();
    void geometry();
    void followsTargetAndParent();
    void styleAndPainting();
};

void tst_KelScrollAreaShadows::scrollFollowingTopShadow()
{
    ManualAnimationDriver driver;
    Scene fits(3);
    fits.area->shadows()->setShadowEdges(Qt::TopEdge | Qt::BottomEdge, KelStyle::WT_Shadow,
                                         Qt::TopEdge);
    fits.window.show();
    QCOMPARE(fits.area->verticalScrollBar()->maximum(), 0);
    QVERIFY(!fits.shadow(Qt::TopEdge)->isVisible());

    Scene scene(20);
    scene.area->shadows()->setShadowEdges(Qt::TopEdge, KelStyle::WT_Shadow, Qt::TopEdge);
    scene.window.show();
    KelLinearShadowWidget *top = scene.shadow(Qt::TopEdge);
    QVERIFY(!top->isVisible());

    // One pixel down: the shadow fades in.
    scene.area->verticalScrollBar()->setValue(1);
    QVERIFY(top->isVisible());
    QVERIFY(!Scene::shown(top));
    driver.advanceInSteps(300);
    QVERIFY(Scene::shown(top));

    // Back at the top: it fades out and hides.
    scene.area->verticalScrollBar()->setValue(0);
    QVERIFY(top->isVisible());
    driver.advanceInSteps(300);
    QVERIFY(!top->isVisible());
}

void tst_KelScrollAreaShadows::steadyBottomShadowFollowsTheArea()
{
    Scene scene(20);
    scene.area->shadows()->setShadowEdges(Qt::TopEdge | Qt::BottomEdge, KelStyle::WT_Shadow,
                                          Qt::TopEdge);
    scene.window.show();
    KelLinearShadowWidget *bottom = scene.shadow(Qt::BottomEdge);
    QVERIFY(bottom->isVisible());
    scene.area->verticalScrollBar()->setValue(scene.area->verticalScrollBar()->maximum());
    QVERIFY(bottom->isVisible());
    scene.area->hide();
    QVERIFY(!bottom->isVisible());
    scene.area->show();
    QVERIFY(bottom->isVisible());
    // Shown again at the end of the list, the scroll-following top
    // shadow is there at once.
    QVERIFY(Scene::shown(scene.shadow(Qt::TopEdge)));
}

void tst_KelScrollAreaShadows::shadowsAreReplacedAndDieWithTheArea()
{
    Scene scene(20);
    scene.area->shadows()->setShadowEdges(Qt::TopEdge | Qt::BottomEdge, KelStyle::WT_Shadow,
                                          Qt::TopEdge);
    QCOMPARE(scene.window.findChildren<KelLinearShadowWidget *>().size(), 2);
    scene.area->shadows()->setShadowEdges(Qt::LeftEdge, KelStyle::WT_Shadow, {});
    QCOMPARE(scene.window.findChildren<KelLinearShadowWidget *>().size(), 1);
    QVERIFY(scene.shadow(Qt::LeftEdge));
    delete scene.area;
    QVERIFY(scene.window.findChildren<KelLinearShadowWidget *>().isEmpty());
}

void tst_KelScrollAreaShadows::geometry_data()
{
    QTest::addColumn<int>("edge");
    QTest::addColumn<int>("placement");
    QTest::addColumn<QRect>("expected");

    // Target at (10, 10), 200 x 100; shadow size 20.
    const int inside = KelLinearShadowWidget::InsideEdge;
    const int outside = KelLinearShadowWidget::OutsideEdge;
    QTest::newRow("top inside") << int(Qt::TopEdge) << inside << QRect(10, 10, 200, 20);
    QTest::newRow("bottom inside") << int(Qt::BottomEdge) << inside << QRect(10, 90, 200, 20);
    QTest::newRow("left inside") << int(Qt::LeftEdge) << inside << QRect(10, 10, 20, 100);
    QTest::newRow("right inside") << int(Qt::RightEdge) << inside << QRect(190, 10, 20, 100);
    QTest::newRow("top outside") << int(Qt::TopEdge) << outside << QRect(10, -10, 200, 20);
    QTest::newRow("left outside") << int(Qt::LeftEdge) << outside << QRect(-10, 10, 20, 100);
    QTest::newRow("right outside") << int(Qt::RightEdge) << outside << QRect(210, 10, 20, 100);
    QTest::newRow("bottom outside") << int(Qt::BottomEdge) << outside << QRect(10, 110, 200, 20);
}

void tst_KelScrollAreaShadows::geometry()
{
    QFETCH(int, edge);
    QFETCH(int, placement);
    QFETCH(QRect, expected);

    QWidget parent;
    QWidget target(&parent);
    target.setGeometry(10, 10, 200, 100);
    KelLinearShadowWidget shadow(42, Qt::Edge(edge), placement, &target);
    QCOMPARE(shadow.parentWidget(), &parent);
    QCOMPARE(shadow.geometry(), expected);
    QVERIFY(shadow.testAttribute(Qt::WA_TransparentForMouseEvents));
    QCOMPARE(shadow.objectName(), QStringLiteral("LinearShadowWidget"));
}

void tst_KelScrollAreaShadows::followsTargetAndParent()
{
    QWidget first;
    QWidget second;
    auto *target = new QWidget(&first);
    target->setGeometry(0, 0, 100, 50);
    KelLinearShadowWidget shadow(42, Qt::BottomEdge, KelLinearShadowWidget::InsideEdge, target);
    first.show();
    second.show();
    QVERIFY(shadow.isVisible());

    target->setGeometry(5, 5, 80, 60);
    QCOMPARE(shadow.geometry(), QRect(5, 45, 80, 20));
    target->hide();
    QVERIFY(!shadow.isVisible());
    target->show();
    QVERIFY(shadow.isVisible());

    target->setParent(&second);
    target->show();
    QCOMPARE(shadow.parentWidget(), &second);
    QVERIFY(shadow.isVisible());
    QCOMPARE(second.children().last(), &shadow);
    // A free-standing shadow takes its size from its thickness.
    KelLinearShadowWidget free(-1, Qt::LeftEdge, KelLinearShadowWidget::FreeStanding, nullptr);
    free.setShadowSize(12);
    QCOMPARE(free.minimumWidth(), 12);
    QCOMPARE(free.maximumWidth(), 12);
    QCOMPARE(free.maximumHeight(), QWIDGETSIZE_MAX);
}

void tst_KelScrollAreaShadows::styleAndPainting()
{
    QWidget parent;
    parent.resize(300, 200);
    QWidget target(&parent);
    target.setGeometry(10, 10, 200, 100);
    KelLinearShadowWidget top(42, Qt::TopEdge, KelLinearShadowWidget::InsideEdge, &target);
    KelLinearShadowWidget left(42, Qt::LeftEdge, KelLinearShadowWidget::OutsideEdge, &target);
    QCOMPARE(top.shadowSize(), kelStyle()->metric(KelStyle::M_Window_ShadowSize));
    QCOMPARE(top.color(), kelStyle()->color(KelStyle::CL_Window_Shadow));
    parent.show();

    // Dark against the target's edge, fading away from it.
    const QList<int> inside = alphaAcross(&top);
    QVERIFY2(inside.first() > 0 && inside.first() > inside.last() + 10,
             qPrintable(QString::number(inside.first())));
    const QList<int> outside = alphaAcross(&left);
    QVERIFY2(outside.last() > outside.first() + 10, qPrintable(QString::number(outside.last())));

    // The tile is kept in the shared shadow cache.
    const QString key = QStringLiteral("%1-%2-%3")
                                .arg(top.devicePixelRatioF(), 0, 'g')
                                .arg(2 * top.shadowSize())
                                .arg(top.color().rgba());
    QVERIFY(kelUi()->shadowCache()->find(key, nullptr));

    // A fully transparent colour paints nothing.
    top.setColor(QColor(0, 0, 0, 0));
    for (int alpha : alphaAcross(&top))
        QCOMPARE(alpha, 0);
}

int main(int argc, char **argv)
{
    KelApplication app(argc, argv);
    tst_KelScrollAreaShadows test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_kelscrollareashadows.moc"

#include "paintprobe.h"
#include "animators/kelwidgetstateanimator.h"
#include "painting/kelframepainter.h"
#include "painting/kelpaintcontext.h"

#include <QtTest>

#include <cmath>

Q_DECLARE_METATYPE(QMargins)

namespace {

using PaintProbe::canvas;
using PaintProbe::pixelIs;

const QColor red(255, 0, 0);
const QColor clear(0, 0, 0, 0);

// Counts the hooks the setters call.
class CountingPainter : public KelFramePainter
{
public:
    explicit CountingPainter(QWidget *owner = nullptr) : KelFramePainter(owner) { }
    int geometryChanges = 0;
    int invalidations = 0;

protected:
    void onGeometryChanged() override { ++geometryChanges; }
    void onInvalidated() override
    {
        ++invalidations;
        KelFramePainter::onInvalidated();
    }
};

void paint(KelFramePainter &painter, QImage &image, const QColor &border, const QColor &background)
{
    KelPaintContext ctx(&image);
    painter.drawFrame(ctx, border, background);
}

} // namespace

class tst_KelFramePainter : public QObject
{
    Q_OBJECT

private slots:
    void settersCallHooksOnlyOnChange();
    void contentsRectAndSizeHint();
    void variadicBorders();
    void roundedVariadicBordersWarn();
    void dashedVariadicBordersAreSolid();
    void penWidthAtFractionalRatio();
    void invalidFrameRectDrawsNothingUntilValid();
    void backgroundFollowsStateProgress();
    void framePathMasksOwner();
};

void tst_KelFramePainter::settersCallHooksOnlyOnChange()
{
    CountingPainter painter;
    const QMargins m(1, 2, 3, 4);
    painter.setMargins(m);
    painter.setBorderWidths(m);
    painter.setCornerRadii(m);
    painter.setContentsMargins(m);
    QCOMPARE(painter.geometryChanges, 4);
    QCOMPARE(painter.invalidations, 4);

    painter.setMargins(m);
    painter.setBorderWidths(m);
    painter.setPaddings(m);
    painter.setContentsMargins(m);
    QCOMPARE(painter.geometryChanges, 4);
    QCOMPARE(painter.invalidations, 4);
    QCOMPARE(painter.radius(), 1);

    // Colours repaint only; geometry stays valid.
    painter.setFrameRect(QRect(0, 0, 40, 40));
    painter.ensureGeometryIsValid();
    painter.setBackground(KelStateColors(red));
    painter.setBorderColors(KelStateColors(red));
    QCOMPARE(painter.geometryChanges, 4);
    QCOMPARE(painter.invalidations, 5);

    painter.setFrameSize(QSize(40, 40));
    QCOMPARE(painter.invalidations, 5);
    painter.setFrameSize(QSize(50, 40));
    QCOMPARE(painter.invalidations, 6);
    QCOMPARE(painter.frameRect(), QRect(0, 0, 50, 40));
}

void tst_KelFramePainter::contentsRectAndSizeHint()
{
    KelFramePainter painter(nullptr);
    painter.setMargins(QMargins(1, 2, 3, 4));
    painter.setBorderWidths(QMargins(1, 1, 1, 1));
    painter.setContentsMargins(QMargins(8, 0, 8, 0));
    QCOMPARE(painter.sizeHint(), QSize(1 + 3 + 2 + 16, 2 + 4 + 2));
    QCOMPARE(painter.minimumSizeHint(), painter.sizeHint());
    painter.setFrameRect(QRect(0, 0, 100, 30));
    painter.ensureGeometryIsValid();
    QCOMPARE(painter.contentsRect(), QRect(10, 3, 100 - 22, 30 - 8));
}

void tst_KelFramePainter::variadicBorders()
{
    KelFramePainter painter(nullptr);
    painter.setFrameRect(QRect(0, 0, 20, 10));
    painter.setBorderWidths(QMargins(1, 0, 1, 0));
    QImage image = canvas(QSize(20, 10));
    paint(painter, image, red, QColor());
    for (int y : {0, 5, 9}) {
        QVERIFY(pixelIs(image, 0, y, red));
        QVERIFY(pixelIs(image, 19, y, red));
        QVERIFY(pixelIs(image, 1, y, clear));
        QVERIFY(pixelIs(image, 10, y, clear));
        QVERIFY(pixelIs(image, 18, y, clear));
    }

    // The fill stops inside the borders when asked.
    painter.setPenOverlapping(1);
    painter.setBorderWidths(QMargins(2, 0, 0, 1));
    image = canvas(QSize(20, 10));
    paint(painter, image, red, Qt::blue);
    QVERIFY(pixelIs(image, 1, 0, red));
    QVERIFY(pixelIs(image, 10, 9, red));
    QVERIFY(pixelIs(image, 2, 0, Qt::blue));
    QVERIFY(pixelIs(image, 19, 8, Qt::blue));
}

void tst_KelFramePainter::roundedVariadicBordersWarn()
{
    KelFramePainter painter(nullptr);
    painter.setFrameRect(QRect(0, 0, 20, 10));
    painter.setBorderWidths(QMargins(1, 0, 1, 0));
    painter.setCornerRadii(QMargins(2, 2, 2, 2));
    QImage image = canvas(QSize(20, 10));
    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression("^Rounded frame can't have variadic-width borders!"));
    paint(painter, image, red, QColor());
    // Drawn on with the left width all round.
    QVERIFY(pixelIs(image, 10, 0, red));
}

void tst_KelFramePainter::dashedVariadicBordersAreSolid()
{
    KelFramePainter painter(nullptr);
    painter.setFrameRect(QRect(0, 0, 20, 10));
    painter.setBorderWidths(QMargins(0, 1, 0, 1));
    painter.setDashPattern({2.0, 2.0});
    QImage image = canvas(QSize(20, 10));
    QTest::ignoreMessage(QtCriticalMsg,
                         QRegularExpression(
                                 "^Dash-pen .* is not implemented for variadic-width borders"));
    paint(painter, image, red, QColor());
    for (int x = 0; x < 20; ++x)
        QVERIFY(pixelIs(image, x, 0, red));
}

void tst_KelFramePainter::penWidthAtFractionalRatio()
{
    KelFramePainter painter(nullptr);
    painter.setFrameRect(QRect(0, 0, 20, 20));
    painter.setBorderWidths(QMargins(1, 1, 1, 1));
    QImage image = canvas(QSize(20, 20), 1.5);
    paint(painter, image, red, QColor());
    // Two whole device pixels wide, nothing inside.
    QVERIFY(pixelIs(image, 0, 15, red));
    QVERIFY(pixelIs(image, 1, 15, red));
    QVERIFY(pixelIs(image, 2, 15, clear));
    QVERIFY(pixelIs(image, 15, 15, clear));
    QVERIFY(pixelIs(image, 29, 15, red));
    QVERIFY(pixelIs(image, 28, 15, red));
    QVERIFY(pixelIs(image, 27, 15, clear));
}

void tst_KelFramePainter::invalidFrameRectDrawsNothingUntilValid()
{
    KelFramePainter painter(nullptr);
    painter.setFrameRect(QRect(0, 0, 0, 0));
    QImage image = canvas(QSize(10, 10));
    QTest::ignoreMessage(QtWarningMsg, "Frame rect is not valid!");
    paint(painter, image, QColor(), red);
    QVERIFY(pixelIs(image, 5, 5, clear));
    QCOMPARE(painter.contentsRect(), QRect());

    painter.setFrameRect(QRect(0, 0, 10, 10));
    paint(painter, image, QColor(), red);
    QVERIFY(pixelIs(image, 5, 5, red));
}

void tst_KelFramePainter::backgroundFollowsStateProgress()
{
    KelWidgetStateAnimator animator(0);
    KelFramePainter painter(nullptr);
    painter.setFrameRect(QRect(0, 0, 10, 10));
    painter.setBackground(
            {Qt::white, Qt::black, Qt::black, QColor(), red, Qt::black, Qt::black, QColor()});

    auto probe = [&] {
        QImage image = canvas(QSize(10, 10));
        {
            KelPaintContext ctx(&image);
            painter.paintFrame(ctx, &animator);
        }
        return image.pixelColor(5, 5);
    };
    QCOMPARE(probe(), QColor(Qt::white));
    animator.setHoveredProgress(1.0);
    QCOMPARE(probe(), QColor(Qt::black));
    animator.setHoveredProgress(0.0);
    animator.setCheckedProgress(1.0);
    QCOMPARE(probe(), red);
    animator.setCheckedProgress(0.5);
    const QColor half = probe();
    QVERIFY(half.red() == 255 && half.green() > 0 && half.green() < 255);
}

void tst_KelFramePainter::framePathMasksOwner()
{
    QWidget owner;
    owner.resize(20, 20);
    KelFramePainter painter(&owner);
    painter.setFrameRect(owner.rect());
    const auto circle = [](KelFramePainter *, const QRect &rect) {
        QPainterPath path;
        path.addEllipse(QRectF(rect));
        return path;
    };
    painter.setFramePathFunction(circle);
    painter.ensureGeometryIsValid();
    QVERIFY(!owner.mask().isEmpty());
    QVERIFY(owner.mask().contains(QPoint(10, 10)));
    QVERIFY(!owner.mask().contains(QPoint(0, 0)));

    painter.setFramePathFunction([](KelFramePainter *, const QRect &) { return QPainterPath(); });
    painter.ensureGeometryIsValid();
    QVERIFY(owner.mask().isEmpty());

    // Without a path ever, the owner's own mask is left alone.
    owner.setMask(QRegion(0, 0, 5, 5));
    painter.setFramePathFunction(nullptr);
    painter.ensureGeometryIsValid();
    QCOMPARE(owner.mask(), QRegion(0, 0, 5, 5));
}

QTEST_MAIN(tst_KelFramePainter)

#include "tst_kelframepainter.moc"

#include "painting/kelpaintcontext.h"
#include "painting/kelpainting.h"
#include "painting/kelsvgicon.h"
#include "paintprobe.h"
#include "styles/kelstyleable.h"
#include "warninglog.h"
#include "widgets/kelbutton.h"

#include <QStyleOption>
#include <QtTest>

#include <cmath>
#include <memory>

using namespace KelPainting;

using Getter = bool (*)();
using Setter = void (*)(bool);
Q_DECLARE_METATYPE(Getter)
Q_DECLARE_METATYPE(Setter)
Q_DECLARE_METATYPE(QMarginsF)

namespace {

using PaintProbe::canvas;
using PaintProbe::pixelIs;

bool isTransparent(const QImage &image, int x, int y)
{
    return pixelIs(image, x, y, QColor(0, 0, 0, 0), 2);
}

bool onDevicePixel(double value)
{
    return std::abs(value - std::round(value)) < 1e-6;
}

// Collects warnings while alive.

class NestingWidget : public QWidget
{
protected:
    void paintEvent(QPaintEvent *) override
    {
        KelPaintContext outer(this);
        QStyleOption option;
        option.initFrom(this);
        KelPaintContext inner(outer.painter(), &option);
    }
};

class NestingButton : public KelButton
{
public:
    NestingButton() : KelButton(-1, nullptr, true) { }
    void paint(KelPaintContext &ctx) override
    {
        KelButton::paint(ctx);
        KelPaintContext nested(this);
    }
};

class StyledWidget : public QWidget, public KelStyleable
{
public:
    StyledWidget() : KelStyleable(-1) { }
    void applyStyle() override { ++applied; }
    int applied = 0;
};

} // namespace

class tst_KelPainting : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();

    void contextRectOnDevicePixels_data();
    void contextRectOnDevicePixels();
    void contextRestoresBorrowedPainter();
    void nestedContextWarnsOnce();
    void nullDevice();
    void contextOverlay();

    void rectFrameKeepsPenInside_data();
    void rectFrameKeepsPenInside();
    void rectFrameOverlapModes();
    void pixelLineIsOneDevicePixel();
    void roundedRect();
    void framePathPerCornerRadii();
    void arrow_data();
    void arrow();
    void snapping_data();
    void snapping();
    void tint_data();
    void tint();
    void makePixmapSizes_data();
    void makePixmapSizes();
    void grabWidget();
    void textSizeLimits();
    void drawTextElision();
    void switches_data();
    void switches();
};

void tst_KelPainting::cleanup()
{
    setDbgPaintKelPaintContext(false);
}

void tst_KelPainting::contextRectOnDevicePixels_data()
{
    QTest::addColumn<double>("ratio");
    QTest::addColumn<QPointF>("offset");
    QTest::newRow("1.5 at origin") << 1.5 << QPointF(0, 0);
    QTest::newRow("1.5 at odd offset") << 1.5 << QPointF(7, 7);
    QTest::newRow("1.25 at odd offset") << 1.25 << QPointF(3, 5);
    QTest::newRow("1.75 at fractional offset") << 1.75 << QPointF(2.3, 1.1);
    // 17 and 21 logical pixels both round up at 1.03125, yet the area ends
    // at 39.19: rounding the size apart would paint one row past the clip.
    QTest::newRow("1.03125 where the size rounds past the area") << 1.03125 << QPointF(17, 17);
}

void tst_KelPainting::contextRectOnDevicePixels()
{
    QFETCH(double, ratio);
    QFETCH(QPointF, offset);
    QImage image = canvas(QSize(120, 40), ratio);
    QPainter painter(&image);
    painter.translate(offset);
    QStyleOption option;
    option.rect = QRect(0, 0, 101, 21);
    {
        KelPaintContext ctx(&painter, &option);
        QCOMPARE(ctx.painter(), &painter);
        QCOMPARE(ctx.devicePixelRatio(), ratio);
        const QRectF device = painter.deviceTransform().mapRect(ctx.rect());
        QVERIFY2(onDevicePixel(device.left()) && onDevicePixel(device.top())
                         && onDevicePixel(device.right()) && onDevicePixel(device.bottom()),
                 qPrintable(QString("%1 %2 %3 %4")
                                    .arg(device.left())
                                    .arg(device.top())
                                    .arg(device.right())
                                    .arg(device.bottom())));
        QVERIFY(std::abs(ctx.rect().width() - 101) < 1.0 / ratio);
        QVERIFY(std::abs(ctx.rect().height() - 21) < 1.0 / ratio);
        // The last column and row are the area's own, where a widget's clip
        // ends.
        QCOMPARE(qRound(device.right()), qRound((offset.x() + 101) * ratio));
        QCOMPARE(qRound(device.bottom()), qRound((offset.y() + 21) * ratio));
    }

    QImage own = canvas(QSize(101, 21), ratio);
    KelPaintContext ctx(&own);
    QCOMPARE(ctx.painter(), static_cast<QPainter *>(&ctx));
    const QRectF device = ctx.deviceTransform().mapRect(ctx.rect());
    QVERIFY(onDevicePixel(device.left()) && onDevicePixel(device.right())
            && onDevicePixel(device.bottom()));
}

void tst_KelPainting::contextRestoresBorrowedPainter()
{
    QImage image = canvas(QSize(20, 20), 1.5);
    QPainter painter(&image);
    painter.translate(7, 7);
    const QTransform before = painter.transform();
    QStyleOption option;
    option.rect = QRect(0, 0, 10, 10);
    {
        KelPaintContext ctx(&painter, &option);
        QVERIFY(painter.transform() != before);
    }
    QCOMPARE(painter.transform(), before);
}

void tst_KelPainting::nestedContextWarnsOnce()
{
    QImage image = canvas(QSize(10, 10), 1.0);
    QPainter painter(&image);
    QStyleOption option;
    option.rect = QRect(0, 0, 10, 10);
    auto log = std::make_unique<WarningLog>();
    {
        KelPaintContext outer(&painter, &option);
        KelPaintContext inner(&painter, &option);
        KelPaintContext third(&painter, &option);
    }
    QCOMPARE(log->messages.size(), 2);
    const QString address = QStringLiteral("0x%1").arg(quintptr(&image), 8, 16, QLatin1Char('0'));
    QVERIFY2(log->messages.first().startsWith(
                     "KelPaintContext: Recursive context creation detected for")
                     && log->messages.first().contains(address),
             qPrintable(log->messages.first()));

    // All three are closed: the next one is no longer nested.
    {
        KelPaintContext again(&painter, &option);
    }
    QCOMPARE(log->messages.size(), 2);
    painter.end();
    log.reset();

    // A widget is named by its object name.
    NestingWidget widget;
    widget.setObjectName("Pane");
    widget.resize(10, 10);
    QTest::ignoreMessage(QtWarningMsg,
                         "KelPaintContext: Recursive context creation detected for \"Pane\"");
    widget.render(&image);

    // A button by its text, else by its icon.
    KelSvgIcon icon(QStringLiteral(":/kelui/close-10.svg"));
    NestingButton button;
    button.setObjectName("Button");
    button.resize(10, 10);
    button.setText(QStringLiteral("Convert"));
    QTest::ignoreMessage(QtWarningMsg,
                         "KelPaintContext: Recursive context creation detected for \"Convert\"");
    button.render(&image);
    button.setText(QString());
    button.setIcon(&icon);
    QTest::ignoreMessage(
            QtWarningMsg,
            "KelPaintContext: Recursive context creation detected for \":/kelui/close-10.svg\"");
    button.render(&image);
}

void tst_KelPainting::nullDevice()
{
    QTest::ignoreMessage(QtWarningMsg, "Trying to init null device painter!");
    KelPaintContext ctx(static_cast<QPaintDevice *>(nullptr));
    QCOMPARE(ctx.devicePixelRatio(), 1.0);
    QVERIFY(ctx.rect().isNull());

    QPainter inactive;
    QStyleOption option;
    option.rect = QRect(0, 0, 5, 5);
    QTest::ignoreMessage(QtWarningMsg, "Trying to init null device painter!");
    KelPaintContext borrowed(&inactive, &option);
}

void tst_KelPainting::contextOverlay()
{
    QImage image = canvas(QSize(30, 20), 1.0);
    setDbgPaintKelPaintContext(true);
    {
        KelPaintContext ctx(&image);
    }
    QVERIFY(pixelIs(image, 0, 0, diagRed()));
    QVERIFY(pixelIs(image, 1, 1, diagRed()));
    QVERIFY(pixelIs(image, 4, 0, diagBlue()));
    QVERIFY(pixelIs(image, 0, 4, diagBlue()));
    QVERIFY(isTransparent(image, 6, 0));
    QVERIFY(pixelIs(image, 25, 0, diagGreen()));
    QVERIFY(pixelIs(image, 29, 4, diagGreen()));
    QVERIFY(pixelIs(image, 4, 19, diagGreen()));
    QVERIFY(pixelIs(image, 25, 19, diagBlue()));
    QVERIFY(pixelIs(image, 28, 18, diagRed()));
    // The diagonals at opacity 0.3: (9, 6) lies on the one from the top-left.
    int diagonalAlpha = 0;
    for (int y = 5; y <= 7; ++y)
        diagonalAlpha = qMax(diagonalAlpha, image.pixelColor(9, y).alpha());
    QVERIFY(diagonalAlpha > 40 && diagonalAlpha < 120);
    QVERIFY(isTransparent(image, 15, 3));

    setDbgPaintKelPaintContext(false);
    QImage quiet = canvas(QSize(30, 20), 1.0);
    {
        KelPaintContext ctx(&quiet);
    }
    QVERIFY(isTransparent(quiet, 0, 0));
}

void tst_KelPainting::rectFrameKeepsPenInside_data()
{
    QTest::addColumn<double>("ratio");
    QTest::addColumn<double>("penWidth");
    QTest::addColumn<int>("borderPixels");
    QTest::newRow("1.5, one device pixel") << 1.5 << 1.0 / 1.5 << 1;
    QTest::newRow("1.5, pen of 2") << 1.5 << 2.0 << 3;
    QTest::newRow("1.25, one device pixel") << 1.25 << 1.0 / 1.25 << 1;
    QTest::newRow("1.0, pen of 1") << 1.0 << 1.0 << 1;
}

void tst_KelPainting::rectFrameKeepsPenInside()
{
    QFETCH(double, ratio);
    QFETCH(double, penWidth);
    QFETCH(int, borderPixels);
    QImage image = canvas(QSize(30, 30), ratio);
    // Device pixels 5 to 24 inclusive.
    const QRectF rect = QRectF(5 / ratio, 5 / ratio, 20 / ratio, 20 / ratio);
    {
        QPainter painter(&image);
        painter.setPen(QPen(Qt::red, penWidth));
        painter.setBrush(Qt::blue);
        drawRectFrame(&painter, rect);
        QCOMPARE(painter.pen().color(), QColor(Qt::red));
        QCOMPARE(painter.brush().color(), QColor(Qt::blue));
    }
    for (int i = 0; i < borderPixels; ++i) {
        QVERIFY(pixelIs(image, 5 + i, 12, Qt::red));
        QVERIFY(pixelIs(image, 24 - i, 12, Qt::red));
        QVERIFY(pixelIs(image, 12, 5 + i, Qt::red));
        QVERIFY(pixelIs(image, 12, 24 - i, Qt::red));
    }
    QVERIFY(pixelIs(image, 5 + borderPixels, 12, Qt::blue));
    QVERIFY(pixelIs(image, 24 - borderPixels, 12, Qt::blue));
    QVERIFY(isTransparent(image, 4, 12));
    QVERIFY(isTransparent(image, 25, 12));
    QVERIFY(isTransparent(image, 12, 4));
    QVERIFY(isTransparent(image, 12, 25));
}

void tst_KelPainting::rectFrameOverlapModes()
{
    const QColor pen(255, 0, 0, 128);
    auto paint = [&](int mode, Qt::PenStyle style) {
        QImage image = canvas(QSize(20, 20), 1.0);
        QPainter painter(&image);
        painter.setPen(QPen(pen, 2.0, style));
        painter.setBrush(Qt::blue);
        drawRectFrame(&painter, QRectF(2, 2, 16, 16), PenOverlapping(mode));
        return image;
    };
    // Mode 0 fills under the translucent pen, mode 1 stops inside it.
    QVERIFY(pixelIs(paint(BrushUnderPen, Qt::SolidLine), 2, 10, QColor(128, 0, 127)));
    QVERIFY(pixelIs(paint(BrushInsidePen, Qt::SolidLine), 2, 10, QColor(255, 0, 0, 128)));
    QVERIFY(pixelIs(paint(BrushInsidePen, Qt::SolidLine), 4, 10, Qt::blue));
    // Without a pen the whole rect is filled.
    QVERIFY(pixelIs(paint(BrushInsidePen, Qt::NoPen), 2, 10, Qt::blue));

    QImage untouched = canvas(QSize(20, 20), 1.0);
    QPainter painter(&untouched);
    painter.setBrush(Qt::blue);
    drawRectFrame(&painter, QRectF(5, 5, -3, 4));
    painter.end();
    QVERIFY(isTransparent(untouched, 4, 6));
}

void tst_KelPainting::pixelLineIsOneDevicePixel()
{
    QImage image = canvas(QSize(20, 20), 1.5);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 5));
    // The centre of device row 10.
    drawPixelLine(&painter, QPointF(0, 10.5 / 1.5), QPointF(20, 10.5 / 1.5));
    QCOMPARE(painter.pen().widthF(), 5.0);
    painter.end();
    QVERIFY(pixelIs(image, 15, 10, Qt::black));
    QVERIFY(isTransparent(image, 15, 9));
    QVERIFY(isTransparent(image, 15, 11));
}

void tst_KelPainting::roundedRect()
{
    QImage image = canvas(QSize(40, 40), 1.0);
    QPainter painter(&image);
    painter.setPen(QPen(Qt::red, 2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.setBrush(Qt::blue);
    drawRoundedRect(&painter, QRectF(0, 0, 40, 40), 10);
    QVERIFY(isTransparent(image, 0, 0));
    QVERIFY(isTransparent(image, 39, 39));
    QVERIFY(pixelIs(image, 20, 0, Qt::red));
    QVERIFY(pixelIs(image, 20, 1, Qt::red));
    QVERIFY(pixelIs(image, 20, 2, Qt::blue));
    QVERIFY(pixelIs(image, 20, 20, Qt::blue));

    QTest::ignoreMessage(QtWarningMsg,
                         "Prefer to use Qt::MiterJoin pen for KelPainting::drawRoundedRect()");
    painter.setPen(QPen(Qt::red, 2, Qt::SolidLine, Qt::SquareCap, Qt::RoundJoin));
    drawRoundedRect(&painter, QRectF(0, 0, 10, 10), 3);

    // A zero-width pen is no pen: no cosmetic outline round the fill.
    image.fill(Qt::transparent);
    painter.setPen(QPen(Qt::red, 0));
    drawRoundedRect(&painter, QRectF(0, 0, 40, 40), 10);
    QVERIFY(pixelIs(image, 20, 0, Qt::blue));

    // A zero radius is a plain frame, without the warning.
    painter.setPen(QPen(Qt::red, 2, Qt::SolidLine, Qt::SquareCap, Qt::RoundJoin));
    image.fill(Qt::transparent);
    drawRoundedRect(&painter, QRectF(0, 0, 40, 40), 0);
    QVERIFY(pixelIs(image, 0, 20, Qt::red));
    QVERIFY(pixelIs(image, 20, 39, Qt::red));
}

void tst_KelPainting::framePathPerCornerRadii()
{
    const QRectF rect(0, 0, 40, 30);
    // Top-left 0, top-right 12, bottom-right 0, bottom-left 6.
    const QMargins radii(0, 12, 0, 6);
    const QPainterPath path = roundedRectPath(rect, radii);
    QCOMPARE(path.elementAt(0).x, 0.0);
    QCOMPARE(path.elementAt(0).y, 0.0);
    QVERIFY(!path.contains(QPointF(39, 1)));
    QVERIFY(path.contains(QPointF(1, 1)));
    QVERIFY(path.contains(QPointF(39, 29)));
    QVERIFY(!path.contains(QPointF(0.5, 29.5)));
    const QPainterPath round = roundedRectPath(rect, QMargins(5, 5, 5, 5));
    QCOMPARE(round.elementAt(0).x, 5.0);
    QCOMPARE(round.boundingRect(), rect);

    QImage image = canvas(QSize(40, 30), 1.0);
    QPainter painter(&image);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::blue);
    drawFramePath(&painter, rect, radii);
    QVERIFY(pixelIs(image, 0, 0, Qt::blue));
    QVERIFY(isTransparent(image, 39, 0));
    QVERIFY(pixelIs(image, 39, 29, Qt::blue));
    QVERIFY(isTransparent(image, 0, 29));
    QVERIFY(!painter.testRenderHint(QPainter::Antialiasing));
}

void tst_KelPainting::arrow_data()
{
    QTest::addColumn<int>("direction");
    QTest::addColumn<QPoint>("nearBase");
    QTest::addColumn<QPoint>("apex");
    // A 10 x 10 arrow box at (5, 5) in a 20 x 20 rect.
    QTest::newRow("up") << int(Qt::UpArrow) << QPoint(10, 13) << QPoint(10, 6);
    QTest::newRow("down") << int(Qt::DownArrow) << QPoint(10, 6) << QPoint(10, 13);
    QTest::newRow("left") << int(Qt::LeftArrow) << QPoint(13, 10) << QPoint(6, 10);
    QTest::newRow("right") << int(Qt::RightArrow) << QPoint(6, 10) << QPoint(13, 10);
}

void tst_KelPainting::arrow()
{
    QFETCH(int, direction);
    QFETCH(QPoint, nearBase);
    QFETCH(QPoint, apex);
    const KelArrowParams filled{QSize(10, 10), QMargins(0, 0, 0, 0), direction, 0.0};
    QImage image = canvas(QSize(20, 20), 1.0);
    QPainter painter(&image);
    drawArrow(&painter, QRectF(0, 0, 20, 20), Qt::black, filled);
    QVERIFY(pixelIs(image, nearBase.x(), nearBase.y(), Qt::black, 40));
    QVERIFY(isTransparent(image, 2, 2));

    // A stroked chevron is open: the middle of its base stays empty.
    image.fill(Qt::transparent);
    const KelArrowParams stroked{QSize(10, 10), QMargins(), direction, 1.5};
    drawArrow(&painter, QRectF(0, 0, 20, 20), Qt::black, stroked);
    QVERIFY(isTransparent(image, nearBase.x(), nearBase.y()));
    QVERIFY(image.pixelColor(apex).alpha() > 100);
    QVERIFY(isTransparent(image, 4, 4));

    // Margins move the box: here out of its way to the right half.
    image.fill(Qt::transparent);
    const KelArrowParams shifted{QSize(10, 10), QMargins(10, 0, 0, 0), direction, 0.0};
    drawArrow(&painter, QRectF(0, 0, 20, 20), Qt::black, shifted);
    QVERIFY(isTransparent(image, 6, 10));

    image.fill(Qt::transparent);
    const KelArrowParams none{QSize(10, 10), QMargins(), Qt::NoArrow, 0.0};
    drawArrow(&painter, QRectF(0, 0, 20, 20), Qt::black, none);
    painter.end();
    QCOMPARE(image, canvas(QSize(20, 20), 1.0));
}

void tst_KelPainting::snapping_data()
{
    QTest::addColumn<double>("ratio");
    QTest::addColumn<QRectF>("rect");
    QTest::addColumn<QRectF>("snapped");
    QTest::addColumn<QMarginsF>("margins");
    QTest::addColumn<QMarginsF>("snappedMargins");
    QTest::newRow("1.5") << 1.5 << QRectF(0.2, 0.5, 10.1, 3.0)
                         << QRectF(0.0, 2.0 / 3.0, 10.0, 8.0 / 3.0) << QMarginsF(1, 1, 1, 1)
                         << QMarginsF(4.0 / 3.0, 4.0 / 3.0, 4.0 / 3.0, 4.0 / 3.0);
    QTest::newRow("1.25") << 1.25 << QRectF(1, 1, 1, 1) << QRectF(0.8, 0.8, 1.6, 1.6)
                          << QMarginsF(0.3, 2, 0, 1) << QMarginsF(0.0, 2.4, 0, 0.8);
    QTest::newRow("whole ratio keeps margins")
            << 2.0 << QRectF(0.3, 0, 1, 1) << QRectF(0.5, 0, 1, 1) << QMarginsF(0.3, 0, 0, 0)
            << QMarginsF(0.3, 0, 0, 0);
}

void tst_KelPainting::snapping()
{
    QFETCH(double, ratio);
    QFETCH(QRectF, rect);
    QFETCH(QRectF, snapped);
    QFETCH(QMarginsF, margins);
    QFETCH(QMarginsF, snappedMargins);
    const QRectF result = snapRectToPixels(rect, ratio);
    QVERIFY2(qFuzzyCompare(result.left() + 1, snapped.left() + 1)
                     && qFuzzyCompare(result.top() + 1, snapped.top() + 1)
                     && qFuzzyCompare(result.width(), snapped.width())
                     && qFuzzyCompare(result.height(), snapped.height()),
             qPrintable(QString("%1 %2 %3 %4")
                                .arg(result.left())
                                .arg(result.top())
                                .arg(result.width())
                                .arg(result.height())));
    const QMarginsF m = snapMargins(ratio, margins);
    QVERIFY(qFuzzyCompare(m.left() + 1, snappedMargins.left() + 1));
    QVERIFY(qFuzzyCompare(m.top() + 1, snappedMargins.top() + 1));
    QVERIFY(qFuzzyCompare(m.bottom() + 1, snappedMargins.bottom() + 1));
}

void tst_KelPainting::tint_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<QRgb>("pixel");
    QTest::addColumn<QRgb>("expected");
    QTest::addColumn<int>("expectedFormat");
    const int premul = QImage::Format_ARGB32_Premultiplied;
    QTest::newRow("premultiplied, alpha 0 stays clear")
            << premul << qRgba(0, 0, 0, 0) << qRgba(0, 0, 0, 0) << premul;
    QTest::newRow("premultiplied, half alpha") << premul << qPremultiply(qRgba(0, 0, 255, 128))
                                               << qPremultiply(qRgba(255, 0, 0, 128)) << premul;
    QTest::newRow("straight alpha stays straight")
            << int(QImage::Format_ARGB32) << qRgba(0, 255, 0, 64) << qRgba(255, 0, 0, 64)
            << int(QImage::Format_ARGB32);
    QTest::newRow("opaque format is converted")
            << int(QImage::Format_RGB32) << qRgb(0, 0, 255) << qRgba(255, 0, 0, 255) << premul;
}

void tst_KelPainting::tint()
{
    QFETCH(int, format);
    QFETCH(QRgb, pixel);
    QFETCH(QRgb, expected);
    QFETCH(int, expectedFormat);
    QImage image(2, 1, QImage::Format(format));
    image.setPixel(0, 0, pixel);
    image.setPixel(1, 0, pixel);
    // The tint's own alpha is ignored.
    tintImage(image, QColor(255, 0, 0, 10));
    QCOMPARE(int(image.format()), expectedFormat);
    QCOMPARE(QString::number(reinterpret_cast<const QRgb *>(image.constScanLine(0))[1], 16),
             QString::number(expected, 16));
}

void tst_KelPainting::makePixmapSizes_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<double>("ratio");
    QTest::addColumn<QSize>("deviceSize");
    QTest::newRow("13 at 1.25 rounds up") << QSize(13, 13) << 1.25 << QSize(17, 17);
    QTest::newRow("16 at 1.5") << QSize(16, 10) << 1.5 << QSize(24, 15);
    QTest::newRow("at 1") << QSize(7, 3) << 1.0 << QSize(7, 3);
    QTest::newRow("empty") << QSize(0, 5) << 1.0 << QSize(0, 0);
    QTest::newRow("invalid") << QSize() << 1.5 << QSize(0, 0);
}

void tst_KelPainting::makePixmapSizes()
{
    QFETCH(QSize, size);
    QFETCH(double, ratio);
    QFETCH(QSize, deviceSize);
    const QPixmap pixmap = makePixmap(size, ratio, Qt::green);
    QCOMPARE(pixmap.size(), deviceSize);
    if (pixmap.isNull())
        return;
    QCOMPARE(pixmap.devicePixelRatioF(), ratio);
    QCOMPARE(pixmap.toImage().pixelColor(0, 0), QColor(Qt::green));
}

void tst_KelPainting::grabWidget()
{
    QCOMPARE(KelPainting::grabWidget(nullptr).isNull(), true);

    QWidget widget;
    widget.resize(20, 10);
    widget.setAutoFillBackground(true);
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, Qt::red);
    widget.setPalette(palette);
    const QPixmap whole = KelPainting::grabWidget(&widget);
    QCOMPARE(whole.size(), QSize(20, 10));
    QVERIFY(pixelIs(whole.toImage(), 19, 9, Qt::red));

    const QPixmap part = KelPainting::grabWidget(&widget, 0, QWidget::DrawWindowBackground,
                                                 QRect(5, 2, 6, 4));
    QCOMPARE(part.size(), QSize(6, 4));
    QVERIFY(pixelIs(part.toImage(), 0, 0, Qt::red));

    // Blurring spreads a child into the transparent surroundings.
    QWidget parent;
    parent.resize(30, 30);
    auto child = new QWidget(&parent);
    child->setGeometry(10, 10, 10, 10);
    child->setAutoFillBackground(true);
    child->setPalette(palette);
    const QImage sharp = KelPainting::grabWidget(&parent, 0, QWidget::DrawChildren).toImage();
    QVERIFY(isTransparent(sharp, 9, 15));
    QVERIFY(pixelIs(sharp, 15, 15, Qt::red));
    const QImage blurred = KelPainting::grabWidget(&parent, 4, QWidget::DrawChildren).toImage();
    QCOMPARE(blurred.size(), QSize(30, 30));
    QVERIFY(blurred.pixelColor(9, 15).alpha() > 0);
    QVERIFY(blurred.pixelColor(10, 15).alpha() < 255);
}

void tst_KelPainting::textSizeLimits()
{
    const QFont font;
    // Ten pixels per line.
    QCOMPARE(textSize("a\nb\nc", font, QTextOption::WordWrap, QSize(50, 100), 10), QSize(50, 30));
    QCOMPARE(textSize("a\nb\nc", font, QTextOption::WordWrap, QSize(50, 100), 10, 2), QSize(50, 20));
    QCOMPARE(textSize("a\nb\nc", font, QTextOption::WordWrap, QSize(50, 25), 10), QSize(50, 20));
    QCOMPARE(textSize("a\n\nc", font, QTextOption::WordWrap, QSize(50, 100), 10), QSize(50, 30));
    QCOMPARE(textSize("a", font, QTextOption::WordWrap, QSize(0x1000000, 100), 10).width(),
             0xFFFFFF);

    // Unbounded width: lines are not wrapped and the widest one counts.
    const QString words = "word word word word word word";
    const QSize unwrapped = textSize(words + "\nw", font, QTextOption::WordWrap, QSize(0, 0), 10);
    QCOMPARE(unwrapped.height(), 20);
    QCOMPARE(unwrapped.width(), qRound(QFontMetricsF(font).horizontalAdvance(words)));
    // Narrow bounds wrap the same text onto several lines.
    QVERIFY(textSize(words, font, QTextOption::WordWrap, QSize(unwrapped.width() / 3, 1000), 10)
                    .height()
            >= 30);
}

void tst_KelPainting::drawTextElision()
{
    const QString longText = "a long line of text that cannot fit into the narrow rectangle";
    QImage image = canvas(QSize(200, 100), 1.0);
    QPainter painter(&image);
    painter.setPen(Qt::black);
    const int lineHeight = qCeil(QFontMetricsF(painter.font()).lineSpacing());
    bool elided = false;

    drawText(&painter, longText, QRectF(0, 0, 60, lineHeight), Qt::AlignLeft | Qt::AlignTop,
             QTextOption::NoWrap, Qt::ElideRight, 0, 0, &elided);
    QVERIFY(elided);
    drawText(&painter, "ab", QRectF(0, 0, 150, lineHeight), Qt::AlignLeft | Qt::AlignTop,
             QTextOption::NoWrap, Qt::ElideRight, 0, 0, &elided);
    QVERIFY(!elided);
    drawText(&painter, longText, QRectF(0, 0, 60, lineHeight), Qt::AlignLeft | Qt::AlignTop,
             QTextOption::NoWrap, Qt::ElideNone, 0, 0, &elided);
    QVERIFY(!elided);

    // The line limit cuts the text after the first line.
    image.fill(Qt::transparent);
    drawText(&painter, "Mm\nMm\nMm", QRectF(0, 0, 200, 100), Qt::AlignLeft | Qt::AlignTop,
             QTextOption::WordWrap, Qt::ElideRight, lineHeight, 1, &elided);
    QVERIFY(elided);
    painter.end();
    auto rowHasInk = [&](int from, int to) {
        for (int y = from; y < to; ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixelColor(x, y).alpha() > 0)
                    return true;
        return false;
    };
    QVERIFY(rowHasInk(0, lineHeight));
    QVERIFY(!rowHasInk(lineHeight, image.height()));

    // Without a limit all three lines are drawn.
    image.fill(Qt::transparent);
    painter.begin(&image);
    painter.setPen(Qt::black);
    drawText(&painter, "Mm\nMm\nMm", QRectF(0, 0, 200, 100), Qt::AlignLeft | Qt::AlignTop,
             QTextOption::WordWrap, Qt::ElideRight, lineHeight, 0, &elided);
    painter.end();
    QVERIFY(!elided);
    QVERIFY(rowHasInk(2 * lineHeight, 3 * lineHeight));
}

void tst_KelPainting::switches_data()
{
    QTest::addColumn<Getter>("get");
    QTest::addColumn<Setter>("set");
    QTest::addColumn<bool>("restyles");
    QTest::newRow("custom") << Getter(&dbgPaintCustom) << Setter(&setDbgPaintCustom) << true;
    QTest::newRow("button") << Getter(&dbgPaintKelButton) << Setter(&setDbgPaintKelButton) << true;
    QTest::newRow("delimiter") << Getter(&dbgPaintKelDelimiter) << Setter(&setDbgPaintKelDelimiter)
                               << true;
    QTest::newRow("frame") << Getter(&dbgPaintKelFrame) << Setter(&setDbgPaintKelFrame) << true;
    QTest::newRow("icon widget") << Getter(&dbgPaintKelIconWidget)
                                 << Setter(&setDbgPaintKelIconWidget) << false;
    QTest::newRow("label") << Getter(&dbgPaintKelLabel) << Setter(&setDbgPaintKelLabel) << false;
    QTest::newRow("paint context")
            << Getter(&dbgPaintKelPaintContext) << Setter(&setDbgPaintKelPaintContext) << false;
    QTest::newRow("resizer") << Getter(&dbgPaintNonDwmResizer) << Setter(&setDbgPaintNonDwmResizer)
                             << false;
    QTest::newRow("shadow") << Getter(&dbgPaintNonDwmShadow) << Setter(&setDbgPaintNonDwmShadow)
                            << false;
}

void tst_KelPainting::switches()
{
    QFETCH(Getter, get);
    QFETCH(Setter, set);
    QFETCH(bool, restyles);
    QWidget window;
    auto child = new StyledWidget;
    child->setParent(&window);
    StyledWidget topLevel;

    QVERIFY(!get());
    set(false);
    QCOMPARE(child->applied, 0);
    set(true);
    QVERIFY(get());
    QCOMPARE(child->applied, restyles ? 1 : 0);
    QCOMPARE(topLevel.applied, restyles ? 1 : 0);
    set(true);
    QCOMPARE(child->applied, restyles ? 1 : 0);
    set(false);
    QVERIFY(!get());
    QCOMPARE(child->applied, restyles ? 2 : 0);
}

QTEST_MAIN(tst_KelPainting)
#include "tst_kelpainting.moc"

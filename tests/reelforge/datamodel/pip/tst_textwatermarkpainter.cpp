#include "datamodel/pip/pipframe.h"
#include "datamodel/pip/textwatermarkpainter.h"

#include "piptesthelpers.h"

#include <QFontMetricsF>
#include <QPainter>

using namespace PipTest;

namespace {

const QSize FrameSize(1280, 720);

bool fitsIn(const QFont &font, const QRectF &rect, const QString &text, qreal slack)
{
    const QRectF measured = QFontMetricsF(font).boundingRect(rect, 0, text);
    return measured.width() <= rect.width() + slack && measured.height() <= rect.height() + slack;
}

int g_warnings = 0;
void countWarnings(QtMsgType type, const QMessageLogContext &, const QString &)
{
    if (type == QtWarningMsg)
        ++g_warnings;
}

} // namespace

class tst_TextWatermarkPainter : public QObject
{
    Q_OBJECT
private slots:
    void emptyTextDrawsNothing();
    void fitFontFindsLargestFit_data();
    void fitFontFindsLargestFit();
    void fitFontNeverBelowOnePixel();
    void dropShadowFallsBelowTheImage();
    void textDrawnInForegroundColour();
    void textChangeKeepsCentreAndTakesNewAspect();

private:
    PipObjectPtr textMark(const QString &text) const;
};

PipObjectPtr tst_TextWatermarkPainter::textMark(const QString &text) const
{
    auto pip = PipObjectPtr::create();
    pip->setType(PipObject::TextWatermark);
    pip->setText(text);
    pip->setFontFamily(QStringLiteral("Arial"));
    pip->setForegroundBrush(QBrush(Qt::red));
    pip->setOpacity(1.0);
    pip->setSize(0.5);
    pip->setCenterPoint(QPointF(0.5, 0.5));
    return pip;
}

void tst_TextWatermarkPainter::emptyTextDrawsNothing()
{
    TextWatermarkPainter painter(textMark(QString()), FrameSize);
    QVERIFY(painter.paint(0).isNull());
    QCOMPARE(painter.pixelGeometry(), QRectF(0, 0, 0, 0));
    QCOMPARE(painter.tileSpacing(), QSize(132, 132));
}

void tst_TextWatermarkPainter::fitFontFindsLargestFit_data()
{
    QTest::addColumn<QRectF>("rect");
    QTest::addColumn<QString>("text");

    QTest::newRow("frame, one word") << QRectF(0, 0, 1280, 720) << QStringLiteral("Watermark");
    QTest::newRow("small box") << QRectF(0, 0, 200, 50) << QStringLiteral("Hello world");
    QTest::newRow("tall box") << QRectF(0, 0, 100, 400) << QStringLiteral("Hi");
    QTest::newRow("low box") << QRectF(0, 0, 2000, 30) << QStringLiteral("Hi");
}

void tst_TextWatermarkPainter::fitFontFindsLargestFit()
{
    QFETCH(QRectF, rect);
    QFETCH(QString, text);

    const QFont font = TextWatermarkPainter::fitFont(QFont(QStringLiteral("Arial")), rect, text,
                                                     false, 0.5);
    QVERIFY(font.pixelSize() > 0);
    // Rounding to whole pixels may add a fraction of a pixel.
    QVERIFY(fitsIn(font, rect, text, 2));
    QFont larger = font;
    larger.setPixelSize(font.pixelSize() + 3);
    QVERIFY(!fitsIn(larger, rect, text, 0));
}

void tst_TextWatermarkPainter::fitFontNeverBelowOnePixel()
{
    g_warnings = 0;
    const QtMessageHandler previous = qInstallMessageHandler(countWarnings);
    const QFont font = TextWatermarkPainter::fitFont(QFont(QStringLiteral("Arial")),
                                                     QRectF(0, 0, 1, 1), QStringLiteral("Hello"),
                                                     false, 0.5);
    qInstallMessageHandler(previous);
    QVERIFY(font.pixelSize() >= 1);
    QCOMPARE(g_warnings, 0);
}

void tst_TextWatermarkPainter::dropShadowFallsBelowTheImage()
{
    QImage source(40, 40, QImage::Format_ARGB32_Premultiplied);
    source.fill(Qt::transparent);
    {
        QPainter p(&source);
        p.fillRect(QRect(10, 10, 20, 10), Qt::white);
    }
    QImage result(40, 40, QImage::Format_ARGB32_Premultiplied);
    result.fill(Qt::transparent);
    {
        QPainter p(&result);
        TextWatermarkPainter::drawDropShadow(&p, QColor(0, 0, 0, 64), 6, QPoint(0, 2), source,
                                             source.rect(), true);
    }

    QCOMPARE(result.pixel(20, 15), qRgba(255, 255, 255, 255));
    const QRgb below = result.pixel(20, 21);
    QVERIFY(qAlpha(below) > 0 && qAlpha(below) <= 64);
    QCOMPARE(qRed(below), 0);
    QCOMPARE(qAlpha(result.pixel(0, 0)), 0);
    QCOMPARE(qAlpha(result.pixel(39, 39)), 0);
    // The shadow is offset downward: more of it below the square than above.
    QVERIFY(qAlpha(result.pixel(20, 22)) > qAlpha(result.pixel(20, 7)));
}

void tst_TextWatermarkPainter::textDrawnInForegroundColour()
{
    TextWatermarkPainter painter(textMark(QStringLiteral("Mark")), FrameSize);
    const QImage layer = painter.paint(0);
    QVERIFY(!layer.isNull());
    const QRect bounds = drawnBounds(layer);
    QVERIFY(painter.pixelGeometry().toAlignedRect().contains(bounds));
    int red = 0;
    for (int y = bounds.top(); y <= bounds.bottom(); ++y)
        for (int x = bounds.left(); x <= bounds.right(); ++x)
            red += layer.pixel(x, y) == qRgba(255, 0, 0, 255);
    QVERIFY(red > 100);
}

void tst_TextWatermarkPainter::textChangeKeepsCentreAndTakesNewAspect()
{
    auto pip = textMark(QStringLiteral("Hi"));
    PipFrame frame(pip);
    frame.setFrameSize(FrameSize);
    QSignalSpy geometry(&frame, &PipFrame::pixelGeometryChanged);
    QVERIFY(frame.ensurePainterCreated());
    const QRectF shortBox = geometry.last().at(1).toRectF();

    pip->setText(QStringLiteral("A much longer watermark"));
    const QRectF longBox = geometry.last().at(1).toRectF();
    QVERIFY(longBox.width() / longBox.height() > 3 * shortBox.width() / shortBox.height());
    QVERIFY(qAbs(longBox.center().x() - 640) < 1e-6);
    QVERIFY(qAbs(longBox.center().y() - 360) < 1e-6);
    const QRect drawn = drawnBounds(frame.paintOnto(0));
    QVERIFY(longBox.toAlignedRect().contains(drawn));
    QVERIFY(drawn.width() > longBox.width() * 0.8);
}

PIP_TEST_MAIN(tst_TextWatermarkPainter)
#include "tst_textwatermarkpainter.moc"

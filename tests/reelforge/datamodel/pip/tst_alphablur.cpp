#include "datamodel/pip/alphablur.h"

#include <QPainter>
#include <QRandomGenerator>
#include <QtTest>

// The blur the GUI's framework uses, from Qt Widgets, which the worker does
// not link.
void qt_blurImage(QPainter *p, QImage &blurImage, qreal radius, bool quality, bool alphaOnly,
                  int transposed = 0);

namespace {

// Valid premultiplied pixels of every alpha, with a solid block, so that
// both smooth and hard edges are blurred.
QImage sample(const QSize &size, qreal ratio)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    QRandomGenerator random(size.width() * 1000 + size.height());
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            const int a = random.bounded(256);
            image.setPixel(x, y,
                           qRgba(random.bounded(a + 1), random.bounded(a + 1),
                                 random.bounded(a + 1), a));
        }
    }
    QPainter(&image).fillRect(QRect(QPoint(size.width() / 4, size.height() / 4), size / 2),
                              Qt::black);
    image.setDevicePixelRatio(ratio);
    return image;
}

} // namespace

class tst_AlphaBlur : public QObject
{
    Q_OBJECT
private slots:
    void matchesQtBlur_data();
    void matchesQtBlur();
};

void tst_AlphaBlur::matchesQtBlur_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<qreal>("radius");
    QTest::addColumn<qreal>("ratio");

    const QList<QSize> sizes = {{1, 1}, {1, 9}, {9, 1}, {2, 2}, {3, 5}, {64, 40}, {101, 57}};
    // Below and from the radius at which the image is halved first.
    const QList<qreal> radii = {0, 0.5, 1, 2.5, 3.99, 4, 6, 12.5, 40};
    for (const QSize &size : sizes) {
        for (qreal radius : radii) {
            for (qreal ratio : {1.0, 2.0}) {
                QTest::addRow("%dx%d radius %g ratio %g", size.width(), size.height(), radius, ratio)
                        << size << radius << ratio;
            }
        }
    }
}

// As the text watermark's shadow uses it: blurred onto a cleared image of the
// same size and ratio.
void tst_AlphaBlur::matchesQtBlur()
{
    QFETCH(QSize, size);
    QFETCH(qreal, radius);
    QFETCH(qreal, ratio);

    QImage ours = sample(size, ratio);
    QImage qts = ours;
    QImage ourCanvas(size, QImage::Format_ARGB32_Premultiplied);
    ourCanvas.setDevicePixelRatio(ratio);
    ourCanvas.fill(0);
    QImage qtCanvas = ourCanvas;
    {
        QPainter painter(&ourCanvas);
        blurAlpha(&painter, ours, radius);
    }
    {
        QPainter painter(&qtCanvas);
        qt_blurImage(&painter, qts, radius, false, true);
    }

    QCOMPARE(ours, qts);
    QCOMPARE(ourCanvas, qtCanvas);
}

QTEST_MAIN(tst_AlphaBlur)
#include "tst_alphablur.moc"

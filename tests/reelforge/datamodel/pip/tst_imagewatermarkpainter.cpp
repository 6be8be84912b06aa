#include "datamodel/pip/imagewatermarkpainter.h"
#include "datamodel/pip/pipframe.h"

#include "piptesthelpers.h"

#include <QDataStream>
#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>

#include <cmath>

using namespace PipTest;

namespace {

const QSize FrameSize(1280, 720);

int g_warnings = 0;
QtMessageHandler g_previousHandler = nullptr;

void countingHandler(QtMsgType type, const QMessageLogContext &context, const QString &msg)
{
    if (type == QtWarningMsg)
        ++g_warnings;
    g_previousHandler(type, context, msg);
}

// Counts the warnings logged while it lives.
struct WarningCounter
{
    WarningCounter()
    {
        g_warnings = 0;
        g_previousHandler = qInstallMessageHandler(countingHandler);
    }
    ~WarningCounter() { qInstallMessageHandler(g_previousHandler); }
    int count() const { return g_warnings; }
};

quint32 crc32(const QByteArray &bytes)
{
    quint32 crc = 0xffffffffu;
    for (const char byte : bytes) {
        crc ^= quint8(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// A PNG file of that size without its pixels: the signature, the header and
// an empty data chunk.
QByteArray pngHeader(quint32 width, quint32 height)
{
    QByteArray bytes("\x89PNG\r\n\x1a\n");
    const auto chunk = [&bytes](const QByteArray &typeAndData) {
        QDataStream out(&bytes, QIODevice::WriteOnly | QIODevice::Append);
        out << quint32(typeAndData.size() - 4);
        out.writeRawData(typeAndData.constData(), typeAndData.size());
        out << crc32(typeAndData);
    };
    QByteArray header("IHDR");
    QDataStream out(&header, QIODevice::WriteOnly | QIODevice::Append);
    out << width << height << quint8(8) << quint8(6) << quint8(0) << quint8(0) << quint8(0);
    chunk(header);
    chunk("IDAT");
    chunk("IEND");
    return bytes;
}

} // namespace

class tst_ImageWatermarkPainter : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void freePlacement_data();
    void freePlacement();
    void tileCentres();
    void rotationKeepsCentre_data();
    void rotationKeepsCentre();
    void opacityScalesAlpha_data();
    void opacityScalesAlpha();
    void writeBackRoundTrip_data();
    void writeBackRoundTrip();
    void writeBackMeanOfDifferentAspect();
    void unreadableSource_data();
    void unreadableSource();
    void degenerateImageDoesNotDivideByZero();
    void svgWatermark();
    void sourcesRefusedOnce_data();
    void sourcesRefusedOnce();
    void largeSourceIsReadAtLayerSize();
    void alignedDrawsNothing();
    void layerIsCachedUntilPropertyChange();

private:
    PipObjectPtr watermark(double size, const QPointF &centre,
                           PipObject::Location location = PipObject::Free,
                           double opacity = 1.0) const;

    QTemporaryDir m_dir;
    QString m_image; // 200 x 100, opaque red
};

void tst_ImageWatermarkPainter::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_image = writeImage(m_dir.path(), QStringLiteral("mark.png"), QSize(200, 100));
    QVERIFY(!m_image.isEmpty());
}

PipObjectPtr tst_ImageWatermarkPainter::watermark(double size, const QPointF &centre,
                                                  PipObject::Location location,
                                                  double opacity) const
{
    auto pip = PipObjectPtr::create();
    pip->setType(PipObject::ImageWatermark);
    pip->setFilePath(m_image);
    pip->setSize(size);
    pip->setCenterPoint(centre);
    pip->setLocation(location);
    pip->setOpacity(opacity);
    return pip;
}

// On 1280 x 720 the 2:1 image fits as 1280 x 640: marks run from 64 x 32
// (Size 0) to 1280 x 640 (Size 1).
void tst_ImageWatermarkPainter::freePlacement_data()
{
    QTest::addColumn<double>("size");
    QTest::addColumn<QPointF>("centre");
    QTest::addColumn<QRect>("expected");

    QTest::newRow("smallest, top-left") << 0.0 << QPointF(0, 0) << QRect(0, 0, 64, 32);
    QTest::newRow("smallest, bottom-right") << 0.0 << QPointF(1, 1) << QRect(1216, 688, 64, 32);
    QTest::newRow("smallest, centred") << 0.0 << QPointF(0.5, 0.5) << QRect(608, 344, 64, 32);
    QTest::newRow("largest, centred") << 1.0 << QPointF(0.5, 0.5) << QRect(0, 40, 1280, 640);
    QTest::newRow("half, off centre") << 0.5 << QPointF(0.25, 0.75) << QRect(152, 288, 672, 336);
}

void tst_ImageWatermarkPainter::freePlacement()
{
    QFETCH(double, size);
    QFETCH(QPointF, centre);
    QFETCH(QRect, expected);

    ImageWatermarkPainter painter(watermark(size, centre), FrameSize);
    QCOMPARE(painter.pixelGeometry(), QRectF(expected));
    QVERIFY(painter.showResizer());
    const QImage layer = painter.paint(0);
    QCOMPARE(layer.size(), FrameSize);
    QCOMPARE(layer.format(), QImage::Format_ARGB32_Premultiplied);
    QCOMPARE(drawnBounds(layer), expected);
}

// A 200 x 100 box tiles with 80-pixel gaps: rows at y = -80, 100, 280 ...,
// even rows from x = -80 every 280, odd rows from x = -80 + (200 + 80) / 2.
void tst_ImageWatermarkPainter::tileCentres()
{
    ImageWatermarkPainter painter(watermark(136.0 / 448.0, QPointF(0.5, 0.5), PipObject::Tile),
                                  FrameSize);
    QCOMPARE(painter.pixelGeometry().size(), QSizeF(200, 100));
    QVERIFY(!painter.showResizer());

    QVector<QRect> expected;
    int row = 0;
    for (int y = -80; y < 720 + 50; y += 180, ++row) {
        for (int x = row % 2 ? 60 : -80; x < 1280 + 100; x += 280) {
            const QRect mark = QRect(x - 100, y - 50, 200, 100) & QRect(QPoint(), FrameSize);
            if (!mark.isEmpty())
                expected.append(mark);
        }
    }
    std::sort(expected.begin(), expected.end(), [](const QRect &a, const QRect &b) {
        return a.top() != b.top() ? a.top() < b.top() : a.left() < b.left();
    });
    QCOMPARE(drawnRegions(painter.paint(0)), expected);
}

void tst_ImageWatermarkPainter::rotationKeepsCentre_data()
{
    QTest::addColumn<int>("angle");
    QTest::addColumn<QSize>("turnedSize");

    QTest::newRow("90") << 90 << QSize(100, 200);
    QTest::newRow("45") << 45 << QSize(212, 212);
    QTest::newRow("-30") << -30 << QSize(223, 187);
}

void tst_ImageWatermarkPainter::rotationKeepsCentre()
{
    QFETCH(int, angle);
    QFETCH(QSize, turnedSize);

    auto pip = watermark(136.0 / 1216.0, QPointF(0.5, 0.5)); // a 200 x 100 box
    pip->setAngle(angle);
    ImageWatermarkPainter painter(pip, FrameSize);
    QCOMPARE(painter.pixelGeometry(), QRectF(540, 310, 200, 100));

    const QRect bounds = drawnBounds(painter.paint(0), 128);
    QVERIFY2(qAbs(bounds.center().x() - 640) <= 1 && qAbs(bounds.center().y() - 360) <= 1,
             qPrintable(QStringLiteral("centre %1,%2")
                                .arg(bounds.center().x())
                                .arg(bounds.center().y())));
    QVERIFY2(qAbs(bounds.width() - turnedSize.width()) <= 3
                     && qAbs(bounds.height() - turnedSize.height()) <= 3,
             qPrintable(QStringLiteral("size %1x%2").arg(bounds.width()).arg(bounds.height())));
}

void tst_ImageWatermarkPainter::opacityScalesAlpha_data()
{
    QTest::addColumn<QVariant>("opacity");
    QTest::addColumn<int>("alpha");

    QTest::newRow("opaque") << QVariant(1.0) << 255;
    QTest::newRow("half") << QVariant(0.5) << 128;
    QTest::newRow("quarter") << QVariant(0.25) << 64;
    QTest::newRow("absent") << QVariant() << 0;
}

void tst_ImageWatermarkPainter::opacityScalesAlpha()
{
    QFETCH(QVariant, opacity);
    QFETCH(int, alpha);

    PipObject::PropertyMap map = watermark(0.5, QPointF(0.5, 0.5))->properties();
    if (opacity.isValid())
        map[PipObject::Property::Opacity] = opacity;
    else
        map.remove(PipObject::Property::Opacity);
    ImageWatermarkPainter painter(PipObjectPtr::create(map, nullptr), FrameSize);
    const QImage layer = painter.paint(0);
    QVERIFY(!layer.isNull());
    QVERIFY(qAbs(qAlpha(layer.pixel(640, 360)) - alpha) <= 1);
    QCOMPARE(qAlpha(layer.pixel(5, 5)), 0);
}

void tst_ImageWatermarkPainter::writeBackRoundTrip_data()
{
    QTest::addColumn<double>("size");
    QTest::addColumn<QPointF>("centre");
    QTest::addColumn<int>("location");

    QTest::newRow("free centred") << 0.3 << QPointF(0.5, 0.5) << int(PipObject::Free);
    QTest::newRow("free corner") << 0.0 << QPointF(0, 0) << int(PipObject::Free);
    QTest::newRow("free odd") << 0.77 << QPointF(0.1, 0.9) << int(PipObject::Free);
    QTest::newRow("tile") << 0.6 << QPointF(0.3, 0.2) << int(PipObject::Tile);
}

void tst_ImageWatermarkPainter::writeBackRoundTrip()
{
    QFETCH(double, size);
    QFETCH(QPointF, centre);
    QFETCH(int, location);

    auto pip = watermark(size, centre, PipObject::Location(location));
    ImageWatermarkPainter painter(pip, FrameSize);
    const QRectF box = painter.pixelGeometry();
    pip->setSize(-1);
    pip->setCenterPoint(QPointF(-1, -1));

    WarningCounter warnings;
    painter.writePixelGeometry(box);
    QCOMPARE(warnings.count(), 0);
    QVERIFY(qAbs(pip->size() - size) < 1e-9);
    QVERIFY(qAbs(pip->centerPoint().x() - centre.x()) < 1e-9);
    QVERIFY(qAbs(pip->centerPoint().y() - centre.y()) < 1e-9);
}

void tst_ImageWatermarkPainter::writeBackMeanOfDifferentAspect()
{
    auto pip = watermark(0.5, QPointF(0.5, 0.5));
    ImageWatermarkPainter painter(pip, FrameSize);
    // Relative width 0.2 (64 + 0.2 * 1216), relative height 0.3 (32 + 0.3 * 608).
    const QRectF box(100, 50, 307.2, 214.4);
    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression("^Calculated pip relative size is different for "
                                            "width and height\\. Use mean: 0\\.2 => 0\\.25$"));
    painter.writePixelGeometry(box);
    QVERIFY(qAbs(pip->size() - 0.25) < 1e-9);
    // The centre is written unclamped from the box's own centre area.
    QVERIFY(qAbs(pip->centerPoint().x() - (253.6 - 153.6) / (1280 - 307.2)) < 1e-9);
}

void tst_ImageWatermarkPainter::unreadableSource_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("empty path") << QString();
    QTest::newRow("missing file") << QStringLiteral("missing.png");
    QTest::newRow("not an image") << QStringLiteral("garbage.png");
}

void tst_ImageWatermarkPainter::unreadableSource()
{
    QFETCH(QString, path);
    if (!path.isEmpty())
        path = m_dir.filePath(path);
    QFile garbage(m_dir.filePath(QStringLiteral("garbage.png")));
    QVERIFY(garbage.open(QIODevice::WriteOnly));
    garbage.write("this is no image");
    garbage.close();

    auto pip = watermark(0.5, QPointF(0.5, 0.5));
    pip->setFilePath(path);
    ImageWatermarkPainter painter(pip, FrameSize);
    QVERIFY(painter.paint(0).isNull());
    QCOMPARE(painter.pixelGeometry(), QRectF(0, 0, 0, 0));
    QSignalSpy spy(pip.data(), &PipObject::propertyChanged);
    painter.writePixelGeometry(QRectF(10, 10, 100, 50));
    QCOMPARE(spy.count(), 0);
}

// A 2000 x 1 image fits a 1280 x 720 frame as 1280 x 0: its height gives no
// size range, and its box is empty.
void tst_ImageWatermarkPainter::degenerateImageDoesNotDivideByZero()
{
    auto pip = watermark(0.5, QPointF(0.5, 0.5));
    pip->setFilePath(writeImage(m_dir.path(), QStringLiteral("line.png"), QSize(2000, 1)));
    ImageWatermarkPainter painter(pip, FrameSize);
    QVERIFY(painter.pixelGeometry().isEmpty());
    QVERIFY(painter.paint(0).isNull());

    painter.writePixelGeometry(QRectF(0, 0, 100, 10));
    QVERIFY(std::isfinite(pip->size()));
    QVERIFY(qAbs(pip->size() - 36.0 / 1216.0) < 1e-9);
    QVERIFY(std::isfinite(pip->centerPoint().x()));
    QVERIFY(std::isfinite(pip->centerPoint().y()));
}

void tst_ImageWatermarkPainter::svgWatermark()
{
    const QString path = m_dir.filePath(QStringLiteral("mark.svg"));
    QFile svg(path);
    QVERIFY(svg.open(QIODevice::WriteOnly));
    svg.write("<svg xmlns='http://www.w3.org/2000/svg' width='200' height='100'>"
              "<rect width='200' height='100' fill='#0000ff'/></svg>");
    svg.close();

    auto pip = watermark(1.0, QPointF(0.5, 0.5));
    pip->setFilePath(path);
    ImageWatermarkPainter painter(pip, FrameSize);
    QCOMPARE(painter.pixelGeometry(), QRectF(0, 40, 1280, 640));
    const QImage layer = painter.paint(0);
    QCOMPARE(QColor(layer.pixel(640, 360)), QColor(Qt::blue));
}

void tst_ImageWatermarkPainter::sourcesRefusedOnce_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");

    // Each would take gigabytes at its declared size.
    QTest::newRow("svg of 30000 x 30000")
            << "huge.svg"
            << QByteArray("<svg xmlns='http://www.w3.org/2000/svg' width='30000' "
                          "height='30000'><rect width='9' height='9'/></svg>");
    QTest::newRow("png of 20000 x 20000") << "huge.png" << pngHeader(20000, 20000);
    // Opening it for reading would wait for a writer for good.
    QTest::newRow("fifo") << "mark.fifo" << QByteArray();
}

// A source that is refused is not asked for again on every frame.
void tst_ImageWatermarkPainter::sourcesRefusedOnce()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    const QString path = m_dir.filePath(name);
    if (content.isEmpty()) {
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    } else {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    auto pip = watermark(1.0, QPointF(0.5, 0.5));
    pip->setFilePath(path);
    ImageWatermarkPainter painter(pip, FrameSize);
    WarningCounter warnings;
    for (int frame = 0; frame < 3; ++frame)
        QVERIFY(painter.paint(frame).isNull());
    QCOMPARE(painter.pixelGeometry(), QRectF(0, 0, 0, 0));
    QCOMPARE(warnings.count(), 1);

    // A new file is read again.
    pip->setFilePath(m_image);
    painter.propertyChanged(PipObject::Property::FilePath);
    QVERIFY(!painter.paint(0).isNull());
}

// A source larger than the frame is read no larger than the frame, and still
// fills the box its declared size gives.
void tst_ImageWatermarkPainter::largeSourceIsReadAtLayerSize()
{
    auto pip = watermark(1.0, QPointF(0.5, 0.5));
    pip->setFilePath(writeImage(m_dir.path(), QStringLiteral("large.png"), QSize(4000, 2000)));
    ImageWatermarkPainter painter(pip, FrameSize);
    const QImage source = painter.sourceImage();
    QVERIFY2(source.width() <= FrameSize.width() && source.height() <= FrameSize.height(),
             qPrintable(QStringLiteral("%1 x %2").arg(source.width()).arg(source.height())));
    QCOMPARE(painter.pixelGeometry(), QRectF(0, 40, 1280, 640));
    QCOMPARE(drawnBounds(painter.paint(0)), QRect(0, 40, 1280, 640));
}

void tst_ImageWatermarkPainter::alignedDrawsNothing()
{
    ImageWatermarkPainter painter(watermark(0.5, QPointF(0.5, 0.5), PipObject::Aligned), FrameSize);
    const QImage layer = painter.paint(0);
    QCOMPARE(layer.size(), FrameSize);
    QVERIFY(drawnBounds(layer).isNull());
}

void tst_ImageWatermarkPainter::layerIsCachedUntilPropertyChange()
{
    auto pip = watermark(0.5, QPointF(0.5, 0.5));
    PipFrame frame(pip);
    frame.setFrameSize(FrameSize);
    const QImage first = frame.paintOnto(0);
    const QImage again = frame.paintOnto(10000000);
    QCOMPARE(again.cacheKey(), first.cacheKey());

    pip->setOpacity(0.5);
    const QImage faded = frame.paintOnto(0);
    QVERIFY(faded.cacheKey() != first.cacheKey());
    QVERIFY(qAbs(qAlpha(faded.pixel(640, 360)) - 128) <= 1);
    QCOMPARE(drawnBounds(faded), drawnBounds(first));
    // The copy handed out before stays as it was.
    QCOMPARE(qAlpha(first.pixel(640, 360)), 255);

    pip->setCenterPoint(QPointF(0, 0));
    QCOMPARE(drawnBounds(frame.paintOnto(0)), QRect(0, 0, 672, 336));
}

PIP_TEST_MAIN(tst_ImageWatermarkPainter)
#include "tst_imagewatermarkpainter.moc"

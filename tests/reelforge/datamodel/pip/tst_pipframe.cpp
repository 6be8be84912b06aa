#include "datamodel/pip/pipframe.h"

#include "piptesthelpers.h"

#include <QSignalSpy>
#include <QTemporaryDir>

#include <climits>
#include <limits>

using namespace PipTest;

class tst_PipFrame : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void noObjectIsANoOp();
    void layerNeedsAFrameSize();
    void frameSizeChanges();
    void typeChangeReplacesPainter();
    void subtitlesNeverReportGeometry();
    void tileHidesResizer();
    void writePixelGeometryUpdatesObject();
    void unknownTypeGetsNoPainter();
    void outOfRangeNumbersStayWithinTheFrame_data();
    void outOfRangeNumbersStayWithinTheFrame();

private:
    PipObjectPtr imageWatermark() const;

    QTemporaryDir m_dir;
    QString m_image;
    QString m_srt;
};

void tst_PipFrame::initTestCase()
{
    m_image = writeImage(m_dir.path(), QStringLiteral("mark.png"), QSize(200, 100));
    QVERIFY(!m_image.isEmpty());
    m_srt = m_dir.filePath(QStringLiteral("cue.srt"));
    QFile srt(m_srt);
    QVERIFY(srt.open(QIODevice::WriteOnly));
    srt.write("1\n00:00:00,000 --> 00:00:05,000\nA line of subtitles\n");
}

PipObjectPtr tst_PipFrame::imageWatermark() const
{
    auto pip = PipObjectPtr::create();
    pip->setType(PipObject::ImageWatermark);
    pip->setFilePath(m_image);
    pip->setOpacity(1.0);
    pip->setCenterPoint(QPointF(0.5, 0.5));
    return pip;
}

void tst_PipFrame::noObjectIsANoOp()
{
    PipFrame frame(PipObjectPtr{});
    QSignalSpy geometry(&frame, &PipFrame::pixelGeometryChanged);
    frame.setFrameSize(QSize(640, 360));
    QVERIFY(!frame.ensurePainterCreated());
    QVERIFY(frame.paintOnto(0).isNull());
    frame.writePixelGeometry(QRectF(0, 0, 10, 10));
    QCOMPARE(geometry.count(), 0);
}

void tst_PipFrame::layerNeedsAFrameSize()
{
    PipFrame frame(imageWatermark());
    QTest::ignoreMessage(QtWarningMsg, "PipPainter invalid usage! Frame size not setted");
    QVERIFY(frame.paintOnto(0).isNull());
    QTest::ignoreMessage(QtWarningMsg, "PipPainter invalid usage! Frame size not setted");
    QVERIFY(frame.paintOnto(0).isNull());

    frame.setFrameSize(QSize(640, 0));
    QTest::ignoreMessage(QtWarningMsg, "PipPainter invalid usage! Frame size not setted");
    QVERIFY(frame.paintOnto(0).isNull());

    frame.setFrameSize(QSize(640, 360));
    QCOMPARE(frame.paintOnto(0).size(), QSize(640, 360));
}

void tst_PipFrame::frameSizeChanges()
{
    auto pip = imageWatermark();
    PipFrame frame(pip);
    QSignalSpy geometry(&frame, &PipFrame::pixelGeometryChanged);
    frame.setFrameSize(QSize(1280, 720));
    QVERIFY(frame.ensurePainterCreated());
    QCOMPARE(geometry.count(), 1);
    QCOMPARE(geometry.last().at(0).toBool(), true);
    QCOMPARE(geometry.last().at(1).toRectF(), QRectF(608, 344, 64, 32));

    frame.setFrameSize(QSize(1280, 720));
    QCOMPARE(geometry.count(), 1);

    // A new size keeps the painter, gives it a fresh layer and a new box.
    frame.setFrameSize(QSize(640, 360));
    QCOMPARE(geometry.count(), 2);
    QCOMPARE(geometry.last().at(1).toRectF(), QRectF(304, 172, 32, 16));
    const QImage layer = frame.paintOnto(0);
    QCOMPARE(layer.size(), QSize(640, 360));
    QCOMPARE(drawnBounds(layer), QRect(304, 172, 32, 16));
}

void tst_PipFrame::typeChangeReplacesPainter()
{
    auto pip = imageWatermark();
    pip->setText(QStringLiteral("Text mark"));
    pip->setForegroundBrush(QBrush(Qt::white));
    pip->setSize(1.0);
    PipFrame frame(pip);
    frame.setFrameSize(QSize(1280, 720));
    const QRect imageBounds = drawnBounds(frame.paintOnto(0));
    QCOMPARE(imageBounds, QRect(0, 40, 1280, 640));

    QSignalSpy appearance(&frame, &PipFrame::appearanceChanged);
    pip->setType(PipObject::TextWatermark);
    QCOMPARE(appearance.count(), 1);
    // The text mark is wide and low, unlike the 2:1 image.
    const QRect textBounds = drawnBounds(frame.paintOnto(0));
    QVERIFY(!textBounds.isEmpty());
    QVERIFY(textBounds != imageBounds);
    QVERIFY(textBounds.width() > 3 * textBounds.height());
}

void tst_PipFrame::subtitlesNeverReportGeometry()
{
    auto pip = PipObjectPtr::create();
    pip->setType(PipObject::Subtitles);
    pip->setLocation(PipObject::Aligned);
    PipFrame frame(pip);
    QSignalSpy geometry(&frame, &PipFrame::pixelGeometryChanged);
    QSignalSpy appearance(&frame, &PipFrame::appearanceChanged);
    frame.setFrameSize(QSize(1280, 720));
    QVERIFY(frame.ensurePainterCreated());
    pip->setSize(0.5);
    pip->setOpacity(0.8);
    frame.writePixelGeometry(QRectF(0, 0, 100, 100));
    QCOMPARE(geometry.count(), 0);
    QCOMPARE(appearance.count(), 2);
    QCOMPARE(pip->size(), 0.5);
}

// With Size 0 the box does not depend on the location.
void tst_PipFrame::tileHidesResizer()
{
    auto pip = imageWatermark();
    PipFrame frame(pip);
    QSignalSpy geometry(&frame, &PipFrame::pixelGeometryChanged);
    frame.setFrameSize(QSize(1280, 720));
    QVERIFY(frame.ensurePainterCreated());
    QCOMPARE(geometry.count(), 1);
    const QRectF box = geometry.last().at(1).toRectF();

    pip->setLocation(PipObject::Tile);
    QCOMPARE(geometry.count(), 2);
    QCOMPARE(geometry.last().at(0).toBool(), false);
    QCOMPARE(geometry.last().at(1).toRectF(), box);
}

void tst_PipFrame::writePixelGeometryUpdatesObject()
{
    auto pip = imageWatermark();
    PipFrame frame(pip);
    frame.setFrameSize(QSize(1280, 720));
    QSignalSpy geometry(&frame, &PipFrame::pixelGeometryChanged);
    QSignalSpy appearance(&frame, &PipFrame::appearanceChanged);

    const QRectF box(0, 0, 672, 336); // Size 0.5, top-left corner
    frame.writePixelGeometry(box);
    QCOMPARE(pip->size(), 0.5);
    QCOMPARE(pip->centerPoint(), QPointF(0, 0));
    QCOMPARE(appearance.count(), 2);
    QVERIFY(geometry.count() >= 1);
    QCOMPARE(geometry.last().at(1).toRectF(), box);
    QCOMPARE(drawnBounds(frame.paintOnto(0)), box.toRect());
}

void tst_PipFrame::unknownTypeGetsNoPainter()
{
    auto pip = imageWatermark();
    PipObject::PropertyMap map = pip->properties();
    map[PipObject::Property::Type] = 7;
    auto bad = PipObjectPtr::create(map, nullptr);
    PipFrame frame(bad);
    QSignalSpy geometry(&frame, &PipFrame::pixelGeometryChanged);
    frame.setFrameSize(QSize(1280, 720));

    // Reported once, then silent: the worker asks for every frame.
    QTest::ignoreMessage(QtWarningMsg, "PipPainter unsupported overlay type: 7");
    for (int i = 0; i < 5; ++i)
        QVERIFY(frame.paintOnto(i).isNull());
    QVERIFY(!frame.ensurePainterCreated());
    QCOMPARE(geometry.count(), 0);

    // A valid type brings the painter back.
    bad->setType(PipObject::ImageWatermark);
    QCOMPARE(geometry.count(), 1);
    QVERIFY(!frame.paintOnto(0).isNull());
}

// Values as a damaged settings file or link message may hold them, read the
// way the worker reads a task's overlay: each is limited before the painter
// multiplies a frame side by it.
void tst_PipFrame::outOfRangeNumbersStayWithinTheFrame_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("property");
    QTest::addColumn<QVariant>("value");

    const int text = PipObject::TextWatermark;
    const int image = PipObject::ImageWatermark;
    const int subtitles = PipObject::Subtitles;
    const int size = int(PipObject::Property::Size);
    const int opacity = int(PipObject::Property::Opacity);
    const int centre = int(PipObject::Property::CenterPoint);
    const int angle = int(PipObject::Property::Angle);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double infinity = std::numeric_limits<double>::infinity();

    QTest::newRow("text size 100") << text << size << QVariant(100.0);
    QTest::newRow("text size 1e6") << text << size << QVariant(1e6);
    QTest::newRow("text size -1e9") << text << size << QVariant(-1e9);
    QTest::newRow("image size infinite") << image << size << QVariant(infinity);
    QTest::newRow("image size not a number") << image << size << QVariant(nan);
    QTest::newRow("image size as text") << image << size << QVariant(QStringLiteral("1e300"));
    QTest::newRow("image centre far out") << image << centre << QVariant(QPointF(1e9, -1e9));
    QTest::newRow("image opacity 1e6") << image << opacity << QVariant(1e6);
    QTest::newRow("image angle INT_MIN") << image << angle << QVariant(INT_MIN);
    QTest::newRow("subtitles size -1e12") << subtitles << size << QVariant(-1e12);
    QTest::newRow("subtitles size 1e12") << subtitles << size << QVariant(1e12);
    QTest::newRow("subtitles opacity -5") << subtitles << opacity << QVariant(-5.0);
}

void tst_PipFrame::outOfRangeNumbersStayWithinTheFrame()
{
    QFETCH(int, type);
    QFETCH(int, property);
    QFETCH(QVariant, value);

    auto pip = imageWatermark();
    pip->setType(PipObject::Type(type));
    pip->setText(QStringLiteral("Reelmorph"));
    pip->setForegroundBrush(QBrush(Qt::white));
    pip->setBackgroundBrush(QBrush(Qt::black));
    pip->setSize(0.5);
    if (type == PipObject::Subtitles) {
        pip->setFilePath(m_srt);
        pip->setLocation(PipObject::Aligned);
        pip->setAlignment(Qt::AlignBottom);
    }
    PipObject::PropertyMap map = pip->properties();
    map[PipObject::Property(property)] = value;
    const auto received = PipObjectPtr::create(map, nullptr);

    QVERIFY(received->size() >= 0.0 && received->size() <= 1.0);
    QVERIFY(received->opacity() >= 0.0 && received->opacity() <= 1.0);
    const QPointF point = received->centerPoint();
    QVERIFY(point.x() >= 0.0 && point.x() <= 1.0 && point.y() >= 0.0 && point.y() <= 1.0);
    QVERIFY(qAbs(received->angle()) < 360);

    const QSize frameSize(640, 360);
    PipFrame frame(received);
    QSignalSpy geometry(&frame, &PipFrame::pixelGeometryChanged);
    frame.setFrameSize(frameSize);
    const QImage layer = frame.paintOnto(0);
    QCOMPARE(layer.size(), frameSize);
    if (received->opacity() > 0)
        QVERIFY(!drawnBounds(layer).isEmpty());
    if (type != PipObject::Subtitles) {
        // The mark is scaled to this box: it never exceeds the frame.
        QVERIFY(!geometry.isEmpty());
        const QRectF box = geometry.last().at(1).toRectF();
        QVERIFY(!box.isEmpty());
        QVERIFY(QRectF(QPointF(), QSizeF(frameSize)).contains(box));
    }
}

PIP_TEST_MAIN(tst_PipFrame)
#include "tst_pipframe.moc"

#include "core/decoderprivate.h"
#include "core/mediautils.h"
#include "core/overlaycompositor.h"
#include "datamodel/pip/pipframe.h"
#include "mediafixtures.h"

#include <QPainter>
#include <QtTest>

extern "C" {
#include <libavutil/imgutils.h>
}

#include <cstdlib>

namespace {

// A writable copy of the frame's pixels.
FramePtr copyOf(const AVFrame *frame)
{
    FramePtr copy(av_frame_alloc());
    copy->format = frame->format;
    copy->width = frame->width;
    copy->height = frame->height;
    if (av_frame_get_buffer(copy.get(), 0) < 0 || av_frame_copy(copy.get(), frame) < 0)
        return nullptr;
    return copy;
}

// What painting did before: the whole frame to BGRA and back, bicubic.
bool paintWholeFrame(AVFrame *frame, const QImage &layer)
{
    QImage work = MediaUtils::swscaleImage(frame->width, frame->height);
    SwsContextPtr toRgb(sws_getContext(frame->width, frame->height, AVPixelFormat(frame->format),
                                       frame->width, frame->height, AV_PIX_FMT_BGRA, SWS_BICUBIC,
                                       nullptr, nullptr, nullptr));
    SwsContextPtr toFrame(sws_getContext(frame->width, frame->height, AV_PIX_FMT_BGRA, frame->width,
                                         frame->height, AVPixelFormat(frame->format), SWS_BICUBIC,
                                         nullptr, nullptr, nullptr));
    if (work.isNull() || !toRgb || !toFrame)
        return false;
    uint8_t *rgb[4] = {work.bits(), nullptr, nullptr, nullptr};
    int strides[4] = {int(work.bytesPerLine()), 0, 0, 0};
    sws_scale(toRgb.get(), frame->data, frame->linesize, 0, frame->height, rgb, strides);
    {
        QPainter painter(&work);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(work.rect(), layer);
    }
    sws_scale(toFrame.get(), rgb, strides, 0, frame->height, frame->data, frame->linesize);
    return true;
}

// The largest difference of two yuv420p frames inside the rectangle (even
// corners), and whether they are equal outside it.
struct Comparison
{
    int insideMax = 0;
    bool outsideEqual = true;
};

Comparison compare(const AVFrame *a, const AVFrame *b, const QRect &rect)
{
    Comparison result;
    for (int plane = 0; plane < 3; ++plane) {
        const int shift = plane == 0 ? 0 : 1;
        const int width = AV_CEIL_RSHIFT(a->width, shift);
        const int height = AV_CEIL_RSHIFT(a->height, shift);
        const QRect inside(rect.x() >> shift, rect.y() >> shift,
                           AV_CEIL_RSHIFT(rect.width(), shift),
                           AV_CEIL_RSHIFT(rect.height(), shift));
        for (int y = 0; y < height; ++y) {
            const uint8_t *rowA = a->data[plane] + y * a->linesize[plane];
            const uint8_t *rowB = b->data[plane] + y * b->linesize[plane];
            for (int x = 0; x < width; ++x) {
                const int diff = std::abs(rowA[x] - rowB[x]);
                if (inside.contains(x, y))
                    result.insideMax = std::max(result.insideMax, diff);
                else if (diff != 0)
                    result.outsideEqual = false;
            }
        }
    }
    return result;
}

bool transparentOutside(const QImage &layer, const QRect &rect)
{
    for (int y = 0; y < layer.height(); ++y) {
        for (int x = 0; x < layer.width(); ++x) {
            if (!rect.contains(x, y) && qAlpha(layer.pixel(x, y)) != 0)
                return false;
        }
    }
    return true;
}

} // namespace

class tst_OverlayCompositor : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void paintsOnlyTheCoveredRectangle_data();
    void paintsOnlyTheCoveredRectangle();

private:
    MediaFixtures m_fixtures;
    QString m_clip;
};

void tst_OverlayCompositor::initTestCase()
{
    // Noise makes every pixel differ from its neighbours, so that a filter
    // reaching across the rectangle's edge shows.
    m_clip = m_fixtures.makeWith(QStringLiteral("noisy.mp4"),
                                 {"-f", "lavfi", "-i",
                                  "testsrc2=size=320x240:rate=25:duration=0.2,noise=alls=20:allf=t",
                                  "-c:v", "libx264", "-pix_fmt", "yuv420p"});
    QVERIFY(!m_clip.isEmpty());
}

void tst_OverlayCompositor::paintsOnlyTheCoveredRectangle_data()
{
    QTest::addColumn<QPointF>("centre");
    QTest::addColumn<double>("size");
    QTest::addColumn<bool>("small");
    QTest::newRow("mark in the top-left corner") << QPointF(0.15, 0.12) << 0.2 << true;
    QTest::newRow("mark over the bottom-right edge") << QPointF(0.97, 0.95) << 0.2 << true;
    QTest::newRow("mark across the whole width") << QPointF(0.5, 0.5) << 1.0 << false;
}

void tst_OverlayCompositor::paintsOnlyTheCoveredRectangle()
{
    QFETCH(QPointF, centre);
    QFETCH(double, size);
    QFETCH(bool, small);

    // Decoded at its own size, the frame shares its pixels with the decoder.
    decoderprivate decoder;
    QVERIFY(decoder.openInputFile(m_clip) >= 0);
    QVERIFY(decoder.selectStream(decoder.bestStream(AVMEDIA_TYPE_VIDEO)) >= 0);
    decoder.setTargetSize(decoder.sourceSize());
    AVFrame *frame = nullptr;
    QVERIFY(decoder.decode(nullptr, &frame, nullptr, nullptr) >= 0);
    QCOMPARE(AVPixelFormat(frame->format), AV_PIX_FMT_YUV420P);
    const FramePtr decoded = copyOf(frame);
    const FramePtr shared(av_frame_clone(frame));
    QVERIFY(decoded && shared);

    auto mark = PipObjectPtr::create();
    mark->setType(PipObject::TextWatermark);
    mark->setText(QStringLiteral("Wm"));
    mark->setFontFamily(QStringLiteral("DejaVu Sans"));
    mark->setForegroundBrush(QBrush(QColor(250, 40, 30)));
    mark->setOpacity(0.8);
    mark->setSize(size);
    mark->setLocation(PipObject::Free);
    mark->setCenterPoint(centre);
    PipFrame overlay(mark);
    overlay.setFrameSize(QSize(frame->width, frame->height));
    const QImage layer = overlay.paintOnto(0);
    QVERIFY(!layer.isNull());

    const QRect covered = OverlayCompositor::coveredRect(layer);
    QVERIFY(!covered.isEmpty());
    QVERIFY(transparentOutside(layer, covered));
    QCOMPARE(covered.width() * covered.height() < frame->width * frame->height / 4, small);

    OverlayCompositor compositor;
    QCOMPARE(compositor.paint(frame, {layer, QImage()}), 0);

    const FramePtr expected = copyOf(decoded.get());
    QVERIFY(paintWholeFrame(expected.get(), layer));
    // Chroma covers two by two pixels: the rectangle grows to even corners.
    const QRect written(covered.x() & ~1, covered.y() & ~1,
                        ((covered.right() + 2) & ~1) - (covered.x() & ~1),
                        ((covered.bottom() + 2) & ~1) - (covered.y() & ~1));
    const Comparison withDecoded = compare(frame, decoded.get(), written);
    QVERIFY(withDecoded.outsideEqual);
    QVERIFY(withDecoded.insideMax > 20); // the mark is there
    const Comparison withWholeFrame = compare(frame, expected.get(), written);
    QVERIFY2(withWholeFrame.insideMax <= 2, qPrintable(QString::number(withWholeFrame.insideMax)));

    // The decoder's own copy, which later frames may be predicted from, is untouched.
    QCOMPARE(compare(shared.get(), decoded.get(), QRect()).insideMax, 0);
    QVERIFY(compare(shared.get(), decoded.get(), QRect()).outsideEqual);
    decoder.recycleFrame(frame);
}

QTEST_MAIN(tst_OverlayCompositor)
#include "tst_overlaycompositor.moc"

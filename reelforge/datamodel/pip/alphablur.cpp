#include "datamodel/pip/alphablur.h"

#include <QImage>
#include <QPainter>
#include <QSysInfo>
#include <QtMath>

namespace {

// Fixed-point precisions of the blur's weight and of its running value.
constexpr int WeightBits = 12;
constexpr int ValueBits = 10;
// A fully opaque pixel fades to at most this alpha at the radius' distance.
constexpr qreal CutOffAlpha = 2;
// From this radius on, the image is halved and blurred with half the radius.
constexpr qreal HalvingRadius = 4;

constexpr int alphaByte = QSysInfo::ByteOrder == QSysInfo::BigEndian ? 0 : 3;

int blurWeight(qreal radius)
{
    if (radius <= qreal(1e-5))
        return (1 << WeightBits) - 1;
    return qRound((1 << WeightBits) * (1 - qPow(CutOffAlpha / 255, 1 / radius)));
}

// Moves the running value toward the alpha at a and stores the value there.
inline void blurStep(uchar *a, int &value, int weight)
{
    value += weight * ((int(*a) << ValueBits) - (value >> WeightBits));
    *a = uchar(value >> (ValueBits + WeightBits));
}

// Forward over count alphas stride bytes apart, then back to the first; the
// last one is visited once, the running value carrying over.
void blurLine(uchar *first, int count, qsizetype stride, int weight)
{
    if (count <= 0)
        return;
    int value = 0;
    uchar *a = first;
    for (int i = 0; i < count; ++i, a += stride)
        blurStep(a, value, weight);
    a -= stride;
    for (int i = count - 2; i >= 0; --i) {
        a -= stride;
        blurStep(a, value, weight);
    }
}

// Each pixel the mean of a 2 x 2 block, per byte and rounded down at each
// of the two halvings.
QImage halved(const QImage &source)
{
    const auto mean = [](quint32 a, quint32 b) { return (((a ^ b) & 0xfefefefeU) >> 1) + (a & b); };
    QImage result(source.width() / 2, source.height() / 2, source.format());
    result.setDevicePixelRatio(source.devicePixelRatioF());
    for (int y = 0; y < result.height(); ++y) {
        const auto *upper = reinterpret_cast<const quint32 *>(source.constScanLine(2 * y));
        const auto *lower = reinterpret_cast<const quint32 *>(source.constScanLine(2 * y + 1));
        auto *out = reinterpret_cast<quint32 *>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x, upper += 2, lower += 2)
            out[x] = mean(mean(upper[0], upper[1]), mean(lower[0], lower[1]));
    }
    return result;
}

} // namespace

void blurAlpha(QPainter *painter, QImage &image, qreal radius)
{
    if (image.format() != QImage::Format_ARGB32_Premultiplied
        && image.format() != QImage::Format_RGB32)
        image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);

    qreal scale = 1;
    if (radius >= HalvingRadius && image.width() >= 2 && image.height() >= 2) {
        image = halved(image);
        scale = 2;
        radius /= 2;
    }

    const int weight = blurWeight(radius);
    const int width = image.width();
    const int height = image.height();
    const qsizetype pixel = 4;
    const qsizetype line = image.bytesPerLine();
    uchar *bits = image.bits();
    if (bits) {
        for (int y = 0; y < height; ++y)
            blurLine(bits + y * line + alphaByte, width, pixel, weight);
        // Columns run bottom up, as Qt's transposed pass has them.
        for (int x = 0; x < width; ++x)
            blurLine(bits + (height - 1) * line + x * pixel + alphaByte, height, -line, weight);
    }

    if (painter) {
        painter->scale(scale, scale);
        painter->setRenderHint(QPainter::SmoothPixmapTransform);
        painter->drawImage(QRect(QPoint(0, 0), image.size() / image.devicePixelRatioF()), image);
    }
}

#pragma once

#include <QColor>
#include <QDebug>
#include <QImage>
#include <QSize>
#include <QtMath>

#include <cstdlib>

// Painting fixtures shared by the framework's paint tests.
namespace PaintProbe {

// A transparent image of the logical size at the device pixel ratio.
inline QImage canvas(const QSize &logicalSize, double ratio = 1.0)
{
    QImage image(qCeil(logicalSize.width() * ratio), qCeil(logicalSize.height() * ratio),
                 QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    return image;
}

// Compares a device pixel with a colour, each channel within tolerance.
inline bool pixelIs(const QImage &image, int x, int y, const QColor &expected, int tolerance = 8)
{
    const QColor c = image.pixelColor(x, y);
    const bool ok = std::abs(c.red() - expected.red()) <= tolerance
            && std::abs(c.green() - expected.green()) <= tolerance
            && std::abs(c.blue() - expected.blue()) <= tolerance
            && std::abs(c.alpha() - expected.alpha()) <= tolerance;
    if (!ok)
        qWarning() << "pixel" << x << y << "is" << c << "expected" << expected;
    return ok;
}

} // namespace PaintProbe

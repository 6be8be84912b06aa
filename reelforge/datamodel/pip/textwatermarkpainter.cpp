#include "datamodel/pip/textwatermarkpainter.h"

#include "datamodel/pip/alphablur.h"

#include <QFontMetricsF>
#include <QPainter>

namespace {

// A pixel is 0.75 point at 96 dots per inch.
constexpr qreal PointsPerPixel = 0.75;

// Point sizes are measured at 96 dots per inch whatever the screen says,
// so the 0.75 factor holds and the preview and the worker, which may run on
// platforms of different resolutions, fit the text alike.
const QPaintDevice *measuringDevice()
{
    static const QImage device = [] {
        QImage image(1, 1, QImage::Format_ARGB32_Premultiplied);
        const int dotsPerMeter = qRound(96 / 0.0254);
        image.setDotsPerMeterX(dotsPerMeter);
        image.setDotsPerMeterY(dotsPerMeter);
        return image;
    }();
    return &device;
}
// The search converges in a few dozen steps; the cap only guards against
// a font whose metrics stop growing.
constexpr int MaxFitSteps = 1000;

} // namespace

TextWatermarkPainter::TextWatermarkPainter(const PipObjectPtr &object, const QSize &frameSize)
    : ImageWatermarkPainter(object, frameSize)
{ }

TextWatermarkPainter::~TextWatermarkPainter() = default;

QSize TextWatermarkPainter::tileSpacing() const
{
    return QSize(132, 132);
}

void TextWatermarkPainter::frameSizeChanged()
{
    ImageWatermarkPainter::frameSizeChanged();
    // Render again so the text's sharpness follows the frame size.
    dropSourceImage();
}

void TextWatermarkPainter::propertyChanged(PipObject::Property prop)
{
    ImageWatermarkPainter::propertyChanged(prop);
    switch (prop) {
    case PipObject::Property::Text:
    case PipObject::Property::FontFamily:
    case PipObject::Property::ForegroundBrush:
        dropSourceImage();
        emptyBox();
        resetPrepared();
        break;
    default:
        break;
    }
}

QImage TextWatermarkPainter::sourceImage()
{
    const QString text = object()->text();
    if (layer().isNull() || text.isEmpty())
        return QImage();

    const QColor color = object()->foregroundBrush().color();
    QFont font(object()->fontFamily());
    font = fitFont(font, QRectF(layer().rect()), text, false, 0.5);

    const QSize size = QFontMetrics(font).size(0, text);
    QImage textImage(size, QImage::Format_ARGB32_Premultiplied);
    if (textImage.isNull())
        return QImage();
    textImage.fill(Qt::transparent);
    {
        QPainter painter(&textImage);
        painter.setPen(color);
        painter.setFont(font);
        painter.drawText(textImage.rect(), Qt::AlignCenter, text);
    }

    QImage result(size, QImage::Format_ARGB32_Premultiplied);
    result.fill(Qt::transparent);
    {
        QPainter painter(&result);
        drawDropShadow(&painter, QColor(0, 0, 0, 64), 6, QPoint(0, 2), textImage, textImage.rect(),
                       true);
    }
    return result;
}

QFont TextWatermarkPainter::fitFont(QFont font, const QRectF &rect, const QString &text,
                                    bool wordWrap, qreal precision)
{
    qreal size = font.pixelSize() > 0 ? font.pixelSize() * PointsPerPixel : font.pointSizeF();
    qreal step = size * 0.5;
    if (precision >= step)
        step = precision * 4;
    const int flags = wordWrap ? Qt::TextWordWrap : 0;

    QRectF measured;
    qreal lastSize = size;
    auto fits = [&] {
        return measured.width() <= rect.width() && measured.height() <= rect.height();
    };
    for (int i = 0; i < MaxFitSteps; ++i) {
        if (step <= precision && fits())
            break;
        lastSize = size;
        font.setPointSizeF(size);
        measured = QFontMetricsF(font, measuringDevice()).boundingRect(rect, flags, text);
        if (fits()) {
            size += step;
        } else {
            size -= step;
            if (step > precision)
                step *= 0.5;
            if (size <= 0)
                break;
        }
    }
    // Text that never fits still gets a drawable font.
    font.setPixelSize(qMax(1, qRound(lastSize / PointsPerPixel)));
    return font;
}

void TextWatermarkPainter::drawDropShadow(QPainter *painter, const QColor &color, qreal blurRadius,
                                          const QPoint &offset, const QImage &image,
                                          const QRect &sourceRect, bool drawImage)
{
    if (image.isNull())
        return;

    QImage shadow(image.size(), QImage::Format_ARGB32_Premultiplied);
    shadow.setDevicePixelRatio(image.devicePixelRatio());
    shadow.fill(0);
    {
        QPainter p(&shadow);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(offset, image);
    }

    QImage blurred(image.size(), QImage::Format_ARGB32_Premultiplied);
    blurred.setDevicePixelRatio(image.devicePixelRatio());
    blurred.fill(0);
    {
        QPainter p(&blurred);
        blurAlpha(&p, shadow, blurRadius);
    }
    shadow = blurred;

    {
        QPainter p(&shadow);
        p.setCompositionMode(QPainter::CompositionMode_SourceIn);
        p.fillRect(shadow.rect(), color);
    }

    painter->drawImage(0, 0, shadow);
    if (drawImage)
        painter->drawImage(QPointF(0, 0), image, sourceRect);
}

#pragma once

#include "datamodel/pip/imagewatermarkpainter.h"

#include <QColor>
#include <QFont>

class QPainter;

// Draws a text watermark: renders Text once, as large as fits the frame and
// with a soft drop shadow, and places that image like an image watermark.
class TextWatermarkPainter : public ImageWatermarkPainter
{
public:
    TextWatermarkPainter(const PipObjectPtr &object, const QSize &frameSize);
    ~TextWatermarkPainter() override;

    void frameSizeChanged() override;
    void propertyChanged(PipObject::Property prop) override;
    QSize tileSpacing() const override;
    QImage sourceImage() override;

    // The font at the largest size, within the precision, at which the text
    // fits the rectangle; its pixel size is at least 1.
    static QFont fitFont(QFont font, const QRectF &rect, const QString &text, bool wordWrap,
                         qreal precision);
    // Draws a blurred shadow of the image's alpha at the offset, in the
    // colour, and the image itself over it when drawImage is set.
    static void drawDropShadow(QPainter *painter, const QColor &color, qreal blurRadius,
                               const QPoint &offset, const QImage &image, const QRect &sourceRect,
                               bool drawImage);
};

#pragma once

#include "datamodel/pip/abstractpippainter.h"

#include <QSizeF>

// Draws an image watermark: one mark placed freely or a tiled pattern,
// scaled by Size, turned by Angle, drawn with Opacity. Converts between the
// overlay's relative geometry and the mark's box in layer pixels both ways.
// The scaled and turned mark and the drawn layer are cached, so a static
// watermark costs one layer copy per frame.
class ImageWatermarkPainter : public AbstractPipPainter
{
public:
    ImageWatermarkPainter(const PipObjectPtr &object, const QSize &frameSize);
    ~ImageWatermarkPainter() override;

    void frameSizeChanged() override;
    void propertyChanged(PipObject::Property prop) override;
    bool showResizer() const override;
    QRectF pixelGeometry() override;
    void writePixelGeometry(const QRectF &rect) override;
    QImage paint(qint64 time) override;

    // Gap between neighbouring marks of a tiled pattern, and the offset of
    // its first row and column.
    virtual QSize tileSpacing() const;
    // The unscaled mark: here the image file named by FilePath, read no
    // larger than the layer. A null image when there is none; the painter
    // then asks again only once the mark's source changes.
    virtual QImage sourceImage();

    // Smallest and largest mark size for the current source and layer.
    bool sizeLimits(QSizeF &minimum, QSizeF &maximum);

protected:
    void dropSourceImage();
    void emptyBox();
    void resetPrepared();
    bool prepareImage();

private:
    class Private;
    std::unique_ptr<Private> d;
};

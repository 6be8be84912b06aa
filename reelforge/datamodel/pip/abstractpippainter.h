#pragma once

#include "datamodel/pip/pipobject.h"

#include <QImage>
#include <QRectF>
#include <QSize>

#include <memory>

// Interface of the overlay painters. Each painter draws one overlay into a
// transparent layer of the frame size and hands out copies of it, which
// share the pixels until written. Used on the thread that owns its PipFrame.
class AbstractPipPainter
{
public:
    AbstractPipPainter(const PipObjectPtr &object, const QSize &frameSize);
    virtual ~AbstractPipPainter();

    AbstractPipPainter(const AbstractPipPainter &) = delete;
    AbstractPipPainter &operator=(const AbstractPipPainter &) = delete;

    // Re-creates the layer, transparent, when the size differs.
    void setFrameSize(const QSize &size);
    void clearLayer();

    // The layer has just been re-created at a new size.
    virtual void frameSizeChanged() = 0;
    // A property of the overlay changed; the layer is stale.
    virtual void propertyChanged(PipObject::Property prop) = 0;
    // Whether the preview offers the move and resize box for this overlay.
    virtual bool showResizer() const = 0;
    // The overlay's box in layer pixels; a null rectangle when there is none.
    virtual QRectF pixelGeometry() = 0;
    // The user set the box to this rectangle in layer pixels.
    virtual void writePixelGeometry(const QRectF &rect) = 0;
    // The layer for a time in 100-ns units; a null image when nothing shows.
    virtual QImage paint(qint64 time) = 0;

protected:
    PipObjectPtr object() const;
    QImage &layer();
    const QImage &layer() const;

private:
    class Private;
    std::unique_ptr<Private> d;
};

#pragma once

#include "datamodel/pip/pipobject.h"

#include <QImage>
#include <QObject>
#include <QRectF>
#include <QSize>

#include <memory>

class AbstractPipPainter;

// Binds one overlay to one frame size and owns the painter that draws the
// overlay for that size. The preview makes one per overlay at the displayed
// size, the worker one at the encoded size. Lives on the overlay's thread.
class PipFrame : public QObject
{
    Q_OBJECT
public:
    explicit PipFrame(const PipObjectPtr &object, QObject *parent = nullptr);
    ~PipFrame() override;

    void setFrameSize(const QSize &size);
    // The overlay layer for a time in 100-ns units, exactly the frame size,
    // to be drawn at the frame's top-left corner; null when nothing shows.
    QImage paintOnto(qint64 time);
    // Writes a box set by the user, in layer pixels, back into the overlay.
    void writePixelGeometry(const QRectF &rect);
    bool ensurePainterCreated();

signals:
    void pixelGeometryChanged(bool showResizer, const QRectF &pixelGeom);
    void appearanceChanged();

private:
    void onPropertyChanged(PipObject::Property prop);
    void refreshPixelGeometry();

    class Private;
    std::unique_ptr<Private> d;
};

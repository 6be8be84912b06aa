#pragma once

#include <QPainter>
#include <QRectF>

class QStyleOption;

// The painter of one framework paint: its own painter on a device, or a
// borrowed one, with the device pixel ratio and a paint rectangle whose
// edges lie on whole device pixels, so that 1-pixel lines stay sharp at
// fractional scale factors. A second context open on the same device is
// reported. GUI thread only.
class KelPaintContext : public QPainter
{
public:
    // Paints the whole device with the context's own painter.
    explicit KelPaintContext(QPaintDevice *device);
    // Paints option's rect with the caller's painter (inside style code).
    KelPaintContext(QPainter *painter, const QStyleOption *option);
    // Restores the painter as it was found.
    ~KelPaintContext();

    // The borrowed painter, else the context itself.
    QPainter *painter();
    double devicePixelRatio() const;
    QRectF rect() const;

private:
    Q_DISABLE_COPY(KelPaintContext)

    void setUp(const QRectF &rect);
    void paintDiagnostics();

    QPainter *m_externalPainter = nullptr;
    double m_devicePixelRatio = 1.0;
    QRectF m_rect;
    // The device registered at set-up; null when set-up failed.
    QPaintDevice *m_device = nullptr;
};

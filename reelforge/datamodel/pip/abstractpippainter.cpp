#include "datamodel/pip/abstractpippainter.h"

class AbstractPipPainter::Private
{
public:
    PipObjectPtr object;
    QImage layer;
    bool constructed = false;
};

AbstractPipPainter::AbstractPipPainter(const PipObjectPtr &object, const QSize &frameSize)
    : d(std::make_unique<Private>())
{
    d->object = object;
    // The flag is still false, so no (pure) frameSizeChanged is called here.
    setFrameSize(frameSize);
    d->constructed = true;
}

AbstractPipPainter::~AbstractPipPainter() = default;

void AbstractPipPainter::setFrameSize(const QSize &size)
{
    if (d->layer.size() == size)
        return;
    d->layer = QImage(size, QImage::Format_ARGB32_Premultiplied);
    clearLayer();
    if (d->constructed)
        frameSizeChanged();
}

void AbstractPipPainter::clearLayer()
{
    if (!d->layer.isNull())
        d->layer.fill(Qt::transparent);
}

PipObjectPtr AbstractPipPainter::object() const
{
    return d->object;
}

QImage &AbstractPipPainter::layer()
{
    return d->layer;
}

const QImage &AbstractPipPainter::layer() const
{
    return d->layer;
}

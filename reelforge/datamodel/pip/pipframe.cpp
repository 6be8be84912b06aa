#include "datamodel/pip/pipframe.h"

#include "datamodel/pip/imagewatermarkpainter.h"
#include "datamodel/pip/subtitlespainter.h"
#include "datamodel/pip/textwatermarkpainter.h"

#include <QDebug>

#include <optional>

class PipFrame::Private
{
public:
    PipObjectPtr object;
    QSize frameSize;
    std::unique_ptr<AbstractPipPainter> painter;
    bool showResizer = false;
    QRectF pixelGeometry;
    // A type that names no painter is reported once, not on every frame.
    std::optional<int> reportedBadType;

    std::unique_ptr<AbstractPipPainter> createPainter();
};

std::unique_ptr<AbstractPipPainter> PipFrame::Private::createPainter()
{
    const PipObject::Type type = object->type();
    switch (type) {
    case PipObject::ImageWatermark:
        return std::make_unique<ImageWatermarkPainter>(object, frameSize);
    case PipObject::TextWatermark:
        return std::make_unique<TextWatermarkPainter>(object, frameSize);
    case PipObject::Subtitles:
        return std::make_unique<SubtitlesPainter>(object, frameSize);
    }
    if (reportedBadType != int(type)) {
        qWarning() << "PipPainter unsupported overlay type:" << int(type);
        reportedBadType = int(type);
    }
    return nullptr;
}

static bool fuzzyEqual(const QRectF &a, const QRectF &b)
{
    return qFuzzyCompare(a.x(), b.x()) && qFuzzyCompare(a.y(), b.y())
            && qFuzzyCompare(a.width(), b.width()) && qFuzzyCompare(a.height(), b.height());
}

PipFrame::PipFrame(const PipObjectPtr &object, QObject *parent)
    : QObject(parent), d(std::make_unique<Private>())
{
    d->object = object;
    if (d->object)
        connect(d->object.data(), &PipObject::propertyChanged, this, &PipFrame::onPropertyChanged);
}

PipFrame::~PipFrame() = default;

void PipFrame::setFrameSize(const QSize &size)
{
    if (size == d->frameSize)
        return;
    d->frameSize = size;
    if (d->painter) {
        d->painter->setFrameSize(size);
        refreshPixelGeometry();
    }
}

QImage PipFrame::paintOnto(qint64 time)
{
    if (!ensurePainterCreated())
        return QImage();
    return d->painter->paint(time);
}

void PipFrame::writePixelGeometry(const QRectF &rect)
{
    if (ensurePainterCreated())
        d->painter->writePixelGeometry(rect);
}

bool PipFrame::ensurePainterCreated()
{
    if (d->painter)
        return true;
    if (!d->object)
        return false;
    if (d->frameSize.width() < 1 || d->frameSize.height() < 1) {
        qWarning("PipPainter invalid usage! Frame size not setted");
        return false;
    }
    d->painter = d->createPainter();
    if (!d->painter)
        return false;
    refreshPixelGeometry();
    return true;
}

void PipFrame::onPropertyChanged(PipObject::Property prop)
{
    if (prop == PipObject::Property::Type) {
        d->painter.reset();
        d->reportedBadType.reset();
    }
    if (ensurePainterCreated())
        d->painter->propertyChanged(prop);
    refreshPixelGeometry();
    emit appearanceChanged();
}

void PipFrame::refreshPixelGeometry()
{
    bool showResizer = false;
    QRectF geometry;
    if (ensurePainterCreated()) {
        showResizer = d->painter->showResizer();
        geometry = d->painter->pixelGeometry();
    }
    if (showResizer == d->showResizer && fuzzyEqual(geometry, d->pixelGeometry))
        return;
    d->showResizer = showResizer;
    d->pixelGeometry = geometry;
    emit pixelGeometryChanged(showResizer, geometry);
}

#include "moc_pipframe.cpp"

#include "datamodel/pip/imagewatermarkpainter.h"

#include "datamodel/pip/platform/regularfile.h"

#include <QDebug>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QTransform>

class ImageWatermarkPainter::Private
{
public:
    QImage source;
    // The source could not be had; asked again only when FilePath changes.
    bool sourceFailed = false;
    // The source was read smaller than its file, to fit the layer; the
    // geometry still follows the size the file declares.
    bool sourceScaled = false;
    QSize declaredSize;
    QRectF box;
    QImage prepared;
    int preparedAngle = 0;
    QSizeF preparedSize;
    bool layerValid = false;
};

namespace {

constexpr qint64 MaxImageFileBytes = 100 * 1024 * 1024;
// A mark is never drawn larger than the frame, and an image file declaring
// more than this is refused before any pixel is read.
constexpr int MaxImageSide = 16384;
constexpr qint64 MaxImagePixels = 36 * 1000 * 1000;

// The rectangle inside which a mark of this size may have its centre, so
// that centre fractions 0 and 1 put the mark flush with the frame's edges.
QRectF centreArea(const QSize &layerSize, const QSizeF &mark)
{
    const qreal dx = mark.width() / 2;
    const qreal dy = mark.height() / 2;
    return QRectF(QPointF(0, 0), QSizeF(layerSize)).adjusted(dx, dy, -dx, -dy);
}

} // namespace

ImageWatermarkPainter::ImageWatermarkPainter(const PipObjectPtr &object, const QSize &frameSize)
    : AbstractPipPainter(object, frameSize), d(std::make_unique<Private>())
{ }

ImageWatermarkPainter::~ImageWatermarkPainter() = default;

QSize ImageWatermarkPainter::tileSpacing() const
{
    return QSize(80, 80);
}

QImage ImageWatermarkPainter::sourceImage()
{
    d->sourceScaled = false;
    d->declaredSize = QSize();
    const QString path = object()->filePath();
    if (path.isEmpty())
        return QImage();
    QString why;
    const std::unique_ptr<QFile> file = openRegularFile(path, MaxImageFileBytes, &why);
    if (!file) {
        qWarning().noquote() << "Can't read the watermark image" << path << "-" << why;
        return QImage();
    }

    QImageReader reader(file.get(), QFileInfo(path).suffix().toLower().toLatin1());
    const QSize declared = reader.size();
    if (!declared.isValid()) {
        qWarning().noquote() << "Can't read the size of the watermark image" << path << "-"
                             << reader.errorString();
        return QImage();
    }
    if (declared.width() > MaxImageSide || declared.height() > MaxImageSide
        || qint64(declared.width()) * declared.height() > MaxImagePixels) {
        qWarning().noquote() << "Refused the watermark image" << path << "of" << declared.width()
                             << "x" << declared.height() << "pixels";
        return QImage();
    }
    // Read no larger than the layer: that is the most the mark can take.
    const QSize layerSize = layer().size();
    if (!layerSize.isEmpty()
        && (declared.width() > layerSize.width() || declared.height() > layerSize.height())) {
        reader.setScaledSize(
                declared.scaled(layerSize, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
        d->sourceScaled = true;
        d->declaredSize = declared;
    }
    const QImage image = reader.read();
    if (image.isNull())
        qWarning().noquote() << "Can't read the watermark image" << path << "-"
                             << reader.errorString();
    return image;
}

bool ImageWatermarkPainter::sizeLimits(QSizeF &minimum, QSizeF &maximum)
{
    if (layer().isNull())
        return false;
    if (d->source.isNull() && !d->sourceFailed) {
        d->source = sourceImage();
        d->sourceFailed = d->source.isNull();
    }
    if (d->source.isNull())
        return false;
    const QSize natural = d->sourceScaled ? d->declaredSize : d->source.size();
    const QSizeF fit = natural.scaled(layer().size(), Qt::KeepAspectRatio);
    minimum = fit * 0.05;
    maximum = object()->location() == PipObject::Tile ? fit * 0.4 : fit;
    return true;
}

QRectF ImageWatermarkPainter::pixelGeometry()
{
    if (!d->box.isEmpty())
        return d->box;
    QSizeF minimum, maximum;
    if (!sizeLimits(minimum, maximum))
        return QRectF(0, 0, 0, 0);
    const QSizeF mark = minimum + (maximum - minimum) * object()->size();
    const QRectF area = centreArea(layer().size(), mark);
    const QPointF fraction = object()->centerPoint();
    d->box = QRectF(QPointF(), mark);
    d->box.moveCenter(QPointF(area.left() + area.width() * fraction.x(),
                              area.top() + area.height() * fraction.y()));
    return d->box;
}

void ImageWatermarkPainter::writePixelGeometry(const QRectF &rect)
{
    QSizeF minimum, maximum;
    if (rect.isEmpty() || !sizeLimits(minimum, maximum))
        return;

    const QRectF area = centreArea(layer().size(), rect.size());
    const QPointF center(area.width() > 0 ? (rect.center().x() - area.left()) / area.width() : 0,
                         area.height() > 0 ? (rect.center().y() - area.top()) / area.height() : 0);

    // A mark that is zero pixels thin in one dimension (a very long, narrow
    // image) has no size range there, so that dimension cannot give the size.
    const qreal rangeW = maximum.width() - minimum.width();
    const qreal rangeH = maximum.height() - minimum.height();
    qreal size = object()->size();
    if (rangeW > 0 && rangeH > 0) {
        const qreal relW = (rect.width() - minimum.width()) / rangeW;
        const qreal relH = (rect.height() - minimum.height()) / rangeH;
        size = relW;
        if (!qFuzzyCompare(relW, relH)) {
            size = relW + (relH - relW) * 0.5;
            qWarning() << "Calculated pip relative size is different for width and height."
                       << "Use mean:" << relW << "=>" << size;
        }
    } else if (rangeW > 0) {
        size = (rect.width() - minimum.width()) / rangeW;
    } else if (rangeH > 0) {
        size = (rect.height() - minimum.height()) / rangeH;
    }

    const PipObjectPtr pip = object();
    pip->setCenterPoint(center);
    pip->setSize(size);
}

bool ImageWatermarkPainter::showResizer() const
{
    return object()->location() == PipObject::Free;
}

void ImageWatermarkPainter::frameSizeChanged()
{
    emptyBox();
    resetPrepared();
    d->layerValid = false;
    // Read to fit the old layer, it may be too small for the new one.
    if (d->sourceScaled)
        dropSourceImage();
}

void ImageWatermarkPainter::propertyChanged(PipObject::Property prop)
{
    clearLayer();
    d->layerValid = false;
    switch (prop) {
    case PipObject::Property::Size:
        emptyBox();
        resetPrepared();
        break;
    case PipObject::Property::Angle:
        resetPrepared();
        break;
    case PipObject::Property::Location:
    case PipObject::Property::CenterPoint:
        emptyBox();
        break;
    case PipObject::Property::FilePath:
        dropSourceImage();
        emptyBox();
        resetPrepared();
        break;
    default:
        break;
    }
}

void ImageWatermarkPainter::dropSourceImage()
{
    d->source = QImage();
    d->sourceFailed = false;
    d->sourceScaled = false;
    d->declaredSize = QSize();
}

void ImageWatermarkPainter::emptyBox()
{
    d->box = QRectF();
}

void ImageWatermarkPainter::resetPrepared()
{
    d->prepared = QImage();
    d->preparedAngle = 0;
    d->preparedSize = QSizeF();
}

bool ImageWatermarkPainter::prepareImage()
{
    const QRectF box = pixelGeometry();
    if (box.isEmpty())
        return false;
    const int angle = object()->angle();
    if (qFuzzyCompare(d->preparedSize.width(), box.width())
        && qFuzzyCompare(d->preparedSize.height(), box.height()) && d->preparedAngle == angle)
        return !d->prepared.isNull();

    d->preparedSize = box.size();
    d->preparedAngle = angle;
    const QImage scaled = d->source.scaled(box.size().toSize(), Qt::KeepAspectRatio,
                                           Qt::SmoothTransformation);
    const QPointF centre(scaled.width() / 2, scaled.height() / 2);
    QTransform turn;
    turn.translate(centre.x(), centre.y());
    turn.rotate(angle);
    turn.translate(-centre.x(), -centre.y());
    d->prepared = scaled.transformed(turn, Qt::SmoothTransformation);
    return !d->prepared.isNull();
}

QImage ImageWatermarkPainter::paint(qint64 time)
{
    Q_UNUSED(time) // a watermark does not change over time
    if (d->layerValid)
        return layer();
    if (!prepareImage())
        return QImage();

    QPainter painter(&layer());
    painter.setOpacity(object()->opacity());
    const QImage &mark = d->prepared;
    auto markRect = [&mark](const QPointF &centre) {
        QRectF r(QPointF(), QSizeF(mark.size()));
        r.moveCenter(centre);
        return r.toRect();
    };

    switch (object()->location()) {
    case PipObject::Free: {
        const QRect target = markRect(d->box.center());
        painter.setClipRect(target);
        painter.drawImage(target.topLeft(), mark);
        break;
    }
    case PipObject::Tile: {
        const QSize spacing = tileSpacing();
        const int stepX = qMax(1, spacing.width() + qRound(d->box.width()));
        const int stepY = qMax(1, spacing.height() + qRound(d->box.height()));
        const int oddRowStart = -spacing.width() + (mark.width() + spacing.width()) / 2;
        const QSize layerSize = layer().size();
        int row = 0;
        for (int y = -spacing.height(); y < layerSize.height() + mark.height() / 2.0;
             y += stepY, ++row) {
            const int rowStart = row % 2 == 0 ? -spacing.width() : oddRowStart;
            for (int x = rowStart; x < layerSize.width() + mark.width() / 2.0; x += stepX)
                painter.drawImage(markRect(QPointF(x, y)).topLeft(), mark);
        }
        break;
    }
    default:
        break;
    }
    painter.end();

    d->layerValid = true;
    return layer();
}

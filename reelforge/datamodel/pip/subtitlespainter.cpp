#include "datamodel/pip/subtitlespainter.h"

#include "datamodel/pip/srtreader.h"

#include <QFontMetrics>
#include <QPainter>
#include <QVector>

class SubtitlesPainter::Private
{
public:
    QVector<SubtitleCue> cues;
    SubtitleCue current;
    bool layerValid = true;

    bool currentContains(qint64 time) const
    {
        return current.start < current.end && current.start <= time && time < current.end;
    }
};

namespace {

// Moves the block of lines inside the text area as the alignment asks.
QRect placeBlock(const QRect &area, const QSize &blockSize, Qt::Alignment alignment)
{
    if (blockSize == area.size())
        return area;
    QRect block(area.topLeft(), blockSize);
    if (alignment & Qt::AlignLeft)
        block.moveLeft(area.left());
    if (alignment & Qt::AlignHCenter)
        block.moveLeft(area.x() + (area.width() - block.width()) / 2);
    if (alignment & Qt::AlignRight)
        block.moveRight(area.right());
    if (alignment & Qt::AlignTop)
        block.moveTop(area.top());
    if (alignment & Qt::AlignVCenter)
        block.moveTop(area.top() + (area.height() - block.height()) / 2);
    if (alignment & Qt::AlignBottom)
        block.moveBottom(area.bottom());
    return block & area;
}

} // namespace

SubtitlesPainter::SubtitlesPainter(const PipObjectPtr &object, const QSize &frameSize)
    : AbstractPipPainter(object, frameSize), d(std::make_unique<Private>())
{
    SrtReader::read(d->cues, this->object()->filePath());
}

SubtitlesPainter::~SubtitlesPainter() = default;

void SubtitlesPainter::frameSizeChanged()
{
    d->layerValid = false;
}

void SubtitlesPainter::propertyChanged(PipObject::Property prop)
{
    clearLayer();
    d->layerValid = false;
    if (prop == PipObject::Property::FilePath) {
        SrtReader::read(d->cues, object()->filePath());
        d->current = SubtitleCue();
    }
}

bool SubtitlesPainter::showResizer() const
{
    return false;
}

QRectF SubtitlesPainter::pixelGeometry()
{
    return QRectF();
}

void SubtitlesPainter::writePixelGeometry(const QRectF &rect)
{
    Q_UNUSED(rect) // subtitles are placed by alignment only
}

SubtitleCue SubtitlesPainter::cueAt(qint64 time) const
{
    for (const SubtitleCue &cue : qAsConst(d->cues)) {
        if (cue.start <= time && time < cue.end)
            return cue;
    }
    return SubtitleCue();
}

QImage SubtitlesPainter::paint(qint64 time)
{
    if (layer().isNull())
        return QImage();
    if (!d->currentContains(time))
        d->current = cueAt(time);
    else if (d->layerValid)
        return layer();
    if (d->current.start >= d->current.end || d->current.lines.isEmpty())
        return QImage();

    drawCue();
    d->layerValid = true;
    return layer();
}

void SubtitlesPainter::drawCue()
{
    const PipObjectPtr pip = object();
    const QRect layerRect = layer().rect();
    const int m = qMin(layerRect.width(), layerRect.height());

    QFont font(pip->fontFamily());
    const qreal pixelSize = m * 0.02 + (m * 0.15 - m * 0.02) * pip->size();
    font.setPixelSize(qMax(1, qRound(pixelSize)));
    const QColor textColor = pip->foregroundBrush().color();
    const QBrush boxBrush = pip->backgroundBrush();

    Qt::Alignment alignment = pip->alignment();
    if (!(alignment & Qt::AlignHorizontal_Mask))
        alignment |= Qt::AlignHCenter;
    const int textFlags = int(alignment & Qt::AlignHorizontal_Mask) | Qt::TextWordWrap;

    const int margin = qRound(m * 0.05);
    const int inset = qRound(m * 0.01);
    const QRect area = layerRect.adjusted(margin, margin, -margin, -margin);

    const QFontMetrics metrics(font);
    QVector<QRect> lineRects;
    lineRects.reserve(d->current.lines.size());
    QSize blockSize(0, 0);
    for (const QString &line : qAsConst(d->current.lines)) {
        QRect r = metrics.boundingRect(area, textFlags, line);
        r.moveTop(blockSize.height());
        blockSize.setWidth(qMax(blockSize.width(), r.width()));
        blockSize.setHeight(blockSize.height() + r.height());
        lineRects.append(r);
    }
    const QRect block = placeBlock(area, blockSize, alignment);
    for (QRect &r : lineRects)
        r.translate(0, block.top());

    clearLayer();
    QPainter painter(&layer());
    painter.setOpacity(pip->opacity());
    if (boxBrush.style() == Qt::SolidPattern && boxBrush.color().alpha() >= 1) {
        // Destination-atop lets the boxes of adjacent lines blend into one
        // box instead of darkening where they overlap.
        painter.setCompositionMode(QPainter::CompositionMode_DestinationAtop);
        for (const QRect &r : qAsConst(lineRects))
            painter.fillRect(r.adjusted(-2 * inset, -inset, 2 * inset, inset), boxBrush);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
    painter.setPen(textColor);
    painter.setFont(font);
    for (int i = 0; i < lineRects.size(); ++i)
        painter.drawText(lineRects.at(i), textFlags, d->current.lines.at(i));
}

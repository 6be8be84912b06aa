#pragma once

#include "datamodel/pip/abstractpippainter.h"
#include "datamodel/pip/subtitlecue.h"

// Burns the subtitle cue showing at a frame's time into the layer, placed
// by Alignment inside a margin, on optional boxes of the background brush.
// The drawing of the current cue is kept, so while one cue shows no text is
// laid out again.
class SubtitlesPainter : public AbstractPipPainter
{
public:
    SubtitlesPainter(const PipObjectPtr &object, const QSize &frameSize);
    ~SubtitlesPainter() override;

    void frameSizeChanged() override;
    void propertyChanged(PipObject::Property prop) override;
    bool showResizer() const override;
    QRectF pixelGeometry() override;
    void writePixelGeometry(const QRectF &rect) override;
    QImage paint(qint64 time) override;

    // The first cue in file order with start <= time < end, else an empty cue.
    SubtitleCue cueAt(qint64 time) const;

private:
    void drawCue();

    class Private;
    std::unique_ptr<Private> d;
};

#pragma once

#include "core/avptr.h"

#include <QImage>
#include <QList>
#include <QRect>

#include <memory>

// Burns overlay layers into decoded video frames. Each layer is frame-sized
// and transparent where it shows nothing; only the rectangle that the layers
// cover goes through RGB: it is converted to BGRA (bicubic), the layers are
// painted over it and it is converted back (bicubic), and only that rectangle
// is written into the frame. Every other pixel keeps the decoder's value.
//
// Conversion contexts, the work image and buffers are reused while the
// frame's geometry and the covered rectangle stay the same. One thread.
class OverlayCompositor
{
public:
    OverlayCompositor();
    ~OverlayCompositor();

    OverlayCompositor(const OverlayCompositor &) = delete;
    OverlayCompositor &operator=(const OverlayCompositor &) = delete;

    // Null layers are skipped. A frame whose pixels are shared (with the
    // decoder's reference frames, say) gets pixels of its own first.
    // Returns 0 or a negative FFmpeg error code.
    int paint(AVFrame *frame, const QList<QImage> &layers);

    // The smallest rectangle that holds every pixel of the layer that is not
    // fully transparent; empty when there is none.
    static QRect coveredRect(const QImage &layer);

private:
    class Private;
    std::unique_ptr<Private> d;
};

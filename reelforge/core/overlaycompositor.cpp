#include "core/overlaycompositor.h"

#include "core/mediautils.h"

extern "C" {
#include <libavutil/imgutils.h>
#include <libavutil/pixdesc.h>
}

#include <QDebug>
#include <QPainter>

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

namespace {

// The converted rectangle reaches this far past the written one, so that the
// bicubic filters see the same neighbours at its edges as in a conversion of
// the whole frame.
constexpr int FilterMargin = 16;
// Left edges of the converted rectangle, in pixels: keeps the rows that the
// scaler reads and writes aligned for its vector code.
constexpr int RowStartAlignment = 32;
// Covered rectangles are remembered for this many layers (a watermark and the
// subtitle cues around the current one).
constexpr size_t RememberedLayers = 8;
constexpr int BufferAlignment = 64;

struct BufferPoolDeleter
{
    void operator()(AVBufferPool *pool) const { av_buffer_pool_uninit(&pool); }
};
using BufferPoolPtr = std::unique_ptr<AVBufferPool, BufferPoolDeleter>;

// One plane of a pixel format: bytes per pixel and the subsampling shifts.
struct PlaneLayout
{
    int step = 0;
    int shiftX = 0;
    int shiftY = 0;
};
using PlaneLayouts = std::array<PlaneLayout, 4>;

// Formats whose planes can be cut into rectangles byte by byte.
bool isCuttable(const AVPixFmtDescriptor *desc)
{
    return desc
            && !(desc->flags
                 & (AV_PIX_FMT_FLAG_BITSTREAM | AV_PIX_FMT_FLAG_PAL | AV_PIX_FMT_FLAG_HWACCEL));
}

PlaneLayouts planeLayouts(const AVPixFmtDescriptor *desc)
{
    PlaneLayouts layouts;
    const bool yuv = !(desc->flags & AV_PIX_FMT_FLAG_RGB);
    for (int c = 0; c < desc->nb_components; ++c) {
        const AVComponentDescriptor &component = desc->comp[c];
        PlaneLayout &layout = layouts[size_t(component.plane)];
        if (layout.step > 0)
            continue;
        const bool chroma = yuv && (c == 1 || c == 2);
        layout.step = component.step;
        layout.shiftX = chroma ? desc->log2_chroma_w : 0;
        layout.shiftY = chroma ? desc->log2_chroma_h : 0;
    }
    return layouts;
}

int floorTo(int value, int step)
{
    return value / step * step;
}

int ceilTo(int value, int step)
{
    return (value + step - 1) / step * step;
}

// Grown to whole multiples of the steps, within the frame.
QRect alignedRect(const QRect &rect, int stepX, int stepY, const QSize &frame)
{
    const int left = std::max(0, floorTo(rect.x(), stepX));
    const int top = std::max(0, floorTo(rect.y(), stepY));
    const int right = std::min(frame.width(), ceilTo(rect.x() + rect.width(), stepX));
    const int bottom = std::min(frame.height(), ceilTo(rect.y() + rect.height(), stepY));
    return QRect(left, top, right - left, bottom - top);
}

// Pointers to the rectangle's top-left corner in each plane.
void cornerPointers(uint8_t *const data[4], const int linesize[4], const PlaneLayouts &layouts,
                    const QRect &rect, uint8_t *corners[4])
{
    for (size_t p = 0; p < 4; ++p) {
        const PlaneLayout &layout = layouts[p];
        corners[p] = data[p] && layout.step > 0
                ? data[p] + ptrdiff_t(rect.y() >> layout.shiftY) * linesize[p]
                        + ptrdiff_t(rect.x() >> layout.shiftX) * layout.step
                : data[p];
    }
}

// Copies the rectangle, whose corner is at `from` in the source and at `to` in
// the destination, plane by plane.
void copyRect(const AVFrame *source, const QPoint &from, AVFrame *target, const QRect &to,
              const PlaneLayouts &layouts)
{
    uint8_t *sourceCorners[4];
    uint8_t *targetCorners[4];
    cornerPointers(source->data, source->linesize, layouts, QRect(from, to.size()), sourceCorners);
    cornerPointers(target->data, target->linesize, layouts, to, targetCorners);
    for (size_t p = 0; p < 4; ++p) {
        const PlaneLayout &layout = layouts[p];
        if (!targetCorners[p] || layout.step == 0)
            continue;
        const int columns = AV_CEIL_RSHIFT(to.x() + to.width(), layout.shiftX)
                - (to.x() >> layout.shiftX);
        const int rows = AV_CEIL_RSHIFT(to.y() + to.height(), layout.shiftY)
                - (to.y() >> layout.shiftY);
        av_image_copy_plane(targetCorners[p], target->linesize[p], sourceCorners[p],
                            source->linesize[p], columns * layout.step, rows);
    }
}

} // namespace

class OverlayCompositor::Private
{
public:
    QRect coveredBy(const QList<QImage> &layers);
    int makeWritable(AVFrame *frame);
    int process2RGB(const AVFrame *frame, const QRect &rect);
    void paintLayers(const QList<QImage> &layers, const QRect &rect);
    int process2YUV(const AVFrame *frame, const QRect &rect);

    PlaneLayouts layouts;
    bool cuttable = false;

    // The converted rectangle in BGRA, painted over.
    QImage workImage;
    SwsContextPtr toRgb;
    SwsContextPtr toFrame;
    // The converted rectangle back in the frame's format.
    FramePtr converted;
    // Pixels for frames that share theirs; reused instead of allocated anew.
    BufferPoolPtr pool;
    int poolSize = 0;

    std::vector<std::pair<qint64, QRect>> coveredRects;
};

OverlayCompositor::OverlayCompositor() : d(std::make_unique<Private>()) { }

OverlayCompositor::~OverlayCompositor() = default;

int OverlayCompositor::paint(AVFrame *frame, const QList<QImage> &layers)
{
    if (!frame || frame->width <= 0 || frame->height <= 0)
        return AVERROR(EINVAL);
    const QSize frameSize(frame->width, frame->height);
    const QRect covered = d->coveredBy(layers) & QRect(QPoint(), frameSize);
    if (covered.isEmpty())
        return 0;

    const AVPixFmtDescriptor *desc = av_pix_fmt_desc_get(AVPixelFormat(frame->format));
    if (!desc)
        return AVERROR(EINVAL);
    d->cuttable = isCuttable(desc);
    QRect written = QRect(QPoint(), frameSize);
    QRect convertedRect = written;
    if (d->cuttable) {
        d->layouts = planeLayouts(desc);
        const int stepX = 1 << desc->log2_chroma_w;
        const int stepY = 1 << desc->log2_chroma_h;
        written = alignedRect(covered, stepX, stepY, frameSize);
        convertedRect = alignedRect(written.adjusted(-FilterMargin, -FilterMargin, FilterMargin,
                                                     FilterMargin),
                                    std::max(stepX, RowStartAlignment), stepY, frameSize);
    }

    int ret = d->makeWritable(frame);
    if (ret < 0)
        return ret;
    ret = d->process2RGB(frame, convertedRect);
    if (ret < 0)
        return ret;
    d->paintLayers(layers, convertedRect);
    ret = d->process2YUV(frame, convertedRect);
    if (ret < 0)
        return ret;
    if (!d->cuttable)
        return av_frame_copy(frame, d->converted.get());
    copyRect(d->converted.get(), written.topLeft() - convertedRect.topLeft(), frame, written,
             d->layouts);
    return 0;
}

QRect OverlayCompositor::coveredRect(const QImage &layer)
{
    if (layer.isNull())
        return QRect();
    if (!layer.hasAlphaChannel())
        return layer.rect();
    const QImage image = layer.format() == QImage::Format_ARGB32_Premultiplied
                    || layer.format() == QImage::Format_ARGB32
            ? layer
            : layer.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const int width = image.width();
    int left = width, right = -1, top = -1, bottom = -1;
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        int first = 0;
        while (first < width && qAlpha(line[first]) == 0)
            ++first;
        if (first == width)
            continue;
        int last = width - 1;
        while (qAlpha(line[last]) == 0)
            --last;
        if (top < 0)
            top = y;
        bottom = y;
        left = std::min(left, first);
        right = std::max(right, last);
    }
    return top < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

// ---------------------------------------------------------------------------

// A layer's pixels change only with its cache key, so each is scanned once.
QRect OverlayCompositor::Private::coveredBy(const QList<QImage> &layers)
{
    QRect covered;
    for (const QImage &layer : layers) {
        if (layer.isNull())
            continue;
        const qint64 key = layer.cacheKey();
        auto known = std::find_if(coveredRects.begin(), coveredRects.end(),
                                  [key](const auto &entry) { return entry.first == key; });
        if (known == coveredRects.end()) {
            if (coveredRects.size() >= RememberedLayers)
                coveredRects.erase(coveredRects.begin());
            coveredRects.emplace_back(key, coveredRect(layer));
            known = coveredRects.end() - 1;
        }
        covered |= known->second;
    }
    return covered;
}

// As av_frame_make_writable(), but the copy's pixels come from a pool: a new
// allocation of a whole frame per frame costs more in page faults than the copy.
int OverlayCompositor::Private::makeWritable(AVFrame *frame)
{
    if (av_frame_is_writable(frame))
        return 0;
    if (!cuttable)
        return av_frame_make_writable(frame);
    const AVPixelFormat format = AVPixelFormat(frame->format);
    const int size = av_image_get_buffer_size(format, frame->width, frame->height, BufferAlignment);
    if (size < 0)
        return size;
    if (!pool || poolSize != size) {
        pool.reset(av_buffer_pool_init(size_t(size), nullptr));
        poolSize = size;
        if (!pool)
            return AVERROR(ENOMEM);
    }
    FramePtr copy(av_frame_alloc());
    if (!copy)
        return AVERROR(ENOMEM);
    copy->buf[0] = av_buffer_pool_get(pool.get());
    if (!copy->buf[0])
        return AVERROR(ENOMEM);
    copy->format = frame->format;
    copy->width = frame->width;
    copy->height = frame->height;
    int ret = av_image_fill_arrays(copy->data, copy->linesize, copy->buf[0]->data, format,
                                   frame->width, frame->height, BufferAlignment);
    if (ret >= 0)
        ret = av_frame_copy(copy.get(), frame);
    if (ret >= 0)
        ret = av_frame_copy_props(copy.get(), frame);
    if (ret < 0)
        return ret;
    av_frame_unref(frame);
    av_frame_move_ref(frame, copy.get());
    return 0;
}

int OverlayCompositor::Private::process2RGB(const AVFrame *frame, const QRect &rect)
{
    // Sized from the image's own rows: the frame's line size says nothing of them.
    if (workImage.size() != rect.size()) {
        workImage = MediaUtils::swscaleImage(rect.width(), rect.height());
        if (workImage.isNull())
            return AVERROR(ENOMEM);
    }
    // Kept while the rectangle's size and the frame's format stay the same.
    toRgb.reset(sws_getCachedContext(toRgb.release(), rect.width(), rect.height(),
                                     AVPixelFormat(frame->format), rect.width(), rect.height(),
                                     AV_PIX_FMT_BGRA, SWS_BICUBIC, nullptr, nullptr, nullptr));
    if (!toRgb) {
        qCritical() << "Could not initialize conversion context.";
        return AVERROR_UNKNOWN;
    }
    uint8_t *source[4] = {frame->data[0], frame->data[1], frame->data[2], frame->data[3]};
    if (cuttable)
        cornerPointers(frame->data, frame->linesize, layouts, rect, source);
    uint8_t *planes[4] = {workImage.bits(), nullptr, nullptr, nullptr};
    const int strides[4] = {int(workImage.bytesPerLine()), 0, 0, 0};
    sws_scale(toRgb.get(), source, frame->linesize, 0, rect.height(), planes, strides);
    return 0;
}

// Each layer is frame-sized: its part under the rectangle is drawn 1:1.
void OverlayCompositor::Private::paintLayers(const QList<QImage> &layers, const QRect &rect)
{
    QPainter painter(&workImage);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    for (const QImage &layer : layers) {
        if (!layer.isNull())
            painter.drawImage(QPoint(0, 0), layer, rect);
    }
}

int OverlayCompositor::Private::process2YUV(const AVFrame *frame, const QRect &rect)
{
    if (workImage.isNull() || workImage.size() != rect.size()
        || workImage.format() != QImage::Format_ARGB32_Premultiplied) {
        qCritical() << "Null frame image or invalid frame format.";
        return AVERROR_UNKNOWN;
    }
    if (!converted || converted->format != frame->format || converted->width != rect.width()
        || converted->height != rect.height()) {
        converted.reset(av_frame_alloc());
        if (!converted)
            return AVERROR(ENOMEM);
        converted->format = frame->format;
        converted->width = rect.width();
        converted->height = rect.height();
        const int ret = av_frame_get_buffer(converted.get(), BufferAlignment);
        if (ret < 0) {
            converted.reset();
            return ret;
        }
    }
    toFrame.reset(sws_getCachedContext(toFrame.release(), rect.width(), rect.height(),
                                       AV_PIX_FMT_BGRA, rect.width(), rect.height(),
                                       AVPixelFormat(frame->format), SWS_BICUBIC, nullptr, nullptr,
                                       nullptr));
    if (!toFrame) {
        qCritical() << "Could not initialize conversion context.";
        return AVERROR_UNKNOWN;
    }
    const uint8_t *planes[4] = {workImage.constBits(), nullptr, nullptr, nullptr};
    const int strides[4] = {int(workImage.bytesPerLine()), 0, 0, 0};
    sws_scale(toFrame.get(), planes, strides, 0, rect.height(), converted->data,
              converted->linesize);
    return 0;
}

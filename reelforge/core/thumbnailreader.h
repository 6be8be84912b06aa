#pragma once

#include <QImage>
#include <QSize>
#include <QString>

struct AVFormatContext;

// Takes the thumbnail of a media file: the first picture decoded from 5 % into
// the file, scaled into a maximum size and turned upright as the decoder turns
// its pictures (by 90 or 270 degrees). One frame is wanted, so it is decoded
// on the calling thread alone and scaled by swscale straight into the image,
// without filter graphs or thread pools to set up and tear down.
//
// Any thread; each call works on its own objects.
namespace ThumbnailReader {

// The thumbnail from an input whose stream information was read; it moves
// the input's read position. The path serves the duration scans of an input
// that states no duration. Null when there is no picture to take.
QImage fromInput(AVFormatContext *input, const QString &path, const QSize &maxSize,
                 Qt::AspectRatioMode mode);

} // namespace ThumbnailReader

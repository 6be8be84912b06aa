#pragma once

#include <QString>

extern "C" {
#include <libavcodec/avcodec.h>
}

// Encoders are asked for by name. The Media Foundation encoders ("h264_mf",
// "aac_mf", "mp3_mf", "ac3_mf") are not on this platform: each is served by
// the encoder this FFmpeg has for the codec the named one makes, shaped to
// accept what the named encoder accepts. Every other name is FFmpeg's own.
namespace EncoderAvailability {

// The encoder serving the name, or null when there is none.
const AVCodec *findEncoderByName(const QString &name);

// The pixel formats the encoder asked for by name accepts (terminated by
// AV_PIX_FMT_NONE), or null when it publishes no list.
const AVPixelFormat *pixelFormats(const QString &requestedName, const AVCodec *encoder);

// Adjusts a configured context so that a stand-in encodes as the named
// encoder would, at the thread count it chooses itself. Call right before
// opening.
void prepareToOpen(const QString &requestedName, AVCodecContext *context);

} // namespace EncoderAvailability

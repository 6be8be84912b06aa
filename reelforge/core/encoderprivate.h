#pragma once

#include "core/avptr.h"
#include "core/platform/writtenfile.h"

#include <QHash>
#include <QSize>
#include <QString>

#include <vector>

// The output side of one conversion: the container for a target path, one
// video and one audio encoder, the header written at the first frame, packets
// written interleaved, and the trailer. Owned by value by the transcoder and
// used on the worker's one thread.
//
// Media functions return 0 or FFmpeg's negative error codes and log why.
class encoderprivate
{
public:
    encoderprivate();
    ~encoderprivate();

    encoderprivate(const encoderprivate &) = delete;
    encoderprivate &operator=(const encoderprivate &) = delete;

    // Prepares the output format for the path's extension; the file itself is
    // created by the first writeFrame.
    int openOutputFile(const QString &path);

    // An empty or "auto" name asks for FFmpeg's default encoder of codecId.
    const AVCodec *findEncoder(AVCodecID codecId, const QString &name);
    // Whether an encoder can make the given stream of this output: it makes
    // that media type, the container holds its codec, and it is not one of
    // the encoders that corrupt memory on ordinary frames. Logs why not,
    // naming the encoder. Call after openOutputFile.
    bool fitsOutput(const AVCodec *encoder, AVMediaType type) const;
    int addStream(const AVCodec *encoder);

    // Video stream settings, made before openVideoStream.
    void setFrameRate(int &numerator, int &denominator);
    bool setPixelFormat(AVPixelFormat requested, AVPixelFormat &chosen);
    void setFrameSize(const QSize &size);
    void setBitRate(int bitRate);

    // Audio stream settings, made before openAudioStream; the values the
    // encoder takes are handed back.
    void setAudioFormat(AVSampleFormat &sampleFormat, int &sampleRate,
                        AVChannelLayout &channelLayout, int bitRate);

    int openVideoStream();
    int openAudioStream();

    // Encodes the frame (null drains the encoder) and writes the packets. A
    // frame whose size or format differs from the encoder's is refused. The
    // frame is unreferenced whatever the result.
    int writeFrame(AVFrame *frame, int streamIndex);

    // Drains every stream, writes the trailer and frees everything. A
    // conversion that wrote no frame leaves no file behind and fails, as does
    // one whose file is not found complete at its path afterwards.
    int finalize();

    // 0 when the header was written and the path names the very file this
    // encoder wrote (same device and inode), with a size above 0; otherwise a
    // negative code, logged. Valid after finalize() too.
    int verifyWrittenFile(const QString &path) const;

    AVCodecID defaultVideoCodec() const { return m_defaultVideoCodec; }
    AVCodecID defaultAudioCodec() const { return m_defaultAudioCodec; }
    int videoStreamIndex() const { return m_videoStreamIndex; }
    int audioStreamIndex() const { return m_audioStreamIndex; }
    const AVCodecContext *codecContext(int streamIndex) const;

private:
    struct OutputStream
    {
        AVStream *stream = nullptr;
        CodecContextPtr context;
        PacketPtr packet;
        // The name the encoder was asked for, which may differ from the
        // encoder that serves it.
        QString requestedName;
        bool frameSent = false;
    };

    OutputStream *outputStream(int index);
    int openStream(OutputStream &output, AVDictionary **options, const char *failureText);
    bool readyToOpen(const OutputStream &output) const;
    static void endEncoding(OutputStream &output);
    QString encoderName(const AVCodec *encoder) const;
    int writeHeader();
    bool frameFitsEncoder(const AVFrame *frame, const OutputStream &output) const;
    void release();

    int m_videoStreamIndex = -1;
    int m_audioStreamIndex = -1;
    bool m_headerPending = true;
    int m_frameRateNumerator = 0;
    int m_frameRateDenominator = 0;
    QString m_fileName;
    FormatOutputPtr m_formatContext;
    AVCodecID m_defaultVideoCodec = AV_CODEC_ID_NONE;
    AVCodecID m_defaultAudioCodec = AV_CODEC_ID_NONE;
    std::vector<OutputStream> m_streams;

    // Why writing the header failed, so that later frames are refused instead
    // of written into a file without one; 0 while nothing failed.
    int m_headerError = 0;
    // The file the header went into, held until the next output is opened.
    WrittenFile m_writtenFile;
    QHash<const AVCodec *, QString> m_requestedNames;
};

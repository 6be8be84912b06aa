#pragma once

#include "core/codecinfos.h"
#include "datamodel/pip/pipobject.h"

#include <QObject>
#include <QSize>
#include <QString>

#include <memory>

// One conversion inside the worker: reads the source with the decoder, drops
// frames outside the trim window, burns the overlays into video frames and
// hands every frame to the encoder, one frame per processNextFrame call.
// Positions and durations are in 100-ns units. Lives on the worker's one
// thread; painting overlays needs a QGuiApplication.
//
// Media functions return 0 or FFmpeg's negative error codes and log why.
class transcoder : public QObject
{
    Q_OBJECT
public:
    transcoder();
    ~transcoder() override;

    void setAudioInfo(const AudioCodecInfo &info);
    void setVideoInfo(const VideoCodecInfo &info);
    void setUseVideo(bool use);
    void setUseAudio(bool use);

    int openInputFile(const QString &path);
    void dumpInputFileInfo();
    int openOutputFile(const QString &path);

    // An end of 0 or less stands for the end of the input.
    void setTrim(qint64 start, qint64 end);
    int rewind();

    void setSubtitles(const PipObjectPtr &subtitles);
    void setWatermark(const PipObjectPtr &watermark);

    // One frame; done is set at the end of the input or of the trim window.
    int processNextFrame(bool &done);
    // Per mille of the trimmed duration processed so far, 0 to 1000.
    qint64 progressValue() const;
    // Finalizes the output file; the result is that of the encoder's finalize.
    int finish();
    // Why the first failed call failed, in the user's words; empty while none
    // has failed.
    QString failureText() const;

    // Bits per second for a video of this size and rate at a quality of
    // 0 to 100.
    static int videoBitRate(const QSize &resolution, double frameRate, int quality);

private:
    class Private;
    std::unique_ptr<Private> d;
    qint64 m_videoFrameCount = 0;
};

#pragma once

#include "core/avmediafileinfo.h"
#include "core/mediaimportitem.h"
#include "core/workertaskitem.h"
#include "datamodel/pip/pipobject.h"
#include "shared/enums.h"

#include <QFileInfo>
#include <QImage>
#include <QJsonValue>
#include <QMap>
#include <QMetaType>
#include <QObject>
#include <QPair>
#include <QSharedPointer>
#include <QString>
#include <QUuid>

#include <functional>
#include <memory>

class CodecInfo;
struct PresetInfo;

class VideoItem;
using VideoItemPtr = QSharedPointer<VideoItem>;

// One media file in the conversion queue or in the history: the source with
// its probed facts, the target settings, the user's edits and the state of
// its conversion. A plain data holder with change signals; the models drive
// its states.
//
// Lives on the GUI thread. The media import reads and fills it through
// MediaImportItem, and the worker link takes its task through
// WorkerTaskItem, both on its thread.
class VideoItem : public QObject, public MediaImportItem, public WorkerTaskItem
{
    Q_OBJECT

public:
    // The values are stored in the history file. Fixed to int, so that a
    // value read from a file is not out of the type's range.
    enum State : int {
        Importing = 0,
        ImportFailed = 1,
        Imported = 2,
        Scheduled = 3,
        // Only a key of the per-state counters; no item takes this state.
        Paused = 4,
        Converting = 5,
        ConvertFailed = 6,
        Converted = 7,
        History = 8
    };
    Q_ENUM(State)

    // Why the last conversion ended ConvertFailed; NoFailure otherwise.
    enum FailReason : int {
        NoFailure = 0,
        NoTargetFormat = 1,
        SourceMissing = 2,
        OutputFolderNotWritable = 3,
        ConverterFailed = 4,
        ConverterLost = 5
    };
    Q_ENUM(FailReason)

    using StateCountersMap = QMap<VideoItem::State, int>;
    // Milliseconds since the epoch.
    using Clock = std::function<qint64()>;

    explicit VideoItem(const QFileInfo &source);
    ~VideoItem() override;

    QUuid id() const override;
    State state() const;
    const QFileInfo &sourceFileInfo() const;
    QSharedPointer<CodecInfo> sourceCodecInfo() const;
    QSharedPointer<CodecInfo> targetCodecInfo() const;
    const AVMediaFileInfo &mediaInfo() const;
    qint64 duration() const;
    // Decoded from thumbnailData() on every call.
    QImage thumbnail() const;
    // A probed thumbnail encoded as PNG; empty when there is none, while it
    // is being encoded, and for a stored one (thumbnail() has those).
    QByteArray thumbnailData() const;
    QString targetName() const;
    int compressionLevel() const;
    QPair<qint64, qint64> trim() const;
    int rotation() const;
    PipObjectPtr subtitles() const;
    PipObjectPtr watermark() const;
    int progress() const;
    bool isPaused() const;
    bool isTaskSent() const override;
    bool useAudio() const;
    bool supportAudio() const;
    FailReason failReason() const;
    // The converter's own words for a ConverterFailed; may be empty.
    QString failDetail() const;

    // A reason given with ConvertFailed is kept until the next Scheduled.
    void setState(State state, FailReason reason = NoFailure, const QString &detail = QString());
    void setProgress(int progress);
    void setPaused(bool paused);
    void setTaskSent(bool sent);
    // Kept encoded, losslessly: a decoded picture costs far more memory
    // than the queue can spend per item. The encoding is done on the thread
    // pool after the work of higher priority (the imports);
    // thumbnailChanged tells the picture set and again its encoding.
    void setThumbnail(const QImage &thumbnail);
    // A stored item's thumbnail stays in its file, and thumbnail() null,
    // until loadThumbnail() reads it.
    void setThumbnailFile(const QString &path);
    // Reads the thumbnail from its file on the thread pool, once, when none is
    // in memory; thumbnailChanged tells that it has arrived.
    void loadThumbnail();
    void setTargetName(const QString &name);
    void setTargetFolderType(Enums::TargetFolderType type);
    void setTargetFolderPath(const QString &path);
    void setTrim(qint64 start, qint64 end);
    void setDuration(qint64 duration);
    void setCompressionLevel(int level);
    void setSubtitles(const PipObjectPtr &subtitles);
    void setWatermark(const PipObjectPtr &watermark);
    void setUseAudio(bool useAudio);
    void setSupportAudio(bool supportAudio);
    void setRotation(int rotation);
    // Why the import failed, in words for the user; empty when there is no
    // more to say than that it failed. Set before the state changes.
    QString failureReason() const;
    void setFailureReason(const QString &reason);
    void setMediaInfo(const AVMediaFileInfo &info);
    // Gives the target the preset's settings, its frame size turned to the
    // source's orientation. Refused (false) for a source without a picture
    // when the preset writes video, and for no preset.
    bool applyPreset(const PresetInfo *preset);

    // The output path with a free file name, chosen once and kept until the
    // name, the folder or the format changes.
    QString targetFilePath();
    // The output path as targetFilePath() gives it, chosen again when it is
    // no longer free: a file of that name appeared, or isTaken rules it out.
    // The free-name search skips the paths isTaken rules out as well.
    QString freeTargetFilePath(const std::function<bool(const QString &)> &isTaken);
    bool isTrimmed() const;
    qint64 trimmedDuration() const;
    bool hasVideo() const;
    bool isSourceNotSwf() const;
    // Milliseconds, -1 when unknown.
    qint64 remainingTime() const;
    // Milliseconds spent Converting, the running stretch included.
    qint64 conversionTime() const;
    // The target has a picture: a video format with a video encoder and a
    // frame size.
    bool writesVideo() const;
    // Target pixels times 100 ns of media per millisecond of conversion,
    // divided by 10^6; 0.0 when unknown.
    double processingRate() const;

    QJsonValue toJson() const;
    // Assigns the record's values directly, without signals; a record whose
    // state is not one of State is refused.
    bool loadFromJson(const QJsonValue &value);

    // The clock of the conversion timing, for all items; an empty function
    // restores the system clock.
    static void setClock(Clock clock);
    // Called by the constructor; calling it earlier is optional.
    static void registerMetaTypes();

signals:
    void stateChanged(VideoItem::State newState, VideoItem::State oldState);
    void thumbnailChanged(QString value);
    void targetNameChanged(QString value);
    void trimChanged(qlonglong start, qlonglong end);
    void subtitlesChanged(PipObjectPtr value);
    void watermarkChanged(PipObjectPtr value);
    void progressChanged(int value);
    void pausedChanged(bool isPaused);
    // Requests of the item's card to the models; the item never emits them.
    void convertClicked();
    void removeClicked();
    void abortClicked();
    void useAudioChanged(bool useAudio);
    void supportAudioChanged(bool supportAudio);

private:
    QObject *importContext() override;
    // The source until the first probe, the output afterwards; a thumbnail
    // on the first probe and for an item trimmed at its start.
    Probe importProbe() override;
    // Takes the source settings, rotation, audio and duration from the
    // facts, fits the target settings to them, and leaves Importing.
    void applyImport(const Probe &probe, const AVMediaFileInfo &info, bool accepted,
                     const QString &refusal, const QImage &thumbnail) override;
    TranscodingInfo takeTask() override;

    class Private;
    std::unique_ptr<Private> d;
};

Q_DECLARE_METATYPE(VideoItemPtr)

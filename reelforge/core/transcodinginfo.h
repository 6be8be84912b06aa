#pragma once

#include "core/codecinfos.h"

#include <QList>
#include <QMap>
#include <QMetaType>
#include <QString>
#include <QUuid>
#include <QVariant>

class QDataStream;

// The worker's per-task run record; defined by the worker.
struct TranscodingRunData;

// One conversion task as it crosses the worker link: the queue item's
// source and target, the range to convert, at most one video and one audio
// encoder record (none means no such output), and the overlays as property
// maps keyed by PipObject::Property (empty means none).
struct TranscodingInfo
{
    QUuid uid;
    QString source;
    QString target;
    QString container;
    qint64 trimStart = 0; // 100-ns units
    qint64 trimEnd = 0;
    QList<VideoCodecInfo> video;
    QList<AudioCodecInfo> audio;
    QMap<int, QVariant> watermark;
    QMap<int, QVariant> subtitles;
    // Not streamed: null in the GUI, the run record in the worker.
    TranscodingRunData *runData = nullptr;

    // Logs the task at info level, one line per member and setting.
    void dumpInfo() const;
};

// The link's form: every member but the run data, in declaration order.
// The overlay maps use Qt's own QMap form, so writing their QVariant values
// needs stream operators registered for the enumeration types they hold.
// Reading goes through LinkReader: bounded, with clamped numbers.
QDataStream &operator<<(QDataStream &out, const TranscodingInfo &info);
QDataStream &operator>>(QDataStream &in, TranscodingInfo &info);

Q_DECLARE_METATYPE(TranscodingInfo)

#pragma once

#include <QByteArray>
#include <QList>
#include <QMetaType>
#include <QStringList>
#include <QUuid>
#include <QVariant>

struct TranscodingInfo;

// The states the worker reports for an item in message ItemState.
enum class QueueItemState : qint32 {
    // Data: the progress in per mille.
    Processing = 2,
    Done = 3,
    Aborted = 4,
    Failed = 5,
    Paused = 6,
};

Q_DECLARE_METATYPE(QueueItemState)

// The messages of the worker link. Every payload is a QDataStream (default
// version, big-endian) that starts with the qint32 code; a receiver ignores
// codes it does not handle. Nothing is acknowledged.
namespace LinkMessages {

enum Code : qint32 {
    AddItem = 1,               // GUI -> worker: one TranscodingInfo
    ItemState = 2,             // worker -> GUI: QUuid, qint32 state, QVariant data
    AbortItems = 3,            // GUI -> worker: list of QUuid
    PauseItems = 4,            // GUI -> worker: list of QUuid; empty means all
    ResumeItems = 5,           // GUI -> worker: list of QUuid
    ResumeItem = 6,            // GUI -> worker: one QUuid
    ExitRequest = 85,          // GUI -> worker: no body
    CrashReporterParams = 170, // GUI -> worker: machine id, settings file, diagnostics report
};

QByteArray addItem(const TranscodingInfo &task);
QByteArray itemState(const QUuid &uid, qint32 state, const QVariant &data);
QByteArray abortItems(const QList<QUuid> &uids);
QByteArray pauseItems(const QList<QUuid> &uids);
QByteArray resumeItems(const QList<QUuid> &uids);
QByteArray resumeItem(const QUuid &uid);
QByteArray crashReporterParams(const QStringList &params);

} // namespace LinkMessages

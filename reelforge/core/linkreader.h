#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QUuid>
#include <QVariant>

class QDataStream;
struct TranscodingInfo;

// Reads the bodies of the worker link's messages as a peer may have sent
// them. Qt's container readers reserve whatever element count they are
// given, so no list or map of the link goes through them: a count that the
// rest of the payload cannot hold is refused before anything is reserved.
// Variants are limited to the types their messages carry, and the numbers of
// a task are clamped to what a conversion can use.
//
// A refused read sets the stream's status (ReadPastEnd for a count beyond
// the payload, ReadCorruptData for a value of the wrong type) and says why
// in error(). Used on the thread that reads the payload.
class LinkReader
{
public:
    explicit LinkReader(QDataStream &stream);

    bool readCode(qint32 &code);
    bool readUuid(QUuid &uid);
    bool readUuidList(QList<QUuid> &uids);
    bool readStringList(QStringList &strings);
    // A refused task keeps what was read before the fault (its uid among
    // it) but loses its codec records and overlays, so that it fails the
    // worker's validation.
    bool readTask(TranscodingInfo &task);
    // The body of a state report: the data is an invalid variant, an integer
    // or a string.
    bool readItemState(QUuid &uid, qint32 &state, QVariant &data);

    // Why the last read was refused, for the log.
    QString error() const { return m_error; }

private:
    bool ok() const;
    bool refuse(int status, const QString &why);
    bool readCount(quint32 &count, int minElementSize, const char *what);
    bool readTaskBody(TranscodingInfo &task);
    bool readOverlay(QMap<int, QVariant> &overlay);
    bool readOverlayValue(QVariant &value);
    bool readEnumValue(QVariant &value);

    QDataStream &m_stream;
    QString m_error;
};

#pragma once

#include "core/linkmessages.h"

#include <QByteArray>
#include <QDataStream>
#include <QString>
#include <QUuid>

// A worker link payload built field by field, as a broken or hostile peer
// would write it: any count, any type id, any length.
class RawPayload
{
public:
    explicit RawPayload(qint32 code) { *this << code; }

    template<typename T>
    RawPayload &operator<<(const T &value)
    {
        QDataStream out(&bytes, QIODevice::WriteOnly | QIODevice::Append);
        out << value;
        return *this;
    }
    // A task message up to its codec records: its uid, three names and a
    // trim window of one second.
    RawPayload &taskHead(const QUuid &uid)
    {
        return *this << uid << QStringLiteral("in.mp4") << QStringLiteral("out.mp4")
                     << QStringLiteral("mp4") << qint64(0) << qint64(10000000);
    }
    RawPayload &pad(int count)
    {
        bytes.append(QByteArray(count, '\0'));
        return *this;
    }

    QByteArray bytes;
};

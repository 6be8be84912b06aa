#include "core/linkmessages.h"

#include "core/transcodinginfo.h"

#include <QDataStream>

namespace LinkMessages {

namespace {

template<typename Body>
QByteArray payload(Code code, const Body &body)
{
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::ReadWrite);
    stream << qint32(code) << body;
    return bytes;
}

} // namespace

QByteArray addItem(const TranscodingInfo &task)
{
    return payload(AddItem, task);
}

QByteArray itemState(const QUuid &uid, qint32 state, const QVariant &data)
{
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::ReadWrite);
    stream << qint32(ItemState) << uid << state << data;
    return bytes;
}

QByteArray abortItems(const QList<QUuid> &uids)
{
    return payload(AbortItems, uids);
}

QByteArray pauseItems(const QList<QUuid> &uids)
{
    return payload(PauseItems, uids);
}

QByteArray resumeItems(const QList<QUuid> &uids)
{
    return payload(ResumeItems, uids);
}

QByteArray resumeItem(const QUuid &uid)
{
    return payload(ResumeItem, uid);
}

QByteArray crashReporterParams(const QStringList &params)
{
    return payload(CrashReporterParams, params);
}

} // namespace LinkMessages

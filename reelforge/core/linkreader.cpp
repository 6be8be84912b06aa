#include "core/linkreader.h"

#include "core/mediatime.h"
#include "core/transcodinginfo.h"
#include "datamodel/pip/pipobject.h"

#include <QBrush>
#include <QDataStream>
#include <QIODevice>
#include <QMetaEnum>
#include <QPointF>
#include <QtEndian>

#include <cmath>

namespace {

// The least bytes one element of each kind takes on the link.
constexpr int UuidSize = 16;
constexpr int MinStringSize = 4; // the byte count of an empty string
constexpr int MinVideoRecordSize = 4 + 4 + 4 + 8 + 8 + 4 + 4;
constexpr int MinAudioRecordSize = 4 + 4 + 4 + 4;
constexpr int VariantHeaderSize = 4 + 1; // type id, null flag
constexpr int MinOverlayEntrySize = 4 + VariantHeaderSize;
constexpr int MaxTypeNameSize = 64;

// A century in 100-ns units: beyond any medium, and far enough from the
// limits of qint64 that trim points can be subtracted and scaled.
constexpr qint64 MaxTime = MediaTime::ticksFromSeconds(qint64(100) * 365 * 24 * 3600);
constexpr int MaxSide = 16384;
constexpr int MaxQuality = 1000;
constexpr double MaxFrameRate = 1000.0;
constexpr int MaxAudioBitrate = 100000; // kbit/s
constexpr int MaxSampleRate = 768000;
constexpr int MaxChannels = 64;

qint64 availableBytes(const QDataStream &stream)
{
    return stream.device() ? stream.device()->bytesAvailable() : 0;
}

QByteArray peek(const QDataStream &stream, int size)
{
    return stream.device() ? stream.device()->peek(size) : QByteArray();
}

quint32 peekTypeId(const QByteArray &head)
{
    return qFromBigEndian<quint32>(head.constData());
}

// The brush styles that are a colour and a pattern, without a gradient or
// a texture image behind them.
bool isPlainBrushStyle(quint8 style)
{
    return style <= Qt::DiagCrossPattern;
}

bool isOverlayBuiltinType(quint32 typeId)
{
    switch (typeId) {
    case QMetaType::UnknownType: // a property set to an invalid variant
    case QMetaType::Int:
    case QMetaType::Double:
    case QMetaType::QString:
    case QMetaType::QPointF:
    case QMetaType::QBrush:
        return true;
    default:
        return false;
    }
}

bool isReportDataType(quint32 typeId)
{
    switch (typeId) {
    case QMetaType::UnknownType:
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::QString:
    case QMetaType::QByteArray:
        return true;
    default:
        return false;
    }
}

template<typename T>
T bounded(T value, T low, T high)
{
    return qBound(low, value, high);
}

} // namespace

LinkReader::LinkReader(QDataStream &stream) : m_stream(stream) { }

bool LinkReader::ok() const
{
    return m_stream.status() == QDataStream::Ok;
}

// Keeps a status that a Qt reader set already; QDataStream does the same.
bool LinkReader::refuse(int status, const QString &why)
{
    m_stream.setStatus(QDataStream::Status(status));
    m_error = why;
    return false;
}

bool LinkReader::readCount(quint32 &count, int minElementSize, const char *what)
{
    count = 0;
    m_stream >> count;
    if (!ok())
        return refuse(QDataStream::ReadPastEnd,
                      QStringLiteral("%1 count cut off").arg(QLatin1String(what)));
    const qint64 available = availableBytes(m_stream);
    if (qint64(count) * minElementSize > available) {
        return refuse(QDataStream::ReadPastEnd,
                      QStringLiteral("%1 count %2 exceeds the %3 bytes left")
                              .arg(QLatin1String(what))
                              .arg(count)
                              .arg(available));
    }
    return true;
}

bool LinkReader::readCode(qint32 &code)
{
    code = 0;
    m_stream >> code;
    return ok() || refuse(QDataStream::ReadPastEnd, QStringLiteral("message code cut off"));
}

bool LinkReader::readUuid(QUuid &uid)
{
    m_stream >> uid;
    return ok() || refuse(QDataStream::ReadPastEnd, QStringLiteral("identifier cut off"));
}

bool LinkReader::readUuidList(QList<QUuid> &uids)
{
    uids.clear();
    quint32 count = 0;
    if (!readCount(count, UuidSize, "identifier"))
        return false;
    uids.reserve(int(count));
    for (quint32 i = 0; i < count; ++i) {
        QUuid uid;
        if (!readUuid(uid)) {
            uids.clear();
            return false;
        }
        uids.append(uid);
    }
    return true;
}

bool LinkReader::readStringList(QStringList &strings)
{
    strings.clear();
    quint32 count = 0;
    if (!readCount(count, MinStringSize, "string"))
        return false;
    strings.reserve(int(count));
    for (quint32 i = 0; i < count; ++i) {
        QString string;
        m_stream >> string;
        if (!ok()) {
            strings.clear();
            return refuse(QDataStream::ReadPastEnd, QStringLiteral("string cut off"));
        }
        strings.append(string);
    }
    return true;
}

bool LinkReader::readTask(TranscodingInfo &task)
{
    const bool read = readTaskBody(task);
    if (!read) {
        task.video.clear();
        task.audio.clear();
        task.watermark.clear();
        task.subtitles.clear();
    }

    task.trimStart = bounded(task.trimStart, -MaxTime, MaxTime);
    task.trimEnd = bounded(task.trimEnd, -MaxTime, MaxTime);
    for (VideoCodecInfo &video : task.video) {
        video.bitrate = qMax(0, video.bitrate);
        video.quality = bounded(video.quality, 0, MaxQuality);
        // -1 is an invalid size: the source's.
        video.resolution = QSize(bounded(video.resolution.width(), -1, MaxSide),
                                 bounded(video.resolution.height(), -1, MaxSide));
        video.framerate = std::isfinite(video.framerate)
                ? bounded(video.framerate, 0.0, MaxFrameRate)
                : 0.0;
    }
    for (AudioCodecInfo &audio : task.audio) {
        audio.bitrate = bounded(audio.bitrate, 0, MaxAudioBitrate);
        audio.samplerate = bounded(audio.samplerate, 0, MaxSampleRate);
        audio.channels = bounded(audio.channels, 0, MaxChannels);
    }
    return read;
}

bool LinkReader::readTaskBody(TranscodingInfo &task)
{
    m_stream >> task.uid >> task.source >> task.target >> task.container >> task.trimStart
            >> task.trimEnd;
    if (!ok())
        return refuse(QDataStream::ReadPastEnd, QStringLiteral("task cut off"));

    quint32 count = 0;
    if (!readCount(count, MinVideoRecordSize, "video record"))
        return false;
    for (quint32 i = 0; i < count; ++i) {
        VideoCodecInfo video;
        m_stream >> video;
        if (!ok())
            return refuse(QDataStream::ReadPastEnd, QStringLiteral("video record cut off"));
        task.video.append(video);
    }
    if (!readCount(count, MinAudioRecordSize, "audio record"))
        return false;
    for (quint32 i = 0; i < count; ++i) {
        AudioCodecInfo audio;
        m_stream >> audio;
        if (!ok())
            return refuse(QDataStream::ReadPastEnd, QStringLiteral("audio record cut off"));
        task.audio.append(audio);
    }
    return readOverlay(task.watermark) && readOverlay(task.subtitles);
}

bool LinkReader::readOverlay(QMap<int, QVariant> &overlay)
{
    overlay.clear();
    quint32 count = 0;
    if (!readCount(count, MinOverlayEntrySize, "overlay property"))
        return false;
    const QMetaEnum properties = QMetaEnum::fromType<PipObject::Property>();
    for (quint32 i = 0; i < count; ++i) {
        qint32 key = 0;
        m_stream >> key;
        if (!ok())
            return refuse(QDataStream::ReadPastEnd, QStringLiteral("overlay property cut off"));
        if (!properties.valueToKey(key))
            return refuse(QDataStream::ReadCorruptData,
                          QStringLiteral("unknown overlay property %1").arg(key));
        QVariant value;
        if (!readOverlayValue(value))
            return false;
        overlay.insert(key, value);
    }
    return true;
}

bool LinkReader::readOverlayValue(QVariant &value)
{
    // A brush's style is the first byte after the variant's header.
    const QByteArray head = peek(m_stream, VariantHeaderSize + 1);
    if (head.size() < VariantHeaderSize)
        return refuse(QDataStream::ReadPastEnd, QStringLiteral("overlay value cut off"));
    const quint32 typeId = peekTypeId(head);
    if (typeId == QMetaType::User)
        return readEnumValue(value);
    if (!isOverlayBuiltinType(typeId))
        return refuse(QDataStream::ReadCorruptData,
                      QStringLiteral("overlay value of type %1").arg(typeId));
    if (typeId == QMetaType::QBrush && head.size() > VariantHeaderSize
        && !isPlainBrushStyle(quint8(head.at(VariantHeaderSize)))) {
        return refuse(QDataStream::ReadCorruptData,
                      QStringLiteral("overlay brush of style %1")
                              .arg(quint8(head.at(VariantHeaderSize))));
    }
    // Each of these has a fixed size or reads no more than the payload holds.
    m_stream >> value;
    return ok() || refuse(QDataStream::ReadPastEnd, QStringLiteral("overlay value cut off"));
}

// An enumeration of the overlay object: the variant names its type, and the
// value is a 32-bit integer.
bool LinkReader::readEnumValue(QVariant &value)
{
    const QByteArray head = peek(m_stream, VariantHeaderSize + 4);
    if (head.size() < VariantHeaderSize + 4)
        return refuse(QDataStream::ReadPastEnd, QStringLiteral("overlay value cut off"));
    const quint32 nameSize = qFromBigEndian<quint32>(head.constData() + VariantHeaderSize);
    if (nameSize > MaxTypeNameSize)
        return refuse(QDataStream::ReadCorruptData,
                      QStringLiteral("overlay type name of %1 bytes").arg(nameSize));

    quint32 typeId = 0;
    qint8 isNull = 0;
    QByteArray name;
    qint32 raw = 0;
    m_stream >> typeId >> isNull >> name >> raw;
    if (!ok())
        return refuse(QDataStream::ReadPastEnd, QStringLiteral("overlay value cut off"));

    const QByteArray typeName(name.constData()); // written with its terminating zero
    if (typeName == "PipObject::Type")
        value = QVariant::fromValue(PipObject::Type(raw));
    else if (typeName == "PipObject::Location")
        value = QVariant::fromValue(PipObject::Location(raw));
    else if (typeName == "Qt::Alignment")
        value = QVariant::fromValue(Qt::Alignment(QFlag(raw)));
    else
        return refuse(QDataStream::ReadCorruptData,
                      QStringLiteral("overlay value of type %1")
                              .arg(QString::fromLatin1(typeName.toPercentEncoding())));
    return true;
}

bool LinkReader::readItemState(QUuid &uid, qint32 &state, QVariant &data)
{
    m_stream >> uid >> state;
    if (!ok())
        return refuse(QDataStream::ReadPastEnd, QStringLiteral("state report cut off"));
    const QByteArray head = peek(m_stream, VariantHeaderSize);
    if (head.size() < VariantHeaderSize)
        return refuse(QDataStream::ReadPastEnd, QStringLiteral("state data cut off"));
    const quint32 typeId = peekTypeId(head);
    if (!isReportDataType(typeId))
        return refuse(QDataStream::ReadCorruptData,
                      QStringLiteral("state data of type %1").arg(typeId));
    m_stream >> data;
    return ok() || refuse(QDataStream::ReadPastEnd, QStringLiteral("state data cut off"));
}

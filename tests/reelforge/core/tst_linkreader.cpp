#include "core/linkmessages.h"
#include "core/linkreader.h"
#include "core/transcodinginfo.h"
#include "datamodel/pip/pipobject.h"
#include "shared/settingsprovider.h"

#include <rawpayload.h>

#include <QBrush>
#include <QDataStream>
#include <QImage>
#include <QtTest>

#include <cmath>
#include <limits>

namespace {

const quint32 countBomb = 1u << 28;

// Reads a payload as the receiver of its code does and returns the stream's
// status afterwards.
QDataStream::Status readMessage(const QByteArray &payload)
{
    QDataStream in(payload);
    LinkReader reader(in);
    qint32 code = 0;
    reader.readCode(code);
    switch (code) {
    case LinkMessages::AddItem: {
        TranscodingInfo task;
        reader.readTask(task);
        break;
    }
    case LinkMessages::ItemState: {
        QUuid uid;
        qint32 state = 0;
        QVariant data;
        reader.readItemState(uid, state, data);
        break;
    }
    case LinkMessages::AbortItems:
    case LinkMessages::PauseItems:
    case LinkMessages::ResumeItems: {
        QList<QUuid> uids;
        reader.readUuidList(uids);
        break;
    }
    case LinkMessages::CrashReporterParams: {
        QStringList strings;
        reader.readStringList(strings);
        break;
    }
    default:
        break;
    }
    return in.status();
}

// A task whose only overlay property is the given one, followed by an empty
// subtitles map when the value is complete.
RawPayload overlayTask()
{
    return std::move(RawPayload(LinkMessages::AddItem).taskHead(QUuid::createUuid())
                     << 0u << 0u << 1u);
}

QMap<int, QVariant> wireMap(const PipObject &overlay)
{
    QMap<int, QVariant> map;
    const PipObject::PropertyMap properties = overlay.properties();
    for (auto it = properties.cbegin(); it != properties.cend(); ++it)
        map.insert(int(it.key()), it.value());
    return map;
}

} // namespace

class tst_LinkReader : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void payloads_data();
    void payloads();
    void overlaysCrossWhole();
    void taskNumbersAreClamped();
};

void tst_LinkReader::initTestCase()
{
    registerSettingsMetaTypes();
}

void tst_LinkReader::payloads_data()
{
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<int>("status");

    const QUuid uid = QUuid::createUuid();
    const auto text = qint32(PipObject::Property::Text);
    const auto brush = qint32(PipObject::Property::ForegroundBrush);

    QTest::newRow("identifiers that fit")
            << (RawPayload(LinkMessages::AbortItems) << 2u << uid << uid).bytes
            << int(QDataStream::Ok);
    QTest::newRow("identifier count beyond the payload")
            << (RawPayload(LinkMessages::PauseItems) << countBomb).pad(5).bytes
            << int(QDataStream::ReadPastEnd);
    QTest::newRow("abort of 12 bytes")
            << (RawPayload(LinkMessages::AbortItems) << quint32(0x7fffffff)).pad(4).bytes
            << int(QDataStream::ReadPastEnd);
    QTest::newRow("strings that fit")
            << (RawPayload(LinkMessages::CrashReporterParams) << 1u << QStringLiteral("m")).bytes
            << int(QDataStream::Ok);
    QTest::newRow("string count beyond the payload")
            << (RawPayload(LinkMessages::CrashReporterParams) << countBomb).pad(5).bytes
            << int(QDataStream::ReadPastEnd);

    QTest::newRow("video record count")
            << (RawPayload(LinkMessages::AddItem).taskHead(uid) << countBomb).pad(40).bytes
            << int(QDataStream::ReadPastEnd);
    QTest::newRow("audio record count")
            << (RawPayload(LinkMessages::AddItem).taskHead(uid) << 0u << countBomb).pad(20).bytes
            << int(QDataStream::ReadPastEnd);
    QTest::newRow("overlay property count")
            << (RawPayload(LinkMessages::AddItem).taskHead(uid) << 0u << 0u << countBomb).pad(20).bytes
            << int(QDataStream::ReadPastEnd);
    QTest::newRow("overlay solid brush")
            << (overlayTask() << brush << QVariant(QBrush(QColor(1, 2, 3, 4))) << 0u).bytes
            << int(QDataStream::Ok);
    QTest::newRow("overlay list value")
            << (overlayTask() << text << quint32(QMetaType::QVariantList) << qint8(0) << countBomb)
                       .pad(5)
                       .bytes
            << int(QDataStream::ReadCorruptData);
    QTest::newRow("overlay string list value")
            << (overlayTask() << text << QVariant(QStringList{"a"}) << 0u).bytes
            << int(QDataStream::ReadCorruptData);
    QTest::newRow("overlay image value")
            << (overlayTask() << text << QVariant(QImage(2, 2, QImage::Format_ARGB32)) << 0u).bytes
            << int(QDataStream::ReadCorruptData);
    QTest::newRow("overlay gradient stops")
            << (overlayTask() << brush << quint32(QMetaType::QBrush) << qint8(0)
                              << quint8(Qt::LinearGradientPattern) << QColor(Qt::red)
                              << qint32(QGradient::LinearGradient) << qint32(QGradient::PadSpread)
                              << qint32(QGradient::LogicalMode)
                              << qint32(QGradient::ColorInterpolation) << countBomb)
                       .pad(5)
                       .bytes
            << int(QDataStream::ReadCorruptData);
    QTest::newRow("overlay texture brush")
            << (overlayTask() << brush << QVariant(QBrush(QImage(2, 2, QImage::Format_ARGB32)))
                              << 0u)
                       .bytes
            << int(QDataStream::ReadCorruptData);
    QTest::newRow("overlay value of a foreign type")
            << (overlayTask() << text << quint32(QMetaType::User) << qint8(0)
                              << QByteArray("Enums::PostAction") << qint32(1) << 0u)
                       .bytes
            << int(QDataStream::ReadCorruptData);
    QTest::newRow("overlay type name of 1 GB")
            << (overlayTask() << text << quint32(QMetaType::User) << qint8(0) << quint32(1u << 30))
                       .pad(5)
                       .bytes
            << int(QDataStream::ReadCorruptData);
    QTest::newRow("overlay property unknown")
            << (overlayTask() << qint32(99) << QVariant(1) << 0u).bytes
            << int(QDataStream::ReadCorruptData);

    const auto report = [&uid] {
        return std::move(RawPayload(LinkMessages::ItemState) << uid << qint32(2));
    };
    QTest::newRow("state with progress")
            << (report() << QVariant(qlonglong(500))).bytes << int(QDataStream::Ok);
    QTest::newRow("state without data") << (report() << QVariant()).bytes << int(QDataStream::Ok);
    QTest::newRow("state data list")
            << (report() << quint32(QMetaType::QVariantList) << qint8(0) << countBomb).pad(5).bytes
            << int(QDataStream::ReadCorruptData);
    QTest::newRow("state data map") << (report() << QVariant(QVariantMap{{"a", 1}})).bytes
                                    << int(QDataStream::ReadCorruptData);
    QTest::newRow("state cut in its uid") << LinkMessages::itemState(uid, 2, QVariant()).left(4 + 7)
                                          << int(QDataStream::ReadPastEnd);
}

void tst_LinkReader::payloads()
{
    QFETCH(QByteArray, payload);
    QFETCH(int, status);
    QCOMPARE(int(readMessage(payload)), status);
}

// What the overlay objects store crosses the link unchanged, enumerations
// and brushes included.
void tst_LinkReader::overlaysCrossWhole()
{
    PipObject image;
    image.setType(PipObject::ImageWatermark);
    image.setFilePath(QStringLiteral("/tmp/mark.png"));
    image.setSize(0.25);
    image.setOpacity(0.5);
    image.setLocation(PipObject::Tile);
    image.setAngle(-30);
    image.setCenterPoint(QPointF(0.2, 0.8));
    image.setProperty(PipObject::Property::Text, QVariant());
    PipObject subtitles;
    subtitles.setType(PipObject::Subtitles);
    subtitles.setFilePath(QStringLiteral("/tmp/cues.srt"));
    subtitles.setFontFamily(QStringLiteral("DejaVu Sans"));
    subtitles.setLocation(PipObject::Aligned);
    subtitles.setAlignment(Qt::AlignBottom | Qt::AlignHCenter);
    subtitles.setForegroundBrush(QBrush(Qt::yellow));
    subtitles.setBackgroundBrush(QBrush(QColor(0, 0, 0, 128)));
    subtitles.setText(QStringLiteral("unused"));

    TranscodingInfo sent;
    sent.uid = QUuid::createUuid();
    sent.watermark = wireMap(image);
    sent.subtitles = wireMap(subtitles);
    QByteArray bytes;
    {
        QDataStream out(&bytes, QIODevice::WriteOnly);
        out << sent;
    }
    QDataStream in(bytes);
    TranscodingInfo read;
    QVERIFY(LinkReader(in).readTask(read));
    QCOMPARE(read.watermark, sent.watermark);
    QCOMPARE(read.subtitles, sent.subtitles);
    const auto alignment = read.subtitles.value(int(PipObject::Property::Alignment));
    QCOMPARE(alignment.userType(), qMetaTypeId<Qt::Alignment>());
    QCOMPARE(read.watermark.value(int(PipObject::Property::Location)).userType(),
             qMetaTypeId<PipObject::Location>());
}

void tst_LinkReader::taskNumbersAreClamped()
{
    constexpr qint32 intMax = std::numeric_limits<qint32>::max();
    constexpr qint32 intMin = std::numeric_limits<qint32>::min();
    TranscodingInfo sent;
    sent.trimStart = std::numeric_limits<qint64>::min();
    sent.trimEnd = std::numeric_limits<qint64>::max();
    VideoCodecInfo video;
    video.bitrate = intMin;
    video.quality = intMax;
    video.resolution = QSize(intMax, intMin);
    video.framerate = std::nan("");
    sent.video = {video};
    sent.audio = {AudioCodecInfo{QStringLiteral("aac"), intMax, intMax, intMin}};
    QByteArray bytes;
    {
        QDataStream out(&bytes, QIODevice::WriteOnly);
        out << sent;
    }

    QDataStream in(bytes);
    TranscodingInfo read;
    QVERIFY(LinkReader(in).readTask(read));
    // A century either way in 100-ns units.
    const qint64 century = qint64(100) * 365 * 24 * 3600 * 10000000;
    QCOMPARE(read.trimStart, -century);
    QCOMPARE(read.trimEnd, century);
    QCOMPARE(read.video.first().bitrate, 0);
    QCOMPARE(read.video.first().quality, 1000);
    QCOMPARE(read.video.first().resolution, QSize(16384, -1));
    QCOMPARE(read.video.first().framerate, 0.0);
    // Kilobits per second: a thousand times it still fits an int.
    QCOMPARE(read.audio.first(), (AudioCodecInfo{QStringLiteral("aac"), 100000, 768000, 0}));
}

QTEST_GUILESS_MAIN(tst_LinkReader)

#include "tst_linkreader.moc"

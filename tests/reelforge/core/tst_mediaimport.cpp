#include "core/appservices.h"
#include "core/decoderprivate.h"
#include "core/mediaimport.h"
#include "datamodel/codecinfo.h"
#include "datamodel/videoitem.h"
#include "httpstubserver.h"
#include "mediafixtures.h"
#include "metrics/metricsender.h"
#include "metrics/usagestatistics.h"
#include "waitbound.h"

extern "C" {
#include <libavcodec/codec_id.h>
}

#include <QDir>
#include <QFile>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QUrl>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qint64 Second = 10000000; // 100-ns units
constexpr qint64 Frame = Second / 25;
constexpr int SettleMs = 60000;

VideoItemPtr newItem(const QString &path)
{
    return VideoItemPtr(new VideoItem(QFileInfo(path)));
}

// An item of the history whose converted file is `output`.
VideoItemPtr historyItem(const QString &source, const QString &output, qint64 trimStart)
{
    VideoItemPtr item = newItem(QString());
    const QJsonObject codec{{QStringLiteral("Width"), -1},
                            {QStringLiteral("Height"), -1},
                            {QStringLiteral("Bitrate"), 0},
                            {QStringLiteral("Format"), QStringLiteral("MP4")}};
    const QJsonObject record{{QStringLiteral("ItemId"), QUuid::createUuid().toString()},
                             {QStringLiteral("ItemState"), int(VideoItem::History)},
                             {QStringLiteral("SourcePath"), source},
                             {QStringLiteral("SourceCodecInfo"), codec},
                             {QStringLiteral("SourceDuration"), QStringLiteral("0")},
                             {QStringLiteral("TargetName"), QFileInfo(output).completeBaseName()},
                             {QStringLiteral("CalcTargetName"), output},
                             {QStringLiteral("TargetCodecInfo"), codec},
                             {QStringLiteral("CompressionLevel"), 3},
                             {QStringLiteral("TrimStart"), QString::number(trimStart)},
                             {QStringLiteral("TrimEnd"),
                              QString::number(trimStart > 0 ? trimStart + Second : -1)},
                             {QStringLiteral("UseAudio"), true}};
    if (!item->loadFromJson(record))
        return VideoItemPtr();
    return item;
}

// The picture as the decoder's scaling graph makes it, seeking and turning as
// the thumbnail does: the reference a thumbnail keeps to.
QImage decoderPicture(const QString &path, const QSize &maxSize)
{
    decoderprivate decoder;
    if (decoder.openInputFile(path) < 0)
        return QImage();
    const int stream = decoder.bestStream(AVMEDIA_TYPE_VIDEO);
    if (stream < 0 || decoder.selectStream(stream) < 0)
        return QImage();
    QSize size = decoder.sourceSize();
    if (decoder.rotation() % 180 != 0)
        size.transpose();
    decoder.setTargetSize(size.scaled(maxSize, Qt::KeepAspectRatio));
    if (decoder.seek(qint64(decoder.duration() * 0.05), 0) < 0)
        decoder.seek(0, 0);
    AVMediaType type = AVMEDIA_TYPE_UNKNOWN;
    AVFrame *frame = nullptr;
    if (decoder.decode(&type, &frame, nullptr, nullptr) < 0 || type != AVMEDIA_TYPE_VIDEO)
        return QImage();
    const QImage picture = decoder.frameAsQImage(frame).copy();
    decoder.recycleFrame(frame);
    return picture;
}

// The largest difference of a colour channel's mean over 8 x 8 blocks of two
// pictures of the same size. Scalers differ at sharp colour edges, by single
// pixels that the blocks average out; another frame, turn or crop differs
// by whole blocks.
int blockDifference(const QImage &a, const QImage &b)
{
    constexpr int Block = 8;
    int largest = 0;
    for (int top = 0; top + Block <= a.height(); top += Block) {
        for (int left = 0; left + Block <= a.width(); left += Block) {
            int sums[3] = {0, 0, 0};
            for (int y = top; y < top + Block; ++y) {
                for (int x = left; x < left + Block; ++x) {
                    const QRgb p = a.pixel(x, y);
                    const QRgb q = b.pixel(x, y);
                    sums[0] += qRed(p) - qRed(q);
                    sums[1] += qGreen(p) - qGreen(q);
                    sums[2] += qBlue(p) - qBlue(q);
                }
            }
            for (const int sum : sums)
                largest = qMax(largest, qAbs(sum) / (Block * Block));
        }
    }
    return largest;
}

bool settled(const VideoItemPtr &item)
{
    return item->state() != VideoItem::Importing;
}

// Changes a stream's four-character code in place: the file then names a
// codec that this FFmpeg cannot decode.
bool replaceCodecTag(const QString &path, const QByteArray &from, const QByteArray &to)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    QByteArray header = file.read(8192);
    if (!header.contains(from))
        return false;
    header.replace(from, to);
    return file.seek(0) && file.write(header) == header.size();
}

// "key:value" or "key:value:extra" for every event in the requests.
QStringList eventsOf(const QStringList &requests)
{
    QStringList events;
    static const QRegularExpression event(QStringLiteral("&m\\d+=([^&]*)"));
    for (const QString &request : requests) {
        auto it = event.globalMatch(request);
        while (it.hasNext()) {
            const QStringList parts = it.next().captured(1).split(QLatin1Char(':'));
            QStringList decoded;
            for (const QString &part : parts)
                decoded << QUrl::fromPercentEncoding(part.toUtf8());
            events << decoded.join(QLatin1Char(':'));
        }
    }
    return events;
}

} // namespace

class tst_mediaimport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void probedItems_data();
    void probedItems();
    void errorEvents_data();
    void errorEvents();
    void manyItemsAtOnce();
    void outputCheck_data();
    void outputCheck();
    void destroyedWhileProbing();
    void sourcesThatAreNoFilesFailAtOnce_data();
    void sourcesThatAreNoFilesFailAtOnce();
    void thumbnailKeepsTheDecodersFraming_data();
    void thumbnailKeepsTheDecodersFraming();

private:
    QString fixture(const QString &name) const { return m_media.path(name); }

    MediaFixtures m_media;
    UsageStatistics m_usage;
};

void tst_mediaimport::initTestCase()
{
    QVERIFY(m_media.isValid());
    appServices().usageStatistics = &m_usage;

    MediaFixtures::Clip rotated;
    rotated.size = QSize(640, 360);
    rotated.rotation = 90;
    rotated.audioChannels = 2;
    QVERIFY(!m_media.make(QStringLiteral("rotated.mp4"), rotated).isEmpty());

    MediaFixtures::Clip tone;
    tone.video = false;
    tone.audioChannels = 2;
    QVERIFY(!m_media.make(QStringLiteral("tone.mp3"), tone).isEmpty());
    QVERIFY(!m_media.make(QStringLiteral("tone.m4a"), tone).isEmpty());
    tone.audioChannels = 1;
    QVERIFY(!m_media.make(QStringLiteral("tone.wav"), tone).isEmpty());

    const MediaFixtures::Clip silent;
    QVERIFY(!m_media.make(QStringLiteral("silent.mp4"), silent).isEmpty());

    MediaFixtures::Clip withAudio;
    withAudio.audioChannels = 2;
    QVERIFY(!m_media.make(QStringLiteral("clip.MOV"), withAudio).isEmpty());
    QVERIFY(QFile::copy(fixture(QStringLiteral("silent.mp4")), fixture(QStringLiteral("clip.xyz"))));

    MediaFixtures::Clip streamed;
    streamed.streamedFormat = QStringLiteral("matroska");
    QVERIFY(!m_media.make(QStringLiteral("streamed.mkv"), streamed).isEmpty());

    MediaFixtures::Clip still;
    still.videoCodec = QStringLiteral("mjpeg");
    still.frames = 1;
    QVERIFY(!m_media.make(QStringLiteral("still.jpg"), still).isEmpty());
    QVERIFY(QFile::rename(fixture(QStringLiteral("still.jpg")),
                          fixture(QStringLiteral("still.mp4"))));

    // Stream headers, but not one whole packet: no rule finds a duration.
    const QString headerOnly = fixture(QStringLiteral("header-only.mkv"));
    QVERIFY(QFile::copy(fixture(QStringLiteral("streamed.mkv")), headerOnly));
    QVERIFY(QFile(headerOnly).resize(1000));

    QFile empty(fixture(QStringLiteral("empty.mp4")));
    QVERIFY(empty.open(QIODevice::WriteOnly));
    empty.close();

    const QString truncated = fixture(QStringLiteral("truncated.mp4"));
    QVERIFY(QFile::copy(fixture(QStringLiteral("silent.mp4")), truncated));
    QFile cut(truncated);
    QVERIFY(cut.resize(cut.size() / 2));

    MediaFixtures::Clip mpeg4;
    mpeg4.videoCodec = QStringLiteral("mpeg4");
    const QString undecodable = m_media.make(QStringLiteral("undecodable.avi"), mpeg4);
    QVERIFY(!undecodable.isEmpty());
    QVERIFY(replaceCodecTag(undecodable, "FMP4", "AVS2"));

    MediaFixtures::Clip turned;
    turned.size = QSize(1280, 720);
    turned.rotation = 270;
    QVERIFY(!m_media.make(QStringLiteral("turned270.mp4"), turned).isEmpty());
    turned.size = QSize(640, 360);
    turned.rotation = 180;
    QVERIFY(!m_media.make(QStringLiteral("turned180.mp4"), turned).isEmpty());
    MediaFixtures::Clip tall;
    tall.size = QSize(250, 646);
    tall.gop = 5;
    tall.frames = 100;
    QVERIFY(!m_media.make(QStringLiteral("tall.mp4"), tall).isEmpty());
    QVERIFY(!m_media.makeWith(QStringLiteral("fullrange.avi"),
                              {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                               QStringLiteral("testsrc2=size=400x300:rate=25:duration=2"),
                               QStringLiteral("-c:v"), QStringLiteral("mjpeg"),
                               QStringLiteral("-pix_fmt"), QStringLiteral("yuvj422p")})
                     .isEmpty());
}

void tst_mediaimport::cleanup()
{
    m_usage.clear();
}

void tst_mediaimport::probedItems_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("imported");
    QTest::addColumn<QSize>("resolution");
    QTest::addColumn<int>("angle");
    QTest::addColumn<qint64>("duration");
    QTest::addColumn<bool>("audio");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("sourceFormat");

    const QSize none;
    const QSize plain(320, 240);
    // clang-format off
    QTest::newRow("rotated mp4")  << "rotated.mp4"  << true  << QSize(360, 640) << 90 << 2 * Second << true  << "mp4" << "MP4";
    QTest::newRow("mp3")          << "tone.mp3"     << true  << none  << 0 << 2 * Second << true  << "mp3" << "MP3";
    QTest::newRow("m4a")          << "tone.m4a"     << true  << none  << 0 << 2 * Second << true  << "m4a" << "M4A";
    QTest::newRow("audio only")   << "tone.wav"     << true  << none  << 0 << 2 * Second << true  << "wav" << "WAV";
    QTest::newRow("video only")   << "silent.mp4"   << true  << plain << 0 << 2 * Second << false << "mp4" << "MP4";
    QTest::newRow("upper case")   << "clip.MOV"     << true  << plain << 0 << 2 * Second << true  << "mov" << "MOV";
    QTest::newRow("unknown ext")  << "clip.xyz"     << true  << plain << 0 << 2 * Second << false << "mov" << "MOV";
    QTest::newRow("no duration stated") << "streamed.mkv" << true << plain << 0 << 2 * Second << false << "mkv" << "MKV";
    QTest::newRow("jpg as mp4")   << "still.mp4"    << false << plain << 0 << qint64(-1) << false << "" << "";
    QTest::newRow("no duration found") << "header-only.mkv" << false << plain << 0 << qint64(0) << false << "" << "";
    QTest::newRow("empty")        << "empty.mp4"    << false << none  << 0 << qint64(0) << false << "" << "";
    QTest::newRow("truncated")    << "truncated.mp4" << false << none << 0 << qint64(0) << false << "" << "";
    // clang-format on
}

void tst_mediaimport::probedItems()
{
    QFETCH(QString, file);
    QFETCH(bool, imported);
    QFETCH(QSize, resolution);
    QFETCH(int, angle);
    QFETCH(qint64, duration);
    QFETCH(bool, audio);
    QFETCH(QString, format);
    QFETCH(QString, sourceFormat);

    const VideoItemPtr item = newItem(fixture(file));
    QSignalSpy states(item.data(), &VideoItem::stateChanged);
    mediaimport import;
    import.loadMetaInfo(item);
    QTRY_VERIFY(settled(item));
    QCOMPARE(states.count(), 1);

    const AVMediaFileInfo &info = item->mediaInfo();
    if (!imported) {
        QCOMPARE(item->state(), VideoItem::ImportFailed);
        QVERIFY(item->thumbnail().isNull());
        QCOMPARE(info.resolution, resolution);
        if (duration >= 0)
            QCOMPARE(info.duration, duration);
        return;
    }

    QCOMPARE(item->state(), VideoItem::Imported);
    QCOMPARE(info.hasVideo, resolution.isValid());
    QCOMPARE(info.resolution, resolution);
    QCOMPARE(info.angle, angle);
    QCOMPARE(item->rotation(), angle);
    QVERIFY2(qAbs(info.duration - duration) <= Frame, qPrintable(QString::number(info.duration)));
    QCOMPARE(item->duration(), info.duration);
    QCOMPARE(item->trim(), qMakePair(qint64(0), info.duration));
    QCOMPARE(info.hasAudio, audio);
    QCOMPARE(item->supportAudio(), audio);
    QCOMPARE(item->useAudio(), audio);
    QCOMPARE(info.format, format);
    QVERIFY(info.bitrate > 0 || file == QLatin1String("streamed.mkv"));

    const auto source = item->sourceCodecInfo();
    QCOMPARE(source->format(), sourceFormat);
    QCOMPARE(source->resolution(), resolution);
    QCOMPARE(source->bitrate(), info.bitrate);
    QCOMPARE(source->videoStream().framerate, resolution.isValid() ? 25.0 : 0.0);
    QCOMPARE(source->samplerate(), audio ? 44100 : 0);

    const auto target = item->targetCodecInfo();
    QCOMPARE(target->resolution(), resolution);
    QCOMPARE(target->bitrate(), info.bitrate);
    QCOMPARE(target->videoStream().quality, item->compressionLevel() * 20 + 50);
    QCOMPARE(target->channelCount(), source->channelCount());

    const QImage thumbnail = item->thumbnail();
    QCOMPARE(thumbnail.isNull(), !info.hasVideo);
    if (info.hasVideo) {
        QCOMPARE(thumbnail.size(), resolution.scaled(320, 320, Qt::KeepAspectRatio));
        QCOMPARE(thumbnail.pixelColor(thumbnail.rect().center()).alpha(), 255);
        // Taken from the probe's input, even after its end was sought for a
        // duration: the same picture as from the file opened afresh.
        QCOMPARE(thumbnail,
                 mediaimport::thumbnail(fixture(file), QSize(320, 320), Qt::KeepAspectRatio));
    }
}

void tst_mediaimport::errorEvents_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("events");

    const auto sizeOf = [this](const char *name) {
        return QString::number(QFileInfo(fixture(QLatin1String(name))).size());
    };
    QTest::newRow("upper case extension in the format list") << "clip.MOV" << QStringList();
    QTest::newRow("extension not in the format list")
            << "clip.xyz" << QStringList{QStringLiteral("err7:%1:h264").arg(AV_CODEC_ID_H264)};
    QTest::newRow("still picture")
            << "still.mp4"
            << QStringList{QStringLiteral("err7:%1:mjpeg").arg(AV_CODEC_ID_MJPEG),
                           QStringLiteral("err3:%1:mjpeg").arg(sizeOf("still.mp4"))};
    QTest::newRow("unreadable") << "truncated.mp4"
                                << QStringList{QStringLiteral("err4:0"), QStringLiteral("err5:0"),
                                               QStringLiteral("err3:%1").arg(
                                                       sizeOf("truncated.mp4"))};
    QTest::newRow("video decoder missing")
            << "undecodable.avi"
            << QStringList{QStringLiteral("err5:%1:avs2").arg(AV_CODEC_ID_AVS2)};
}

void tst_mediaimport::errorEvents()
{
    QFETCH(QString, file);
    QFETCH(QStringList, events);

    HttpStubServer server;
    QVERIFY(server.listen());
    MetricSender::init(QStringLiteral("device"), QStringLiteral("15"), QStringLiteral("1.0"), true,
                       server.baseUrl(), 50);

    const VideoItemPtr item = newItem(fixture(file));
    mediaimport import;
    import.loadMetaInfo(item);
    QTRY_VERIFY(settled(item));
    MetricSender::flush();
    MetricSender::setEnabled(false);

    QCOMPARE(eventsOf(server.requests()), events);
}

void tst_mediaimport::manyItemsAtOnce()
{
    struct Case
    {
        QString file;
        bool imported;
    };
    const QList<Case> cases{{QStringLiteral("rotated.mp4"), true},
                            {QStringLiteral("tone.mp3"), true},
                            {QStringLiteral("silent.mp4"), true},
                            {QStringLiteral("still.mp4"), false},
                            {QStringLiteral("empty.mp4"), false}};
    constexpr int Count = 20;

    QList<VideoItemPtr> items;
    QList<QSignalSpy *> spies;
    mediaimport import;
    for (int i = 0; i < Count; ++i) {
        items << newItem(fixture(cases.at(i % cases.size()).file));
        spies << new QSignalSpy(items.last().data(), &VideoItem::stateChanged);
        import.loadMetaInfo(items.last());
    }
    QTRY_VERIFY(std::all_of(items.cbegin(), items.cend(), settled));

    for (int i = 0; i < Count; ++i) {
        const bool imported = cases.at(i % cases.size()).imported;
        QCOMPARE(items.at(i)->state(), imported ? VideoItem::Imported : VideoItem::ImportFailed);
        QCOMPARE(spies.at(i)->count(), 1);
    }
    qDeleteAll(spies);

    // Per round of five: three accepted (one without audio, two with h264),
    // two rejected.
    const qint64 rounds = Count / cases.size();
    QCOMPARE(m_usage.value(QStringLiteral("imp2")), 3 * rounds);
    QCOMPARE(m_usage.value(QStringLiteral("imp0")), 2 * rounds);
    QCOMPARE(m_usage.value(QStringLiteral("imp1")), rounds);
    QCOMPARE(m_usage.value(QStringLiteral("vcodec"), QStringLiteral("h264")), 2 * rounds);
    QCOMPARE(m_usage.value(QStringLiteral("acodec"), QStringLiteral("aac")), rounds);
    QCOMPARE(m_usage.value(QStringLiteral("acodec"), QStringLiteral("mp3")), rounds);
    QCOMPARE(m_usage.value(QStringLiteral("smax")), qint64(2));

    qint64 largest = 0;
    qint64 smallest = std::numeric_limits<qint64>::max();
    for (const Case &c : cases) {
        if (!c.imported)
            continue;
        largest = qMax(largest, QFileInfo(fixture(c.file)).size());
        smallest = qMin(smallest, QFileInfo(fixture(c.file)).size());
    }
    QCOMPARE(m_usage.value(QStringLiteral("fsmax")), largest);
    QCOMPARE(m_usage.value(QStringLiteral("fsmin")), smallest);

    qint64 longest = 0;
    qint64 shortest = std::numeric_limits<qint64>::max();
    for (const VideoItemPtr &item : qAsConst(items)) {
        if (item->state() != VideoItem::Imported)
            continue;
        longest = qMax(longest, item->duration() / Second);
        shortest = qMin(shortest, item->duration() / Second);
    }
    QCOMPARE(m_usage.value(QStringLiteral("fdmax")), longest);
    QCOMPARE(m_usage.value(QStringLiteral("fdmin")), shortest);
}

void tst_mediaimport::outputCheck_data()
{
    QTest::addColumn<QString>("output");
    QTest::addColumn<qint64>("trimStart");
    QTest::addColumn<bool>("readable");
    QTest::addColumn<QSize>("thumbnail");

    QTest::newRow("untrimmed keeps its thumbnail") << "silent.mp4" << qint64(0) << true << QSize();
    // The thumbnail comes from the source, which is rotated.
    QTest::newRow("trimmed gets the source's thumbnail")
            << "silent.mp4" << Second << true << QSize(180, 320);
    QTest::newRow("unreadable output") << "empty.mp4" << Second << false << QSize();
}

void tst_mediaimport::outputCheck()
{
    QFETCH(QString, output);
    QFETCH(qint64, trimStart);
    QFETCH(bool, readable);
    QFETCH(QSize, thumbnail);

    const VideoItemPtr item = historyItem(fixture(QStringLiteral("rotated.mp4")), fixture(output),
                                          trimStart);
    QVERIFY(item);
    QSignalSpy states(item.data(), &VideoItem::stateChanged);
    QSignalSpy thumbnails(item.data(), &VideoItem::thumbnailChanged);
    QSignalSpy sourceFormats(item->sourceCodecInfo().data(), &CodecInfo::formatChanged);
    if (!readable) {
        QTest::ignoreMessage(QtCriticalMsg,
                             QRegularExpression(QStringLiteral(
                                     "^Can't read meta from output file .*empty\\.mp4 !!!$")));
    }

    {
        mediaimport import;
        import.loadMetaInfo(item);
        // Nothing but the log and the counters may show a failed check; once
        // the probe is counted, the import's end delivers its result.
        QTRY_COMPARE(m_usage.value(QStringLiteral("imp0")) + m_usage.value(QStringLiteral("imp2")),
                     qint64(1));
    }
    QCoreApplication::sendPostedEvents();

    if (readable) {
        QVERIFY(item->duration() > 0);
        QCOMPARE(item->sourceCodecInfo()->resolution(), QSize(320, 240));
        QCOMPARE(item->trim().first, trimStart);
        // Told once for the picture and once more when its encoding arrives.
        QCOMPARE(!thumbnails.isEmpty(), thumbnail.isValid());
        QCOMPARE(item->thumbnail().size(), thumbnail.isValid() ? thumbnail : QSize(0, 0));
    } else {
        QCOMPARE(sourceFormats.count(), 0);
        QCOMPARE(item->duration(), qint64(0));
        QCOMPARE(thumbnails.count(), 0);
    }
    QCOMPARE(item->state(), VideoItem::History);
    QCOMPARE(states.count(), 0);
    QCOMPARE(m_usage.value(readable ? QStringLiteral("imp2") : QStringLiteral("imp0")), qint64(1));
}

void tst_mediaimport::destroyedWhileProbing()
{
    QList<VideoItemPtr> items;
    {
        mediaimport import;
        for (int i = 0; i < 8; ++i) {
            items << newItem(fixture(QStringLiteral("silent.mp4")));
            import.loadMetaInfo(items.last());
        }
    }
    // Probes under way when the import went still reach their items; the
    // ones still waiting were dropped.
    const int begun = int(m_usage.value(QStringLiteral("imp2")));
    QTRY_COMPARE(int(std::count_if(items.cbegin(), items.cend(), settled)), begun);
    for (const VideoItemPtr &item : qAsConst(items))
        QVERIFY(item->state() == VideoItem::Importing || item->state() == VideoItem::Imported);
}

void tst_mediaimport::sourcesThatAreNoFilesFailAtOnce_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("reason");

    const QString fifo = fixture(QStringLiteral("pipe.mp4"));
    QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
    // Nobody writes to the pipe: an open of it would wait for good.
    QTest::newRow("pipe") << fifo << "a pipe, not a file";
    const QString folder = fixture(QStringLiteral("folder.mp4"));
    QVERIFY(QDir().mkdir(folder));
    QTest::newRow("folder") << folder << "a folder, not a file";
    QTest::newRow("character device") << "/dev/null"
                                      << "a device, not a file";
    QTest::newRow("missing") << fixture(QStringLiteral("missing.mp4")) << "the file does not exist";
    // Root reads any file, so the row would prove nothing there.
    if (::geteuid() != 0) {
        const QString locked = fixture(QStringLiteral("locked.mp4"));
        QVERIFY(QFile::copy(fixture(QStringLiteral("silent.mp4")), locked));
        QVERIFY(QFile::setPermissions(locked, QFileDevice::WriteOwner));
        QTest::newRow("unreadable file") << locked << "no permission to read the file";
    }
}

void tst_mediaimport::sourcesThatAreNoFilesFailAtOnce()
{
    QFETCH(QString, path);
    QFETCH(QString, reason);

    const VideoItemPtr item = newItem(path);
    {
        mediaimport import;
        import.loadMetaInfo(item);
        QTRY_VERIFY_WITH_TIMEOUT(settled(item), SettleMs);
    }
    QCOMPARE(item->state(), VideoItem::ImportFailed);
    QCOMPARE(item->failureReason(), reason);
    QCOMPARE(m_usage.value(QStringLiteral("imp0")), qint64(1));
    // No task is left behind to hold the program's exit.
    QThreadPool::globalInstance()->waitForDone();
}

void tst_mediaimport::thumbnailKeepsTheDecodersFraming_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QSize>("size");

    QTest::newRow("fits as it is") << "silent.mp4" << QSize(320, 240);
    QTest::newRow("turned 90") << "rotated.mp4" << QSize(180, 320);
    QTest::newRow("turned 270") << "turned270.mp4" << QSize(180, 320);
    // The decoder leaves a half turn as it is.
    QTest::newRow("turned 180") << "turned180.mp4" << QSize(320, 180);
    // A key frame every 5 frames: the picture at 5 % is not the first.
    QTest::newRow("tall, odd width") << "tall.mp4" << QSize(123, 320);
    QTest::newRow("full-range 4:2:2") << "fullrange.avi" << QSize(320, 240);
}

// The picture from 5 % into the file, scaled and turned as the decoder's
// scaling graph does it.
void tst_mediaimport::thumbnailKeepsTheDecodersFraming()
{
    QFETCH(QString, file);
    QFETCH(QSize, size);

    const QImage thumbnail = mediaimport::thumbnail(fixture(file), QSize(320, 320),
                                                    Qt::KeepAspectRatio);
    const QImage reference = decoderPicture(fixture(file), QSize(320, 320));
    QCOMPARE(thumbnail.size(), size);
    QCOMPARE(reference.size(), size);
    // Measured: up to 35 where 646 rows are scaled to 320; the picture from
    // 30 % into the file differs by 169, a turn the wrong way by 255.
    QVERIFY2(blockDifference(thumbnail, reference) <= 64,
             qPrintable(QString::number(blockDifference(thumbnail, reference))));
}

QTEST_GUILESS_MAIN(tst_mediaimport)
#include "tst_mediaimport.moc"

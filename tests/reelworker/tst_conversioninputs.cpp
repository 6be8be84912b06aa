#include "core/linkmessages.h"
#include "core/mediaimport.h"
#include "core/transcodinginfo.h"
#include "datamodel/pip/pipobject.h"
#include "shared/settingsprovider.h"
#include "waitbound.h"

#include <mediafixtures.h>
#include <remotehandler/remotehandler.h>

#include <QDataStream>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <cstring>
#include <functional>

// Ordinary files that the ffmpeg command converts whole: the worker must
// convert them whole too, with sound and picture in step, or say it failed.

namespace {

const char workerPath[] = REEL_BIN_DIR "/reelworker";
const qint64 second = 10000000;
const double tolerance = 0.1; // seconds

// Where each stream of a file ends, in seconds of its timeline, as ffprobe
// reads the packets; -1 for a stream the file does not have.
struct Lengths
{
    double video = -1;
    double audio = -1;
    QSize size;
};

QStringList ffprobe(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral("ffprobe"),
                  QStringList{QStringLiteral("-v"), QStringLiteral("error")} + arguments);
    if (!process.waitForFinished(WaitBound::ms()) || process.exitCode() != 0)
        return {};
    return QString::fromUtf8(process.readAllStandardOutput())
            .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

Lengths lengthsOf(const QString &path)
{
    Lengths lengths;
    const QStringList packets = ffprobe({QStringLiteral("-show_entries"),
                                         QStringLiteral("packet=codec_type,pts_time,duration_time"),
                                         QStringLiteral("-of"), QStringLiteral("csv=p=0"), path});
    for (const QString &line : packets) {
        const QStringList fields = line.split(QLatin1Char(','));
        bool ok = false;
        const double end = fields.value(1).toDouble(&ok) + fields.value(2).toDouble();
        if (!ok)
            continue;
        if (fields.value(0) == QLatin1String("video"))
            lengths.video = qMax(lengths.video, end);
        else if (fields.value(0) == QLatin1String("audio"))
            lengths.audio = qMax(lengths.audio, end);
    }
    const QStringList size = ffprobe({QStringLiteral("-select_streams"), QStringLiteral("v:0"),
                                      QStringLiteral("-show_entries"),
                                      QStringLiteral("stream=width,height"), QStringLiteral("-of"),
                                      QStringLiteral("csv=p=0:s=x"), path});
    if (!size.isEmpty())
        lengths.size = QSize(size.first().section(QLatin1Char('x'), 0, 0).toInt(),
                             size.first().section(QLatin1Char('x'), 1, 1).toInt());
    return lengths;
}

// What decoding the whole file with the ffmpeg command reports; empty when
// it decodes cleanly.
QString decodingErrors(const QString &path)
{
    QProcess process;
    process.start(QStringLiteral("ffmpeg"),
                  {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-i"), path,
                   QStringLiteral("-f"), QStringLiteral("null"), QStringLiteral("-")});
    if (!process.waitForFinished(WaitBound::ms()))
        return QStringLiteral("ffmpeg did not finish");
    const QString errors = QString::fromUtf8(process.readAllStandardError()).trimmed();
    return process.exitCode() == 0 ? errors
                                   : QStringLiteral("exit code %1").arg(process.exitCode());
}

// The same conversion by the ffmpeg command: what it keeps of a damaged file
// is the decodable part.
Lengths ffmpegLengths(const QString &source, double trimStart, double trimEnd, bool video,
                      const QString &target)
{
    QStringList arguments{QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y")};
    if (trimStart > 0)
        arguments << QStringLiteral("-ss") << QString::number(trimStart);
    arguments << QStringLiteral("-to") << QString::number(trimEnd) << QStringLiteral("-i")
              << source;
    if (!video)
        arguments << QStringLiteral("-vn");
    arguments << QStringLiteral("-c:v") << QStringLiteral("libx264") << QStringLiteral("-preset")
              << QStringLiteral("ultrafast") << QStringLiteral("-c:a") << QStringLiteral("aac")
              << target;
    QProcess process;
    process.start(QStringLiteral("ffmpeg"), arguments);
    if (!process.waitForFinished(WaitBound::ms()) || process.exitCode() != 0)
        return Lengths();
    return lengthsOf(target);
}

// The GUI's end of the link, reduced to one task: starts the real worker,
// sends the task and waits for its final state.
int finalStateOf(const TranscodingInfo &task)
{
    RemoteHandler link;
    link.runServerMode(QString::fromLatin1(workerPath));
    int state = 0;
    QObject::connect(&link, &RemoteHandler::newMessage, [&](const QByteArray &payload) {
        QDataStream in(payload);
        qint32 code = 0;
        QUuid uid;
        qint32 reported = 0;
        in >> code >> uid >> reported;
        if (code == LinkMessages::ItemState && uid == task.uid
            && reported != int(QueueItemState::Processing))
            state = reported;
    });
    QSignalSpy ready(&link, &RemoteHandler::handlerReady);
    if (!link.startHandler() || !ready.wait(WaitBound::ms())
        || !link.write(LinkMessages::addItem(task)))
        return -1;
    // A worker that dies (a sanitizer's report ends it) closes the link.
    QSignalSpy closed(&link, &RemoteHandler::handlerClosed);
    if (!QTest::qWaitFor([&] { return state != 0 || closed.count() > 0; }, WaitBound::ms()))
        qWarning("The worker neither finished nor ended");
    return state;
}

// Writes a copy of the file with the bytes from the fraction of its size on
// cut off.
QString truncatedCopy(const QString &path, double fraction, const QString &copyPath)
{
    QFile::remove(copyPath);
    if (!QFile::copy(path, copyPath))
        return QString();
    QFile copy(copyPath);
    return copy.resize(qint64(copy.size() * fraction)) ? copyPath : QString();
}

// Writes a copy with bytes changed at random places of its media data; the
// same places on every run.
QString damagedCopy(const QString &path, int bytes, const QString &copyPath)
{
    QFile source(path);
    if (!source.open(QIODevice::ReadOnly))
        return QString();
    QByteArray data = source.readAll();
    const int media = data.indexOf("mdat");
    if (media < 0)
        return QString();
    QRandomGenerator random(26);
    for (int i = 0; i < bytes; ++i) {
        const int at = media + 64 + random.bounded(data.size() - media - 64);
        data[at] = char(random.bounded(256));
    }
    QFile copy(copyPath);
    return copy.open(QIODevice::WriteOnly) && copy.write(data) == data.size() ? copyPath
                                                                              : QString();
}

// Writes a copy of a Matroska file whose header states half its duration, as
// a recording whose header was written too early does.
QString halvedDurationCopy(const QString &path, const QString &copyPath)
{
    QFile source(path);
    if (!source.open(QIODevice::ReadOnly))
        return QString();
    QByteArray data = source.readAll();
    // The segment's Duration element: its id, a length of 8, a big-endian double.
    const QByteArray element("\x44\x89\x88", 3);
    const int at = data.indexOf(element);
    if (at < 0 || data.indexOf(element, at + 1) >= 0 || at + 11 > data.size())
        return QString();
    quint64 bits = qFromBigEndian<quint64>(data.constData() + at + 3);
    double duration = 0;
    std::memcpy(&duration, &bits, sizeof duration);
    duration /= 2;
    std::memcpy(&bits, &duration, sizeof bits);
    qToBigEndian(bits, data.data() + at + 3);
    QFile copy(copyPath);
    return copy.open(QIODevice::WriteOnly) && copy.write(data) == data.size() ? copyPath
                                                                              : QString();
}

QString joined(const QStringList &paths, const QString &joinedPath)
{
    QFile out(joinedPath);
    if (!out.open(QIODevice::WriteOnly))
        return QString();
    for (const QString &path : paths) {
        QFile part(path);
        if (!part.open(QIODevice::ReadOnly))
            return QString();
        out.write(part.readAll());
    }
    return joinedPath;
}

QStringList lavfi(const QString &source)
{
    return {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"), source};
}

QStringList clipArguments(double seconds, const QString &videoCodec, const QString &audioCodec)
{
    return lavfi(QStringLiteral("testsrc2=size=320x240:rate=25:duration=%1").arg(seconds))
            + lavfi(QStringLiteral("sine=frequency=440:duration=%1").arg(seconds))
            + QStringList{QStringLiteral("-c:v"), videoCodec, QStringLiteral("-c:a"), audioCodec};
}

} // namespace

class tst_ConversionInputs : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void convertsWholeAndInStep_data();
    void convertsWholeAndInStep();

private:
    // The path of the source file of that name, made when a case first asks
    // for it, so that a run of some of the cases makes only their files;
    // empty when it could not be made.
    QString source(const QString &name);
    void addSource(const QString &name, const QStringList &ffmpegArguments);
    void addSource(const QString &name, std::function<QString()> make);

    MediaFixtures m_media;
    QTemporaryDir m_out;
    QMap<QString, std::function<QString()>> m_recipes;
    QMap<QString, QString> m_sources;
};

QString tst_ConversionInputs::source(const QString &name)
{
    if (!m_sources.contains(name))
        m_sources.insert(name, m_recipes.contains(name) ? m_recipes.value(name)() : QString());
    return m_sources.value(name);
}

void tst_ConversionInputs::addSource(const QString &name, const QStringList &ffmpegArguments)
{
    addSource(name,
              [this, name, ffmpegArguments] { return m_media.makeWith(name, ffmpegArguments); });
}

void tst_ConversionInputs::addSource(const QString &name, std::function<QString()> make)
{
    m_recipes.insert(name, std::move(make));
}

void tst_ConversionInputs::initTestCase()
{
    registerSettingsMetaTypes();
    PipObject::registerMetaTypes();
    QVERIFY(QFileInfo::exists(QString::fromLatin1(workerPath)));
    QVERIFY(m_media.isValid());
    QVERIFY(m_out.isValid());

    const QStringList x264{QStringLiteral("-preset"), QStringLiteral("ultrafast")};
    addSource("onebit.pbm",
              lavfi("testsrc=size=64x48") + QStringList{"-frames:v", "1", "-pix_fmt", "monob"});
    // ffmpeg's transport and program streams start at 1.4 s and 0.5 s.
    addSource("offset.ts", clipArguments(3, "mpeg2video", "mp2"));
    addSource("faroffset.ts",
              clipArguments(3, "mpeg2video", "mp2") + QStringList{"-output_ts_offset", "36000"});
    addSource("program.mpg", clipArguments(3, "mpeg2video", "mp2"));
    addSource("noindex.flv", clipArguments(2, "flv", "libmp3lame"));
    addSource("whole.mkv", clipArguments(3, "libx264", "aac") + x264);
    addSource("cut.mkv",
              [this] { return truncatedCopy(source("whole.mkv"), 0.3, m_media.path("cut.mkv")); });
    // Vorbis takes 64 samples a frame: one decoded frame yields 128.
    addSource("bigframes.flac",
              lavfi("sine=duration=3") + QStringList{"-c:a", "flac", "-frame_size", "8192"});
    addSource("mono.aac", lavfi("sine=duration=2") + QStringList{"-ac", "1", "-f", "adts"});
    addSource("stereo.aac",
              lavfi("sine=frequency=880:duration=2") + QStringList{"-ac", "2", "-f", "adts"});
    addSource("monostereo.aac", [this] {
        return joined({source("mono.aac"), source("stereo.aac")}, m_media.path("monostereo.aac"));
    });
    // 20 frames, ten seconds of nothing, 80 frames; sound all the way.
    addSource("gapped.mkv",
              lavfi("testsrc2=size=320x240:rate=25:duration=4,"
                    "setpts='if(lt(N,20),N/25/TB,(N/25+10)/TB)'")
                      + lavfi("sine=duration=14")
                      + QStringList{"-c:v", "libx264", "-c:a", "aac", "-fps_mode", "passthrough"}
                      + x264);
    addSource("first.ts", clipArguments(2, "libx264", "aac") + x264);
    addSource("second.ts",
              lavfi("testsrc2=size=320x240:rate=25:duration=2")
                      + lavfi("sine=frequency=880:duration=2")
                      + QStringList{"-c:v", "libx264", "-c:a", "aac"} + x264);
    addSource("joined.ts", [this] {
        return joined({source("first.ts"), source("second.ts")}, m_media.path("joined.ts"));
    });
    addSource("whole4.mkv", clipArguments(4, "libx264", "aac") + x264);
    addSource("halfstated.mkv", [this] {
        return halvedDurationCopy(source("whole4.mkv"), m_media.path("halfstated.mkv"));
    });
    addSource("plain.mp4", clipArguments(2, "libx264", "aac") + x264);
    // The tag becomes a display matrix that turns the picture 45 degrees clockwise.
    addSource("turned45.mp4", [this] {
        const QString plain = source("plain.mp4");
        return plain.isEmpty()
                ? QString()
                : m_media.makeWith("turned45.mp4",
                                   {"-i", plain, "-c", "copy", "-metadata:s:v:0", "rotate=315"});
    });
    addSource("cover.png",
              lavfi("testsrc=size=64x48") + QStringList{"-frames:v", "1", "-pix_fmt", "monob"});
    addSource("cover.mp3", [this] {
        const QString cover = source("cover.png");
        return cover.isEmpty()
                ? QString()
                : m_media.makeWith("cover.mp3",
                                   lavfi("sine=duration=2")
                                           + QStringList{"-i", cover, "-map", "0", "-map", "1",
                                                         "-c:a", "libmp3lame", "-c:v", "copy",
                                                         "-disposition:v", "attached_pic"});
    });
    // The index comes first, as in a file being downloaded.
    addSource("streamable.mp4",
              clipArguments(3, "libx264", "aac") + x264 + QStringList{"-movflags", "+faststart"});
    addSource("partial.mp4", [this] {
        return truncatedCopy(source("streamable.mp4"), 0.99, m_media.path("partial.mp4"));
    });
    addSource("damaged.mp4", [this] {
        return damagedCopy(source("streamable.mp4"), 200, m_media.path("damaged.mp4"));
    });
    addSource("onepixel.mkv",
              lavfi("color=c=red:size=16x16:rate=25:duration=2,format=rgb24,scale=1:1")
                      + lavfi("sine=duration=2") + QStringList{"-c:v", "ffv1", "-c:a", "aac"});
}

void tst_ConversionInputs::convertsWholeAndInStep_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("container");
    QTest::addColumn<bool>("videoRecord");
    QTest::addColumn<double>("trimStart"); // seconds
    QTest::addColumn<double>("trimEnd");   // seconds; 0: the duration the probe finds
    QTest::addColumn<bool>("done");
    QTest::addColumn<double>("video");     // seconds of picture expected; -1: no picture
    QTest::addColumn<double>("audio");     // seconds of sound expected; -1: no sound
    QTest::addColumn<QSize>("resolution"); // asked for; invalid: the probe's
    QTest::addColumn<QSize>("size");       // of the picture made, when it matters

    const QSize any;
    const QSize fullHd(1920, 1440);
    const double ffmpeg = -2;
    // clang-format off
    QTest::newRow("1-bit picture, full HD, watermark") << "onebit.pbm" << "mp4" << true << 0.0 << 0.0 << true << 0.04 << -1.0 << fullHd << fullHd;
    QTest::newRow("TS starting at 1.4 s")              << "offset.ts" << "mp4" << true << 0.0 << 0.0 << true << 3.0 << 3.0 << any << any;
    QTest::newRow("TS starting at 10 hours")           << "faroffset.ts" << "mp4" << true << 0.0 << 0.0 << true << 3.0 << 3.0 << any << any;
    QTest::newRow("MPEG-PS starting at 0.5 s")         << "program.mpg" << "mp4" << true << 0.0 << 0.0 << true << 3.0 << 3.0 << any << any;
    QTest::newRow("FLV without index")                 << "noindex.flv" << "mp4" << true << 0.0 << 0.0 << true << 2.0 << 2.0 << any << any;
    QTest::newRow("FLV without index, trimmed")        << "noindex.flv" << "mp4" << true << 0.5 << 1.5 << true << 1.0 << 1.0 << any << any;
    QTest::newRow("MKV cut at 30 %")                   << "cut.mkv" << "mp4" << true << 0.0 << 0.0 << true << ffmpeg << ffmpeg << any << any;
    QTest::newRow("MKV cut at 30 %, trimmed")          << "cut.mkv" << "mp4" << true << 0.3 << 0.0 << true << ffmpeg << ffmpeg << any << any;
    QTest::newRow("FLAC of 8192-sample frames to WebM") << "bigframes.flac" << "webm" << true << 0.0 << 0.0 << true << -1.0 << 3.0 << any << any;
    QTest::newRow("mono then stereo AAC to MP3")       << "monostereo.aac" << "mp3" << false << 0.0 << 0.0 << true << -1.0 << 4.1 << any << any;
    QTest::newRow("ten-second gap in the picture")     << "gapped.mkv" << "mp4" << true << 0.0 << 0.0 << true << 14.0 << 14.0 << any << any;
    QTest::newRow("joined TS, untrimmed")              << "joined.ts" << "mp4" << true << 0.0 << 0.0 << true << 4.0 << 4.09 << any << any;
    QTest::newRow("MKV stating half its length")       << "halfstated.mkv" << "mp4" << true << 0.0 << 0.0 << true << 4.0 << 4.0 << any << any;
    QTest::newRow("MKV stating half, trimmed")         << "halfstated.mkv" << "mp4" << true << 0.0 << 1.0 << true << 1.0 << 1.0 << any << any;
    QTest::newRow("joined TS, all of it")              << "joined.ts" << "mp4" << true << 0.0 << 10.0 << true << 4.0 << 4.09 << any << any;
    QTest::newRow("turned by 45 degrees")              << "turned45.mp4" << "mp4" << true << 0.0 << 0.0 << true << 2.0 << 2.0 << any << QSize(240, 320);
    QTest::newRow("MP3 with cover art to MP4")         << "cover.mp3" << "mp4" << true << 0.0 << 0.0 << true << -1.0 << 2.0 << any << any;
    QTest::newRow("trim past the end")                 << "plain.mp4" << "mp4" << true << 3.0 << 5.0 << false << -1.0 << -1.0 << any << any;
    QTest::newRow("MP4 missing its last 1 %")          << "partial.mp4" << "mp4" << true << 0.0 << 0.0 << true << ffmpeg << ffmpeg << any << any;
    QTest::newRow("MP4 with 200 changed bytes")        << "damaged.mp4" << "mp4" << true << 0.0 << 0.0 << true << 3.0 << 3.0 << any << any;
    QTest::newRow("one pixel")                         << "onepixel.mkv" << "mp4" << true << 0.0 << 0.0 << true << 2.0 << 2.0 << any << QSize(2, 2);
    QTest::newRow("audio-only task into MP4")          << "plain.mp4" << "mp4" << false << 0.0 << 0.0 << true << -1.0 << 2.0 << any << any;
    // clang-format on
}

void tst_ConversionInputs::convertsWholeAndInStep()
{
    QFETCH(QString, file);
    QFETCH(QString, container);
    QFETCH(bool, videoRecord);
    QFETCH(double, trimStart);
    QFETCH(double, trimEnd);
    QFETCH(bool, done);
    QFETCH(double, video);
    QFETCH(double, audio);
    QFETCH(QSize, resolution);
    QFETCH(QSize, size);

    QVERIFY2(!source(file).isEmpty(), qPrintable(file));
    // The task as the GUI makes it from the probe's findings.
    const AVMediaFileInfo probed = mediaimport::probe(source(file));
    TranscodingInfo task;
    task.uid = QUuid::createUuid();
    task.source = source(file);
    task.target = m_out.filePath(
            QStringLiteral("%1.%2").arg(QString(QTest::currentDataTag())
                                                .replace(QLatin1Char(' '), QLatin1Char('_'))
                                                .remove(QLatin1Char('%')),
                                        container));
    task.container = container;
    task.trimStart = qint64(trimStart * second);
    task.trimEnd = trimEnd > 0 ? qint64(trimEnd * second) : probed.duration;
    if (videoRecord) {
        VideoCodecInfo record;
        record.name = container == QLatin1String("webm") ? QStringLiteral("libvpx")
                                                         : QStringLiteral("h264_mf");
        record.resolution = resolution.isValid() ? resolution : probed.resolution;
        task.video = {record};
    }
    AudioCodecInfo sound;
    sound.name = container == QLatin1String("mp3") ? QStringLiteral("mp3_mf")
            : container == QLatin1String("webm")   ? QStringLiteral("libvorbis")
                                                   : QStringLiteral("aac_mf");
    sound.bitrate = 128;
    task.audio = {sound};
    if (file == QLatin1String("onebit.pbm")) {
        // Painting goes through a full-size RGB copy of each frame.
        PipObject mark;
        mark.setType(PipObject::TextWatermark);
        mark.setText(QStringLiteral("Reelmorph"));
        mark.setFontFamily(QStringLiteral("DejaVu Sans"));
        mark.setSize(0.5);
        mark.setForegroundBrush(QBrush(Qt::red));
        const PipObject::PropertyMap properties = mark.properties();
        for (auto it = properties.cbegin(); it != properties.cend(); ++it)
            task.watermark.insert(int(it.key()), it.value());
    }

    const int state = finalStateOf(task);
    if (!done) {
        QCOMPARE(state, int(QueueItemState::Failed));
        QVERIFY(!QFileInfo::exists(task.target));
        return;
    }
    QCOMPARE(state, int(QueueItemState::Done));

    const QString errors = decodingErrors(task.target);
    QVERIFY2(errors.isEmpty(), qPrintable(errors));
    const Lengths lengths = lengthsOf(task.target);
    if (video == -2 || audio == -2) {
        const Lengths reference = ffmpegLengths(task.source, trimStart,
                                                double(task.trimEnd) / second, videoRecord,
                                                m_out.filePath(QStringLiteral("reference.mp4")));
        QVERIFY(reference.video >= 0 || reference.audio >= 0);
        video = reference.video;
        audio = reference.audio;
    }
    const QString found = QStringLiteral("video ends at %1 s, audio at %2 s")
                                  .arg(lengths.video)
                                  .arg(lengths.audio);
    if (video < 0)
        QVERIFY2(lengths.video < 0, qPrintable(found));
    else
        QVERIFY2(qAbs(lengths.video - video) <= tolerance, qPrintable(found));
    if (audio < 0)
        QVERIFY2(lengths.audio < 0, qPrintable(found));
    else
        QVERIFY2(qAbs(lengths.audio - audio) <= tolerance, qPrintable(found));
    if (size.isValid())
        QCOMPARE(lengths.size, size);
}

QTEST_GUILESS_MAIN(tst_ConversionInputs)
#include "tst_conversioninputs.moc"

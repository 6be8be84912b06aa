#include "core/transcoder.h"
#include "mediafixtures.h"
#include "waitbound.h"

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

extern "C" {
#include <libavutil/error.h>
#include <libavutil/log.h>
}

#include <cmath>

namespace {

constexpr qint64 Second = 10000000; // 100-ns units

// A conversion task as the worker hands it over.
struct Task
{
    QString source;
    QString target;
    VideoCodecInfo video;
    AudioCodecInfo audio;
    bool useVideo = true;
    bool useAudio = true;
    qint64 trimStart = 0;
    qint64 trimEnd = 0;
    PipObjectPtr watermark;
    PipObjectPtr subtitles;
};

struct Run
{
    int result = 0;
    int steps = 0;
    QVector<qint64> progress;
};

// Sets a transcoder up and drives it to the end the way the worker does.
Run convert(const Task &task)
{
    Run run;
    transcoder t;
    if (!task.audio.name.isEmpty())
        t.setAudioInfo(task.audio);
    if (!task.video.name.isEmpty())
        t.setVideoInfo(task.video);
    t.setUseVideo(task.useVideo);
    t.setUseAudio(task.useAudio);
    run.result = t.openInputFile(task.source);
    if (run.result < 0)
        return run;
    t.dumpInputFileInfo();
    run.result = t.openOutputFile(task.target);
    if (run.result < 0)
        return run;
    t.setTrim(task.trimStart, task.trimEnd);
    t.rewind();
    t.setSubtitles(task.subtitles);
    t.setWatermark(task.watermark);

    bool done = false;
    while (!done) {
        run.result = t.processNextFrame(done);
        if (run.result < 0)
            break;
        ++run.steps;
        run.progress.append(t.progressValue());
    }
    const int finished = t.finish();
    if (run.result >= 0)
        run.result = finished;
    return run;
}

VideoCodecInfo videoInfo(const QString &name, const QSize &resolution, int quality = 95)
{
    VideoCodecInfo info;
    info.name = name;
    info.resolution = resolution;
    info.quality = quality;
    return info;
}

AudioCodecInfo audioInfo(const QString &name, int kbps, int channels = 0, int sampleRate = 0)
{
    AudioCodecInfo info;
    info.name = name;
    info.bitrate = kbps;
    info.channels = channels;
    info.samplerate = sampleRate;
    return info;
}

// What ffprobe reads back, with decoded frames counted.
struct Probe
{
    QJsonObject format;
    QJsonObject video;
    QJsonObject audio;
    int streams = 0;

    int videoFrames() const { return video.value("nb_read_frames").toString().toInt(); }
    double startTime() const { return format.value("start_time").toString().toDouble(); }
};

Probe probe(const QString &path)
{
    QProcess process;
    process.start("ffprobe",
                  {"-v", "error", "-of", "json", "-count_frames", "-show_entries",
                   "stream=codec_type,codec_name,pix_fmt,width,height,r_frame_rate,channels,"
                   "nb_read_frames,duration:format=duration,start_time",
                   path});
    Probe result;
    if (!process.waitForFinished(WaitBound::ms()) || process.exitCode() != 0)
        return result;
    const QJsonObject root = QJsonDocument::fromJson(process.readAllStandardOutput()).object();
    result.format = root.value("format").toObject();
    const QJsonArray streams = root.value("streams").toArray();
    result.streams = streams.size();
    for (const QJsonValue &value : streams) {
        const QJsonObject stream = value.toObject();
        if (stream.value("codec_type") == "video")
            result.video = stream;
        else if (stream.value("codec_type") == "audio")
            result.audio = stream;
    }
    return result;
}

// Seconds of sound that the file's first audio stream decodes to.
double decodedAudioSeconds(const QString &path)
{
    QProcess process;
    process.start("ffprobe",
                  {"-v", "error", "-select_streams", "a:0", "-show_entries",
                   "stream=sample_rate:frame=nb_samples", "-of", "json", path});
    if (!process.waitForFinished(WaitBound::ms()) || process.exitCode() != 0)
        return -1;
    const QJsonObject root = QJsonDocument::fromJson(process.readAllStandardOutput()).object();
    const int rate = root.value("streams")[0]["sample_rate"].toString().toInt();
    qint64 samples = 0;
    for (const QJsonValue &frame : root.value("frames").toArray())
        samples += frame["nb_samples"].toInt();
    return rate > 0 ? double(samples) / rate : -1;
}

// One decoded frame of a file at a time in seconds, as ffmpeg sees it.
QImage frameAt(const QString &path, double seconds, const QString &pngPath)
{
    QProcess process;
    process.start("ffmpeg",
                  {"-hide_banner", "-loglevel", "error", "-y", "-ss", QString::number(seconds),
                   "-i", path, "-frames:v", "1", "-pix_fmt", "rgb24", pngPath});
    if (!process.waitForFinished(WaitBound::ms()) || process.exitCode() != 0)
        return QImage();
    return QImage(pngPath).convertToFormat(QImage::Format_RGB32);
}

// Share of the pixels in the area where some colour channel differs by more
// than a codec's error.
double changedShare(const QImage &a, const QImage &b, const QRect &area)
{
    if (a.size() != b.size() || a.isNull())
        return -1;
    int changed = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            if (qAbs(qRed(p) - qRed(q)) > 60 || qAbs(qGreen(p) - qGreen(q)) > 60
                || qAbs(qBlue(p) - qBlue(q)) > 60)
                ++changed;
        }
    }
    return double(changed) / (area.width() * area.height());
}

double meanDifference(const QImage &a, const QImage &b)
{
    if (a.size() != b.size() || a.isNull())
        return 1e9;
    qint64 sum = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            sum += qAbs(qRed(p) - qRed(q)) + qAbs(qGreen(p) - qGreen(q))
                    + qAbs(qBlue(p) - qBlue(q));
        }
    }
    return double(sum) / (3.0 * a.width() * a.height());
}

bool rising(const QVector<qint64> &values)
{
    for (int i = 1; i < values.size(); ++i) {
        if (values[i] < values[i - 1])
            return false;
    }
    return true;
}

} // namespace

class tst_Transcoder : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void containers_data();
    void containers();
    void trim_data();
    void trim();
    void nothingKeptLeavesNoFile_data();
    void nothingKeptLeavesNoFile();
    void videoSettings_data();
    void videoSettings();
    void bitRateRule_data();
    void bitRateRule();
    void multichannelAudio_data();
    void multichannelAudio();
    void overlaysAreBurnedIn();
    void failureMidwayIsReturned();
    void setUpFailures_data();
    void setUpFailures();

private:
    QString target(const QString &name) const { return m_media.path(name); }

    MediaFixtures m_media;
    QString m_clip;         // 2 s, 320 x 240 at 25 fps, stereo
    double m_clipSound = 0; // seconds of sound the clip decodes to
    QString m_longClip;     // 6 s, 320 x 240 at 25 fps, stereo
    QString m_fastClip;     // 1 s at 240 fps
    QString m_sixAudio;     // 2 s, six channels, no video
    QString m_sixVideo;     // 2 s, video and six channels
};

void tst_Transcoder::initTestCase()
{
    QVERIFY(m_media.isValid());
    MediaFixtures::Clip clip;
    clip.audioChannels = 2;
    m_clip = m_media.make("clip.mp4", clip);
    clip.frames = 150;
    clip.bFrames = true;
    m_longClip = m_media.make("long.mp4", clip);
    clip.bFrames = false;
    clip.frames = 240;
    clip.fps = 240;
    clip.audioChannels = 0;
    m_fastClip = m_media.make("fast.mp4", clip);

    MediaFixtures::Clip turned;
    turned.rotation = 90;
    QVERIFY(!m_media.make("turned.mp4", turned).isEmpty());

    MediaFixtures::Clip rgb;
    rgb.videoCodec = "png"; // ffmpeg falls back to RGB for it
    QVERIFY(!m_media.make("rgb.mkv", rgb).isEmpty());

    MediaFixtures::Clip six;
    six.audioChannels = 6;
    m_sixVideo = m_media.make("six.mp4", six);
    six.video = false;
    m_sixAudio = m_media.make("six.m4a", six);

    QVERIFY(!m_clip.isEmpty() && !m_longClip.isEmpty() && !m_fastClip.isEmpty());
    m_clipSound = decodedAudioSeconds(m_clip);
    QVERIFY(m_clipSound >= 2.0);
    QVERIFY(!m_sixVideo.isEmpty() && !m_sixAudio.isEmpty());
}

void tst_Transcoder::containers_data()
{
    QTest::addColumn<QString>("extension");
    QTest::addColumn<QString>("videoEncoder");
    QTest::addColumn<QString>("audioEncoder");
    QTest::addColumn<int>("audioKbps");
    QTest::addColumn<int>("channels");
    QTest::addColumn<QString>("videoCodec");
    QTest::addColumn<QString>("audioCodec");

    // The encoder tables' names with the "Same as source" audio settings.
    QTest::newRow("mp4") << "mp4"
                         << "h264_mf"
                         << "aac_mf" << 256 << 0 << "h264"
                         << "aac";
    QTest::newRow("mov") << "mov"
                         << "h264_mf"
                         << "aac_mf" << 256 << 0 << "h264"
                         << "aac";
    QTest::newRow("mkv") << "mkv"
                         << "h264_mf"
                         << "aac_mf" << 256 << 0 << "h264"
                         << "aac";
    QTest::newRow("avi") << "avi"
                         << "h264_mf"
                         << "ac3_mf" << 256 << 0 << "h264"
                         << "ac3";
    QTest::newRow("webm") << "webm"
                          << "libvpx"
                          << "libvorbis" << 256 << 0 << "vp8"
                          << "vorbis";
    QTest::newRow("mpeg") << "mpeg"
                          << "mpeg2video"
                          << "mp2" << 256 << 2 << "mpeg2video"
                          << "mp2";
    QTest::newRow("mp3") << "mp3"
                         << ""
                         << "mp3_mf" << 320 << 2 << ""
                         << "mp3";
    QTest::newRow("wav") << "wav"
                         << ""
                         << "pcm_s16le" << 0 << 2 << ""
                         << "pcm_s16le";
    QTest::newRow("m4a") << "m4a"
                         << ""
                         << "aac_mf" << 320 << 0 << ""
                         << "aac";
    QTest::newRow("wma") << "wma"
                         << ""
                         << "wmav2" << 256 << 2 << ""
                         << "wmav2";
}

void tst_Transcoder::containers()
{
    QFETCH(QString, extension);
    QFETCH(QString, videoEncoder);
    QFETCH(QString, audioEncoder);
    QFETCH(int, audioKbps);
    QFETCH(int, channels);
    QFETCH(QString, videoCodec);
    QFETCH(QString, audioCodec);

    Task task;
    task.source = m_clip;
    task.target = target("containers." + extension);
    task.video = videoInfo(videoEncoder, QSize(320, 240));
    task.audio = audioInfo(audioEncoder, audioKbps, channels);
    task.useVideo = !videoEncoder.isEmpty();
    const Run run = convert(task);
    QCOMPARE(run.result, 0);
    QCOMPARE(run.progress.last(), 1000);
    QVERIFY(rising(run.progress));
    // Only one stream counts: with both, the end would come half way. The
    // decoder's threads deliver video a few frames after the sound read
    // beside it, so steps are not quite in time order.
    const int firstDone = run.progress.indexOf(1000);
    QVERIFY2(firstDone >= run.progress.size() * 3 / 4,
             qPrintable(QStringLiteral("%1 of %2").arg(firstDone).arg(run.progress.size())));

    const Probe out = probe(task.target);
    QCOMPARE(out.streams, videoCodec.isEmpty() ? 1 : 2);
    QCOMPARE(out.audio.value("codec_name").toString(), audioCodec);
    QCOMPARE(out.audio.value("channels").toInt(), 2);
    if (!videoCodec.isEmpty()) {
        QCOMPARE(out.video.value("codec_name").toString(), videoCodec);
        QCOMPARE(out.video.value("width").toInt(), 320);
        QCOMPARE(out.video.value("height").toInt(), 240);
        if (videoCodec == "h264")
            QCOMPARE(out.video.value("pix_fmt").toString(), QString("yuv420p"));
        // Every source frame, the last ones included.
        QCOMPARE(out.videoFrames(), 50);
    }
    // Within one video frame of the source's sound.
    const double sound = decodedAudioSeconds(task.target);
    QVERIFY2(std::abs(sound - m_clipSound) <= 0.04, qPrintable(QString::number(sound)));
}

void tst_Transcoder::trim_data()
{
    QTest::addColumn<qint64>("start");
    QTest::addColumn<qint64>("end");

    QTest::newRow("2 s to 4 s") << 2 * Second << 4 * Second;
    QTest::newRow("4 s to the end") << 4 * Second << qint64(0);
}

void tst_Transcoder::trim()
{
    QFETCH(qint64, start);
    QFETCH(qint64, end);

    Task task;
    task.source = m_longClip;
    task.target = target(QStringLiteral("trim-%1.mp4").arg(start));
    task.video = videoInfo("h264_mf", QSize(320, 240));
    task.audio = audioInfo("aac_mf", 128);
    task.trimStart = start;
    task.trimEnd = end;
    const Run run = convert(task);
    QCOMPARE(run.result, 0);
    QVERIFY(rising(run.progress));
    QCOMPARE(run.progress.last(), 1000);

    const Probe out = probe(task.target);
    QCOMPARE(out.videoFrames(), 50);
    QVERIFY2(std::abs(out.startTime()) < 0.03, qPrintable(QString::number(out.startTime())));
    const double sound = decodedAudioSeconds(task.target);
    QVERIFY2(std::abs(sound - 2.0) < 0.05, qPrintable(QString::number(sound)));

    // The first frame is the source's frame at the trim start.
    const double startSeconds = double(start) / Second;
    const QImage first = frameAt(task.target, 0, target("trim-first.png"));
    const QImage atStart = frameAt(m_longClip, startSeconds, target("trim-at.png"));
    const QImage before = frameAt(m_longClip, startSeconds - 0.2, target("trim-before.png"));
    const QImage after = frameAt(m_longClip, startSeconds + 0.2, target("trim-after.png"));
    QVERIFY(!first.isNull());
    const double same = meanDifference(first, atStart);
    QVERIFY2(same < meanDifference(first, before) && same < meanDifference(first, after),
             qPrintable(QString::number(same)));
}

void tst_Transcoder::nothingKeptLeavesNoFile_data()
{
    QTest::addColumn<qint64>("start");

    // Nothing is left to convert: the progress must not divide by zero.
    QTest::newRow("start at the end") << 2 * Second;
    QTest::newRow("start beyond the end") << 10 * Second;
}

void tst_Transcoder::nothingKeptLeavesNoFile()
{
    QFETCH(qint64, start);

    Task task;
    task.source = m_clip;
    task.target = target("nothing.mp4");
    task.video = videoInfo("h264_mf", QSize(320, 240));
    task.audio = audioInfo("aac_mf", 128);
    task.trimStart = start;
    const Run run = convert(task);
    // A conversion that wrote nothing has not succeeded.
    QCOMPARE(run.result, AVERROR(ENODATA));
    QCOMPARE(run.progress.last(), 0);
    QVERIFY(!QFile::exists(task.target));
}

void tst_Transcoder::videoSettings_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QSize>("resolution");
    QTest::addColumn<QSize>("encodedSize");
    QTest::addColumn<QString>("frameRate");
    QTest::addColumn<int>("frames");
    QTest::addColumn<QByteArray>("x264BitRate");
    QTest::addColumn<bool>("tooFast");

    QTest::newRow("odd size") << "clip.mp4" << QSize(1279, 719) << QSize(1278, 718) << "25/1" << 50
                              << QByteArray("bitrate=2625 ") << false;
    // The encoder takes no RGB: the decoder is asked for what the encoder chose.
    QTest::newRow("RGB source") << "rgb.mkv" << QSize(320, 240) << QSize(320, 240) << "25/1" << 50
                                << QByteArray("bitrate=1050 ") << false;
    // No size stands for the source's, upright.
    QTest::newRow("no size") << "clip.mp4" << QSize(-1, -1) << QSize(320, 240) << "25/1" << 50
                             << QByteArray("bitrate=1050 ") << false;
    QTest::newRow("no size, turned source") << "turned.mp4" << QSize(-1, -1) << QSize(240, 320)
                                            << "25/1" << 50 << QByteArray("bitrate=1050 ") << false;
    // The bit rate still counts the source's 240 fps.
    QTest::newRow("240 fps") << "fast.mp4" << QSize(320, 240) << QSize(320, 240) << "30/1" << 30
                             << QByteArray("bitrate=1575 ") << true;
}

void tst_Transcoder::videoSettings()
{
    QFETCH(QString, source);
    QFETCH(QSize, resolution);
    QFETCH(QSize, encodedSize);
    QFETCH(QString, frameRate);
    QFETCH(int, frames);
    QFETCH(QByteArray, x264BitRate);
    QFETCH(bool, tooFast);

    Task task;
    task.source = m_media.path(source);
    task.target = target("video-" + QString(QTest::currentDataTag()) + ".mp4");
    task.video = videoInfo("h264_mf", resolution);
    task.video.bitrate = 123; // the task's rate gives way to the rule
    task.useAudio = false;
    if (tooFast) {
        QTest::ignoreMessage(QtWarningMsg, "framerate too high: 240");
        QTest::ignoreMessage(QtWarningMsg, "use fixed output framerate: 30.0");
    }
    const Run run = convert(task);
    QCOMPARE(run.result, 0);

    const Probe out = probe(task.target);
    QCOMPARE(out.streams, 1);
    QCOMPARE(QSize(out.video.value("width").toInt(), out.video.value("height").toInt()),
             encodedSize);
    QCOMPARE(out.video.value("r_frame_rate").toString(), frameRate);
    QCOMPARE(out.video.value("pix_fmt").toString(), QString("yuv420p"));
    QCOMPARE(out.videoFrames(), frames);

    // The H.264 encoder writes its settings into the stream.
    QFile file(task.target);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY2(file.readAll().contains(x264BitRate), x264BitRate.constData());
}

void tst_Transcoder::bitRateRule_data()
{
    QTest::addColumn<QSize>("resolution");
    QTest::addColumn<double>("frameRate");
    QTest::addColumn<int>("quality");
    QTest::addColumn<int>("bitRate");

    QTest::newRow("1080p at 25") << QSize(1920, 1080) << 25.0 << 95 << 8400000;
    QTest::newRow("wide at 60") << QSize(1920, 800) << 60.0 << 95 << 11812500;
    // Compression level 2 gives quality 2 x 20 + 50.
    QTest::newRow("compression level 2") << QSize(1280, 720) << 30.0 << 90 << 5000000;
    QTest::newRow("portrait, not narrow") << QSize(720, 1280) << 30.0 << 90 << 5000000;
    QTest::newRow("tall and narrow") << QSize(400, 1000) << 24.0 << 90 << 1500000;
    QTest::newRow("4K") << QSize(3840, 2160) << 30.0 << 130 << 63000000;
    QTest::newRow("small") << QSize(320, 240) << 30.0 << 50 << 600000;
}

void tst_Transcoder::bitRateRule()
{
    QFETCH(QSize, resolution);
    QFETCH(double, frameRate);
    QFETCH(int, quality);
    QFETCH(int, bitRate);

    QCOMPARE(transcoder::videoBitRate(resolution, frameRate, quality), bitRate);
}

void tst_Transcoder::multichannelAudio_data()
{
    QTest::addColumn<bool>("withVideo");
    QTest::addColumn<QString>("extension");
    QTest::addColumn<QString>("audioEncoder");
    QTest::addColumn<QString>("audioCodec");
    QTest::addColumn<int>("channels");

    QTest::newRow("mp3 without video") << false << "mp3"
                                       << "mp3_mf"
                                       << "mp3" << 2;
    QTest::newRow("mp3 by default") << false << "mp3"
                                    << "auto"
                                    << "mp3" << 2;
    // The container's default audio codec is MP3; AAC carries all six.
    QTest::newRow("avi with video") << true << "avi"
                                    << "auto"
                                    << "aac" << 6;
}

void tst_Transcoder::multichannelAudio()
{
    QFETCH(bool, withVideo);
    QFETCH(QString, extension);
    QFETCH(QString, audioEncoder);
    QFETCH(QString, audioCodec);
    QFETCH(int, channels);

    Task task;
    task.source = withVideo ? m_sixVideo : m_sixAudio;
    task.target = target(QStringLiteral("six-%1-%2.%3").arg(withVideo).arg(audioEncoder, extension));
    if (withVideo)
        task.video = videoInfo("h264_mf", QSize(320, 240));
    task.audio = audioInfo(audioEncoder, 192);
    task.useVideo = withVideo;
    const Run run = convert(task);
    QCOMPARE(run.result, 0);

    const Probe out = probe(task.target);
    QCOMPARE(out.audio.value("codec_name").toString(), audioCodec);
    QCOMPARE(out.audio.value("channels").toInt(), channels);
    const double sound = decodedAudioSeconds(task.target);
    QVERIFY2(std::abs(sound - 2.0) < 0.05, qPrintable(QString::number(sound)));
}

void tst_Transcoder::overlaysAreBurnedIn()
{
    const QString srt = target("cues.srt");
    {
        QFile file(srt);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("1\n00:00:01,000 --> 00:00:02,000\nHello\n");
    }
    auto subtitles = PipObjectPtr::create();
    subtitles->setType(PipObject::Subtitles);
    subtitles->setFilePath(srt);
    subtitles->setFontFamily("Arial");
    subtitles->setSize(0.2);
    subtitles->setOpacity(1.0);
    subtitles->setForegroundBrush(QBrush(Qt::white));
    subtitles->setBackgroundBrush(QBrush(Qt::black));
    subtitles->setLocation(PipObject::Aligned);
    subtitles->setAlignment(Qt::AlignBottom | Qt::AlignHCenter);

    auto watermark = PipObjectPtr::create();
    watermark->setType(PipObject::TextWatermark);
    watermark->setText("WM");
    watermark->setFontFamily("Arial");
    watermark->setForegroundBrush(QBrush(Qt::red));
    watermark->setOpacity(1.0);
    watermark->setSize(0.5);
    watermark->setCenterPoint(QPointF(0.5, 0.5));

    // Cue times count from the trim start: the cue shows at 2 s to 3 s of the
    // source.
    Task task;
    task.source = m_longClip;
    task.video = videoInfo("h264_mf", QSize(320, 240));
    task.useAudio = false;
    task.trimStart = 1 * Second;
    task.trimEnd = 4 * Second;
    task.target = target("plain.mkv");
    QCOMPARE(convert(task).result, 0);
    const QString plain = task.target;
    task.target = target("overlays.mkv");
    task.watermark = watermark;
    task.subtitles = subtitles;
    QCOMPARE(convert(task).result, 0);

    const QRect middle(80, 90, 160, 60);
    // The cue's box sits at the bottom centre.
    const QRect bottom(110, 205, 100, 30);
    struct Sample
    {
        double seconds;
        bool cue;
    };
    for (const Sample sample : {Sample{0.5, false}, Sample{1.5, true}, Sample{2.5, false}}) {
        const QString at = QString::number(sample.seconds);
        const QImage without = frameAt(plain, sample.seconds, target("plain.png"));
        const QImage with = frameAt(task.target, sample.seconds, target("overlays.png"));
        const double mark = changedShare(with, without, middle);
        const double cue = changedShare(with, without, bottom);
        QVERIFY2(mark > 0.1, qPrintable(at + ": watermark " + QString::number(mark)));
        if (sample.cue)
            QVERIFY2(cue > 0.1, qPrintable(at + ": cue " + QString::number(cue)));
        else
            QVERIFY2(cue < 0.01, qPrintable(at + ": no cue " + QString::number(cue)));
    }
}

void tst_Transcoder::failureMidwayIsReturned()
{
    // A raw clip whose twelfth frame header is damaged: the demuxer gives up there.
    MediaFixtures::Clip clip;
    clip.videoCodec = "wrapped_avframe";
    const QString source = m_media.make("broken.y4m", clip);
    QVERIFY(!source.isEmpty());
    QFile file(source);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QByteArray data = file.readAll();
    int at = -1;
    for (int i = 0; i < 12; ++i)
        at = data.indexOf("FRAME", at + 1);
    QVERIFY(at > 0);
    data.replace(at, 5, "XXXXX");
    QVERIFY(file.seek(0));
    QCOMPARE(file.write(data), qint64(data.size()));
    file.close();

    Task task;
    task.source = source;
    task.target = target("broken.mkv");
    task.video = videoInfo("h264_mf", QSize(320, 240));
    task.useAudio = false;
    const Run run = convert(task);
    QVERIFY2(run.result < 0, qPrintable(QString::number(run.result)));
    QVERIFY(run.steps >= 10);
    QVERIFY(run.progress.last() > 0 && run.progress.last() < 1000);
}

void tst_Transcoder::setUpFailures_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("videoEncoder");
    QTest::addColumn<QString>("audioEncoder");
    QTest::addColumn<int>("result");

    QTest::newRow("missing source") << "missing.mp4"
                                    << "out.mp4"
                                    << "h264_mf"
                                    << "aac_mf" << AVERROR(ENOENT);
    QTest::newRow("unknown container") << "clip.mp4"
                                       << "out.nosuchformat"
                                       << "h264_mf"
                                       << "aac_mf" << AVERROR_UNKNOWN;
    QTest::newRow("unknown video encoder") << "clip.mp4"
                                           << "out.mp4"
                                           << "nosuchencoder"
                                           << "aac_mf" << AVERROR_ENCODER_NOT_FOUND;
    QTest::newRow("unknown audio encoder") << "clip.mp4"
                                           << "out.mp4"
                                           << "h264_mf"
                                           << "nosuchencoder" << AVERROR_ENCODER_NOT_FOUND;
}

void tst_Transcoder::setUpFailures()
{
    QFETCH(QString, source);
    QFETCH(QString, target);
    QFETCH(QString, videoEncoder);
    QFETCH(QString, audioEncoder);
    QFETCH(int, result);

    Task task;
    task.source = m_media.path(source);
    task.target = this->target(target);
    task.video = videoInfo(videoEncoder, QSize(320, 240));
    task.audio = audioInfo(audioEncoder, 128);
    const Run run = convert(task);
    QCOMPARE(run.result, result);
    QCOMPARE(run.steps, 0);
    QVERIFY(!QFile::exists(task.target));
}

int main(int argc, char *argv[])
{
    av_log_set_level(AV_LOG_ERROR);
    // The worker paints overlays without widgets.
    QGuiApplication app(argc, argv);
    tst_Transcoder test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_transcoder.moc"

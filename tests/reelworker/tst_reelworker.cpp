#include "core/linkmessages.h"
#include "core/partialoutput.h"
#include "core/transcodinginfo.h"
#include "datamodel/pip/pipobject.h"
#include "shared/settingsprovider.h"
#include "waitbound.h"

#include <childprocess.h>
#include <mediafixtures.h>
#include <rawpayload.h>
#include <remotehandler/remotehandler.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <csignal>

#include <sys/stat.h>
#include <unistd.h>

#include <sys/resource.h>

namespace {

const char workerPath[] = REEL_BIN_DIR "/reelworker";
const qint64 second = 10000000;

struct Report
{
    QUuid uid;
    int state = 0;
    QVariant data;
};

Report parseReport(const QByteArray &payload)
{
    QDataStream in(payload);
    qint32 code = 0;
    Report report;
    qint32 state = 0;
    in >> code >> report.uid >> state >> report.data;
    report.state = code == LinkMessages::ItemState ? state : -code;
    return report;
}

QByteArray exitPayload()
{
    QByteArray payload;
    QDataStream out(&payload, QIODevice::ReadWrite);
    out << qint32(LinkMessages::ExitRequest);
    return payload;
}

QString logDir()
{
    return QDir::home().filePath(QStringLiteral(".Corvina Reelmorph/log"));
}

QStringList workerLogs()
{
    return QDir(logDir()).entryList({QStringLiteral("reelworker*.txt")}, QDir::Files);
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Where the worker writes a task's output until it is complete.
QString partialOf(const TranscodingInfo &info)
{
    return PartialOutput::pathFor(info.target, info.uid);
}

// The most memory the process has held so far, in bytes.
qint64 peakMemory(qint64 pid)
{
    const QByteArray status = readFile(QStringLiteral("/proc/%1/status").arg(pid));
    for (const QByteArray &line : status.split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong() * 1024;
    }
    return -1;
}

// What ffprobe sees in a file: its duration in seconds and its streams' codecs.
struct Probe
{
    double duration = -1;
    QStringList codecs;
};

Probe probe(const QString &path)
{
    QProcess ffprobe;
    ffprobe.start(QStringLiteral("ffprobe"),
                  {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-show_entries"),
                   QStringLiteral("format=duration:stream=codec_name"), QStringLiteral("-of"),
                   QStringLiteral("json"), path});
    Probe result;
    if (!ffprobe.waitForFinished(WaitBound::ms()) || ffprobe.exitCode() != 0)
        return result;
    const QJsonObject root = QJsonDocument::fromJson(ffprobe.readAllStandardOutput()).object();
    result.duration = root.value(QLatin1String("format"))
                              .toObject()
                              .value(QLatin1String("duration"))
                              .toString()
                              .toDouble();
    for (const QJsonValue &stream : root.value(QLatin1String("streams")).toArray())
        result.codecs << stream.toObject().value(QLatin1String("codec_name")).toString();
    return result;
}

// The share of nearly white pixels in the video frame shown at a time.
double whiteShare(const QString &path, double seconds)
{
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-ss"),
                  QString::number(seconds), QStringLiteral("-i"), path, QStringLiteral("-frames:v"),
                  QStringLiteral("1"), QStringLiteral("-s"), QStringLiteral("320x180"),
                  QStringLiteral("-f"), QStringLiteral("image2pipe"), QStringLiteral("-c:v"),
                  QStringLiteral("png"), QStringLiteral("-")});
    if (!ffmpeg.waitForFinished(WaitBound::ms()) || ffmpeg.exitCode() != 0)
        return -1;
    const QImage frame = QImage::fromData(ffmpeg.readAllStandardOutput(), "PNG");
    if (frame.isNull())
        return -1;
    int white = 0;
    for (int y = 0; y < frame.height(); ++y) {
        for (int x = 0; x < frame.width(); ++x) {
            const QRgb pixel = frame.pixel(x, y);
            if (qRed(pixel) >= 180 && qGreen(pixel) >= 180 && qBlue(pixel) >= 180)
                ++white;
        }
    }
    return double(white) / (frame.width() * frame.height());
}

const quint32 countBomb = 1u << 28;

// The GUI's end: the real transport in server mode, which starts the real
// worker and collects its state reports.
class LinkedWorker
{
public:
    LinkedWorker() : m_logsBefore(workerLogs())
    {
        m_handler.runServerMode(QString::fromLatin1(workerPath));
        QObject::connect(&m_handler, &RemoteHandler::newMessage,
                         [this](const QByteArray &ba) { reports.append(parseReport(ba)); });
    }

    bool start()
    {
        QSignalSpy ready(&m_handler, &RemoteHandler::handlerReady);
        return m_handler.startHandler() && ready.wait(WaitBound::ms());
    }

    bool send(const QByteArray &payload) { return m_handler.write(payload); }
    RemoteHandler &handler() { return m_handler; }

    QList<Report> reportsFor(const QUuid &uid) const
    {
        QList<Report> result;
        for (const Report &report : reports) {
            if (report.uid == uid)
                result.append(report);
        }
        return result;
    }

    int lastState(const QUuid &uid) const
    {
        const QList<Report> mine = reportsFor(uid);
        return mine.isEmpty() ? 0 : mine.last().state;
    }

    qint64 lastProgress(const QUuid &uid) const
    {
        const QList<Report> mine = reportsFor(uid);
        for (auto it = mine.crbegin(); it != mine.crend(); ++it) {
            if (it->state == int(QueueItemState::Processing))
                return it->data.toLongLong();
        }
        return -1;
    }

    // The reason the last report gave, where it is a failure.
    QString lastFailure(const QUuid &uid) const
    {
        const QList<Report> mine = reportsFor(uid);
        if (mine.isEmpty() || mine.last().state != int(QueueItemState::Failed))
            return QString();
        return mine.last().data.toString();
    }

    // The log file this worker writes.
    QString logFile() const
    {
        for (const QString &name : workerLogs()) {
            if (!m_logsBefore.contains(name))
                return QDir(logDir()).filePath(name);
        }
        return QString();
    }

    QList<Report> reports;

private:
    const QStringList m_logsBefore;
    RemoteHandler m_handler;
};

// A worker on a bare local server, for what the transport hides: the
// process's exit code and id, and several frames in one write.
class BareWorker
{
public:
    ~BareWorker()
    {
        process.kill();
        process.waitForFinished(WaitBound::ms());
    }

    bool start()
    {
        m_server.listen(QUuid::createUuid().toString(QUuid::Id128));
        process.start(QString::fromLatin1(workerPath), {m_server.serverName()});
        if (!m_server.waitForNewConnection(WaitBound::ms()))
            return false;
        m_socket = m_server.nextPendingConnection();
        QObject::connect(m_socket, &QLocalSocket::readyRead, [this] { readFrames(); });
        return true;
    }

    void send(const QList<QByteArray> &payloads)
    {
        QByteArray bytes;
        for (const QByteArray &payload : payloads) {
            const qint32 length = qToLittleEndian<qint32>(payload.size());
            bytes += QByteArray(reinterpret_cast<const char *>(&length), sizeof length) + payload;
        }
        m_socket->write(bytes);
        m_socket->flush();
        m_socket->waitForBytesWritten(WaitBound::ms());
    }

    int lastState(const QUuid &uid) const
    {
        for (auto it = reports.crbegin(); it != reports.crend(); ++it) {
            if (it->uid == uid)
                return it->state;
        }
        return 0;
    }

    QList<Report> reports;
    QProcess process;

private:
    void readFrames()
    {
        m_buffer += m_socket->readAll();
        while (m_buffer.size() >= 4) {
            const qint32 length = qFromLittleEndian<qint32>(m_buffer.constData());
            if (m_buffer.size() < 4 + length)
                return;
            reports.append(parseReport(m_buffer.mid(4, length)));
            m_buffer.remove(0, 4 + length);
        }
    }

    QLocalServer m_server;
    QLocalSocket *m_socket = nullptr;
    QByteArray m_buffer;
};

} // namespace

class tst_ReelWorker : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void convertsTask_data();
    void convertsTask();
    void abortRemovesPartialOutput();
    void pauseAndResumeContinueSameFile();
    void invalidTaskFailsAndCanBeReplaced_data();
    void invalidTaskFailsAndCanBeReplaced();
    void inputThatIsNotMediaFails();
    void unfitSourcesAndEncodersFailCleanly();
    void failingMidwayRemovesPartialOutput();
    void unwritableEndIsNoSuccess();
    void pausedTaskKeepsItsPlace();
    void endingWorkerRemovesUnfinishedOutput_data();
    void endingWorkerRemovesUnfinishedOutput();
    void existingTargetIsNeverTouched_data();
    void existingTargetIsNeverTouched();
    void killedWorkersOutputGoesAtNextStart();
    void destroyedLinkLetsWorkerClean();
    void hostilePayloadsAreRefused_data();
    void hostilePayloadsAreRefused();
    void missingArgumentExitsWithMinusOne();
    void crashReportCarriesGuiParameters();
    void killedWorkerIsSeenAsDisconnect();

private:
    TranscodingInfo task(const QString &source, const QString &targetName, qint64 trimStart,
                         qint64 trimEnd) const;
    bool waitForProgressAndOutput(LinkedWorker &worker, const TranscodingInfo &info);
    bool startWithFileSizeLimit(LinkedWorker &worker, rlim_t limit);

    MediaFixtures m_media;
    QTemporaryDir m_out;
    QString m_shortClip;
    QString m_longClip;
    QString m_srt;
};

void tst_ReelWorker::initTestCase()
{
    registerSettingsMetaTypes();
    QVERIFY(QFileInfo::exists(QString::fromLatin1(workerPath)));
    QVERIFY(m_media.isValid());
    QVERIFY(m_out.isValid());

    MediaFixtures::Clip clip;
    clip.frames = 125; // 5 s
    clip.audioChannels = 2;
    m_shortClip = m_media.make(QStringLiteral("short.mp4"), clip);
    QVERIFY(!m_shortClip.isEmpty());
    // Long enough that requests sent on its first progress arrive mid-way.
    clip.size = QSize(640, 360);
    clip.frames = 750;
    m_longClip = m_media.make(QStringLiteral("long.mp4"), clip);
    QVERIFY(!m_longClip.isEmpty());

    m_srt = m_out.filePath(QStringLiteral("cues.srt"));
    QFile srt(m_srt);
    QVERIFY(srt.open(QIODevice::WriteOnly));
    srt.write("1\n00:00:00,500 --> 00:00:02,500\nFirst cue\n\n"
              "2\n00:00:02,500 --> 00:00:04,000\nSecond cue\n");
}

TranscodingInfo tst_ReelWorker::task(const QString &source, const QString &targetName,
                                     qint64 trimStart, qint64 trimEnd) const
{
    TranscodingInfo info;
    info.uid = QUuid::createUuid();
    info.source = source;
    info.target = m_out.filePath(targetName);
    info.container = QFileInfo(targetName).suffix();
    info.trimStart = trimStart;
    info.trimEnd = trimEnd;
    VideoCodecInfo video;
    video.name = QStringLiteral("h264_mf");
    video.resolution = QSize(320, 180);
    info.video = {video};
    AudioCodecInfo audio;
    audio.name = QStringLiteral("aac_mf");
    audio.bitrate = 128;
    audio.samplerate = 44100;
    audio.channels = 2;
    info.audio = {audio};
    return info;
}

bool tst_ReelWorker::waitForProgressAndOutput(LinkedWorker &worker, const TranscodingInfo &info)
{
    const bool started = QTest::qWaitFor(
            [&] {
                return worker.lastProgress(info.uid) > 0 && QFileInfo(partialOf(info)).size() > 0;
            },
            WaitBound::ms());
    // Still mid-way: the requests the caller sends next must not come too late.
    return started && worker.lastState(info.uid) == int(QueueItemState::Processing);
}

// The worker inherits the file-size limit and the ignored SIGXFSZ, so its
// writes past the limit fail instead of ending the process.
bool tst_ReelWorker::startWithFileSizeLimit(LinkedWorker &worker, rlim_t limit)
{
    struct rlimit original = {};
    if (::getrlimit(RLIMIT_FSIZE, &original) != 0)
        return false;
    struct rlimit limited = original;
    limited.rlim_cur = limit;
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    const bool started = ::setrlimit(RLIMIT_FSIZE, &limited) == 0 && worker.start();
    ::setrlimit(RLIMIT_FSIZE, &original);
    std::signal(SIGXFSZ, previousHandler);
    return started;
}

void tst_ReelWorker::convertsTask_data()
{
    QTest::addColumn<QString>("targetName");
    QTest::addColumn<QString>("container");
    QTest::addColumn<QString>("audioEncoder");
    QTest::addColumn<bool>("overlays");
    QTest::addColumn<QStringList>("codecs");

    QTest::newRow("mp4 with watermark and subtitles")
            << "overlays.mp4"
            << "mp4"
            << "aac_mf" << true << QStringList{QStringLiteral("h264"), QStringLiteral("aac")};
    // An audio container drops the video record, in any letter case.
    QTest::newRow("MP3 container") << "audio.mp3"
                                   << "MP3"
                                   << "mp3_mf" << false << QStringList{QStringLiteral("mp3")};
}

void tst_ReelWorker::convertsTask()
{
    QFETCH(QString, targetName);
    QFETCH(QString, container);
    QFETCH(QString, audioEncoder);
    QFETCH(bool, overlays);
    QFETCH(QStringList, codecs);

    TranscodingInfo info = task(m_shortClip, targetName, 1 * second, 3 * second);
    info.container = container;
    info.audio[0].name = audioEncoder;
    if (overlays) {
        PipObject watermark;
        watermark.setType(PipObject::TextWatermark);
        watermark.setText(QStringLiteral("Reelmorph"));
        watermark.setFontFamily(QStringLiteral("DejaVu Sans"));
        watermark.setSize(1.0);
        watermark.setOpacity(0.8);
        watermark.setLocation(PipObject::Free);
        watermark.setCenterPoint(QPointF(0.5, 0.5));
        watermark.setForegroundBrush(QBrush(Qt::white));
        PipObject subtitles;
        subtitles.setType(PipObject::Subtitles);
        subtitles.setFilePath(m_srt);
        subtitles.setFontFamily(QStringLiteral("DejaVu Sans"));
        subtitles.setSize(0.05);
        subtitles.setLocation(PipObject::Aligned);
        subtitles.setAlignment(Qt::AlignBottom | Qt::AlignHCenter);
        subtitles.setForegroundBrush(QBrush(Qt::yellow));
        subtitles.setBackgroundBrush(QBrush(QColor(0, 0, 0, 128)));
        const auto toWire = [](const PipObject::PropertyMap &map) {
            QMap<int, QVariant> wire;
            for (auto it = map.cbegin(); it != map.cend(); ++it)
                wire.insert(int(it.key()), it.value());
            return wire;
        };
        info.watermark = toWire(watermark.properties());
        info.subtitles = toWire(subtitles.properties());
    }

    LinkedWorker worker;
    QVERIFY(worker.start());
    QVERIFY(worker.send(LinkMessages::addItem(info)));
    QTRY_VERIFY(worker.lastState(info.uid) != int(QueueItemState::Processing)
                && worker.lastState(info.uid) != 0);

    const QList<Report> reports = worker.reportsFor(info.uid);
    QCOMPARE(reports.last().state, int(QueueItemState::Done));
    QVERIFY(reports.size() >= 3);
    QCOMPARE(reports.first().state, int(QueueItemState::Processing));
    QCOMPARE(reports.first().data.userType(), int(QMetaType::Int));
    QCOMPARE(reports.first().data.toInt(), 0);
    qint64 previous = -1;
    for (int i = 1; i < reports.size() - 1; ++i) {
        QCOMPARE(reports.at(i).state, int(QueueItemState::Processing));
        QCOMPARE(reports.at(i).data.userType(), int(QMetaType::LongLong));
        const qint64 progress = reports.at(i).data.toLongLong();
        QVERIFY2(progress > previous && progress <= 1000, qPrintable(QString::number(progress)));
        previous = progress;
    }

    const Probe result = probe(info.target);
    QCOMPARE(result.codecs, codecs);
    if (overlays) {
        // The white text mark spans the frame; the source has no white there.
        const double source = whiteShare(info.source, 2.0);
        const double converted = whiteShare(info.target, 1.0);
        QVERIFY2(source >= 0 && converted > source + 0.02,
                 qPrintable(QStringLiteral("%1 %2").arg(source).arg(converted)));
    }
    QVERIFY2(qAbs(result.duration - 2.0) < 0.2, qPrintable(QString::number(result.duration)));
}

void tst_ReelWorker::abortRemovesPartialOutput()
{
    const TranscodingInfo info = task(m_longClip, QStringLiteral("aborted.mp4"), 0, 30 * second);
    LinkedWorker worker;
    QVERIFY(worker.start());
    QVERIFY(worker.send(LinkMessages::addItem(info)));
    QVERIFY(waitForProgressAndOutput(worker, info));

    QVERIFY(worker.send(LinkMessages::abortItems({info.uid})));
    QTRY_COMPARE(worker.lastState(info.uid), int(QueueItemState::Aborted));
    QVERIFY(!QFileInfo::exists(info.target));
    QVERIFY(!QFileInfo::exists(partialOf(info)));
    QVERIFY(!worker.reportsFor(info.uid).last().data.isValid());
}

void tst_ReelWorker::pauseAndResumeContinueSameFile()
{
    const TranscodingInfo info = task(m_longClip, QStringLiteral("paused.mp4"), 0, 8 * second);
    LinkedWorker worker;
    QVERIFY(worker.start());
    QVERIFY(worker.send(LinkMessages::addItem(info)));
    QVERIFY(waitForProgressAndOutput(worker, info));

    QVERIFY(worker.send(LinkMessages::pauseItems({info.uid})));
    QTRY_COMPARE(worker.lastState(info.uid), int(QueueItemState::Paused));
    const qint64 pausedAt = worker.lastProgress(info.uid);
    const int reportsWhenPaused = worker.reportsFor(info.uid).size();

    QVERIFY(worker.send(LinkMessages::resumeItem(info.uid)));
    QTRY_COMPARE(worker.lastState(info.uid), int(QueueItemState::Done));
    // A paused task does no work: the next report is the resume's, with the
    // progress reached before the pause.
    const Report resumed = worker.reportsFor(info.uid).at(reportsWhenPaused);
    QCOMPARE(resumed.state, int(QueueItemState::Processing));
    QCOMPARE(resumed.data.userType(), int(QMetaType::LongLong));
    QCOMPARE(resumed.data.toLongLong(), pausedAt);

    const Probe result = probe(info.target);
    QVERIFY2(qAbs(result.duration - 8.0) < 0.2, qPrintable(QString::number(result.duration)));
}

void tst_ReelWorker::invalidTaskFailsAndCanBeReplaced_data()
{
    QTest::addColumn<bool>("emptyTrim");
    QTest::addColumn<int>("videoRecords");
    QTest::addColumn<int>("audioRecords");

    QTest::newRow("start equals end") << true << 1 << 1;
    QTest::newRow("no records") << false << 0 << 0;
    QTest::newRow("two audio records") << false << 1 << 2;
}

void tst_ReelWorker::invalidTaskFailsAndCanBeReplaced()
{
    QFETCH(bool, emptyTrim);
    QFETCH(int, videoRecords);
    QFETCH(int, audioRecords);

    const TranscodingInfo valid = task(m_shortClip, QStringLiteral("replaced.mp4"), 0, second);
    QFile::remove(valid.target);
    TranscodingInfo invalid = valid;
    if (emptyTrim)
        invalid.trimEnd = invalid.trimStart;
    invalid.video.clear();
    for (int i = 0; i < videoRecords; ++i)
        invalid.video.append(valid.video.first());
    invalid.audio.clear();
    for (int i = 0; i < audioRecords; ++i)
        invalid.audio.append(valid.audio.first());

    LinkedWorker worker;
    QVERIFY(worker.start());
    QVERIFY(worker.send(LinkMessages::addItem(invalid)));
    QTRY_COMPARE(worker.lastState(valid.uid), int(QueueItemState::Failed));
    QCOMPARE(worker.reportsFor(valid.uid).size(), 1);
    QVERIFY(readFile(worker.logFile()).contains("Error validating transcoding parameters!!!"));
    QVERIFY(!QFileInfo::exists(valid.target));

    // A failed task gives its place to a new one with the same identifier.
    QVERIFY(worker.send(LinkMessages::addItem(valid)));
    QTRY_COMPARE(worker.lastState(valid.uid), int(QueueItemState::Done));
    QVERIFY(QFileInfo(valid.target).size() > 0);
}

void tst_ReelWorker::inputThatIsNotMediaFails()
{
    const QString source = m_out.filePath(QStringLiteral("notmedia.mp4"));
    QFile file(source);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(4096, 'x'));
    file.close();

    const TranscodingInfo info = task(source, QStringLiteral("fromtext.mp4"), 0, second);
    LinkedWorker worker;
    QVERIFY(worker.start());
    QVERIFY(worker.send(LinkMessages::addItem(info)));
    QTRY_COMPARE(worker.lastState(info.uid), int(QueueItemState::Failed));
    QVERIFY(readFile(worker.logFile()).contains("Report error creating transcoder!!!"));
    QCOMPARE(worker.lastFailure(info.uid),
             QStringLiteral("the source file is damaged or is no media file"));
    QVERIFY(!QFileInfo::exists(info.target));
}

// Each task fails at once, with a log line, and leaves the worker's one
// thread free: a source that blocks its open or an encoder that crashes
// would stop every task after it.
void tst_ReelWorker::unfitSourcesAndEncodersFailCleanly()
{
    const QString pipe = m_out.filePath(QStringLiteral("pipe.mp4"));
    QVERIFY(::mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0);
    const QString folder = m_out.filePath(QStringLiteral("folder.mp4"));
    QVERIFY(QDir().mkpath(folder));

    struct Case
    {
        const char *name;
        QString source;
        QString target;
        QString videoEncoder;
        QString audioEncoder;
        QSize size;
        QByteArray logged;
        // What the report tells the user; any text where empty.
        QString said;
    };
    const QSize size(320, 180);
    // clang-format off
    QList<Case> cases{
        {"pipe", pipe, "pipe.mp4", "h264_mf", "aac_mf", size, "a pipe, not a file", "the source file cannot be read: a pipe, not a file"},
        {"folder", folder, "folder.mp4", "h264_mf", "aac_mf", size, "a folder, not a file", "the source file cannot be read: a folder, not a file"},
        {"endless device", "/dev/zero", "zero.mp4", "h264_mf", "aac_mf", size, "a device, not a file", ""},
        {"audio encoder for video", m_shortClip, "aac.mp4", "aac", "aac_mf", size, "Encoder aac makes no video", "the chosen encoder does not fit the output format"},
        {"video encoder for audio", m_shortClip, "x264.mp4", "h264_mf", "libx264", size, "Encoder libx264 makes no audio", "the chosen encoder does not fit the output format"},
        {"subtitle encoder for video", m_shortClip, "srt.mkv", "srt", "aac_mf", size, "Encoder srt makes no video", ""},
        {"codec the container cannot hold", m_shortClip, "raw.mp4", "rawvideo", "aac_mf", size, "Encoder rawvideo makes rawvideo which the container mp4 cannot hold", "the chosen encoder does not fit the output format"},
        {"encoder that corrupts memory", m_shortClip, "rpza.mov", "rpza", "aac_mf", QSize(322, 182), "Encoder rpza is refused", ""},
        {"hardware frames only", m_shortClip, "vaapi.mp4", "h264_vaapi", "aac_mf", size, "Cannot open encoder h264_vaapi", ""},
        {"frame too small for the encoder", m_shortClip, "svt.mkv", "libsvtav1", "aac_mf", QSize(30, 30), "Cannot open video encoder", ""},
        {"encoder that hangs unless it got a frame", m_shortClip, "svt.mov", "libsvtav1", "aac_mf", size, "Error occurred when opening output file", ""},
    };
    // clang-format on
    // Root reads any file.
    if (::geteuid() != 0) {
        const QString locked = m_out.filePath(QStringLiteral("locked.mp4"));
        QVERIFY(QFile::copy(m_shortClip, locked));
        QVERIFY(QFile::setPermissions(locked, QFileDevice::WriteOwner));
        cases.append({"unreadable file", locked, "locked.mp4", "h264_mf", "aac_mf", size,
                      "no permission to read the file",
                      "the source file cannot be read: no permission to read the file"});
    }

    LinkedWorker worker;
    QVERIFY(worker.start());
    QList<TranscodingInfo> sent;
    for (const Case &c : qAsConst(cases)) {
        TranscodingInfo info = task(c.source, QStringLiteral("unfit-") + c.target, 0, second);
        info.video.first().name = c.videoEncoder;
        info.video.first().resolution = c.size;
        info.audio.first().name = c.audioEncoder;
        QVERIFY(worker.send(LinkMessages::addItem(info)));
        sent.append(info);
    }
    // An encoder without a list of pixel formats takes the source's.
    TranscodingInfo uncompressed = task(m_shortClip, QStringLiteral("uncompressed.avi"), 0, second);
    uncompressed.video.first().name = QStringLiteral("rawvideo");
    QVERIFY(worker.send(LinkMessages::addItem(uncompressed)));
    const TranscodingInfo valid = task(m_shortClip, QStringLiteral("afterunfit.mp4"), 0, second);
    QVERIFY(worker.send(LinkMessages::addItem(valid)));

    QTRY_COMPARE_WITH_TIMEOUT(worker.lastState(valid.uid), int(QueueItemState::Done),
                              WaitBound::ms());
    QTRY_COMPARE_WITH_TIMEOUT(worker.lastState(uncompressed.uid), int(QueueItemState::Done),
                              WaitBound::ms());
    QVERIFY(QFileInfo(valid.target).size() > 0);
    QCOMPARE(probe(uncompressed.target).codecs.value(0), QStringLiteral("rawvideo"));
    const QByteArray log = readFile(worker.logFile());
    for (int i = 0; i < cases.size(); ++i) {
        QVERIFY2(worker.lastState(sent.at(i).uid) == int(QueueItemState::Failed), cases.at(i).name);
        QVERIFY2(log.contains(cases.at(i).logged), cases.at(i).name);
        const QString said = worker.lastFailure(sent.at(i).uid);
        QVERIFY2(cases.at(i).said.isEmpty() ? !said.isEmpty() : said == cases.at(i).said,
                 qPrintable(QStringLiteral("%1: %2").arg(QLatin1String(cases.at(i).name), said)));
        QVERIFY2(!QFileInfo::exists(sent.at(i).target), cases.at(i).name);
    }
}

void tst_ReelWorker::failingMidwayRemovesPartialOutput()
{
    const TranscodingInfo info = task(m_longClip, QStringLiteral("full.mp4"), 0, 30 * second);
    LinkedWorker worker;
    QVERIFY(startWithFileSizeLimit(worker, 256 * 1024));
    QVERIFY(worker.send(LinkMessages::addItem(info)));
    QTRY_COMPARE(worker.lastState(info.uid), int(QueueItemState::Failed));
    QVERIFY(worker.lastProgress(info.uid) > 0);
    QVERIFY(worker.lastFailure(info.uid).startsWith(
            QStringLiteral("the output file cannot be written")));
    QVERIFY(!QFileInfo::exists(info.target));
    QVERIFY(!QFileInfo::exists(partialOf(info)));
}

void tst_ReelWorker::unwritableEndIsNoSuccess()
{
    // A second of video stays in the encoder's look-ahead until the output
    // is finished, so half the size of a whole run is reached only then.
    TranscodingInfo info = task(m_shortClip, QStringLiteral("whole.mp4"), 0, second);
    {
        LinkedWorker worker;
        QVERIFY(worker.start());
        QVERIFY(worker.send(LinkMessages::addItem(info)));
        QTRY_COMPARE(worker.lastState(info.uid), int(QueueItemState::Done));
    }
    const qint64 wholeSize = QFileInfo(info.target).size();
    QVERIFY(wholeSize > 0);

    info.uid = QUuid::createUuid();
    info.target = m_out.filePath(QStringLiteral("cut.mp4"));
    LinkedWorker worker;
    QVERIFY(startWithFileSizeLimit(worker, rlim_t(wholeSize / 2)));
    QVERIFY(worker.send(LinkMessages::addItem(info)));
    QTRY_VERIFY(worker.lastState(info.uid) == int(QueueItemState::Done)
                || worker.lastState(info.uid) == int(QueueItemState::Failed));
    QCOMPARE(worker.lastProgress(info.uid), qint64(1000));
    QCOMPARE(worker.lastState(info.uid), int(QueueItemState::Failed));
    QVERIFY(!QFileInfo::exists(info.target));
    QVERIFY(!QFileInfo::exists(partialOf(info)));
}

void tst_ReelWorker::pausedTaskKeepsItsPlace()
{
    // Frames sent together are handled before the worker's next step, so
    // the task never converts a frame here.
    const TranscodingInfo info = task(m_shortClip, QStringLiteral("heldback.mp4"), 0, second);
    TranscodingInfo inert = info;
    inert.uid = QUuid::createUuid();
    inert.audio.clear();
    inert.video.clear();
    BareWorker worker;
    QVERIFY(worker.start());
    worker.send({LinkMessages::addItem(info), LinkMessages::addItem(inert),
                 LinkMessages::pauseItems({info.uid})});
    QTRY_COMPARE(worker.reports.size(), 3);
    QCOMPARE(worker.reports.at(0).state, int(QueueItemState::Processing));
    QCOMPARE(worker.reports.at(1).state, int(QueueItemState::Failed));
    QCOMPARE(worker.reports.at(2).state, int(QueueItemState::Paused));

    // The paused task is not replaced, resuming it before any progress
    // reports -1, and an empty list pauses every held task, inert ones too.
    worker.send({LinkMessages::addItem(info), LinkMessages::resumeItem(info.uid),
                 LinkMessages::pauseItems({})});
    QTRY_COMPARE(worker.reports.size(), 6);
    const Report resumed = worker.reports.at(3);
    QCOMPARE(resumed.uid, info.uid);
    QCOMPARE(resumed.state, int(QueueItemState::Processing));
    QCOMPARE(resumed.data.userType(), int(QMetaType::LongLong));
    QCOMPARE(resumed.data.toLongLong(), qint64(-1));
    QCOMPARE(worker.reports.at(4).state, int(QueueItemState::Paused));
    QCOMPARE(worker.reports.at(5).state, int(QueueItemState::Paused));
    QCOMPARE(worker.reports.at(4).uid == info.uid ? worker.reports.at(5).uid
                                                  : worker.reports.at(4).uid,
             inert.uid);

    worker.send({LinkMessages::abortItems({info.uid, inert.uid, QUuid::createUuid()})});
    QTRY_COMPARE(worker.reports.size(), 8);
    QCOMPARE(worker.lastState(info.uid), int(QueueItemState::Aborted));
    QCOMPARE(worker.lastState(inert.uid), int(QueueItemState::Aborted));
    QVERIFY(!QFileInfo::exists(info.target));
    QVERIFY(!QFileInfo::exists(partialOf(info)));
}

void tst_ReelWorker::endingWorkerRemovesUnfinishedOutput_data()
{
    QTest::addColumn<bool>("terminate");
    QTest::newRow("exit request") << false;
    QTest::newRow("SIGTERM") << true;
}

void tst_ReelWorker::endingWorkerRemovesUnfinishedOutput()
{
    QFETCH(bool, terminate);

    const TranscodingInfo info = task(m_longClip, QStringLiteral("unfinished.mp4"), 0, 30 * second);
    BareWorker worker;
    QVERIFY(worker.start());
    worker.send({LinkMessages::addItem(info)});
    QTRY_VERIFY(worker.reports.size() >= 2);
    QTRY_VERIFY(QFileInfo(partialOf(info)).size() > 0);
    QVERIFY(!QFileInfo::exists(info.target));
    QCOMPARE(worker.lastState(info.uid), int(QueueItemState::Processing));

    if (terminate)
        ::kill(pid_t(worker.process.processId()), SIGTERM);
    else
        worker.send({exitPayload()});
    QVERIFY(worker.process.waitForFinished(WaitBound::ms()));
    QCOMPARE(worker.process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(worker.process.exitCode(), 0);
    QVERIFY(!QFileInfo::exists(info.target));
    QVERIFY(!QFileInfo::exists(partialOf(info)));
    QCOMPARE(worker.lastState(info.uid), int(QueueItemState::Processing));
}

void tst_ReelWorker::existingTargetIsNeverTouched_data()
{
    QTest::addColumn<bool>("appearsMidway");
    QTest::newRow("there before the task") << false;
    QTest::newRow("appears while converting") << true;
}

// The target of a task is a free name; a file found there is the user's,
// whatever becomes of the task, and no broken output is left beside it.
void tst_ReelWorker::existingTargetIsNeverTouched()
{
    QFETCH(bool, appearsMidway);

    const TranscodingInfo info = task(m_longClip,
                                      appearsMidway ? QStringLiteral("appears.mp4")
                                                    : QStringLiteral("existing.mp4"),
                                      0, 8 * second);
    const auto createExisting = [&info] {
        QFile existing(info.target);
        return existing.open(QIODevice::NewOnly) && existing.write("keep me") == 7;
    };
    if (!appearsMidway)
        QVERIFY(createExisting());

    LinkedWorker worker;
    QVERIFY(worker.start());
    QVERIFY(worker.send(LinkMessages::addItem(info)));
    if (appearsMidway) {
        // Paused while the file appears, so the task cannot end before it.
        QVERIFY(waitForProgressAndOutput(worker, info));
        QVERIFY(worker.send(LinkMessages::pauseItems({info.uid})));
        QTRY_COMPARE(worker.lastState(info.uid), int(QueueItemState::Paused));
        QVERIFY(createExisting());
        QVERIFY(worker.send(LinkMessages::resumeItem(info.uid)));
    }
    QTRY_COMPARE(worker.lastState(info.uid), int(QueueItemState::Failed));
    QCOMPARE(readFile(info.target), QByteArray("keep me"));
    QVERIFY(!QFileInfo::exists(partialOf(info)));
    QVERIFY(readFile(worker.logFile())
                    .contains(appearsMidway ? "Can't move the finished output"
                                            : "Target file exists"));
}

// A worker killed mid-task leaves only its partial output; the next worker
// removes it before it connects.
void tst_ReelWorker::killedWorkersOutputGoesAtNextStart()
{
    const TranscodingInfo info = task(m_longClip, QStringLiteral("crashed.mp4"), 0, 30 * second);
    {
        BareWorker worker;
        QVERIFY(worker.start());
        worker.send({LinkMessages::addItem(info)});
        QTRY_VERIFY(QFileInfo(partialOf(info)).size() > 0);
        ::kill(pid_t(worker.process.processId()), SIGKILL);
        QVERIFY(worker.process.waitForFinished(WaitBound::ms()));
    }
    QVERIFY(QFileInfo::exists(partialOf(info)));
    QVERIFY(!QFileInfo::exists(info.target));

    BareWorker next;
    QVERIFY(next.start());
    QVERIFY(!QFileInfo::exists(partialOf(info)));
    QVERIFY(!QFileInfo::exists(info.target));
}

// Destroying the GUI's end of the link ends the worker's loop; it is not
// killed before it has removed its unfinished output.
void tst_ReelWorker::destroyedLinkLetsWorkerClean()
{
    const TranscodingInfo info = task(m_longClip, QStringLiteral("dropped.mp4"), 0, 30 * second);
    QString log;
    {
        LinkedWorker worker;
        QVERIFY(worker.start());
        QVERIFY(worker.send(LinkMessages::addItem(info)));
        QVERIFY(waitForProgressAndOutput(worker, info));
        log = worker.logFile();
    }
    QVERIFY(!QFileInfo::exists(partialOf(info)));
    QVERIFY(!QFileInfo::exists(info.target));
    QVERIFY(readFile(log).contains("Exit app request done"));
}

void tst_ReelWorker::hostilePayloadsAreRefused_data()
{
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<QUuid>("failedTask");

    const QUuid uid = QUuid::createUuid();
    const auto task = [&uid] { return RawPayload(LinkMessages::AddItem).taskHead(uid); };
    QTest::newRow("task: video records") << (task() << countBomb).pad(5).bytes << uid;
    QTest::newRow("task: audio records") << (task() << 0u << countBomb).pad(5).bytes << uid;
    QTest::newRow("task: overlay properties")
            << (task() << 0u << 0u << countBomb).pad(5).bytes << uid;
    QTest::newRow("task: overlay list value")
            << (task() << 0u << 0u << 1u << qint32(PipObject::Property::Text)
                       << quint32(QMetaType::QVariantList) << qint8(0) << countBomb)
                       .pad(5)
                       .bytes
            << uid;
    QTest::newRow("task: overlay gradient stops")
            << (task() << 0u << 0u << 1u << qint32(PipObject::Property::ForegroundBrush)
                       << quint32(QMetaType::QBrush) << qint8(0)
                       << quint8(Qt::LinearGradientPattern) << QColor(Qt::red)
                       << qint32(QGradient::LinearGradient) << qint32(QGradient::PadSpread)
                       << qint32(QGradient::LogicalMode) << qint32(QGradient::ColorInterpolation)
                       << countBomb)
                       .pad(5)
                       .bytes
            << uid;
    QTest::newRow("abort") << (RawPayload(LinkMessages::AbortItems) << countBomb).pad(5).bytes
                           << QUuid();
    QTest::newRow("abort of 12 bytes")
            << (RawPayload(LinkMessages::AbortItems) << quint32(0x7fffffff)).pad(4).bytes
            << QUuid();
    QTest::newRow("pause") << (RawPayload(LinkMessages::PauseItems) << countBomb).pad(5).bytes
                           << QUuid();
    QTest::newRow("resume") << (RawPayload(LinkMessages::ResumeItems) << countBomb).pad(5).bytes
                            << QUuid();
    QTest::newRow("crash-reporter data")
            << (RawPayload(LinkMessages::CrashReporterParams) << countBomb).pad(5).bytes << QUuid();
}

// Counts that the payload cannot hold end no worker: the message is refused
// before anything is reserved, and the worker goes on with the next task.
void tst_ReelWorker::hostilePayloadsAreRefused()
{
    QFETCH(QByteArray, payload);
    QFETCH(QUuid, failedTask);

    BareWorker worker;
    QVERIFY(worker.start());
    const qint64 pid = worker.process.processId();
    const qint64 peakBefore = peakMemory(pid);
    QVERIFY(peakBefore > 0);

    // The invalid task's report shows that the payload before it was read.
    TranscodingInfo marker;
    marker.uid = QUuid::createUuid();
    worker.send({payload, LinkMessages::addItem(marker)});
    QTRY_COMPARE(worker.lastState(marker.uid), int(QueueItemState::Failed));
    if (!failedTask.isNull())
        QCOMPARE(worker.lastState(failedTask), int(QueueItemState::Failed));
    const qint64 growth = peakMemory(pid) - peakBefore;
    QVERIFY2(growth < 100 * 1024 * 1024, qPrintable(QString::number(growth)));

    // Numbers beyond any encoder's range are clamped, not overflowed.
    TranscodingInfo valid = task(m_shortClip,
                                 QString::fromLatin1(QTest::currentDataTag())
                                                 .replace(QLatin1Char(' '), QLatin1Char('_'))
                                                 .remove(QLatin1Char(':'))
                                         + QLatin1String(".mp4"),
                                 0, second / 5);
    valid.audio[0].bitrate = std::numeric_limits<qint32>::max();
    valid.video[0].quality = std::numeric_limits<qint32>::max();
    worker.send({LinkMessages::addItem(valid)});
    QTRY_VERIFY(worker.lastState(valid.uid) == int(QueueItemState::Done)
                || worker.lastState(valid.uid) == int(QueueItemState::Failed));
    QCOMPARE(worker.lastState(valid.uid), int(QueueItemState::Done));
    QCOMPARE(worker.process.state(), QProcess::Running);
}

void tst_ReelWorker::missingArgumentExitsWithMinusOne()
{
    QProcess process;
    process.start(QString::fromLatin1(workerPath), QStringList());
    QVERIFY(process.waitForFinished(WaitBound::ms()));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 255);
}

void tst_ReelWorker::crashReportCarriesGuiParameters()
{
    const QString settingsFile = m_out.filePath(QStringLiteral("reelforge.ini"));
    QFile settings(settingsFile);
    QVERIFY(settings.open(QIODevice::WriteOnly));
    settings.write("[General]\n");
    settings.close();
    const QString machineId = QStringLiteral("machine-42");
    const QString dxdiag = logDir() + QStringLiteral("/dxdiag.txt");

    BareWorker worker;
    QVERIFY(worker.start());
    // The failed task's report shows that the parameters before it were applied.
    TranscodingInfo invalid;
    invalid.uid = QUuid::createUuid();
    worker.send({LinkMessages::crashReporterParams({machineId, settingsFile, dxdiag}),
                 LinkMessages::addItem(invalid)});
    QTRY_COMPARE(worker.lastState(invalid.uid), int(QueueItemState::Failed));

    const QStringList before = QDir(logDir()).entryList({QStringLiteral("crash_*")}, QDir::Dirs);
    ::kill(pid_t(worker.process.processId()), SIGSEGV);
    QVERIFY(worker.process.waitForFinished(WaitBound::ms()));
    QCOMPARE(worker.process.exitStatus(), QProcess::CrashExit);

    QStringList reports = QDir(logDir()).entryList({QStringLiteral("crash_*")}, QDir::Dirs);
    for (const QString &old : before)
        reports.removeAll(old);
    QCOMPARE(reports.size(), 1);
    const QDir report(QDir(logDir()).filePath(reports.first()));
    const QByteArray digest = QCryptographicHash::hash(machineId.toUtf8() + "corvinak3seed",
                                                       QCryptographicHash::Md5)
                                      .toHex();
    QVERIFY(readFile(report.filePath(QStringLiteral("properties.txt"))).contains("m_id=" + digest));
    const QByteArray files = readFile(report.filePath(QStringLiteral("files.txt")));
    QVERIFY(files.contains("Configuration File: " + settingsFile.toUtf8()));
    QVERIFY(files.contains("DirectX diagnostic File: " + dxdiag.toUtf8()));
    QVERIFY(files.contains("Log file: " + logDir().toUtf8() + "/reelworker"));
    QCOMPARE(readFile(logDir() + QStringLiteral("/.cf")), QByteArray(1, '\2'));
}

void tst_ReelWorker::killedWorkerIsSeenAsDisconnect()
{
    const TranscodingInfo info = task(m_longClip, QStringLiteral("killed.mp4"), 0, 30 * second);
    LinkedWorker worker;
    QVERIFY(worker.start());
    QSignalSpy closed(&worker.handler(), &RemoteHandler::handlerClosed);
    QVERIFY(worker.send(LinkMessages::addItem(info)));
    QVERIFY(waitForProgressAndOutput(worker, info));

    // The transport keeps its process to itself; find the child by name.
    const pid_t child = childProcessNamed("reelworker");
    QVERIFY(child > 0);
    ::kill(child, SIGKILL);
    QVERIFY(closed.count() > 0 || closed.wait(WaitBound::ms()));
    QCOMPARE(worker.lastState(info.uid), int(QueueItemState::Processing));
}

QTEST_GUILESS_MAIN(tst_ReelWorker)
#include "tst_reelworker.moc"

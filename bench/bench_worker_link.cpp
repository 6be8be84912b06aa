// Converts one file the way the GUI has it converted: starts the worker
// beside this program, sends it one task over the link and waits for the
// end. Prints the seconds from sending the task to its final state and,
// after it, the worker's peak resident size in KiB.
//
// bench_worker_link SOURCE TARGET SECONDS [WATERMARK_TEXT]
//   SOURCE is converted whole (SECONDS long) to TARGET with the GUI's
//   default settings: the "Same as source" mp4 preset (H.264 at the source's
//   size, AAC at 256 kbit/s with the source's rate and channels) and
//   compression level 3; a watermark text is drawn centred over the full
//   frame width.

#include "core/linkmessages.h"
#include "core/mediaimport.h"
#include "core/transcodinginfo.h"
#include "datamodel/pip/pipobject.h"
#include "shared/settingsprovider.h"

#include <remotehandler/remotehandler.h>
#include <remotehandler/workerprogram.h>

#include <QCoreApplication>
#include <QDataStream>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QTimer>

#include <sys/resource.h>

#include <cstdio>
#include <memory>

namespace {

const int startTimeoutMs = 30000;
const int DefaultCompressionLevel = 3;

QMap<int, QVariant> watermarkProperties(const QString &text)
{
    PipObject watermark;
    watermark.setType(PipObject::TextWatermark);
    watermark.setText(text);
    watermark.setFontFamily(QStringLiteral("DejaVu Sans"));
    watermark.setSize(1.0);
    watermark.setOpacity(0.8);
    watermark.setLocation(PipObject::Free);
    watermark.setCenterPoint(QPointF(0.5, 0.5));
    watermark.setForegroundBrush(QBrush(Qt::white));
    QMap<int, QVariant> wire;
    const PipObject::PropertyMap properties = watermark.properties();
    for (auto it = properties.cbegin(); it != properties.cend(); ++it)
        wire.insert(int(it.key()), it.value());
    return wire;
}

TranscodingInfo makeTask(const QStringList &args)
{
    TranscodingInfo info;
    info.uid = QUuid::createUuid();
    info.source = QFileInfo(args.at(1)).absoluteFilePath();
    info.target = QFileInfo(args.at(2)).absoluteFilePath();
    info.container = QStringLiteral("mp4");
    info.trimStart = 0;
    info.trimEnd = qint64(args.at(3).toDouble() * 10000000);
    // As a queue item gets them: the source's facts, then the preset.
    const AVMediaFileInfo source = mediaimport::probe(info.source);
    VideoCodecInfo video;
    video.name = QStringLiteral("h264_mf");
    video.resolution = source.resolution;
    video.quality = DefaultCompressionLevel * 20 + 50;
    info.video = {video};
    AudioCodecInfo audio;
    audio.name = QStringLiteral("aac_mf");
    audio.bitrate = 256;
    audio.samplerate = source.samplerate;
    audio.channels = source.channels;
    info.audio = {audio};
    if (args.size() > 4)
        info.watermark = watermarkProperties(args.at(4));
    return info;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 4) {
        std::fprintf(stderr,
                     "usage: %s SOURCE TARGET SECONDS [WATERMARK_TEXT]\n"
                     "(bench/run_conversion_bench.sh runs it against ffmpeg)\n",
                     argv[0]);
        return 2;
    }
    registerSettingsMetaTypes();
    const TranscodingInfo info = makeTask(args);

    // Destroyed before the worker's peak size is read: it waits for the
    // worker to end.
    auto owner = std::make_unique<RemoteHandler>();
    RemoteHandler &link = *owner;
    link.runServerMode(QCoreApplication::applicationDirPath() + QLatin1Char('/')
                       + WorkerProgram::fileName());
    {
        // The worker starts with the GUI; the conversion is timed from the task on.
        QEventLoop starting;
        QTimer timeout;
        timeout.setSingleShot(true);
        QObject::connect(&timeout, &QTimer::timeout, &starting, &QEventLoop::quit);
        QObject::connect(&link, &RemoteHandler::handlerReady, &starting, &QEventLoop::quit);
        if (!link.startHandler()) {
            std::fprintf(stderr, "the worker did not start\n");
            return 1;
        }
        timeout.start(startTimeoutMs);
        starting.exec();
    }

    QEventLoop loop;
    int finalState = 0;
    QObject::connect(&link, &RemoteHandler::newMessage, [&](const QByteArray &payload) {
        QDataStream in(payload);
        qint32 code = 0, state = 0;
        QUuid uid;
        in >> code >> uid >> state;
        if (code == LinkMessages::ItemState && uid == info.uid
            && state != int(QueueItemState::Processing) && state != int(QueueItemState::Paused)) {
            finalState = state;
            loop.quit();
        }
    });
    QObject::connect(&link, &RemoteHandler::handlerClosed, &loop, &QEventLoop::quit);

    QElapsedTimer timer;
    timer.start();
    if (!link.write(LinkMessages::addItem(info))) {
        std::fprintf(stderr, "the worker did not take the task\n");
        return 1;
    }
    loop.exec();
    const double seconds = timer.nsecsElapsed() / 1e9;
    link.sendExitRequest();
    owner.reset();

    if (finalState != int(QueueItemState::Done)) {
        std::fprintf(stderr, "conversion ended in state %d\n", finalState);
        return 1;
    }
    rusage worker{};
    getrusage(RUSAGE_CHILDREN, &worker);
    std::printf("%.3f %ld\n", seconds, worker.ru_maxrss);
    return 0;
}

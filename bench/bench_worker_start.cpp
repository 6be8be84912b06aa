// How soon the worker is ready and what it holds while it waits: starts it
// the way the GUI does, lets it idle on the link, then hands it a task.
// Per worker program it prints, as min / median / max over the rounds:
//   ready  milliseconds from the process start to its link connection;
//   task   milliseconds from the process start to the first progress report,
//          the idle pause taken out (ready + task sent to first report);
//   rss    resident memory in KiB after it idled connected for a moment.
//
// bench_worker_start SOURCE ROUNDS WORKER [WORKER...]
//   SOURCE is an mp4 clip of 320 x 240 and at most 4 s; each round starts every WORKER once, in an
//   order that alternates from round to round, so two builds of the worker
//   are compared under the same load.

#include "core/linkmessages.h"
#include "core/transcodinginfo.h"

#include <remotehandler/remotehandler.h>

#include <QCoreApplication>
#include <QDataStream>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <unistd.h>
#include <vector>

namespace {

const int waitTimeoutMs = 60000;
const int idlePauseMs = 500;
// The task converts the whole of the source, taken to be at most this long,
// at this size, so the first report comes from a transcoder at work.
const qint64 clipTicks = 4 * 10000000LL;
const QSize clipSize(320, 240);

struct Round
{
    double readyMs = 0;
    double taskMs = 0;
    qint64 rssKiB = 0;
};

struct Series
{
    QString program;
    std::vector<Round> rounds;
};

// The first child of this process that runs the given program.
qint64 childRssKiB(const QString &program)
{
    const QString name = QFileInfo(program).fileName().left(15);
    const QStringList pids = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString &pid : pids) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = stat.readAll();
        const int open = line.indexOf('('), close = line.lastIndexOf(')');
        if (open < 0 || close < open || line.mid(open + 1, close - open - 1) != name.toUtf8())
            continue;
        const QList<QByteArray> rest = line.mid(close + 2).split(' ');
        if (rest.size() < 2 || rest.at(1).toLongLong() != getpid())
            continue;
        QFile status(QStringLiteral("/proc/%1/status").arg(pid));
        if (!status.open(QIODevice::ReadOnly))
            return -1;
        for (const QByteArray &l : status.readAll().split('\n')) {
            if (l.startsWith("VmRSS:"))
                return l.mid(6).trimmed().split(' ').first().toLongLong();
        }
    }
    return -1;
}

bool waitFor(QObject *sender, const char *signal, int timeoutMs)
{
    QEventLoop loop;
    QTimer timeout;
    timeout.setSingleShot(true);
    QObject::connect(&timeout, &QTimer::timeout, &loop, [&loop] { loop.exit(1); });
    QObject::connect(sender, signal, &loop, SLOT(quit()));
    timeout.start(timeoutMs);
    return loop.exec() == 0;
}

void pause(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

bool runOnce(const QString &program, const QString &source, const QString &target, Round &out)
{
    TranscodingInfo task;
    task.uid = QUuid::createUuid();
    task.source = source;
    task.target = target;
    task.container = QStringLiteral("mp4");
    task.trimEnd = clipTicks;
    VideoCodecInfo video;
    video.name = QStringLiteral("h264_mf");
    video.quality = 110;
    video.resolution = clipSize;
    task.video = {video};
    AudioCodecInfo audio;
    audio.name = QStringLiteral("aac_mf");
    audio.bitrate = 256;
    audio.samplerate = 48000;
    audio.channels = 2;
    task.audio = {audio};

    RemoteHandler link;
    link.runServerMode(program);
    QElapsedTimer clock;
    QObject::connect(&link, &RemoteHandler::handlerReady,
                     [&] { out.readyMs = clock.nsecsElapsed() / 1e6; });
    clock.start();
    if (!link.startHandler() || !waitFor(&link, SIGNAL(handlerReady()), waitTimeoutMs)) {
        std::fprintf(stderr, "%s did not start\n", qPrintable(program));
        return false;
    }

    pause(idlePauseMs);
    out.rssKiB = childRssKiB(program);

    bool reported = false;
    QObject::connect(&link, &RemoteHandler::newMessage, [&](const QByteArray &payload) {
        QDataStream in(payload);
        qint32 code = 0;
        QUuid uid;
        in >> code >> uid;
        if (code == LinkMessages::ItemState && uid == task.uid)
            reported = true;
    });
    QElapsedTimer sent;
    sent.start();
    link.write(LinkMessages::addItem(task));
    while (!reported) {
        if (!waitFor(&link, SIGNAL(newMessage(QByteArray)), waitTimeoutMs)) {
            std::fprintf(stderr, "%s did not report\n", qPrintable(program));
            return false;
        }
    }
    out.taskMs = out.readyMs + sent.nsecsElapsed() / 1e6;
    link.write(LinkMessages::abortItems({task.uid}));
    link.sendExitRequest();
    return true;
}

template<typename T>
QString spread(std::vector<T> values, const char *format)
{
    std::sort(values.begin(), values.end());
    auto text = [format](T v) { return QString::asprintf(format, v); };
    return QStringLiteral("%1 / %2 / %3")
            .arg(text(values.front()), text(values[values.size() / 2]), text(values.back()));
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 4) {
        std::fprintf(stderr, "usage: %s SOURCE ROUNDS WORKER [WORKER...]\n", argv[0]);
        return 2;
    }
    const QString source = QFileInfo(args.at(1)).absoluteFilePath();
    const int rounds = std::max(1, args.at(2).toInt());
    std::vector<Series> series;
    for (int i = 3; i < args.size(); ++i)
        series.push_back({QFileInfo(args.at(i)).absoluteFilePath(), {}});

    QTemporaryDir out;
    for (int r = 0; r < rounds; ++r) {
        for (size_t k = 0; k < series.size(); ++k) {
            Series &s = series[(r % 2) ? series.size() - 1 - k : k];
            Round round;
            const QString target = out.filePath(QStringLiteral("out%1_%2.mp4").arg(r).arg(k));
            if (!runOnce(s.program, source, target, round))
                return 1;
            s.rounds.push_back(round);
        }
    }

    for (const Series &s : series) {
        std::vector<double> ready, task;
        std::vector<qint64> rss;
        for (const Round &r : s.rounds) {
            ready.push_back(r.readyMs);
            task.push_back(r.taskMs);
            rss.push_back(r.rssKiB);
        }
        std::printf("%s\n  ready ms  %s\n  task ms   %s\n  rss KiB   %s\n", qPrintable(s.program),
                    qPrintable(spread(ready, "%.1f")), qPrintable(spread(task, "%.1f")),
                    qPrintable(spread(rss, "%lld")));
    }
    return 0;
}

// The program's side of the import benchmark: queue items probed and given
// their thumbnails by the media import, as files added to the queue are.
//
// bench_probe_thumbnail [-j THREADS] FILE...
//   THREADS (default 1) caps the global thread pool the probes run on.
//   Prints one line as anchor_probe_thumbnail does: "wall SECONDS cpu
//   SECONDS files N pictures M", from handing the first item in to the last
//   item's result, with the process's CPU time over that span.
//   bench/run_probe_thumbnail_bench.sh runs it against the anchor.

#include "core/appservices.h"
#include "core/mediaimport.h"
#include "datamodel/videoitem.h"
#include "metrics/metricsender.h"
#include "metrics/usagestatistics.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThreadPool>

#include <malloc.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>

namespace {

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval &t) { return double(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

} // namespace

int main(int argc, char *argv[])
{
    // As the anchor has it: freed memory is kept for the next file, so that
    // neither side pays for the allocator handing pages back in between.
    mallopt(M_MMAP_THRESHOLD, 256 << 20);
    mallopt(M_TRIM_THRESHOLD, 512 << 20);
    QCoreApplication app(argc, argv);
    QStringList files = QCoreApplication::arguments().mid(1);
    int threads = 1;
    if (files.size() > 1 && files.first() == QLatin1String("-j")) {
        threads = std::max(1, files.at(1).toInt());
        files = files.mid(2);
    }
    if (files.isEmpty()) {
        std::fprintf(stderr, "usage: %s [-j THREADS] FILE...\n", argv[0]);
        return 2;
    }
    QThreadPool::globalInstance()->setMaxThreadCount(threads);
    VideoItem::registerMetaTypes();
    // As the program has them before any file is added: the metric sender
    // (sending nothing) and the usage counters the import keeps.
    MetricSender::init(QStringLiteral("bench"), QStringLiteral("0"), QStringLiteral("0"), false);
    UsageStatistics usage;
    appServices().usageStatistics = &usage;

    QList<VideoItemPtr> items;
    for (const QString &file : qAsConst(files))
        items << VideoItemPtr::create(QFileInfo(file));
    QEventLoop loop;
    int settled = 0;
    for (const VideoItemPtr &item : qAsConst(items)) {
        QObject::connect(item.data(), &VideoItem::stateChanged, &loop, [&] {
            if (++settled == items.size())
                loop.quit();
        });
    }

    mediaimport import;
    const double cpuStart = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    for (const VideoItemPtr &item : qAsConst(items))
        import.loadMetaInfo(item);
    loop.exec();
    const double seconds = wall.nsecsElapsed() / 1e9;
    const double cpu = cpuSeconds() - cpuStart;

    const int pictures = int(std::count_if(items.cbegin(), items.cend(), [](const VideoItemPtr &i) {
        return !i->thumbnail().isNull();
    }));
    std::printf("wall %.4f cpu %.4f files %d pictures %d\n", seconds, cpu, int(items.size()),
                pictures);
    return pictures == items.size() ? 0 : 1;
}

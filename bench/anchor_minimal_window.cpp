// The start-up anchor of the GUI scale benchmark: a minimal Qt widgets
// program that shows one window. Prints "shown SECONDS rss KIB" as
// bench_gui_scale start does, SECONDS counted from SINCE_NS.
//
// anchor_minimal_window SINCE_NS

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QWindow>

#include <time.h>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s SINCE_NS\n", argv[0]);
        return 2;
    }
    const long long since = QByteArray(argv[1]).toLongLong();
    QLabel window(QStringLiteral("Reelmorph"));
    window.resize(1000, 760);
    window.show();
    while (!(window.windowHandle() && window.windowHandle()->isExposed()))
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);

    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    const long long elapsed = (long long)now.tv_sec * 1000000000 + now.tv_nsec - since;
    long long rss = -1;
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith("VmRSS:"))
                rss = line.mid(6).trimmed().split(' ').first().toLongLong();
        }
    }
    std::printf("shown %.4f rss %lld\n", elapsed / 1e9, rss);
    return 0;
}

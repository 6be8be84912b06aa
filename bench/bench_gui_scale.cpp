// The program's side of the GUI scale benchmark: the application started as
// reelforge starts it (splash minimum 0), on any Qt platform (offscreen in
// bench/run_gui_scale_bench.sh, which runs it against anchor_minimal_window).
//
// bench_gui_scale start SINCE_NS
//   Starts the application with the history found in the data folder and
//   prints "shown SECONDS rss KIB history N" once the main window is exposed;
//   SECONDS counts from SINCE_NS (CLOCK_REALTIME nanoseconds, taken by the
//   caller just before starting the process).
// bench_gui_scale add FILE...
//   Starts the application, adds the files to the queue in one call of
//   QueueModel::addNewItems, and prints "stall MS imported SECONDS
//   rsskib_per_item KIB files N thumbkib_per_item KIB": the largest gap
//   between two ticks of a 10 ms precise timer, the time from the call to
//   the last item leaving Importing, and, once every card is made and every
//   thumbnail encoded, the growth of the resident set per file and the
//   share of the items' thumbnails, as they are held (encoded).
// bench_gui_scale make-history COUNT FILE
//   Imports FILE, writes it to the history as the program does, and repeats
//   its record and thumbnail under new identifiers up to COUNT records.

#include "application.h"
#include "core/mediaimport.h"
#include "datamodel/historymodel.h"
#include "datamodel/queuemodel.h"
#include "datamodel/videoitem.h"
#include "kelui.h"
#include "shared/formattables.h"
#include "shared/settingsprovider.h"
#include "ui/mainwindow/card.h"
#include "ui/mainwindow/cardslist.h"
#include "ui/mainwindow/mainwindow.h"
#include "ui/splash.h"
#include "widgets/kelexclusivebuttongroup.h"
#include "windows/kelwindow.h"

#include <metrics/metricsender.h>

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>
#include <QThreadPool>
#include <QTimer>
#include <QUrl>
#include <QUuid>
#include <QWindow>

#include <time.h>

#include <cstdio>

namespace {

const char ApplicationName[] = "Corvina Reelmorph";
const char OrganizationName[] = "Corvina";
const char SettingsFileName[] = "reelforge.ini";

qint64 realtimeNs()
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

qint64 rssKib()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

void setNames()
{
    QCoreApplication::setApplicationName(QLatin1String(ApplicationName));
    QCoreApplication::setOrganizationName(QLatin1String(OrganizationName));
}

// As reelforge's main() has it, without the crash reporter, the update
// checker and the metrics, which only send.
bool startApplication(Application &app)
{
    setNames();
    app.setQuitOnLastWindowClosed(false);
    registerSettingsMetaTypes();
    app.setSettings(new SettingsProvider(app.configLocation(QLatin1String(SettingsFileName)),
                                         QSettings::IniFormat, &app));
    app.installTranslator(QStringLiteral("reelforge"));
    MetricSender::init(QStringLiteral("bench"), QStringLiteral("15"), QStringLiteral("0"), false);
    Splash::showSplash(0, true);
    if (!app.init())
        return false;
    KelUi *ui = kelUi();
    KelWindow *window = ui ? ui->mainWindow() : nullptr;
    if (!window)
        return false;
    QElapsedTimer waited;
    waited.start();
    while (!(window->windowHandle() && window->windowHandle()->isExposed())) {
        if (waited.elapsed() > 120000)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

int start(Application &app, qint64 since)
{
    if (!startApplication(app))
        return 1;
    const double seconds = (realtimeNs() - since) / 1e9;
    std::printf("shown %.4f rss %lld history %d\n", seconds, rssKib(),
                app.historyModel()->rowCount());
    return 0;
}

int add(Application &app, const QStringList &files)
{
    if (!startApplication(app))
        return 1;
    QList<QUrl> urls;
    for (const QString &file : files)
        urls << QUrl::fromLocalFile(file);
    QueueModel *queue = app.queueModel();

    QElapsedTimer ticks;
    qint64 lastTick = 0;
    qint64 longestGap = 0;
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        const qint64 now = ticks.nsecsElapsed();
        longestGap = qMax(longestGap, now - lastTick);
        if (now - lastTick > 50000000)
            std::fprintf(stderr, "stall of %.1f ms ending at %.1f ms\n", (now - lastTick) / 1e6,
                         now / 1e6);
        lastTick = now;
    });

    QEventLoop loop;
    QElapsedTimer sinceAdd;
    double imported = -1;
    qint64 rssBefore = 0;
    auto check = [&] {
        if (imported < 0 && queue->rowCount() == urls.size()
            && queue->counters().value(VideoItem::Importing) == 0) {
            imported = sinceAdd.nsecsElapsed() / 1e9;
            loop.quit();
        }
    };
    QObject::connect(queue, &QueueModel::countersChanged, &loop, check);
    QTimer::singleShot(100, &loop, [&] {
        rssBefore = rssKib();
        ticks.start();
        timer.start();
        sinceAdd.start();
        queue->addNewItems(urls, -1);
        check();
    });
    loop.exec();
    // The ticks that the last results kept waiting, and the cards still to
    // be made.
    QCoreApplication::processEvents();
    auto *window = dynamic_cast<MainWindow *>(kelUi()->mainWindow());
    auto cards = [window] {
        int count = 0;
        const auto buttons = window->queueList()->buttonGroup()->buttons();
        for (const QPointer<KelButton> &button : buttons) {
            auto *card = qobject_cast<Card *>(button.data());
            count += card && card->videoItem() ? 1 : 0;
        }
        return count;
    };
    // Pictures are encoded after the imports, and held decoded until then.
    auto encoding = [queue] {
        for (int row = 0; row < queue->rowCount(); ++row) {
            const auto item = queue->data(queue->index(row), Qt::UserRole).value<VideoItemPtr>();
            if (item && item->thumbnailData().isEmpty() && !item->thumbnail().isNull())
                return true;
        }
        return false;
    };
    QElapsedTimer settling;
    settling.start();
    while (window && (cards() < urls.size() || encoding()) && settling.elapsed() < 120000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    // And the pool's work that follows, which gives freed memory back.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QThreadPool::globalInstance()->waitForDone();
    timer.stop();
    const qint64 rssAfter = rssKib();
    qint64 pictureBytes = 0;
    for (int row = 0; row < queue->rowCount(); ++row) {
        const auto item = queue->data(queue->index(row), Qt::UserRole).value<VideoItemPtr>();
        pictureBytes += item ? item->thumbnailData().size() : 0;
    }
    std::printf("stall %.1f imported %.4f rsskib_per_item %.1f files %d thumbkib_per_item %.1f\n",
                longestGap / 1e6, imported, double(rssAfter - rssBefore) / urls.size(),
                int(urls.size()), pictureBytes / 1024.0 / urls.size());
    return 0;
}

int makeHistory(Application &app, int count, const QString &clip)
{
    setNames();
    VideoItem::registerMetaTypes();
    MetricSender::init(QStringLiteral("bench"), QStringLiteral("15"), QStringLiteral("0"), false);
    const auto item = VideoItemPtr::create(QFileInfo(clip));
    QEventLoop loop;
    QObject::connect(item.data(), &VideoItem::stateChanged, &loop, &QEventLoop::quit);
    mediaimport import;
    import.loadMetaInfo(item);
    loop.exec();
    if (item->thumbnail().isNull())
        return 1;
    item->setState(VideoItem::History);
    {
        HistoryModel history;
        history.addItem(item);
        history.writeHistory();
    }

    const QString folder = FormatTables::historyThumbnailPath();
    QFile file(folder + FormatTables::historyFilePath());
    if (!file.open(QIODevice::ReadOnly))
        return 1;
    const QJsonArray written = QJsonDocument::fromJson(file.readAll()).array();
    file.close();
    if (written.size() != 1)
        return 1;
    const QJsonObject record = written.first().toObject();
    const QString thumbnail = folder + item->id().toString()
            + FormatTables::historyThumbnailSuffix();

    QJsonArray records;
    for (int i = 0; i < count; ++i) {
        QJsonObject copy = record;
        const QString id = i == 0 ? item->id().toString() : QUuid::createUuid().toString();
        copy.insert(QStringLiteral("ItemId"), id);
        records.append(copy);
        if (i > 0 && !QFile::copy(thumbnail, folder + id + FormatTables::historyThumbnailSuffix()))
            return 1;
    }
    if (count == 0)
        QFile::remove(thumbnail);
    QFile out(folder + FormatTables::historyFilePath());
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 1;
    out.write(QJsonDocument(records).toJson());
    std::printf("history %d\n", count);
    Q_UNUSED(app)
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    Application app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    const QString mode = args.value(0);
    if (mode == QLatin1String("start") && args.size() == 2)
        return start(app, args.at(1).toLongLong());
    if (mode == QLatin1String("add") && args.size() > 1)
        return add(app, args.mid(1));
    if (mode == QLatin1String("make-history") && args.size() == 3)
        return makeHistory(app, args.at(1).toInt(), args.at(2));
    std::fprintf(stderr, "usage: %s start SINCE_NS | add FILE... | make-history COUNT FILE\n",
                 argv[0]);
    return 2;
}

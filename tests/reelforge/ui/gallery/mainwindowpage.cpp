#include "mainwindowpage.h"

#include "core/appservices.h"
#include "core/mediaimport.h"
#include "datamodel/codecinfo.h"
#include "kelapplication.h"
#include "shared/formattables.h"
#include "shared/settingsprovider.h"
#include "styles/kelstyle.h"
#include "styles/kelstylemanager.h"
#include "ui/mainwindow/cardslist.h"
#include "ui/mainwindow/dropindicator.h"
#include "ui/mainwindow/mainfooter.h"
#include "ui/mainwindow/mainheader.h"
#include "ui/mainwindow/mainwindow.h"
#include "ui/style.h"
#include "waitbound.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPainter>
#include <QProcess>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>

namespace {

const QSize WindowSize(1100, 820);

void runEvents(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

bool makeClip(const QString &path, const QString &source)
{
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 {"-v",
                  "error",
                  "-y",
                  "-f",
                  "lavfi",
                  "-i",
                  source,
                  "-f",
                  "lavfi",
                  "-i",
                  "sine=frequency=440:sample_rate=44100",
                  "-t",
                  "3",
                  "-pix_fmt",
                  "yuv420p",
                  "-c:v",
                  "libx264",
                  "-c:a",
                  "aac",
                  "-shortest",
                  path});
    return ffmpeg.waitForFinished(WaitBound::ms()) && ffmpeg.exitCode() == 0;
}

VideoItemPtr importClip(mediaimport &import, const QString &path)
{
    auto item = VideoItemPtr::create(QFileInfo(path));
    item->targetCodecInfo()->setFormat(QStringLiteral("mp4"));
    QEventLoop loop;
    QObject::connect(item.data(), &VideoItem::stateChanged, &loop, &QEventLoop::quit);
    QTimer::singleShot(WaitBound::ms(), &loop, &QEventLoop::quit);
    import.loadMetaInfo(item);
    if (item->state() == VideoItem::Importing)
        loop.exec();
    return item->state() == VideoItem::Imported ? item : VideoItemPtr();
}

QPixmap shoot(MainWindow *window)
{
    window->resize(WindowSize);
    window->show();
    runEvents(400);
    return window->grab();
}

} // namespace

bool saveMainWindowSheet(const QDir &dir, const QString &styleId, const QString &fileName)
{
    if (!KelStyleManager::instance()->setCurrentStyle(styleId))
        return false;
    QTemporaryDir folder;
    SettingsProvider settings(folder.filePath(QStringLiteral("reelforge.ini")),
                              QSettings::IniFormat);
    registerSettingsMetaTypes();
    if (auto *app = dynamic_cast<KelApplication *>(QCoreApplication::instance()))
        app->setSettings(&settings);
    const FormatTables tables;
    appServices().formatTables = &tables;

    QList<QPixmap> shots;
    {
        auto empty = std::make_unique<MainWindow>();
        empty->header()->updateCounters({});
        empty->header()->setHistoryCount(0);
        empty->footer()->updateCounters({});
        shots << shoot(empty.get());
    }

    const QString first = folder.filePath(QStringLiteral("Evening walk.mp4"));
    const QString second = folder.filePath(QStringLiteral("Test bars.mp4"));
    mediaimport import;
    if (!makeClip(first, QStringLiteral("testsrc2=size=1280x720:rate=25"))
        || !makeClip(second, QStringLiteral("smptehdbars=size=640x360:rate=25"))) {
        qWarning() << "ffmpeg could not make the clips";
        return false;
    }
    QStandardItemModel model;
    VideoItem::StateCountersMap counters;
    for (const QString &path : {first, second}) {
        const VideoItemPtr item = importClip(import, path);
        if (!item) {
            qWarning().noquote() << "could not import" << path;
            return false;
        }
        auto *row = new QStandardItem;
        row->setData(QVariant::fromValue(item), Qt::UserRole);
        model.appendRow(row);
        counters[VideoItem::Imported] += 1;
    }
    {
        // The gallery has no application models: the list shows these.
        auto withCards = std::make_unique<MainWindow>();
        withCards->queueList()->setModel(&model);
        withCards->queuePlaceholder()->hide();
        withCards->header()->updateCounters(counters);
        withCards->header()->setHistoryCount(0);
        withCards->footer()->updateCounters(counters);
        shots << shoot(withCards.get());
    }
    {
        // What a card tells beyond the plain states: an audio file without a
        // format, an audio target while converting, a failure with its
        // reason.
        const QString tone = folder.filePath(QStringLiteral("Morning call.m4a"));
        if (!makeClip(tone, QStringLiteral("sine=frequency=660:sample_rate=44100"))) {
            qWarning() << "ffmpeg could not make the audio file";
            return false;
        }
        const VideoItemPtr unset = importClip(import, tone);
        const VideoItemPtr toAudio = importClip(import, first);
        const VideoItemPtr failed = importClip(import, second);
        if (!unset || !toAudio || !failed)
            return false;
        unset->targetCodecInfo()->setFormat(QString());
        toAudio->targetCodecInfo()->setFormat(QStringLiteral("mp3"));
        toAudio->setState(VideoItem::Scheduled);
        toAudio->setState(VideoItem::Converting);
        toAudio->setProgress(400);
        failed->setState(VideoItem::Scheduled);
        failed->setState(VideoItem::ConvertFailed, VideoItem::OutputFolderNotWritable);
        QStandardItemModel told;
        for (const VideoItemPtr &item : {unset, toAudio, failed}) {
            auto *row = new QStandardItem;
            row->setData(QVariant::fromValue(item), Qt::UserRole);
            told.appendRow(row);
        }
        const VideoItem::StateCountersMap toldCounters{{VideoItem::Imported, 1},
                                                       {VideoItem::Converting, 1},
                                                       {VideoItem::ConvertFailed, 1}};
        auto withCards = std::make_unique<MainWindow>();
        withCards->queueList()->setModel(&told);
        withCards->queuePlaceholder()->hide();
        withCards->header()->updateCounters(toldCounters);
        withCards->header()->setHistoryCount(0);
        withCards->footer()->updateCounters(toldCounters);
        shots << shoot(withCards.get());
    }
    appServices().formatTables = nullptr;
    if (auto *app = dynamic_cast<KelApplication *>(QCoreApplication::instance()))
        app->setSettings(nullptr);

    // The window may be wider than asked: its lists are as wide as the footer.
    const int gap = 16;
    QSize size(gap, 0);
    for (const QPixmap &shot : qAsConst(shots)) {
        const QSize shotSize = shot.size() / shot.devicePixelRatio();
        size = QSize(size.width() + shotSize.width() + gap, qMax(size.height(), shotSize.height()));
    }
    QImage image(size + QSize(0, 2 * gap), QImage::Format_ARGB32_Premultiplied);
    image.fill(kelStyle()->color(Style::CL_Gray_5));
    QPainter painter(&image);
    int x = gap;
    for (const QPixmap &shot : qAsConst(shots)) {
        painter.drawPixmap(x, gap, shot);
        x += shot.width() / shot.devicePixelRatio() + gap;
    }
    painter.end();
    const QString path = dir.filePath(fileName);
    if (!image.save(path)) {
        qWarning().noquote() << "could not save" << path;
        return false;
    }
    qInfo().noquote() << "saved" << path;
    return true;
}

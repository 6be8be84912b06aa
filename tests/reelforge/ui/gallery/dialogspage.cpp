#include "dialogspage.h"

#include "core/appservices.h"
#include "core/player/playercore.h"
#include "datamodel/codecinfo.h"
#include "shared/formattables.h"
#include "styles/kelstylemanager.h"
#include "ui/player/timeslider.h"
#include "ui/targetcodecdialog.h"
#include "ui/trimdialog.h"
#include "ui/videodialogbase.h"
#include "ui/widgets/badgedbutton.h"
#include "widgets/kelbutton.h"

#include "fakeaudio.h"
#include "mediafixtures.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QElapsedTimer>
#include <QPixmap>

#include <functional>
#include <memory>

namespace {

constexpr qint64 Second = 10000000;

// The preview in its editor mode, with its player in reach.
class PreviewDialog : public VideoDialogBase
{
public:
    explicit PreviewDialog(VideoItemPtr item)
        : VideoDialogBase(EditorMode, std::move(item), nullptr, QString(), false)
    {
        // The editors name the buttons; these are what they show.
        rejectButton()->setText(QStringLiteral("Cancel"));
        acceptButton()->setText(QStringLiteral("Save"));
        translateUi();
    }
    using VideoDialogBase::mediaPlayer;
};

void runEventsFor(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

// Runs events until ready() or for at most timeoutMs.
void runEventsUntil(const std::function<bool()> &ready, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!ready() && clock.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

bool saveWindow(QWidget *window, const QString &path)
{
    const bool saved = window->grab().save(path);
    if (saved)
        qInfo().noquote() << "saved" << path;
    else
        qWarning().noquote() << "could not save" << path;
    return saved;
}

VideoItemPtr clipItem(const QString &path)
{
    auto item = VideoItemPtr::create(QFileInfo(path));
    item->setDuration(3 * Second);
    item->sourceCodecInfo()->setFormat(QStringLiteral("MP4"));
    item->sourceCodecInfo()->setResolution(QSize(320, 240));
    item->sourceCodecInfo()->setChannelCount(2);
    item->sourceCodecInfo()->setSamplerate(44100);
    item->targetCodecInfo()->setFormat(QStringLiteral("mp4"));
    item->targetCodecInfo()->setResolution(QSize(320, 240));
    return item;
}

} // namespace

bool saveDialogSheets(const QDir &dir, const QString &styleId, const QString &theme)
{
    if (!KelStyleManager::instance()->setCurrentStyle(styleId))
        return false;
    MediaFixtures fixtures;
    MediaFixtures::Clip clip;
    clip.frames = 75;
    clip.audioChannels = 2;
    const QString path = fixtures.make(QStringLiteral("clip.mp4"), clip);
    if (path.isEmpty())
        return false;
    // No sound from a gallery.
    FakeAudioDevices::install();
    const FormatTables tables;
    appServices().formatTables = &tables;

    bool saved = true;
    {
        PreviewDialog preview(clipItem(path));
        preview.show();
        runEventsUntil([&] { return !preview.mediaPlayer()->currentImage().isNull(); }, 10000);
        preview.player()->setTime(Second);
        runEventsFor(300);
        saved = saveWindow(&preview, dir.filePath(QStringLiteral("preview-%1.png").arg(theme)));
    }
    if (saved) {
        VideoItemPtr item = clipItem(path);
        item->setTrim(Second / 2, 5 * Second / 2);
        TrimDialog trim(item, nullptr, false);
        trim.show();
        runEventsFor(600);
        saved = saveWindow(&trim, dir.filePath(QStringLiteral("trim-%1.png").arg(theme)));
    }
    if (saved) {
        TargetCodecDialog codec(clipItem(path));
        codec.show();
        runEventsFor(300);
        saved = saveWindow(&codec, dir.filePath(QStringLiteral("codec-%1.png").arg(theme)));
    }
    appServices().formatTables = nullptr;
    FakeAudioDevices::uninstall();
    return saved;
}

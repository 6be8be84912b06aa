#include "editdialogspage.h"

#include "core/mediaimport.h"
#include "datamodel/pip/pipobject.h"
#include "datamodel/videoitem.h"
#include "kelapplication.h"
#include "styles/kelstyle.h"
#include "styles/kelstylemanager.h"
#include "ui/subtitlesdialog.h"
#include "ui/watermarkdialog.h"
#include "ui/widgets/fontscombo.h"
#include "utils/kelcolorutils.h"
#include "waitbound.h"
#include "widgets/kellineedit.h"

#include "appservicesfixture.h"
#include "mediafixtures.h"

#include <QDebug>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QPainter>
#include <QTimer>
#include <QVBoxLayout>

#include <memory>

namespace {

// Long enough for the preview's first frame and the fades.
constexpr int SettleMs = 1200;

void runEventsFor(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

bool save(const QPixmap &picture, const QDir &dir, const QString &fileName)
{
    const QString path = dir.filePath(fileName);
    if (picture.isNull() || !picture.save(path)) {
        qWarning().noquote() << "could not save" << path;
        return false;
    }
    qInfo().noquote() << "saved" << path;
    return true;
}

// What every sheet of this page shares, made once: the settings the dialogs
// read, a clip with a subtitles file beside it, and the fonts menu.
class Fixture
{
public:
    static Fixture *instance()
    {
        static std::unique_ptr<Fixture> fixture;
        if (!fixture) {
            auto *app = dynamic_cast<KelApplication *>(QCoreApplication::instance());
            if (!app)
                return nullptr;
            fixture = std::make_unique<Fixture>(*app);
        }
        return fixture->clip.isEmpty() ? nullptr : fixture.get();
    }

    explicit Fixture(KelApplication &app) : services(app)
    {
        MediaFixtures::Clip shape;
        shape.size = QSize(640, 360);
        shape.frames = 75;
        clip = media.make(QStringLiteral("Holiday at the lake.mp4"), shape);
        subtitles = media.path(QStringLiteral("Holiday at the lake.srt"));
        QFile srt(subtitles);
        if (srt.open(QIODevice::WriteOnly))
            srt.write("1\n00:00:00,000 --> 00:00:03,000\nWe got there before the rain\n");
        menuParent = std::make_unique<QWidget>();
        FontsCombo::initSharedMenu(menuParent.get(), 1002, 19, 1062);
        FontsCombo::setSharedMenuPlaceholderText(QStringLiteral("Start typing to filter fonts"));
    }

    VideoItemPtr importItem() const
    {
        auto item = VideoItemPtr::create(QFileInfo(clip));
        mediaimport import;
        QEventLoop loop;
        QObject::connect(item.data(), &VideoItem::stateChanged, &loop, &QEventLoop::quit);
        QTimer::singleShot(WaitBound::ms(), &loop, &QEventLoop::quit);
        import.loadMetaInfo(item);
        loop.exec();
        return item->state() == VideoItem::Imported ? item : VideoItemPtr();
    }

    AppServicesFixture services;
    MediaFixtures media;
    QString clip;
    QString subtitles;
    std::unique_ptr<QWidget> menuParent;
};

bool saveDialog(KelWindow *dialog, const QDir &dir, const QString &fileName)
{
    dialog->show();
    runEventsFor(SettleMs);
    return save(dialog->grab(), dir, fileName);
}

bool saveWatermarkDialog(Fixture &fixture, const QDir &dir, const QString &fileName)
{
    VideoItemPtr item = fixture.importItem();
    if (!item)
        return false;
    auto watermark = PipObjectPtr::create();
    watermark->setType(PipObject::TextWatermark);
    watermark->setText(QStringLiteral("Reel"));
    watermark->setFontFamily(QStringLiteral("DejaVu Sans"));
    watermark->setForegroundBrush(QBrush(Qt::white));
    watermark->setSize(0.4);
    watermark->setOpacity(0.8);
    watermark->setLocation(PipObject::Free);
    watermark->setCenterPoint(QPointF(0.6, 0.45));
    watermark->setAngle(30);
    item->setWatermark(watermark);
    WatermarkDialog dialog(item);
    return saveDialog(&dialog, dir, fileName);
}

bool saveSubtitlesDialog(Fixture &fixture, const QDir &dir, const QString &fileName)
{
    VideoItemPtr item = fixture.importItem();
    if (!item)
        return false;
    auto subtitles = PipObjectPtr::create();
    subtitles->setType(PipObject::Subtitles);
    subtitles->setFilePath(fixture.subtitles);
    subtitles->setFontFamily(QStringLiteral("DejaVu Sans"));
    subtitles->setSize(0.5);
    subtitles->setOpacity(1.0);
    QColor band(0x3188EF);
    band.setAlphaF(0.6);
    subtitles->setForegroundBrush(QBrush(Qt::white));
    subtitles->setBackgroundBrush(QBrush(band));
    subtitles->setLocation(PipObject::Aligned);
    subtitles->setAlignment(Qt::AlignBottom);
    item->setSubtitles(subtitles);
    SubtitlesDialog dialog(item);
    return saveDialog(&dialog, dir, fileName);
}

// The combo's window with the menu open below it, as one picture.
bool saveFontsMenu(const QDir &dir, const QString &fileName)
{
    GlobalFamiliesMenu *menu = FontsCombo::sharedMenu();
    if (!menu)
        return false;
    QWidget window;
    KelUtils::setBackgroundColor(&window, kelStyle()->color(KelStyle::CL_Window_Base));
    auto *layout = new QVBoxLayout(&window);
    layout->setContentsMargins(16, 16, 16, 16);
    auto *combo = new FontsCombo(18);
    combo->setFamily(QStringLiteral("DejaVu Sans"));
    layout->addWidget(combo);
    layout->addStretch();
    window.resize(320, 460);
    window.show();
    runEventsFor(200);
    // Filtered first: the whole list is taller than the offscreen screen.
    menu->filterField()->setText(QStringLiteral("sans"));
    runEventsFor(SettleMs);
    combo->setChecked(true);
    runEventsFor(SettleMs);
    if (!menu->isVisible())
        return false;

    const QRect windowRect(window.mapToGlobal(QPoint()), window.size());
    const QRect menuRect(menu->mapToGlobal(QPoint()), menu->size());
    const QRect area = windowRect.united(menuRect);
    QPixmap picture(area.size() * window.devicePixelRatioF());
    picture.setDevicePixelRatio(window.devicePixelRatioF());
    picture.fill(kelStyle()->color(KelStyle::CL_Window_Base));
    {
        QPainter painter(&picture);
        painter.drawPixmap(windowRect.topLeft() - area.topLeft(), window.grab());
        painter.drawPixmap(menuRect.topLeft() - area.topLeft(), menu->grab());
    }
    combo->setChecked(false);
    runEventsFor(SettleMs);
    return save(picture, dir, fileName);
}

} // namespace

bool saveEditDialogsSheets(const QDir &dir, const QString &styleId, const QString &theme)
{
    Fixture *fixture = Fixture::instance();
    if (!fixture || !KelStyleManager::instance()->setCurrentStyle(styleId))
        return false;
    return saveWatermarkDialog(*fixture, dir, QStringLiteral("watermark-%1.png").arg(theme))
            && saveSubtitlesDialog(*fixture, dir, QStringLiteral("subtitles-%1.png").arg(theme))
            && saveFontsMenu(dir, QStringLiteral("fontsmenu-%1.png").arg(theme));
}

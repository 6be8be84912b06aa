#include "ui/ui.h"

#include "application.h"
#include "core/appservices.h"
#include "datamodel/codecinfo.h"
#include "kelapplication.h"
#include "painting/kelpixmapcache.h"
#include "shared/enums.h"
#include "shared/formattables.h"
#include "shared/settingsprovider.h"
#include "styles/kelstyle.h"
#include "styles/kelstylemanager.h"
#include "ui/dialoglaunch.h"
#include "ui/mainwindow/mainwindow.h"
#include "ui/servicemodewindow.h"
#include "ui/settingsdialog.h"
#include "ui/style.h"
#include "ui/subtitlesdialog.h"
#include "ui/targetcodecdialog.h"
#include "ui/trimdialog.h"
#include "ui/watermarkdialog.h"
#include "ui/widgets/targetfoldercombo.h"
#include "widgets/kelbutton.h"
#include "windows/kelmessagebox.h"

#include <kellogger/tracelogger.h>
#include <metrics/metricsender.h>

#include <QCoreApplication>
#include <QDebug>
#include <QFileInfo>
#include <QImage>
#include <QPointer>
#include <QStyle>
#include <QTimer>

namespace {

// The question icon: the application's style draws none for it.
constexpr int QuestionIcon = 8;
constexpr int ThumbCacheLimitMb = 100;
constexpr int ShutdownTickMs = 1000;
constexpr int RejectButtonStyle = KelStyle::WT_Button_Dialog;
constexpr int AcceptButtonStyle = KelStyle::WT_Button_Dialog_Accent;

QString translate(const char *context, const char *text)
{
    return QCoreApplication::translate(context, text);
}

Application *application()
{
    return qobject_cast<Application *>(QCoreApplication::instance());
}

SettingsProvider *settings()
{
    return SettingsProvider::instance();
}

QString folderOf(const QString &path)
{
    return path.isEmpty() ? QString() : QFileInfo(path).absolutePath();
}

// A file chooser that starts in the current file's folder, else in the
// folder it remembers, else in the one files were last opened from, and
// remembers the folder of a chosen file.
QString chooseRemembered(KelUi *ui, const QString &title, const QString &filter,
                         const QString &currentPath, QString (SettingsProvider::*folder)() const,
                         void (SettingsProvider::*setFolder)(const QString &))
{
    SettingsProvider *store = settings();
    QString start = folderOf(currentPath);
    if (start.isEmpty() && store)
        start = (store->*folder)();
    if (start.isEmpty() && store)
        start = store->lastOpenFilePath();
    const QString file = ui->getOpenFileName(title, filter, start);
    const QString chosenFolder = folderOf(file);
    if (!chosenFolder.isEmpty() && store)
        (store->*setFolder)(chosenFolder);
    return file;
}

QSize deviceSize(const QSize &size, qreal dpr)
{
    return QSize(qRound(size.width() * dpr), qRound(size.height() * dpr));
}

// Scales the picture to cover size at the ratio and keeps its centre.
template<typename Picture>
Picture coverAndCrop(const Picture &source, const QSize &size, qreal dpr)
{
    const QSize target = deviceSize(size, dpr);
    const Picture scaled = source.scaled(target, Qt::KeepAspectRatioByExpanding,
                                         Qt::SmoothTransformation);
    const QRect crop = QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, target, scaled.rect())
                               .intersected(scaled.rect());
    Picture cropped = scaled.copy(crop);
    cropped.setDevicePixelRatio(dpr);
    return cropped;
}

} // namespace

class Ui::Private
{
public:
    KelPixmapCache *cache(QObject *owner);

    KelPixmapCache *thumbCache = nullptr;
    QPointer<ServiceModeWindow> serviceModeWindow;
};

Ui::Ui(KelApplication *app) : KelUi(app), d(std::make_unique<Private>())
{
    TraceLogger trace(Q_FUNC_INFO, QStringLiteral("Ui::Ui"));
    qInfo() << "Create UI controller";
}

Ui::~Ui()
{
    TraceLogger trace(Q_FUNC_INFO, QStringLiteral("Ui::~Ui"));
    qInfo() << "Delete UI controller";
    d.reset();
}

void Ui::init()
{
    TraceLogger trace(Q_FUNC_INFO, QStringLiteral("Ui::init"));
    qInfo() << "Init UI controller";
    Style::registerThemes(this);
    if (KelStyleManager *manager = styleManager())
        manager->applySavedStyle(QStringLiteral("LightStyle"));
    KelUi::init();
    TargetFolderCombo::setFolderChooser(
            [ui = QPointer<Ui>(this)] { return ui ? ui->selectOutputFolder() : QString(); });
}

KelWindow *Ui::createMainWindow()
{
    return new MainWindow;
}

bool Ui::confirmAbortAll(const QString &name)
{
    Q_UNUSED(name)
    return messageBox(translate("Dialog_Confirm_QuitApp",
                                "You have unfinished tasks. Do you really want to quit? "),
                      translate("Dialog_Confirm_Abort", "Abort all?"), QuestionIcon,
                      translate("Dialog_Confirm_Abort", "No"),
                      translate("Dialog_Confirm_Abort", "Yes"))
            == 2;
}

bool Ui::confirmQuitApp()
{
    return messageBox(translate("Dialog_Confirm_QuitApp",
                                "You have unfinished tasks. Do you really want to quit? "),
                      translate("Dialog_Confirm_Abort", "Abort all?"), QuestionIcon,
                      translate("Dialog_Confirm_QuitApp", "No"),
                      translate("Dialog_Confirm_QuitApp", "Yes"))
            == 2;
}

bool Ui::confirmClearHistory()
{
    return messageBox(translate("Dialog_Confirm_ClearHisotry", "Clear history?"), QString(),
                      QuestionIcon, translate("Dialog_Confirm_ClearHisotry", "No"),
                      translate("Dialog_Confirm_ClearHisotry", "Yes"))
            == 2;
}

bool Ui::confirmRemove(const QString &name, bool askAlways)
{
    SettingsProvider *store = settings();
    bool dontAsk = store && store->dontAskRemoveFromQueue();
    if (dontAsk && !askAlways)
        return true;
    const int answer = messageBox(translate("Dialog_Confirm_Remove", "Remove \"%1\"?").arg(name),
                                  QString(), QuestionIcon, translate("Dialog_Confirm_Remove", "No"),
                                  translate("Dialog_Confirm_Remove", "Yes"), QString(), &dontAsk,
                                  translate("Dialog_Confirm_Remove", "Don't ask again"));
    if (dontAsk && store)
        store->setDontAskRemoveFromQueue(true);
    return answer == 2;
}

int Ui::askApplyPreset(const QString &presetName, int options)
{
    if (options == Enums::ApplyPresetCancel)
        return Enums::ApplyPresetCancel;
    const QString selection = (options & Enums::ApplyPresetToSelection)
            ? translate("Dialog_ApplyPreset", "Selected video")
            : QString();
    const QString all = (options & Enums::ApplyPresetToAll)
            ? translate("Dialog_ApplyPreset", "Entire queue")
            : QString();
    const int answer = messageBox(translate("Dialog_ApplyPreset", "Apply \"%1\" to").arg(presetName),
                                  QString(), QuestionIcon,
                                  translate("Dialog_ApplyPreset", "Nothing"), selection, all);
    switch (answer) {
    case 3:
        return Enums::ApplyPresetToAll;
    case 2:
        return Enums::ApplyPresetToSelection;
    default:
        return Enums::ApplyPresetCancel;
    }
}

bool Ui::showShutdownCountdown(int seconds)
{
    int remaining = seconds;
    auto countdownText = [&remaining] {
        return translate("Dialog_Shutdown", "Shutdown in %1 sec").arg(remaining);
    };

    QPointer<KelMessageBox> box = new KelMessageBox(mainWindow(), true);
    const QString title = QCoreApplication::applicationName();
    box->setTitle(title);
    box->setWindowTitle(title);
    box->setIcon(kelStyle()->iconPath(QuestionIcon));
    auto *cancel = new KelButton(RejectButtonStyle);
    cancel->setText(translate("Dialog_Shutdown", "Cancel"));
    box->addButton(0, cancel);
    auto *turnOff = new KelButton(AcceptButtonStyle);
    turnOff->setText(translate("Dialog_Shutdown", "Turn off PC now"));
    box->addButton(1, turnOff, true);
    box->setText(countdownText());

    auto *timer = new QTimer(box);
    timer->setObjectName(QStringLiteral("ShutdownCountdown"));
    QObject::connect(timer, &QTimer::timeout, box, [&remaining, &countdownText, box, timer] {
        --remaining;
        box->setText(countdownText());
        if (remaining <= 0) {
            timer->stop();
            box->close();
        }
    });
    timer->start(ShutdownTickMs);

    box->applyStyle();
    const int result = box->exec(KelWindow::CenteredOnParent);
    delete box;
    return result == 1 || remaining <= 0;
}

void Ui::showNewVersionDialog(const QString &version, const QString &notesUrl,
                              const QString &downloadUrl)
{
    const QString link = makeLink(notesUrl, translate("Dialog_Update", "new features"));
    const QString message = translate("Dialog_Update",
                                      "New version of the program is available: <b>%1</b>.")
                                    .arg(version)
            + QLatin1String("<br>") + translate("Dialog_Update", "Read about") + QLatin1Char(' ')
            + link;
    const int answer = messageBox(message, translate("Dialog_Update", "Update available!"), 0,
                                  translate("Dialog_Update", "CANCEL"),
                                  translate("Dialog_Update", "DOWNLOAD"));
    if (answer != 2)
        return;
    openLinkInSuitableApp(downloadUrl);
    MetricSender::sendValue(QStringLiteral("upd"), 1);
}

void Ui::openHelp()
{
    if (auto *app = dynamic_cast<KelApplication *>(QCoreApplication::instance()))
        openLinkInSuitableApp(app->helpUrl());
}

void Ui::openLinkUrl()
{
    if (Application *app = application())
        openLinkInSuitableApp(app->linkUrl());
}

QStringList Ui::selectVideoFiles()
{
    const FormatTables *tables = appServices().formatTables;
    const QString video = tables ? tables->inputVideoFilter() : QString();
    const QString audio = tables ? tables->inputAudioFilter() : QString();
    const QStringList filters{translate("FileDialogs", "All files (%1)")
                                      .arg(video + QLatin1Char(' ') + audio),
                              translate("FileDialogs", "Video files (%1)").arg(video),
                              translate("FileDialogs", "Audio files (%1)").arg(audio)};
    // No start folder: the framework starts in, and remembers, the last
    // folder files were opened from.
    return getOpenFileNames(translate("FileDialogs", "Select video files"),
                            filters.join(QLatin1String(";;")), QString());
}

QString Ui::selectSubtitlesFile(const QString &currentPath)
{
    const FormatTables *tables = appServices().formatTables;
    return chooseRemembered(this, translate("FileDialogs", "Select subtitles file"),
                            translate("FileDialogs", "Subtitles (%1)")
                                    .arg(tables ? tables->subtitlesFilter() : QString()),
                            currentPath, &SettingsProvider::lastSubtitlesFolder,
                            &SettingsProvider::setLastSubtitlesFolder);
}

QString Ui::selectWatermarkFile(const QString &currentPath)
{
    const FormatTables *tables = appServices().formatTables;
    return chooseRemembered(this, translate("FileDialogs", "Select watermark file"),
                            translate("FileDialogs", "Image files (%1)")
                                    .arg(tables ? tables->imageFilter() : QString()),
                            currentPath, &SettingsProvider::lastWatermarkFolder,
                            &SettingsProvider::setLastWatermarkFolder);
}

QString Ui::selectOutputFolder()
{
    SettingsProvider *store = settings();
    const QString folder = getExistingDirectory(translate("FileDialogs", "Select output folder"),
                                                store ? store->targetFolderPath() : QString());
    if (!folder.isEmpty() && store)
        store->setTargetFolderPath(folder);
    return folder;
}

void Ui::showSettingsDialog()
{
    SettingsDialog dialog(mainWindow());
    dialog.exec(KelWindow::CenteredOnParent);
}

void Ui::showTargetCodecDialog(VideoItemPtr item)
{
    if (!item)
        return;
    TargetCodecDialog dialog(item, mainWindow());
    dialog.exec(KelWindow::CenteredOnParent);
}

void Ui::showSubtitlesDialog(VideoItemPtr item)
{
    DialogLaunch::showModeless(new SubtitlesDialog(item, mainWindow()));
}

void Ui::showWatermarkDialog(VideoItemPtr item)
{
    DialogLaunch::showModeless(new WatermarkDialog(item, mainWindow()));
}

void Ui::showTrimDialog(VideoItemPtr item)
{
    const bool audioOnly = item && item->sourceCodecInfo()
            && DialogLaunch::isAudioOnly(*item->sourceCodecInfo());
    qInfo() << "Trim dialog, audio only:" << audioOnly;
    if (item)
        DialogLaunch::showModeless(new TrimDialog(item, mainWindow(), audioOnly));
}

void Ui::showServiceModeWindow()
{
    if (d->serviceModeWindow) {
        d->serviceModeWindow->show();
        return;
    }
    d->serviceModeWindow = new ServiceModeWindow(mainWindow());
    d->serviceModeWindow->show();
}

KelPixmapCache *Ui::Private::cache(QObject *owner)
{
    if (!thumbCache) {
        thumbCache = new KelPixmapCache(owner);
        thumbCache->setObjectName(QStringLiteral("ThumbCache"));
        thumbCache->setCacheLimit(ThumbCacheLimitMb);
    }
    return thumbCache;
}

bool Ui::thumbnail(const QString &path, const QSize &size, qreal dpr, QPixmap &out)
{
    d->cache(this);
    const QString key = QStringLiteral("Thumb-%1-%2-%3-%4")
                                .arg(path, QString::number(size.width()),
                                     QString::number(size.height()), QString::number(dpr, 'g', 6));
    if (d->thumbCache->find(key, &out))
        return true;
    if (!out.load(path))
        return false;
    out = coverAndCrop(out, size, dpr);
    d->thumbCache->insert(key, out);
    return true;
}

bool Ui::thumbnailFromImage(const QImage &image, const QSize &size, qreal dpr, QPixmap &out)
{
    if (!image.isNull())
        out = QPixmap::fromImage(coverAndCrop(image, size, dpr));
    return !out.isNull();
}

bool Ui::thumbnailFromData(const QByteArray &data, const QString &key, const QSize &size, qreal dpr,
                           QPixmap &out)
{
    KelPixmapCache *cache = d->cache(this);
    const QString sizedKey = QStringLiteral("Data-%1-%2-%3-%4")
                                     .arg(key, QString::number(size.width()),
                                          QString::number(size.height()),
                                          QString::number(dpr, 'g', 6));
    if (cache->find(sizedKey, &out))
        return true;
    if (!thumbnailFromImage(QImage::fromData(data), size, dpr, out))
        return false;
    cache->insert(sizedKey, out);
    return true;
}

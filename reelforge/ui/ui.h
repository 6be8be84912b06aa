#pragma once

#include "datamodel/videoitem.h"
#include "kelui.h"

#include <QPixmap>
#include <QSize>
#include <QStringList>

#include <memory>

class KelApplication;
class QImage;

// The program's UI services on top of the framework's: the two themes, the
// queue's questions, the shutdown countdown, the new-version message, the
// file and folder choosers with the folders they remember, the launchers of
// the editing dialogs, the settings dialog and the maintenance window, and
// the thumbnail cache of the cards. Made by Application::createUi() and
// reached by casting kelUi().
//
//     Ui *ui = static_cast<Ui *>(kelUi());
//     if (ui->confirmRemove(item->targetName(), false))
//         ...
//
// Every question is a modal message box that returns once the user has
// answered. GUI thread only.
class Ui : public KelUi
{
public:
    explicit Ui(KelApplication *app);
    ~Ui() override;

    // Registers the light and the dark theme, applies the saved one (light
    // on a first run), then the framework's set-up.
    void init() override;

    bool confirmAbortAll(const QString &name);
    bool confirmQuitApp();
    bool confirmClearHistory();
    // With "don't ask again" saved and askAlways false, true without asking.
    bool confirmRemove(const QString &name, bool askAlways);
    // options: Enums apply-preset flags on offer; answers one of them, and
    // ApplyPresetCancel for any close of the box but the two apply buttons.
    int askApplyPreset(const QString &presetName, int options);
    // True when the user chose to shut down now or the count ran out.
    bool showShutdownCountdown(int seconds = 15);

    void showNewVersionDialog(const QString &version, const QString &notesUrl,
                              const QString &downloadUrl) override;
    void openHelp();
    void openLinkUrl();

    // Empty when cancelled; a cancel remembers no folder.
    QStringList selectVideoFiles();
    QString selectSubtitlesFile(const QString &currentPath);
    QString selectWatermarkFile(const QString &currentPath);
    QString selectOutputFolder();

    void showSettingsDialog();
    void showTargetCodecDialog(VideoItemPtr item);
    // Not modal: each returns at once and the dialog deletes itself when
    // closed.
    void showSubtitlesDialog(VideoItemPtr item);
    void showWatermarkDialog(VideoItemPtr item);
    void showTrimDialog(VideoItemPtr item);
    // One window, shown again on later calls while it lives.
    void showServiceModeWindow();

    // The image file at path covering size (logical pixels) at the ratio,
    // centre-cropped, through the thumbnail cache. False, with nothing
    // cached, when the file cannot be read.
    bool thumbnail(const QString &path, const QSize &size, qreal dpr, QPixmap &out);
    // The same without the cache; false for a null image.
    bool thumbnailFromImage(const QImage &image, const QSize &size, qreal dpr, QPixmap &out);
    // thumbnailFromImage for an encoded image, decoded on a miss of the
    // thumbnail cache under a key that names these bytes alone.
    bool thumbnailFromData(const QByteArray &data, const QString &key, const QSize &size, qreal dpr,
                           QPixmap &out);

protected:
    // The program's MainWindow.
    KelWindow *createMainWindow() override;

private:
    class Private;
    std::unique_ptr<Private> d;
};

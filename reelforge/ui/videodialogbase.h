#pragma once

#include "datamodel/videoitem.h"
#include "ui/abstractdialog.h"
#include "widgets/kelwidget.h"

#include <QSharedPointer>

#include <memory>

class KelButton;
class KelFrame;
class KelLabel;
class PlayerWidget;
class TimeSlider;
class VolumeButton;
class playercore;

// The shared window of the preview editors: the frame view of the item's
// source, with the player's controls under it, an optional right-hand box
// for the editor's own controls (mode 0) and the Cancel and Save buttons at
// the bottom right. Owns the preview player. Mode 0 shows the item's
// trimmed part on the slider; mode 1 (the trim editor) the whole source.
// Space, a click on the frame view and the play button toggle playback.
//
//     class TrimDialog : public VideoDialogBase
//     {
//         TrimDialog(VideoItemPtr item, QWidget *parent, bool audioOnly)
//             : VideoDialogBase(1, item, parent, "TrimDialog", audioOnly) { }
//     };
//
// GUI thread only.
class VideoDialogBase : public AbstractDialog
{
    Q_OBJECT

public:
    class PlayerControls;
    enum Mode { EditorMode = 0, TrimMode = 1 };
    Q_ENUM(Mode)

    // An empty objectName saves and restores no geometry.
    VideoDialogBase(int mode, VideoItemPtr item, QWidget *parent, const QString &objectName,
                    bool audioOnly);
    ~VideoDialogBase() override;

    // The controls' time slider.
    TimeSlider *player() const;

    void translateUi() override;

protected:
    void keyPressEvent(QKeyEvent *event) override;

    int mode() const;
    VideoItemPtr item() const;
    // Whether a Save can still reach the output: only before the item's
    // task went to the worker. Otherwise tells the user so and answers
    // false.
    bool itemTakesEdits();
    PlayerWidget *playerWidget() const;
    // Null in mode 1.
    KelFrame *rightBox() const;
    PlayerControls *controls() const;
    KelWidget *dialogButtons() const;
    QSharedPointer<playercore> mediaPlayer() const;

private:
    void onPlayToggled(bool checked);

    class Private;
    std::unique_ptr<Private> d;
};

// The preview's controls row: play button, current time, time slider,
// duration and volume button. Follows the player's position unless the user
// holds the slider, and unchecks the play button at the end of the active
// range (the trim range when the slider shows trim handles).
class VideoDialogBase::PlayerControls : public KelWidget
{
    Q_OBJECT

public:
    explicit PlayerControls(QWidget *parent = nullptr);
    ~PlayerControls() override;

    KelButton *playButton() const;
    KelLabel *currentLabel() const;
    TimeSlider *slider() const;
    KelLabel *durationLabel() const;
    VolumeButton *volumeButton() const;

    // The trim range while the trim handles show, else the time range.
    QPair<qint64, qint64> activeRange() const;

    void onPositionChanged(qint64 pos);
    void updateCurrentTimeLabel();
    void updateTrimTexts();
    void togglePlay();

private:
    KelButton *m_playButton = nullptr;
    KelLabel *m_currentLabel = nullptr;
    TimeSlider *m_slider = nullptr;
    KelLabel *m_durationLabel = nullptr;
    VolumeButton *m_volumeButton = nullptr;
};

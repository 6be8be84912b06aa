#include "ui/videodialogbase.h"

#include "core/mediatime.h"
#include "core/player/playercore.h"
#include "core/player/volumemanager.h"
#include "kelui.h"
#include "shared/formatters.h"
#include "shared/settingsprovider.h"
#include "styles/kelstyle.h"
#include "ui/player/playerwidget.h"
#include "ui/player/timeslider.h"
#include "ui/player/volumebutton.h"
#include "ui/style.h"
#include "ui/widgets/badgedbutton.h"
#include "utils/kelgeometryutils.h"
#include "widgets/kelbutton.h"
#include "widgets/kelframe.h"
#include "widgets/kellabel.h"

#include <QCoreApplication>
#include <QDebug>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QScreen>
#include <QVBoxLayout>

namespace {

constexpr int DialogStyle = Style::WT_Window_Compact;
constexpr int ShadowStyle = KelStyle::WT_PopupMenu;
constexpr int SideMetric = Style::M_Inset;
constexpr int PlayButtonStyle = Style::WT_Button_Play;
constexpr int TimeLabelStyle = Style::WT_Label_14;
constexpr int PositionSliderStyle = Style::WT_Slider_Position;
const char PlayIcon[] = ":/svg/player-start.svg";
constexpr int ControlsHeight = 32;
constexpr int DialogButtonsWidth = 244;
constexpr int AudioOnlyMinimumWidth = 960;
constexpr int UnsavedMinimumWidth = 960;
// Play pressed this close to the end of the range starts again at its start.
constexpr qint64 RestartMargin = MediaTime::ticksFromMilliseconds(200);

KelWindow::WindowParams dialogParams(bool audioOnly)
{
    return audioOnly
            ? KelWindow::WindowParams(KelWindow::WindowButtons)
            : KelWindow::WindowParams(KelWindow::Movable | KelWindow::Resizable
                                      | KelWindow::MinimizeButton | KelWindow::MaximizeButton
                                      | KelWindow::WindowButtons);
}

} // namespace

class VideoDialogBase::Private
{
public:
    int mode = EditorMode;
    VideoItemPtr item;
    PlayerWidget *playerWidget = nullptr;
    KelFrame *rightBox = nullptr;
    QSharedPointer<playercore> player;
    PlayerControls *controls = nullptr;
    KelWidget *dialogButtons = nullptr;
};

VideoDialogBase::VideoDialogBase(int mode, VideoItemPtr item, QWidget *parent,
                                 const QString &objectName, bool audioOnly)
    : AbstractDialog(DialogStyle, dialogParams(audioOnly), parent, ShadowType(ShadowStyle)),
      d(std::make_unique<Private>())
{
    d->mode = mode;
    d->item = std::move(item);

    const int side = mode == TrimMode ? 16 : 32;
    const int gap = mode == TrimMode ? side : side - kelStyle()->metric(SideMetric);

    // The dialog's own buttons move into the bottom row.
    footerWidget()->hide();
    QWidget *central = contentWidget();
    auto *column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    auto *topRow = new QHBoxLayout;
    auto *bottomRow = new QHBoxLayout;
    column->addLayout(topRow);
    column->addLayout(bottomRow);

    d->player = QSharedPointer<playercore>::create();
    // The player reports a file it cannot open from within init().
    connect(
            d->player.data(), &playercore::sourceFileError, this,
            [](const QString &text) {
                qCritical().noquote() << "[PLAYER] Can't open file: " + text;
            },
            Qt::DirectConnection);
    d->player->init(d->item->sourceFileInfo().absoluteFilePath(), d->item->trim().first,
                    d->item->trim().second);

    topRow->setContentsMargins(16, 0, side, 0);
    topRow->setSpacing(gap);
    topRow->setSizeConstraint(QLayout::SetMinimumSize);
    d->playerWidget = new PlayerWidget(d->item, d->player.toWeakRef(), this);
    topRow->addWidget(d->playerWidget);
    if (audioOnly) {
        central->setMinimumWidth(AudioOnlyMinimumWidth);
        d->playerWidget->hide();
    }
    if (mode == EditorMode) {
        d->rightBox = new KelFrame(this);
        topRow->addWidget(d->rightBox);
    }

    bottomRow->setContentsMargins(16, 8, side, 16);
    bottomRow->setSpacing(0);
    d->controls = new PlayerControls(this);
    bottomRow->addWidget(d->controls, 0, Qt::AlignBottom);
    d->controls->setContentsMargins(0, 0, gap, 0);
    d->dialogButtons = new KelWidget(this);
    bottomRow->addWidget(d->dialogButtons);
    auto *buttons = new QHBoxLayout(d->dialogButtons);
    if (mode == EditorMode)
        buttons->setContentsMargins(kelStyle()->metric(SideMetric), 0, 0, 0);
    else
        buttons->setContentsMargins(0, 0, 0, 0);
    buttons->setSpacing(10);
    buttons->addWidget(rejectButton());
    buttons->addWidget(acceptButton());

    TimeSlider *slider = d->controls->slider();
    qint64 start = 0;
    qint64 length = d->item->duration();
    if (mode == EditorMode) {
        start = d->item->isTrimmed() ? d->item->trim().first : 0;
        length = d->item->trimmedDuration();
    }
    d->controls->durationLabel()->setText(formatDuration(length));
    slider->setTimeRange(start, start + length);

    SettingsProvider *settings = SettingsProvider::instance();
    const double volume = settings ? settings->lastVolume() : 1.0;
    d->controls->volumeButton()->setVolume(volume);
    if (volumemanager *manager = d->player->volumeManager())
        manager->setVolume(float(volume));

    playercore *player = d->player.data();
    connect(player, &playercore::currentPosChanged, d->controls, &PlayerControls::onPositionChanged,
            Qt::DirectConnection);
    connect(player, &playercore::hasNewFrame, d->playerWidget, qOverload<>(&QWidget::update),
            Qt::DirectConnection);
    connect(
            player, &playercore::stopped, this,
            [this] {
                KelButton *play = d->controls->playButton();
                if (play->isChecked())
                    play->setCheckedState(false);
            },
            Qt::DirectConnection);
    connect(d->playerWidget, &PlayerWidget::clicked, d->controls, &PlayerControls::togglePlay,
            Qt::DirectConnection);
    connect(d->controls->playButton(), &KelButton::toggled, this, &VideoDialogBase::onPlayToggled,
            Qt::DirectConnection);
    connect(slider, &TimeSlider::timeValueChanged, player, &playercore::setCurrentPosition,
            Qt::DirectConnection);
    connect(d->controls->volumeButton(), &VolumeButton::volumeChanged, player,
            &playercore::onVolumeLevelChanged, Qt::DirectConnection);
    if (settings)
        connect(d->controls->volumeButton(), &VolumeButton::volumeChanged, settings,
                &SettingsProvider::setLastVolume, Qt::DirectConnection);
    // The player opened at the source's start; a trimmed item's preview
    // starts where its range does.
    if (start > 0)
        player->setCurrentPosition(start);

    setObjectName(objectName);
    if (objectName.isEmpty() || !hasSavedGeometry()) {
        // At its minimum width the slider of a trim window has no room.
        resize(sizeHint().expandedTo(QSize(UnsavedMinimumWidth, 0)));
    } else {
        restoreSavedGeometry();
        if (!isMaximized()) {
            QScreen *screen = QGuiApplication::screenAt(geometry().center());
            if (!screen)
                screen = QGuiApplication::primaryScreen();
            const QRect available = screen ? screen->availableGeometry() : QRect();
            if (available.isValid() && !available.contains(geometry()))
                setGeometry(KelUtils::scaledRectInside(geometry(), available, Qt::KeepAspectRatio));
        }
    }

    d->dialogButtons->setObjectName(QStringLiteral("DialogButtons"));
    if (d->rightBox)
        d->rightBox->setObjectName(QStringLiteral("RightBox"));
}

VideoDialogBase::~VideoDialogBase()
{
    if (!objectName().isEmpty())
        saveWindowGeometry();
    d->player.reset();
    d->item.reset();
}

TimeSlider *VideoDialogBase::player() const
{
    return d->controls->slider();
}

void VideoDialogBase::translateUi()
{
    KelWindow::translateUi();
    if (d->mode == TrimMode) {
        d->dialogButtons->setFixedWidth(DialogButtonsWidth);
        return;
    }
    const int width = qMax(qMax(kelStyle()->metric(SideMetric) + DialogButtonsWidth,
                                d->rightBox->sizeHint().width()),
                           d->dialogButtons->sizeHint().width());
    d->rightBox->setFixedWidth(width);
    d->dialogButtons->setFixedWidth(width);
}

void VideoDialogBase::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Space) {
        KelButton *play = d->controls->playButton();
        play->setChecked(!play->isChecked());
        event->accept();
        return;
    }
    KelWindow::keyPressEvent(event);
}

int VideoDialogBase::mode() const
{
    return d->mode;
}

VideoItemPtr VideoDialogBase::item() const
{
    return d->item;
}

bool VideoDialogBase::itemTakesEdits()
{
    const VideoItemPtr it = item();
    const VideoItem::State state = it ? it->state() : VideoItem::Imported;
    if (state != VideoItem::Scheduled && state != VideoItem::Converting
        && state != VideoItem::Converted && state != VideoItem::History)
        return true;
    if (KelUi *ui = kelUi())
        ui->messageBox(QCoreApplication::translate(
                               "VideoDialogBase",
                               "The file is already being converted or done; this change "
                               "can no longer be saved."),
                       QString(), -1, QString(), QString(), QString(), nullptr, QString(), this);
    return false;
}

PlayerWidget *VideoDialogBase::playerWidget() const
{
    return d->playerWidget;
}

KelFrame *VideoDialogBase::rightBox() const
{
    return d->rightBox;
}

VideoDialogBase::PlayerControls *VideoDialogBase::controls() const
{
    return d->controls;
}

KelWidget *VideoDialogBase::dialogButtons() const
{
    return d->dialogButtons;
}

QSharedPointer<playercore> VideoDialogBase::mediaPlayer() const
{
    return d->player;
}

void VideoDialogBase::onPlayToggled(bool checked)
{
    qInfo() << "play but toggled" << checked;
    if (!checked) {
        d->player->onPause();
        return;
    }
    TimeSlider *slider = d->controls->slider();
    const QPair<qint64, qint64> range = d->controls->activeRange();
    if (slider->sliderTime() > range.second - RestartMargin)
        slider->setTime(range.first);
    d->player->onPlay();
}

VideoDialogBase::PlayerControls::PlayerControls(QWidget *parent) : KelWidget(parent)
{
    m_playButton = new KelButton(PlayButtonStyle, QLatin1String(PlayIcon), this);
    m_currentLabel = new KelLabel(TimeLabelStyle, this);
    m_slider = new TimeSlider(PositionSliderStyle, this);
    m_durationLabel = new KelLabel(TimeLabelStyle, this);
    m_volumeButton = new VolumeButton(this);

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(m_playButton);
    row->addSpacing(10);
    row->addWidget(m_currentLabel, 1);
    row->addSpacing(8);
    row->addWidget(m_slider, 100);
    row->addSpacing(8);
    row->addWidget(m_durationLabel, 1);
    row->addSpacing(10);
    row->addWidget(m_volumeButton);
    setFixedHeight(ControlsHeight);
    m_slider->setHandleMargin(0);

    connect(m_slider, &TimeSlider::timeSliderMoved, this, &PlayerControls::updateCurrentTimeLabel);
    connect(m_slider, &TimeSlider::updateTrimTextsRequest, this, &PlayerControls::updateTrimTexts);
    updateCurrentTimeLabel();

    setObjectName(QStringLiteral("PlayerControls"));
    m_playButton->setObjectName(QStringLiteral("PlayButton"));
    m_currentLabel->setObjectName(QStringLiteral("CurrLabel"));
    m_slider->setObjectName(QStringLiteral("PosSlider"));
    m_slider->positionHandle()->setObjectName(QStringLiteral("PosSliderHandle"));
    m_durationLabel->setObjectName(QStringLiteral("DurationLabel"));
    m_volumeButton->setObjectName(QStringLiteral("VolumeButton"));
}

VideoDialogBase::PlayerControls::~PlayerControls() = default;

KelButton *VideoDialogBase::PlayerControls::playButton() const
{
    return m_playButton;
}

KelLabel *VideoDialogBase::PlayerControls::currentLabel() const
{
    return m_currentLabel;
}

TimeSlider *VideoDialogBase::PlayerControls::slider() const
{
    return m_slider;
}

KelLabel *VideoDialogBase::PlayerControls::durationLabel() const
{
    return m_durationLabel;
}

VolumeButton *VideoDialogBase::PlayerControls::volumeButton() const
{
    return m_volumeButton;
}

QPair<qint64, qint64> VideoDialogBase::PlayerControls::activeRange() const
{
    return m_slider->isTrimVisible() ? m_slider->trimRange() : m_slider->timeRange();
}

void VideoDialogBase::PlayerControls::onPositionChanged(qint64 pos)
{
    // The user is seeking: only the label follows.
    if (!m_slider->isSliderDown() && !m_slider->positionHandle()->isPressed()) {
        const QPair<qint64, qint64> range = activeRange();
        if (m_slider->sliderTime() > range.second - 1 && m_playButton->isChecked())
            m_playButton->setChecked(false);
        const bool trimEnabled = m_slider->isTrimEnabled();
        m_slider->setTrimEnabled(false);
        m_slider->setTimeQuiet(pos);
        m_slider->setTrimEnabled(trimEnabled);
    }
    updateCurrentTimeLabel();
}

void VideoDialogBase::PlayerControls::updateCurrentTimeLabel()
{
    m_currentLabel->setText(formatDuration(m_slider->sliderTime() - m_slider->timeRange().first));
}

void VideoDialogBase::PlayerControls::updateTrimTexts()
{
    const QPair<qint64, qint64> range = m_slider->trimRange();
    m_slider->leftTrimHandle()->setText(formatDuration(range.first));
    m_slider->rightTrimHandle()->setText(formatDuration(range.second));
}

void VideoDialogBase::PlayerControls::togglePlay()
{
    m_playButton->setChecked(!m_playButton->isChecked());
}

#include "moc_videodialogbase.cpp"

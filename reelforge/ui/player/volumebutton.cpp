#include "ui/player/volumebutton.h"

#include "styles/kelstyle.h"
#include "ui/style.h"
#include "widgets/kelbutton.h"
#include "widgets/kellabel.h"
#include "widgets/kelslider.h"
#include "windows/kelpopupmenu.h"

#include <QBoxLayout>
#include <QtGlobal>

class VolumeButton::Private : public QObject
{
public:
    explicit Private(VolumeButton *owner);

    void buildPopup();
    void onMuteToggled(bool checked);
    void rememberLevel();
    void onLevelChanged(int value);
    void emitVolume();
    void refresh();

    VolumeButton *owner;
    KelButton *muteButton = nullptr;
    KelSlider *slider = nullptr;
    KelLabel *label = nullptr;
    bool muted = false;
    int volume = 100;
    int unmutedVolume = 100;
};

VolumeButton::Private::Private(VolumeButton *owner) : QObject(owner), owner(owner) { }

void VolumeButton::Private::buildPopup()
{
    KelPopupMenu *popup = owner->popup();
    popup->setObjectName(QStringLiteral("VolumeButtonPopup"));
    popup->setCloseOnClick(false);
    popup->setupContent(0, 39);

    label = new KelLabel(KelStyle::WT_Label);
    label->setAlignment(Qt::AlignCenter);
    slider = new KelSlider(KelStyle::WT_Slider_Default, Qt::Vertical);
    slider->setObjectName(QStringLiteral("VolumeSlider"));
    slider->setRange(0, 100);
    slider->setFixedHeight(2 * kelStyle()->metric(Style::M_Inset) + 100);
    muteButton = new KelButton(Style::WT_Toggle_Small);
    muteButton->setCheckable(true);
    muteButton->setObjectName(QStringLiteral("MuteButton"));

    QBoxLayout *layout = popup->contentLayout();
    layout->setContentsMargins(8, 8, 8, 11);
    layout->setSpacing(7);
    layout->addWidget(label, 0, Qt::AlignHCenter);
    layout->addWidget(slider, 0, Qt::AlignHCenter);
    layout->addSpacing(4);
    layout->addWidget(muteButton, 0, Qt::AlignHCenter);

    slider->setValueSilently(volume);
    muteButton->setCheckedState(muted);
    refresh();

    connect(muteButton, &KelButton::toggled, this, &Private::onMuteToggled);
    connect(slider, &QAbstractSlider::sliderPressed, this, &Private::rememberLevel);
    connect(slider, &QAbstractSlider::sliderReleased, this, &Private::rememberLevel);
    connect(slider, &QAbstractSlider::valueChanged, this, &Private::onLevelChanged);
}

void VolumeButton::Private::onMuteToggled(bool checked)
{
    muted = !checked;
    volume = muted ? 0 : unmutedVolume;
    emitVolume();
    slider->setValueSilently(volume);
    refresh();
}

void VolumeButton::Private::rememberLevel()
{
    const int level = qBound(0, slider->sliderPosition(), 100);
    if (level != 0 && level != unmutedVolume)
        unmutedVolume = level;
}

void VolumeButton::Private::onLevelChanged(int)
{
    volume = qBound(0, slider->sliderPosition(), 100);
    muted = volume == 0;
    emitVolume();
    refresh();
}

void VolumeButton::Private::emitVolume()
{
    emit owner->volumeChanged(qBound(0.0, volume / 100.0, 1.0));
}

void VolumeButton::Private::refresh()
{
    label->setNum(volume);
    muteButton->setCheckedState(!muted);
    slider->setToolTip(QString::number(volume));
    owner->setIcon(volume != 0 && !muted ? ":/svg/volume-100.svg" : ":/svg/volume-0.svg");
}

VolumeButton::VolumeButton(QWidget *parent)
    : KelPopupMenuButton(Style::WT_Button_Tool_32, OpenOnToggle, Qt::TopEdge, Qt::AlignLeft, parent),
      d(std::make_unique<Private>(this))
{
    setObjectName(QStringLiteral("VolumeButton"));
    setPopupOffset(4, 0);
    d->buildPopup();
}

VolumeButton::~VolumeButton() = default;

void VolumeButton::setVolume(double v)
{
    if (qFuzzyCompare(v, d->volume / 100.0))
        return;
    const int percent = qBound(0, qRound(v * 100), 100);
    d->volume = percent;
    d->unmutedVolume = percent;
    d->slider->setValueSilently(percent);
    d->refresh();
}

#include "moc_volumebutton.cpp"

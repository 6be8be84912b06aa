#pragma once

#include "windows/kelpopupmenubutton.h"

#include <memory>

// The player's volume control: a popup-menu button whose popup holds the
// level in percent, a vertical slider from 0 to 100 and a sound on/off
// button. Dragging the slider to 0 switches the sound off; switching it on
// again returns to the last level at which the slider was pressed or
// released. volumeChanged() reports the level from 0 to 1 for every change
// the user makes; setVolume() emits nothing.
//
//     auto *volume = new VolumeButton(controls);
//     volume->setVolume(settings.value("lastVolume", 1.0).toDouble());
//     connect(volume, &VolumeButton::volumeChanged, player, &Player::setVolume);
//
// GUI thread only.
class VolumeButton : public KelPopupMenuButton
{
    Q_OBJECT

public:
    explicit VolumeButton(QWidget *parent = nullptr);
    ~VolumeButton() override;

    // v from 0 to 1; also the level that switching the sound on returns
    // to. The sound stays on or off as it was.
    void setVolume(double v);

signals:
    void volumeChanged(double vol);

private:
    class Private;
    std::unique_ptr<Private> d;
};

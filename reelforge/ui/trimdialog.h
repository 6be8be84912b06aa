#pragma once

#include "ui/videodialogbase.h"

// The trim editor: the whole source on the time slider, whose two bubble
// handles choose the part that is converted. Save stores the pair on the
// item; it is enabled while the part is at least a second long and cuts
// something off. An audio-only source shows no picture and keeps no window
// geometry.
//
//     auto *dialog = new TrimDialog(item, mainWindow, audioOnly);
//     DialogLaunch::showModeless(dialog);
//
// GUI thread only.
class TrimDialog : public VideoDialogBase
{
    Q_OBJECT

public:
    TrimDialog(VideoItemPtr item, QWidget *parent, bool audioOnly);
    ~TrimDialog() override;

    void loadData() override;
    bool onAccept() override;
    void translateUi() override;

private:
    void updateSaveButton();
};

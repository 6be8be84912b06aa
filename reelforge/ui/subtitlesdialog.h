#pragma once

#include "datamodel/pip/pipobject.h"
#include "datamodel/videoitem.h"
#include "ui/videodialogbase.h"

#include <memory>

// Attaches a subtitles file to one queue item and sets how its lines are
// drawn over a live preview: font, size, opacity, text colour with or
// without a background band, and vertical position. Works on a copy (of the
// item's subtitles, else of the last-used style); Save hands the copy to
// the item and remembers its style.
//
//     auto *dialog = new SubtitlesDialog(item, mainWindow);
//     dialog->setAttribute(Qt::WA_DeleteOnClose);
//     dialog->showWithStrategy(KelWindow::CenteredOnParent);
//
// GUI thread only.
class SubtitlesDialog : public VideoDialogBase
{
    Q_OBJECT

public:
    explicit SubtitlesDialog(VideoItemPtr item, QWidget *parent = nullptr);
    ~SubtitlesDialog() override;

    // The copy being edited.
    PipObjectPtr pipObject() const;

    void loadData() override;
    bool onAccept() override;
    void translateUi() override;

private:
    class Private;
    std::unique_ptr<Private> d;
};

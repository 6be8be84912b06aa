#pragma once

#include "datamodel/pip/pipobject.h"
#include "datamodel/videoitem.h"
#include "ui/videodialogbase.h"

#include <memory>

class ResizerOverlay;

// Edits the watermark of one queue item, an image or a text, over a live
// preview: type, file or text and font, size, opacity, free or tiled
// placement and angle. A freely placed watermark is moved, scaled and
// turned with the box editor over the picture. Works on a copy (of the
// item's watermark, else of the last-used one); Save hands the copy to the
// item and remembers it as the last-used watermark.
//
//     auto *dialog = new WatermarkDialog(item, mainWindow);
//     dialog->setAttribute(Qt::WA_DeleteOnClose);
//     dialog->showWithStrategy(KelWindow::CenteredOnParent);
//
// GUI thread only.
class WatermarkDialog : public VideoDialogBase
{
    Q_OBJECT

public:
    explicit WatermarkDialog(VideoItemPtr item, QWidget *parent = nullptr);
    ~WatermarkDialog() override;

    // The copy being edited.
    PipObjectPtr pipObject() const;
    ResizerOverlay *overlay() const;

    void loadData() override;
    bool onAccept() override;
    void translateUi() override;

private:
    class Private;
    std::unique_ptr<Private> d;
};

#pragma once

#include "datamodel/videoitem.h"
#include "ui/abstractdialog.h"

#include <memory>

class FormatsCombo;
class ResolutionsCombo;

// The output file settings of one queue item: its container format and
// frame size. The size chooser is off for the audio formats. Save writes
// both into the item's target codec info; Cancel leaves it as it was.
//
//     TargetCodecDialog dialog(item, mainWindow);
//     dialog.exec(KelWindow::CenteredOnParent);
//
// GUI thread only.
class TargetCodecDialog : public AbstractDialog
{
    Q_OBJECT

public:
    TargetCodecDialog(VideoItemPtr item, QWidget *parent = nullptr);
    ~TargetCodecDialog() override;

    void loadData() override;
    bool onAccept() override;
    void translateUi() override;

    FormatsCombo *formatsCombo() const;
    ResolutionsCombo *resolutionsCombo() const;

private:
    void enableResolutions(const QString &format);

    class Private;
    std::unique_ptr<Private> d;
};

#pragma once

#include "windows/kelcombobox.h"

#include <functional>

// The output folder chooser: input folder, subfolder, desktop, documents
// or a folder of the user's ("Select folder..."), read from and written to
// the settings. Mode 1 is the footer's form ("Save to:" over the folder,
// with a divider before the arrow), mode 0 the plain form that shows only
// the folder. "Select folder..." asks for a folder through the folder
// chooser; when that is cancelled, the type chosen before the popup opened
// is selected and stored again.
//
//     auto *folder = new TargetFolderCombo(TargetFolderCombo::FooterMode, footer);
//
// GUI thread only.
class TargetFolderCombo : public KelComboBox
{
    Q_OBJECT

public:
    enum Mode { PlainMode = 0, FooterMode = 1 };
    Q_ENUM(Mode)

    // Asks the user for the output folder: the chosen folder, or an empty
    // path when the user cancelled. The combo stores a non-empty choice.
    using FolderChooser = std::function<QString()>;

    explicit TargetFolderCombo(int mode, QWidget *parent = nullptr);
    ~TargetFolderCombo() override;

    // Used by every combo; an empty function restores the default, a folder
    // dialog that starts at the stored folder path.
    static void setFolderChooser(const FolderChooser &chooser);

    int mode() const;
    // An Enums::TargetFolderType value.
    int folderType() const;

    void translateUi();

    void paint(KelPaintContext &ctx) override;

protected:
    void aboutToShowPopup(bool *allow) override;

private:
    class Private;
    std::unique_ptr<Private> d;
};

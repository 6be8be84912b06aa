#pragma once

#include "ui/widgets/presetscombo.h"
#include "windows/kelpopup.h"

#include <memory>

class ItemButton;
class KelButton;
class KelExclusiveButtonGroup;
class KelLineEdit;
class KelWindowBlockedOverlay;
class ScrollArea;

// The preset chooser's popup: a header with one button per preset group,
// a search field and a close button; below it the subgroups of the checked
// group that match the search on the left and the presets of the checked
// subgroup on the right. Opens above its chooser, sliding up while it
// fades in, and darkens the chooser's window above its lower edge while it
// is shown. GUI thread only.
class PresetsCombo::PresetsPopup : public KelPopup
{
    Q_OBJECT

public:
    static constexpr int PopupWidth = 800;
    static constexpr int PopupHeight = 420;
    // How far below its place the popup starts its slide.
    static constexpr int SlideDistance = 16;

    explicit PresetsPopup(PresetsCombo *chooser);
    ~PresetsPopup() override;

    // The translated title of a group or subgroup; other names unchanged.
    static QString groupTitle(const QString &name);

    KelExclusiveButtonGroup *groupSwitch() const;
    KelLineEdit *searchField() const;
    KelButton *closeButton() const;
    ScrollArea *leftList() const;
    ScrollArea *rightList() const;
    // Null until the popup first opens.
    KelWindowBlockedOverlay *overlay() const;
    // Where the popup settles when it opens: its top-left corner at the
    // chooser's (-8, -16 - height), in global coordinates.
    QRect targetGeometry() const;

    void open();
    void translateUi() override;

private:
    class Private;
    std::unique_ptr<Private> d;
};

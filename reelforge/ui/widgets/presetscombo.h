#pragma once

#include "datamodel/presetinfo.h"
#include "widgets/kelbutton.h"

class PresetsRepo;

// The footer's preset chooser: a wide checkable button that names the
// chosen output preset and, while checked, shows the preset popup above
// itself with the rest of its window darkened. A preset chosen in the
// popup is shown on the button, recorded among the recent presets and
// announced by presetClicked().
//
//     auto *presets = new PresetsCombo(footer);
//     connect(presets, &PresetsCombo::presetClicked, window, &MainWindow::applyPreset);
//
// GUI thread only.
class PresetsCombo : public KelButton
{
    Q_OBJECT

public:
    class PresetsPopup;

    // Without a repository the application's is used.
    explicit PresetsCombo(QWidget *parent = nullptr, PresetsRepo *repo = nullptr);
    ~PresetsCombo() override;

    PresetsPopup *popup() const;
    PresetsRepo *presetsRepo() const;

    void translatePopup();

    void paint(KelPaintContext &ctx) override;

signals:
    void presetClicked(PresetInfoPointer preset);

private:
    PresetsRepo *m_repo = nullptr;
    PresetsPopup *m_popup = nullptr;
};

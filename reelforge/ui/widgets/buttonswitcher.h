#pragma once

#include "widgets/kelframe.h"

class KelButton;
class KelExclusiveButtonGroup;

// A segmented switch: a frame around a row of exclusive buttons that the
// caller adds; checking one emits toggled() with its data.
//
//     auto *modes = new ButtonSwitcher(1050, 1009, dialog);
//     modes->addButton(new KelButton(1009), Enums::High);
//
// GUI thread only.
class ButtonSwitcher : public KelFrame
{
    Q_OBJECT

public:
    ButtonSwitcher(int frameStyleId, int buttonStyleId, QWidget *parent = nullptr);
    ~ButtonSwitcher() override;

    KelExclusiveButtonGroup *group() const;
    // Puts the button into the group with its data and at the row's end.
    KelButton *addButton(KelButton *button, const QVariant &userData);

signals:
    void toggled(QVariant userData);

private:
    KelExclusiveButtonGroup *m_group = nullptr;
};

#pragma once

#include "widgets/kelframe.h"

class KelButton;
class KelExclusiveButtonGroup;

// A segmented switch: a frame around a row of exclusive buttons that the
// caller adds; checking one emits toggled() with its data.
//
//     auto *location = new ButtonSwitcher(Style::WT_Frame_Panel, Style::WT_Button_Segment_34,
//     dialog); location->addButton(PipObject::Free)->setText(tr("Free"));
//
// GUI thread only.
class ButtonSwitcher : public KelFrame
{
    Q_OBJECT

public:
    ButtonSwitcher(int frameStyleId, int buttonStyleId, QWidget *parent = nullptr);
    ~ButtonSwitcher() override;

    KelExclusiveButtonGroup *group() const;
    // A new button of the group's style with that data, at the row's end.
    KelButton *addButton(const QVariant &userData);

signals:
    void toggled(QVariant userData);

private:
    KelExclusiveButtonGroup *m_group = nullptr;
};

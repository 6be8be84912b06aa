#pragma once

#include "windows/kelcombobox.h"

class KelLabel;

// The after-conversion action chooser of the main window's footer: an icon
// only button whose popup, titled "On rendering complete:", offers doing
// nothing, stopping the program, sleep and shutdown. A user's choice goes
// to the application object for the end of the next batch; any action but
// doing nothing tints the icon with the accent colour.
//
// GUI thread only.
class PostActionsCombo : public KelComboBox
{
    Q_OBJECT

public:
    explicit PostActionsCombo(QWidget *parent = nullptr);
    ~PostActionsCombo() override;

    // An Enums::PostAction value.
    int postAction() const;
    KelLabel *titleLabel() const;

    void translateUi();

private:
    KelLabel *m_titleLabel = nullptr;
};

#pragma once

#include "servicepages/kelservicepage_style.h"

class Style;

// The maintenance page of one of the program's themes: its text and fill
// colours with their overlays, its push buttons, the default slider and the
// conversion progress bars, all drawn in that theme whichever is current.
// refresh() fills it. GUI thread only.
class ServicePage_Style : public KelServicePage_Style
{
    Q_OBJECT

public:
    explicit ServicePage_Style(Style *style, QWidget *parent = nullptr);
    ~ServicePage_Style() override;

protected:
    void fillTextColors() override;
    void fillBaseColors() override;
    void fillControls() override;

private:
    Style *m_style;
};

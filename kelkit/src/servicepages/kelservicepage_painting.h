#pragma once

#include "servicepages/kelservicepage.h"

// The maintenance page "Painting": a check box for each of the painting
// layer's nine diagnostic switches, grouped by what they outline. Its
// construction applies the switches stored in the settings ("DbgPaint…"
// keys); a toggle sets the switch, then stores it. GUI thread only.
class KelServicePage_Painting : public KelServicePage
{
    Q_OBJECT

public:
    explicit KelServicePage_Painting(QWidget *parent = nullptr);
    ~KelServicePage_Painting() override;
};

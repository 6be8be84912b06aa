#pragma once

#include "servicepages/kelservicepage.h"

// The maintenance page "Translations": the system's locale facts, the
// locale the settings started from and the one selected now (following
// every switch), and the translator's table of languages. GUI thread only.
class KelServicePage_Translations : public KelServicePage
{
    Q_OBJECT

public:
    explicit KelServicePage_Translations(QWidget *parent = nullptr);
    ~KelServicePage_Translations() override;
};

#pragma once

#include "ui/style.h"

// The dark theme: light text on dark greys. GUI thread only.
class DarkStyle : public Style
{
public:
    explicit DarkStyle(QObject *parent = nullptr);
    ~DarkStyle() override;

    QString styleId() const override;
    QString displayName() const override;
    QString styleIcon() const override;
    bool isDarkTheme() const override;
};

#pragma once

#include "ui/style.h"

// The light theme: dark text on white and light greys. GUI thread only.
class LightStyle : public Style
{
public:
    explicit LightStyle(QObject *parent = nullptr);
    ~LightStyle() override;

    QString styleId() const override;
    QString displayName() const override;
    QString styleIcon() const override;
};

#pragma once

#include "widgets/kelbutton.h"

// One row of the preset chooser's lists: a button that also shows a short
// information text (a frame size, an audio bit rate) from x = 252 on, in
// its own font and current text colour. GUI thread only.
class ItemButton : public KelButton
{
    Q_OBJECT

public:
    static constexpr int InfoTextLeft = 252;

    explicit ItemButton(int styleId, QWidget *parent = nullptr);
    ~ItemButton() override;

    QString infoText() const;
    void setInfoText(const QString &text);

    void paint(KelPaintContext &ctx) override;

private:
    QString m_infoText;
};

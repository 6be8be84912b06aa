#pragma once

#include "windows/kelcombobox.h"

// The quality level chooser: five levels, 0 ("Ultra low quality") to 4
// ("Ultra high quality"), as wide as the longest name. Only a user's choice
// emits compressionLevelClicked().
//
//     auto *levels = new CompressionLevelCombo(Style::WT_Card_Cell, card);
//     levels->setLevel(item->compressionLevel());
//
// GUI thread only.
class CompressionLevelCombo : public KelComboBox
{
    Q_OBJECT

public:
    explicit CompressionLevelCombo(int styleId, QWidget *parent = nullptr);
    ~CompressionLevelCombo() override;

    // The translated name of a level; empty outside 0 to 4.
    static QString levelName(int level);

    void setLevel(int level);
    void translateUi();

signals:
    void compressionLevelClicked(int value);
};

#pragma once

#include "windows/kelcombobox.h"

#include <QSize>

// The output frame size chooser: the application's standard sizes, turned
// upright for a rotated source, with the source size first when it is not
// among them and marked "(original)" in the list. The combo itself always
// shows the bare size. Only a user's choice emits resolutionClicked().
//
//     auto *sizes = new ResolutionsCombo(Style::WT_Card_Cell, card);
//     sizes->fill(source, rotated);
//     sizes->setResolution(target);
//
// GUI thread only.
class ResolutionsCombo : public KelComboBox
{
    Q_OBJECT

public:
    explicit ResolutionsCombo(int styleId, QWidget *parent = nullptr);
    ~ResolutionsCombo() override;

    // turned: the source is shown rotated by 90 or 270 degrees.
    void fill(const QSize &sourceSize, bool turned);
    QSize resolution() const;
    void setResolution(const QSize &size);

    // Re-applies the translated "original" mark.
    void translateUi();

signals:
    void resolutionClicked(QSize res);

private:
    QString itemText(const QSize &size) const;
    void showBareSize(const QVariant &data);

    QSize m_sourceSize;
};

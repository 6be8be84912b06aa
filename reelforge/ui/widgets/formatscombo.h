#pragma once

#include "windows/kelcombobox.h"

// The output format chooser: one item per output format of the application
// (data the format in lower case, text upper-cased), optionally narrowed to
// the video or the audio formats. Only a user's choice emits formatClicked()
// and is remembered as the last clicked format; setFormat() and the filter
// select silently.
//
//     auto *formats = new FormatsCombo(Style::WT_Card_Cell, card);
//     formats->setFormat(item->targetFormat());
//     connect(formats, &FormatsCombo::formatClicked, item, &VideoItem::setTargetFormat);
//
// GUI thread only.
class FormatsCombo : public KelComboBox
{
    Q_OBJECT

public:
    // Values of setFormatsFilter(); any other shows no format.
    enum FormatsFilter { AllFormats = 1, VideoFormats = 2, AudioFormats = 3 };
    Q_ENUM(FormatsFilter)

    explicit FormatsCombo(int styleId, QWidget *parent = nullptr);
    ~FormatsCombo() override;

    // Empty while no item is current.
    QString format() const;
    // Matches the items ignoring case; without a match no item is current.
    void setFormat(const QString &format);
    void setFormatsFilter(int filter);

signals:
    void formatClicked(QString format);
};

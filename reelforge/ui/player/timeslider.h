#pragma once

#include "core/mediatime.h"
#include "widgets/kelslider.h"

#include <QPair>

// The framework slider in media time (100 ns units) instead of slider
// units: one slider unit is one millisecond, and times are truncated to
// whole milliseconds on the way in. The trim handles are speech bubbles
// whose pointer marks the trim position. Space is left to the parent, so a
// player dialog can toggle playback while the slider has focus.
//
//     auto *slider = new TimeSlider(Style::WT_Slider_Trim, parent);
//     slider->setTimeRange(0, duration);
//     slider->setTrimRange(trimStart, trimEnd);
//     slider->setTrimVisible(true);
//
// GUI thread only.
class TimeSlider : public KelSlider
{
    Q_OBJECT

public:
    TimeSlider(int styleId, QWidget *parent = nullptr);
    ~TimeSlider() override;

    void setTimeRange(qint64 min, qint64 max);
    void setTrimRange(qint64 min, qint64 max);
    // Emits the value signals.
    void setTime(qint64 t);
    void setTimeQuiet(qint64 t);
    void setMinTrimDuration(qint64 t);

    QPair<qint64, qint64> timeRange() const;
    // (0, 0) while the trim handles are not shown.
    QPair<qint64, qint64> trimRange();
    qint64 sliderTime() const;

signals:
    void timeSliderPressed(qlonglong value);
    void timeSliderMoved(qlonglong value);
    void timeSliderReleased(qlonglong value);
    void timeValueChanged(qlonglong value);
    void timeTrimRangeChanged(qlonglong left, qlonglong right);
    void updateTrimTextsRequest();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void emitTrimRange();

    // Time units per slider unit.
    const qint64 step = MediaTime::TicksPerMillisecond;
};

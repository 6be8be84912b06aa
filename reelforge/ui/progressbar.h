#pragma once

#include "widgets/kelprogressbar.h"

#include <QTime>

#include <memory>

class KelIconLabel;
class KelStyle;

// The conversion progress of one item or of the whole queue: a thin rounded
// bar under a row of texts, the status on the left ("Remaining: 01:20"), the
// percentage in the centre and an optional "done/total" counter on the
// right. The value is in per mille (0 to 1000); the filled part turns grey
// while paused. A new bar shows "Importing...".
//
//     auto *bar = new ProgressBar(card);
//     bar->setProgress(item->progress());
//     bar->setRemainingTime(QTime(0, 1, 20));
//
// GUI thread only.
class ProgressBar : public KelProgressBar
{
    Q_OBJECT

public:
    explicit ProgressBar(QWidget *parent = nullptr);
    ~ProgressBar() override;

    void applyStyle() override;

    void setImporting();
    void setScheduled();
    void setProgress(int perMille);
    void setPaused(bool paused);
    // An invalid time reads as not known yet.
    void setRemainingTime(const QTime &remaining);
    // Shown only while 1 <= total and done <= total.
    void setCounter(int done, int total);

    KelIconLabel *statusLabel() const;
    KelIconLabel *percentLabel() const;
    KelIconLabel *counterLabel() const;

    void translateUi();

    // As tall as the texts and the bar below them need.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    // Dresses the bar in that style's colours rather than the current one's.
    void applyStyleOf(const KelStyle *style);
    void paintEvent(QPaintEvent *event) override;

private:
    void refreshTexts();

    class Private;
    std::unique_ptr<Private> d;
};

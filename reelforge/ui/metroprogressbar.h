#pragma once

#include "widgets/kelprogressbar.h"

#include <QVector>

#include <memory>

// A busy indicator: while the range is empty (KelProgressBar::Indeterminate)
// a row of dots races across the bar, entering fast, slowing down near the
// middle and leaving fast, one dot after another, with a pause between two
// runs. With a real range it paints as a plain progress bar. The animation
// runs only while the bar is busy and visible.
//
// Defaults: colour #0078D7, dot radius 2, 5 dots 10 pixels and 250 ms
// apart, 3000 ms to cross, 500 ms pause, 60 frames per second.
//
//     auto *bar = new MetroProgressBar(splash);
//     bar->setColor(Qt::white);
//     bar->setState(KelProgressBar::Indeterminate);
//
// GUI thread only.
class MetroProgressBar : public KelProgressBar
{
    Q_OBJECT
    Q_PROPERTY(QColor color READ color WRITE setColor)
    Q_PROPERTY(double radius READ radius WRITE setRadius)

public:
    explicit MetroProgressBar(QWidget *parent = nullptr);
    ~MetroProgressBar() override;

    QColor color() const;
    void setColor(const QColor &color);
    double radius() const;
    // Also fixes the height to the dots' diameter, rounded up.
    void setRadius(double radius);

    // The x of each dot's centre, first dot first, in a bar of the width
    // elapsedMs into the animation.
    QVector<double> dotPositions(int width, qint64 elapsedMs) const;
    bool isAnimating() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void timerEvent(QTimerEvent *event) override;

private:
    class Private;
    std::unique_ptr<Private> d;
};

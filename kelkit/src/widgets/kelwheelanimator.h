#pragma once

#include <QObject>

#include <memory>

class QAbstractScrollArea;

// Smooth mouse-wheel scrolling for a scroll area: every wheel event on the
// viewport is consumed and its delta, accelerated by the number of recent
// events, is spread over a run of timer ticks that feed small wheel events
// to the area's scroll bars. A child of the viewport; GUI thread only.
class KelWheelAnimator : public QObject
{
    Q_OBJECT

public:
    explicit KelWheelAnimator(QAbstractScrollArea *area);
    // Stops a running scroll.
    ~KelWheelAnimator() override;

    // While disabled, wheel events reach the area untouched.
    bool isEnabled() const;
    void setEnabled(bool enabled);

    // A vertical wheel then scrolls horizontally and the other way round.
    bool isOrientationSwapped() const;
    void setOrientationSwapped(bool swapped);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    class Private;
    std::unique_ptr<Private> const d;
};

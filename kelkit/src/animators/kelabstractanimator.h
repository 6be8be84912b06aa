#pragma once

#include <QObject>
#include <QVariant>

#include <memory>

class QWidget;

// Moves one value of a widget with a plain variant animation (InOutQuad).
// A request during a run starts from the value reached and ends when the
// old run would have, so retargeting never slows down. The animator is a
// child of its widget. GUI thread only.
class KelAbstractAnimator : public QObject
{
    Q_OBJECT

public:
    explicit KelAbstractAnimator(QWidget *target);
    ~KelAbstractAnimator() override;

    QWidget *target() const;
    bool isRunning() const;
    void stop();

    // Applies one value to the target.
    virtual void updateValue(const QVariant &value) = 0;

signals:
    void finished();

protected:
    // The duration of the next run, in ms.
    void setDuration(int duration);
    // Animates only a visible target; otherwise applies to at once. With
    // wait, returns only when the run has stopped, processing all but user
    // input meanwhile.
    void animate(const QVariant &from, const QVariant &to, bool animated, bool wait);

private:
    class Private;
    std::unique_ptr<Private> d;
};

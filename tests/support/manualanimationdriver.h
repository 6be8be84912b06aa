#pragma once

#include <QAnimationDriver>

// Drives Qt's animations by hand: install it in a test and move time on with
// advance(ms); nothing moves unless the test says so. Posted events are
// delivered around each step, so animations started since the last step
// take part in it.
class ManualAnimationDriver : public QAnimationDriver
{
public:
    explicit ManualAnimationDriver(QObject *parent = nullptr);
    ~ManualAnimationDriver() override;

    // Moves animation time on by ms milliseconds, in one step.
    void advance(int ms);
    // Moves time on in steps of at most stepMs, as a running timer would.
    void advanceInSteps(int ms, int stepMs = 10);

    qint64 elapsed() const override;

protected:
    void start() override;

private:
    using QAnimationDriver::advance;

    qint64 m_elapsed = 0;
};

#pragma once

#include "animators/kelanimationparams.h"
#include "animators/kelpropertyanimator.h"

#include <QObject>

#include <memory>

// One animated progress value moving between the start and end values of
// its parameters, reversing smoothly when asked to turn round, and
// reporting the start and end of each run. GUI thread only.
class KelProgressAnimator : public QObject
{
    Q_OBJECT
    Q_PROPERTY(double progress READ progress WRITE setProgress NOTIFY progressChanged)

public:
    KelProgressAnimator(QObject *parent, const KelAnimationParams &params);
    ~KelProgressAnimator() override;

    void animateTo(KelPropertyAnimator::Pos pos);
    void animateForward();
    void animateBackward();
    void setValue(KelPropertyAnimator::Pos pos, bool animated);
    void jumpToEnd();
    void jumpToStart();

    // The position asked for last.
    KelPropertyAnimator::Pos direction() const;
    bool isAnimating() const;

    double progress() const;
    void setProgress(double progress);

    void setAnimationParams(const KelAnimationParams &params);

signals:
    void progressChanged(double progress);
    // A run began from rest (a resumed run does not count).
    void started(KelPropertyAnimator::Pos destPos);
    void finished(KelPropertyAnimator::Pos currPos);

private:
    class Private;
    std::unique_ptr<Private> d;
};

#pragma once

#include "styles/kelstyleable.h"

#include <QObject>

#include <memory>

class KelPropertyAnimator;
class QWidget;

// Follows whether a widget is disabled with a progress value that runs
// smoothly between 0 and 1 on the current style's curves (animation kind 0),
// re-read on every style change. Painters read disabledProgress() and
// disabledOpacity(). GUI thread only.
class KelDisabledStateAnimator : public QObject, public KelStyleable
{
    Q_OBJECT
    Q_PROPERTY(double disabledProgress READ disabledProgress WRITE setDisabledProgress NOTIFY
                       disabledProgressChanged)

public:
    // Watch mode 0: the owner sets every state itself; 1: the enabled state
    // of the watched widget is followed too; 2: as 1, and the widget state
    // animator also follows hover and focus.
    explicit KelDisabledStateAnimator(int watchMode, QObject *parent = nullptr);
    ~KelDisabledStateAnimator() override;

    // Takes the widget's enabled state at once, without animating while it
    // is hidden.
    void setWidget(QWidget *widget);
    QWidget *widget() const;

    void setDisabled(bool disabled, bool animated);

    double disabledProgress() const;
    void setDisabledProgress(double progress);
    bool isDisabledActive() const;

    // The opacity of disabled content: 1 - disabledProgress x factor.
    double disabledOpacity() const;
    // A factor set here survives style changes.
    void setDisabledOpacity(double factor);

    // With animation off every state change jumps.
    bool isAnimationEnabled() const;
    void setAnimationEnabled(bool enabled);

    void applyStyle() override;

signals:
    void disabledProgressChanged(double progress);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

    int watchMode() const;
    KelPropertyAnimator *propertyAnimator() const;
    // Moves prop to End for on, Start otherwise.
    void moveState(const char *prop, bool on, bool animated);
    // Stores value in progress unless they are fuzzily equal, and then
    // repaints the widget; true when it did.
    bool storeProgress(double &progress, double value);

private:
    class Private;
    std::unique_ptr<Private> d;
};

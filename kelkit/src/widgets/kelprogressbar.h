#pragma once

#include "styles/kelstyleable.h"

#include <QProgressBar>

#include <memory>

// A progress bar dressed by its style id, with a busy and a paused display
// besides normal progress. Derived bars paint the paused look; the busy
// display is QProgressBar's own for an empty range. GUI thread only.
class KelProgressBar : public QProgressBar, public KelStyleable
{
    Q_OBJECT
    Q_PROPERTY(State state READ state WRITE setState)

public:
    enum State {
        Normal = 0,
        Indeterminate = 1,
        Paused = 2,
    };
    Q_ENUM(State)

    explicit KelProgressBar(int styleId = -1, QWidget *parent = nullptr, bool noStyle = false);
    ~KelProgressBar() override;

    void applyStyle() override;

    // Indeterminate keeps the range and value, and leaving it straight for
    // Normal restores them.
    void setState(State state);
    State state() const;

private:
    class Private;
    std::unique_ptr<Private> const d;
};

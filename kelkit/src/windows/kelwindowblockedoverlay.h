#pragma once

#include "styles/kelstyleable.h"

#include <QWidget>

#include <memory>

// Darkens a window while a modal child blocks it: a child widget covering
// the whole window, filled with the style's overlay colour (CL_BlockedOverlay). It
// fades in and out with the style's overlay animation (kind 4); hiding
// fades out first, and showing again during the fade turns it round.
// A child of the window; GUI thread only.
class KelWindowBlockedOverlay : public QWidget, public KelStyleable
{
    Q_OBJECT

public:
    explicit KelWindowBlockedOverlay(QWidget *window);
    ~KelWindowBlockedOverlay() override;

    // The painted area is the overlay less these margins.
    QMargins margins() const;
    void setMargins(const QMargins &margins);

    // How far faded in, 0 to 1.
    double fadeProgress() const;

    void setVisible(bool visible) override;
    void applyStyle() override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    class Private;
    std::unique_ptr<Private> const d;
};

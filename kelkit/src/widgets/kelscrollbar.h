#pragma once

#include "styles/kelstyleable.h"

#include <QScrollBar>

#include <memory>

class QAbstractScrollArea;

// A styled scroll bar that can stand in for a scroll area's own: it mirrors
// the area's bar (range, steps, value), drives it back, and tells whether
// there is anything to scroll. GUI thread only.
class KelScrollBar : public QScrollBar, public KelStyleable
{
    Q_OBJECT

public:
    enum AvailabilityMode {
        // Nothing special while there is nothing to scroll.
        AlwaysShown = 0,
        // Hidden while minimum equals maximum.
        HideUnavailable = 1,
        // Kept, but painting nothing, while minimum equals maximum.
        BlankUnavailable = 2,
    };
    Q_ENUM(AvailabilityMode)

    KelScrollBar(int styleId, Qt::Orientation orientation, QWidget *parent = nullptr,
                 int availabilityMode = AlwaysShown, bool noStyle = false);
    // Stands in for the area's bar of the orientation, which is switched
    // off; parent null makes the bar a child of the area.
    KelScrollBar(int styleId, Qt::Orientation orientation, QAbstractScrollArea *area,
                 int availabilityMode = AlwaysShown, bool noStyle = false,
                 QWidget *parent = nullptr);
    ~KelScrollBar() override;

    void applyStyle() override;

    int availabilityMode() const;
    // The area's bar this one mirrors; null for a free bar.
    QScrollBar *target() const;
    bool isScrollAvailable() const;

signals:
    void scrollAvailableChanged(bool value);

protected:
    void showEvent(QShowEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    class Private;
    std::unique_ptr<Private> const d;
};

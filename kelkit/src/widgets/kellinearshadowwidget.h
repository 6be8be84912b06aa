#pragma once

#include "animators/kelvisibilityanimatable.h"
#include "styles/kelstyleable.h"

#include <QWidget>

#include <memory>

// A soft shadow strip of a given thickness and colour along one edge of a
// target widget. It lives as a sibling of the target (a child of a target
// that is a window), follows the target's geometry, visibility and parent,
// and lets the mouse through. Without a target it is a free-standing strip
// as wide (or tall) as its layout allows. GUI thread only.
class KelLinearShadowWidget : public QWidget, public KelStyleable, public KelVisibilityAnimatable
{
    Q_OBJECT
    Q_PROPERTY(int shadowSize READ shadowSize WRITE setShadowSize)
    Q_PROPERTY(QColor color READ color WRITE setColor)

public:
    enum Placement {
        FreeStanding = 0,
        OutsideEdge = 1,
        InsideEdge = 2,
    };

    KelLinearShadowWidget(int styleId, Qt::Edge edge, int placement, QWidget *target,
                          bool noStyle = false);
    ~KelLinearShadowWidget() override;

    void applyStyle() override;

    Qt::Edge edge() const;
    int placement() const;
    QWidget *target() const;

    int shadowSize() const;
    void setShadowSize(int size);
    QColor color() const;
    void setColor(const QColor &color);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    class Private;
    std::unique_ptr<Private> const d;
};

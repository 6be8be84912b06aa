#pragma once

#include "painting/kelgraphicsopacityeffect.h"

#include <QColor>
#include <QMargins>
#include <QPointF>

#include <memory>

// Left, top, right and bottom insets in pixels.
using KelMargins = QMargins;

// A blurred shadow of its widget, cast by the widget's rectangle shrunk by a
// padding, combined with the fading and sliding of the opacity effect, which
// it never switches off. Shadows of widgets that paint opaquely are shared
// through the UI object's shadow cache. GUI thread only.
class KelGraphicsDropShadowEffect : public KelGraphicsOpacityEffect
{
    Q_OBJECT
    Q_PROPERTY(QPointF offset READ offset WRITE setOffset NOTIFY offsetChanged)
    Q_PROPERTY(double xOffset READ xOffset WRITE setXOffset NOTIFY offsetChanged)
    Q_PROPERTY(double yOffset READ yOffset WRITE setYOffset NOTIFY offsetChanged)
    Q_PROPERTY(double blurRadius READ blurRadius WRITE setBlurRadius NOTIFY blurRadiusChanged)

public:
    explicit KelGraphicsDropShadowEffect(QWidget *widget);
    ~KelGraphicsDropShadowEffect() override;

    QPointF offset() const;
    void setOffset(const QPointF &offset);
    double xOffset() const;
    void setXOffset(double x);
    double yOffset() const;
    void setYOffset(double y);

    double blurRadius() const;
    void setBlurRadius(double radius);

    QColor color() const;
    void setColor(const QColor &color);

    KelMargins padding() const;
    void setPadding(const KelMargins &padding);
    // The padding as used: each side at most half the widget's extent
    // minus 2.
    KelMargins effectivePadding() const;

    QRectF boundingRectFor(const QRectF &rect) const override;

signals:
    void offsetChanged(QPointF offset);
    void paddingChanged(KelMargins padding);
    void blurRadiusChanged(double blurRadius);
    void colorChanged(QColor color);

protected:
    void draw(QPainter *painter) override;

private:
    QImage shadowImage(const QPixmap &source) const;

    class Private;
    std::unique_ptr<Private> d;
};

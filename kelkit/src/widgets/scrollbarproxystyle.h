#pragma once

#include "utils/kelstatecolors.h"

#include <QColor>
#include <QMargins>
#include <QPointer>
#include <QProxyStyle>

class KelWidgetStateAnimator;
class QScrollBar;

// Draws an animated scroll bar as a rounded groove with a rounded handle,
// both narrow until the bar expands. The expansion animator's hover
// progress is the expansion and its disabled opacity the bar's opacity; the
// handle animator blends the handle colours by hover and press. A child of
// its bar; GUI thread only.
class ScrollBarProxyStyle : public QProxyStyle
{
    Q_OBJECT

public:
    explicit ScrollBarProxyStyle(QScrollBar *bar);
    ~ScrollBarProxyStyle() override;

    int extent() const;

    QColor grooveColor() const;
    void setGrooveColor(const QColor &color);
    KelStateColors handleColors() const;
    void setHandleColors(const KelStateColors &colors);

    KelWidgetStateAnimator *expansionAnimator() const;
    KelWidgetStateAnimator *handleAnimator() const;

    int pixelMetric(PixelMetric metric, const QStyleOption *option = nullptr,
                    const QWidget *widget = nullptr) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex *option,
                            QPainter *painter, const QWidget *widget = nullptr) const override;
    // The bar has no step buttons: the groove runs from end to end, and so
    // do clicks and the handle's travel.
    QRect subControlRect(ComplexControl control, const QStyleOptionComplex *option,
                         SubControl subControl, const QWidget *widget = nullptr) const override;

private:
    // The margins of groove and handle at the current expansion.
    QMarginsF currentMargins(Qt::Orientation orientation) const;

    int m_extent = 18;
    QMargins m_margins = QMargins(6, 6, 6, 6);
    // Whether the margins across the bar shrink as it expands.
    int m_expansion = 1;
    int m_radius = 3;
    QColor m_grooveColor;
    KelStateColors m_handleColors;
    QPointer<QScrollBar> m_bar;
    KelWidgetStateAnimator *m_expansionAnimator;
    KelWidgetStateAnimator *m_handleAnimator;
};

#include "widgets/scrollbarproxystyle.h"

#include "animators/kelwidgetstateanimator.h"
#include "painting/kelpainting.h"
#include "utils/kelcolorutils.h"

#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionSlider>

#include <cmath>

ScrollBarProxyStyle::ScrollBarProxyStyle(QScrollBar *bar)
    : m_bar(bar), m_expansionAnimator(new KelWidgetStateAnimator(0, this)),
      m_handleAnimator(new KelWidgetStateAnimator(0, this))
{
    setParent(bar);
    m_expansionAnimator->setWidget(bar);
    m_handleAnimator->setWidget(bar);
}

ScrollBarProxyStyle::~ScrollBarProxyStyle() = default;

int ScrollBarProxyStyle::extent() const
{
    return m_extent;
}

QColor ScrollBarProxyStyle::grooveColor() const
{
    return m_grooveColor;
}

void ScrollBarProxyStyle::setGrooveColor(const QColor &color)
{
    if (m_grooveColor == color)
        return;
    m_grooveColor = color;
    if (m_bar)
        m_bar->update();
}

KelStateColors ScrollBarProxyStyle::handleColors() const
{
    return m_handleColors;
}

void ScrollBarProxyStyle::setHandleColors(const KelStateColors &colors)
{
    if (m_handleColors == colors)
        return;
    m_handleColors = colors;
    if (m_bar)
        m_bar->update();
}

KelWidgetStateAnimator *ScrollBarProxyStyle::expansionAnimator() const
{
    return m_expansionAnimator;
}

KelWidgetStateAnimator *ScrollBarProxyStyle::handleAnimator() const
{
    return m_handleAnimator;
}

int ScrollBarProxyStyle::pixelMetric(PixelMetric metric, const QStyleOption *option,
                                     const QWidget *widget) const
{
    if (metric == PM_ScrollBarExtent)
        return m_extent;
    return QProxyStyle::pixelMetric(metric, option, widget);
}

QMarginsF ScrollBarProxyStyle::currentMargins(Qt::Orientation orientation) const
{
    const double shrink = m_expansion ? 1.0 - m_expansionAnimator->hoveredProgress() : 1.0;
    QMarginsF margins(m_margins);
    if (orientation == Qt::Vertical) {
        margins.setLeft(margins.left() * shrink);
        margins.setRight(margins.right() * shrink);
    } else {
        margins.setTop(margins.top() * shrink);
        margins.setBottom(margins.bottom() * shrink);
    }
    return margins;
}

void ScrollBarProxyStyle::drawComplexControl(ComplexControl control,
                                             const QStyleOptionComplex *option, QPainter *painter,
                                             const QWidget *widget) const
{
    const auto *slider = qstyleoption_cast<const QStyleOptionSlider *>(option);
    if (control != CC_ScrollBar || !slider) {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        return;
    }

    const bool enabled = slider->state & State_Enabled;
    m_handleAnimator->setHovered(enabled && (slider->activeSubControls & SC_ScrollBarSlider), true);
    m_handleAnimator->setPressed(enabled && (slider->state & State_Sunken), true);

    const QMarginsF margins = currentMargins(slider->orientation);
    const QRectF groove = QRectF(subControlRect(CC_ScrollBar, slider, SC_ScrollBarGroove, widget))
            - margins;
    const QRectF handle = QRectF(subControlRect(CC_ScrollBar, slider, SC_ScrollBarSlider, widget))
            - margins;
    const double ratio = widget ? widget->devicePixelRatioF() : 1.0;
    const bool fractional = !qFuzzyCompare(ratio, std::round(ratio));
    auto snapped = [&](const QRectF &rect) {
        return fractional ? KelPainting::snapRectToPixels(rect, ratio) : rect;
    };

    painter->save();
    painter->setPen(Qt::NoPen);
    painter->setOpacity(painter->opacity() * m_expansionAnimator->disabledOpacity());
    painter->setRenderHint(QPainter::Antialiasing);
    if (groove.isValid()) {
        painter->setBrush(m_grooveColor.isValid() ? m_grooveColor : QColor(Qt::transparent));
        KelPainting::drawRoundedRect(painter, snapped(groove), m_radius);
    }
    const QColor handleColor = KelUtils::animatedStateColor(m_handleColors, m_handleAnimator);
    if (handle.isValid()) {
        painter->setBrush(handleColor.isValid() ? handleColor : QColor(Qt::transparent));
        KelPainting::drawRoundedRect(painter, snapped(handle), m_radius);
    }
    painter->restore();
}

QRect ScrollBarProxyStyle::subControlRect(ComplexControl control, const QStyleOptionComplex *option,
                                          SubControl subControl, const QWidget *widget) const
{
    const auto *slider = qstyleoption_cast<const QStyleOptionSlider *>(option);
    if (control != CC_ScrollBar || !slider)
        return QProxyStyle::subControlRect(control, option, subControl, widget);

    const QRect rect = slider->rect;
    const bool horizontal = slider->orientation == Qt::Horizontal;
    const int length = horizontal ? rect.width() : rect.height();
    const qint64 range = qint64(slider->maximum) - slider->minimum;
    int handleLength = length;
    if (range > 0) {
        const qint64 page = qMax(slider->pageStep, 0);
        handleLength = int(page * length / (range + page));
        const int minimum = pixelMetric(PM_ScrollBarSliderMin, slider, widget);
        handleLength = qBound(qMin(minimum, length), handleLength, length);
    }
    const int start = sliderPositionFromValue(slider->minimum, slider->maximum,
                                              slider->sliderPosition, length - handleLength,
                                              slider->upsideDown);
    // Spans along the bar, in bar coordinates.
    auto span = [&](int from, int size) {
        const QRect r = horizontal ? QRect(rect.left() + from, rect.top(), size, rect.height())
                                   : QRect(rect.left(), rect.top() + from, rect.width(), size);
        return visualRect(slider->direction, rect, r);
    };
    switch (subControl) {
    case SC_ScrollBarAddLine:
    case SC_ScrollBarSubLine:
    case SC_ScrollBarFirst:
    case SC_ScrollBarLast:
        return QRect();
    case SC_ScrollBarGroove:
        return rect;
    case SC_ScrollBarSlider:
        return span(start, handleLength);
    case SC_ScrollBarSubPage:
        return span(0, start);
    case SC_ScrollBarAddPage:
        return span(start + handleLength, length - start - handleLength);
    default:
        return QProxyStyle::subControlRect(control, option, subControl, widget);
    }
}

#include "moc_scrollbarproxystyle.cpp"

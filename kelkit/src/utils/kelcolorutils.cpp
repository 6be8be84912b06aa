#include "utils/kelcolorutils.h"

#include <QAbstractSpinBox>
#include <QBrush>
#include <QWidget>

#include <cmath>

namespace {

constexpr double DisabledAlpha = 0.6;

double clampUnit(double t)
{
    return qBound(0.0, t, 1.0);
}

bool isFuzzyOne(double t)
{
    return qFuzzyCompare(t, 1.0);
}

double squaredMix(double from, double to, double t)
{
    return std::sqrt((1.0 - t) * from * from + t * to * to);
}

QColor interpolateLinear(QColor from, QColor to, double t)
{
    if (!from.isValid())
        from = QColor(to.red(), to.green(), to.blue(), 0);
    if (!to.isValid())
        to = QColor(from.red(), from.green(), from.blue(), 0);
    auto mix = [t](int a, int b) { return int(a + (b - a) * t); };
    return QColor::fromRgb(mix(from.red(), to.red()), mix(from.green(), to.green()),
                           mix(from.blue(), to.blue()), mix(from.alpha(), to.alpha()));
}

// An invalid colour is nothing: it fades like a transparent one.
int visibleAlpha(const QColor &color)
{
    return color.isValid() ? color.alpha() : 0;
}

QColor interpolateSquared(const QColor &from, const QColor &to, double t)
{
    const bool fromVisible = visibleAlpha(from) > 0;
    const bool toVisible = visibleAlpha(to) > 0;
    if (fromVisible && toVisible) {
        return QColor::fromRgbF(squaredMix(from.redF(), to.redF(), t),
                                squaredMix(from.greenF(), to.greenF(), t),
                                squaredMix(from.blueF(), to.blueF(), t),
                                (1.0 - t) * from.alphaF() + t * to.alphaF());
    }
    if (!fromVisible && !toVisible)
        return to;
    // Fading in or out: keep the visible colour, move only its alpha.
    QColor result = fromVisible ? from : to;
    result.setAlpha(int(visibleAlpha(from) + (visibleAlpha(to) - visibleAlpha(from)) * t));
    return result;
}

void enableAutoFill(QWidget *widget, QPalette::ColorRole role)
{
    if (role == QPalette::Base || role == QPalette::Window)
        widget->setAutoFillBackground(true);
}

} // namespace

namespace KelUtils {

QColor blendColors(const QColor &base, const QColor &overlay)
{
    if (!overlay.isValid() || overlay.alpha() == 0)
        return base;
    if (!base.isValid())
        return overlay;
    if (overlay.alpha() == 255)
        return overlay;
    const double baseAlpha = base.alphaF();
    const double overlayAlpha = overlay.alphaF();
    const double alpha = 1.0 - (1.0 - baseAlpha) * (1.0 - overlayAlpha);
    if (std::abs(alpha) <= 1e-5)
        return Qt::transparent;
    auto channel = [&](double b, double o) {
        return (overlayAlpha * o + (1.0 - overlayAlpha) * baseAlpha * b) / alpha;
    };
    return QColor::fromRgbF(channel(base.redF(), overlay.redF()),
                            channel(base.greenF(), overlay.greenF()),
                            channel(base.blueF(), overlay.blueF()), alpha);
}

QColor interpolateColor(const QColor &from, const QColor &to, double t, int mode)
{
    if (from == to)
        return from;
    t = clampUnit(t);
    if (qFuzzyIsNull(t))
        return from;
    if (isFuzzyOne(t))
        return to;
    switch (mode) {
    case 0:
        return interpolateLinear(from, to, t);
    case 1:
        return interpolateSquared(from, to, t);
    default:
        return to;
    }
}

bool isPaintable(const QColor &color)
{
    return color.isValid() && color.alpha() > 0;
}

bool isDarkColor(const QColor &color)
{
    if (!color.isValid() || color == QColor(Qt::transparent))
        return false;
    const int luminance = 11 * color.red() + 16 * color.green() + 5 * color.blue();
    return (luminance & ~31) < 4096;
}

QList<QColor> distinctColors(int n)
{
    QList<QColor> colors;
    for (int i = 0; i < n; ++i)
        colors.append(QColor::fromHsv(int(i * 222.4922359499622 / n), 245, 245, 255));
    return colors;
}

QColor colorWithAlphaF(const QColor &color, double alpha)
{
    QColor result = color;
    result.setAlphaF(alpha);
    return result;
}

void setPaletteColor(QWidget *widget, QPalette::ColorRole role, const QColor &color)
{
    if (!widget)
        return;
    // All three groups are compared: a palette that only happens to have
    // the colour in its active group still gets the faded disabled one, so
    // the result never depends on the colours set before.
    QPalette palette = widget->palette();
    const QColor disabled = colorWithAlphaF(color, DisabledAlpha);
    enableAutoFill(widget, role);
    if (palette.color(QPalette::Active, role) == color
        && palette.color(QPalette::Inactive, role) == color
        && palette.color(QPalette::Disabled, role) == disabled)
        return;
    palette.setColor(QPalette::Active, role, color);
    palette.setColor(QPalette::Inactive, role, color);
    palette.setColor(QPalette::Disabled, role, disabled);
    widget->setPalette(palette);
}

void setBackgroundColor(QWidget *widget, const QColor &color)
{
    if (widget)
        setPaletteColor(widget, widget->backgroundRole(), color);
}

void setBackgroundBrush(QWidget *widget, const QBrush &brush)
{
    if (!widget)
        return;
    const QPalette::ColorRole role = widget->backgroundRole();
    QPalette palette = widget->palette();
    if (palette.brush(role) == brush)
        return;
    palette.setBrush(QPalette::Active, role, brush);
    palette.setBrush(QPalette::Disabled, role, brush);
    palette.setBrush(QPalette::Inactive, role, brush);
    widget->setPalette(palette);
    enableAutoFill(widget, role);
}

void setTextColor(QWidget *widget, const QColor &color)
{
    if (!widget)
        return;
    const QPalette::ColorRole role = qobject_cast<QAbstractSpinBox *>(widget)
            ? QPalette::Text
            : widget->foregroundRole();
    setPaletteColor(widget, role, color);
}

} // namespace KelUtils

#pragma once

#include <QColor>
#include <QList>
#include <QPalette>

class QBrush;
class QWidget;

// Colour helpers of the framework. GUI thread only.
namespace KelUtils {

// Whether painting the colour shows anything. An invalid colour paints
// nothing, wherever it comes from: blends and interpolations treat it as
// transparent, and painting code skips it.
bool isPaintable(const QColor &color);

// Composes a translucent overlay onto base (source-over).
QColor blendColors(const QColor &base, const QColor &overlay);

// Mode 0 interpolates the integer channels linearly; mode 1, which the
// framework uses, interpolates in squared (light) space and fades through
// transparency without shifting the hue.
QColor interpolateColor(const QColor &from, const QColor &to, double t, int mode = 1);

// Luminance rule: (11 r + 16 g + 5 b) / 32 below 128. Invalid and
// transparent colours are not dark.
bool isDarkColor(const QColor &color);

// n well-separated hues.
QList<QColor> distinctColors(int n);

QColor colorWithAlphaF(const QColor &color, double alpha);

// Sets the colour in the active and inactive groups and a faded one in the
// disabled group; leaves the palette alone when all three are already so.
void setPaletteColor(QWidget *widget, QPalette::ColorRole role, const QColor &color);
void setBackgroundColor(QWidget *widget, const QColor &color);
void setBackgroundBrush(QWidget *widget, const QBrush &brush);
// The text role of spin boxes, the foreground role of everything else.
void setTextColor(QWidget *widget, const QColor &color);

} // namespace KelUtils

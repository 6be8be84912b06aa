#pragma once

class KelPaintContext;
class QWidget;

// The line that sets a footer chooser's drop-down arrow apart from its
// texts: one logical pixel wide, in the theme's CL_Window_Base, over the full
// height at 32 pixels from the right edge, on whole device pixels.
namespace ArrowSeparator {

constexpr int DistanceFromRight = 32;

void paint(KelPaintContext &ctx, const QWidget *widget);

} // namespace ArrowSeparator

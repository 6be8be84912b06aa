#include "ui/widgets/arrowseparator.h"

#include "painting/kelpaintcontext.h"
#include "styles/kelstyle.h"

#include <QWidget>

#include <cmath>

namespace ArrowSeparator {

void paint(KelPaintContext &ctx, const QWidget *widget)
{
    const double ratio = ctx.devicePixelRatio();
    const double x = std::round((widget->width() - DistanceFromRight) * ratio) / ratio;
    const double lineWidth = std::max(1.0, std::round(ratio)) / ratio;
    ctx.painter()->fillRect(QRectF(x, 0, lineWidth, widget->height()),
                            kelStyle()->color(KelStyle::CL_Window_Base));
}

} // namespace ArrowSeparator

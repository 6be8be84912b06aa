#include "styles/kelqproxystyle.h"

#include "painting/kelframepainter.h"
#include "styles/kelstyle.h"
#include "widgets/kelspinboxpainter.h"

#include <QWidget>

namespace {

bool isFramePainter(const QWidget *widget)
{
    return dynamic_cast<const KelFramePainter *>(widget);
}

} // namespace

KelQProxyStyle::KelQProxyStyle(QStyle *base) : QProxyStyle(base) { }

void KelQProxyStyle::drawPrimitive(PrimitiveElement element, const QStyleOption *option,
                                   QPainter *painter, const QWidget *widget) const
{
    if (element == PE_FrameFocusRect && isFramePainter(widget))
        return;
    if (element == PE_PanelButtonBevel && dynamic_cast<const KelSpinBoxPainter *>(widget))
        return;
    if (element == PE_PanelLineEdit && widget
        && (isFramePainter(widget) || isFramePainter(widget->parentWidget())))
        return;
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

int KelQProxyStyle::pixelMetric(PixelMetric metric, const QStyleOption *option,
                                const QWidget *widget) const
{
    if (metric == PM_SubMenuOverlap)
        return kelStyle()->metric(KelStyle::M_SubMenu_Overlap);
    return QProxyStyle::pixelMetric(metric, option, widget);
}

int KelQProxyStyle::styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                              QStyleHintReturn *returnData) const
{
    switch (hint) {
    case SH_EtchDisabledText:
    case SH_DitherDisabledText:
    case SH_MenuBar_AltKeyNavigation:
        return 0;
    case SH_ToolTip_WakeUpDelay:
        return 1000;
    case SH_LineEdit_PasswordMaskDelay:
        return kelStyle()->metric(KelStyle::M_PasswordMaskDelay);
    default:
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
}

#include "moc_kelqproxystyle.cpp"

#include "utils/kelwidgetsutils.h"

#include <QWidget>

namespace KelUtils {

QWidget *topLevelOwnerWindow(QWidget *widget)
{
    if (!widget)
        return nullptr;
    QWidget *window = widget->window();
    while (QWidget *owner = window->parentWidget())
        window = owner->window();
    return window;
}

void setRetainSizeWhenHidden(QWidget *widget, bool retain)
{
    if (!widget)
        return;
    QSizePolicy policy = widget->sizePolicy();
    if (policy.retainSizeWhenHidden() == retain)
        return;
    policy.setRetainSizeWhenHidden(retain);
    widget->setSizePolicy(policy);
}

} // namespace KelUtils

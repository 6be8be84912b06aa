#include "utils/kelfontutils.h"

#include <QWidget>

namespace KelUtils {

QString defaultFontFamily()
{
    return QStringLiteral("Segoe UI");
}

QFont makeFont(int pixelSize, int weight, const QString &family)
{
    QFont font(family);
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    return font;
}

void setWidgetFont(QWidget *widget, int pixelSize, int weight, const QString &family)
{
    if (!widget)
        return;
    QFont font = widget->font();
    bool changed = false;
    if (font.family() != family) {
        font.setFamily(family);
        changed = true;
    }
    if (font.pixelSize() != pixelSize) {
        font.setPixelSize(pixelSize);
        changed = true;
    }
    if (font.weight() != weight) {
        font.setWeight(weight);
        changed = true;
    }
    if (changed)
        widget->setFont(font);
}

} // namespace KelUtils

#include "utils/kelfontutils.h"

#include "painting/kelbuttonpainter.h"

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

void setFontSize(QWidget *widget, int pixelSize, int weight, const QString &family)
{
    // A button draws its text with its painter's font, not the widget's.
    if (auto *painter = dynamic_cast<KelButtonPainter *>(widget))
        painter->setFont(makeFont(pixelSize, weight, family));
    else
        setWidgetFont(widget, pixelSize, weight, family);
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

#include "utils/kelstatecolors.h"

KelStateColors::KelStateColors()
    : KelStateColors(Qt::transparent, Qt::transparent, Qt::transparent, QColor(), Qt::transparent,
                     Qt::transparent, Qt::transparent, QColor())
{ }

KelStateColors::KelStateColors(const QColor &c)
    : KelStateColors(c, Qt::transparent, Qt::transparent, QColor(), c, Qt::transparent,
                     Qt::transparent, QColor())
{ }

KelStateColors::KelStateColors(const QColor &normal, const QColor &hovered, const QColor &pressed)
    : KelStateColors(normal, hovered, pressed, QColor(), normal, hovered, pressed, QColor())
{ }

KelStateColors::KelStateColors(const QColor &normal, const QColor &hovered, const QColor &pressed,
                               const QColor &disabled)
    : KelStateColors(normal, hovered, pressed, disabled, normal, hovered, pressed, disabled)
{ }

KelStateColors::KelStateColors(const QColor &normal, const QColor &hovered, const QColor &pressed,
                               const QColor &checked, const QColor &checkedHovered,
                               const QColor &checkedPressed)
    : KelStateColors(normal, hovered, pressed, QColor(), checked, checkedHovered, checkedPressed,
                     QColor())
{ }

KelStateColors::KelStateColors(const QColor &normal, const QColor &hovered, const QColor &pressed,
                               const QColor &disabled, const QColor &checked,
                               const QColor &checkedHovered, const QColor &checkedPressed,
                               const QColor &checkedDisabled)
    : normal(normal), hovered(hovered), pressed(pressed), disabled(disabled), checked(checked),
      checkedHovered(checkedHovered), checkedPressed(checkedPressed),
      checkedDisabled(checkedDisabled)
{ }

bool KelStateColors::operator==(const KelStateColors &other) const
{
    return normal == other.normal && hovered == other.hovered && pressed == other.pressed
            && disabled == other.disabled && checked == other.checked
            && checkedHovered == other.checkedHovered && checkedPressed == other.checkedPressed
            && checkedDisabled == other.checkedDisabled;
}

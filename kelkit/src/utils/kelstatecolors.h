#pragma once

#include <QColor>

// Eight colours by widget state. Hovered and pressed colours are overlays
// composed over the resolved base colour; the disabled colours replace it,
// and an invalid disabled colour means "fade by the disabled opacity".
struct KelStateColors
{
    // The default set paints nothing.
    KelStateColors();
    // The one-colour set: normal and checked are c, no overlays.
    explicit KelStateColors(const QColor &c);
    // Normal, hovered and pressed, the same three when checked.
    KelStateColors(const QColor &normal, const QColor &hovered, const QColor &pressed);
    // As the three-colour set, with a disabled colour for both halves.
    KelStateColors(const QColor &normal, const QColor &hovered, const QColor &pressed,
                   const QColor &disabled);
    // Unchecked and checked halves given apart, no disabled colours.
    KelStateColors(const QColor &normal, const QColor &hovered, const QColor &pressed,
                   const QColor &checked, const QColor &checkedHovered,
                   const QColor &checkedPressed);
    KelStateColors(const QColor &normal, const QColor &hovered, const QColor &pressed,
                   const QColor &disabled, const QColor &checked, const QColor &checkedHovered,
                   const QColor &checkedPressed, const QColor &checkedDisabled);

    bool operator==(const KelStateColors &other) const;
    bool operator!=(const KelStateColors &other) const { return !(*this == other); }

    QColor normal;
    QColor hovered;
    QColor pressed;
    QColor disabled;
    QColor checked;
    QColor checkedHovered;
    QColor checkedPressed;
    QColor checkedDisabled;
};

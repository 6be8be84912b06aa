#pragma once

#include "painting/kelicon.h"
#include "styles/kelstyleable.h"
#include "utils/kelstatecolors.h"

#include <QPainterPath>

// The check box, radio and toggle icons: drawn in code from a widget's
// state animator instead of from files, registered with the icons
// provider under fixed names and dressed by the current style. GUI thread
// only.
namespace KelAnimatedIcons {

// Makes the three icons, styles them and registers them with the icons
// provider. Called once by the UI object's initialisation.
void create();

// What the three icons share: a size and colour sets set by the style.
// Only animated pixmaps can be drawn.
class AnimatedIcon : public KelIcon, public KelStyleable
{
public:
    bool isValid() const override;
    void applyStyle() override;

    void setIconSize(const QSize &size);
    void setColors1(const KelStateColors &colors);
    void setColors2(const KelStateColors &colors);

protected:
    explicit AnimatedIcon(const QString &name);

    // A transparent canvas with an antialiased painter, its frame on the
    // device pixel grid and a pen of whole device pixels for borders.
    struct Canvas
    {
        QPixmap pixmap;
        QRectF frame;
        double ratio = 1.0;
    };
    Canvas makeCanvas(double pixelRatio, const QSize &size) const;
    static QPen borderPen(const QColor &color, int width, double ratio);

    KelStateColors m_colors1;
    KelStateColors m_colors2;
};

// A pill track with a round knob that slides across and stretches on the
// way. Colours: track, knob.
class ToggleIcon : public AnimatedIcon
{
public:
    static const char *const Name;

    ToggleIcon();

    QPixmap animatedPixmap(double pixelRatio, const QSize &size, const QColor &tint,
                           KelWidgetStateAnimator *animator) const override;

    void setKnobInset(int inset);
    void setKnobStretch(int stretch);

private:
    int m_knobInset = 0;
    int m_knobStretch = 10;
};

// A rounded box whose check mark is stroked in from its first point.
// Colours: box, border, check.
class CheckBoxIcon : public AnimatedIcon
{
public:
    static const char *const Name;

    CheckBoxIcon();

    QPixmap animatedPixmap(double pixelRatio, const QSize &size, const QColor &tint,
                           KelWidgetStateAnimator *animator) const override;

    void setColors3(const KelStateColors &colors);
    void setBorderWidth(int width);
    void setCornerRadius(int radius);
    void setCheckLineWidth(double width);
    // In the icon's logical coordinates.
    void setCheckPath(const QPainterPath &path);

private:
    KelStateColors m_colors3;
    int m_borderWidth = 0;
    int m_cornerRadius = 0;
    double m_checkLineWidth = 0.0;
    QPainterPath m_checkPath;
    double m_checkPathLength = 0.0;
};

// A circle whose dot grows from the centre. Colours: circle, border, dot.
class RadioIcon : public AnimatedIcon
{
public:
    static const char *const Name;

    RadioIcon();

    QPixmap animatedPixmap(double pixelRatio, const QSize &size, const QColor &tint,
                           KelWidgetStateAnimator *animator) const override;

    void setColors3(const KelStateColors &colors);
    void setDotInset(int inset);
    void setBorderWidth(int width);

private:
    KelStateColors m_colors3;
    int m_dotInset = 0;
    int m_borderWidth = 0;
};

} // namespace KelAnimatedIcons

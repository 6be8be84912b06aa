#pragma once

#include <QColor>
#include <QMargins>
#include <QObject>
#include <QPainterPath>
#include <QPair>

#include <functional>
#include <memory>

class QBrush;
class QWidget;

// The look of a frameless window's outline: background, border, corner
// radii or a shape function, shadow colour, size and vertical offset, and
// the edge by which a popup hangs on its anchor. The style fills it, the
// window paints its background and border from it and the custom shadow
// draws itself from it. Setters repaint the window when the value changes.
// Owned by the window's native utilities; GUI thread only.
class KelWindowFrame : public QObject
{
    Q_OBJECT

public:
    // The window outline for a size at a scale; (0, 0) is its top-left.
    using ShapeFunction
            = std::function<QPainterPath(KelWindowFrame *frame, const QSizeF &size, double scale)>;

    // window: any widget of the window; the frame describes its top level.
    KelWindowFrame(QObject *parent, QWidget *window);
    ~KelWindowFrame() override;

    QWidget *window() const;

    // The window palette's brush of its background role.
    QBrush background() const;
    void setBackground(const QBrush &brush);

    QColor borderColor() const;
    void setBorderColor(const QColor &color);
    // Whether the border fades to 70 % of its alpha while the window is
    // inactive; on by default.
    bool dimInactiveBorder() const;
    void setDimInactiveBorder(bool dim);
    // 0 while the window is maximized or full screen.
    int borderWidth() const;
    void setBorderWidth(int width);

    // Radii per corner, in logical pixels: top-left, top-right,
    // bottom-right, bottom-left as left, top, right and bottom.
    QMargins cornerRadii() const;
    void setCornerRadii(const QMargins &radii);
    void setCornerRadius(int radius);
    bool hasCornerRadius() const;

    ShapeFunction shapeFunction() const;
    // A null function goes back to the rounded rectangle of the radii.
    void setShapeFunction(const ShapeFunction &function);
    // The outline of the given size at the scale: the shape function's, or
    // the rounded rectangle of the radii times the scale.
    QPainterPath outline(const QSizeF &size, double scale);

    QColor shadowColor() const;
    void setShadowColor(const QColor &color);
    // How far the shadow reaches beyond the window and its blur radius, in
    // logical pixels.
    int shadowRadius() const;
    void setShadowRadius(int radius);
    // The vertical shift of the shadow, in logical pixels.
    int shadowOffset() const;
    void setShadowOffset(int offset);

    // (edge, alignment) of a window placed beside an anchor; (0, 0) when it
    // is not.
    QPair<int, int> anchorPlacement() const;
    void setAnchorPlacement(int edge, int alignment);
    void resetAnchorPlacement();

    // Whether the shadow window is kept out of screen captures: never, as X11
    // has no way to exclude a window from capture.
    bool isDisplayProtected() const;

signals:
    void shadowColorChanged(QColor c);
    // The corner radii or the shape function changed.
    void outlineChanged();

private:
    void repaintWindow();

    class Private;
    std::unique_ptr<Private> const d;
};

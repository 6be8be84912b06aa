#include "windows/kelwindowframe.h"

#include "painting/kelpainting.h"

#include <QBrush>
#include <QPointer>
#include <QWidget>

class KelWindowFrame::Private
{
public:
    QPointer<QWidget> window;
    QColor borderColor;
    bool dimInactiveBorder = true;
    int borderWidth = 0;
    ShapeFunction shapeFunction;
    QMargins cornerRadii;
    QColor shadowColor;
    int shadowRadius = 0;
    int shadowOffset = 0;
    QPair<int, int> anchorPlacement{0, 0};
};

KelWindowFrame::KelWindowFrame(QObject *parent, QWidget *window)
    : QObject(parent), d(std::make_unique<Private>())
{
    d->window = window ? window->window() : nullptr;
}

KelWindowFrame::~KelWindowFrame() = default;

QWidget *KelWindowFrame::window() const
{
    return d->window;
}

QBrush KelWindowFrame::background() const
{
    return d->window ? d->window->palette().brush(d->window->backgroundRole()) : QBrush();
}

void KelWindowFrame::setBackground(const QBrush &brush)
{
    if (!d->window || background() == brush)
        return;
    // No auto-fill: the window paints its own outline, and a filled
    // translucent window would lose its rounded corners.
    const QPalette::ColorRole role = d->window->backgroundRole();
    QPalette palette = d->window->palette();
    palette.setBrush(QPalette::Active, role, brush);
    palette.setBrush(QPalette::Inactive, role, brush);
    palette.setBrush(QPalette::Disabled, role, brush);
    d->window->setPalette(palette);
    repaintWindow();
}

QColor KelWindowFrame::borderColor() const
{
    return d->borderColor;
}

void KelWindowFrame::setBorderColor(const QColor &color)
{
    if (d->borderColor == color)
        return;
    d->borderColor = color;
    repaintWindow();
}

bool KelWindowFrame::dimInactiveBorder() const
{
    return d->dimInactiveBorder;
}

void KelWindowFrame::setDimInactiveBorder(bool dim)
{
    if (d->dimInactiveBorder == dim)
        return;
    d->dimInactiveBorder = dim;
    repaintWindow();
}

int KelWindowFrame::borderWidth() const
{
    if (d->window && (d->window->isMaximized() || d->window->isFullScreen()))
        return 0;
    return d->borderWidth;
}

void KelWindowFrame::setBorderWidth(int width)
{
    if (d->borderWidth == width)
        return;
    d->borderWidth = width;
    repaintWindow();
}

QMargins KelWindowFrame::cornerRadii() const
{
    return d->cornerRadii;
}

void KelWindowFrame::setCornerRadii(const QMargins &radii)
{
    if (d->cornerRadii == radii)
        return;
    d->cornerRadii = radii;
    emit outlineChanged();
    repaintWindow();
}

void KelWindowFrame::setCornerRadius(int radius)
{
    setCornerRadii(QMargins(radius, radius, radius, radius));
}

bool KelWindowFrame::hasCornerRadius() const
{
    return !d->cornerRadii.isNull();
}

KelWindowFrame::ShapeFunction KelWindowFrame::shapeFunction() const
{
    return d->shapeFunction;
}

void KelWindowFrame::setShapeFunction(const ShapeFunction &function)
{
    if (!d->shapeFunction && !function)
        return;
    d->shapeFunction = function;
    emit outlineChanged();
    repaintWindow();
}

QPainterPath KelWindowFrame::outline(const QSizeF &size, double scale)
{
    if (d->shapeFunction)
        return d->shapeFunction(this, size, scale);
    const QMargins r = d->cornerRadii;
    const QMargins scaled(qRound(r.left() * scale), qRound(r.top() * scale),
                          qRound(r.right() * scale), qRound(r.bottom() * scale));
    return KelPainting::roundedRectPath(QRectF(QPointF(0, 0), size), scaled);
}

QColor KelWindowFrame::shadowColor() const
{
    return d->shadowColor;
}

void KelWindowFrame::setShadowColor(const QColor &color)
{
    if (d->shadowColor == color)
        return;
    d->shadowColor = color;
    emit shadowColorChanged(color);
    repaintWindow();
}

int KelWindowFrame::shadowRadius() const
{
    return d->shadowRadius;
}

void KelWindowFrame::setShadowRadius(int radius)
{
    if (d->shadowRadius == radius)
        return;
    d->shadowRadius = radius;
    repaintWindow();
}

int KelWindowFrame::shadowOffset() const
{
    return d->shadowOffset;
}

void KelWindowFrame::setShadowOffset(int offset)
{
    if (d->shadowOffset == offset)
        return;
    d->shadowOffset = offset;
    repaintWindow();
}

QPair<int, int> KelWindowFrame::anchorPlacement() const
{
    return d->anchorPlacement;
}

void KelWindowFrame::setAnchorPlacement(int edge, int alignment)
{
    d->anchorPlacement = qMakePair(edge, alignment);
}

void KelWindowFrame::resetAnchorPlacement()
{
    d->anchorPlacement = qMakePair(0, 0);
}

bool KelWindowFrame::isDisplayProtected() const
{
    return false;
}

void KelWindowFrame::repaintWindow()
{
    if (d->window)
        d->window->update();
}

#include "moc_kelwindowframe.cpp"

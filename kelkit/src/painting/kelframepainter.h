#pragma once

#include "utils/kelstatecolors.h"

#include <QMargins>
#include <QPainterPath>
#include <QRect>
#include <QVector>

#include <functional>
#include <memory>

class KelPaintContext;
class KelWidgetStateAnimator;
class QPainter;
class QWidget;

// The box model of a framework widget and its painting: outer margins,
// per-side border widths, per-corner radii, a dash pattern, border and
// background colours by widget state, contents margins and an optional
// custom outline. The owner hands in its rectangle; the contents rectangle
// and the outline are recomputed lazily before painting. Setters compare
// with the stored value and do nothing when it is equal. GUI thread only.
class KelFramePainter
{
public:
    // Gives the outline of the frame; a non-empty path also becomes the
    // owner's mask.
    using FramePathFunction
            = std::function<QPainterPath(KelFramePainter *painter, const QRect &frameRect)>;

    explicit KelFramePainter(QWidget *owner);
    virtual ~KelFramePainter();

    QMargins margins() const;
    virtual void setMargins(const QMargins &margins);
    QMargins borderWidths() const;
    void setBorderWidths(const QMargins &widths);
    KelStateColors borderColors() const;
    void setBorderColors(const KelStateColors &colors);
    // Radii per corner: top-left, top-right, bottom-right, bottom-left as
    // left, top, right and bottom.
    QMargins cornerRadii() const;
    void setCornerRadii(const QMargins &radii);
    // The corner radii under the name the application's themes use.
    void setPaddings(const QMargins &radii);
    // The top-left corner radius.
    int radius() const;
    KelStateColors background() const;
    void setBackground(const KelStateColors &colors);
    virtual QMargins contentsMargins() const;
    virtual void setContentsMargins(const QMargins &margins);
    // An empty pattern draws a solid border.
    QVector<double> dashPattern() const;
    double dashOffset() const;
    void setDashPattern(const QVector<double> &pattern, double offset = 0.0);
    // 0 (KelPainting::BrushUnderPen): the background is filled under the
    // border too; any other value stops it inside the border.
    int penOverlapping() const;
    void setPenOverlapping(int mode);
    // The opacity at which owners paint the frame and their contents.
    double opacity() const;
    void setOpacity(double opacity);

    QRect frameRect() const;
    void setFrameRect(const QRect &rect);
    // Changes only the size of the frame rect.
    void setFrameSize(const QSize &size);
    void setFramePathFunction(const FramePathFunction &function);
    // The outline last produced by the path function; empty without one.
    QPainterPath framePath() const;
    // The stored one; call ensureGeometryIsValid() first.
    QRect contentsRect() const;
    // The owner, or null once it is gone.
    QWidget *widget() const;

    void invalidate();
    void invalidateGeometry();
    void repaint();

    // Margins, border widths and contents margins.
    virtual QSize sizeHint() const;
    virtual QSize minimumSizeHint() const;
    virtual void ensureGeometryIsValid();

    // Draws the border and background in the colours of the animator's state.
    void paintFrame(KelPaintContext &ctx, KelWidgetStateAnimator *animator);
    void drawFrame(KelPaintContext &ctx, const QColor &borderColor, const QColor &background);

protected:
    // Margins, borders, radii or contents margins changed; owners that cache
    // size hints drop them here.
    virtual void onGeometryChanged();
    // Something that changes the painting changed; repaints the owner.
    virtual void onInvalidated();
    virtual void updateWidget();

    // Derived geometry must be recomputed.
    bool isGeometryDirty() const;

private:
    Q_DISABLE_COPY(KelFramePainter)

    void drawVariadicBorders(QPainter *painter, const QRectF &rect, double ratio, bool fill,
                             bool stroke, const QColor &borderColor, const QColor &background);
    void setGeometryValue(QMargins &field, const QMargins &value);

    class Private;
    std::unique_ptr<Private> d;
};

namespace KelPainting {

// The bands of a frame painter: margins in yellow, borders in magenta,
// contents margins in green, the contents rect framed in blue.
void diagPaintFramePainter(KelPaintContext &ctx, KelFramePainter *painter);

} // namespace KelPainting

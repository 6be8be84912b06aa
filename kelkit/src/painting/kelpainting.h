#pragma once

#include "styles/kelarrowparams.h"

#include <QColor>
#include <QMargins>
#include <QPainterPath>
#include <QPixmap>
#include <QRectF>
#include <QWidget>

class KelPaintContext;
class QFont;
class QImage;
class QPainter;

// The framework's drawing functions and its diagnostic paint switches.
// Every function takes the painter first and leaves its state as it found
// it. GUI thread only.
namespace KelPainting {

// Single-bit widget states; they select icon variants.
enum WidgetState {
    Normal = 1,
    Hovered = 2,
    Pressed = 4,
    Disabled = 8,
    Checked = 16,
    CheckedHovered = 32,
    CheckedPressed = 64,
    CheckedDisabled = 128,
};

// Whether the brush is painted under the pen or stops inside it.
enum PenOverlapping {
    BrushUnderPen = 0,
    BrushInsidePen = 1,
};

// Draws rect with the painter's pen and brush, the pen kept inside rect.
void drawRectFrame(QPainter *painter, const QRectF &rect, PenOverlapping mode = BrushUnderPen);
// As drawRectFrame with rounded corners; prefers a miter-joined pen.
void drawRoundedRect(QPainter *painter, const QRectF &rect, double radius,
                     PenOverlapping mode = BrushUnderPen);
// A frame with one radius per corner (top-left, top-right, bottom-right,
// bottom-left as left, top, right, bottom of radii).
void drawFramePath(QPainter *painter, const QRectF &rect, const QMargins &radii,
                   PenOverlapping mode = BrushUnderPen);
// Clockwise from the end of the top-left corner.
QPainterPath roundedRectPath(const QRectF &rect, const QMargins &radii);

// A small arrow centred in rect minus the arrow's margins: stroked as an
// open chevron with a line width, else filled as a triangle.
void drawArrow(QPainter *painter, const QRectF &rect, const QColor &color,
               const KelArrowParams &params);

// Each edge rounded to a multiple of 1 / ratio.
QRectF snapRectToPixels(const QRectF &rect, double ratio);
// As snapRectToPixels for margins; whole ratios leave them unchanged.
QMarginsF snapMargins(double ratio, const QMarginsF &margins);

// A line one device pixel wide in the painter's pen colour.
void drawPixelLine(QPainter *painter, const QPointF &from, const QPointF &to);

// Draws text line by line in rect with the painter's font, at most maxLines
// lines (all when 0), eliding the last line that fits when text is left
// over. lineSpacing 0 takes the font's. elided, when given, tells whether
// anything was cut.
void drawText(QPainter *painter, const QString &text, const QRectF &rect, int alignment,
              int wrapMode, int elideMode, int lineSpacing = 0, int maxLines = 0,
              bool *elided = nullptr);
// The size drawText takes for text within bounds; a bounds width of 0
// measures unwrapped lines.
QSize textSize(const QString &text, const QFont &font, int wrapMode, const QSize &bounds,
               int lineSpacing = 0, int maxLines = 0);

// A pixmap covering size at the ratio (partial device pixels rounded up),
// filled with fill.
QPixmap makePixmap(const QSize &size, double ratio, const QColor &fill = Qt::transparent);

// The widget (or the rect part of it) rendered into a transparent pixmap at
// the widget's ratio, blurred when blurRadius is above 0.
QPixmap grabWidget(QWidget *widget, int blurRadius = 0,
                   QWidget::RenderFlags flags = QWidget::DrawWindowBackground
                           | QWidget::DrawChildren,
                   const QRect &rect = QRect());

// Every pixel keeps its alpha and takes the colour's red, green and blue;
// the colour's alpha is ignored.
void tintImage(QImage &image, const QColor &color);

// Diagnostic overlays; callers draw them while the matching switch is on.
void diagPaintRect(QPainter *painter, const QRectF &rect, const QColor &color);
void diagPaintMargins(QPainter *painter, const QRectF &outer, const QRectF &inner,
                      const QColor &color);
void diagPaintFrameRect(QPainter *painter, const QRectF &rect, bool frame, bool diagonals);
// The band inside the context's rect by margins, and the rect inside it.
void diagPaintContext(KelPaintContext &ctx, const QMarginsF &margins);

// Diagnostic colours.
QColor diagMagenta();
QColor diagBlue();
QColor diagYellow();
QColor diagGreen();
QColor diagRed();

// Diagnostic paint switches, all off at start. A setter that changes its
// switch repaints the top-level widgets or re-applies the style of every
// styleable widget, whichever shows the change.
bool dbgPaintCustom();
void setDbgPaintCustom(bool on);
bool dbgPaintKelButton();
void setDbgPaintKelButton(bool on);
bool dbgPaintKelDelimiter();
void setDbgPaintKelDelimiter(bool on);
bool dbgPaintKelFrame();
void setDbgPaintKelFrame(bool on);
bool dbgPaintKelIconWidget();
void setDbgPaintKelIconWidget(bool on);
bool dbgPaintKelLabel();
void setDbgPaintKelLabel(bool on);
bool dbgPaintKelPaintContext();
void setDbgPaintKelPaintContext(bool on);
bool dbgPaintNonDwmResizer();
void setDbgPaintNonDwmResizer(bool on);
bool dbgPaintNonDwmShadow();
void setDbgPaintNonDwmShadow(bool on);

} // namespace KelPainting

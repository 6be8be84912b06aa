#include "painting/kelpainting.h"

#include "painting/kelpaintcontext.h"
#include "styles/kelstyleable.h"
#include "utils/kelcolorutils.h"
#include "utils/kelgeometryutils.h"

#include <QApplication>
#include <QDebug>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPointer>
#include <QTextLayout>

#include <cmath>

// Qt Widgets' exported image blur.
Q_WIDGETS_EXPORT void qt_blurImage(QPainter *p, QImage &blurImage, qreal radius, bool quality,
                                   bool alphaOnly, int transposed = 0);

namespace {

constexpr double Epsilon = 1e-12;
constexpr int MaxTextWidth = 0xFFFFFF;

bool isFractional(double ratio)
{
    return std::abs(ratio - std::trunc(ratio)) > Epsilon;
}

double deviceRatio(const QPainter *painter)
{
    const QPaintDevice *device = painter->device();
    return device ? device->devicePixelRatioF() : 1.0;
}

double snapValue(double value, double ratio)
{
    return std::round(value * ratio) / ratio;
}

double penWidth(const QPen &pen)
{
    return pen.style() == Qt::NoPen ? 0.0 : pen.widthF();
}

QRectF shrunk(const QRectF &rect, double by)
{
    return rect.adjusted(by, by, -by, -by);
}

void fillWithBrush(QPainter *painter, const QRectF &rect)
{
    if (painter->brush().style() != Qt::NoBrush)
        painter->fillRect(rect, painter->brush());
}

double lineHeight(const QFont &font, int lineSpacing)
{
    return lineSpacing > 0 ? lineSpacing : QFontMetricsF(font).lineSpacing();
}

QTextOption textOption(int alignment, int wrapMode)
{
    QTextOption option(Qt::Alignment(alignment & 0x1F));
    option.setWrapMode(QTextOption::WrapMode(wrapMode));
    return option;
}

struct Switches
{
    bool custom = false;
    bool button = false;
    bool delimiter = false;
    bool frame = false;
    bool iconWidget = false;
    bool label = false;
    bool paintContext = false;
    bool nonDwmResizer = false;
    bool nonDwmShadow = false;
};

Switches &switches()
{
    static Switches s;
    return s;
}

void repaintTopLevelWidgets()
{
    const QWidgetList widgets = QApplication::topLevelWidgets();
    for (QWidget *widget : widgets)
        widget->update();
}

void applyStyleEverywhere()
{
    // Applying a style may delete widgets further down the list.
    QList<QPointer<QWidget>> widgets;
    const QWidgetList topLevels = QApplication::topLevelWidgets();
    for (QWidget *topLevel : topLevels) {
        widgets.append(topLevel);
        const QWidgetList children = topLevel->findChildren<QWidget *>();
        for (QWidget *child : children)
            widgets.append(child);
    }
    for (const QPointer<QWidget> &widget : qAsConst(widgets)) {
        if (auto styleable = dynamic_cast<KelStyleable *>(widget.data()))
            styleable->applyStyle();
    }
}

enum class Refresh { Repaint, Restyle, RepaintAndRestyle };

void setSwitch(bool &value, bool on, Refresh refresh)
{
    if (value == on)
        return;
    value = on;
    if (refresh != Refresh::Restyle)
        repaintTopLevelWidgets();
    if (refresh != Refresh::Repaint)
        applyStyleEverywhere();
}

} // namespace

namespace KelPainting {

void drawRectFrame(QPainter *painter, const QRectF &rect, PenOverlapping mode)
{
    if (!rect.isValid())
        return;
    const QPen pen = painter->pen();
    const double w = penWidth(pen);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, true);
    if (w > Epsilon) {
        fillWithBrush(painter, mode == BrushUnderPen ? rect : shrunk(rect, w));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(shrunk(rect, w / 2.0));
    } else {
        fillWithBrush(painter, rect);
    }
    painter->restore();
}

void drawRoundedRect(QPainter *painter, const QRectF &rect, double radius, PenOverlapping mode)
{
    if (radius <= Epsilon) {
        drawRectFrame(painter, rect, BrushUnderPen);
        return;
    }
    const QPen pen = painter->pen();
    const double w = penWidth(pen);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, true);
    if (w > Epsilon) {
        if (pen.joinStyle() != Qt::MiterJoin)
            qWarning() << "Prefer to use Qt::MiterJoin pen for KelPainting::drawRoundedRect()";
        painter->setPen(Qt::NoPen);
        if (mode == BrushUnderPen) {
            const double r = radius + w / 2.0;
            painter->drawRoundedRect(rect, r, r);
        } else {
            const double r = qMax(0.0, radius - w);
            painter->drawRoundedRect(shrunk(rect, w), r, r);
        }
        painter->setPen(pen);
        painter->setBrush(Qt::NoBrush);
        painter->drawRoundedRect(shrunk(rect, w / 2.0), radius, radius);
    } else {
        // A zero-width pen would otherwise draw a cosmetic outline.
        painter->setPen(Qt::NoPen);
        painter->drawRoundedRect(rect, radius, radius);
    }
    painter->restore();
}

void drawFramePath(QPainter *painter, const QRectF &rect, const QMargins &radii, PenOverlapping mode)
{
    const int r = radii.left();
    if (radii.top() == r && radii.right() == r && radii.bottom() == r) {
        if (r > 0)
            drawRoundedRect(painter, rect, r, mode);
        else
            drawRectFrame(painter, rect, BrushUnderPen);
        return;
    }
    const bool antialiased = painter->testRenderHint(QPainter::Antialiasing);
    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->drawPath(roundedRectPath(shrunk(rect, penWidth(painter->pen()) / 2.0), radii));
    painter->setRenderHint(QPainter::Antialiasing, antialiased);
}

QPainterPath roundedRectPath(const QRectF &rect, const QMargins &radii)
{
    const double tl = radii.left();
    const double tr = radii.top();
    const double br = radii.right();
    const double bl = radii.bottom();
    QPainterPath path;
    path.moveTo(rect.left() + tl, rect.top());
    path.lineTo(rect.right() - tr, rect.top());
    if (tr > 0)
        path.arcTo(QRectF(rect.right() - 2 * tr, rect.top(), 2 * tr, 2 * tr), 90, -90);
    path.lineTo(rect.right(), rect.bottom() - br);
    if (br > 0)
        path.arcTo(QRectF(rect.right() - 2 * br, rect.bottom() - 2 * br, 2 * br, 2 * br), 0, -90);
    path.lineTo(rect.left() + bl, rect.bottom());
    if (bl > 0)
        path.arcTo(QRectF(rect.left(), rect.bottom() - 2 * bl, 2 * bl, 2 * bl), 270, -90);
    path.lineTo(rect.left(), rect.top() + tl);
    if (tl > 0)
        path.arcTo(QRectF(rect.left(), rect.top(), 2 * tl, 2 * tl), 180, -90);
    path.closeSubpath();
    return path;
}

void drawArrow(QPainter *painter, const QRectF &rect, const QColor &color,
               const KelArrowParams &params)
{
    const double ratio = deviceRatio(painter);
    const QRectF area = rect - snapMargins(ratio, QMarginsF(params.margins));
    const QRectF box = snapRectToPixels(KelUtils::fitRectF(Qt::AlignCenter, area, params.size),
                                        ratio);
    if (!KelUtils::isPaintable(color))
        return;
    const bool stroked = params.lineWidth > Epsilon;
    const double h = stroked ? params.lineWidth / 2.0 : 0.0;
    const double l = box.left() + h;
    const double t = box.top() + h;
    const double r = box.right() - h;
    const double b = box.bottom() - h;
    const QPointF c = box.center();
    QPolygonF points;
    switch (params.direction) {
    case Qt::UpArrow:
        points << QPointF(l, b) << QPointF(c.x(), t) << QPointF(r, b);
        break;
    case Qt::DownArrow:
        points << QPointF(l, t) << QPointF(c.x(), b) << QPointF(r, t);
        break;
    case Qt::LeftArrow:
        points << QPointF(r, t) << QPointF(l, c.y()) << QPointF(r, b);
        break;
    case Qt::RightArrow:
        points << QPointF(l, t) << QPointF(r, c.y()) << QPointF(l, b);
        break;
    default:
        return;
    }
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, true);
    if (stroked) {
        // Round ends and joins stay within half the line width of the
        // points, so the chevron stays inside its box.
        painter->setPen(QPen(color, params.lineWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter->setBrush(Qt::NoBrush);
        painter->drawPolyline(points);
    } else {
        painter->setPen(Qt::NoPen);
        painter->setBrush(color);
        painter->drawPolygon(points);
    }
    painter->restore();
}

QRectF snapRectToPixels(const QRectF &rect, double ratio)
{
    if (ratio <= Epsilon)
        return rect;
    QRectF r;
    r.setLeft(snapValue(rect.left(), ratio));
    r.setTop(snapValue(rect.top(), ratio));
    r.setRight(snapValue(rect.right(), ratio));
    r.setBottom(snapValue(rect.bottom(), ratio));
    return r;
}

QMarginsF snapMargins(double ratio, const QMarginsF &margins)
{
    if (!isFractional(ratio))
        return margins;
    return QMarginsF(snapValue(margins.left(), ratio), snapValue(margins.top(), ratio),
                     snapValue(margins.right(), ratio), snapValue(margins.bottom(), ratio));
}

void drawPixelLine(QPainter *painter, const QPointF &from, const QPointF &to)
{
    QPen pen = painter->pen();
    pen.setWidthF(1.0 / deviceRatio(painter));
    painter->save();
    painter->setPen(pen);
    painter->drawLine(from, to);
    painter->restore();
}

void drawText(QPainter *painter, const QString &text, const QRectF &rect, int alignment,
              int wrapMode, int elideMode, int lineSpacing, int maxLines, bool *elided)
{
    if (elided)
        *elided = false;
    const QFont font = painter->font();
    const QFontMetricsF metrics(font, painter->device());
    const QSize block = textSize(text, font, wrapMode, rect.size().toSize(), lineSpacing, maxLines);
    const QRectF r = KelUtils::fitRectF(Qt::Alignment(alignment), rect, block);
    const double lh = lineHeight(font, lineSpacing);
    const QTextOption option = textOption(alignment, wrapMode);
    const double ratio = deviceRatio(painter);
    const bool snap = isFractional(ratio);
    auto pos = [&](double x, double y) {
        return snap ? QPointF(snapValue(x, ratio), snapValue(y, ratio)) : QPointF(x, y);
    };

    const QStringList parts = text.split(QLatin1Char('\n'));
    double top = r.top();
    int lineCount = 0;
    for (int i = 0; i < parts.size(); ++i) {
        const QString &part = parts.at(i);
        QTextLayout layout(part, font, painter->device());
        layout.setTextOption(option);
        QList<QPair<QTextLine, double>> lines;
        QString elidedLine;
        double elidedTop = 0;
        bool last = false;
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(r.width());
            line.setPosition(QPointF(0, 0));
            ++lineCount;
            const bool moreText = line.textStart() + line.textLength() < part.length()
                    || i + 1 < parts.size();
            const bool limitExceeded = maxLines > 0 && lineCount >= maxLines && moreText;
            last = limitExceeded || r.bottom() < top + 2 * lh;
            if (last) {
                const QString rest = part.mid(line.textStart());
                if (elideMode != Qt::ElideNone
                    && (metrics.horizontalAdvance(rest) > r.width() || limitExceeded)) {
                    elidedLine = metrics.elidedText(rest, Qt::TextElideMode(elideMode),
                                                    qRound(r.width()));
                    elidedTop = top;
                } else {
                    lines.append({line, top});
                }
                break;
            }
            lines.append({line, top});
            top += lh;
        }
        layout.endLayout();

        for (const auto &line : qAsConst(lines))
            line.first.draw(painter, pos(r.left(), line.second));
        if (!elidedLine.isNull()) {
            const double width = metrics.horizontalAdvance(elidedLine);
            double x = r.left();
            if (alignment & Qt::AlignRight)
                x = r.right() - width;
            else if (alignment & Qt::AlignHCenter)
                x = r.left() + (r.width() - width) / 2.0;
            painter->drawText(pos(x, elidedTop + metrics.ascent()), elidedLine);
            if (elided)
                *elided = true;
        }
        if (last)
            return;
    }
}

QSize textSize(const QString &text, const QFont &font, int wrapMode, const QSize &bounds,
               int lineSpacing, int maxLines)
{
    const double lh = lineHeight(font, lineSpacing);
    const bool wrapped = bounds.width() > 0;
    const int boundWidth = qMin(bounds.width(), MaxTextWidth);
    const QTextOption option = textOption(Qt::AlignLeft, wrapped ? wrapMode : QTextOption::NoWrap);
    auto fits = [&](double height) { return bounds.height() < 1 || bounds.height() >= height + lh; };

    double height = 0;
    double width = 0;
    int count = 0;
    const QStringList parts = text.split(QLatin1Char('\n'));
    for (const QString &part : parts) {
        QTextLayout layout(part, font);
        layout.setTextOption(option);
        layout.beginLayout();
        bool full = false;
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            if ((maxLines > 0 && count >= maxLines) || !fits(height)) {
                full = true;
                break;
            }
            line.setLineWidth(wrapped ? boundWidth : MaxTextWidth);
            ++count;
            height += lh;
            width = qMax(width, line.naturalTextWidth());
        }
        layout.endLayout();
        if (full)
            break;
    }
    return QSize(wrapped ? boundWidth : qRound(width), qRound(height));
}

QPixmap makePixmap(const QSize &size, double ratio, const QColor &fill)
{
    if (size.isEmpty() || ratio <= Epsilon)
        return QPixmap();
    QPixmap pixmap(int(std::ceil(size.width() * ratio)), int(std::ceil(size.height() * ratio)));
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(fill);
    return pixmap;
}

QPixmap grabWidget(QWidget *widget, int blurRadius, QWidget::RenderFlags flags, const QRect &rect)
{
    if (!widget)
        return QPixmap();
    const double ratio = widget->devicePixelRatioF();
    const QSize size = rect.isEmpty() ? widget->size() : rect.size();
    QPixmap pixmap(qRound(size.width() * ratio), qRound(size.height() * ratio));
    if (pixmap.isNull())
        return pixmap;
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    widget->render(&pixmap, QPoint(), rect.isEmpty() ? QRegion() : QRegion(rect), flags);
    if (blurRadius <= 0)
        return pixmap;

    QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QPixmap blurred(pixmap.size());
    blurred.fill(Qt::transparent);
    {
        QPainter painter(&blurred);
        qt_blurImage(&painter, image, blurRadius, true, false);
    }
    blurred.setDevicePixelRatio(ratio);
    return blurred;
}

void tintImage(QImage &image, const QColor &color)
{
    const QImage::Format format = image.format();
    if (format != QImage::Format_ARGB32 && format != QImage::Format_ARGB32_Premultiplied)
        image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const bool premultiplied = image.format() == QImage::Format_ARGB32_Premultiplied;
    const QRgb rgb = color.rgb() & 0x00FFFFFF;
    for (int y = 0; y < image.height(); ++y) {
        auto line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = (line[x] & 0xFF000000) | rgb;
            line[x] = premultiplied ? qPremultiply(pixel) : pixel;
        }
    }
}

void diagPaintRect(QPainter *painter, const QRectF &rect, const QColor &color)
{
    painter->save();
    painter->setPen(QPen(KelUtils::colorWithAlphaF(color, 0.3), 1.0 / deviceRatio(painter)));
    painter->setBrush(Qt::NoBrush);
    drawRectFrame(painter, rect);
    painter->restore();
}

void diagPaintMargins(QPainter *painter, const QRectF &outer, const QRectF &inner,
                      const QColor &color)
{
    QPainterPath band;
    band.addRect(outer);
    QPainterPath hole;
    hole.addRect(inner);
    painter->fillPath(band.subtracted(hole), KelUtils::colorWithAlphaF(color, 0.2));
    diagPaintRect(painter, outer, color);
}

void diagPaintFrameRect(QPainter *painter, const QRectF &rect, bool frame, bool diagonals)
{
    if (!frame && !diagonals)
        return;
    painter->save();
    painter->setBrush(Qt::NoBrush);
    if (frame)
        drawRectFrame(painter, rect);
    if (diagonals) {
        painter->drawLine(rect.topLeft(), rect.bottomRight());
        painter->drawLine(rect.topRight(), rect.bottomLeft());
    }
    painter->restore();
}

void diagPaintContext(KelPaintContext &ctx, const QMarginsF &margins)
{
    QPainter *painter = ctx.painter();
    const QRectF inner = ctx.rect() - snapMargins(ctx.devicePixelRatio(), margins);
    diagPaintMargins(painter, ctx.rect(), inner, diagGreen());
    diagPaintRect(painter, inner, diagBlue());
}

QColor diagMagenta()
{
    return QColor(242, 0, 255);
}

QColor diagBlue()
{
    return QColor(0, 162, 232);
}

QColor diagYellow()
{
    return QColor(255, 242, 0);
}

QColor diagGreen()
{
    return QColor(13, 255, 78);
}

QColor diagRed()
{
    return QColor(255, 0, 0);
}

bool dbgPaintCustom()
{
    return switches().custom;
}

void setDbgPaintCustom(bool on)
{
    setSwitch(switches().custom, on, Refresh::RepaintAndRestyle);
}

bool dbgPaintKelButton()
{
    return switches().button;
}

void setDbgPaintKelButton(bool on)
{
    setSwitch(switches().button, on, Refresh::Restyle);
}

bool dbgPaintKelDelimiter()
{
    return switches().delimiter;
}

void setDbgPaintKelDelimiter(bool on)
{
    setSwitch(switches().delimiter, on, Refresh::Restyle);
}

bool dbgPaintKelFrame()
{
    return switches().frame;
}

void setDbgPaintKelFrame(bool on)
{
    setSwitch(switches().frame, on, Refresh::Restyle);
}

bool dbgPaintKelIconWidget()
{
    return switches().iconWidget;
}

void setDbgPaintKelIconWidget(bool on)
{
    setSwitch(switches().iconWidget, on, Refresh::Repaint);
}

bool dbgPaintKelLabel()
{
    return switches().label;
}

void setDbgPaintKelLabel(bool on)
{
    setSwitch(switches().label, on, Refresh::Repaint);
}

bool dbgPaintKelPaintContext()
{
    return switches().paintContext;
}

void setDbgPaintKelPaintContext(bool on)
{
    setSwitch(switches().paintContext, on, Refresh::Repaint);
}

bool dbgPaintNonDwmResizer()
{
    return switches().nonDwmResizer;
}

void setDbgPaintNonDwmResizer(bool on)
{
    setSwitch(switches().nonDwmResizer, on, Refresh::Repaint);
}

bool dbgPaintNonDwmShadow()
{
    return switches().nonDwmShadow;
}

void setDbgPaintNonDwmShadow(bool on)
{
    setSwitch(switches().nonDwmShadow, on, Refresh::Repaint);
}

} // namespace KelPainting

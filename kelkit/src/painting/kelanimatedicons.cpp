#include "painting/kelanimatedicons.h"

#include "animators/kelwidgetstateanimator.h"
#include "painting/keliconsprovider.h"
#include "painting/kelpainting.h"
#include "styles/kelstyle.h"
#include "utils/kelcolorutils.h"

#include <QDebug>
#include <QPainter>

#include <cmath>
#include <memory>

using KelUtils::animatedStateColor;

namespace {

// Exact at both ends, so the resting shapes carry no rounding residue.
double lerp(double from, double to, double progress)
{
    if (std::abs(progress) <= 1e-12)
        return from;
    if (qFuzzyCompare(progress, 1.0))
        return to;
    return from + (to - from) * progress;
}

// An invalid or transparent colour fills nothing.
QBrush brushOf(const QColor &color)
{
    return KelUtils::isPaintable(color) ? QBrush(color) : QBrush(Qt::NoBrush);
}

QRectF inset(const QRectF &rect, double by)
{
    return rect.adjusted(by, by, -by, -by);
}

template<typename Icon>
void createAndRegister(KelIconsProvider *provider)
{
    auto icon = std::make_unique<Icon>();
    kelStyle()->applyIconStyle(icon.get());
    provider->registerIcon(icon.release());
}

} // namespace

namespace KelAnimatedIcons {

void create()
{
    KelIconsProvider *provider = KelIconsProvider::instance();
    if (!provider) {
        qWarning() << "No icons provider for the animated icons";
        return;
    }
    createAndRegister<ToggleIcon>(provider);
    createAndRegister<CheckBoxIcon>(provider);
    createAndRegister<RadioIcon>(provider);
}

AnimatedIcon::AnimatedIcon(const QString &name) : KelStyleable(-1)
{
    m_path = name;
}

bool AnimatedIcon::isValid() const
{
    return true;
}

void AnimatedIcon::applyStyle()
{
    kelStyle()->applyIconStyle(this);
}

void AnimatedIcon::setIconSize(const QSize &size)
{
    m_size1x = size;
}

void AnimatedIcon::setColors1(const KelStateColors &colors)
{
    m_colors1 = colors;
}

void AnimatedIcon::setColors2(const KelStateColors &colors)
{
    m_colors2 = colors;
}

AnimatedIcon::Canvas AnimatedIcon::makeCanvas(double pixelRatio, const QSize &size) const
{
    Canvas canvas;
    canvas.ratio = pixelRatio;
    canvas.pixmap = createPixmap(pixelRatio, size);
    if (canvas.pixmap.isNull())
        return canvas;
    const QRectF frame(0, 0, qRound(canvas.pixmap.width() / pixelRatio),
                       qRound(canvas.pixmap.height() / pixelRatio));
    const bool fractional = std::abs(pixelRatio - std::trunc(pixelRatio)) > 1e-12;
    canvas.frame = fractional ? KelPainting::snapRectToPixels(frame, pixelRatio) : frame;
    return canvas;
}

QPen AnimatedIcon::borderPen(const QColor &color, int width, double ratio)
{
    if (!KelUtils::isPaintable(color) || width <= 0)
        return QPen(Qt::NoPen);
    return QPen(color, std::round(ratio * width) / ratio, Qt::SolidLine, Qt::SquareCap,
                Qt::MiterJoin);
}

const char *const ToggleIcon::Name = "KelAnimatedToggleIcon";

ToggleIcon::ToggleIcon() : AnimatedIcon(QString::fromLatin1(Name)) { }

void ToggleIcon::setKnobInset(int inset)
{
    m_knobInset = inset;
}

void ToggleIcon::setKnobStretch(int stretch)
{
    m_knobStretch = stretch;
}

QPixmap ToggleIcon::animatedPixmap(double pixelRatio, const QSize &size, const QColor &tint,
                                   KelWidgetStateAnimator *animator) const
{
    Q_UNUSED(tint)
    const QColor track = animatedStateColor(m_colors1, animator);
    const QColor knob = animatedStateColor(m_colors2, animator);
    Canvas canvas = makeCanvas(pixelRatio, size);
    if (canvas.pixmap.isNull())
        return canvas.pixmap;
    QPainter painter(&canvas.pixmap);
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QRectF frame = canvas.frame;

    painter.setPen(Qt::NoPen);
    painter.setBrush(brushOf(track));
    KelPainting::drawRoundedRect(&painter, frame, frame.height() / 2.0);

    const QRectF area = inset(frame, m_knobInset);
    const double h = area.height();
    const double p = animator ? animator->checkedProgress() : 0.0;
    const double x = lerp(area.left(), area.right() - h, p);
    const double q = p < 0.5 ? 2.0 * p : 2.0 * (1.0 - p);
    const double w = lerp(h, h + m_knobStretch, q);
    QRectF knobRect = area;
    knobRect.setLeft(x - (w - h) / 2.0);
    knobRect.setWidth(w);

    painter.setBrush(brushOf(knob));
    painter.drawRoundedRect(knobRect, h / 2.0, h / 2.0);
    return canvas.pixmap;
}

const char *const CheckBoxIcon::Name = "KelAnimatedCheckBoxIcon";

CheckBoxIcon::CheckBoxIcon() : AnimatedIcon(QString::fromLatin1(Name)) { }

void CheckBoxIcon::setColors3(const KelStateColors &colors)
{
    m_colors3 = colors;
}

void CheckBoxIcon::setBorderWidth(int width)
{
    m_borderWidth = width;
}

void CheckBoxIcon::setCornerRadius(int radius)
{
    m_cornerRadius = radius;
}

void CheckBoxIcon::setCheckLineWidth(double width)
{
    m_checkLineWidth = width;
}

void CheckBoxIcon::setCheckPath(const QPainterPath &path)
{
    m_checkPath = path;
    m_checkPathLength = path.length();
}

QPixmap CheckBoxIcon::animatedPixmap(double pixelRatio, const QSize &size, const QColor &tint,
                                     KelWidgetStateAnimator *animator) const
{
    Q_UNUSED(tint)
    const QColor box = animatedStateColor(m_colors1, animator);
    const QColor border = animatedStateColor(m_colors2, animator);
    const QColor check = animatedStateColor(m_colors3, animator);
    Canvas canvas = makeCanvas(pixelRatio, size);
    if (canvas.pixmap.isNull())
        return canvas.pixmap;
    QPainter painter(&canvas.pixmap);
    painter.setRenderHint(QPainter::Antialiasing, true);

    painter.setPen(borderPen(border, m_borderWidth, canvas.ratio));
    painter.setBrush(brushOf(box));
    KelPainting::drawRoundedRect(&painter, canvas.frame, m_cornerRadius);

    if (!KelUtils::isPaintable(check))
        return canvas.pixmap;
    QPen checkPen(check, canvas.ratio * m_checkLineWidth, Qt::SolidLine, Qt::SquareCap,
                  Qt::BevelJoin);
    const double penWidth = checkPen.widthF();
    if (animator && animator->isChecked() && penWidth > 1e-12) {
        // Only the first checkedProgress part of the mark is stroked, so it
        // is drawn in from its first point.
        checkPen.setDashPattern(
                {animator->checkedProgress() * m_checkPathLength / penWidth, m_checkPathLength});
    }
    painter.setPen(checkPen);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(m_checkPath);
    return canvas.pixmap;
}

const char *const RadioIcon::Name = "KelAnimatedRadioIcon";

RadioIcon::RadioIcon() : AnimatedIcon(QString::fromLatin1(Name)) { }

void RadioIcon::setColors3(const KelStateColors &colors)
{
    m_colors3 = colors;
}

void RadioIcon::setDotInset(int inset)
{
    m_dotInset = inset;
}

void RadioIcon::setBorderWidth(int width)
{
    m_borderWidth = width;
}

QPixmap RadioIcon::animatedPixmap(double pixelRatio, const QSize &size, const QColor &tint,
                                  KelWidgetStateAnimator *animator) const
{
    Q_UNUSED(tint)
    const QColor circle = animatedStateColor(m_colors1, animator);
    const QColor border = animatedStateColor(m_colors2, animator);
    const QColor dot = animatedStateColor(m_colors3, animator);
    Canvas canvas = makeCanvas(pixelRatio, size);
    if (canvas.pixmap.isNull())
        return canvas.pixmap;
    QPainter painter(&canvas.pixmap);
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QRectF frame = canvas.frame;

    painter.setPen(borderPen(border, m_borderWidth, canvas.ratio));
    painter.setBrush(brushOf(circle));
    KelPainting::drawRoundedRect(&painter, frame, frame.height() / 2.0);

    QRectF dotRect = inset(frame, m_dotInset);
    if (animator && animator->isChecked()) {
        const double p = animator->checkedProgress();
        const QPointF c = dotRect.center();
        dotRect = QRectF(QPointF(lerp(c.x(), dotRect.left(), p), lerp(c.y(), dotRect.top(), p)),
                         QPointF(lerp(c.x(), dotRect.right(), p), lerp(c.y(), dotRect.bottom(), p)));
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(brushOf(dot));
    painter.drawRoundedRect(dotRect, dotRect.height() / 2.0, dotRect.height() / 2.0);
    return canvas.pixmap;
}

} // namespace KelAnimatedIcons

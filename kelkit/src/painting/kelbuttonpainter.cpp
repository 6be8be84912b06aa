#include "painting/kelbuttonpainter.h"

#include "animators/kelwidgetstateanimator.h"
#include "painting/kelicon.h"
#include "painting/keliconsprovider.h"
#include "painting/kelpaintcontext.h"
#include "painting/kelpainting.h"
#include "utils/kelcolorutils.h"
#include "utils/kelfontutils.h"
#include "utils/kelgeometryutils.h"

#include <QFontMetricsF>
#include <QPointer>
#include <QTextOption>
#include <QWidget>

#include <cmath>

namespace {

constexpr double Epsilon = 1e-12;
const Qt::Alignment HorizontalMask = Qt::AlignHorizontal_Mask;
const Qt::Alignment VerticalMask = Qt::AlignVertical_Mask;

bool isFractional(double ratio)
{
    return std::abs(ratio - std::trunc(ratio)) > Epsilon;
}

// A size counts as a part of the content only when it is not empty.
bool present(const QSize &size)
{
    return size.isValid() && !size.isEmpty();
}

QSize boxOf(const KelArrowParams &arrow)
{
    return QSize(arrow.size.width() + arrow.margins.left() + arrow.margins.right(),
                 arrow.size.height() + arrow.margins.top() + arrow.margins.bottom());
}

KelIcon *iconFor(const QString &path)
{
    KelIconsProvider *provider = KelIconsProvider::instance();
    return provider ? provider->icon(path) : nullptr;
}

} // namespace

class KelButtonPainter::Private
{
public:
    explicit Private(KelButtonPainter *q) : q(q) { }

    QFont currentFont() const;
    void ensureMetrics() const;
    bool hasIcon() const { return icon && icon->isValid(); }
    QSize effectiveIconSize() const;
    bool hasArrow() const { return present(arrowBox()); }
    QSize arrowBox() const { return boxOf(arrow).expandedTo(boxOf(checkedArrow)); }
    QSizeF measure(const QString &text, const QFont &font, const QSize &oneLine,
                   const QSizeF &area) const;
    QSize contentSize(bool minimum) const;
    void layoutContent();
    void invalidate();
    void drawText(QPainter *painter, double ratio, const QString &text, const QFont &font,
                  const QRectF &rect, const QSize &size, int capHeight, const QColor &color);

    KelButtonPainter *q;
    int spacing = 0;
    int verticalSpacing = 0;
    KelStateColors textColors;
    int iconPlacement = Qt::LeftEdge;
    KelIcon *icon = nullptr;
    bool colorizeIcon = false;
    QSize iconSize;
    bool iconColorsSet = false;
    KelStateColors iconColors;
    QString text;
    QFont font;
    int alignment = Qt::AlignCenter;
    bool elided = false;
    int elideMode = Qt::ElideRight;
    int wrapMode = QTextOption::NoWrap;
    QString secondText;
    QFont secondFont;
    bool secondTextColorsSet = false;
    KelStateColors secondTextColors;
    int textLayoutMode = 2;
    int textSpacing = 0;
    QChar textSeparator;
    KelArrowParams arrow;
    KelArrowParams checkedArrow;
    KelStateColors arrowColors;
    int contentLayoutMode = 0;
    bool layoutDirty = true;
    QRect iconRect;
    QRectF textRect;
    QRectF secondTextRect;
    QRect arrowRect;
    mutable bool metricsValid = false;
    mutable QSize textSize;
    mutable QSize textMinSize;
    mutable QSize secondTextSize;
    mutable QSize secondTextMinSize;
    mutable int textCapHeight = 0;
    mutable int secondTextCapHeight = 0;
};

QFont KelButtonPainter::Private::currentFont() const
{
    if (QWidget *owner = q->widget())
        return owner->font();
    return font;
}

void KelButtonPainter::Private::ensureMetrics() const
{
    if (metricsValid)
        return;
    metricsValid = true;
    textSize = textMinSize = secondTextSize = secondTextMinSize = QSize();
    textCapHeight = secondTextCapHeight = 0;
    if (text.isEmpty() && secondText.isEmpty())
        return;

    static const QString dots = QStringLiteral("...");
    const QFont mainFont = currentFont();
    const QFontMetrics metrics(mainFont);
    if (!text.isEmpty()) {
        textSize = metrics.size(Qt::TextSingleLine, text);
        textMinSize = metrics.size(Qt::TextSingleLine, dots);
        textCapHeight = metrics.capHeight();
    }
    if (secondText.isEmpty())
        return;
    const QFontMetrics secondMetrics = secondFont == mainFont ? metrics : QFontMetrics(secondFont);
    secondTextSize = secondMetrics.size(Qt::TextSingleLine, secondText);
    // Measured even when the main text is empty, so that a lone second text
    // keeps its minimum size.
    secondTextMinSize = secondMetrics.size(Qt::TextSingleLine, dots);
    secondTextCapHeight = secondMetrics.capHeight();
}

QSize KelButtonPainter::Private::effectiveIconSize() const
{
    if (!hasIcon())
        return QSize();
    return iconSize.isValid() ? iconSize : icon->size1x();
}

QSizeF KelButtonPainter::Private::measure(const QString &text, const QFont &font,
                                          const QSize &oneLine, const QSizeF &area) const
{
    if (wrapMode == QTextOption::NoWrap)
        return oneLine;
    return KelPainting::textSize(text, font, wrapMode, area.toSize());
}

QSize KelButtonPainter::Private::contentSize(bool minimum) const
{
    ensureMetrics();
    const QSize I = effectiveIconSize();
    const bool hasI = present(I);
    const QSize rawT = minimum ? textMinSize : textSize;
    const QSize rawS = minimum ? secondTextMinSize : secondTextSize;
    const bool hasT = present(rawT);
    const bool hasS = present(rawS);
    const QSize T = hasT ? rawT : QSize(0, 0);
    const QSize S = hasS ? rawS : QSize(0, 0);
    const bool sideBySide = textLayoutMode == 1;
    const bool arrowShown = hasArrow();
    const QSize A = arrowShown ? arrowBox() : QSize(0, 0);
    const QSize icon = hasI ? I : QSize(0, 0);

    int width = 0;
    int height = 0;
    if (iconPlacement == Qt::TopEdge || iconPlacement == Qt::BottomEdge) {
        if (sideBySide) {
            const int textsWidth = T.width() + S.width() + (hasT && hasS ? spacing : 0);
            width = qMax(icon.width(), textsWidth);
            height = icon.height() + qMax(T.height(), S.height())
                    + (hasI && (hasT || hasS) ? verticalSpacing : 0);
        } else {
            width = qMax(icon.width(), qMax(T.width(), S.width()));
            const int parts = int(hasI) + int(hasT) + int(hasS);
            height = icon.height() + T.height() + S.height() + verticalSpacing * qMax(parts - 1, 0);
        }
        if (arrowShown && (hasI || hasT || hasS))
            width += spacing;
    } else {
        const int textsWidth = sideBySide ? T.width() + S.width() : qMax(T.width(), S.width());
        const int textsHeight = sideBySide ? qMax(T.height(), S.height()) : T.height() + S.height();
        const int parts = int(hasI) + int(hasT || hasS) + int(arrowShown);
        const int gaps = qMax(parts - 1, 0) + (sideBySide && hasT && hasS ? 1 : 0);
        width = icon.width() + textsWidth + spacing * gaps;
        height = qMax(icon.height(), textsHeight);
    }
    if (arrowShown) {
        width += A.width();
        height = qMax(height, A.height());
    }
    return QSize(width, height);
}

void KelButtonPainter::Private::layoutContent()
{
    ensureMetrics();
    const QRect R = q->contentsRect();
    const bool anyText = !text.isEmpty() || !secondText.isEmpty();
    const bool arrowShown = hasArrow();

    iconRect = QRect();
    if (hasIcon()) {
        int iconAlignment = Qt::AlignCenter;
        if (anyText || arrowShown) {
            switch (iconPlacement) {
            case Qt::TopEdge:
                iconAlignment = Qt::AlignTop | Qt::AlignHCenter;
                break;
            case Qt::RightEdge:
                iconAlignment = Qt::AlignRight | Qt::AlignVCenter;
                break;
            case Qt::BottomEdge:
                iconAlignment = Qt::AlignBottom | Qt::AlignHCenter;
                break;
            default:
                iconAlignment = Qt::AlignLeft | Qt::AlignVCenter;
                break;
            }
        }
        iconRect = KelUtils::fitRect(Qt::Alignment(iconAlignment), R, effectiveIconSize());
    }

    arrowRect = arrowShown ? KelUtils::fitRect(Qt::AlignRight | Qt::AlignVCenter, R, arrowBox())
                           : QRect();

    QRectF area(R);
    if (iconRect.isValid()) {
        switch (iconPlacement) {
        case Qt::TopEdge:
            area.setTop(area.top() + iconRect.height() + spacing);
            break;
        case Qt::RightEdge:
            area.setRight(area.right() - iconRect.width() - spacing);
            break;
        case Qt::BottomEdge:
            area.setBottom(area.bottom() - iconRect.height() - spacing);
            break;
        default:
            area.setLeft(area.left() + iconRect.width() + spacing);
            break;
        }
    }
    if (arrowRect.isValid())
        area.setRight(area.right() - arrowRect.width() - spacing);

    const Qt::Alignment align(alignment);
    const QFont mainFont = currentFont();
    textRect = QRectF();
    secondTextRect = QRectF();
    if (!text.isEmpty() && !secondText.isEmpty()) {
        if (textLayoutMode == 1) {
            const QSizeF T = textSize;
            const QSizeF S = secondTextSize;
            if (align & Qt::AlignHCenter) {
                const double width = qMin(area.width(), T.width() + S.width() + spacing);
                area = QRectF(area.center().x() - width / 2.0, area.top(), width, area.height());
            }
            secondTextRect = KelUtils::fitRectF((align & VerticalMask) | Qt::AlignRight, area, S,
                                                true);
            area.setRight(secondTextRect.left() - spacing);
            textRect = KelUtils::fitRectF(align, area, T, true);
        } else {
            const QSizeF T = measure(text, mainFont, textSize, area.size());
            const QSizeF S = measure(secondText, secondFont, secondTextSize, area.size());
            const double pairHeight = T.height() + textSpacing + S.height();
            const double top = area.top() + (area.height() - pairHeight) / 2.0;
            const Qt::Alignment horizontal = (align & HorizontalMask) | Qt::AlignTop;
            const QRectF mainArea(area.left(), top, area.width(), area.bottom() - top);
            textRect = KelUtils::fitRectF(horizontal, mainArea, T, true);
            const double secondTop = textRect.bottom() + textSpacing;
            const QRectF secondArea(area.left(), secondTop, area.width(),
                                    qMax(0.0, area.bottom() - secondTop));
            secondTextRect = KelUtils::fitRectF(horizontal, secondArea, S, true);
        }
    } else if (!text.isEmpty()) {
        textRect = KelUtils::fitRectF(align, area, measure(text, mainFont, textSize, area.size()),
                                      true);
    } else if (!secondText.isEmpty()) {
        secondTextRect = KelUtils::fitRectF(align, area,
                                            measure(secondText, secondFont, secondTextSize,
                                                    area.size()),
                                            true);
    }

    if (!anyText)
        return;
    double textLeft = 0;
    double textRight = 0;
    bool first = true;
    for (const QRectF &r : {textRect, secondTextRect}) {
        if (r.isNull())
            continue;
        textLeft = first ? r.left() : qMin(textLeft, r.left());
        textRight = first ? r.right() : qMax(textRight, r.right());
        first = false;
    }
    if (first)
        return;

    // Centred texts keep the icon beside them rather than at the far edge.
    if (iconRect.isValid() && (align & Qt::AlignHCenter)) {
        if (iconPlacement == Qt::LeftEdge) {
            const int left = qRound(textLeft) - spacing - iconRect.width();
            if (left > iconRect.left())
                iconRect.moveLeft(left);
        } else if (iconPlacement == Qt::RightEdge) {
            const int left = qRound(textRight) + spacing + 1;
            if (left < iconRect.left())
                iconRect.moveLeft(left);
        }
    }
    if (arrowRect.isValid() && contentLayoutMode == 1) {
        const int left = qRound(textRight) + spacing + 1;
        if (left < arrowRect.left())
            arrowRect.moveLeft(left);
    }
}

void KelButtonPainter::Private::invalidate()
{
    q->invalidateGeometry();
    q->invalidate();
}

void KelButtonPainter::Private::drawText(QPainter *painter, double ratio, const QString &text,
                                         const QFont &font, const QRectF &rect, const QSize &size,
                                         int capHeight, const QColor &color)
{
    if (!KelUtils::isPaintable(color))
        return;
    QFont used = font;
    painter->setFont(used);
    if (used.pixelSize() > 0 && painter->font().pixelSize() != used.pixelSize()) {
        used.setPixelSize(font.pixelSize());
        painter->setFont(used);
    }
    painter->setPen(QPen(color, std::round(ratio) / ratio));
    if (wrapMode == QTextOption::NoWrap) {
        QString shown = text;
        if (rect.width() < size.width()) {
            shown = QFontMetricsF(painter->font())
                            .elidedText(text, Qt::TextElideMode(elideMode), rect.width());
            elided = elided || shown != text;
        }
        painter->drawText(QPointF(rect.left(), rect.center().y() + capHeight / 2.0), shown);
        return;
    }
    bool cut = false;
    KelPainting::drawText(painter, text, rect, (alignment & 0x1F) | Qt::AlignTop, wrapMode,
                          elideMode, QFontMetrics(font).lineSpacing(), 0, &cut);
    elided = elided || cut;
}

KelButtonPainter::KelButtonPainter(QWidget *owner)
    : KelFramePainter(owner), d(std::make_unique<Private>(this))
{ }

KelButtonPainter::~KelButtonPainter() = default;

QString KelButtonPainter::text() const
{
    return d->text;
}

void KelButtonPainter::setText(const QString &text)
{
    QString main = text;
    QString second = d->secondText;
    if (!d->textSeparator.isNull()) {
        const int at = text.indexOf(d->textSeparator);
        main = at < 0 ? text : text.left(at);
        second = at < 0 ? QString() : text.mid(at + 1);
    }
    // The pair is compared, so that "a|b" followed by "a" clears "b".
    if (main == d->text && second == d->secondText)
        return;
    d->text = main;
    d->secondText = second;
    d->metricsValid = false;
    d->invalidate();
    onTextChanged(d->text);
}

QString KelButtonPainter::secondText() const
{
    return d->secondText;
}

void KelButtonPainter::setSecondText(const QString &text)
{
    if (d->secondText == text)
        return;
    d->secondText = text;
    d->metricsValid = false;
    d->invalidate();
    onSecondTextChanged(d->secondText);
}

QChar KelButtonPainter::textSeparator() const
{
    return d->textSeparator;
}

void KelButtonPainter::setTextSeparator(QChar separator)
{
    d->textSeparator = separator;
}

KelStateColors KelButtonPainter::textColors() const
{
    return d->textColors;
}

void KelButtonPainter::setTextColors(const KelStateColors &colors)
{
    if (d->textColors == colors)
        return;
    d->textColors = colors;
    repaint();
}

KelStateColors KelButtonPainter::secondTextColors() const
{
    return d->secondTextColorsSet ? d->secondTextColors : d->textColors;
}

void KelButtonPainter::setSecondTextColors(const KelStateColors &colors)
{
    if (d->secondTextColorsSet && d->secondTextColors == colors)
        return;
    d->secondTextColors = colors;
    d->secondTextColorsSet = true;
    repaint();
}

KelStateColors KelButtonPainter::iconColors() const
{
    return d->iconColors;
}

void KelButtonPainter::setIconColors(const KelStateColors &colors)
{
    if (d->iconColorsSet && d->iconColors == colors)
        return;
    d->iconColors = colors;
    d->iconColorsSet = true;
    if (!d->colorizeIcon) {
        d->colorizeIcon = true;
        d->invalidate();
    }
    repaint();
}

KelStateColors KelButtonPainter::arrowColors() const
{
    return d->arrowColors;
}

void KelButtonPainter::setArrowColors(const KelStateColors &colors)
{
    if (d->arrowColors == colors)
        return;
    d->arrowColors = colors;
    repaint();
}

void KelButtonPainter::setThirdColors(const KelStateColors &colors)
{
    setArrowColors(colors);
}

KelIcon *KelButtonPainter::icon() const
{
    return d->icon;
}

void KelButtonPainter::setIcon(const QString &path)
{
    setIcon(iconFor(path));
}

void KelButtonPainter::setIcon(const char *path)
{
    setIcon(QString::fromUtf8(path));
}

void KelButtonPainter::setIcon(KelIcon *icon)
{
    d->icon = icon;
    d->invalidate();
}

bool KelButtonPainter::colorizeIcon() const
{
    return d->colorizeIcon;
}

void KelButtonPainter::setColorizeIcon(bool colorize)
{
    if (d->colorizeIcon == colorize)
        return;
    d->colorizeIcon = colorize;
    invalidateGeometry();
    repaint();
}

int KelButtonPainter::iconPlacement() const
{
    return d->iconPlacement;
}

void KelButtonPainter::setIconPlacement(int edge)
{
    if (d->iconPlacement == edge)
        return;
    d->iconPlacement = edge;
    d->invalidate();
}

QSize KelButtonPainter::iconSize() const
{
    return d->iconSize;
}

void KelButtonPainter::setIconSize(const QSize &size)
{
    if (d->iconSize == size)
        return;
    d->iconSize = size;
    d->invalidate();
}

int KelButtonPainter::spacing() const
{
    return d->spacing;
}

int KelButtonPainter::verticalSpacing() const
{
    return d->verticalSpacing;
}

void KelButtonPainter::setSpacing(int spacing)
{
    if (d->spacing == spacing && d->verticalSpacing == spacing)
        return;
    d->spacing = spacing;
    d->verticalSpacing = spacing;
    d->invalidate();
}

int KelButtonPainter::textSpacing() const
{
    return d->textSpacing;
}

void KelButtonPainter::setTextSpacing(int spacing)
{
    if (d->textSpacing == spacing)
        return;
    d->textSpacing = spacing;
    d->invalidate();
}

int KelButtonPainter::textAlignment() const
{
    return d->alignment;
}

void KelButtonPainter::setTextAlignment(int alignment)
{
    if (d->alignment == alignment)
        return;
    d->alignment = alignment;
    d->invalidate();
}

int KelButtonPainter::textLayoutMode() const
{
    return d->textLayoutMode;
}

void KelButtonPainter::setTextLayoutMode(int mode)
{
    if (d->textLayoutMode == mode)
        return;
    d->textLayoutMode = mode;
    d->invalidate();
}

int KelButtonPainter::contentLayoutMode() const
{
    return d->contentLayoutMode;
}

void KelButtonPainter::setContentLayoutMode(int mode)
{
    if (d->contentLayoutMode == mode)
        return;
    d->contentLayoutMode = mode;
    d->invalidate();
}

int KelButtonPainter::elideMode() const
{
    return d->elideMode;
}

void KelButtonPainter::setElideMode(int mode)
{
    if (d->elideMode == mode)
        return;
    d->elideMode = mode;
    d->metricsValid = false;
    d->invalidate();
}

int KelButtonPainter::wrapMode() const
{
    return d->wrapMode;
}

void KelButtonPainter::setWrapMode(int mode)
{
    if (d->wrapMode == mode)
        return;
    d->wrapMode = mode;
    d->metricsValid = false;
    d->invalidate();
}

QFont KelButtonPainter::font() const
{
    return d->currentFont();
}

void KelButtonPainter::setFont(const QFont &font)
{
    QWidget *owner = widget();
    // A widget without a font of its own follows the application font, so
    // setting one is never a no-op there.
    const bool always = owner && !owner->testAttribute(Qt::WA_SetFont);
    if (!always && d->currentFont() == font)
        return;
    if (owner)
        owner->setFont(font);
    else
        d->font = font;
    d->metricsValid = false;
    d->invalidate();
}

void KelButtonPainter::setFont(int pixelSize, int weight)
{
    setFont(KelUtils::makeFont(pixelSize, weight));
}

QFont KelButtonPainter::secondFont() const
{
    return d->secondFont;
}

void KelButtonPainter::setSecondFont(const QFont &font)
{
    if (d->secondFont == font)
        return;
    d->secondFont = font;
    d->metricsValid = false;
    d->invalidate();
}

void KelButtonPainter::setSecondFont(int pixelSize, int weight)
{
    setSecondFont(KelUtils::makeFont(pixelSize, weight));
}

KelArrowParams KelButtonPainter::arrow() const
{
    return d->arrow;
}

KelArrowParams KelButtonPainter::checkedArrow() const
{
    return d->checkedArrow;
}

void KelButtonPainter::setArrow(const KelArrowParams &arrow, const KelArrowParams &checkedArrow)
{
    if (d->arrow == arrow && d->checkedArrow == checkedArrow)
        return;
    d->arrow = arrow;
    d->checkedArrow = checkedArrow;
    d->invalidate();
}

void KelButtonPainter::setLayoutParams(const KelArrowParams &arrow,
                                       const KelArrowParams &checkedArrow)
{
    setArrow(arrow, checkedArrow);
}

QRect KelButtonPainter::iconRect()
{
    ensureGeometryIsValid();
    return d->iconRect;
}

QRect KelButtonPainter::textRect()
{
    ensureGeometryIsValid();
    return d->textRect.toAlignedRect();
}

QRect KelButtonPainter::secondTextRect()
{
    ensureGeometryIsValid();
    return d->secondTextRect.toAlignedRect();
}

QRect KelButtonPainter::arrowRect()
{
    ensureGeometryIsValid();
    return d->arrowRect;
}

bool KelButtonPainter::isTextElided() const
{
    return d->elided;
}

void KelButtonPainter::resetTextMetrics()
{
    d->metricsValid = false;
    d->invalidate();
}

bool KelButtonPainter::hasHeightForWidth() const
{
    return d->wrapMode != QTextOption::NoWrap && (!d->text.isEmpty() || !d->secondText.isEmpty());
}

int KelButtonPainter::heightForWidth(int width) const
{
    d->ensureMetrics();
    const QSize frame = KelFramePainter::sizeHint();
    int available = width - frame.width();
    int height = 0;
    int side = 0;
    if (d->hasIcon()) {
        const QSize icon = d->effectiveIconSize();
        if (d->iconPlacement == Qt::TopEdge || d->iconPlacement == Qt::BottomEdge) {
            height += icon.height() + d->verticalSpacing;
        } else {
            available -= icon.width() + d->spacing;
            side = icon.height();
        }
    }
    if (d->hasArrow()) {
        const QSize box = d->arrowBox();
        available -= box.width() + d->spacing;
        side = qMax(side, box.height());
    }
    if (d->textLayoutMode == 1 && !d->secondText.isEmpty())
        available -= d->secondTextSize.width() + d->spacing;
    const QSize bounds(qMax(available, 1), 0);
    if (!d->text.isEmpty())
        height += KelPainting::textSize(d->text, d->currentFont(), d->wrapMode, bounds).height();
    if (!d->secondText.isEmpty())
        height += KelPainting::textSize(d->secondText, d->secondFont, d->wrapMode, bounds).height();
    if (!d->text.isEmpty() && !d->secondText.isEmpty())
        height += d->verticalSpacing;
    return qMax(frame.height() + side, frame.height() + height);
}

QSize KelButtonPainter::sizeHint() const
{
    return d->contentSize(false) + KelFramePainter::sizeHint();
}

QSize KelButtonPainter::minimumSizeHint() const
{
    const QWidget *owner = widget();
    const bool shrinks = owner
            && (owner->sizePolicy().horizontalPolicy() & QSizePolicy::ShrinkFlag);
    return d->contentSize(shrinks) + KelFramePainter::sizeHint();
}

void KelButtonPainter::ensureGeometryIsValid()
{
    const bool frameChanged = isGeometryDirty();
    KelFramePainter::ensureGeometryIsValid();
    if (isGeometryDirty())
        return;
    if (!d->layoutDirty && !frameChanged)
        return;
    d->layoutContent();
    d->layoutDirty = false;
}

void KelButtonPainter::paintContent(KelPaintContext &ctx, KelWidgetStateAnimator *animator)
{
    using KelUtils::animatedStateColor;
    ensureGeometryIsValid();
    d->elided = false;
    if (isGeometryDirty())
        return;
    QPainter *painter = ctx.painter();
    const double ratio = ctx.devicePixelRatio();

    const bool needsTextColor = !d->text.isEmpty()
            || (!d->secondText.isEmpty() && !d->secondTextColorsSet)
            || (d->hasIcon() && !d->iconColorsSet);
    const QColor textColor = needsTextColor ? animatedStateColor(d->textColors, animator)
                                            : QColor();
    const QColor secondColor = d->secondTextColorsSet && !d->secondText.isEmpty()
            ? animatedStateColor(d->secondTextColors, animator)
            : textColor;

    if (d->hasIcon() && d->iconRect.isValid()) {
        const QColor iconColor = d->iconColorsSet ? animatedStateColor(d->iconColors, animator)
                                                  : textColor;
        if (iconColor.alphaF() > 0) {
            const double opacity = painter->opacity();
            painter->setOpacity(opacity * iconColor.alphaF());
            const QColor tint = d->colorizeIcon ? KelUtils::colorWithAlphaF(iconColor, 1.0)
                                                : QColor();
            d->icon->paint(painter, d->iconRect, Qt::AlignCenter, d->effectiveIconSize(), tint,
                           animator);
            painter->setOpacity(opacity);
        }
    }

    const bool arrowShown = d->hasArrow();
    const QColor arrowColor = arrowShown ? animatedStateColor(d->arrowColors, animator) : QColor();

    painter->save();
    if (!d->text.isEmpty() && d->textRect.isValid()) {
        d->drawText(painter, ratio, d->text, d->currentFont(), d->textRect, d->textSize,
                    d->textCapHeight, textColor);
    }
    if (!d->secondText.isEmpty() && d->secondTextRect.isValid()) {
        d->drawText(painter, ratio, d->secondText, d->secondFont, d->secondTextRect,
                    d->secondTextSize, d->secondTextCapHeight, secondColor);
    }
    painter->restore();

    if (arrowShown && d->arrowRect.isValid()) {
        QRectF rect(d->arrowRect);
        if (isFractional(ratio))
            rect = KelPainting::snapRectToPixels(rect, ratio);
        const bool checked = animator && animator->isChecked() && !d->checkedArrow.size.isEmpty();
        KelPainting::drawArrow(painter, rect, arrowColor, checked ? d->checkedArrow : d->arrow);
    }
}

void KelButtonPainter::onInvalidated()
{
    d->layoutDirty = true;
    updateWidget();
}

void KelButtonPainter::onTextChanged(const QString &) { }

void KelButtonPainter::onSecondTextChanged(const QString &) { }

namespace KelPainting {

void diagPaintButtonPainter(KelPaintContext &ctx, KelButtonPainter *buttonPainter)
{
    if (!buttonPainter)
        return;
    const double ratio = ctx.devicePixelRatio();
    for (const QRect &r : {buttonPainter->iconRect(), buttonPainter->textRect(),
                           buttonPainter->secondTextRect(), buttonPainter->arrowRect()}) {
        if (r.isValid())
            diagPaintRect(ctx.painter(), snapRectToPixels(QRectF(r), ratio), diagRed());
    }
}

} // namespace KelPainting

namespace KelUtils {

void setFontSize(QWidget *widget, int pixelSize, int weight, const QString &family)
{
    // A button draws its text with its painter's font, not the widget's.
    if (auto *painter = dynamic_cast<KelButtonPainter *>(widget))
        painter->setFont(makeFont(pixelSize, weight, family));
    else
        setWidgetFont(widget, pixelSize, weight, family);
}

} // namespace KelUtils

#include "widgets/kellabel.h"

#include "animators/keldisabledstateanimator.h"
#include "painting/kelgraphicsopacityeffect.h"
#include "painting/kelpaintcontext.h"
#include "painting/kelpainting.h"
#include "styles/kelstyle.h"
#include "utils/kelhooks.h"

#include <QEvent>
#include <QPainter>
#include <QStyle>
#include <QTextDocument>
#include <QTextOption>

namespace {

constexpr int DefaultStyleId = KelStyle::WT_Label;
// Tall enough for any label text to lay out without clipping.
constexpr int UnboundedHeight = 1 << 20;

} // namespace

// While wrap-anywhere is on it edits the option of the document Qt lays
// rich text out with.
class KelLabel::Private : public KelUtils::ITextOptionCallback
{
public:
    explicit Private(KelLabel *owner) : owner(owner) { }

    void editTextOption(QTextOption &option) override
    {
        if (owner->wordWrap())
            option.setWrapMode(QTextOption::WrapAnywhere);
    }

    void forgetElision()
    {
        lastText.clear();
        elided = false;
    }

    bool isPlainText() const
    {
        const Qt::TextFormat format = owner->textFormat();
        return format == Qt::PlainText
                || (format == Qt::AutoText && !Qt::mightBeRichText(owner->text()));
    }

    // Qt's label lays plain text out with fixed flags, so a label that
    // wraps anywhere measures and draws that text itself.
    bool wrapsAnywhere() const
    {
        return wrapAnywhere && owner->wordWrap() && !owner->text().isEmpty() && isPlainText();
    }

    int textFlags() const
    {
        return int(owner->alignment()) | Qt::TextWordWrap | Qt::TextWrapAnywhere;
    }

    // The rectangle the text is drawn in, as QLabel places it.
    QRect textRect() const
    {
        QRect rect = owner->contentsRect();
        const int margin = owner->margin();
        rect.adjust(margin, margin, -margin, -margin);
        int indent = owner->indent();
        if (indent < 0 && owner->frameWidth())
            indent = owner->fontMetrics().horizontalAdvance(QLatin1Char('x')) / 2 - margin;
        if (indent > 0) {
            const Qt::Alignment align = QStyle::visualAlignment(owner->layoutDirection(),
                                                                owner->alignment());
            if (align & Qt::AlignLeft)
                rect.setLeft(rect.left() + indent);
            if (align & Qt::AlignRight)
                rect.setRight(rect.right() - indent);
            if (align & Qt::AlignTop)
                rect.setTop(rect.top() + indent);
            if (align & Qt::AlignBottom)
                rect.setBottom(rect.bottom() - indent);
        }
        return rect;
    }

    // Space around the text rectangle; it does not depend on the size.
    QSize textInsets() const
    {
        const QRect text = textRect();
        return QSize(owner->width() - text.width(), owner->height() - text.height());
    }

    QSize textSizeForWidth(int textWidth) const
    {
        return owner->fontMetrics()
                .boundingRect(QRect(0, 0, qMax(0, textWidth), UnboundedHeight), textFlags(),
                              owner->text())
                .size();
    }

    KelLabel *owner;
    KelDisabledStateAnimator *disabledAnimator = nullptr;
    Qt::TextElideMode elideMode = Qt::ElideNone;
    QString elidedText;
    QString lastText;
    bool elided = false;
    bool wrapAnywhere = false;
};

KelLabel::KelLabel(int styleId, QWidget *parent)
    : QLabel(parent), KelStyleable(styleId), d(std::make_unique<Private>(this))
{
    d->disabledAnimator = new KelDisabledStateAnimator(1, this);
    d->disabledAnimator->setWidget(this);
    new KelGraphicsOpacityEffect(this);
    connect(d->disabledAnimator, &KelDisabledStateAnimator::disabledProgressChanged, this, [this] {
        if (auto *effect = qobject_cast<KelGraphicsOpacityEffect *>(graphicsEffect()))
            effect->setOpacity(d->disabledAnimator->disabledOpacity());
    });
    applyStyle();
}

KelLabel::KelLabel(QWidget *parent) : KelLabel(DefaultStyleId, parent) { }

KelLabel::~KelLabel()
{
    KelHooks::unregisterTextOptionOverride(this);
}

void KelLabel::applyStyle()
{
    if (hasStyleId())
        kelStyle()->applyLabelStyle(this, styleId());
}

Qt::TextElideMode KelLabel::elideMode() const
{
    return d->elideMode;
}

void KelLabel::setElideMode(Qt::TextElideMode mode)
{
    if (d->elideMode == mode)
        return;
    d->elideMode = mode;
    QSizePolicy policy = sizePolicy();
    policy.setHorizontalPolicy(mode == Qt::ElideNone ? QSizePolicy::Preferred
                                                     : QSizePolicy::Maximum);
    setSizePolicy(policy);
    d->forgetElision();
    update();
}

void KelLabel::setWrapAnywhere(bool on)
{
    if (d->wrapAnywhere == on)
        return;
    d->wrapAnywhere = on;
    if (on)
        KelHooks::registerTextOptionOverride(this, d.get());
    else
        KelHooks::unregisterTextOptionOverride(this);
    // Makes QLabel lay its document out again with the new option.
    setWordWrap(wordWrap());
    updateGeometry();
    update();
}

bool KelLabel::isWrapAnywhere() const
{
    return d->wrapAnywhere;
}

QSize KelLabel::sizeHint() const
{
    if (!d->wrapsAnywhere())
        return QLabel::sizeHint();
    // As QLabel does for wrapped text: at most about 80 characters wide.
    const QSize insets = d->textInsets();
    int width = fontMetrics().averageCharWidth() * 80;
    width = qMin(width, maximumWidth() - insets.width());
    return d->textSizeForWidth(width) + insets;
}

QSize KelLabel::minimumSizeHint() const
{
    if (d->elideMode != Qt::ElideNone) {
        const QString shortest = d->lastText.left(1) + QStringLiteral("...");
        return fontMetrics().boundingRect(shortest).size().grownBy(contentsMargins());
    }
    if (!d->wrapsAnywhere())
        return QLabel::minimumSizeHint();
    // As narrow as one character, as high as one line.
    const QSize insets = d->textInsets();
    const int width = d->textSizeForWidth(0).width();
    const int height = qMin(d->textSizeForWidth(QWIDGETSIZE_MAX).height(),
                            sizeHint().height() - insets.height());
    return QSize(width, height) + insets;
}

int KelLabel::heightForWidth(int width) const
{
    if (!d->wrapsAnywhere())
        return QLabel::heightForWidth(width);
    const QSize insets = d->textInsets();
    return d->textSizeForWidth(width - insets.width()).height() + insets.height();
}

void KelLabel::setText(const QString &text)
{
    QLabel::setText(text);
}

void KelLabel::setNum(int number)
{
    setText(QString::number(number));
}

void KelLabel::setNum(double number)
{
    setText(QString::number(number));
}

void KelLabel::clear()
{
    // QLabel::clear() bypasses setText and so the hook.
    if (text().isEmpty())
        QLabel::clear();
    else
        setText(QString());
}

void KelLabel::paintEvent(QPaintEvent *event)
{
    if (KelPainting::dbgPaintKelPaintContext() || KelPainting::dbgPaintKelLabel()) {
        KelPaintContext context(this);
        if (KelPainting::dbgPaintKelLabel())
            KelPainting::diagPaintContext(context, QMarginsF(contentsMargins()));
    }

    const QString text = this->text();
    if (text != d->lastText) {
        d->lastText = text;
        d->elided = false;
        if (d->elideMode != Qt::ElideNone && !Qt::mightBeRichText(text)) {
            d->elidedText = fontMetrics().elidedText(text, d->elideMode, contentsRect().width());
            d->elided = d->elidedText != text;
        }
    }

    if (d->elided) {
        QPainter painter(this);
        painter.drawText(contentsRect(), int(alignment()), d->elidedText);
        return;
    }
    if (d->wrapsAnywhere()) {
        QPainter painter(this);
        style()->drawItemText(&painter, d->textRect(), d->textFlags(), palette(), isEnabled(), text,
                              foregroundRole());
        return;
    }
    QLabel::paintEvent(event);
}

void KelLabel::resizeEvent(QResizeEvent *event)
{
    QLabel::resizeEvent(event);
    d->forgetElision();
}

void KelLabel::changeEvent(QEvent *event)
{
    // Text elided for another font would be cut at the wrong place.
    if (event->type() == QEvent::FontChange)
        d->forgetElision();
    QLabel::changeEvent(event);
}

#include "moc_kellabel.cpp"

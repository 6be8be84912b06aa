#include "widgets/kellineedit.h"

#include "animators/kelwidgetstateanimator.h"
#include "painting/kelicon.h"
#include "painting/keliconsprovider.h"
#include "painting/kelpaintcontext.h"
#include "painting/kelpainting.h"
#include "styles/kelstyle.h"
#include "utils/kelcolorutils.h"
#include "utils/kelgeometryutils.h"
#include "widgets/kelbutton.h"
#include "widgets/kelqmenustyler.h"

#include <QKeyEvent>
#include <QList>
#include <QPointer>
#include <QSignalBlocker>

namespace {

const int InnerButtonStyleId = KelStyle::WT_LineEdit_Button;
const int MenuStyleId = KelStyle::WT_Menu;
// QLineEdit keeps this much room between its frame and the text by itself.
const int LineEditTextMargin = 2;

} // namespace

class KelLineEdit::Private
{
public:
    explicit Private(KelLineEdit *q) : q(q) { }

    QMargins frameBands() const { return q->margins() + q->borderWidths(); }
    int iconWidth() const;
    int buttonsWidth() const;
    void updateTextMargins();
    void layoutButtons();
    void updateClearButton();
    void addInnerButton(KelButton *button);
    void clearText();
    void applyPasswordRule(bool focused);
    QSize sizeHint(bool minimum) const;

    KelLineEdit *q;
    int textVerticalShift = 0;
    int buttonsSpacing = 0;
    bool passwordWhenUnfocused = false;
    KelIcon *icon = nullptr;
    QMargins iconMargins;
    KelStateColors iconColors{Qt::transparent, Qt::transparent, Qt::transparent, QColor(),
                              Qt::transparent, Qt::transparent, Qt::transparent, QColor()};
    bool styleCharsWidth = true;
    QList<QPointer<KelButton>> buttons;
    QPointer<KelButton> clearButton;
    bool clearOnEscape = false;
    KelWidgetStateAnimator *stateAnimator = nullptr;
};

int KelLineEdit::Private::iconWidth() const
{
    if (!icon)
        return 0;
    return icon->size1x().width() + iconMargins.left() + iconMargins.right();
}

int KelLineEdit::Private::buttonsWidth() const
{
    int width = 0;
    for (const QPointer<KelButton> &button : buttons) {
        if (button && button->isVisibleTo(q))
            width += button->width();
    }
    return width > 0 ? width + buttonsSpacing : 0;
}

void KelLineEdit::Private::updateTextMargins()
{
    const QMargins frame = q->margins() + q->KelFramePainter::contentsMargins() + q->borderWidths();
    const int left = frame.left() - LineEditTextMargin + iconWidth();
    const int right = frame.right() - LineEditTextMargin + buttonsWidth();
    q->setTextMargins(left, textVerticalShift, right, -textVerticalShift);
    q->updateGeometry();
    q->update();
}

void KelLineEdit::Private::layoutButtons()
{
    const QMargins bands = frameBands();
    int x = q->width() - bands.right();
    const int height = qMax(q->height() - (bands.top() + bands.bottom()), 0);
    for (const QPointer<KelButton> &button : buttons) {
        if (!button)
            continue;
        x -= button->width();
        button->setFixedHeight(height);
        button->move(x, bands.top());
    }
}

void KelLineEdit::Private::updateClearButton()
{
    if (clearButton) {
        const bool show = !q->text().isEmpty();
        if (clearButton->isVisibleTo(q) != show) {
            clearButton->setVisible(show);
            updateTextMargins();
        }
    }
    const QSizePolicy::Policy policy = q->sizePolicy().horizontalPolicy();
    if ((policy & QSizePolicy::ShrinkFlag) || policy == QSizePolicy::Fixed)
        q->updateGeometry();
}

void KelLineEdit::Private::addInnerButton(KelButton *button)
{
    button->setParent(q);
    connect(button, &KelWidget::visibilityToParentChanged, q, [this] { updateTextMargins(); });
    // A style re-applied to the button may resize it after the field laid it
    // out; the field lays it out again, which settles once the height fits.
    connect(button, &KelWidget::resized, q, [this] {
        updateTextMargins();
        layoutButtons();
    });
    buttons.append(button);
    updateTextMargins();
    layoutButtons();
}

void KelLineEdit::Private::clearText()
{
    q->clear();
    emit q->textEdited(QString());
    if (clearButton)
        clearButton->hide();
}

void KelLineEdit::Private::applyPasswordRule(bool focused)
{
    const QLineEdit::EchoMode mode = focused ? QLineEdit::Normal : QLineEdit::Password;
    if (q->echoMode() != mode)
        q->setEchoMode(mode);
}

QSize KelLineEdit::Private::sizeHint(bool minimum) const
{
    const QMargins frame = q->margins() + q->KelFramePainter::contentsMargins() + q->borderWidths();
    int width = frame.left() + frame.right() + iconWidth();
    int height = frame.top() + frame.bottom();
    const QFontMetrics metrics = q->fontMetrics();
    const int x = metrics.horizontalAdvance(QLatin1Char('x'));
    if (styleCharsWidth) {
        width += kelStyle()->metric(KelStyle::M_LineEdit_WidthInChars) * x;
    } else if (minimum) {
        width += x;
    } else {
        const QString text = q->text().isEmpty() ? q->placeholderText() : q->text();
        int textWidth = metrics.horizontalAdvance(text);
        if (!q->inputMask().isEmpty())
            textWidth = qMax(textWidth, metrics.horizontalAdvance(q->inputMask()));
        width += textWidth;
    }
    height += metrics.height();
    width += buttonsWidth() + 3;
    return QSize(width, height);
}

KelLineEdit::KelLineEdit(int styleId, QWidget *parent)
    : QLineEdit(parent), KelFramePainter(this), KelStyleable(styleId),
      KelCanClearFocusOnClickOutside(this), d(std::make_unique<Private>(this))
{
    // The frame painter draws frame and background; the native panel would
    // cover it.
    setFrame(false);
    QPalette palette = this->palette();
    palette.setBrush(QPalette::Base, Qt::transparent);
    setPalette(palette);

    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(this, &QLineEdit::textChanged, this, [this] { d->updateClearButton(); });
    setFocusPolicy(Qt::WheelFocus);
    d->stateAnimator = new KelWidgetStateAnimator(2, this);
    d->stateAnimator->setWidget(this);
    new KelQMenuStyler(this, MenuStyleId);
    if (hasStyleId())
        applyStyle();
}

KelLineEdit::~KelLineEdit() = default;

void KelLineEdit::addClearButton(bool clearOnEscape)
{
    if (d->clearButton)
        return;
    auto *button = new KelButton(InnerButtonStyleId, kelStyle()->iconPath(KelStyle::IC_Clear), this);
    d->clearButton = button;
    d->addInnerButton(button);
    button->setVisible(!text().isEmpty());
    d->updateTextMargins();
    connect(button, &KelButton::clicked, this, [this] { d->clearText(); });
    d->clearOnEscape = clearOnEscape;
    if (clearOnEscape)
        connect(this, &KelLineEdit::cancelPressed, this, [this] { d->clearText(); });
}

KelButton *KelLineEdit::addButton(const QString &iconPath)
{
    auto *button = new KelButton(InnerButtonStyleId, iconPath, this);
    d->addInnerButton(button);
    return button;
}

void KelLineEdit::setIcon(const QString &name)
{
    KelIconsProvider *provider = KelIconsProvider::instance();
    KelIcon *icon = provider ? provider->icon(name) : nullptr;
    d->icon = icon && !icon->size1x().isEmpty() && icon->isValid() ? icon : nullptr;
    d->updateTextMargins();
}

void KelLineEdit::setIconMargins(const QMargins &margins)
{
    d->iconMargins = margins;
    d->updateTextMargins();
}

void KelLineEdit::setIconColors(const KelStateColors &colors)
{
    d->iconColors = colors;
    update();
}

void KelLineEdit::setButtonsSpacing(int spacing)
{
    d->buttonsSpacing = spacing;
    d->updateTextMargins();
}

void KelLineEdit::setTextVerticalShift(int shift)
{
    d->textVerticalShift = shift;
    d->updateTextMargins();
}

void KelLineEdit::setStyleCharsWidth(bool enabled)
{
    d->styleCharsWidth = enabled;
    updateGeometry();
}

void KelLineEdit::setPasswordWhenUnfocused(bool enabled)
{
    d->passwordWhenUnfocused = enabled;
    if (enabled)
        d->applyPasswordRule(hasFocus());
}

void KelLineEdit::setTextSilently(const QString &text)
{
    {
        const QSignalBlocker blocker(this);
        if (this->text() != text)
            setText(text);
    }
    d->updateClearButton();
}

void KelLineEdit::setMargins(const QMargins &margins)
{
    KelFramePainter::setMargins(margins);
    d->updateTextMargins();
}

void KelLineEdit::setContentsMargins(const QMargins &margins)
{
    KelFramePainter::setContentsMargins(margins);
    d->updateTextMargins();
}

void KelLineEdit::applyStyle()
{
    if (hasStyleId())
        kelStyle()->applyLineEditStyle(this, styleId());
}

QSize KelLineEdit::sizeHint() const
{
    return d->sizeHint(false);
}

QSize KelLineEdit::minimumSizeHint() const
{
    return d->sizeHint(true);
}

bool KelLineEdit::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::FocusIn:
    case QEvent::FocusOut: {
        const bool in = event->type() == QEvent::FocusIn;
        if (d->passwordWhenUnfocused)
            d->applyPasswordRule(in);
        if (in)
            emit focused();
        else
            emit focusLost();
        break;
    }
    case QEvent::Move:
        d->layoutButtons();
        break;
    default:
        break;
    }
    return QLineEdit::event(event);
}

void KelLineEdit::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Cancel) && !text().isEmpty() && d->clearOnEscape
        && d->clearButton) {
        emit cancelPressed();
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void KelLineEdit::mouseMoveEvent(QMouseEvent *event)
{
    if (event->buttons() != Qt::NoButton) {
        QLineEdit::mouseMoveEvent(event);
        return;
    }
    const QRect textArea = rect().marginsRemoved(d->frameBands())
                                   .adjusted(d->iconWidth(), 0, -d->buttonsWidth(), 0);
    const Qt::CursorShape shape = textArea.contains(event->pos()) ? Qt::IBeamCursor
                                                                  : Qt::ArrowCursor;
    if (cursor().shape() != shape)
        setCursor(shape);
}

void KelLineEdit::resizeEvent(QResizeEvent *event)
{
    setFrameSize(size());
    QLineEdit::resizeEvent(event);
    d->layoutButtons();
}

void KelLineEdit::paintEvent(QPaintEvent *event)
{
    {
        KelPaintContext ctx(this);
        paintFrame(ctx, d->stateAnimator);
    }
    QLineEdit::paintEvent(event);

    const bool diagnostics = KelPainting::dbgPaintKelPaintContext()
            || KelPainting::dbgPaintKelFrame();
    if (!d->icon && !diagnostics)
        return;
    KelPaintContext ctx(this);
    if (d->icon) {
        const QRect area = rect().marginsRemoved(d->frameBands() + d->iconMargins);
        const QRect iconRect = KelUtils::fitRect(Qt::AlignLeft | Qt::AlignVCenter, area,
                                                 d->icon->size1x(), true);
        // A transparent or invalid colour is no tint: the icon's own colours.
        const QColor state = KelUtils::animatedStateColor(d->iconColors, d->stateAnimator);
        const QColor tint = KelUtils::isPaintable(state) ? state : QColor();
        d->icon->paint(&ctx, iconRect, Qt::AlignCenter, d->icon->size1x(), tint, d->stateAnimator);
    }
    if (diagnostics) {
        KelPainting::diagPaintFramePainter(ctx, this);
        KelPainting::diagPaintRect(&ctx, QRectF(rect().marginsRemoved(textMargins())),
                                   KelPainting::diagRed());
    }
}

#include "moc_kellineedit.cpp"

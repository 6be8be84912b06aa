#include "ui/widgets/badgedbutton.h"

#include "painting/kelpaintcontext.h"
#include "styles/kelstyle.h"

class BadgedButton::Private
{
public:
    QMargins requestedMargins;
    std::unique_ptr<Badge> badge;
};

BadgedButton::Badge::Badge(int styleId, BadgedButton *button)
    : KelButtonPainter(nullptr), KelStyleable(styleId), m_button(button)
{ }

BadgedButton::Badge::~Badge() = default;

void BadgedButton::Badge::applyStyle()
{
    if (hasStyleId())
        kelStyle()->applyButtonStyle(this, styleId(), QString());
    updateSize();
}

QSize BadgedButton::Badge::size() const
{
    return m_size;
}

BadgedButton *BadgedButton::Badge::button() const
{
    return m_button;
}

void BadgedButton::Badge::onInvalidated()
{
    KelButtonPainter::onInvalidated();
    updateSize();
    m_button->update();
}

void BadgedButton::Badge::updateSize()
{
    const QSize hint = sizeHint();
    if (hint == m_size)
        return;
    m_size = hint;
    setFrameSize(m_size);
    m_button->onBadgeSizeChanged();
}

BadgedButton::BadgedButton(int styleId, const QString &iconPath, QWidget *parent, bool noStyle)
    : KelButton(styleId, iconPath, parent, true), d(std::make_unique<Private>())
{
    d->requestedMargins = KelButton::contentsMargins();
    // The base could not style itself: the margins setter was not yet ours.
    if (!noStyle)
        applyStyle();
}

BadgedButton::BadgedButton(int styleId, QWidget *parent, bool noStyle)
    : BadgedButton(styleId, QString(), parent, noStyle)
{ }

BadgedButton::~BadgedButton() = default;

void BadgedButton::setBadgeStyle(int styleId)
{
    if (d->badge) {
        d->badge->setStyleId(styleId);
        return;
    }
    d->badge = std::make_unique<Badge>(styleId, this);
    d->badge->applyStyle();
}

BadgedButton::Badge *BadgedButton::badge() const
{
    return d->badge.get();
}

void BadgedButton::setContentsMargins(const QMargins &margins)
{
    d->requestedMargins = margins;
    QMargins effective = margins;
    if (d->badge)
        effective.setRight(effective.right() + d->badge->size().width());
    KelButton::setContentsMargins(effective);
}

void BadgedButton::paint(KelPaintContext &ctx)
{
    KelButton::paint(ctx);
    Badge *badge = d->badge.get();
    if (!badge || badge->text().isEmpty() || badge->size().isEmpty())
        return;
    ensureGeometryIsValid();
    const int left = KelFramePainter::contentsRect().right() + 1 + spacing();
    const int top = (height() - badge->size().height()) / 2;
    QPainter *painter = ctx.painter();
    painter->save();
    painter->translate(left, top);
    painter->setOpacity(painter->opacity() * badge->opacity());
    badge->paintFrame(ctx, stateAnimator());
    badge->paintContent(ctx, stateAnimator());
    painter->restore();
}

void BadgedButton::onBadgeSizeChanged()
{
    setContentsMargins(d->requestedMargins);
}

#include "moc_badgedbutton.cpp"

#include "ui/widgets/itembutton.h"

#include "animators/kelwidgetstateanimator.h"
#include "painting/kelpaintcontext.h"
#include "painting/kelpainting.h"
#include "utils/kelcolorutils.h"

#include <QTextOption>

ItemButton::ItemButton(int styleId, QWidget *parent) : KelButton(styleId, parent) { }

ItemButton::~ItemButton() = default;

QString ItemButton::infoText() const
{
    return m_infoText;
}

void ItemButton::setInfoText(const QString &text)
{
    if (m_infoText == text)
        return;
    m_infoText = text;
    update();
}

void ItemButton::paint(KelPaintContext &ctx)
{
    KelButton::paint(ctx);
    if (m_infoText.isEmpty())
        return;
    ensureGeometryIsValid();
    QRect rect = KelFramePainter::contentsRect();
    rect.setLeft(InfoTextLeft);
    rect.setRight(width() - 1);
    if (rect.width() <= 0)
        return;
    QPainter *painter = ctx.painter();
    painter->save();
    painter->setOpacity(opacity());
    painter->setFont(font());
    painter->setPen(KelUtils::animatedStateColor(textColors(), stateAnimator()));
    KelPainting::drawText(painter, m_infoText, rect, Qt::AlignLeft | Qt::AlignVCenter,
                          QTextOption::NoWrap, Qt::ElideRight);
    painter->restore();
}

#include "moc_itembutton.cpp"

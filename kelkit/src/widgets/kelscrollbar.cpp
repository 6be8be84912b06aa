#include "widgets/kelscrollbar.h"

#include "styles/kelstyle.h"
#include "widgets/kelqmenustyler.h"

#include <QAbstractScrollArea>

namespace {

constexpr int MenuStyleId = KelStyle::WT_Menu;

} // namespace

KelScrollBar::KelScrollBar(int styleId, Qt::Orientation orientation, QWidget *parent,
                           int availabilityMode, bool noStyle)
    : QScrollBar(orientation, parent), KelStyleable(styleId), m_availabilityMode(availabilityMode)
{
    init();
    if (!noStyle && hasStyleId())
        applyStyle();
}

KelScrollBar::KelScrollBar(int styleId, Qt::Orientation orientation, QAbstractScrollArea *area,
                           int availabilityMode, bool noStyle, QWidget *parent)
    : QScrollBar(orientation, parent ? parent : area), KelStyleable(styleId),
      m_availabilityMode(availabilityMode)
{
    init();
    if (!noStyle && hasStyleId())
        applyStyle();
    if (!area)
        return;

    const bool horizontal = orientation == Qt::Horizontal;
    m_target = horizontal ? area->horizontalScrollBar() : area->verticalScrollBar();
    copyTarget();
    if (horizontal)
        area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    else
        area->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    connect(this, &QScrollBar::valueChanged, m_target, &QScrollBar::setValue);
    connect(m_target, &QScrollBar::rangeChanged, this, &KelScrollBar::copyTarget);
    connect(m_target, &QScrollBar::valueChanged, this, &KelScrollBar::copyTarget);
}

KelScrollBar::~KelScrollBar() = default;

void KelScrollBar::init()
{
    setObjectName(orientation() == Qt::Horizontal ? QStringLiteral("KelHorizontalScrollBar")
                                                  : QStringLiteral("KelVerticalScrollBar"));
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    setAutoFillBackground(false);
    connect(this, &QScrollBar::rangeChanged, this, &KelScrollBar::updateAvailability);
    new KelQMenuStyler(this, MenuStyleId);
}

void KelScrollBar::applyStyle()
{
    if (hasStyleId())
        kelStyle()->applyScrollBarStyle(this, styleId());
}

int KelScrollBar::availabilityMode() const
{
    return m_availabilityMode;
}

QScrollBar *KelScrollBar::target() const
{
    return m_target;
}

bool KelScrollBar::isScrollAvailable() const
{
    return minimum() != maximum();
}

void KelScrollBar::copyTarget()
{
    if (!m_target)
        return;
    setOrientation(m_target->orientation());
    setRange(m_target->minimum(), m_target->maximum());
    setSingleStep(m_target->singleStep());
    setPageStep(m_target->pageStep());
    setValue(m_target->value());
}

void KelScrollBar::updateAvailability()
{
    const bool available = isScrollAvailable();
    if (m_availabilityMode == HideUnavailable)
        setVisible(available);
    emit scrollAvailableChanged(available);
}

void KelScrollBar::showEvent(QShowEvent *event)
{
    copyTarget();
    QScrollBar::showEvent(event);
}

void KelScrollBar::paintEvent(QPaintEvent *event)
{
    if (m_availabilityMode == BlankUnavailable && !isScrollAvailable())
        return;
    QScrollBar::paintEvent(event);
}

#include "moc_kelscrollbar.cpp"

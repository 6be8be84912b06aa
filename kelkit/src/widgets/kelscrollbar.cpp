#include "widgets/kelscrollbar.h"

#include "styles/kelstyle.h"
#include "widgets/kelqmenustyler.h"

#include <QAbstractScrollArea>
#include <QPointer>

namespace {

constexpr int MenuStyleId = KelStyle::WT_Menu;

} // namespace

class KelScrollBar::Private
{
public:
    Private(KelScrollBar *q, int availabilityMode) : q(q), availabilityMode(availabilityMode) { }

    void init();
    void copyTarget();
    void updateAvailability();

    KelScrollBar *const q;
    QPointer<QScrollBar> target;
    const int availabilityMode;
};

void KelScrollBar::Private::init()
{
    q->setObjectName(q->orientation() == Qt::Horizontal ? QStringLiteral("KelHorizontalScrollBar")
                                                        : QStringLiteral("KelVerticalScrollBar"));
    q->setAttribute(Qt::WA_OpaquePaintEvent, false);
    q->setAutoFillBackground(false);
    QObject::connect(q, &QScrollBar::rangeChanged, q, [this] { updateAvailability(); });
    new KelQMenuStyler(q, MenuStyleId);
}

void KelScrollBar::Private::copyTarget()
{
    if (!target)
        return;
    q->setOrientation(target->orientation());
    q->setRange(target->minimum(), target->maximum());
    q->setSingleStep(target->singleStep());
    q->setPageStep(target->pageStep());
    q->setValue(target->value());
}

void KelScrollBar::Private::updateAvailability()
{
    const bool available = q->isScrollAvailable();
    if (availabilityMode == HideUnavailable)
        q->setVisible(available);
    emit q->scrollAvailableChanged(available);
}

KelScrollBar::KelScrollBar(int styleId, Qt::Orientation orientation, QWidget *parent,
                           int availabilityMode, bool noStyle)
    : QScrollBar(orientation, parent), KelStyleable(styleId),
      d(std::make_unique<Private>(this, availabilityMode))
{
    d->init();
    if (!noStyle && hasStyleId())
        applyStyle();
}

KelScrollBar::KelScrollBar(int styleId, Qt::Orientation orientation, QAbstractScrollArea *area,
                           int availabilityMode, bool noStyle, QWidget *parent)
    : QScrollBar(orientation, parent ? parent : area), KelStyleable(styleId),
      d(std::make_unique<Private>(this, availabilityMode))
{
    d->init();
    if (!noStyle && hasStyleId())
        applyStyle();
    if (!area)
        return;

    const bool horizontal = orientation == Qt::Horizontal;
    d->target = horizontal ? area->horizontalScrollBar() : area->verticalScrollBar();
    d->copyTarget();
    if (horizontal)
        area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    else
        area->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    connect(this, &QScrollBar::valueChanged, d->target, &QScrollBar::setValue);
    connect(d->target, &QScrollBar::rangeChanged, this, [this] { d->copyTarget(); });
    connect(d->target, &QScrollBar::valueChanged, this, [this] { d->copyTarget(); });
}

KelScrollBar::~KelScrollBar() = default;

void KelScrollBar::applyStyle()
{
    if (hasStyleId())
        kelStyle()->applyScrollBarStyle(this, styleId());
}

int KelScrollBar::availabilityMode() const
{
    return d->availabilityMode;
}

QScrollBar *KelScrollBar::target() const
{
    return d->target;
}

bool KelScrollBar::isScrollAvailable() const
{
    return minimum() != maximum();
}

void KelScrollBar::showEvent(QShowEvent *event)
{
    d->copyTarget();
    QScrollBar::showEvent(event);
}

void KelScrollBar::paintEvent(QPaintEvent *event)
{
    if (d->availabilityMode == BlankUnavailable && !isScrollAvailable())
        return;
    QScrollBar::paintEvent(event);
}

#include "moc_kelscrollbar.cpp"

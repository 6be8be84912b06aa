#include "widgets/kelabstractscrollareashadows.h"

#include "eventfilters/kelfunctionfilter.h"
#include "widgets/kellinearshadowwidget.h"

#include <QAbstractScrollArea>
#include <QEvent>
#include <QMap>
#include <QPointer>
#include <QScrollBar>

namespace {

bool counts(const QScrollBar *bar)
{
    return bar && bar->minimum() != bar->maximum();
}

} // namespace

class KelAbstractScrollAreaShadows::Private : public QObject
{
public:
    explicit Private(QAbstractScrollArea *area)
        : area(area), areaWidget(area), showFilter(new KelFunctionFilter(
                                                [this](QObject *watched, QEvent *event) {
                                                    followShow(watched, event);
                                                    return false;
                                                },
                                                this))
    {
        if (area)
            area->installEventFilter(showFilter);
    }

    // The shadows are siblings of the area and would outlive it.
    ~Private() override
    {
        if (areaWidget)
            areaWidget->removeEventFilter(showFilter);
        deleteShadows();
    }

    void deleteShadows()
    {
        for (const QPointer<KelLinearShadowWidget> &shadow : qAsConst(shadows))
            delete shadow.data();
        shadows.clear();
    }

    void followShow(QObject *watched, QEvent *event)
    {
        // Compared as a widget: while it is being destroyed the area is no
        // scroll area any more.
        if (watched == areaWidget && event->type() == QEvent::Show && areaWidget->isVisible())
            update(false);
    }

    void connectBars()
    {
        for (QScrollBar *bar : {area->horizontalScrollBar(), area->verticalScrollBar()}) {
            connections << connect(bar, &QScrollBar::valueChanged, this, [this] { update(true); });
            connections << connect(bar, &QScrollBar::rangeChanged, this, [this] { update(true); });
        }
    }

    void disconnectBars()
    {
        for (const QMetaObject::Connection &connection : qAsConst(connections))
            disconnect(connection);
        connections.clear();
    }

    void update(bool animated)
    {
        if (!area)
            return;
        const QScrollBar *h = area->horizontalScrollBar();
        const QScrollBar *v = area->verticalScrollBar();
        for (Qt::Edge edge : {Qt::LeftEdge, Qt::TopEdge, Qt::RightEdge, Qt::BottomEdge}) {
            KelLinearShadowWidget *shadow = shadows.value(edge);
            if (!(scrollEdges & edge) || !shadow)
                continue;
            bool visible = false;
            switch (edge) {
            case Qt::LeftEdge:
                visible = counts(h) && h->value() > h->minimum();
                break;
            case Qt::RightEdge:
                visible = counts(h) && h->value() < h->maximum();
                break;
            case Qt::TopEdge:
                visible = counts(v) && v->value() > v->minimum();
                break;
            case Qt::BottomEdge:
                visible = counts(v) && v->value() < v->maximum();
                break;
            }
            shadow->setVisibleAnimated(visible, animated);
        }
    }

    QPointer<QAbstractScrollArea> area;
    QPointer<QWidget> areaWidget;
    KelFunctionFilter *showFilter;
    Qt::Edges scrollEdges;
    QMap<Qt::Edge, QPointer<KelLinearShadowWidget>> shadows;
    QList<QMetaObject::Connection> connections;
};

KelAbstractScrollAreaShadows::KelAbstractScrollAreaShadows(QAbstractScrollArea *area, QObject *owner)
    : QObject(owner), d(std::make_unique<Private>(area))
{ }

KelAbstractScrollAreaShadows::~KelAbstractScrollAreaShadows() = default;

void KelAbstractScrollAreaShadows::setShadowEdges(Qt::Edges edges, int styleId,
                                                  Qt::Edges scrollEdges)
{
    d->disconnectBars();
    d->deleteShadows();
    if (!d->area)
        return;

    for (Qt::Edge edge : {Qt::LeftEdge, Qt::TopEdge, Qt::RightEdge, Qt::BottomEdge}) {
        if (edges & edge) {
            d->shadows.insert(edge,
                              new KelLinearShadowWidget(styleId, edge,
                                                        KelLinearShadowWidget::InsideEdge, d->area));
        }
    }

    d->scrollEdges = scrollEdges;
    if (scrollEdges)
        d->connectBars();
    d->update(false);
}

#include "moc_kelabstractscrollareashadows.cpp"

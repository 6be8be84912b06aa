#include "widgets/keliconwidget.h"

#include "painting/kelicon.h"
#include "painting/keliconsprovider.h"
#include "painting/kelpaintcontext.h"
#include "painting/kelpainting.h"

namespace {

constexpr double DisabledOpacity = 0.7;

KelIcon *lookUpIcon(const char *name)
{
    KelIconsProvider *provider = KelIconsProvider::instance();
    return provider ? provider->icon(name) : nullptr;
}

} // namespace

class KelIconWidget::Private
{
public:
    KelIcon *icon = nullptr;
    Qt::Alignment alignment = Qt::AlignCenter;
    QColor tint;
    QSize iconSize;
};

KelIconWidget::KelIconWidget(QWidget *parent) : KelWidget(parent), d(std::make_unique<Private>())
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

KelIconWidget::KelIconWidget(const char *iconName, QWidget *parent) : KelIconWidget(parent)
{
    d->icon = lookUpIcon(iconName);
    updateGeometry();
}

KelIconWidget::~KelIconWidget() = default;

void KelIconWidget::setIcon(const QString &name)
{
    setIconByName(name.toUtf8().constData());
}

void KelIconWidget::setIconByName(const char *name)
{
    d->icon = lookUpIcon(name);
    updateGeometry();
}

KelIcon *KelIconWidget::icon() const
{
    return d->icon;
}

Qt::Alignment KelIconWidget::alignment() const
{
    return d->alignment;
}

void KelIconWidget::setAlignment(Qt::Alignment alignment)
{
    if (d->alignment == alignment)
        return;
    d->alignment = alignment;
    update();
}

QSize KelIconWidget::iconSize() const
{
    return d->iconSize;
}

void KelIconWidget::setIconSize(const QSize &size)
{
    if (d->iconSize == size)
        return;
    d->iconSize = size;
    updateGeometry();
    update();
}

QSize KelIconWidget::minimumSizeHint() const
{
    QSize size = d->iconSize;
    if (!size.isValid())
        size = d->icon ? d->icon->size1x() : QSize(-1, -1);
    if (!size.isValid())
        return QSize(-1, -1);
    return size.grownBy(contentsMargins());
}

QSize KelIconWidget::sizeHint() const
{
    return minimumSizeHint();
}

void KelIconWidget::paintEvent(QPaintEvent *)
{
    KelPaintContext context(this);
    if (KelPainting::dbgPaintKelIconWidget())
        KelPainting::diagPaintContext(context, QMarginsF(contentsMargins()));
    // The null icon of a missing path has nothing to draw.
    if (!d->icon || !d->icon->isValid())
        return;
    if (!isEnabled())
        context.setOpacity(DisabledOpacity);
    d->icon->paint(&context, contentsRect(), d->alignment, d->iconSize, d->tint,
                   KelPainting::Normal);
}

#include "moc_keliconwidget.cpp"

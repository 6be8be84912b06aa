#include "ui/mainwindow/cardthumbnail.h"

#include "animators/kelwidgetstateanimator.h"
#include "painting/kelpaintcontext.h"
#include "painting/kelpainting.h"
#include "styles/kelstyle.h"
#include "ui/mainwindow/cardresources.h"
#include "ui/style.h"
#include "ui/ui.h"

#include <QPainterPath>

#include <cmath>

namespace {

// The largest growth of the picture while hovered, in logical pixels.
constexpr double HoverGrowth = 12.0;

bool isWholeRatio(double ratio)
{
    return std::abs(ratio - std::round(ratio)) < 1e-12;
}

// A brush offset this close to the frame's corner is none: it would only
// show a sliver of background at the edge.
double snapSmallOffset(double value)
{
    return value > 0.0 && value < 2.0 ? 0.0 : value;
}

} // namespace

class CardThumbnail::Private
{
public:
    QImage image;
    QByteArray data;
    // Names the data in the thumbnail cache; new for every data set.
    QString dataKey;
    QString path;
    QColor background;
};

CardThumbnail::CardThumbnail(QWidget *parent)
    : KelButton(Style::WT_Card_Thumbnail, QString(), parent, true), d(std::make_unique<Private>())
{
    initCardResources();
    setIcon(QStringLiteral(":/svg/thumb-play.svg"));
    applyStyle();
}

CardThumbnail::~CardThumbnail() = default;

QString CardThumbnail::path() const
{
    return d->path;
}

void CardThumbnail::setPath(const QString &path)
{
    if (d->path == path)
        return;
    d->path = path;
    update();
}

QImage CardThumbnail::image() const
{
    return d->data.isEmpty() ? d->image : QImage::fromData(d->data);
}

void CardThumbnail::setImage(const QImage &image)
{
    d->image = image;
    d->data.clear();
    d->dataKey.clear();
    update();
}

void CardThumbnail::setImageData(const QByteArray &data)
{
    static quint64 serial = 0;
    d->image = QImage();
    d->data = data;
    d->dataKey = data.isEmpty() ? QString() : QString::number(++serial);
    update();
}

void CardThumbnail::applyStyle()
{
    KelButton::applyStyle();
    d->background = kelStyle()->color(Style::CL_Gray_8);
}

void CardThumbnail::paint(KelPaintContext &ctx)
{
    const double ratio = ctx.devicePixelRatio();
    QRectF frame = QRectF(rect());
    if (!isWholeRatio(ratio))
        frame = KelPainting::snapRectToPixels(frame, ratio);
    frame = frame.marginsRemoved(QMarginsF(margins())).intersected(ctx.rect());
    if (frame.isEmpty())
        return;

    QPainter *painter = ctx.painter();
    const double radius = this->radius();
    painter->save();
    painter->setOpacity(opacity());
    painter->setPen(Qt::NoPen);
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setBrush(d->background);
    painter->drawRoundedRect(frame, radius, radius);

    if (!d->image.isNull() || !d->data.isEmpty() || !d->path.isEmpty()) {
        const double growth = std::round(HoverGrowth * stateAnimator()->hoveredProgress());
        const QSize frameSize = frame.size().toSize();
        const QSize target = frameSize + QSize(int(growth), int(growth));
        const QPointF shift(-0.5 * growth, -0.2 * growth);

        QPixmap picture;
        auto *ui = dynamic_cast<Ui *>(kelUi());
        bool loaded = false;
        if (ui && !d->data.isEmpty())
            loaded = ui->thumbnailFromData(d->data, d->dataKey, frameSize, 1.0, picture);
        else if (ui && !d->image.isNull())
            loaded = ui->thumbnailFromImage(d->image, frameSize, 1.0, picture);
        else if (ui)
            loaded = ui->thumbnail(d->path, frameSize, 1.0, picture);
        if (loaded && !picture.isNull()) {
            if (picture.size() != target) {
                picture = picture.scaled(target, Qt::KeepAspectRatioByExpanding,
                                         Qt::SmoothTransformation);
            }
            const QPointF excess(picture.width() - target.width(),
                                 picture.height() - target.height());
            const QPointF offset = shift - excess / 2.0;
            const QPointF origin(snapSmallOffset(offset.x()), snapSmallOffset(offset.y()));
            painter->setBrushOrigin(frame.topLeft() + origin);
            painter->setBrush(picture);
            painter->drawRoundedRect(frame, radius, radius);
        }
    }
    painter->restore();
    KelButton::paint(ctx);
}

#include "moc_cardthumbnail.cpp"

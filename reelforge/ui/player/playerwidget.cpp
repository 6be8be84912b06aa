#include "ui/player/playerwidget.h"

#include "core/player/playercore.h"
#include "datamodel/codecinfo.h"
#include "datamodel/pip/pipframe.h"
#include "painting/kelpaintcontext.h"
#include "styles/kelstyle.h"
#include "ui/style.h"
#include "utils/kelgeometryutils.h"

#include <QMouseEvent>
#include <QPaintEvent>

namespace {

constexpr int FrameBackgroundColor = Style::CL_List_Base;
// A contents rect this much wider or taller than the picture is filled
// whole, not just behind the picture.
constexpr int FillWholeMargin = 65;
constexpr int ClickTolerance = 5;
const QPoint NoPress(-1, -1);

} // namespace

class PlayerWidget::Private
{
public:
    QSize frameSize;
    QWeakPointer<playercore> player;
    QRect frameRect;
    qint64 trimStart = -1;
    qint64 trimEnd = -1;
    VideoItemPtr item;
    PipFrame *subtitlesFrame = nullptr;
    PipFrame *watermarkFrame = nullptr;
    QPoint pressPos = NoPress;
};

PlayerWidget::PlayerWidget(VideoItemPtr item, QWeakPointer<playercore> player, QWidget *parent)
    : KelWidget(parent), d(std::make_unique<Private>())
{
    d->item = std::move(item);
    d->player = std::move(player);
    if (d->item) {
        d->frameSize = d->item->targetCodecInfo()->resolution();
        const QPair<qint64, qint64> trim = d->item->trim();
        d->trimStart = trim.first;
        d->trimEnd = trim.second;
    }

    const Qt::AspectRatioMode mode = d->frameSize.width() < d->frameSize.height()
            ? Qt::KeepAspectRatio
            : Qt::KeepAspectRatioByExpanding;
    QSize minimum = d->frameSize.scaled(400, 400, mode);
    if (minimum.width() < 600)
        minimum.setWidth(600);
    setMinimumSize(minimum);
    setSizePolicy(QSizePolicy::MinimumExpanding, QSizePolicy::MinimumExpanding);
}

PlayerWidget::~PlayerWidget() = default;

QRect PlayerWidget::frameRect() const
{
    return d->frameRect;
}

void PlayerWidget::setPipFrame(PipObjectPtr subtitles, PipObjectPtr watermark)
{
    delete d->subtitlesFrame;
    d->subtitlesFrame = nullptr;
    delete d->watermarkFrame;
    d->watermarkFrame = nullptr;
    const auto makeFrame = [this](const PipObjectPtr &object) {
        auto *frame = new PipFrame(object, this);
        connect(frame, &PipFrame::appearanceChanged, this, qOverload<>(&QWidget::update));
        return frame;
    };
    if (subtitles)
        d->subtitlesFrame = makeFrame(subtitles);
    if (watermark)
        d->watermarkFrame = makeFrame(watermark);
    update();
}

PipFrame *PlayerWidget::subtitlesFrame() const
{
    return d->subtitlesFrame;
}

PipFrame *PlayerWidget::watermarkFrame() const
{
    return d->watermarkFrame;
}

void PlayerWidget::resizeEvent(QResizeEvent *event)
{
    KelWidget::resizeEvent(event);
    const QRect contents = contentsRect();
    const QRect rect = KelUtils::fitRect(Qt::AlignCenter, contents,
                                         d->frameSize.scaled(contents.size(), Qt::KeepAspectRatio),
                                         true);
    if (rect == d->frameRect)
        return;
    d->frameRect = rect;
    emit frameRectChanged(rect);
}

void PlayerWidget::paintEvent(QPaintEvent *event)
{
    KelPaintContext painter(this);
    painter.setClipRect(event->rect());
    painter.setRenderHint(QPainter::SmoothPixmapTransform);

    const QRect contents = contentsRect();
    const bool fillWhole = contents.width() - d->frameRect.width() >= FillWholeMargin
            || contents.height() - d->frameRect.height() >= FillWholeMargin;
    painter.fillRect(fillWhole ? contents : d->frameRect, kelStyle()->color(FrameBackgroundColor));

    const QSharedPointer<playercore> player = d->player.toStrongRef();
    if (!player)
        return;
    const QImage image = player->currentImage();
    if (!image.isNull())
        painter.drawImage(QRectF(d->frameRect), image, QRectF(image.rect()));

    const qreal ratio = devicePixelRatioF();
    const QSize layerSize(qRound(d->frameRect.width() * ratio),
                          qRound(d->frameRect.height() * ratio));
    const qint64 time = player->position() - qMax<qint64>(0, d->trimStart);
    for (PipFrame *frame : {d->subtitlesFrame, d->watermarkFrame}) {
        if (!frame)
            continue;
        frame->setFrameSize(layerSize);
        QImage layer = frame->paintOnto(time);
        if (layer.isNull())
            continue;
        layer.setDevicePixelRatio(ratio);
        painter.drawImage(d->frameRect.topLeft(), layer);
    }
}

void PlayerWidget::mousePressEvent(QMouseEvent *event)
{
    event->ignore();
    d->pressPos = isEnabled() && event->buttons() == Qt::LeftButton ? event->pos() : NoPress;
}

void PlayerWidget::mouseReleaseEvent(QMouseEvent *event)
{
    event->ignore();
    const bool click = event->button() == Qt::LeftButton && d->pressPos != NoPress
            && (event->pos() - d->pressPos).manhattanLength() < ClickTolerance;
    d->pressPos = NoPress;
    if (click) {
        event->accept();
        emit clicked();
    }
}

#include "moc_playerwidget.cpp"

#include "painting/kelicon.h"

#include "animators/kelwidgetstateanimator.h"
#include "painting/keliconsprovider.h"
#include "utils/kelgeometryutils.h"

#include <QDebug>
#include <QPainter>

#include <cmath>

using namespace KelPainting;

namespace {

QSize logicalSize(const QPixmap &pixmap)
{
    const double ratio = pixmap.devicePixelRatioF();
    return QSize(qRound(pixmap.width() / ratio), qRound(pixmap.height() / ratio));
}

} // namespace

KelIcon::KelIcon() = default;

KelIcon::~KelIcon() = default;

QPixmap KelIcon::pixmap(double pixelRatio, const QSize &size, const QColor &tint,
                        WidgetState state) const
{
    Q_UNUSED(tint)
    Q_UNUSED(state)
    qWarning() << "KelIcon: Invalid usage!";
    return createPixmap(pixelRatio, size);
}

QPixmap KelIcon::animatedPixmap(double pixelRatio, const QSize &size, const QColor &tint,
                                KelWidgetStateAnimator *animator) const
{
    if (!animator)
        return pixmap(pixelRatio, size, tint, Normal);
    const bool checked = animator->isChecked();
    QPixmap canvas = createPixmap(pixelRatio, size);
    if (canvas.isNull())
        return canvas;
    QPainter painter(&canvas);
    const bool tinted = tint.isValid();
    if (!tinted)
        painter.setOpacity(animator->disabledOpacity());
    painter.drawPixmap(0, 0, pixmap(pixelRatio, size, tint, checked ? Checked : Normal));
    if (tinted)
        return canvas;
    if (animator->isPressed()) {
        painter.setOpacity(painter.opacity() * animator->pressedProgress());
        painter.drawPixmap(0, 0, pixmap(pixelRatio, size, tint, checked ? CheckedPressed : Pressed));
    } else if (!animator->isDisabledActive() && std::abs(animator->hoveredProgress()) > 1e-12) {
        painter.setOpacity(painter.opacity() * animator->hoveredProgress());
        painter.drawPixmap(0, 0, pixmap(pixelRatio, size, tint, checked ? CheckedHovered : Hovered));
    }
    return canvas;
}

QPixmap KelIcon::createPixmap(double pixelRatio, const QSize &size) const
{
    const QPixmap pixmap = makePixmap(size.isValid() ? size : m_size1x, pixelRatio, Qt::transparent);
    if (pixmap.isNull()) {
        qWarning() << "Invalid size requested for icon" << m_path << ", size1x:" << m_size1x
                   << ", resize1x" << size << ", pixelRato" << pixelRatio;
    }
    return pixmap;
}

void KelIcon::paint(QPainter *painter, const QRect &rect, Qt::Alignment alignment,
                    const QSize &size, const QColor &tint, WidgetState state) const
{
    const QPaintDevice *device = painter->device();
    const double ratio = device ? device->devicePixelRatioF() : 1.0;
    const QPixmap pixmap = this->pixmap(ratio, size.isValid() ? size : m_size1x, tint, state);
    if (pixmap.isNull())
        return;
    const double pixmapRatio = pixmap.devicePixelRatioF();
    const QSize logical(qRound(pixmap.width() / pixmapRatio), qRound(pixmap.height() / pixmapRatio));
    QPointF corner = KelUtils::fitRect(alignment, rect, logical).topLeft();
    if (std::abs(ratio - std::trunc(ratio)) > 1e-12) {
        corner = QPointF(std::round(corner.x() * ratio) / ratio,
                         std::round(corner.y() * ratio) / ratio);
    }
    painter->drawPixmap(corner, pixmap);
}

void KelIcon::paint(QPainter *painter, const QRect &rect, Qt::Alignment alignment,
                    const QSize &size, const QColor &tint, KelWidgetStateAnimator *animator) const
{
    const QPaintDevice *device = painter->device();
    const double ratio = device ? device->devicePixelRatioF() : 1.0;
    const QPixmap pixmap = animatedPixmap(ratio, size.isValid() ? size : m_size1x, tint, animator);
    if (pixmap.isNull())
        return;
    painter->drawPixmap(KelUtils::fitRect(alignment, rect, logicalSize(pixmap)).topLeft(), pixmap);
}

QString KelIcon::path() const
{
    return m_path;
}

QSize KelIcon::size1x() const
{
    return m_size1x;
}

const QVector<KelIcon::StateFile> &KelIcon::stateFiles()
{
    static const QVector<StateFile> files = {
            {Hovered, "-hover", "High", Normal},
            {Pressed, "-pressed", "Press", Normal},
            {Disabled, "-disabled", "Off", Normal},
            {Checked, "-checked", "Checked", Pressed},
            {CheckedHovered, "-checked-hover", "CheckedHigh", Checked},
            {CheckedPressed, "-checked-pressed", "CheckedPress", Checked},
            {CheckedDisabled, "-checked-disabled", "CheckedOff", Checked},
    };
    return files;
}

QString KelIcon::stateFileName(const QString &path, const QString &suffix)
{
    const int dot = path.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return path + suffix;
    return path.left(dot) + suffix + path.mid(dot);
}

KelPixmapCache *KelIcon::iconCache()
{
    KelIconsProvider *provider = KelIconsProvider::instance();
    return provider ? provider->pixmapCache() : nullptr;
}

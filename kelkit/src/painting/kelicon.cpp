#include "painting/kelicon.h"

#include "painting/keliconsprovider.h"
#include "utils/kelgeometryutils.h"

#include <QDebug>
#include <QPainter>

#include <cmath>

using namespace KelPainting;

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

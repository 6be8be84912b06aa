#include "painting/kelsvgicon.h"

#include "painting/kelpixmapcache.h"

#include <QDebug>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <exception>

using namespace KelPainting;

KelSvgIcon::KelSvgIcon(const QString &path)
{
    const Renderer normal = makeRenderer(path, QString());
    if (!normal)
        return;
    m_renderers[Normal] = normal;
    m_size1x = normal->defaultSize();
    m_path = path;
    for (const StateFile &file : stateFiles()) {
        const Renderer renderer = makeRenderer(path, QLatin1String(file.svgSuffix));
        m_renderers[file.state] = renderer ? renderer : m_renderers[file.fallback];
    }
}

KelSvgIcon::~KelSvgIcon() = default;

bool KelSvgIcon::isValid() const
{
    return !m_renderers.empty();
}

QPixmap KelSvgIcon::pixmap(double pixelRatio, const QSize &size, const QColor &tint,
                           WidgetState state) const
{
    if (!isValid()) {
        qCritical() << "Pixmap requested for invalid KelSvgIcon: path:" << m_path;
        return QPixmap();
    }
    const QSize logical = size.isValid() ? size : m_size1x;
    const QSize device(qRound(logical.width() * pixelRatio), qRound(logical.height() * pixelRatio));
    if (device.isEmpty()) {
        qWarning() << "Invalid size requested for KelSvgIcon:" << m_path << "m_size1x:" << m_size1x
                   << "resize1x:" << size << "pixelRatio:" << pixelRatio;
        return QPixmap();
    }

    KelPixmapCache *cache = iconCache();
    QString key;
    if (!m_path.isEmpty()) {
        const QString original = QStringLiteral("original");
        key = QStringLiteral("KelIcon-%1-%2-%3-%4-%5-%6-%7)")
                      .arg(m_path, tint.isValid() ? tint.name() : original,
                           tint.isValid() ? QString::number(tint.alpha()) : original,
                           QString::number(pixelRatio, 'g', 6), QString::number(device.width()),
                           QString::number(device.height()), QString::number(int(state)));
        QPixmap cached;
        if (cache && cache->find(key, &cached))
            return cached;
    }

    const auto it = m_renderers.find(state);
    if (it == m_renderers.end()) {
        qWarning() << "Can't find svgRenderer for:" << m_path << ", WidgetState" << int(state);
        return QPixmap();
    }
    QSvgRenderer *renderer = it->second.get();

    QPixmap pixmap;
    if (tint.isValid()) {
        QImage image(device, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter painter(&image);
            painter.setOpacity(tint.alphaF());
            renderer->render(&painter);
        }
        tintImage(image, tint);
        pixmap = QPixmap::fromImage(image);
    } else {
        pixmap = QPixmap(device);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        renderer->render(&painter);
    }
    pixmap.setDevicePixelRatio(pixelRatio);

    if (cache && !key.isEmpty() && !pixmap.isNull())
        cache->insert(key, pixmap);
    return pixmap;
}

KelSvgIcon::Renderer KelSvgIcon::makeRenderer(const QString &path, const QString &suffix)
{
    const QString fileName = stateFileName(path, suffix);
    if (!QFile::exists(fileName))
        return Renderer();
    try {
        auto renderer = std::make_shared<QSvgRenderer>(fileName);
        if (renderer->isValid() && renderer->defaultSize().isValid())
            return renderer;
    } catch (const std::exception &) {
        qWarning() << "Can't init svgRenderer for file:" << fileName;
    }
    return Renderer();
}

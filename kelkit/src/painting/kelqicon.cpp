#include "painting/kelqicon.h"

#include "painting/kelpixmapcache.h"

#include <QDebug>
#include <QFile>
#include <QImageReader>
#include <QPainter>

using namespace KelPainting;

KelQIcon::KelQIcon(const QString &path)
{
    const QIcon normal = loadScaledIcon(path);
    if (normal.isNull()) {
        qWarning() << "Can't load icon file:" << path << "returned size is null";
        return;
    }
    m_icons[Normal] = normal;
    const QList<QSize> sizes = normal.availableSizes(QIcon::Normal, QIcon::Off);
    m_size1x = sizes.isEmpty() ? QSize() : sizes.first();
    m_path = path;
    for (const StateFile &file : stateFiles()) {
        const QString fileName = stateFileName(path, QLatin1String(file.rasterSuffix));
        m_icons[file.state] = QFile::exists(fileName) ? loadScaledIcon(fileName)
                                                      : m_icons[file.fallback];
    }
}

KelQIcon::~KelQIcon() = default;

bool KelQIcon::isValid() const
{
    return !m_icons.empty();
}

QPixmap KelQIcon::pixmap(double pixelRatio, const QSize &size, const QColor &tint,
                         WidgetState state) const
{
    if (!isValid()) {
        qCritical() << "Pixmap requested for invalid KelQIcon: path:" << m_path;
        return QPixmap();
    }
    const QSize logical = size.isValid() ? size : m_size1x;
    const QSize device(qRound(logical.width() * pixelRatio), qRound(logical.height() * pixelRatio));
    if (device.isEmpty()) {
        qWarning() << "Invalid size requested for KelQIcon:" << m_path << "m_size1x:" << m_size1x
                   << "resize1x:" << size << "pixelRatio:" << pixelRatio;
        return QPixmap();
    }

    KelPixmapCache *cache = iconCache();
    QString key;
    if (!m_path.isEmpty()) {
        key = QStringLiteral("KelIcon-%1-%2-%3-%4-%5-%6)")
                      .arg(m_path, tint.isValid() ? tint.name() : QStringLiteral("original"),
                           QString::number(pixelRatio, 'g', 6), QString::number(device.width()),
                           QString::number(device.height()), QString::number(int(state)));
        QPixmap cached;
        if (cache && cache->find(key, &cached))
            return cached;
    }

    const auto it = m_icons.find(state);
    if (it == m_icons.end()) {
        qWarning() << "Can't find qtIcon for:" << m_path << ", WidgetState:" << int(state);
        return QPixmap();
    }

    QPixmap pixmap = createPixmap(pixelRatio, logical);
    if (pixmap.isNull())
        return pixmap;
    {
        QPainter painter(&pixmap);
        it->second.paint(&painter, QRect(QPoint(0, 0), logical), Qt::AlignCenter, QIcon::Normal,
                         QIcon::Off);
    }
    if (tint.isValid()) {
        QImage image = pixmap.toImage();
        tintImage(image, tint);
        pixmap = QPixmap::fromImage(image);
    }
    pixmap.setDevicePixelRatio(pixelRatio);

    if (cache && !key.isEmpty())
        cache->insert(key, pixmap);
    return pixmap;
}

QIcon KelQIcon::loadScaledIcon(const QString &path)
{
    static const char *const scales[] = {"", "@125", "@150", "@175", "@200", "@2x"};
    QIcon icon;
    for (const char *scale : scales) {
        QImageReader reader(stateFileName(path, QLatin1String(scale)));
        reader.setAutoTransform(true);
        const QImage image = reader.read();
        if (!image.isNull())
            icon.addPixmap(QPixmap::fromImage(image), QIcon::Normal, QIcon::Off);
    }
    return icon;
}

#include "painting/keliconsprovider.h"

#include "kelapplication.h"
#include "painting/kelnullicon.h"
#include "painting/kelpixmapcache.h"
#include "painting/kelqicon.h"
#include "painting/kelsvgicon.h"

#include <QDebug>
#include <QFile>
#include <QHash>

class KelIconsProvider::Private
{
public:
    QHash<QString, KelIcon *> icons;
    std::unique_ptr<KelNullIcon> nullIcon;
    KelPixmapCache *cache = nullptr;
};

KelIconsProvider::KelIconsProvider(QObject *parent)
    : QObject(parent), d(std::make_unique<Private>())
{
    // The framework's resources live in a static library.
    Q_INIT_RESOURCE(kelui);
    d->cache = new KelPixmapCache(this);
    d->cache->setObjectName(QStringLiteral("KelShadowCache"));
    d->cache->setCacheLimit(50);
}

KelIconsProvider::~KelIconsProvider()
{
    qDeleteAll(d->icons);
}

KelIconsProvider *KelIconsProvider::instance()
{
    auto app = dynamic_cast<KelApplication *>(QCoreApplication::instance());
    return app ? app->iconsProvider() : nullptr;
}

KelIcon *KelIconsProvider::icon(const QString &path)
{
    if (KelIcon *known = d->icons.value(path))
        return known;
    if (!QFile::exists(path)) {
        if (!path.isEmpty())
            qCritical() << "KelIcons: path not found:" << path;
        if (!d->nullIcon)
            d->nullIcon = std::make_unique<KelNullIcon>();
        return d->nullIcon.get();
    }
    KelIcon *icon = nullptr;
    if (path.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive))
        icon = new KelSvgIcon(path);
    else
        icon = new KelQIcon(path);
    // Kept under the requested path even when loading failed (and the
    // icon's own path is empty), so a broken file is parsed once and the
    // empty path keeps answering with the null icon.
    d->icons.insert(path, icon);
    return icon;
}

KelIcon *KelIconsProvider::icon(const char *path)
{
    return icon(QString::fromUtf8(path));
}

bool KelIconsProvider::registerIcon(KelIcon *icon)
{
    if (!icon) {
        qWarning() << "Trying to register null icon";
        return false;
    }
    KelIcon *registered = d->icons.value(icon->path());
    if (registered == icon)
        return true;
    if (registered) {
        qWarning() << icon->path() << "is already registered in IconsProvider";
        delete icon;
        return false;
    }
    d->icons.insert(icon->path(), icon);
    return true;
}

KelPixmapCache *KelIconsProvider::pixmapCache() const
{
    return d->cache;
}

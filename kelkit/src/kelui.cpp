#include "kelui.h"

#include "painting/kelanimatedicons.h"
#include "painting/kelpixmapcache.h"
#include "styles/kelstylemanager.h"

#include <QPointer>

class KelUi::Private
{
public:
    QPointer<KelStyleManager> styleManager;
    QPointer<KelPixmapCache> shadowCache;
};

KelUi::KelUi(QObject *parent) : QObject(parent), d(std::make_unique<Private>())
{
    d->styleManager = new KelStyleManager(this);
}

KelUi::~KelUi() = default;

void KelUi::init()
{
    KelAnimatedIcons::create();
}

KelStyleManager *KelUi::styleManager() const
{
    return d->styleManager;
}

KelPixmapCache *KelUi::shadowCache()
{
    if (!d->shadowCache) {
        d->shadowCache = new KelPixmapCache(this);
        d->shadowCache->setObjectName(QStringLiteral("KelShadowCache"));
        d->shadowCache->setCacheLimit(50);
    }
    return d->shadowCache;
}

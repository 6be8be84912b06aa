#include "linkcatcher.h"

#include <QDesktopServices>

LinkCatcher::LinkCatcher(const QStringList &schemes, const QStringList &refused)
    : m_schemes(schemes + refused)
{
    for (const QString &scheme : schemes)
        QDesktopServices::setUrlHandler(scheme, this, "open");
    // QDesktopServices answers false when the handler's method is missing.
    for (const QString &scheme : refused)
        QDesktopServices::setUrlHandler(scheme, this, "refuse");
}

LinkCatcher::~LinkCatcher()
{
    for (const QString &scheme : qAsConst(m_schemes))
        QDesktopServices::unsetUrlHandler(scheme);
}

void LinkCatcher::open(const QUrl &url)
{
    opened.append(url);
}

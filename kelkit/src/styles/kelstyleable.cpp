#include "styles/kelstyleable.h"

#include "styles/kelstylemanager.h"

#include <QCoreApplication>

KelStyleable::KelStyleable(int styleId) : m_styleId(styleId)
{
    m_manager = KelStyleManager::instance();
    if (m_manager)
        m_manager->addListener(this);
}

KelStyleable::~KelStyleable()
{
    // At shutdown the manager may be half gone and nothing re-applies any
    // more, so the list is left alone.
    if (m_manager && !QCoreApplication::closingDown())
        m_manager->removeListener(this);
}

int KelStyleable::styleId() const
{
    return m_styleId;
}

bool KelStyleable::hasStyleId() const
{
    return m_styleId >= 0;
}

void KelStyleable::setStyleId(int styleId)
{
    if (m_styleId == styleId)
        return;
    m_styleId = styleId;
    applyStyle();
}

#include "kelui.h"

#include "styles/kelstylemanager.h"

#include <QPointer>

class KelUi::Private
{
public:
    QPointer<KelStyleManager> styleManager;
};

KelUi::KelUi(QObject *parent) : QObject(parent), d(std::make_unique<Private>())
{
    d->styleManager = new KelStyleManager(this);
}

KelUi::~KelUi() = default;

void KelUi::init() { }

KelStyleManager *KelUi::styleManager() const
{
    return d->styleManager;
}

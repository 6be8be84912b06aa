#include "ui/mainwindow/cardresources.h"

#include <QtGlobal>

// Outside any namespace, as the resource initialiser must be.
void initCardResources()
{
    static const bool initialised = [] {
        Q_INIT_RESOURCE(card);
        return true;
    }();
    Q_UNUSED(initialised)
}

#include "core/appservices.h"

AppServices &appServices()
{
    static AppServices services;
    return services;
}

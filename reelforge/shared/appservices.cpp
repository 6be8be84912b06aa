#include "shared/appservices.h"

AppServices &appServices()
{
    static AppServices services;
    return services;
}

#include "metrics/platform/desktopcount.h"

int desktopCount()
{
    return 1;
}

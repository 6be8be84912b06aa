#include "metrics/platform/touchscreen.h"

#include <QTouchDevice>

int touchScreenPresent()
{
    const QList<const QTouchDevice *> devices = QTouchDevice::devices();
    for (const QTouchDevice *device : devices) {
        if (device->type() == QTouchDevice::TouchScreen)
            return 1;
    }
    return 0;
}

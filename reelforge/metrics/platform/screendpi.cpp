#include "metrics/platform/screendpi.h"

#include <QScreen>

#include <cmath>

namespace {

constexpr int DefaultDpi = 96;

} // namespace

int screenDpi(const QScreen *screen)
{
    if (!screen)
        return DefaultDpi;
    return int(std::lround(screen->logicalDotsPerInchX() * screen->devicePixelRatio()));
}

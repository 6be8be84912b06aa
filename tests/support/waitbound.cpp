#include "waitbound.h"

#include <QtGlobal>

#include <algorithm>
#include <climits>
#include <cmath>

namespace WaitBound {

double scale()
{
    bool ok = false;
    const double factor = qEnvironmentVariable("REEL_TEST_TIME_SCALE").toDouble(&ok);
    return ok && factor > 0 && std::isfinite(factor) ? factor : 1.0;
}

int ms()
{
    // An int of milliseconds holds some 24 days.
    return int(std::ceil(std::min(BaseSeconds * 1000.0 * scale(), double(INT_MAX))));
}

} // namespace WaitBound

#include "core/platform/osversion.h"

#include <tuple>

namespace {

constexpr int PlatformMajor = 10;
constexpr int PlatformMinor = 0;
constexpr int PlatformServicePack = 0;

} // namespace

bool isWindowsVersionOrGreater(int major, int minor, int servicePackMajor)
{
    return std::make_tuple(PlatformMajor, PlatformMinor, PlatformServicePack)
            >= std::make_tuple(major, minor, servicePackMajor);
}

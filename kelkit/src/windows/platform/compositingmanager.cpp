#include "windows/platform/compositingmanager.h"

#include <QX11Info>

namespace {

int overrideState = -1;

} // namespace

namespace KelPlatform {

bool isCompositingManagerRunning()
{
    if (overrideState >= 0)
        return overrideState == 1;
    // Asked on every call: a compositor can start or stop at any time.
    return QX11Info::isPlatformX11() && QX11Info::isCompositingManagerRunning();
}

void setCompositingManagerOverride(int running)
{
    overrideState = running < 0 ? -1 : (running ? 1 : 0);
}

} // namespace KelPlatform

#include "utils/platform/screentoclient.h"

#include <QScreen>
#include <QWindow>

namespace KelPlatform {

bool screenToClient(const QWindow *window, QPoint *point)
{
    if (!window || !point)
        return false;
    const QScreen *screen = window->screen();
    if (!screen)
        return false;
    // Qt scales logical coordinates around each screen's top-left corner,
    // which is the same in logical and device pixels.
    const QPoint screenOrigin = screen->geometry().topLeft();
    const double ratio = window->devicePixelRatio();
    const QPoint logicalOffset = window->mapToGlobal(QPoint(0, 0)) - screenOrigin;
    const QPoint deviceOrigin = screenOrigin
            + QPoint(qRound(logicalOffset.x() * ratio), qRound(logicalOffset.y() * ratio));
    *point -= deviceOrigin;
    return true;
}

} // namespace KelPlatform

#include "eventfilters/kelglobalmousewatcher.h"

#include "eventfilters/platform/globalmousefeed.h"

#include <QList>
#include <QPointer>

namespace {

struct WatcherRegistry
{
    QList<KelGlobalMouseWatcher *> watchers;
    QPoint lastMovePos;
    // No position has been reported before the first move.
    bool hasLastMove = false;
};

WatcherRegistry &registry()
{
    static WatcherRegistry instance;
    return instance;
}

// Slots may delete watchers or create new ones: the emission goes to the
// watchers of the moment it began that are still alive.
template<typename Emit>
void emitToSnapshot(Emit emitOn)
{
    QList<QPointer<KelGlobalMouseWatcher>> snapshot;
    snapshot.reserve(registry().watchers.size());
    for (KelGlobalMouseWatcher *watcher : qAsConst(registry().watchers))
        snapshot.append(watcher);
    for (const QPointer<KelGlobalMouseWatcher> &watcher : qAsConst(snapshot)) {
        if (watcher)
            emitOn(watcher.data());
    }
}

void onGlobalMouse(KelPlatform::GlobalMouseAction action, const QPoint &pos, Qt::MouseButton button)
{
    WatcherRegistry &r = registry();
    if (action == KelPlatform::GlobalMouseAction::Move) {
        if (r.hasLastMove && pos == r.lastMovePos)
            return;
        r.hasLastMove = true;
        r.lastMovePos = pos;
        emitToSnapshot([pos](KelGlobalMouseWatcher *w) { emit w->mouseMoved(pos); });
    } else {
        emitToSnapshot(
                [pos, button](KelGlobalMouseWatcher *w) { emit w->mousePressed(pos, button); });
    }
}

} // namespace

KelGlobalMouseWatcher::KelGlobalMouseWatcher(QObject *parent) : QObject(parent)
{
    // For queued connections and signal spies.
    qRegisterMetaType<Qt::MouseButton>();
    if (!KelPlatform::hasGlobalMouseHook())
        KelPlatform::setGlobalMouseHook(&onGlobalMouse);
    registry().watchers.append(this);
}

KelGlobalMouseWatcher::~KelGlobalMouseWatcher()
{
    WatcherRegistry &r = registry();
    r.watchers.removeOne(this);
    if (r.watchers.isEmpty())
        KelPlatform::setGlobalMouseHook(nullptr);
}

#include "moc_kelglobalmousewatcher.cpp"

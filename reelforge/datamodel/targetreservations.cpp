#include "datamodel/targetreservations.h"

#include "core/partialoutput.h"
#include "datamodel/videoitem.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QHash>

class TargetReservations::Private
{
public:
    QHash<QUuid, QString> paths;
};

TargetReservations::TargetReservations() : d(std::make_unique<Private>()) { }

TargetReservations::~TargetReservations() = default;

QString TargetReservations::reserve(VideoItem &item)
{
    const QUuid uid = item.id();
    d->paths.remove(uid);
    const QString path = item.freeTargetFilePath(
            [this](const QString &candidate) { return isReserved(candidate); });
    d->paths.insert(uid, QDir::cleanPath(path));
    return path;
}

void TargetReservations::release(const QUuid &uid)
{
    d->paths.remove(uid);
}

void TargetReservations::discardAll()
{
    for (auto it = d->paths.cbegin(); it != d->paths.cend(); ++it) {
        const QString partial = PartialOutput::pathFor(it.value(), it.key());
        if (!QFile::exists(partial))
            continue;
        if (QFile::remove(partial))
            qInfo().noquote() << "Removed the unfinished output of a lost worker:" << partial;
        else
            qWarning().noquote() << "Can't remove the unfinished output" << partial;
    }
    d->paths.clear();
}

bool TargetReservations::isReserved(const QString &path) const
{
    const QString clean = QDir::cleanPath(path);
    for (const QString &reserved : qAsConst(d->paths)) {
        if (reserved == clean)
            return true;
    }
    return false;
}

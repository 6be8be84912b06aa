#include "core/partialoutput.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace PartialOutput {

namespace {

const char prefix[] = ".reelmorph-";
const char marker[] = ".part";

} // namespace

QString pathFor(const QString &target, const QUuid &uid)
{
    const QFileInfo info(target);
    QString name = QLatin1String(prefix) + uid.toString(QUuid::Id128) + QLatin1String(marker);
    const QString suffix = info.suffix();
    if (!suffix.isEmpty())
        name += QLatin1Char('.') + suffix;
    return info.dir().filePath(name);
}

bool isPartialFileName(const QString &fileName)
{
    static const QRegularExpression pattern(
            QStringLiteral("^\\.reelmorph-[0-9a-f]{32}\\.part(\\.[^/]*)?$"));
    return pattern.match(fileName).hasMatch();
}

} // namespace PartialOutput

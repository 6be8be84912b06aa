#pragma once

#include <QString>
#include <QUuid>

// The name under which the worker writes a conversion's output until it is
// complete and moved onto the target: a hidden file in the target's folder,
// named for the item, that keeps the target's extension so that the
// container is still chosen by it. The GUI knows the name too, so that it
// can remove the file of a worker that was lost.
namespace PartialOutput {

QString pathFor(const QString &target, const QUuid &uid);
// Whether a file name has the form pathFor() gives; nothing else is ever
// removed as a left-over output.
bool isPartialFileName(const QString &fileName);

} // namespace PartialOutput
